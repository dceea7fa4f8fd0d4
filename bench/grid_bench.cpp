// The tree-grid's render cost must follow the rows on screen, not the size of the tree: a 60-row
// viewport is scrolled page by page over 100,000 expanded nodes and over 100 nodes (the baseline),
// each page rendered once into the back buffer. The ratio of the two is the figure that matters.

#include "base/XLists.h"
#include "controls/CITVClassic.h"
#include "tree/ITreeNodes.h"

#include <QApplication>
#include <QStyleFactory>
#include <QWindow>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr int ViewportRows = 60;
constexpr int ChildrenPerRoot = 99;

// Roots with ChildrenPerRoot expanded children each, nodeCount nodes in all.
std::unique_ptr<TITreeView> MakeGrid(int nodeCount)
{
    auto grid = std::make_unique<TITreeView>();
    grid->SetHotTrack(false);
    grid->SetRowSelect(true);
    grid->SetGridLines(true);
    grid->SetGridColumns(true);
    grid->AddColumn("Unit", 275);
    grid->AddColumn("Compiled size", 120, Qt::AlignRight, iskTag);
    grid->AddColumn("Ratio", 100, Qt::AlignRight, iskNumeric);
    grid->resize(520, grid->HeaderHeight() + ViewportRows * grid->RowHeight());
    TITreeNodes &items = grid->Items();
    items.BeginUpdate();
    int made = 0;
    while (made < nodeCount) {
        TITreeNode *const root = items.AddRoot();
        // Texts of one length in both trees, so that only the tree's size differs.
        root->SetText(QStringLiteral("Unit%1").arg(made, 6, 10, QLatin1Char('0')));
        ++made;
        for (int i = 0; i < ChildrenPerRoot && made < nodeCount; ++i, ++made) {
            TITreeNode *const child =
                root->AddChild(QStringLiteral("Symbol%1").arg(made, 6, 10, QLatin1Char('0')));
            child->SetTag(made);
            child->ColumnStrings()->Add(QStringLiteral("%1").arg(made, 6, 10, QLatin1Char('0')));
            child->ColumnStrings()->Add(QStringLiteral("1.5"));
        }
        root->SetExpanded(true);
    }
    items.EndUpdate();
    grid->show();
    while (!grid->windowHandle()->isExposed())
        QCoreApplication::processEvents();
    grid->repaint();
    return grid;
}

void ScrollPageByPage(benchmark::State &state)
{
    const std::unique_ptr<TITreeView> grid = MakeGrid(int(state.range(0)));
    const int rows = int(grid->Rows().size());
    if (grid->VisibleRowCount() != ViewportRows || !grid->VertScrollBar()) {
        state.SkipWithError("the viewport did not get its 60 rows");
        return;
    }
    double renderMs = 0;
    for (auto _ : state) {
        TICCScrollBar *const bar = grid->VertScrollBar();
        if (bar->Position() >= bar->LastPosition())
            bar->MoveToStart();
        else
            bar->MoveForward(ViewportRows);
        grid->repaint();
        renderMs += grid->LastRenderTimeMs();
        benchmark::DoNotOptimize(grid->BackBuffer().constBits());
    }
    state.counters["rows"] = rows;
    // The render alone, without the composition of the window paint.
    state.counters["render_us"] = benchmark::Counter(renderMs * 1000, benchmark::Counter::kAvgIterations);
}

BENCHMARK(ScrollPageByPage)->Arg(100)->Arg(100000)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create("Fusion"));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
