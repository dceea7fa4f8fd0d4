#include "UnitsCorpus.h"

#include "units/DcuUses.h"
#include "units/SourceUses.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#endif

namespace {

std::span<const uint8_t> Span(const QByteArray &bytes)
{
    return {reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size())};
}

QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList Names(const std::vector<TUsedUnit> &list)
{
    QStringList names;
    for (const TUsedUnit &used : list)
        names << used.Name + (used.Imports ? QString() : QStringLiteral("!"));
    return names;
}

// A source names "SysUtils" where the compiler stores "System.SysUtils" (unit scope names).
bool SameUnit(const QString &fromSource, const QString &fromDcu)
{
    return fromDcu.compare(fromSource, Qt::CaseInsensitive) == 0 ||
           fromDcu.endsWith(u'.' + fromSource, Qt::CaseInsensitive);
}

// Every unit the source names appears in the compiled list, in the source's order; the compiled
// list may hold more (System, SysInit, units added for inlining, or a source edited since).
QString MissingFromDcu(const std::vector<TUsedUnit> &source, const std::vector<TUsedUnit> &dcu)
{
    size_t at = 0;
    for (const TUsedUnit &wanted : source) {
        while (at < dcu.size() && !SameUnit(wanted.Name, dcu[at].Name))
            ++at;
        if (at == dcu.size())
            return wanted.Name;
        ++at;
    }
    return {};
}

} // namespace

TEST(DcuUsesTest, EveryCompilerOfTheVersionCorpusWithItsPlatform)
{
    const QString folder = UnitsCorpusDir() + QStringLiteral("/dcu-versions");
    QFile readme(folder + QStringLiteral("/README.tsv"));
    if (!readme.open(QIODevice::ReadOnly))
        GTEST_SKIP() << "no corpus at " << folder.toStdString();
    const QStringList lines = QString::fromUtf8(readme.readAll()).split(u'\n', Qt::SkipEmptyParts);
    int files = 0;
    for (const QString &line : lines.mid(1)) {
        const QStringList cells = line.split(u'\t');
        ASSERT_GE(cells.size(), 8);
        SCOPED_TRACE(cells[0].toStdString());
        const TDcuUses uses = ReadDcuUsesFile(folder + u'/' + cells[0]);
        // The README writes "Delphi 2006" as ours writes "Delphi 2006 or 2007".
        EXPECT_EQ(uses.Compiler.toStdString(), cells[6].toStdString());
        EXPECT_EQ(uses.Platform.toLower().toStdString(), cells[7].toStdString());
        EXPECT_FALSE(uses.Lists.Interface.empty());
        ++files;
    }
    EXPECT_EQ(files, 18);
}

TEST(DcuUsesTest, ListsMatchTheSourcesBesideEveryCorpusUnit)
{
    if (!UnitsCorpusPresent())
        GTEST_SKIP() << "no corpus at " << QUILLON_CORPUS_DIR;
    // Sources edited after their .dcu was compiled: the first unit the source names that the
    // compiled lists lack, interface then implementation.
    const std::map<QString, std::pair<QString, QString>> newerSources{
        {QStringLiteral("d11-exe-cpm-stale/Win32/Release/pr1.dcu"),
         {QStringLiteral("Vcl.DBCtrls"), QStringLiteral("Unit1")}},
        {QStringLiteral("d12-exe-tri-win64/Win64/Release/Unit1.dcu"),
         {QStringLiteral("Vcl.StdCtrls"), QString()}},
        {QStringLiteral("dcu-versions/xe7-win64-DatumSelect.dcu"), {QStringLiteral("Registry"), QString()}},
        {QStringLiteral("dxe-dcpcrypt/Unit1.dcu"), {QStringLiteral("TPLB3.CryptographicLibrary"), QString()}},
    };
    int compared = 0;
    for (const QString &dcuPath : CorpusFiles(UnitsCorpusDir(), QStringLiteral("*.dcu"))) {
        SCOPED_TRACE(dcuPath.toStdString());
        TDcuUses dcu;
        ASSERT_NO_THROW(dcu = ReadDcuUsesFile(dcuPath));
        const QString source = SourceBeside(dcuPath);
        if (source.isEmpty())
            continue;
        const TSourceUses pas = ReadSourceUsesFile(source);
        const auto newer = newerSources.find(QDir(UnitsCorpusDir()).relativeFilePath(dcuPath));
        const auto expected = newer == newerSources.end() ? std::pair<QString, QString>() : newer->second;
        EXPECT_EQ(MissingFromDcu(pas.Lists.Interface, dcu.Lists.Interface).toStdString(),
                  expected.first.toStdString())
            << Names(dcu.Lists.Interface).join(u' ').toStdString();
        EXPECT_EQ(MissingFromDcu(pas.Lists.Implementation, dcu.Lists.Implementation).toStdString(),
                  expected.second.toStdString())
            << Names(dcu.Lists.Implementation).join(u' ').toStdString();
        ++compared;
    }
    EXPECT_GE(compared, 40);
}

