#pragma once
// What reading a MAP file yields, held apart from any grid: the unit rows as data, the symbol
// table, the totals and the failure. The reading part of a run fills it on any thread; the engine
// then puts it into the grid in one step on the thread that owns the grid.

#include "analysis/CompareDataList.h"
#include "analysis/MapSegments.h"
#include "analysis/UnitSymbolIndex.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <exception>
#include <optional>
#include <vector>

// Why a run did not complete.
enum TAnalysisFailure {
    afNone,
    afMapMissing,  // no file at the MAP path: nothing changed
    afUnreadable,  // the MAP or the project file exists but cannot be read
    afMalformed,   // a MAP line that cannot be read (a code size that is not hexadecimal...)
    afNotDetailed, // no code unit row: an empty file, a project or form file, a segments-only MAP
};

// One unit row of the grid.
struct TUnitRowData
{
    QString Name;
    // False for the row whose line ended a failed run: it shows its name only.
    bool Read = false;
    qint32 Size = 0;
    qint64 Start = 0;
    std::optional<qint32> FormSize;
    // With the ratio to the code size; none without a compiled unit file.
    std::optional<qint32> DcuSize;
    QString RatioText;
};

// What a run adds up over its unit rows.
struct TAnalysisTotals
{
    qint64 TotalCodeSize = 0;
    qint32 MaxCodeSize = 1;
    qint32 MaxDFMSize = 1;
    // As read from the segment table: 0 when absent, -1 when not hexadecimal.
    qint64 CodeSegmentLength = 0;
};

struct TMapAnalysisResult
{
    QString MapFileName;             // absolute
    std::vector<TUnitRowData> Units; // in file order; on failure the rows read so far
    TCompareDataList Symbols;
    TUnitSymbolIndex SymbolIndex;
    TAnalysisTotals Totals;
    // Where every unit's code and data lie, for the whole executable's view.
    TMapSegments Segments;
    // A form class in capitals to the unit that owns it.
    QHash<QString, QString> FormOwners;
    bool ShowRoot = false;
    // Notes for the user that need no answer (several compiled unit files of one unit), the
    // incomplete MAP file's last.
    QStringList Warnings;
    // What an incomplete MAP file lacks (its last line, part of its units), as its warning says;
    // empty for a whole file. Its figures are then not to be trusted.
    QString IncompleteWarning;
    TAnalysisFailure Failure = afNone;
    QString ErrorMessage;
    // The run was cancelled: nothing of it is to be shown.
    bool Cancelled = false;
    // An error no run may survive (a failed assertion): raised again where the result is applied.
    std::exception_ptr Fatal;
};
