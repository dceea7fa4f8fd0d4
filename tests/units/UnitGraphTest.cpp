#include "units/UnitGraph.h"

#include <gtest/gtest.h>

#include <random>

using namespace Qt::Literals::StringLiterals;

namespace {

TUnitEdge Edge(int to, TUsesKind kind = TUsesKind::Interface)
{
    return TUnitEdge{to, kind, TUsesOrigin::Dcu, true, false};
}

// Names from "P" (the root) and single letters; uses given as "P:AB A:C".
TUnitGraph GraphOf(const char *units, const char *uses)
{
    TUnitGraph graph;
    for (const char *c = units; *c; ++c)
        graph.AddUnit(QString(QChar(*c)), 10 * (*c - 'A' + 1));
    for (const QString &item : QString::fromUtf8(uses).split(u' ', Qt::SkipEmptyParts)) {
        std::vector<TUnitEdge> edges;
        for (const QChar c : item.mid(2))
            edges.push_back(Edge(*graph.IndexOf(QString(c))));
        graph.SetUses(*graph.IndexOf(item.left(1)), edges);
    }
    graph.SetRoot(*graph.IndexOf(u"P"_s));
    graph.Compute();
    return graph;
}

QString ChainText(const TUnitGraph &graph, const TUnitChain &chain)
{
    QString text;
    for (const TChainStep &step : chain)
        text += graph.Node(step.Unit).Name;
    return text;
}

QString Chains(const TUnitGraph &graph, const char *unit, int max)
{
    QStringList texts;
    for (const TUnitChain &chain : graph.Chains(*graph.IndexOf(QString::fromUtf8(unit)), max))
        texts << ChainText(graph, chain);
    return texts.join(u' ');
}

// What leaves the program when the unit goes: the units the program no longer reaches without it.
std::vector<bool> LostWithout(const TUnitGraph &graph, int removed)
{
    std::vector<bool> reached(size_t(graph.Count()));
    std::vector<int> stack;
    if (graph.Root() != removed) {
        stack.push_back(graph.Root());
        reached[size_t(graph.Root())] = true;
    }
    while (!stack.empty()) {
        const int unit = stack.back();
        stack.pop_back();
        for (const TUnitEdge &edge : graph.Node(unit).Uses)
            if (edge.To != removed && !reached[size_t(edge.To)]) {
                reached[size_t(edge.To)] = true;
                stack.push_back(edge.To);
            }
    }
    std::vector<bool> lost(reached.size());
    for (int i = 0; i < graph.Count(); ++i)
        lost[size_t(i)] = graph.Reachable(i) && !reached[size_t(i)];
    return lost;
}

} // namespace

TEST(UnitGraphTest, ShortestChainsWithTheUsesListOrderAsTieBreak)
{
    // P uses A then B; both use C; C uses D; B uses D too (implementation).
    const TUnitGraph graph = GraphOf("PABCDE", "P:AB A:C B:CD C:D");
    EXPECT_EQ(Chains(graph, "C", 5).toStdString(), "PAC PBC");
    EXPECT_EQ(Chains(graph, "C", 1).toStdString(), "PAC");
    EXPECT_EQ(Chains(graph, "D", 5).toStdString(), "PBD PACD");
    EXPECT_EQ(Chains(graph, "P", 5).toStdString(), "P");
    EXPECT_EQ(Chains(graph, "E", 5).toStdString(), "");
    EXPECT_FALSE(graph.Reachable(*graph.IndexOf(u"E"_s)));
}

TEST(UnitGraphTest, ChainsNeverPassThroughTheUnitItself)
{
    // A cycle: the only way to B is through A, and A's user B is reached through A.
    const TUnitGraph graph = GraphOf("PAB", "P:A A:B B:A");
    EXPECT_EQ(Chains(graph, "A", 5).toStdString(), "PA");
    const auto users = graph.UsedBy(*graph.IndexOf(u"A"_s));
    ASSERT_EQ(users.size(), 2u);
    EXPECT_EQ(graph.Node(users[0].Unit).Name.toStdString(), "P");
    EXPECT_EQ(graph.Node(users[1].Unit).Name.toStdString(), "B");
}

