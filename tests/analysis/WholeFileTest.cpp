// The executable beside a MAP file: the segment rows, the match of the two, the whole-file tree
// with the units in their sections, and the forms' units.
#include "analysis/WholeFile.h"
#include "analysis/ExecutableMatch.h"
#include "analysis/FormOwners.h"
#include "analysis/MapAnalysis.h"
#include "tree/TreeGridModel.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

using namespace Qt::Literals::StringLiterals;

const char *const OldLayout =
    "\r\n"
    " Start         Length     Name                   Class\r\n"
    " 0001:00000000 0008C85CH .text                   CODE\r\n"
    " 0002:00000000 00001C84H .data                   DATA\r\n"
    " 0002:00001C84 00000C51H .bss                    BSS\r\n"
    "\r\n\r\nDetailed map of segments\r\n\r\n"
    " 0001:00000000 000054F3 C=CODE     S=.text    G=(none)   M=System   ACBP=A9\r\n"
    " 0002:000000A8 00000020 C=DATA     S=.data    G=DGROUP   M=SysInit  ACBP=A9\r\n"
    " 0002:00002000 00000660 C=BSS      S=.bss     G=DGROUP   M=System   ACBP=A9\r\n"
    " 0002:zz 00000660 C=BSS      S=.bss     G=DGROUP   M=Broken   ACBP=A9\r\n"
    "\r\n\r\n  Address         Publics by Name\r\n\r\n"
    " 0001:00000000 00000010 C=CODE     S=.text    G=(none)   M=NotARow  ACBP=A9\r\n";

TEST(MapSegments, ReadsTheTableAndEveryClassOfRow)
{
    const TMapSegments map = TMapSegments::Parse(TMapText::FromBytes(OldLayout));
    ASSERT_EQ(map.Segments.size(), 3u);
    EXPECT_EQ(map.OfClass(u"DATA"_s)->Length, 0x1C84);
    EXPECT_EQ(map.OfClass(u"BSS"_s)->Start, 0x1C84);
    EXPECT_EQ(map.First(2)->Name, u".data"_s);
    ASSERT_EQ(map.Rows.size(), 3u);
    EXPECT_EQ(map.Rows[2].Class, u"BSS"_s);
    EXPECT_EQ(map.Rows[2].Start, 0x2000);
    EXPECT_EQ(map.Rows[2].Unit, u"System"_s);
    EXPECT_EQ(map.Rows[1].Segment, u".data"_s);
}

TEST(FormOwners, ClassOfTextAndBinaryForms)
{
    struct TCase
    {
        QByteArray Head;
        QString Class;
    };
    const TCase cases[] = {
        {"object Form1: TForm1\r\n  Left = 0", u"TForm1"_s},
        {"inherited Dlg: TDlg\n", u"TDlg"_s},
        {"  object   Main :  TMain  ", u"TMain"_s},
        {QByteArray("TPF0\x06TForm1\x05"
                    "Form1",
                    16),
         u"TForm1"_s},
        {QByteArray("TPF0\xF1\x04TDlg", 10), u"TDlg"_s},
        {"TPF0\x09TFo", QString()},
        {"unit Unit1;", QString()},
        {"", QString()},
    };
    for (const TCase &c : cases)
        EXPECT_EQ(FormClassOf(c.Head), c.Class) << c.Head.toStdString();
}

struct TCorpusCase
{
    const char *Map;
    bool Matches;
    const char *Form;      // a form resource
    const char *FormOwner; // its unit
};

class WholeFileCorpus : public ::testing::TestWithParam<TCorpusCase>
{
};

uint64_t SumOfUnits(const TPeSizeNode &node)
{
    uint64_t sum = node.Kind == TPeNodeKind::Unit ? node.FileSize : 0;
    for (const TPeSizeNode &child : node.Children)
        sum += SumOfUnits(child);
    return sum;
}

const TPeSizeNode *Find(const TPeSizeNode &node, const std::string &name)
{
    if (node.Name == name)
        return &node;
    for (const TPeSizeNode &child : node.Children)
        if (const TPeSizeNode *found = Find(child, name))
            return found;
    return nullptr;
}

