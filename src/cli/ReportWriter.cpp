#include "cli/ReportWriter.h"

#include "base/UFormat.h"
#include "base/XLists.h"
#include "tree/ITreeNodes.h"

using namespace Qt::Literals::StringLiterals;

namespace {

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