// Read by hand from the sources: the order of the clauses, System and SysInit first, and which
// units nothing is imported from ("!").
TEST(DcuUsesTest, HandCheckedLists)
{
    struct TCase
    {
        const char *File;
        const char *Interface;
        const char *Implementation;
    };
    const TCase cases[] = {
        {"dcu-versions/d7-win32-TM_TankService1Intf.dcu", "System SysInit! InvokeRegistry Types! XSBuiltIns!",
         ""},
        {"dcu-versions/d2-win32-ML051097.dcu",
         "System SysUtils WinTypes! WinProcs Messages! Classes Graphics! Controls Forms Dialogs StdCtrls "
         "Buttons",
         ""},
        // The .pas was edited after this .dcu: its implementation no longer names DBTables and DB.
        {"dcu-versions/d6-win32-TimeTh.dcu", "System SysInit! Classes Data SysUtils",
         "Dialogs! Main DBTables DB"},
        {"dcu-versions/d103-win64-Unit2.dcu", "System SysInit! System.SysUtils! System.Classes Data.DB", ""},
        {"d7-sqlite-game/SQLite3.dcu", "System SysInit!", "SysUtils"},
        {"dcu-versions/xe5-win32-aiuto.dcu",
         "System SysInit! Winapi.Windows! Winapi.Messages! System.SysUtils! System.Variants! System.Classes "
         "Vcl.Graphics! Vcl.Controls Vcl.Forms Vcl.Dialogs! Vcl.StdCtrls",
         "Gara!"},
    };
    if (!UnitsCorpusPresent())
        GTEST_SKIP() << "no corpus at " << QUILLON_CORPUS_DIR;
    for (const TCase &c : cases) {
        SCOPED_TRACE(c.File);
        const TDcuUses uses = ReadDcuUsesFile(UnitsCorpusDir() + u'/' + QString::fromUtf8(c.File));
        EXPECT_EQ(Names(uses.Lists.Interface).join(u' ').toStdString(), c.Interface);
        EXPECT_EQ(Names(uses.Lists.Implementation).join(u' ').toStdString(), c.Implementation);
    }
}

TEST(DcuUsesTest, DllImportsOfNewerCompilersAreWalkedOver)
{
    if (!UnitsCorpusPresent())
        GTEST_SKIP() << "no corpus at " << QUILLON_CORPUS_DIR;
    const TDcuUses uses =
        ReadDcuUsesFile(UnitsCorpusDir() + QStringLiteral("/d10-cefclient/Win32/Debug/ceflib.dcu"));
    EXPECT_EQ(uses.Compiler.toStdString(), "Delphi 10 Seattle");
    EXPECT_EQ(uses.Lists.UnitName.toStdString(), "ceflib");
    EXPECT_EQ(Names(uses.Lists.Interface).mid(0, 3).join(u' ').toStdString(), "System SysInit System.Rtti");
}

