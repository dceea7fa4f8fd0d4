#include "base/UVersionInfo.h"

#include "QuillonVersion.h"

#include <QCoreApplication>
#include <QTemporaryFile>
#include <gtest/gtest.h>

namespace {

QString CompiledVersion(bool full)
{
    QString text = QStringLiteral("%1.%2").arg(QUILLON_VERSION_MAJOR).arg(QUILLON_VERSION_MINOR);
    if (full)
        text += QStringLiteral(".%1.%2").arg(QUILLON_VERSION_PATCH).arg(QUILLON_VERSION_BUILD);
    return text;
}

TEST(UVersionInfo, RunningProgramCarriesTheCompiledVersion)
{
    TFileVersionNumbers numbers;
    ASSERT_TRUE(GetFileVersionNumbers(QCoreApplication::applicationFilePath(), numbers));
    EXPECT_EQ(numbers.Major, QUILLON_VERSION_MAJOR);
    EXPECT_EQ(numbers.Minor, QUILLON_VERSION_MINOR);
    EXPECT_EQ(numbers.Release, QUILLON_VERSION_PATCH);
    EXPECT_EQ(numbers.Build, QUILLON_VERSION_BUILD);

    EXPECT_EQ(FileVersionString(QCoreApplication::applicationFilePath(), false), CompiledVersion(false));
    EXPECT_EQ(FileVersionString(QCoreApplication::applicationFilePath(), true), CompiledVersion(true));
    EXPECT_EQ(ApplicationVersion(), CompiledVersion(false));
    EXPECT_EQ(ApplicationFullVersion(), CompiledVersion(true));
    EXPECT_EQ(ApplicationFullVersion(), CompiledVersion(true)) << "the cached text stays";
}

TEST(UVersionInfo, FilesWithoutVersionGiveQuestionMarks)
{
    QTemporaryFile other;
    ASSERT_TRUE(other.open());
    for (const QString &file : {other.fileName(), QStringLiteral("/no/such/program"), QString()}) {
        TFileVersionNumbers numbers{1, 2, 3, 4};
        EXPECT_FALSE(GetFileVersionNumbers(file, numbers)) << file.toStdString();
        EXPECT_EQ(numbers.Major + numbers.Minor + numbers.Release + numbers.Build, 0);
        EXPECT_EQ(FileVersionString(file, true), QStringLiteral("?.?.???"));
        EXPECT_EQ(FileVersionString(file, false), QStringLiteral("?.?.???"));
    }
}

} // namespace
