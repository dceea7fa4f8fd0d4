#include "app/LaunchOptions.h"

#include <gtest/gtest.h>

#include <QDir>

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