namespace {

// A Delphi 2010 file with one interface unit, built field by field.
QByteArray Delphi2010Unit(const QByteArray &records)
{
    QByteArray header =
        QByteArray::fromHex("45000015") + QByteArray(4, 0) + QByteArray(4, 0) + QByteArray(4, 0);
    header += QByteArray::fromHex("0002") + "\x01U" + QByteArray::fromHex("0000");
    QByteArray file = header + records;
    const quint32 size = quint32(file.size());
    for (int i = 0; i < 4; ++i)
        file[4 + i] = char((size >> (8 * i)) & 0xFF);
    return file;
}

const QByteArray SystemUsed = QByteArray::fromHex("64") + "\x06System" + QByteArray::fromHex("000000") +
                              "g\x02Id" + QByteArray(4, 0) + "c";

} // namespace

TEST(DcuUsesTest, HandMadeFilesFailWithTheirReason)
{
    struct TCase
    {
        const char *Name;
        QByteArray Bytes;
        const char *Message;
    };
    QByteArray wrongSize = Delphi2010Unit(SystemUsed + "5");
    wrongSize[4] = char(wrongSize[4] + 1);
    const TCase cases[] = {
        {"empty", QByteArray(), "the file is too short for a compiled unit"},
        {"unknown compiler", QByteArray::fromHex("12345678") + QByteArray(40, 0),
         "an unknown compiler version (first bytes 12 34 56 78)"},
        {"structured but unknown compiler", QByteArray::fromHex("4d030030") + QByteArray(40, 0),
         "an unknown compiler version (first bytes 4d 03 00 30)"},
        {"wrong family byte", QByteArray::fromHex("4b030024") + QByteArray(40, 0),
         "an unknown compiler version (first bytes 4b 03 00 24)"},
        {"size in the header", wrongSize, "the header gives a size of 44 bytes, the file holds 43"},
        {"unknown record", Delphi2010Unit(SystemUsed + "\x41"),
         "a record this reader does not know (0x41) at offset 42"},
        {"unknown entry",
         Delphi2010Unit(QByteArray::fromHex("64") + "\x01X" + QByteArray::fromHex("000000") + "\x01"),
         "the uses record of X holds an unknown entry 0x01 at offset 28"},
        {"no unit name",
         Delphi2010Unit(QByteArray::fromHex("64") + "\x02 X" + QByteArray::fromHex("000000") + "c5"),
         "a uses record at offset 22 holds no unit name"},
        {"ends inside a record", Delphi2010Unit(QByteArray::fromHex("64") + "\x06Sys"),
         "the file ends inside a record (offset 24)"},
        {"a long name's length beyond the end",
         Delphi2010Unit(QByteArray::fromHex("64") + QByteArray::fromHex("ffffffff7f")),
         "the file ends inside a record (offset 28)"},
    };
    for (const TCase &c : cases) {
        SCOPED_TRACE(c.Name);
        try {
            ReadDcuUses(Span(c.Bytes));
            ADD_FAILURE() << "no error";
        } catch (const EDcuFormatError &e) {
            EXPECT_EQ(e.Message().toStdString(), c.Message);
        }
    }
}

TEST(DcuUsesTest, PackedIntegersOfEveryLengthAndLongNames)
{
    // Between the name and the imports: one-, two- and three-byte packed integers.
    const QByteArray record = QByteArray::fromHex("64") + "\x04" + "Long" +
                              QByteArray::fromHex("00"
                                                  "0100"
                                                  "030000") +
                              "c" + QByteArray::fromHex("65") + QByteArray::fromHex("ff05000000") + "A.B.C" +
                              QByteArray::fromHex("07000000"
                                                  "0f00000000"
                                                  "00") +
                              "f\x01T" + QByteArray(4, 0) + "c5";
    const TDcuUses uses = ReadDcuUses(Span(Delphi2010Unit(record)));
    EXPECT_EQ(uses.Compiler.toStdString(), "Delphi 2010");
    EXPECT_EQ(uses.Lists.UnitName.toStdString(), "U");
    EXPECT_EQ(Names(uses.Lists.Interface).join(u' ').toStdString(), "Long!");
    EXPECT_EQ(Names(uses.Lists.Implementation).join(u' ').toStdString(), "A.B.C");
}

