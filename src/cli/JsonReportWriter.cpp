#include "cli/ReportWriter.h"

#include "analysis/MapAnalysis.h"
#include "cli/OutputText.h"
#include "cli/WholeFileWriter.h"
#include "tree/ITreeNodes.h"

#include <charconv>
#include <string>

using namespace Qt::Literals::StringLiterals;

namespace {

void AppendNumber(std::string &out, qint64 value)
{
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out.append(digits, end - digits);
}

class TJsonReportWriter : public TReportWriter
{
public:
    TJsonReportWriter(QIODevice &Output, bool WithSymbols, const TWholeFile *File)
        : TReportWriter(Output), FWithSymbols(WithSymbols), FFile(File)
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
        if (WithRetained())
            Write(",\"retained_size\":" +
                  (Row.RetainedSize ? QByteArray::number(*Row.RetainedSize) : QByteArray("null")) +
                  ",\"retained_upper_bound\":" + (Row.RetainedUpperBound ? "true" : "false"));
        if (FWithSymbols) {
            Write(",\"symbols\":");
            Children(Symbols);
        }
        Write("}");
    }

    void End() override
    {
        Write("\n]");
        if (FFile) {
            Write(",\n\"file\":");
            const std::string file = WholeFileJson(*FFile);
            Write(QByteArrayView(file.data(), qsizetype(file.size())));
        }
        Write("}\n");
    }

private:
    // The whole tree of one unit goes into one chunk, without a temporary per row.
    void Children(const TITreeNode *Parent)
    {
        FChunk.clear();
        AppendChildren(Parent);
        Write(QByteArrayView(FChunk.data(), qsizetype(FChunk.size())));
    }

    void AppendChildren(const TITreeNode *Parent)
    {
        FChunk += '[';
        // Rows a filter hides are left out.
        for (const TITreeNode *child = Parent ? Parent->GetFirstShownChild() : nullptr; child;
             child = child->NextShownSibling()) {
            if (FChunk.back() != '[')
                FChunk += ',';
            FChunk.append("{\"name\":");
            AppendJsonString(FChunk, child->Text());
            FChunk.append(",\"size\":");
            AppendNumber(FChunk, child->Tag());
            FChunk.append(",\"children\":");
            AppendChildren(child);
            FChunk += '}';
        }
        FChunk += ']';
    }

    const bool FWithSymbols;
    const TWholeFile *const FFile;
    bool FFirstUnit = true;
    std::string FChunk;
};

} // namespace

std::unique_ptr<TReportWriter> NewJsonReportWriter(QIODevice &Output, bool WithSymbols,
                                                   const TWholeFile *File)
{
    return std::make_unique<TJsonReportWriter>(Output, WithSymbols, File);
}
