// Opening a unit: symbol names split at their unnested dots into rows that sum their sizes.

#include "analysis/SymbolHierarchy.h"

#include "tree/ITreeNodes.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace {

// "Text Tag" per row in pre-order, indented by two blanks per level below Root.
QStringList Rows(const TITreeNode *root)
{
    QStringList rows;
    const int base = root->Level() + 1;
    for (const TITreeNode *node = root->GetFirstChild(); node && node != root->NextSibling();
         node = node->GetNext())
        rows << QString(2 * (node->Level() - base), u' ') + node->Text() + u' ' +
                    QString::number(node->Tag());
    return rows;
}

QStringList Expand(const std::vector<std::pair<const char *, qint64>> &symbols)
{
    QByteArray text;
    std::vector<TSymbolItem> items;
    for (const auto &[name, size] : symbols) {
        items.push_back({size, quint32(text.size()), quint32(strlen(name))});
        text += name;
    }
    TCompareDataList list(TMapText::FromBytes(text));
    std::vector<int> indexes;
    for (const TSymbolItem &item : items) {
        indexes.push_back(list.Count());
        list.AddData(item);
    }
    TITreeNodes nodes(nullptr);
    TITreeNode *unit = nodes.AddRoot();
    unit->SetText("UnitA");
    AddSymbolRows(unit, list, indexes, 6);
    return Rows(unit);
}

} // namespace

TEST(SymbolHierarchyTest, FindUnnestedDot)
{
    struct TCase
    {
        const char *S;
        bool Found;
        qsizetype P;
    };
    const TCase cases[] = {
        {"TFoo.Create", true, 5},
        {"TList<System.Integer>.Add", true, 22},
        {"{Outer.Inner}.Run", true, 14},
        {"a>b.c", false, 0},
        {".X", true, 1},
        {"NoDot", false, 0},
        {"", false, 0},
    };
    for (const TCase &c : cases) {
        qsizetype p = 0;
        EXPECT_EQ(FindUnnestedDot(QString::fromLatin1(c.S), p), c.Found) << c.S;
        EXPECT_EQ(p, c.P) << c.S;
    }
}

TEST(SymbolHierarchyTest, RowsAndSums)
{
    struct TCase
    {
        const char *Name;
        std::vector<std::pair<const char *, qint64>> Symbols;
        QStringList Expected;
    };
    const TCase cases[] = {
        {"classes, metadata and generics",
         {{"UnitA.TFoo.Create", 40},
          {"UnitA.TFoo.Destroy", 24},
          {"UnitA..TFoo", 100},
          {"UnitA.TList<System.Integer>.Add", 12},
          {"UnitA.Init", 8}},
         {"TFoo 164", "  Create 40", "  Destroy 24", "  < MetaData > 100", "TList<System.Integer> 12",
          "  Add 12", "Init 8"}},
        {"two dots give ???", {{"UnitA.X..Y", 4}}, {"X 4", "  ??? 4", "    Y 4"}},
        {"an unbalanced closer keeps the rest whole", {{"UnitA.a>b.c", 4}}, {"a>b.c 4"}},
        {"overloads are separate leaves", {{"UnitA.F", 4}, {"UnitA.F", 8}}, {"F 4", "F 8"}},
        {"a leaf becomes the parent of a later symbol",
         {{"UnitA.TFoo", 4}, {"UnitA.TFoo.Bar", 8}},
         {"TFoo 12", "  Bar 8"}},
        {"a parent never becomes a later leaf",
         {{"UnitA.TFoo.Bar", 8}, {"UnitA.TFoo", 4}},
         {"TFoo 8", "  Bar 8", "TFoo 4"}},
        {"a trailing dot gives an empty leaf", {{"UnitA.TFoo.", 4}}, {"TFoo 4", "   4"}},
    };
    for (const TCase &c : cases)
        EXPECT_EQ(Expand(c.Symbols), c.Expected) << c.Name;
}

TEST(SymbolHierarchyTest, AHostilelyDeepNameStopsAtTheDepthLimitWithItsRestInTheLeaf)
{
    QByteArray name = "UnitA.";
    for (int i = 0; i < MaxSymbolRowDepth + 40; ++i)
        name += "x.";
    name += "y";
    QStringList expected;
    for (int level = 0; level < MaxSymbolRowDepth - 1; ++level)
        expected << QString(2 * level, u' ') + QStringLiteral("x 4");
    expected << QString(2 * (MaxSymbolRowDepth - 1), u' ') + QStringLiteral("x.").repeated(41) +
                    QStringLiteral("y 4");
    EXPECT_EQ(Expand({{name.constData(), 4}}), expected);
}
