// quillon-griddemo: the tree-grid on its own, filled from a MAP file through the analysis engine, so
// that the grid can be seen and tried without the main window.
//
//   quillon-griddemo [MAP file [search folder]] [--screenshot PNG] [--expand N] [--select N]
//
// Without a MAP file the bundled sample project is opened. --screenshot renders the window once,
// writes it to PNG and quits; --expand opens the first N unit rows and --select selects row N first.

#include "analysis/MapAnalysis.h"
#include "base/UMultiLang.h"
#include "controls/CITVClassic.h"
#include "tree/ITreeNodes.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QMainWindow>
#include <QStatusBar>
#include <QStyleFactory>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace {

const QString SampleMap = QStringLiteral(QUILLON_SOURCE_DIR "/examples/sample/SampleApp.map");
const QString SampleDcu = QStringLiteral(QUILLON_SOURCE_DIR "/examples/sample/dcu");

// A size bar under the right-aligned number: the demo's stand-in for the main window's painters.
void DrawSizeBar(QPainter &canvas, const QRect &cell, qint64 value, qint64 maximum, const QColor &bar)
{
    if (maximum > 0 && value > 0) {
        const int width = int(std::min<qint64>(value * (cell.width() - 4) / maximum, cell.width() - 4));
        canvas.fillRect(QRect(cell.left() + 2, cell.bottom() - 4, width, 3), bar);
    }
    canvas.drawText(cell.adjusted(3, 0, -3, 0), Qt::AlignRight | Qt::AlignVCenter, QString::number(value));
}

void SetupGrid(TITreeView &grid, const TMapAnalysis &analysis)
{
    grid.SetHeaderHeight(21);
    grid.SetRowHeight(20);
    grid.SetRowSelect(true);
    grid.SetGridLines(true);
    grid.SetGridColumns(true);
    grid.SetMultiSelect(true);
    TMapAnalysis::SetupUnitColumns(grid);
    grid.Column(1)->OnDrawNodeContent = [&analysis](TITreeView *, QPainter &canvas, const QRect &cell,
                                                    TITreeNode *node, int, TITreeViewNodeStates) {
        DrawSizeBar(canvas, cell, node->Tag(), analysis.MaxCodeSize(), QColor(0x4a, 0x90, 0xd9));
    };
    grid.Column(2)->OnDrawNodeContent = [&analysis](TITreeView *, QPainter &canvas, const QRect &cell,
                                                    TITreeNode *node, int, TITreeViewNodeStates) {
        const double percent = double(node->Tag()) * analysis.PercentFactor();
        canvas.drawText(cell.adjusted(3, 0, -3, 0), Qt::AlignRight | Qt::AlignVCenter,
                        QString::number(percent, 'f', 2));
    };
    grid.Column(3)->OnDrawNodeContent = [&analysis](TITreeView *, QPainter &canvas, const QRect &cell,
                                                    TITreeNode *node, int, TITreeViewNodeStates) {
        if (node->Level() == 0)
            DrawSizeBar(canvas, cell, node->Data(), analysis.MaxDFMSize(), QColor(0xd9, 0x90, 0x4a));
    };
}

QString SelectionSummary(TInteractiveTreeView &grid)
{
    qint64 total = 0;
    int units = 0;
    for (TITreeNode *node = grid.Items().GetFirstNode(); node; node = node->NextSibling())
        if (node->Selected()) {
            total += node->Tag();
            ++units;
        }
    return QStringLiteral("%1 unit(s) selected, %2 bytes").arg(units).arg(total);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create("Fusion"));
    SetInterfaceLanguage(1033);

    QCommandLineParser parser;
    parser.addPositionalArgument("map", "The detailed MAP file (default: the bundled sample).");
    parser.addPositionalArgument("folder", "The folder searched for compiled units.");
    const QCommandLineOption screenshot("screenshot", "Write the window to PNG and quit.", "png");
    const QCommandLineOption expand("expand", "Open the first N unit rows.", "n", "0");
    const QCommandLineOption select("select", "Select row N.", "n", "-1");
    parser.addOptions({screenshot, expand, select});
    parser.addHelpOption();
    parser.process(app);

    const QStringList positional = parser.positionalArguments();
    const QString mapFile = positional.value(0, SampleMap);
    std::optional<QString> folder;
    if (positional.size() > 1)
        folder = positional[1];
    else if (positional.isEmpty())
        folder = SampleDcu;

    QMainWindow window;
    auto *const grid = new TITreeView(&window);
    window.setCentralWidget(grid);
    window.resize(700, 480);
    window.setWindowTitle(QStringLiteral("Quillon grid demo - %1").arg(QFileInfo(mapFile).fileName()));

    TMapAnalysis analysis(*grid);
    SetupGrid(*grid, analysis);
    analysis.OnMessage = [&window](TMapAnalysis *, const QString &message) {
        window.statusBar()->showMessage(message);
        std::fprintf(stderr, "%s\n", qPrintable(message));
    };
    grid->OnExpanding = [&analysis](TTreeGridModel *sender, TITreeNode *node, bool &allow) {
        analysis.VGUnitsExpanding(sender, node, allow);
    };

    if (analysis.MapFileAvailable(mapFile)) {
        const QString current = QDir::currentPath();
        analysis.Run(mapFile, folder);
        QDir::setCurrent(current);
    }
    grid->SetShowRoot(analysis.ShowRoot());
    grid->OnSelectionChanged = [&window](TInteractiveTreeView *sender) {
        window.statusBar()->showMessage(SelectionSummary(*sender));
    };

    const int expandCount = parser.value(expand).toInt();
    TITreeNode *node = grid->Items().GetFirstNode();
    for (int i = 0; i < expandCount && node; ++i, node = node->NextSibling())
        node->SetExpanded(true);
    if (const int row = parser.value(select).toInt(); row >= 0)
        grid->SetSelectedNode(grid->RowNode(row));

    window.show();
    window.activateWindow();
    grid->setFocus();
    if (parser.isSet(screenshot)) {
        const QString target = parser.value(screenshot);
        QTimer::singleShot(300, &window, [&window, target] {
            const bool saved = window.grab().save(target);
            QApplication::exit(saved ? 0 : 1);
        });
    }
    return QApplication::exec();
}
