#include "cli/ReportWriter.h"

#include "analysis/MapAnalysis.h"
#include "cli/OutputText.h"
#include "tree/ITreeNodes.h"

using namespace Qt::Literals::StringLiterals;

namespace {

class TJsonReportWriter : public TReportWriter
{
public:
    TJsonReportWriter(QIODevice &Output, bool WithSymbols) : TReportWriter(Output), FWithSymbols(WithSymbols)
    {}

    void Begin(const TMapAnalysis &Analysis, const std::vector<TUnitReportRow> &) override
    {
        Write("{\"map\":" + JsonString(Analysis.MapFileName()) +
              ",\"code_segment_length\":" + QByteArray::number(Analysis.CodeSegmentLength()) +
              ",\"total_code_size\":" + QByteArray::number(Analysis.TotalCodeSize()) + ",\"units\":[");
    }

    void Unit(const TUnitReportRow &Row, const TITreeNode *Symbols) override
    {
        Write(FFirstUnit ? "\n" : ",\n");
        FFirstUnit = false;
        Write("{\"name\":" + JsonString(Row.Name) + ",\"code_size\":" + QByteArray::number(Row.CodeSize) +
              ",\"percent\":" + Row.Percent.toUtf8() + ",\"dfm_size\":" + QByteArray::number(Row.DfmSize) +
              ",\"dcu_size\":" + QByteArray::number(Row.DcuSize) + ",\"ratio\":" + JsonString(Row.Ratio));
        if (FWithSymbols) {
            Write(",\"symbols\":");
            Children(Symbols);
        }
        Write("}");
    }

    void End() override { Write("\n]}\n"); }

private:
    void Children(const TITreeNode *Parent)
    {
        Write("[");
        for (const TITreeNode *child = Parent ? Parent->GetFirstChild() : nullptr; child;
             child = child->NextSibling()) {
            if (child->PrevSibling())
                Write(",");
            Write("{\"name\":" + JsonString(child->Text()) + ",\"size\":" + QByteArray::number(child->Tag()) +
                  ",\"children\":");
            Children(child);
            Write("}");
        }
        Write("]");
    }

    const bool FWithSymbols;
    bool FFirstUnit = true;
};

} // namespace

std::unique_ptr<TReportWriter> NewJsonReportWriter(QIODevice &Output, bool WithSymbols)
{
    return std::make_unique<TJsonReportWriter>(Output, WithSymbols);
}
