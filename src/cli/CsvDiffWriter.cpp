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

    void End(const TDiffTotals &) override {}
};

} // namespace

std::unique_ptr<TDiffWriter> NewCsvDiffWriter(QIODevice &Output)
{
    return std::make_unique<TCsvDiffWriter>(Output);
}
