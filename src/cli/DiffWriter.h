#pragma once
// The formats of the comparison of two builds: every unit with its old and new size, change and
// status in change order, each optionally followed by its changed symbols.

#include "analysis/BuildComparison.h"
#include "analysis/WholeFileComparison.h"
#include "cli/BufferedWriter.h"

#include <memory>
#include <vector>

struct TDiffTotals
{
    QString OldMap; // absolute paths
    QString NewMap;
    qint64 OldSize = 0;
    qint64 NewSize = 0;
    int Units = 0;
    int ChangedUnits = 0;
};

class TDiffWriter : public TBufferedWriter
{
public:
    using TBufferedWriter::TBufferedWriter;

    virtual void Begin(const TDiffTotals &Totals) = 0;
    // Symbols are the unit's changed symbols in change order, or none without --symbols.
    virtual void Unit(const TUnitChange &Unit, const std::vector<TSizeChange> *Symbols) = 0;
    // The two executables' changed parts, after the units, when both builds have theirs.
    virtual void Files(qint64 OldSize, qint64 NewSize, const std::vector<TPartChange> &Parts)
    {
        (void)OldSize, (void)NewSize, (void)Parts;
    }
    virtual void End(const TDiffTotals &Totals) = 0;
};

std::unique_ptr<TDiffWriter> NewJsonDiffWriter(QIODevice &Output);
std::unique_ptr<TDiffWriter> NewCsvDiffWriter(QIODevice &Output);
// A pull request comment: the totals, the largest unit changes, the whole files' changed parts and,
// given symbols, the largest symbol changes in a collapsed section, within the size of a GitHub
// comment.
std::unique_ptr<TDiffWriter> NewMarkdownDiffWriter(QIODevice &Output);
// Changed units only (a unit whose size stayed but whose symbols changed counts as changed) unless
// All; NameWidth is the width of the first column, longer names cut to it unless Wide.
std::unique_ptr<TDiffWriter> NewTableDiffWriter(QIODevice &Output, bool All, qsizetype NameWidth, bool Wide);