TEST(UnitGraphTest, RetainedSizesOfASmallProgram)
{
    // P -> A -> C, P -> B -> C: C is shared, A keeps only itself; B alone keeps D.
    const TUnitGraph graph = GraphOf("PABCD", "P:AB A:C B:CD C: D:");
    const auto at = [&](const char *name) { return *graph.IndexOf(QString::fromUtf8(name)); };
    EXPECT_EQ(graph.RetainedSize(at("A")), 10);
    EXPECT_EQ(graph.RetainedSize(at("B")), 20 + 40);
    EXPECT_EQ(graph.RetainedSize(at("P")), 10 * (16 + 1 + 2 + 3 + 4));
    EXPECT_EQ(graph.ImmediateDominator(at("C")), at("P"));
    EXPECT_EQ(graph.Keeps(at("B")), (std::vector<int>{at("B"), at("D")}));
    EXPECT_FALSE(graph.RetainedIsUpperBound(at("B")));
}

TEST(UnitGraphTest, UnknownUsesMakeRetainedSizesUpperBounds)
{
    // E's uses are unknown: it might use D, which B seems to keep alone.
    const TUnitGraph graph = GraphOf("PABDE", "P:ABE A: B:D D:");
    const auto at = [&](const char *name) { return *graph.IndexOf(QString::fromUtf8(name)); };
    EXPECT_TRUE(graph.RetainedIsUpperBound(at("B")));
    // Nothing but itself: exact whatever others use.
    EXPECT_FALSE(graph.RetainedIsUpperBound(at("A")));
    EXPECT_FALSE(graph.Node(at("E")).UsesKnown);
}

TEST(UnitGraphTest, DominatorsEqualWhatRemovingEachUnitLeavesUnreachable)
{
    std::mt19937 random(24);
    for (int round = 0; round < 300; ++round) {
        const int units = 2 + int(random() % 40);
        TUnitGraph graph;
        for (int i = 0; i < units; ++i)
            graph.AddUnit(u"U%1"_s.arg(i), qint64(random() % 1000));
        const int density = 1 + int(random() % 4);
        for (int i = 0; i < units; ++i) {
            std::vector<TUnitEdge> edges;
            for (int e = int(random() % (density + 1)); e > 0; --e)
                edges.push_back(Edge(int(random() % units)));
            graph.SetUses(i, edges);
        }
        graph.SetRoot(0);
        graph.Compute();
        for (int unit = 0; unit < units; ++unit) {
            SCOPED_TRACE(round * 1000 + unit);
            if (!graph.Reachable(unit))
                continue;
            const std::vector<bool> lost = LostWithout(graph, unit);
            qint64 expected = 0;
            std::vector<int> expectedKeeps;
            for (int i = 0; i < units; ++i)
                if (lost[size_t(i)]) {
                    expected += graph.Node(i).CodeSize;
                    expectedKeeps.push_back(i);
                }
            EXPECT_EQ(graph.RetainedSize(unit), expected);
            std::vector<int> keeps = graph.Keeps(unit);
            std::sort(keeps.begin(), keeps.end());
            EXPECT_EQ(keeps, expectedKeeps);
        }
    }
}

TEST(UnitGraphTest, NamesIgnoreLetterCaseAndEdgesAreDeduplicated)
{
    TUnitGraph graph;
    const int p = graph.AddUnit(u"Project1"_s, 5);
    const int a = graph.AddUnit(u"Vcl.Forms"_s, 7);
    EXPECT_EQ(graph.AddUnit(u"VCL.FORMS"_s, 99), a);
    EXPECT_EQ(graph.IndexOf(u"vcl.forms"_s), a);
    graph.SetUses(p, {Edge(a), Edge(a, TUsesKind::Implementation), Edge(p)});
    EXPECT_EQ(graph.Node(p).Uses.size(), 1u);
}
