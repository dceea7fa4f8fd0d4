#pragma once
// The formats of the report: the unit rows in grid order, each optionally followed by its symbol
// tree.

#include "cli/BufferedWriter.h"

#include <QString>

#include <memory>
#include <optional>
#include <vector>

class TITreeNode;
class TUnitGraph;
struct TWholeFile;
class TMapAnalysis;
struct THtmlReportFacts;

// One unit row as the grid shows it.
struct TUnitReportRow
{
    QString Name;
    qint64 CodeSize = 0;
    QString Percent; // two decimals, no " %"
    qint32 DfmSize = 0;
    qint32 DcuSize = 0;
    QString Ratio;
    // With --retained: the code that would leave with the unit (none when no chain to it is known),
    // and whether units of unknown uses make it an upper bound.
    std::optional<qint64> RetainedSize;
    bool RetainedUpperBound = false;

    static TUnitReportRow Of(TITreeNode *Unit, double PercentFactor);
};

class TReportWriter : public TBufferedWriter
{
public:
    using TBufferedWriter::TBufferedWriter;

    // The retained size as one more column (json: "retained_size"); set before Begin.
    void SetWithRetained(bool Value) { FWithRetained = Value; }
    bool WithRetained() const { return FWithRetained; }

    virtual void Begin(const TMapAnalysis &Analysis, const std::vector<TUnitReportRow> &Rows) = 0;
    // Symbols is the unit's node with its symbol rows in display order, or none without --symbols.
    virtual void Unit(const TUnitReportRow &Row, const TITreeNode *Symbols) = 0;
    virtual void End() = 0;

private:
    bool FWithRetained = false;
};

std::unique_ptr<TReportWriter> NewCsvReportWriter(QIODevice &Output);
// The self-contained HTML page: the JSON report with symbols, embedded, and the page that shows it.
// With File, the whole executable embedded as the json's "file" object; with Graph, the unit graph
// for why a unit the page opens is linked.
std::unique_ptr<TReportWriter> NewHtmlReportWriter(QIODevice &Output, const THtmlReportFacts &Facts,
                                                   const TWholeFile *File = nullptr,
                                                   const TUnitGraph *Graph = nullptr);
// With File, the whole executable as the top-level "file" object.
std::unique_ptr<TReportWriter> NewJsonReportWriter(QIODevice &Output, bool WithSymbols,
                                                   const TWholeFile *File = nullptr);
// Names longer than the name column of an 80-column table are cut unless Wide.
std::unique_ptr<TReportWriter> NewTableReportWriter(QIODevice &Output, bool Wide, bool WithSymbols);
