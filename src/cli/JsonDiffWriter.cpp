#include "cli/DiffWriter.h"

#include "cli/OutputText.h"

namespace {

QByteArray Sizes(const TSizeChange &Change)
{
    return "{\"name\":" + JsonString(Change.Name) + ",\"old_size\":" + QByteArray::number(Change.OldSize) +
           ",\"new_size\":" + QByteArray::number(Change.NewSize) +
           ",\"delta\":" + QByteArray::number(Change.Delta());
}

class TJsonDiffWriter : public TDiffWriter
{
public:
    using TDiffWriter::TDiffWriter;

    void Begin(const TDiffTotals &Totals) override
    {
        Write("{\"old\":" + JsonString(Totals.OldMap) + ",\"new\":" + JsonString(Totals.NewMap) +
              ",\"old_total\":" + QByteArray::number(Totals.OldSize) +
              ",\"new_total\":" + QByteArray::number(Totals.NewSize) +
              ",\"delta\":" + QByteArray::number(Totals.NewSize - Totals.OldSize) + ",\"units\":[");
    }

    void Unit(const TUnitChange &Unit, const std::vector<TSizeChange> *Symbols) override
    {
        Write(FFirstUnit ? "\n" : ",\n");
        FFirstUnit = false;
        Write(Sizes(Unit) + ",\"status\":" + JsonString(UnitStatusName(Unit.Status)));
        if (Symbols) {
            Write(",\"symbols\":[");
            for (size_t i = 0; i < Symbols->size(); ++i)
                Write((i ? ",\n" : "\n") + Sizes((*Symbols)[i]) + "}");
            Write("]");
        }
        Write("}");
    }

    void Files(qint64 OldSize, qint64 NewSize, const std::vector<TPartChange> &Parts) override
    {
        Write("\n],\"file\":{\"old_size\":" + QByteArray::number(OldSize) +
              ",\"new_size\":" + QByteArray::number(NewSize) +
              ",\"delta\":" + QByteArray::number(NewSize - OldSize) + ",\"parts\":" + PartsJson(Parts) + "}");
        FUnitsClosed = true;
    }

    void End(const TDiffTotals &) override { Write(FUnitsClosed ? "}\n" : "\n]}\n"); }

private:
    static QByteArray PartsJson(const std::vector<TPartChange> &Parts)
    {
        QByteArray out = "[";
        for (const TPartChange &part : Parts) {
            if (out.size() > 1)
                out += ',';
            out += "{\"name\":" + JsonString(part.Name) +
                   ",\"old_size\":" + QByteArray::number(part.OldSize) +
                   ",\"new_size\":" + QByteArray::number(part.NewSize) +
                   ",\"delta\":" + QByteArray::number(part.Delta()) +
                   ",\"children\":" + PartsJson(part.Children) + "}";
        }
        return out + "]";
    }

    bool FUnitsClosed = false;
    bool FFirstUnit = true;
};

} // namespace

std::unique_ptr<TDiffWriter> NewJsonDiffWriter(QIODevice &Output)
{
    return std::make_unique<TJsonDiffWriter>(Output);
}
