// The engine on every real MAP file of the corpus: what must hold whatever the project.

#include "analysis/MapAnalysis.h"

#include "base/XLists.h"
#include "tree/TreeGridModel.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QSet>

#include <gtest/gtest.h>

#include <map>

namespace {

QStringList CorpusMapFiles()
{
    QStringList files;
    QDirIterator it(QUILLON_CORPUS_DIR, {"*.map"}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << it.next();
    files.sort();
    return files;
}

struct TUnitExtent
{
    qint64 Start = 0;
    qint64 Size = 0;
    qint64 FirstSymbol = -1;
};

// An independent reading of the unit extents and the first public symbol of each unit, so that
// every opened unit's tree can be checked against its code size.
std::map<QString, TUnitExtent> UnitExtents(const QString &mapFile)
{
    QFile file(mapFile);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    std::map<QString, TUnitExtent> units;
    bool values = false;
    for (const QByteArray &raw : file.readAll().split('\n')) {
        const QString line = QString::fromLatin1(raw).trimmed();
        if (line.startsWith("Line numbers"))
            values = false;
        if (line.contains("Publics by Value"))
            values = true;
        if (line.startsWith("0001:") && line.contains("S=.text")) {
            const QStringList fields = line.split(' ', Qt::SkipEmptyParts);
            units.try_emplace(fields[5].mid(2), TUnitExtent{fields[0].mid(5).toLongLong(nullptr, 16),
                                                            fields[1].toLongLong(nullptr, 16)});
        } else if (values && line.startsWith("0001:")) {
            const qint64 address = line.mid(5, 8).toLongLong(nullptr, 16);
            for (auto &[name, unit] : units)
                if (address >= unit.Start && address < unit.Start + unit.Size &&
                    (unit.FirstSymbol < 0 || address < unit.FirstSymbol))
                    unit.FirstSymbol = address;
        }
    }
    return units;
}

// Bare names (lower case) of the files with the extension below the folder.
QSet<QString> FilesBelow(const QString &folder, const QString &extension)
{
    QSet<QString> names;
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        if (info.suffix().compare(extension, Qt::CaseInsensitive) == 0)
            names.insert(info.completeBaseName().toLower());
    }
    return names;
}

qint64 ChildSum(const TITreeNode *node)
{
    qint64 sum = 0;
    for (const TITreeNode *child = node->GetFirstChild(); child; child = child->NextSibling())
        sum += child->Tag();
    return sum;
}

} // namespace

TEST(CorpusTest, EveryRealMapFile)
{
    const QStringList files = CorpusMapFiles();
    if (files.isEmpty())
        GTEST_SKIP() << "no corpus at " << QUILLON_CORPUS_DIR;
    const QString startFolder = QDir::currentPath();
    for (const QString &mapFile : files) {
        SCOPED_TRACE(mapFile.toStdString());
        TTreeGridModel grid;
        TMapAnalysis::SetupUnitColumns(grid);
        TMapAnalysis analysis(grid);
        bool projectFound = true;
        analysis.OnMessage = [&](TMapAnalysis *, const QString &) { projectFound = false; };
        ASSERT_TRUE(analysis.Run(mapFile, QFileInfo(mapFile).path()));
        QDir::setCurrent(startFolder);

        const std::map<QString, TUnitExtent> extents = UnitExtents(mapFile);
        const QString caseFolder = QFileInfo(mapFile).path();
        const QSet<QString> compiledUnits = FilesBelow(caseFolder, "dcu");
        const QString caseRoot = QString(QUILLON_CORPUS_DIR) + u'/' +
                                 QDir(QUILLON_CORPUS_DIR).relativeFilePath(mapFile).section(u'/', 0, 0);
        const QSet<QString> forms = FilesBelow(caseRoot, "dfm");
        EXPECT_GT(analysis.CodeSegmentLength(), 0) << "the linker's H suffix is read";
        EXPECT_EQ(analysis.IncompleteWarning(), QString()) << "every finished MAP file is whole";
        double percent = 0;
        int units = 0;
        int opened = 0;
        int classes = 0;
        qint64 previous = std::numeric_limits<qint64>::max();
        for (TITreeNode *unit = grid.Items().GetFirstNode(); unit; unit = unit->NextSibling(), ++units) {
            EXPECT_LE(unit->Tag(), previous) << "largest first";
            previous = unit->Tag();
            percent += unit->Tag() * analysis.PercentFactor();
            const TXStringList *columns = unit->ColumnStrings();
            ASSERT_EQ(columns->Count(), 4);
            EXPECT_EQ(unit->Data(), qint32(columns->GetObject(2)));
            EXPECT_EQ(columns->Get(3) == "-", columns->GetObject(3) == 0) << unit->Text().toStdString();
            EXPECT_EQ(columns->Get(3) != "-", compiledUnits.contains(unit->Text().toLower()))
                << unit->Text().toStdString();
            if (unit->Data() > 0) {
                EXPECT_TRUE(forms.contains(unit->Text().toLower())) << unit->Text().toStdString();
            }

            // By address every unit with code opens to rows that add up to its size exactly.
            ASSERT_TRUE(analysis.AddSymbolRowsOf(unit));
            if (unit->Tag() > 0) {
                EXPECT_EQ(ChildSum(unit), unit->Tag()) << unit->Text().toStdString();
            }
            for (TITreeNode *child = unit->GetFirstChild(); child; child = child->NextSibling())
                if (child->HasChildren())
                    ++classes;
        }
        // Every version, those that write names without their unit too, shows classes with their
        // routines.
        EXPECT_GT(classes, 0);

        analysis.SetGrouping(TSymbolGrouping::ByName);
        for (TITreeNode *unit = grid.Items().GetFirstNode(); unit; unit = unit->NextSibling()) {
            ASSERT_TRUE(analysis.AddSymbolRowsOf(unit));
            if (!unit->HasChildren())
                continue;
            ++opened;
            const qint64 sum = ChildSum(unit);
            const TUnitExtent &extent = extents.at(unit->Text());
            const qint64 gap = extent.FirstSymbol - extent.Start;
            // By name, code before the first public symbol is nobody's; the last one runs to the
            // next unit.
            EXPECT_GE(sum, unit->Tag() - gap) << unit->Text().toStdString();
            EXPECT_LE(sum, unit->Tag() - gap + 16) << unit->Text().toStdString();
        }
        EXPECT_EQ(units, int(grid.Items().RootCount()));
        EXPECT_NEAR(percent, 100.0, 1e-6);
        for (int i = 0; i < analysis.Symbols().Count(); ++i)
            ASSERT_GT(analysis.Symbols().Data(i), 0);
        // By name, versions with unit-qualified public names open into trees; older ones open to
        // nothing.
        if (analysis.Symbols().Count() > 0 && analysis.Symbols().Name(0).startsWith("System.")) {
            EXPECT_GT(opened, 0);
        }
    }
}
