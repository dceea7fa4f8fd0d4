// A search folder built to be hostile, scanned through the real window on a fake clock: 100,000
// compiled units, half of them in one flat folder, a link cycle and a sub-folder without rights (the
// superuser still reads it; the file utilities' tests cover the refusal). The scan ends, its dialog's
// button is heard, and the window's event loop keeps turning even inside the flat folder.
#include "AppTestSupport.h"
#include "support/EmptyFiles.h"

#include "app/FMain.h"
#include "app/FScanFilesAbort.h"
#include "controls/CDirectoryEdit.h"
#include "controls/CFileComboEdit.h"
#include "controls/UTimer97.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

// A folder that cannot be opened and a link back up are POSIX's: the test is Linux's.
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>

namespace {

class HugeScanTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        Tree = new QTemporaryDir;
        Root = Tree->path() + u'/';
        for (int folder = 0; folder < 50; ++folder)
            ASSERT_TRUE(CreateEmptyUnitFiles(Root + QStringLiteral("f%1/").arg(folder), 1000));
        ASSERT_TRUE(CreateEmptyUnitFiles(FlatFolder(), 50000));
        ASSERT_TRUE(CreateEmptyUnitFiles(Root + QStringLiteral("locked/"), 10));
        chmod(QFile::encodeName(Root + QStringLiteral("locked")).constData(), 0);
        symlink("..", QFile::encodeName(Root + QStringLiteral("f0/up")).constData());
    }
    static void TearDownTestSuite()
    {
        chmod(QFile::encodeName(Root + QStringLiteral("locked")).constData(), 0755);
        delete Tree;
        Tree = nullptr;
    }
    static QString FlatFolder() { return Root + QStringLiteral("flat/"); }

    void SetUp() override
    {
        auto time = std::make_unique<TFakeTime>();
        FTime = time.get();
        FTime->Step = 20;
        CreateTimer97Handler(std::move(time));
        FWindow = std::make_unique<TQuillonMain>(QStringList{QStringLiteral("quillon")});
        FScan = std::make_unique<TScanFilesAbort>(FWindow.get());
        FWindow->SetScanFilesAbort(FScan.get());
        FWindow->SetClock(std::shared_ptr<TICCClock>(FTime, [](TICCClock *) {}));
        FWindow->show();
        FWindow->FEMapFile()->SetFileName(SourceDir() + QStringLiteral("/examples/sample/SampleApp.map"));
        FWindow->DEFilePath()->setText(Root);
    }
    void TearDown() override
    {
        FScan.reset();
        FWindow.reset();
        FreeTimer97Handler();
    }

    bool ScanningTheFlatFolder() const
    {
        return FScan->isVisible() && FScan->LACurrentDirectory()->text() == FlatFolder();
    }

    static QTemporaryDir *Tree;
    static QString Root;
    TTemporarySettings FSettings;
    TFakeTime *FTime = nullptr;
    std::unique_ptr<TQuillonMain> FWindow;
    std::unique_ptr<TScanFilesAbort> FScan;
};

QTemporaryDir *HugeScanTest::Tree = nullptr;
QString HugeScanTest::Root;

TEST_F(HugeScanTest, EndsAndKeepsTheEventLoopTurningInsideTheFlatFolder)
{
    int turnsInFlatFolder = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { turnsInFlatFolder += ScanningTheFlatFolder(); });
    ticker.start(0);
    QTest::mouseClick(FWindow->BBGo(), Qt::LeftButton);
    ticker.stop();
    EXPECT_TRUE(WaitForRun(*FWindow));
    // 50,000 entries reported every 1024, events handled at most every 50 ms of 20 ms readings.
    EXPECT_GE(turnsInFlatFolder, 10);
    EXPECT_FALSE(FScan->isVisible());
    EXPECT_TRUE(FWindow->BBGo()->isEnabled());
    EXPECT_EQ(FWindow->VGUnits()->Items().RootCount(), 11);
}

TEST_F(HugeScanTest, ItsDialogAbortsItInsideTheFlatFolder)
{
    int readingsAtAbort = 0;
    FTime->OnReading = [&](qint64) {
        if (readingsAtAbort == 0 && ScanningTheFlatFolder()) {
            readingsAtAbort = FTime->Readings;
            QTest::mouseClick(FScan->BBAbort(), Qt::LeftButton);
        }
    };
    QTest::mouseClick(FWindow->BBGo(), Qt::LeftButton);
    EXPECT_TRUE(WaitForRun(*FWindow));
    ASSERT_GT(readingsAtAbort, 0);
    // What an abort keeps is the scan's own affair; here the click lands and the run ends normally.
    EXPECT_EQ(FScan->BBAbort()->text(), QStringLiteral("Aborting..."));
    EXPECT_FALSE(FScan->isVisible());
    EXPECT_TRUE(FWindow->BBGo()->isEnabled());
    EXPECT_EQ(FWindow->VGUnits()->Items().RootCount(), 11) << "an aborted scan is not an error";
}

} // namespace

#endif
