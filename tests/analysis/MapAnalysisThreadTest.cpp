// A run in parts: prepared on the grid's thread, read on another one, applied to the grid in one
// step; its progress, its cancel, and its errors reported where the result is applied.

#include "analysis/MapAnalysisThread.h"
#include "analysis/MapAnalysis.h"

#include "support/MapFileWriter.h"
#include "support/ReadGate.h"
#include "tree/TreeGridModel.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

namespace {

// Units of 0x100 bytes, each with SymbolsPerUnit routines.
QString WriteBuild(const QString &path, int units, int symbolsPerUnit)
{
    std::vector<TMapUnit> unitList;
    std::vector<TMapSymbol> symbols;
    for (int u = 0; u < units; ++u) {
        const QString name = QStringLiteral("Unit%1").arg(u);
        unitList.push_back({name, 0x100});
        for (int s = 0; s < symbolsPerUnit; ++s)
            symbols.push_back({quint32(u * 0x100 + s * (0x100 / symbolsPerUnit)),
                               name + QStringLiteral(".Routine%1").arg(s)});
    }
    return WriteMapFile(path, unitList, symbols, quint32(units * 0x100));
}

class RunInParts : public ::testing::Test
{
protected:
    void SetUp() override
    {
        FStartFolder = QDir::currentPath();
        TMapAnalysis::SetupUnitColumns(Grid);
        Analysis.OnMessage = [this](TMapAnalysis *, const QString &message) {
            Messages << message;
            MessageThreads << QThread::currentThread();
        };
        // No project file: the MAP files here have none.
        Analysis.OnProjectFileMissing = [](TMapAnalysis *, const QString &, const QString &) {};
        Small = WriteBuild(Dir.filePath(QStringLiteral("App.map")), 3, 2);
        // Enough lines for reports between the start and the end of the text.
        Large = WriteBuild(Dir.filePath(QStringLiteral("Large.map")), 50, 1000);
    }
    void TearDown() override { QDir::setCurrent(FStartFolder); }

    // "Name Tag" of the root rows in grid order, with the rows of each unit once opened.
    static QStringList Rows(TTreeGridModel &grid, TMapAnalysis &analysis)
    {
        QStringList rows;
        for (TITreeNode *node = grid.Items().GetFirstNode(); node; node = node->NextSibling()) {
            rows << node->Text() + u' ' + QString::number(node->Tag());
            bool allow = false;
            analysis.VGUnitsExpanding(&grid, node, allow);
            for (TITreeNode *child = node->GetFirstChild(); child; child = child->NextSibling())
                rows << QStringLiteral("  ") + child->Text() + u' ' + QString::number(child->Tag());
        }
        return rows;
    }

    TMapAnalysisResult ReadOnAThread(TMapAnalysis::TRunInput input, TReadGate *gate = nullptr)
    {
        TMapAnalysisThread thread;
        std::optional<TMapAnalysisResult> result;
        thread.OnFinished = [&](TMapAnalysisResult finished) {
            EXPECT_EQ(QThread::currentThread(), QCoreApplication::instance()->thread());
            result = std::move(finished);
        };
        if (gate)
            thread.OnReport = gate->Hook();
        thread.Start(std::move(input));
        EXPECT_TRUE(QTest::qWaitFor([&] { return result.has_value(); }, 60000));
        return result ? std::move(*result) : TMapAnalysisResult();
    }

