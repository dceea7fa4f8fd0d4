// Settings edited by hand or damaged: every stored value replaced by garbage must leave a window
// that opens with a usable size and goes on working.
#include "AppTestSupport.h"

#include "app/FMain.h"
#include "app/FScanFilesAbort.h"
#include "controls/CFileComboEdit.h"
#include "controls/UTimer97.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class HostileSettingsTest : public ::testing::TestWithParam<QString>
{
protected:
    void SetUp() override { CreateTimer97Handler(std::make_unique<TFakeTime>()); }
    void TearDown() override { FreeTimer97Handler(); }

    TTemporarySettings FSettings;
};

TEST_P(HostileSettingsTest, EveryValueGarbledStillOpensAUsableWindow)
{
    {
        TQuillonMain first({QStringLiteral("quillon")});
        first.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&first));
        first.close();
    }
    {
        QSettings settings(QStringLiteral("Brackwell"), QStringLiteral("Quillon"));
        const QStringList keys = settings.allKeys();
        ASSERT_FALSE(keys.isEmpty());
        for (const QString &key : keys)
            settings.setValue(key, GetParam());
    }
    TQuillonMain window({QStringLiteral("quillon")});
    TScanFilesAbort scan(&window);
    window.SetScanFilesAbort(&scan);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const QSize available = QGuiApplication::primaryScreen()->availableVirtualGeometry().size();
    EXPECT_GT(window.width(), 0);
    EXPECT_GT(window.height(), 0);
    EXPECT_LE(window.width(), std::max(available.width(), 4096));
    EXPECT_LE(window.height(), std::max(available.height(), 4096));
    // The window still answers: a run on a missing file gives its message and nothing else.
    TMessageCatcher catcher;
    window.FEMapFile()->SetFileName(QStringLiteral("/no/such/file.map"));
    window.BBGoClick();
    EXPECT_TRUE(WaitForRun(window));
    EXPECT_EQ(catcher.Messages.size(), 1);
}

INSTANTIATE_TEST_SUITE_P(Values, HostileSettingsTest,
                         ::testing::Values(QString(), QStringLiteral("garbage"),
                                           QStringLiteral("-99999999999999"), QStringLiteral("1,2"),
                                           QStringLiteral("10, 20, 800, 600, 7"),
                                           QStringLiteral("0, 0, 100000, 100000"),
                                           QStringLiteral("-2147483648,-2147483648,2147483647,2147483647"),
                                           QString(QChar(1)) + QChar(0xFFFF), QString(100000, u'9')));

} // namespace
