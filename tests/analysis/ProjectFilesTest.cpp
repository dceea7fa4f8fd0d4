// Project unit clauses and the Windows path names of project and MAP files.

#include "analysis/ProjectFiles.h"

#include <gtest/gtest.h>

TEST(ProjectFilesTest, UnitClause)
{
    const std::pair<const char *, const char *> cases[] = {
        {"UnitA in '..\\src\\UnitA.pas' {FormA},", "UnitA=..\\src\\UnitA.pas"},
        {"Data.Helpers in 'src\\Data.Helpers.pas';", "Data.Helpers=src\\Data.Helpers.pas"},
        {"UnitB in 'b.pas", "UnitB=b.pas"},
        {"UnitC IN 'x.pas',", "UnitC IN 'x.pas',="},
    };
    for (const auto &[line, expected] : cases)
        EXPECT_EQ(ProjectUnitClause(line), expected) << line;
}

TEST(ProjectFilesTest, PathNames)
{
    struct TCase
    {
        const char *Path;
        const char *FileName;
        const char *WithDfm;
    };
    const TCase cases[] = {
        {"..\\src\\UnitA.pas", "UnitA.pas", "..\\src\\UnitA.dfm"},
        {"C:\\Lib\\Dlg.DFM", "Dlg.DFM", "C:\\Lib\\Dlg.dfm"},
        {"/work/App/bin/App.map", "App.map", "/work/App/bin/App.dfm"},
        {"src.v2\\Unit", "Unit", "src.v2\\Unit.dfm"},
        {"C:App.pas", "App.pas", "C:App.dfm"},
    };
    for (const TCase &c : cases) {
        EXPECT_EQ(PathFileName(c.Path), c.FileName) << c.Path;
        EXPECT_EQ(PathChangeExt(c.Path, ".dfm"), c.WithDfm) << c.Path;
    }
}
