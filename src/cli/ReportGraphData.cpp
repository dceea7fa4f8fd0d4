#include "cli/ReportGraphData.h"

#include "cli/OutputText.h"
#include "units/UnitGraph.h"

namespace {

int EdgeCode(const TUnitEdge &edge)
{
    return edge.To * 64 + int(edge.Kind) + 4 * int(edge.Origin) + (edge.Imports ? 16 : 0) +
           (edge.Conditional ? 32 : 0);
}

template <typename Value> void AppendList(std::string &out, const char *field, int count, Value value)
{
    out += ",\"";
    out += field;
    out += "\":[";
    for (int unit = 0; unit < count; ++unit) {
        if (unit)
            out += ',';
        out += std::to_string(value(unit));
    }
    out += ']';
}

} // namespace

bool GraphHasUses(const TUnitGraph &Graph)
{
    for (int unit = 0; unit < Graph.Count(); ++unit)
        if (Graph.Node(unit).UsesKnown)
            return true;
    return false;
}

std::string ReportGraphJson(const TUnitGraph &Graph)
{
    const int count = Graph.Count();
    std::string out = "{\"root\":" + std::to_string(Graph.Root()) + ",\"names\":[";
    for (int unit = 0; unit < count; ++unit) {
        if (unit)
            out += ',';
        AppendJsonString(out, Graph.Node(unit).Name);
    }
    out += ']';
    AppendList(out, "code", count, [&](int unit) { return Graph.Node(unit).CodeSize; });
    AppendList(out, "known", count, [&](int unit) { return Graph.Node(unit).UsesKnown ? 1 : 0; });
    out += ",\"uses\":[";
    for (int unit = 0; unit < count; ++unit) {
        out += unit ? ",[" : "[";
        const std::vector<TUnitEdge> &uses = Graph.Node(unit).Uses;
        for (size_t e = 0; e < uses.size(); ++e) {
            if (e)
                out += ',';
            out += std::to_string(EdgeCode(uses[e]));
        }
        out += ']';
    }
    out += ']';
    AppendList(out, "idom", count, [&](int unit) { return Graph.ImmediateDominator(unit); });
    AppendList(out, "retained", count, [&](int unit) { return Graph.RetainedSize(unit); });
    out += ",\"upper\":[";
    bool first = true;
    for (int unit = 0; unit < count; ++unit) {
        if (!Graph.RetainedIsUpperBound(unit))
            continue;
        if (!first)
            out += ',';
        first = false;
        out += std::to_string(unit);
    }
    out += "]}";
    return out;
}
