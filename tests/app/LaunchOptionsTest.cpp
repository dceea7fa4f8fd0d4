#include "app/LaunchOptions.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

TEST(LaunchOptions, SeparatesTheScriptedOptionsFromTheFile)
{
    const QString current = QDir::currentPath();
    const TLaunchOptions options = ParseLaunchOptions(
        {"quillon", "--search-dir", "examples/sample", "App.map", "--go", "--baseline", "old/App.map"});
    EXPECT_EQ(options.Arguments, QStringList({"quillon", "App.map"}));
    EXPECT_EQ(options.SearchDir, current + "/examples/sample/");
    EXPECT_TRUE(options.Go);
    EXPECT_EQ(options.Baseline, current + "/old/App.map");

    const TLaunchOptions plain = ParseLaunchOptions({"quillon", "App.map", "--search-dir"});
    EXPECT_EQ(plain.Arguments,
              QStringList({"quillon", "App.map", "--search-dir"})); // no value: kept as given
    EXPECT_TRUE(plain.SearchDir.isEmpty());
    EXPECT_FALSE(plain.Go);
    EXPECT_TRUE(plain.Baseline.isEmpty());
}

TEST(LaunchOptions, OpenPreselectsAnExistingFileAndRunsIt)
{
    const QString existing = QStringLiteral(QUILLON_SOURCE_DIR "/examples/sample/SampleApp.map");
    ASSERT_TRUE(QFileInfo::exists(existing));
    const TLaunchOptions opened = ParseLaunchOptions({"quillon", "--open", existing});
    EXPECT_EQ(opened.Arguments, QStringList({"quillon", existing}));
    EXPECT_TRUE(opened.Go);

    const TLaunchOptions missing = ParseLaunchOptions({"quillon", "--open", "/nonexistent/App.map"});
    EXPECT_EQ(missing.Arguments, QStringList({"quillon", "/nonexistent/App.map"}));
    EXPECT_FALSE(missing.Go); // the stored MAP file would be analysed instead

    const TLaunchOptions fromMenu = ParseLaunchOptions({"quillon", "--open"});
    EXPECT_EQ(fromMenu.Arguments, QStringList({"quillon"}));
    EXPECT_FALSE(fromMenu.Go);
}