    QTemporaryDir Dir;
    QString Small;
    QString Large;
    TTreeGridModel Grid;
    TMapAnalysis Analysis{Grid};
    QStringList Messages;
    QList<QThread *> MessageThreads;

private:
    QString FStartFolder;
};

TEST_F(RunInParts, ReadOnAnotherThreadTheGridChangesOnlyWhenTheResultIsApplied)
{
    ASSERT_TRUE(Analysis.Run(Small, std::nullopt));
    const QStringList before = Rows(Grid, Analysis);

    std::optional<TMapAnalysis::TRunInput> input = Analysis.Prepare(Large, std::nullopt);
    ASSERT_TRUE(input);
    TMapAnalysisResult result = ReadOnAThread(std::move(*input));
    EXPECT_EQ(Rows(Grid, Analysis), before) << "the reading leaves the grid alone";
    EXPECT_EQ(Analysis.MapFileName(), Small);
    ASSERT_TRUE(Analysis.Apply(std::move(result)));
    EXPECT_EQ(Analysis.MapFileName(), Large);

    TTreeGridModel direct;
    TMapAnalysis::SetupUnitColumns(direct);
    TMapAnalysis analysis(direct);
    ASSERT_TRUE(analysis.Run(Large, std::nullopt));
    EXPECT_EQ(Rows(Grid, Analysis), Rows(direct, analysis)) << "the same rows as a run in one go";
    EXPECT_TRUE(Messages.isEmpty()) << Messages.join(u'\n').toStdString();
}

TEST_F(RunInParts, TheReaderReportsHowFarThroughTheTextItIs)
{
    std::optional<TMapAnalysis::TRunInput> input = Analysis.Prepare(Large, std::nullopt);
    ASSERT_TRUE(input);
    TReadProgress progress;
    std::vector<std::pair<qint64, qint64>> reports;
    progress.OnReport = [&](qint64 done, qint64 total) { reports.emplace_back(done, total); };
    const TMapAnalysisResult result = TMapAnalysis::Read(std::move(*input), &progress);
    ASSERT_EQ(result.Failure, afNone);
    const qint64 size = QFileInfo(Large).size();
    ASSERT_GE(reports.size(), 3u) << "the start, the end and reports between";
    EXPECT_EQ(reports.front(), std::make_pair(qint64(0), size));
    EXPECT_EQ(reports.back(), std::make_pair(size, size));
    for (size_t k = 1; k < reports.size(); ++k)
        EXPECT_GT(reports[k].first, reports[k - 1].first);
    EXPECT_EQ(progress.Done(), size);
    EXPECT_EQ(progress.Total(), size);
}

TEST_F(RunInParts, ACancelledRunChangesNothing)
{
    ASSERT_TRUE(Analysis.Run(Small, std::nullopt));
    const QStringList before = Rows(Grid, Analysis);
    const int symbolsBefore = Analysis.Symbols().Count();

    struct TCase
    {
        const char *When;
        std::function<bool(qint64 done, qint64 total)> CancelAt;
    } cases[] = {
        {"at the start of the text", [](qint64 done, qint64) { return done == 0; }},
        {"while reading", [](qint64 done, qint64 total) { return done > 0 && done < total; }},
        {"at the end of the text", [](qint64 done, qint64 total) { return done == total; }},
    };
    for (const TCase &c : cases) {
        std::optional<TMapAnalysis::TRunInput> input = Analysis.Prepare(Large, std::nullopt);
        ASSERT_TRUE(input);
        TReadProgress progress;
        qint64 lastReport = -1;
        progress.OnReport = [&](qint64 done, qint64 total) {
            EXPECT_FALSE(progress.Cancelled()) << c.When << ": the reader stops at the report after a cancel";
            lastReport = done;
            if (c.CancelAt(done, total))
                progress.Cancel();
        };
        TMapAnalysisResult result = TMapAnalysis::Read(std::move(*input), &progress);
        EXPECT_TRUE(result.Cancelled) << c.When;
        EXPECT_EQ(result.Units.size(), 0u) << c.When;
        EXPECT_FALSE(Analysis.Apply(std::move(result))) << c.When;
        EXPECT_EQ(Rows(Grid, Analysis), before) << c.When;
        EXPECT_EQ(Analysis.Symbols().Count(), symbolsBefore) << c.When;
        EXPECT_EQ(Analysis.MapFileName(), Small) << c.When;
        EXPECT_EQ(Analysis.Failure(), afNone) << c.When;
        EXPECT_TRUE(Messages.isEmpty()) << c.When;
        EXPECT_GE(lastReport, 0) << c.When;
    }
}

TEST_F(RunInParts, FailuresOfTheReadingAreReportedWhereTheResultIsApplied)
{
    struct TCase
    {
        const char *Content;
        TAnalysisFailure Failure;
        const char *MessageStart;
    } cases[] = {
        {"", afNotDetailed, "MAP File \""},
        {"\r\n Start Length\r\n 0001:00401000 00000100 .text CODE\r\n\r\nDetailed map of segments\r\n\r\n"
         " 0001:00000000 0000ZZZZ C=CODE     S=.text    G=(none)   M=UnitA  ALIGN=4\r\n",
         afMalformed, "'$0000ZZZZ' is not a valid integer value"},
    };
    for (const TCase &c : cases) {
        Messages.clear();
        MessageThreads.clear();
        const QString map = Dir.filePath(QStringLiteral("Broken.map"));
        QFile file(map);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(c.Content);
        file.close();
        std::optional<TMapAnalysis::TRunInput> input = Analysis.Prepare(map, std::nullopt);
        ASSERT_TRUE(input);
        TMapAnalysisResult result = ReadOnAThread(std::move(*input));
        EXPECT_TRUE(Messages.isEmpty()) << "nothing reported while reading: " << c.Content;
        EXPECT_FALSE(Analysis.Apply(std::move(result)));
        EXPECT_EQ(Analysis.Failure(), c.Failure) << c.Content;
        ASSERT_EQ(Messages.size(), 1) << c.Content;
        EXPECT_TRUE(Messages[0].startsWith(QString::fromUtf8(c.MessageStart))) << Messages[0].toStdString();
        EXPECT_EQ(MessageThreads[0], QCoreApplication::instance()->thread());
    }
}

TEST_F(RunInParts, AFailedAssertionWhileReadingIsRaisedWhereTheResultIsApplied)
{
    std::optional<TMapAnalysis::TRunInput> input = Analysis.Prepare(Small, std::nullopt);
    ASSERT_TRUE(input);
    TReadProgress progress;
    progress.OnReport = [](qint64, qint64) { QASSERT(false); };
    TMapAnalysisResult result = TMapAnalysis::Read(std::move(*input), &progress);
    EXPECT_TRUE(result.Fatal);
    EXPECT_THROW(Analysis.Apply(std::move(result)), EAssertionFailed);
}

TEST_F(RunInParts, DestroyingTheThreadDuringARunCancelsItAndWaitsForIt)
{
    std::optional<TMapAnalysis::TRunInput> input = Analysis.Prepare(Large, std::nullopt);
    ASSERT_TRUE(input);
    TReadGate gate(2);
    bool finished = false;
    {
        TMapAnalysisThread thread;
        thread.OnFinished = [&](TMapAnalysisResult) { finished = true; };
        thread.OnReport = gate.Hook();
        thread.Start(std::move(*input));
        EXPECT_TRUE(gate.WaitUntilHeld());
        EXPECT_TRUE(thread.Running());
        gate.Release();
    }
    QCoreApplication::processEvents();
    EXPECT_FALSE(finished) << "no result reaches a destroyed owner";
    EXPECT_LT(gate.HeldDone, gate.HeldTotal);
}

} // namespace
