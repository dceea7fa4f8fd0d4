// Sorting and walking a grid of 100,000 nodes. The baseline is building the same tree; a sort or a
// walk should cost a small multiple of it, and ten times the nodes should cost about ten times as
// much (nothing quadratic). Report: benchmark/Nodes, compare with BM_BuildTree at the same size.
#include "tree/TreeGridModel.h"

#include <benchmark/benchmark.h>

#include <QString>

namespace {

// Units of 3 levels: each unit holds classes, each class routines; tags from a fixed sequence so
// that every run sorts the same data.
void FillTree(TTreeGridModel &Grid, int NodeCount)
{
    quint32 Seed = 12345;
    const auto Next = [&Seed] {
        Seed = Seed * 1103515245u + 12345u;
        return Seed >> 8;
    };
    int Made = 0;
    for (int Unit = 0; Made < NodeCount; ++Unit) {
        TITreeNode *const UnitNode = Grid.Items().AddRoot();
        UnitNode->SetText(QStringLiteral("Unit%1").arg(Next() % 100000));
        UnitNode->SetTag(Next() % 50000);
        ++Made;
        for (int Class = 0; Class < 4 && Made < NodeCount; ++Class) {
            TITreeNode *const ClassNode = UnitNode->AddChild(QStringLiteral("TClass%1").arg(Next() % 1000));
            ClassNode->SetTag(Next() % 5000);
            ++Made;
            for (int Routine = 0; Routine < 7 && Made < NodeCount; ++Routine) {
                ClassNode->AddChild(QStringLiteral("Routine%1").arg(Next() % 1000))->SetTag(Next() % 500);
                ++Made;
            }
        }
    }
}

void ExpandAll(TTreeGridModel &Grid)
{
    for (TITreeNode *Node = Grid.Items().GetFirstNode(); Node; Node = Node->GetNext())
        if (Node->HasChildren())
            Node->SetExpanded(true);
}

void BM_BuildTree(benchmark::State &State)
{
    for (auto _ : State) {
        TTreeGridModel Grid;
        FillTree(Grid, int(State.range(0)));
        benchmark::DoNotOptimize(Grid.Items().GetFirstNode());
    }
}

// Sorting alternates the direction so that every iteration really reorders.
void SortBench(benchmark::State &State, int Column, TITVSortKind Kind)
{
    TTreeGridModel Grid;
    Grid.Columns().Add()->SetSortKind(iskText);
    Grid.Columns().Add()->SetSortKind(Kind);
    FillTree(Grid, int(State.range(0)));
    TITVSortDirection Direction = sdAscending;
    for (auto _ : State) {
        Grid.SortBy(Column, Direction);
        Direction = Direction == sdAscending ? sdDescending : sdAscending;
    }
}

void BM_SortByTag(benchmark::State &State)
{
    SortBench(State, 1, iskTag);
}

void BM_SortByName(benchmark::State &State)
{
    SortBench(State, 0, iskText);
}

void BM_RowsOfExpandedTree(benchmark::State &State)
{
    TTreeGridModel Grid;
    FillTree(Grid, int(State.range(0)));
    ExpandAll(Grid);
    for (auto _ : State) {
        // Collapsing and expanding the first unit makes the next Rows() rebuild the whole list.
        Grid.Items().GetFirstNode()->SetExpanded(false);
        Grid.Items().GetFirstNode()->SetExpanded(true);
        benchmark::DoNotOptimize(Grid.Rows().size());
    }
}

void BM_GoToEveryNode(benchmark::State &State)
{
    TTreeGridModel Grid;
    FillTree(Grid, int(State.range(0)));
    TATBClassicTreeView &Cursor = Grid.Browser();
    for (auto _ : State)
        for (TITreeNode *Node = Grid.Items().GetFirstNode(); Node; Node = Node->GetNext()) {
            Cursor.GoTo(Node);
            benchmark::DoNotOptimize(Cursor.Current());
        }
}

} // namespace

BENCHMARK(BM_BuildTree)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortByTag)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortByName)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RowsOfExpandedTree)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GoToEveryNode)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
