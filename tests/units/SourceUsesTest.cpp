#include "units/SourceUses.h"

#include "support/TestFiles.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// "Name", "Name?" when conditional, "Name=path" with a path.
QString Listed(const std::vector<TUsedUnit> &list)
{
    QStringList names;
    for (const TUsedUnit &used : list)
        names << used.Name + (used.Conditional ? QStringLiteral("?") : QString()) +
                     (used.Path.isEmpty() ? QString() : u'=' + used.Path);
    return names.join(u' ');
}

} // namespace

TEST(SourceUsesTest, ClausesOfUnitsProgramsAndPackages)
{
    struct TCase
    {
        const char *Name;
        const char *Text;
        const char *Interface;
        const char *Implementation;
        bool IsProgram;
    };
    const TCase cases[] = {
        {"unit", "unit A;\ninterface\nuses B, C;\ntype T = interface end;\nimplementation\nuses D;\nend.",
         "B C", "D", false},
        {"comments of three kinds",
         "unit A; interface uses { X, } B, (* Y, *) C // Z,\n, D; implementation end.", "B C D", "", false},
        {"keywords inside comments and strings",
         "unit A; { implementation uses X; } interface const S = 'uses Q;'; implementation uses E; end.", "",
         "E", false},
        {"dotted names, any letter case",
         "UNIT A.B; INTERFACE USES System.SysUtils, Vcl . Forms; IMPLEMENTATION END.",
         "System.SysUtils Vcl.Forms", "", false},
        {"program with paths and form comments",
         "program P;\n\nuses\n  Forms,\n  Main in 'src\\Main.pas' {FormMain},\n  Other in "
         "'dir\\It''s.pas';\n\n{$R *.res}\nbegin "
         "end.",
         "Forms Main=src\\Main.pas Other=dir\\It's.pas", "", true},
        {"program heading with parameters", "program P(input, output); uses A; begin end.", "A", "", true},
        {"program without a heading", "uses A, B; begin end.", "A B", "", true},
        {"library", "library L; uses ShareMem, A in 'A.pas'; exports X; begin end.", "ShareMem A=A.pas", "",
         true},
        {"package", "package K;\n{$R *.res}\nrequires rtl, vcl;\ncontains U1 in 'U1.pas', U2;\nend.",
         "U1=U1.pas U2", "", true},
        {"no uses at all", "unit A; interface implementation end.", "", "", false},
        {"escaped reserved word", "unit A; interface uses &Type, B; implementation end.", "Type B", "",
         false},
    };
    for (const TCase &c : cases) {
        SCOPED_TRACE(c.Name);
        const TSourceUses uses = ReadSourceUses(QString::fromUtf8(c.Text));
        EXPECT_EQ(Listed(uses.Lists.Interface).toStdString(), c.Interface);
        EXPECT_EQ(Listed(uses.Lists.Implementation).toStdString(), c.Implementation);
        EXPECT_EQ(uses.Lists.IsProgram, c.IsProgram);
        EXPECT_TRUE(uses.Notes.isEmpty()) << uses.Notes.join(u'\n').toStdString();
    }
}

