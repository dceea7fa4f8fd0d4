// The treemap pane on the generated 3,000-unit MAP file (quillon-mapgen's default shape), measured
// against the floor taken in the same run: one read() of the file and its line starts found with
// memchr. What must stay smooth: the first picture of the units (layout and render), zooming into
// the largest unit (its symbol rows built by the engine, then laid out and rendered), zooming back
// out (the units' layout taken from the cache) and a mouse move to another cell (the hover frame, drawn over
// the picture without rendering it). Each figure is printed at the end as a ratio to the floor, beside its
// target.
//
// The MAP file is generated once into $QUILLON_BENCH_DIR (default: the temporary folder's
// quillon-bench-treemap) and reused by later runs.

#include "BestRuns.h"
#include "ReadFloor.h"
#include "SyntheticMap.h"

#include "analysis/MapAnalysis.h"
#include "controls/CTreemapView.h"
#include "tree/TreeGridModel.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QStyleFactory>
#include <QWindow>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

const QSize ViewSize(900, 700);

QString MapFile()
{
    const QByteArray configured = qgetenv("QUILLON_BENCH_DIR");
    const QString folder = configured.isEmpty()
                               ? QDir::temp().filePath(QStringLiteral("quillon-bench-treemap"))
                               : QString::fromLocal8Bit(configured);
    QDir().mkpath(folder);
    return QDir(folder).filePath(QStringLiteral("units-3000.map"));
}

// The analysis of the file, made once: the benchmarks differ only in what the treemap does with it.
struct TAnalysed
{
    TTreeGridModel Grid;
    TMapAnalysis Analysis{Grid};
    std::string Path;

    TAnalysed()
    {
        const QString path = MapFile();
        WriteSyntheticMapOnce(path, TSyntheticMapOptions());
        Path = path.toStdString();
        TMapAnalysis::SetupUnitColumns(Grid);
        // As the window does: opening a unit row, or zooming into it, builds its symbol rows.
        Grid.OnExpanding = [this](TTreeGridModel *sender, TITreeNode *node, bool &allow) {
            Analysis.VGUnitsExpanding(sender, node, allow);
        };
        Analysis.OnMessage = [](TMapAnalysis *, const QString &) {};
        Analysis.Run(path, std::nullopt);
    }

    TITreeNode *LargestUnit() const
    {
        TITreeNode *largest = nullptr;
        for (TITreeNode *node = Grid.Items().GetFirstNode(); node; node = node->NextSibling())
            if (!largest || node->Tag() > largest->Tag())
                largest = node;
        return largest;
    }

    // The unit's symbol rows go back to the placeholder the engine builds them from.
    void Unbuild(TITreeNode *unit)
    {
        unit->DeleteChildren();
        unit->AddChild(QStringLiteral("$"));
    }
};

TAnalysed &Analysed()
{
    static TAnalysed analysed;
    return analysed;
}

std::unique_ptr<TTreemapView> ShownView()
{
    auto view = std::make_unique<TTreemapView>();
    view->resize(ViewSize);
    view->show();
    while (!view->windowHandle()->isExposed())
        QCoreApplication::processEvents();
    return view;
}

double Seconds(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e9;
}

void BM_Floor(benchmark::State &state)
{
    const std::string &path = Analysed().Path;
    for (auto _ : state)
        state.counters["lines"] = double(ReadAndFindLineStarts(path.c_str()));
}

// A new view on the model: no layout cached.
void BM_FirstPicture(benchmark::State &state)
{
    TAnalysed &analysed = Analysed();
    const std::unique_ptr<TTreemapView> view = ShownView();
    for (auto _ : state) {
        view->SetModel(nullptr);
        QElapsedTimer timer;
        timer.start();
        view->SetModel(&analysed.Grid);
        view->repaint();
        state.SetIterationTime(Seconds(timer));
    }
    state.counters["cells"] = view->CellCount();
}

