// The scan dialog alone, and the compiled unit scan driving it through the main window on a fake
// clock: shown only after 500 ms, refreshed at most every 50 ms, aborted by its button.
#include "AppTestSupport.h"

#include "app/FMain.h"
#include "app/FScanFilesAbort.h"
#include "controls/CDirectoryEdit.h"
#include "controls/CFileComboEdit.h"
#include "controls/UTimer97.h"

#include <QDir>
#include <QEvent>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

TEST(ScanFilesAbortTest, ButtonHoldsTheAbortRequestUntilTheNextReset)
{
    TScanFilesAbort dialog;
    dialog.LACurrentDirectory()->setText(QStringLiteral("/old/"));
    dialog.ResetAbort();
    EXPECT_FALSE(dialog.Aborted());
    EXPECT_EQ(dialog.BBAbort()->text(), QStringLiteral("This is taking too long... abort!"));
    EXPECT_EQ(dialog.LACurrentDirectory()->text(), QString());

    dialog.show();
    QTest::mouseClick(dialog.BBAbort(), Qt::LeftButton);
    QTest::mouseClick(dialog.BBAbort(), Qt::LeftButton);
    EXPECT_TRUE(dialog.Aborted());
    EXPECT_EQ(dialog.BBAbort()->text(), QStringLiteral("Aborting..."));

    dialog.ResetAbort();
    EXPECT_FALSE(dialog.Aborted());
}

TEST(ScanFilesAbortTest, OnlyTheButtonEndsAScanEarly)
{
    TScanFilesAbort dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Scanning Files..."));
    EXPECT_EQ(dialog.size(), QSize(441, 100));
    EXPECT_FALSE(dialog.windowFlags().testFlag(Qt::WindowCloseButtonHint));
    EXPECT_FALSE(dialog.isModal());
    dialog.show();
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_TRUE(dialog.isVisible());
}

class ScanTest : public ::testing::Test
{
protected:
    static constexpr int FolderCount = 60;

    void SetUp() override
    {
        auto time = std::make_unique<TFakeTime>();
        FTime = time.get();
        CreateTimer97Handler(std::move(time));
        FWindow = std::make_unique<TQuillonMain>(QStringList{QStringLiteral("quillon")});
        FScan = std::make_unique<TScanFilesAbort>(FWindow.get());
        FWindow->SetScanFilesAbort(FScan.get());
        FWindow->SetClock(std::shared_ptr<TICCClock>(FTime, [](TICCClock *) {}));
        FScan->installEventFilter(&FShows);
        FWindow->show();

        for (int i = 0; i < FolderCount; ++i)
            QDir(FTree.path()).mkpath(QStringLiteral("d%1/sub").arg(i));
        FWindow->FEMapFile()->SetFileName(SourceDir() + QStringLiteral("/examples/sample/SampleApp.map"));
        FWindow->DEFilePath()->setText(FTree.path() + u'/');
    }
    void TearDown() override
    {
        FScan.reset();
        FWindow.reset();
        FreeTimer97Handler();
    }

    void Go()
    {
        FTime->Readings = 0;
        FTime->DueTimes.clear();
        QTest::mouseClick(FWindow->BBGo(), Qt::LeftButton);
        EXPECT_TRUE(WaitForRun(*FWindow));
    }

    TTemporarySettings FSettings;
    QTemporaryDir FTree;
    TFakeTime *FTime = nullptr;
    TEventCounter FShows{QEvent::Show};
    std::unique_ptr<TQuillonMain> FWindow;
    std::unique_ptr<TScanFilesAbort> FScan;
};

TEST_F(ScanTest, ProgressRefreshesAtMostEvery50Milliseconds)
{
    struct TCall
    {
        const char *Folder;
        const char *Shown;
    } calls[] = {{"a/", "a/"}, {"b/", "a/"}, {"c/", "a/"}, {"d/", "d/"}, {"e/", "d/"}};
    for (const TCall &call : calls) {
        bool abort = true;
        FWindow->ScanFilesProgress(QString::fromLatin1(call.Folder), abort);
        EXPECT_FALSE(abort);
        EXPECT_EQ(FScan->LACurrentDirectory()->text(), QString::fromLatin1(call.Shown)) << call.Folder;
    }
    FScan->BBAbort()->click();
    bool abort = false;
    FWindow->ScanFilesProgress(QStringLiteral("f/"), abort);
    EXPECT_TRUE(abort) << "the abort state is read on every call";
}

TEST_F(ScanTest, ShortScanNeverShowsTheDialog)
{
    FTime->Step = 1;
    Go();
    // The scan's dialog, then the progress panel of the reading that follows it.
    EXPECT_EQ(FTime->DueTimes, (std::vector<std::uint32_t>{500, 500}));
    EXPECT_GT(FTime->Readings, 2 * FolderCount);
    EXPECT_EQ(FShows.Count, 0);
    EXPECT_TRUE(FWindow->BBGo()->isEnabled());
}

TEST_F(ScanTest, LongScanShowsTheDialogOnceAndItsButtonAborts)
{
    FTime->Step = 20;
    bool clicked = false;
    FTime->OnReading = [&](qint64) {
        if (FScan->isVisible() && !clicked) {
            clicked = true;
            QTest::mouseClick(FScan->BBAbort(), Qt::LeftButton);
        }
    };
    Go();
    EXPECT_TRUE(clicked);
    EXPECT_EQ(FShows.Count, 1);
    EXPECT_FALSE(FScan->isVisible());
    EXPECT_LT(FTime->Readings, 2 * FolderCount) << "the descent stops at the abort";
    EXPECT_EQ(FScan->BBAbort()->text(), QStringLiteral("Aborting..."));
    EXPECT_FALSE(FScan->LACurrentDirectory()->text().isEmpty());
    EXPECT_TRUE(FWindow->BBGo()->isEnabled());
    EXPECT_EQ(FWindow->VGUnits()->Items().RootCount(), 11) << "an aborted scan is not an error";

    // The next run starts armed, with an empty folder label.
    bool armedAtStart = false;
    FTime->OnReading = [&](qint64) {
        if (FTime->Readings == 1)
            armedAtStart = !FScan->Aborted() && FScan->LACurrentDirectory()->text().isEmpty();
    };
    Go();
    EXPECT_TRUE(armedAtStart);
}

} // namespace
