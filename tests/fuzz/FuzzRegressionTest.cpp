// Replays the seed inputs and every input a fuzzer once crashed on through its target.
#include "FuzzTarget.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

namespace {

std::vector<std::string> TargetNames()
{
    std::vector<std::string> names;
    for (const auto &entry : FuzzTargets())
        names.push_back(entry.first);
    return names;
}

class FuzzRegression : public ::testing::TestWithParam<std::string>
{
};

TEST_P(FuzzRegression, KeptInputsRunCleanly)
{
    const FuzzFunction target = FuzzTargets().at(GetParam());
    int replayed = 0;
    for (const char *kind : {"seeds", "regressions"}) {
        const QDir dir(QStringLiteral(QUILLON_FUZZ_DIR "/%1/%2").arg(kind, QString::fromStdString(GetParam())));
        for (const QString &name : dir.entryList(QDir::Files)) {
            QFile file(dir.filePath(name));
            ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
            const QByteArray bytes = file.readAll();
            SCOPED_TRACE(name.toStdString());
            target(reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size()));
            ++replayed;
        }
    }
    // An empty input is always worth one run.
    target(nullptr, 0);
    RecordProperty("replayed", replayed);
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzRegression, ::testing::ValuesIn(TargetNames()),
                         [](const ::testing::TestParamInfo<std::string> &info) { return info.param; });

} // namespace
