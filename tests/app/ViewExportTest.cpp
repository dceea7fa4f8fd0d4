// The window's export of its view: the bytes of quillon-cli report given the view's options, and
// the analysed files never written over.
#include "MainWindowFixture.h"

#include "app/ViewExport.h"
#include "cli/CliOptions.h"
#include "cli/Commands.h"
#include "controls/ModalDialogAnswer.h"
#include "controls/UStdMessageDlg.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QTemporaryDir>

namespace {

QByteArray FileBytes(const QString &fileName)
{
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class ViewExportTest : public MainWindowFixture
{
protected:
    void OpenOnSample()
    {
        OpenWindow();
        FWindow->DEFilePath()->setText(SampleFolder());
        FWindow->OpenMapFile(SampleMap());
        ASSERT_TRUE(WaitForRun(*FWindow));
    }
    static QString SampleFolder() { return SourceDir() + QStringLiteral("/examples/sample"); }

    // Triggers the window's action, answering its file dialog with the file and the filter whose
    // pattern names Suffix.
    void ExportThroughWindow(const QString &fileName, const QString &suffix)
    {
        FWindow->ViewExport().AskFileName = [&](const QStringList &filters, QString &selected) {
            for (const QString &filter : filters)
                if (filter.contains(QStringLiteral("*.") + suffix))
                    selected = filter;
            return fileName;
        };
        FWindow->ViewExport().Action()->trigger();
        // Written on a thread of its own, with the window locked as for a run.
        ASSERT_TRUE(WaitForRun(*FWindow));
        ASSERT_FALSE(FWindow->ViewExport().Running());
    }

    // quillon-cli report through the library, as the program runs it.
    static QByteArray CliReport(QStringList arguments, const QString &fileName)
    {
        arguments << QStringLiteral("--output") << fileName;
        QString error;
        std::optional<TCliOptions> options = TCliOptions::Parse(arguments, error);
        EXPECT_TRUE(options) << error.toStdString();
        if (!options)
            return {};
        EXPECT_EQ(RunReport(*options), ecSuccess);
        return FileBytes(fileName);
    }

    QTemporaryDir FFolder;
};

TEST_F(ViewExportTest, WritesTheBytesOfTheCliReportOfTheView)
{
    struct TCase
    {
        const char *Name;
        QString Suffix;
        QString Filter;
        bool ByName;
        QStringList CliOptions;
    };
    const TCase cases[] = {
        {"csv of every unit", "csv", "", false, {"--format", "csv"}},
        {"json filtered, by name",
         "json",
         "Form",
         true,
         {"--format", "json", "--symbols", "--filter", "Form", "--group-by", "name"}},
        {"html filtered", "html", "Update", false, {"--format", "html", "--filter", "Update"}},
    };
    OpenOnSample();
    const QByteArray mapBefore = FileBytes(SampleMap());
    for (const TCase &c : cases) {
        FWindow->EDFilter()->setText(c.Filter);
        QTest::keyClick(FWindow->EDFilter(), Qt::Key_Return);
        FWindow->CBGroupByName()->setChecked(c.ByName);
        const QString exported = FFolder.filePath(QStringLiteral("view.") + c.Suffix);
        ExportThroughWindow(exported, c.Suffix);
        const QByteArray bytes = FileBytes(exported);
        ASSERT_FALSE(bytes.isEmpty()) << c.Name;
        const QStringList cli =
            QStringList{"report", SampleMap(), "--search-dir", SampleFolder()} + c.CliOptions;
        EXPECT_EQ(bytes, CliReport(cli, FFolder.filePath(QStringLiteral("cli.") + c.Suffix))) << c.Name;
        EXPECT_EQ(FWindow->StatusPanel(0)->text(), QStringLiteral("View exported to ") + exported) << c.Name;
    }
    EXPECT_EQ(FileBytes(SampleMap()), mapBefore);
}

// The CLI's report carries the whole file of an executable of the same build beside the MAP file;
// so does the export.
TEST_F(ViewExportTest, AnExecutableBesideTheMapFileIsInTheExportAsInTheCliReport)
{
    const QString folder = CorpusDir() + QStringLiteral("/d7-circuit");
    const QString map = folder + QStringLiteral("/Project1.map");
    if (!QFileInfo(folder + QStringLiteral("/Project1.exe")).isFile() || !QFileInfo(map).isFile())
        GTEST_SKIP() << "no corpus at " << folder.toStdString();
    OpenWindow();
    FWindow->DEFilePath()->setText(folder);
    FWindow->OpenMapFile(map);
    ASSERT_TRUE(WaitForRun(*FWindow));
    for (const QString &suffix : {QStringLiteral("json"), QStringLiteral("html")}) {
        const QString exported = FFolder.filePath(QStringLiteral("view.") + suffix);
        ExportThroughWindow(exported, suffix);
        const QByteArray bytes = FileBytes(exported);
        const QStringList cli = {"report", map, "--search-dir", folder, "--format", suffix, "--symbols"};
        EXPECT_EQ(bytes, CliReport(cli, FFolder.filePath(QStringLiteral("cli.") + suffix))) << suffix.toStdString();
        EXPECT_TRUE(bytes.contains("Project1.exe")) << suffix.toStdString() << ": the whole file is named";
    }
}

// The executable the run reads is never written over either.
TEST_F(ViewExportTest, TheExecutableBesideTheMapFileIsRefused)
{
    OpenOnSample();
    const QString exe = FFolder.filePath(QStringLiteral("SampleApp.exe"));
    QFile::copy(SampleMap(), FFolder.filePath(QStringLiteral("SampleApp.map")));
    QFile(exe).open(QIODevice::WriteOnly);
    QFile(FFolder.filePath(QStringLiteral("SampleApp.dpr"))).open(QIODevice::WriteOnly);
    FWindow->OpenMapFile(FFolder.filePath(QStringLiteral("SampleApp.map")));
    ASSERT_TRUE(WaitForRun(*FWindow));
    QString shown;
    AnswerNextModal<TStdMessageDlg>([&shown](TStdMessageDlg *dialog) {
        for (const QLabel *label : dialog->findChildren<QLabel *>())
            shown += label->text();
        dialog->reject();
    });
    ExportThroughWindow(exe, QStringLiteral("json"));
    EXPECT_TRUE(shown.contains(QStringLiteral("is read by the analysis"))) << shown.toStdString();
    EXPECT_EQ(QFileInfo(exe).size(), 0);
}

TEST_F(ViewExportTest, AFileTheRunReadsIsRefusedAndLeftAsItWas)
{
    OpenOnSample();
    const QByteArray mapBefore = FileBytes(SampleMap());
    QString shown;
    AnswerNextModal<TStdMessageDlg>([&shown](TStdMessageDlg *dialog) {
        for (const QLabel *label : dialog->findChildren<QLabel *>())
            shown += label->text();
        dialog->reject();
    });
    ExportThroughWindow(SampleMap(), QStringLiteral("json"));
    EXPECT_TRUE(shown.contains(QStringLiteral("is read by the analysis"))) << shown.toStdString();
    EXPECT_EQ(FileBytes(SampleMap()), mapBefore);
    EXPECT_TRUE(QDir(SampleFolder())
                    .entryList({QStringLiteral("*.tmp"), QStringLiteral(".*")}, QDir::Files)
                    .isEmpty());
}

TEST_F(ViewExportTest, AnUnwritableFolderIsReportedAndNothingAnalysedDisablesTheAction)
{
    OpenWindow();
    EXPECT_FALSE(FWindow->ViewExport().Action()->isEnabled()) << "nothing analysed";
    EXPECT_EQ(FWindow->ViewExport().Action()->shortcut(), QKeySequence(QStringLiteral("Ctrl+Shift+E")));
    FWindow->DEFilePath()->setText(SampleFolder());
    FWindow->OpenMapFile(SampleMap());
    ASSERT_TRUE(WaitForRun(*FWindow));
    EXPECT_TRUE(FWindow->ViewExport().Action()->isEnabled());
    QMenu *const menu = Grid().RowsMenu();
    EXPECT_TRUE(menu->actions().contains(FWindow->ViewExport().Action())) << "in the grid's menu";
    menu->popup(Grid().mapToGlobal(QPoint(100, 60)));
    menu->grab().save(QStringLiteral(QUILLON_BINARY_DIR "/view-export-menu.png"));
    menu->hide();
    QString shown;
    AnswerModalWhenShown<TStdMessageDlg>([&shown](TStdMessageDlg *dialog) {
        for (const QLabel *label : dialog->findChildren<QLabel *>())
            shown += label->text();
        dialog->reject();
    });
    ExportThroughWindow(FFolder.filePath(QStringLiteral("missing/view.csv")), QStringLiteral("csv"));
    EXPECT_TRUE(shown.contains(QStringLiteral("cannot be written"))) << shown.toStdString();
}
