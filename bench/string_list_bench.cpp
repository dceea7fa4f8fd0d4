// The string list on MAP-sized input, each operation beside the closest plain Qt equivalent as the
// baseline of the same run: splitting text against QString::split, joining against QStringList::join,
// sorting against std::sort with the same comparison, CompareText against QString::compare ignoring
// case. Compare the items_per_second figures of each pair.
#include "base/XLists.h"

#include <QRandomGenerator>
#include <benchmark/benchmark.h>

#include <algorithm>

namespace {

constexpr int LineCount = 300000;

// Symbol lines shaped like the public symbols of a MAP file, in random address order.
const QString &MapLikeText()
{
    static const QString Text = [] {
        QRandomGenerator Random(7);
        QString Made;
        for (int I = 0; I < LineCount; ++I)
            Made += QStringLiteral(" 0001:%1       Unit%2.TForm%3.Method%4\r\n")
                        .arg(Random.bounded(0x7fffffff), 8, 16, QLatin1Char('0'))
                        .arg(Random.bounded(500))
                        .arg(Random.bounded(100))
                        .arg(I);
        return Made;
    }();
    return Text;
}

QStringList MapLikeLines()
{
    QStringList Lines = MapLikeText().split(QStringLiteral("\r\n"));
    Lines.removeLast();
    return Lines;
}

void BM_SplitBaseline(benchmark::State &State)
{
    const QString &Text = MapLikeText();
    for (auto _ : State)
        benchmark::DoNotOptimize(Text.split(QStringLiteral("\r\n")));
    State.SetItemsProcessed(State.iterations() * LineCount);
}

void BM_SetText(benchmark::State &State)
{
    const QString &Text = MapLikeText();
    for (auto _ : State) {
        TXStringList List;
        List.SetText(Text);
        benchmark::DoNotOptimize(List.Count());
    }
    State.SetItemsProcessed(State.iterations() * LineCount);
}

void BM_JoinBaseline(benchmark::State &State)
{
    const QStringList Lines = MapLikeLines();
    for (auto _ : State)
        benchmark::DoNotOptimize(Lines.join(QStringLiteral("\r\n")));
    State.SetItemsProcessed(State.iterations() * LineCount);
}

void BM_Text(benchmark::State &State)
{
    TXStringList List;
    List.SetText(MapLikeText());
    for (auto _ : State)
        benchmark::DoNotOptimize(List.Text());
    State.SetItemsProcessed(State.iterations() * LineCount);
}

void BM_StdSortBaseline(benchmark::State &State)
{
    const QStringList Lines = MapLikeLines();
    for (auto _ : State) {
        State.PauseTiming();
        QStringList Copy = Lines;
        Copy.detach();
        State.ResumeTiming();
        std::sort(Copy.begin(), Copy.end(),
                  [](const QString &A, const QString &B) { return CompareText(A, B) < 0; });
    }
    State.SetItemsProcessed(State.iterations() * LineCount);
}

void BM_Sort(benchmark::State &State)
{
    TXStringList Lines;
    Lines.SetText(MapLikeText());
    for (auto _ : State) {
        State.PauseTiming();
        TXStringList Copy;
        Copy.Assign(&Lines);
        State.ResumeTiming();
        Copy.SetSorted(true);
    }
    State.SetItemsProcessed(State.iterations() * LineCount);
}

// Neighbouring names of one class share a long start, as sorted symbol names do.
QStringList SharedPrefixNames()
{
    QStringList Names;
    for (int I = 0; I < 1000; ++I)
        Names << QStringLiteral(
                     "System.Generics.Collections.TDictionary<System.string,Vcl.Forms.TForm>.Method%1")
                     .arg(I % 37);
    return Names;
}

void BM_QtCompareIgnoringCaseBaseline(benchmark::State &State)
{
    const QStringList Names = SharedPrefixNames();
    for (auto _ : State)
        for (qsizetype I = 1; I < Names.size(); ++I)
            benchmark::DoNotOptimize(Names[I - 1].compare(Names[I], Qt::CaseInsensitive));
    State.SetItemsProcessed(State.iterations() * (Names.size() - 1));
}

void BM_CompareText(benchmark::State &State)
{
    const QStringList Names = SharedPrefixNames();
    for (auto _ : State)
        for (qsizetype I = 1; I < Names.size(); ++I)
            benchmark::DoNotOptimize(CompareText(Names[I - 1], Names[I]));
    State.SetItemsProcessed(State.iterations() * (Names.size() - 1));
}

} // namespace

BENCHMARK(BM_SplitBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SetText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JoinBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Text)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StdSortBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Sort)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QtCompareIgnoringCaseBaseline);
BENCHMARK(BM_CompareText);
BENCHMARK_MAIN();
