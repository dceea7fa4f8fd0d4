// A symbol row's tooltip gives its symbol's address, which tells overloads of one name apart.
#include "MainWindowFixture.h"

#include <QCheckBox>

namespace {

class SymbolHint : public MainWindowFixture
{
protected:
    QString HintOf(TITreeNode *node) { return Grid().HintTextAt(RowPoint(node, 60)); }
    QTemporaryDir Folder;
};

TEST_F(SymbolHint, OverloadsShowTheirOwnAddressInBothGroupings)
{
    OpenWindow();
    FWindow->DEFilePath()->setText(SourceDir() + QStringLiteral("/examples/sample/"));
    const QString map =
        WriteMapFile(Folder.filePath("App.map"), {{"Alpha", 0x100}},
                     {{0x10, "Alpha.Run"}, {0x80, "Alpha.Run"}, {0xC0, "Alpha.TForm.Show"}}, 0x100);
    TMessageCatcher messages; // no project file above the temporary folder
    for (const bool byName : {false, true}) {
        FWindow->CBGroupByName()->setChecked(byName);
        FWindow->OpenMapFile(map);
        ASSERT_TRUE(WaitForRun(*FWindow));
        TITreeNode *const unit = Grid().Items().GetFirstNode();
        unit->SetExpanded(true);
        QStringList hints;
        for (TITreeNode *row = unit->GetFirstChild(); row; row = row->NextSibling())
            hints << row->Text() + ": " + HintOf(row);
        hints.sort(); // rows come by size
        QStringList expected = byName
                                   ? QStringList{"Run: Address 00000010", "Run: Address 00000080", "TForm: "}
                                   : QStringList{"[no public symbol]: ", "Run: Address 00000010",
                                                 "Run: Address 00000080", "TForm: "};
        expected.sort();
        EXPECT_EQ(hints, expected) << byName;
        EXPECT_EQ(HintOf(unit), "") << "a unit row has no symbol";
    }
}

} // namespace
