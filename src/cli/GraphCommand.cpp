// quillon-cli graph: every unit of the program with its code, its retained size and its uses, as
// json or as a Graphviz graph.

#include "cli/BufferedWriter.h"
#include "cli/CommandSupport.h"
#include "cli/Commands.h"
#include "cli/OutputText.h"
#include "cli/UnitGraphRun.h"

using namespace Qt::Literals::StringLiterals;

namespace {

class TGraphWriter : public TBufferedWriter
{
public:
    TGraphWriter(QIODevice &output, const TUnitGraph &graph) : TBufferedWriter(output), FGraph(graph) {}

    void Json()
    {
        Write("{\"root\":" + JsonString(FGraph.Node(FGraph.Root()).Name) + ",\"units\":[");
        for (int i = 0; i < FGraph.Count(); ++i) {
            const TUnitNode &node = FGraph.Node(i);
            Write((i ? ",\n{\"name\":" : "\n{\"name\":") + JsonString(node.Name) +
                  ",\"code_size\":" + QByteArray::number(node.CodeSize) + ",\"retained_size\":" +
                  (FGraph.Reachable(i) ? QByteArray::number(FGraph.RetainedSize(i)) : QByteArray("null")) +
                  ",\"uses_known\":" + (node.UsesKnown ? "true" : "false") + ",\"uses\":[");
            for (size_t e = 0; e < node.Uses.size(); ++e)
                Write((e ? ",{\"name\":" : "{\"name\":") + JsonString(FGraph.Node(node.Uses[e].To).Name) +
                      "," + JsonEdgeFields(node.Uses[e]) + "}");
            Write("]}");
        }
        Write("\n]}\n");
    }

    // Implementation uses dashed, initialization-only uses grey, units of unknown uses dotted.
    void Dot()
    {
        Write("digraph units {\n  node [shape=box, fontname=\"Helvetica\"];\n");
        for (int i = 0; i < FGraph.Count(); ++i) {
            const TUnitNode &node = FGraph.Node(i);
            Write("  n" + QByteArray::number(i) + " [label=" +
                  DotString(u"%1\n%2 / %3"_s.arg(node.Name, Thousands(node.CodeSize),
                                                 Thousands(FGraph.RetainedSize(i)))) +
                  (node.UsesKnown ? "" : ", style=dotted") + (i == FGraph.Root() ? ", peripheries=2" : "") +
                  "];\n");
        }
        for (int i = 0; i < FGraph.Count(); ++i)
            for (const TUnitEdge &edge : FGraph.Node(i).Uses) {
                QByteArray style;
                if (edge.Kind == TUsesKind::Implementation)
                    style += "style=dashed";
                if (!edge.Imports)
                    style += QByteArray(style.isEmpty() ? "" : ", ") + "color=gray";
                Write("  n" + QByteArray::number(i) + " -> n" + QByteArray::number(edge.To) +
                      (style.isEmpty() ? QByteArray() : " [" + style + "]") + ";\n");
            }
        Write("}\n");
    }

private:
    static QByteArray DotString(const QString &text)
    {
        QString escaped = text;
        escaped.replace(u'\\', u"\\\\"_s).replace(u'"', u"\\\""_s).replace(u'\n', u"\\n"_s);
        return '"' + escaped.toUtf8() + '"';
    }

    const TUnitGraph &FGraph;
};

} // namespace

int RunGraph(TCliOptions options)
{
    options.OutputFile = StartFolderPath(options.OutputFile);
    TUnitGraphBuild build;
    if (const int code = BuildUnitGraphOfMap(options, build); code != ecSuccess)
        return code;
    TCommandOutput output;
    if (!output.Open(options.OutputFile))
        return ecOutputFailed;
    TGraphWriter writer(output.Device(), build.Graph);
    if (options.Format == TReportFormat::Dot)
        writer.Dot();
    else
        writer.Json();
    return output.Finish(writer) ? ecSuccess : ecOutputFailed;
}
