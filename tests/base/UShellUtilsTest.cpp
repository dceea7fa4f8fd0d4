#include "base/UShellUtils.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <vector>

namespace {

struct SplitCase
{
    const char *Text;
    const char *FileName;
    const char *Parameters;
};

class UShellUtilsSplit : public ::testing::TestWithParam<SplitCase>
{
};

TEST_P(UShellUtilsSplit, ProgramAndParameters)
{
    const SplitCase &c = GetParam();
    std::vector<TShellRequest> requests;
    ShellOpen(QString::fromUtf8(c.Text), [&](const TShellRequest &r) { requests.push_back(r); });
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].FileName, QString::fromUtf8(c.FileName));
    EXPECT_EQ(requests[0].Parameters, QString::fromUtf8(c.Parameters));
}

INSTANTIATE_TEST_SUITE_P(
    Texts, UShellUtilsSplit,
    ::testing::Values(SplitCase{"notepad.exe readme.txt", "notepad.exe", "readme.txt"},
                      SplitCase{"\"C:\\Program Files\\Ed\\ed.exe\" -n a b.txt",
                                "\"C:\\Program Files\\Ed\\ed.exe\"", "-n a b.txt"},
                      // The closing quote is missing: the whole text is one document.
                      SplitCase{"\"C:\\Program Files\\ed.exe -n", "\"C:\\Program Files\\ed.exe -n", ""},
                      SplitCase{"https://example.org/quillon/help.html",
                                "https://example.org/quillon/help.html", ""},
                      // The program ends at the first blank after the first dot, not at an earlier blank.
                      SplitCase{"my tool.sh --fast now", "my tool.sh", "--fast now"},
                      // Without a dot, the first blank ends the program.
                      SplitCase{"xterm -e top", "xterm", "-e top"},
                      SplitCase{" leading.txt", " leading.txt", ""},
                      SplitCase{"\"quoted.exe\"", "\"quoted.exe\"", ""}));

TEST(UShellUtils, ExistingFolderOpensAsAWhole)
{
    QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/with blank.XXXXXX"));
    ASSERT_TRUE(dir.isValid());
    std::vector<TShellRequest> requests;
    ShellOpen(dir.path(), [&](const TShellRequest &r) { requests.push_back(r); });
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0], (TShellRequest{dir.path(), QString()}));
}

TEST(UShellUtils, EmptyTextOpensNothing)
{
    bool called = false;
    ShellOpen(QString(), [&](const TShellRequest &) { called = true; });
    EXPECT_FALSE(called);
}

} // namespace