TEST(DcuUsesTest, EveryTruncationOfRealFilesFailsCleanly)
{
    if (!UnitsCorpusPresent())
        GTEST_SKIP() << "no corpus at " << QUILLON_CORPUS_DIR;
    for (const char *file :
         {"dcu-versions/d2-win32-ML051097.dcu", "dcu-versions/d7-win32-TM_TankService1Intf.dcu",
          "dcu-versions/d12-win64-UnitDM.dcu", "d10-cefclient/Win32/Debug/ceflib.dcu"}) {
        SCOPED_TRACE(file);
        const QByteArray bytes = ReadAll(UnitsCorpusDir() + u'/' + QString::fromUtf8(file));
        ASSERT_FALSE(bytes.isEmpty());
        const TDcuUses whole = ReadDcuUses(Span(bytes));
        // Given as the beginning of the file, a cut asks for more; given as the whole, it fails.
        for (qsizetype cut = 0; cut < std::min<qsizetype>(bytes.size(), 0x1800); ++cut) {
            const QByteArray part = bytes.left(cut);
            try {
                const TDcuUses uses = ReadDcuUses(Span(part), bytes.size());
                EXPECT_EQ(Names(uses.Lists.Interface), Names(whole.Lists.Interface));
            } catch (const EDcuNeedsMore &) {
            } catch (const EDcuFormatError &e) {
                ASSERT_LT(cut, 8) << e.what();
            }
            EXPECT_THROW(ReadDcuUses(Span(part)), EDcuFormatError);
        }
    }
}

// The file is read in growing pieces until its lists end: lists that end in the first read, just
// past it and far into a large file read the same as from the whole file in memory. A pipe named
// .dcu is refused, never waited on.
TEST(DcuUsesTest, FilesReadOnlyAsFarAsTheirLists)
{
    QTemporaryDir dir;
    struct TCase
    {
        const char *Name;
        int UsedUnits;
        qsizetype Declarations;
    };
    const TCase cases[] = {
        {"small", 3, 100},
        {"lists past the first read", 900, 1000},
        {"lists deep into a large file", 4000, 3 * 1024 * 1024},
    };
    for (const TCase &c : cases) {
        SCOPED_TRACE(c.Name);
        QByteArray records;
        for (int u = 0; u < c.UsedUnits; ++u)
            records += QByteArray::fromHex("64") + "\x09" + QByteArray::number(100000000 + u).replace('1', 'U') +
                       QByteArray::fromHex("000000") + "g\x02Id" + QByteArray(4, 0) + "c";
        const QByteArray bytes = Delphi2010Unit(records + "5" + QByteArray(c.Declarations, 'x'));
        const QString path = dir.filePath(QString::fromUtf8(c.Name) + QStringLiteral(".dcu"));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        file.close();
        const TDcuUses uses = ReadDcuUsesFile(path);
        EXPECT_EQ(uses.Lists.Interface.size(), size_t(c.UsedUnits));
        EXPECT_EQ(Names(uses.Lists.Interface), Names(ReadDcuUses(Span(bytes)).Lists.Interface));
    }
#ifndef Q_OS_WIN
    const QString pipe = dir.filePath(QStringLiteral("Pipe.dcu"));
    ASSERT_EQ(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    EXPECT_THROW(ReadDcuUsesFile(pipe), EDcuFormatError);
#endif
    EXPECT_THROW(ReadDcuUsesFile(dir.filePath(QStringLiteral("Missing.dcu"))), EDcuFormatError);
}