void ExpectAddsUp(const TPeSizeNode &node)
{
    if (node.Children.empty())
        return;
    uint64_t file = 0, vm = 0;
    for (const TPeSizeNode &child : node.Children) {
        file += child.FileSize;
        vm += child.VmSize;
        ExpectAddsUp(child);
    }
    EXPECT_EQ(file, node.FileSize) << node.Name;
    EXPECT_EQ(vm, node.VmSize) << node.Name;
}

TEST_P(WholeFileCorpus, BelongsOrIsRefusedWithTheWarning)
{
    const QString mapFile = QStringLiteral(QUILLON_CORPUS_DIR "/") + QString::fromUtf8(GetParam().Map);
    if (!QFileInfo(mapFile).isFile())
        GTEST_SKIP() << "no corpus at " << QUILLON_CORPUS_DIR;
    const QString current = QDir::currentPath();
    TTreeGridModel grid;
    TMapAnalysis::SetupUnitColumns(grid);
    TMapAnalysis analysis(grid);
    analysis.OnMessage = [](TMapAnalysis *, const QString &) {};
    analysis.OnProjectFileMissing = [](TMapAnalysis *, const QString &, const QString &) {};
    ASSERT_TRUE(analysis.Run(mapFile, std::nullopt));
    QDir::setCurrent(current);

    QString warning;
    const std::optional<TWholeFile> file =
        WholeFileOfMap({}, mapFile, analysis.Segments(), analysis.FormOwners(), warning);
    if (!GetParam().Matches) {
        EXPECT_FALSE(file.has_value());
        EXPECT_TRUE(warning.contains(u"comes from another build"_s)) << warning.toStdString();
        return;
    }
    ASSERT_TRUE(file.has_value()) << warning.toStdString();
    EXPECT_TRUE(warning.isEmpty());
    EXPECT_EQ(qint64(file->Root.FileSize), QFileInfo(file->FileName).size());
    ExpectAddsUp(file->Root);
    // Every code byte the MAP lists lies in the code section, and the data rows in theirs.
    const TPeSizeNode &code = file->Root.Children[1];
    EXPECT_EQ(SumOfUnits(code), uint64_t(analysis.TotalCodeSize()));
    EXPECT_GT(SumOfUnits(file->Root), SumOfUnits(code));
    const TPeSizeNode *form = Find(file->Root, GetParam().Form);
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->Kind, TPeNodeKind::Form);
    EXPECT_EQ(form->Owner, GetParam().FormOwner);
}

const TCorpusCase CorpusCases[] = {
    {"d7-circuit/Project1.map", true, "TFORM2", "Unit2"},
    {"d7-doscommand/Project1.map", true, "TFORM1", "doscpro"},
    {"dxe-dcpcrypt/Project1.map", true, "TFORM1", "Unit1"},
    {"d2005-bank-large/bank.map", false, "", ""},
    {"d10-cefclient/Win32/Debug/cefclient.map", false, "", ""},
};

INSTANTIATE_TEST_SUITE_P(Corpus, WholeFileCorpus, ::testing::ValuesIn(CorpusCases),
                         [](const ::testing::TestParamInfo<TCorpusCase> &info) {
                             QString name = QString::fromUtf8(info.param.Map).section(u'/', 0, 0);
                             name.replace(u'-', u'_');
                             return name.toStdString();
                         });

TEST(WholeFile, SwitchedOffOrAbsentIsNoFile)
{
    QString warning;
    EXPECT_FALSE(WholeFileOfMap({TExecutableChoice::None, {}}, u"/tmp/none.map"_s, {}, {}, warning));
    EXPECT_FALSE(WholeFileOfMap({}, u"/nonexistent/App.map"_s, {}, {}, warning));
    EXPECT_THROW(WholeFileOfMap({TExecutableChoice::Named, u"/nonexistent/App.exe"_s}, u"/tmp/none.map"_s, {},
                                {}, warning),
                 EExecutableError);
}

} // namespace
