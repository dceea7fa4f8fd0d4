#include "cli/ReportWriter.h"

#include "base/UFormat.h"
#include "base/XLists.h"
#include "tree/ITreeNodes.h"

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr qsizetype FlushSize = 1 << 20;

qint32 ColumnObject(TITreeNode *Unit, int Index)
{
    const TXStringList *columns = Unit->ColumnStringsIfAny();
    return columns && Index < columns->Count() ? qint32(columns->GetObject(Index)) : 0;
}

} // namespace

TUnitReportRow TUnitReportRow::Of(TITreeNode *Unit, double PercentFactor)
{
    TUnitReportRow row;
    row.Name = Unit->Text();
    row.CodeSize = Unit->Tag();
    row.Percent = Format(u"%.2f"_s, {double(Unit->Tag()) * PercentFactor});
    row.DfmSize = ColumnObject(Unit, 2);
    row.DcuSize = ColumnObject(Unit, 3);
    const TXStringList *columns = Unit->ColumnStringsIfAny();
    row.Ratio = columns && columns->Count() > 3 ? columns->Get(3) : u"-"_s;
    return row;
}

void TReportWriter::Write(QByteArrayView Bytes)
{
    FBuffer.append(Bytes);
    if (FBuffer.size() >= FlushSize) {
        if (!FFailed && FOutput.write(FBuffer) != FBuffer.size())
            FFailed = true;
        FBuffer.clear();
    }
}

bool TReportWriter::Finish()
{
    if (!FFailed && !FBuffer.isEmpty() && FOutput.write(FBuffer) != FBuffer.size())
        FFailed = true;
    FBuffer.clear();
    return !FFailed;
}