TEST(SourceUsesTest, ConditionalDirectives)
{
    struct TCase
    {
        const char *Name;
        const char *Uses;
        const char *Expected;
    };
    const TCase cases[] = {
        {"undecided ifdef", "A, {$IFDEF DEBUG} B, {$ENDIF} C", "A B? C"},
        {"undecided ifndef with else", "{$IFNDEF X} A, {$ELSE} B, {$ENDIF} C", "A? B? C"},
        {"undecided branches without their commas", "{$IFDEF X} A {$ELSE} B {$ENDIF}, C", "A? B? C"},
        {"decided by a define in the file", "{$DEFINE X} {$IFDEF X} A, {$ELSE} B, {$ENDIF} C", "A C"},
        {"decided by an undef", "{$DEFINE X}{$UNDEF X} {$IFDEF X} A, {$ELSE} B, {$ENDIF} C", "B C"},
        {"if defined with ifend", "{$DEFINE Y}{$IF Defined(Y) and not Defined(Y)} A, {$IFEND} B", "B"},
        {"if defined or undecided", "{$DEFINE Y}{$IF Defined(Y) or Defined(Z)} A, {$IFEND} B", "A B"},
        {"if of a constant expression", "{$IF CompilerVersion >= 20} A, {$ELSE} B, {$IFEND} C", "A? B? C"},
        {"elseif after a taken branch",
         "{$DEFINE X}{$IF Defined(X)} A, {$ELSEIF Defined(Q)} B, {$ELSE} C, {$ENDIF} D", "A D"},
        {"nested inside a skipped branch",
         "{$DEFINE X}{$IFNDEF X} {$IFDEF Q} A, {$ENDIF} {$DEFINE Z} {$ENDIF} B", "B"},
        {"a define inside an undecided branch decides nothing",
         "{$IFDEF Q}{$DEFINE Z}{$ENDIF}{$IFDEF Z} A, {$ENDIF} B", "A? B"},
        {"io switch is no include", "{$I+} A, {$I-} B", "A B"},
        {"unbalanced endif", "{$ENDIF} A", "A"},
    };
    for (const TCase &c : cases) {
        SCOPED_TRACE(c.Name);
        const TSourceUses uses = ReadSourceUses(u"unit U; interface uses "_s + QString::fromUtf8(c.Uses) +
                                                u"; implementation end."_s);
        EXPECT_EQ(Listed(uses.Lists.Interface).toStdString(), c.Expected);
    }
}

TEST(SourceUsesTest, UndecidedBranchesWithAClauseEach)
{
    const TSourceUses uses = ReadSourceUses(
        u"unit U; interface {$IFDEF LINUX} uses A; {$ELSE} uses B, C; {$ENDIF} implementation end."_s);
    EXPECT_EQ(Listed(uses.Lists.Interface).toStdString(), "A? B? C?");
}

TEST(SourceUsesTest, IncludeFilesAreReadWhereFound)
{
    QTemporaryDir dir;
    WriteTestFile(dir.filePath("Defines.INC"), "{$DEFINE USE_B}\n");
    WriteTestFile(dir.filePath("Uses.inc"), "Included, {$I Self.inc}\n");
    WriteTestFile(dir.filePath("Self.inc"), "{$I Self.inc}");
    WriteTestFile(dir.filePath("U.pas"),
                  "unit U;\n{$I 'defines.inc'}\ninterface\nuses\n  A, {$INCLUDE Uses.inc} "
                  "{$I Missing.inc}\n  {$IFDEF USE_B} B, {$ENDIF} C;\nimplementation\nend.\n");
    const TSourceUses uses = ReadSourceUsesFile(dir.filePath("U.pas"));
    EXPECT_EQ(Listed(uses.Lists.Interface).toStdString(), "A Included B C");
    ASSERT_EQ(uses.Notes.size(), 2);
    EXPECT_EQ(uses.Notes[0].toStdString(), "include files nested deeper than 16 levels: Self.inc not read");
    EXPECT_EQ(uses.Notes[1].toStdString(), "include file Missing.inc not found");
}

TEST(SourceUsesTest, BrokenTextNeverFails)
{
    for (const char *text :
         {"unit", "unit A; interface uses", "unit A; interface uses A,", "uses A in", "{ unclosed",
          "(* unclosed", "'unclosed", "unit A; interface uses A. ;", "{$IF Defined(}"}) {
        SCOPED_TRACE(text);
        EXPECT_NO_THROW(ReadSourceUses(QString::fromUtf8(text)));
    }
    const TSourceUses broken = ReadSourceUses(u"unit A; interface uses B C; implementation end."_s);
    EXPECT_EQ(Listed(broken.Lists.Interface).toStdString(), "B");
    EXPECT_EQ(broken.Notes.join(u'|').toStdString(), "a uses clause breaks off after B");
}

TEST(SourceUsesTest, UnreadableFile)
{
    EXPECT_THROW(ReadSourceUsesFile(u"/nonexistent/U.pas"_s), ESourceUsesError);
}
