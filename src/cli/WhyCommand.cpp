// quillon-cli why: the chains from the program to a unit, its direct users, and what removing it
// would save.

#include "cli/BufferedWriter.h"
#include "cli/CommandSupport.h"
#include "cli/Commands.h"
#include "cli/OutputText.h"
#include "cli/UnitGraphRun.h"

using namespace Qt::Literals::StringLiterals;

namespace {

struct TWhyAnswer
{
    const TUnitGraph &Graph;
    int Unit;
    std::vector<TUnitChain> Chains;
    std::vector<TUnitUser> UsedBy;
    std::vector<int> Keeps;
};

// Null for a unit the program is not known to reach.
QByteArray RetainedJson(const TUnitGraph &graph, int unit)
{
    return graph.Reachable(unit) ? QByteArray::number(graph.RetainedSize(unit)) : QByteArray("null");
}

class TWhyWriter : public TBufferedWriter
{
public:
    using TBufferedWriter::TBufferedWriter;

    void Json(const TWhyAnswer &a)
    {
        const TUnitGraph &g = a.Graph;
        const TUnitNode &node = g.Node(a.Unit);
        Write("{\"unit\":" + JsonString(node.Name) + ",\"code_size\":" + QByteArray::number(node.CodeSize) +
              ",\"retained_size\":" + RetainedJson(g, a.Unit) +
              ",\"upper_bound\":" + (g.RetainedIsUpperBound(a.Unit) ? "true" : "false") + ",\"chains\":[");
        for (size_t c = 0; c < a.Chains.size(); ++c) {
            Write(c ? ",\n[" : "\n[");
            for (size_t s = 0; s < a.Chains[c].size(); ++s) {
                const TChainStep &step = a.Chains[c][s];
                Write((s ? ",{\"name\":" : "{\"name\":") + JsonString(g.Node(step.Unit).Name));
                if (step.Edge)
                    Write("," + JsonEdgeFields(*step.Edge));
                Write("}");
            }
            Write("]");
        }
        Write("],\"used_by\":[");
        for (size_t u = 0; u < a.UsedBy.size(); ++u)
            Write((u ? ",\n{\"name\":" : "\n{\"name\":") + JsonString(g.Node(a.UsedBy[u].Unit).Name) + "," +
                  JsonEdgeFields(a.UsedBy[u].Edge) + "}");
        Write("],\"keeps\":[");
        for (size_t k = 0; k < a.Keeps.size(); ++k)
            Write((k ? ",\n{\"name\":" : "\n{\"name\":") + JsonString(g.Node(a.Keeps[k]).Name) +
                  ",\"code_size\":" + QByteArray::number(g.Node(a.Keeps[k]).CodeSize) + "}");
        Write("]}\n");
    }

    void Table(const TWhyAnswer &a)
    {
        const TUnitGraph &g = a.Graph;
        const TUnitNode &node = g.Node(a.Unit);
        WriteText(u"%1: %2 bytes of code\n"_s.arg(node.Name, Thousands(node.CodeSize)));
        if (a.Chains.empty())
            WriteText(
                u"\nNo chain from %1 is known: the uses of %2 of the program's units are unknown.\n"_s.arg(
                    g.Node(g.Root()).Name, QString::number(UnknownCount(g))));
        for (size_t c = 0; c < a.Chains.size(); ++c) {
            WriteText(u"\nChain %1:\n"_s.arg(c + 1));
            for (const TChainStep &step : a.Chains[c])
                Row(g.Node(step.Unit).Name, step.Edge ? EdgeText(*step.Edge) : u"the program"_s);
        }
        WriteText(u"\nUsed directly by:\n"_s);
        if (a.UsedBy.empty())
            WriteText(u"  no unit whose uses are known\n"_s);
        for (const TUnitUser &user : a.UsedBy)
            Row(g.Node(user.Unit).Name, EdgeText(user.Edge));
        if (g.Reachable(a.Unit)) {
            const bool bound = g.RetainedIsUpperBound(a.Unit);
            WriteText(u"\nRemoving it saves %1%2 bytes in %3:\n"_s.arg(
                bound ? u"up to "_s : QString(), Thousands(g.RetainedSize(a.Unit)),
                a.Keeps.size() == 1 ? u"1 unit"_s : u"%1 units"_s.arg(a.Keeps.size())));
            if (bound)
                WriteText(u"  (an upper bound: units whose uses are unknown may need some of them)\n"_s);
            for (const int kept : a.Keeps)
                Row(g.Node(kept).Name, Thousands(g.Node(kept).CodeSize), true);
        }
    }

private:
    void Row(const QString &name, const QString &detail, bool rightAligned = false)
    {
        constexpr qsizetype NameWidth = 32;
        const QString cell = NameCell(name, NameWidth);
        WriteText(u"  "_s + cell + u"  "_s + (rightAligned ? detail.rightJustified(12) : detail) + u'\n');
    }

    static int UnknownCount(const TUnitGraph &g)
    {
        int count = 0;
        for (int i = 0; i < g.Count(); ++i)
            count += g.Node(i).UsesKnown ? 0 : 1;
        return count;
    }
};

} // namespace

int RunWhy(TCliOptions options)
{
    options.OutputFile = StartFolderPath(options.OutputFile);
    TUnitGraphBuild build;
    if (const int code = BuildUnitGraphOfMap(options, build); code != ecSuccess)
        return code;
    const TUnitGraph &graph = build.Graph;
    const QString program = graph.Count() ? graph.Node(graph.Root()).Name : QString();
    const std::optional<int> unit = graph.IndexOf(options.UnitName);
    // Units the MAP does not list but the uses lists name have no code: linked all the same.
    if (!unit) {
        PrintError(u"unit %1 is not linked into %2"_s.arg(options.UnitName, program));
        return ecOutputFailed;
    }
    TCommandOutput output;
    if (!output.Open(options.OutputFile))
        return ecOutputFailed;
    const TWhyAnswer answer{graph, *unit, graph.Chains(*unit, options.Paths), graph.UsedBy(*unit),
                            graph.Keeps(*unit)};
    TWhyWriter writer(output.Device());
    if (options.Format == TReportFormat::Json)
        writer.Json(answer);
    else
        writer.Table(answer);
    return output.Finish(writer) ? ecSuccess : ecOutputFailed;
}
