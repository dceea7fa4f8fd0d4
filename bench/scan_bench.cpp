// A hostile search folder of 100,000 compiled units (50 folders of 1,000, one flat folder of 50,000,
// a link cycle) scanned through the real window on the real clock, against the bare scan of the same
// tree in the same run (the baseline). The window must add little to the scan (window_x_bare) and
// keep its event loop turning: the longest pause between two turns is max_pause_ms, and pause_x_bare
// relates it to the whole bare scan.

#include "analysis/ProjectFiles.h"
#include "app/FMain.h"
#include "app/FScanFilesAbort.h"
#include "base/XLists.h"
#include "controls/CDirectoryEdit.h"
#include "controls/CFileComboEdit.h"
#include "controls/UTimer97.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

namespace {

bool CreateEmptyFiles(const QString &folder, int count)
{
    QDir().mkpath(folder);
    for (int i = 0; i < count; ++i) {
        const int fd = creat(QFile::encodeName(folder + QStringLiteral("U%1.dcu").arg(i)).constData(), 0644);
        if (fd < 0)
            return false;
        close(fd);
    }
    return true;
}

const QString &HostileTree()
{
    static QTemporaryDir tree;
    static const QString root = [] {
        const QString path = tree.path() + u'/';
        bool made = true;
        for (int folder = 0; folder < 50; ++folder)
            made = made && CreateEmptyFiles(path + QStringLiteral("f%1/").arg(folder), 1000);
        made = made && CreateEmptyFiles(path + QStringLiteral("flat/"), 50000) &&
               symlink("..", QFile::encodeName(path + QStringLiteral("f0/up")).constData()) == 0;
        return made ? path : QString();
    }();
    return root;
}

// Each iteration times the bare scan (the baseline), then the same scan through the window.
void WindowScanAgainstBareScan(benchmark::State &state)
{
    if (HostileTree().isEmpty()) {
        state.SkipWithError("the tree could not be written");
        return;
    }
    TQuillonMain window({QStringLiteral("quillon")});
    TScanFilesAbort scan(&window);
    window.SetScanFilesAbort(&scan);
    window.show();
    window.FEMapFile()->SetFileName(QStringLiteral(QUILLON_SOURCE_DIR "/examples/sample/SampleApp.map"));
    window.DEFilePath()->setText(HostileTree());

    QElapsedTimer clock;
    qint64 lastTurn = 0;
    qint64 maxPause = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        maxPause = std::max(maxPause, clock.elapsed() - lastTurn);
        lastTurn = clock.elapsed();
    });
    double bareMs = 0;
    double windowMs = 0;
    int files = 0;
    for (auto _ : state) {
        clock.start();
        files = ScanCompiledUnits(HostileTree(), [](const QString &, bool &) {})->Count();
        bareMs += double(clock.nsecsElapsed()) / 1e6;

        ticker.start(0);
        clock.start();
        lastTurn = 0;
        window.BBGoClick();
        // The MAP file is read off the window's thread after the scan.
        while (window.RunActive())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        const double elapsedMs = double(clock.nsecsElapsed()) / 1e6;
        maxPause = std::max(maxPause, clock.elapsed() - lastTurn);
        ticker.stop();
        windowMs += elapsedMs;
        state.SetIterationTime(elapsedMs / 1e3);
    }
    state.counters["files"] = files;
    state.counters["bare_ms"] = bareMs / double(state.iterations());
    state.counters["window_x_bare"] = windowMs / bareMs;
    state.counters["max_pause_ms"] = double(maxPause);
    state.counters["pause_x_bare"] = double(maxPause) / (bareMs / double(state.iterations()));
}

BENCHMARK(WindowScanAgainstBareScan)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The window's settings go to a folder of the run's own, not the user's.
    const QTemporaryDir settings;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(settings.path()));
    QApplication app(argc, argv);
    CreateTimer97Handler();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    FreeTimer97Handler();
    return 0;
}