// Back out of the largest unit: the units' layout for this size is still cached.
void BM_ZoomBackOut(benchmark::State &state)
{
    TAnalysed &analysed = Analysed();
    const std::unique_ptr<TTreemapView> view = ShownView();
    view->SetModel(&analysed.Grid);
    view->repaint();
    for (auto _ : state) {
        view->ZoomInto(analysed.LargestUnit());
        view->repaint();
        QElapsedTimer timer;
        timer.start();
        view->ZoomOut();
        view->repaint();
        state.SetIterationTime(Seconds(timer));
    }
}

void BM_ZoomIntoLargestUnit(benchmark::State &state)
{
    TAnalysed &analysed = Analysed();
    TITreeNode *const unit = analysed.LargestUnit();
    const std::unique_ptr<TTreemapView> view = ShownView();
    view->SetModel(&analysed.Grid);
    view->repaint();
    for (auto _ : state) {
        view->ZoomToRoot();
        analysed.Unbuild(unit);
        view->repaint();
        QElapsedTimer timer;
        timer.start();
        view->ZoomInto(unit);
        view->repaint();
        state.SetIterationTime(Seconds(timer));
    }
    state.counters["symbols"] = double(unit->Count());
    state.counters["cells"] = view->CellCount();
}

void BM_HoverAnotherCell(benchmark::State &state)
{
    const std::unique_ptr<TTreemapView> view = ShownView();
    view->SetModel(&Analysed().Grid);
    view->repaint();
    const QRect map = view->MapRect();
    int step = 0;
    for (auto _ : state) {
        // Across the map in steps of 37 pixels, so that most moves reach another cell.
        const QPoint p(map.left() + (step * 37) % map.width(),
                       map.top() + (step * 37 / map.width() * 23) % map.height());
        ++step;
        QElapsedTimer timer;
        timer.start();
        QMouseEvent move(QEvent::MouseMove, p, view->mapToGlobal(p), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(view.get(), &move);
        view->repaint();
        state.SetIterationTime(Seconds(timer));
    }
}

class TFloorReporter : public TBestRunsReporter
{
public:
    void Finalize() override
    {
        ConsoleReporter::Finalize();
        const double floor = Seconds("BM_Floor/");
        std::printf("\n%-40s | %10s | %10s | %9s | target\n", "3,000 units, 900 x 700 pixels", "value",
                    "floor", "ratio");
        // A tenth of reading the file for a new picture keeps the pane smooth where the file loads
        // in a second; a move of the mouse draws only the frame.
        const TTarget targets[] = {
            {"first picture of the units", "BM_FirstPicture", 0.1},
            {"zoom into the largest unit", "BM_ZoomIntoLargestUnit", 0.1},
            {"zoom back out to the units", "BM_ZoomBackOut", 0.05},
            {"hover another cell", "BM_HoverAnotherCell", 0.01},
        };
        for (const TTarget &target : targets) {
            const double value = Seconds(std::string(target.Benchmark) + "/");
            if (value < 0 || floor <= 0) {
                std::printf("%-40s | %10s |\n", target.Figure, "not run");
                continue;
            }
            std::printf("%-40s | %7.2f ms | %7.2f ms | %7.3f x | <= %.2f x\n", target.Figure, value * 1e3,
                        floor * 1e3, value / floor, target.Target);
        }
    }
};

void Repeated(benchmark::internal::Benchmark *benchmark)
{
    BestOf(benchmark, 5);
}

} // namespace

BENCHMARK(BM_Floor)->Unit(benchmark::kMillisecond)->Apply(Repeated);
BENCHMARK(BM_FirstPicture)->UseManualTime()->Unit(benchmark::kMillisecond)->Apply(Repeated);
BENCHMARK(BM_ZoomIntoLargestUnit)->UseManualTime()->Unit(benchmark::kMillisecond)->Apply(Repeated);
BENCHMARK(BM_ZoomBackOut)->UseManualTime()->Unit(benchmark::kMillisecond)->Apply(Repeated);
BENCHMARK(BM_HoverAnotherCell)->UseManualTime()->Unit(benchmark::kMicrosecond)->Apply(Repeated);

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create("Fusion"));
    benchmark::Initialize(&argc, argv);
    TFloorReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
