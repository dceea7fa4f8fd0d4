// The window reloads the analysed MAP file after the next build: by itself or after asking, keeping
// what the user made of the grid where the rows still exist.
#include "MainWindowFixture.h"

#include "analysis/MapAnalysisThread.h"
#include "app/MapFileWatcher.h"
#include "support/ReadGate.h"

#include <QCheckBox>
#include <QLabel>

namespace {

class Reload : public MainWindowFixture
{
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        OpenWindow();
        FWindow->DEFilePath()->setText(SourceDir() + QStringLiteral("/examples/sample/"));
        Map = Folder.filePath("App.map");
        WriteBuild({{"Alpha", 300}, {"Beta", 200}, {"Gamma", 100}});
        FWindow->OpenMapFile(Map);
        EXPECT_TRUE(WaitForRun(*FWindow));
        ASSERT_EQ(UnitCount(), 3);
    }
    // Each unit gets two routines that share its code.
    void WriteBuild(const std::vector<TMapUnit> &units)
    {
        std::vector<TMapSymbol> symbols;
        quint32 start = 0;
        for (const TMapUnit &unit : units) {
            symbols.push_back({start, unit.Name + ".First"});
            symbols.push_back({start + unit.Size / 2, unit.Name + ".Second"});
            start += unit.Size;
        }
        WriteMapFile(Map, units, symbols, start);
    }

    QTemporaryDir Folder;
    QString Map;
    TMessageCatcher Messages; // no project file lies above the temporary folder
};

TEST_F(Reload, KeepsTheSortTheOpenedUnitsAndTheSelectionThatStillExist)
{
    Grid().SortBy(0, sdAscending);
    Root("Beta")->SetExpanded(true);
    Root("Gamma")->SetExpanded(true);
    Grid().SetSelectedNode(Root("Alpha"));
    Root("Gamma")->SetSelected(true);

    WriteBuild({{"Alpha", 310}, {"Beta", 500}, {"Delta", 50}});
    FWindow->ReloadMapFile(Map);
    EXPECT_TRUE(WaitForRun(*FWindow));

    EXPECT_EQ(RootTexts(), QStringList({"Alpha", "Beta", "Delta"}));
    EXPECT_EQ(Grid().SortColumnIndex(), 0);
    EXPECT_TRUE(Root("Beta")->Expanded());
    EXPECT_EQ(Root("Beta")->Tag(), 500);
    EXPECT_FALSE(Root("Alpha")->Expanded());
    EXPECT_EQ(Grid().SelectedNode(), Root("Alpha"));
    EXPECT_EQ(Grid().Items().SelectedCount(), 1);
    EXPECT_TRUE(FWindow->StatusPanel(0)->text().startsWith("1 units: 0.3 kB code"))
        << FWindow->StatusPanel(0)->text().toStdString();
}

TEST_F(Reload, KeepsTheFirstRowShown)
{
    std::vector<TMapUnit> many;
    for (int i = 0; i < 80; ++i)
        many.push_back({QStringLiteral("Unit%1").arg(i, 2, 10, QLatin1Char('0')), quint32(1000 - i)});
    WriteBuild(many);
    FWindow->ReloadMapFile(Map);
    EXPECT_TRUE(WaitForRun(*FWindow));
    Grid().SetTopNode(Root("Unit40"));
    Grid().grab();
    WriteBuild(many);
    FWindow->ReloadMapFile(Map);
    EXPECT_TRUE(WaitForRun(*FWindow));
    Grid().grab();
    EXPECT_EQ(Grid().TopNode(), Root("Unit40"));
}

TEST_F(Reload, AutomaticallyOrAfterAskingAsTheSettingSays)
{
    WriteBuild({{"Alpha", 300}, {"Beta", 200}, {"Gamma", 100}, {"Delta", 50}});
    const qsizetype before = Messages.Messages.size();
    FWindow->MapFileChanged(Map); // asks; the catcher answers no
    EXPECT_TRUE(WaitForRun(*FWindow));
    ASSERT_EQ(Messages.Messages.size(), before + 1);
    EXPECT_TRUE(Messages.Messages.last().contains("was written again. Analyse it again?"));
    EXPECT_EQ(UnitCount(), 3);

    FWindow->CBAutoReload()->setChecked(true);
    FWindow->MapFileChanged(Map);
    EXPECT_TRUE(WaitForRun(*FWindow));
    EXPECT_EQ(UnitCount(), 4);
    EXPECT_FALSE(Messages.Messages.last().contains("Analyse it again?") &&
                 Messages.Messages.size() > before + 1);
}

TEST_F(Reload, TheWatcherFollowsTheAnalysedFile)
{
    EXPECT_EQ(FWindow->MapFileWatcher()->FileName(), Map);
    FWindow->OpenMapFile(SampleMap());
    EXPECT_TRUE(WaitForRun(*FWindow));
    EXPECT_EQ(FWindow->MapFileWatcher()->FileName(), SampleMap());
}

TEST_F(Reload, AHalfWrittenFileIsNotReadButNoted)
{
    FWindow->MapFileWatcher()->OnUnfinished(Map, QStringLiteral("it does not end as a complete MAP file"));
    EXPECT_EQ(FWindow->StatusPanel(0)->toolTip(),
              "App.map was written again but it does not end as a complete MAP file; press Go when the build "
              "has finished");
    EXPECT_EQ(UnitCount(), 3);
}

TEST_F(Reload, TheSettingIsKeptAndReachedByTab)
{
    FWindow->CBAutoReload()->setChecked(true);
    EXPECT_FALSE(FWindow->CBAutoReload()->toolTip().isEmpty());
    EXPECT_EQ(NextByTab(FWindow->CBGroupByName()), static_cast<QWidget *>(FWindow->CBAutoReload()));
    FWindow->close();
    OpenWindow();
    EXPECT_TRUE(FWindow->CBAutoReload()->isChecked());
}

// A reload never stops at a dialog: without a project file the note goes to the status bar. Go
// shows the dialog as designed, with the reading already started behind it.
TEST_F(Reload, AMissingProjectFileIsNotedOnAReloadAndAskedAboutBehindTheReadingOnGo)
{
    const qsizetype before = Messages.Messages.size();
    FWindow->CBAutoReload()->setChecked(true);
    WriteBuild({{"Alpha", 300}, {"Beta", 200}, {"Gamma", 100}, {"Delta", 50}});
    FWindow->MapFileChanged(Map);
    ASSERT_TRUE(WaitForRun(*FWindow));
    EXPECT_EQ(UnitCount(), 4);
    EXPECT_EQ(Messages.Messages.size(), before);
    EXPECT_TRUE(
        FWindow->StatusPanel(0)->toolTip().startsWith("Couldn't locate project file (App.dpr). sizes"))
        << FWindow->StatusPanel(0)->toolTip().toStdString();

    bool readingWhenAsked = false;
    TReadGate gate(1);
    FWindow->AnalysisThread()->OnReport = gate.Hook();
    Messages.OnMessage = [&] {
        readingWhenAsked = FWindow->AnalysisThread()->Running();
        gate.Release();
    };
    FWindow->BBGoClick();
    ASSERT_TRUE(WaitForRun(*FWindow));
    EXPECT_TRUE(readingWhenAsked);
    EXPECT_TRUE(Messages.Messages.last().startsWith("Couldn't locate project file (App.dpr)."));
    gate.Release();
}

} // namespace
