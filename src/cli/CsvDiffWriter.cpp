#include "cli/DiffWriter.h"

#include "cli/OutputText.h"

using namespace Qt::Literals::StringLiterals;

namespace {

class TCsvDiffWriter : public TDiffWriter
{
public:
    using TDiffWriter::TDiffWriter;

    void Begin(const TDiffTotals &) override { Write("unit,old_size,new_size,delta,status\n"); }

    void Unit(const TUnitChange &Unit, const std::vector<TSizeChange> *) override
    {
        WriteText(QStringList{CsvField(Unit.Name), QString::number(Unit.OldSize),
                              QString::number(Unit.NewSize), QString::number(Unit.Delta()),
                              UnitStatusName(Unit.Status)}
                      .join(u',') +
                  u'\n');
    }

    // A table of its own after an empty line, as the whole-file csv of report: the parts are no
    // units, and a reader of the unit rows must not take them for some. Depth 0 is the whole file.
    void Files(qint64 OldSize, qint64 NewSize, const std::vector<TPartChange> &Parts) override
    {
        Write("\ndepth,part,old_size,new_size,delta\n");
        Row(0, u"Whole file"_s, OldSize, NewSize);
        PartRows(Parts, 1);
    }

    void End(const TDiffTotals &) override {}

private:
    void Row(int Depth, const QString &Name, qint64 OldSize, qint64 NewSize)
    {
        WriteText(QStringList{QString::number(Depth), CsvField(Name), QString::number(OldSize),
                              QString::number(NewSize), QString::number(NewSize - OldSize)}
                      .join(u',') +
                  u'\n');
    }

    void PartRows(const std::vector<TPartChange> &Parts, int Depth)
    {
        for (const TPartChange &part : Parts) {
            Row(Depth, part.Name, part.OldSize, part.NewSize);
            PartRows(part.Children, Depth + 1);
        }
    }
};

} // namespace

std::unique_ptr<TDiffWriter> NewCsvDiffWriter(QIODevice &Output)
{
    return std::make_unique<TCsvDiffWriter>(Output);
}
