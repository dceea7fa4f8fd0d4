// The copy menu on the rows and the clipboard texts it writes.
#include "TreeViewFixture.h"

#include "controls/ITVCopyMenu.h"

#include <QClipboard>
#include <QMenu>

namespace {

class CopyMenu : public TreeViewFixture
{
protected:
    void SetUp() override
    {
        TreeViewFixture::SetUp();
        View->SetMultiSelect(true);
        Alpha = Add(nullptr, "alpha", 12, "unit");
        Hidden = Add(Alpha, "hidden child", 1, "symbol");
        Beta = Add(nullptr, "say \"hi\"", 7, "form");
        Add(nullptr, "gamma", 3, "");
    }
    // The copy menu as a right click on the point shows it.
    QMenu *MenuAt(QPoint p)
    {
        RightClick(p);
        QMenu *const menu = View->findChild<QMenu *>();
        if (menu)
            menu->hide();
        return menu;
    }
    QString Clipboard() const { return QGuiApplication::clipboard()->text(); }
    TITreeNode *Alpha = nullptr;
    TITreeNode *Beta = nullptr;
    TITreeNode *Hidden = nullptr;
};

TEST_F(CopyMenu, CellItemCopiesTheClickedCellOrNothingOutsideTheColumns)
{
    QMenu *menu = MenuAt(RowPoint(0, 20));
    ASSERT_NE(menu, nullptr);
    menu->actions()[0]->trigger();
    EXPECT_EQ(Clipboard(), "alpha");

    menu = MenuAt(RowPoint(1, NameWidth + SizeWidth + 10));
    menu->actions()[0]->trigger();
    EXPECT_EQ(Clipboard(), "form");

    QGuiApplication::clipboard()->setText("before");
    menu = MenuAt(RowPoint(0, 390));
    EXPECT_TRUE(menu->actions()[0]->isEnabled());
    EXPECT_FALSE(menu->actions()[1]->isEnabled());
    menu->actions()[0]->trigger();
    EXPECT_EQ(Clipboard(), "");
}

TEST_F(CopyMenu, LineItemNamesOneOrManyLinesAndCopiesOnlyDisplayedSelectedRows)
{
    View->SetSelectedNode(Beta);
    Hidden->SetSelected(true);
    // A right press on a selected row keeps the selection: the collapsed child stays selected too.
    QMenu *menu = MenuAt(RowPoint(1));
    const bool english = menu->actions()[0]->text() == "Copy cell to clipboard";
    EXPECT_EQ(menu->actions()[1]->text(), english ? "Copy lines to clipboard" : "Copier les lignes");
    menu->actions()[1]->trigger();
    EXPECT_EQ(Clipboard(), "\"say \"\"hi\"\"\"\t\"7\"\t\"form\"");

    Click(RowPoint(0));
    menu = MenuAt(RowPoint(0));
    EXPECT_EQ(menu->actions()[1]->text(), english ? "Copy line to clipboard" : "Copier la ligne");
    Click(RowPoint(2), Qt::ControlModifier);
    View->Columns().Items(1)->SetVisible(false);
    menu = MenuAt(RowPoint(2));
    menu->actions()[1]->trigger();
    EXPECT_EQ(Clipboard(), "\"alpha\"\t\"unit\"\r\n\"gamma\"\t\"\"");
}

// A cell drawn by a hook copies, and is measured by, the text the hook says it shows.
TEST_F(CopyMenu, PaintedCellsGoByTheTextTheirHookShows)
{
    TITreeViewColumn *const size = View->Column(1);
    const auto shown = [](const TITreeNode *node) { return QString("%1 bytes").arg(node->Tag()); };
    size->OnDrawNodeContent = [](TITreeView *, QPainter &, const QRect &, TITreeNode *, int,
                                 TITreeViewNodeStates) {};
    size->OnGetNodeContentText = [&](TITreeView *, TITreeNode *node, int) { return shown(node); };
    QMenu *const menu = MenuAt(RowPoint(0, NameWidth + 10));
    menu->actions()[0]->trigger();
    EXPECT_EQ(Clipboard(), "12 bytes");
    menu->actions()[1]->trigger();
    EXPECT_EQ(Clipboard(), "\"alpha\"\t\"12 bytes\"\t\"unit\"");

    const QFontMetrics metrics(View->font());
    int widest = metrics.horizontalAdvance("Size") + View->RowIndent();
    for (const TITreeNode *node : View->Rows())
        widest = std::max(widest, metrics.horizontalAdvance(shown(node)) + 7);
    EXPECT_EQ(View->ContentWidth(1), widest);

    size->OnDrawNodeContent = nullptr;
    View->CopyCell();
    EXPECT_EQ(Clipboard(), "12") << "a cell without a content hook shows its own text";
}

TEST_F(CopyMenu, CtrlCAndCtrlInsertCopyTheSelectedLinesAsTheMenuDoes)
{
    Click(RowPoint(0));
    Click(RowPoint(2), Qt::ControlModifier);
    QMenu *const menu = MenuAt(RowPoint(2));
    menu->actions()[1]->trigger();
    const QString fromMenu = Clipboard();
    ASSERT_FALSE(fromMenu.isEmpty());
    for (const Qt::Key key : {Qt::Key_C, Qt::Key_Insert}) {
        QGuiApplication::clipboard()->setText("before");
        Key(key, Qt::ControlModifier);
        EXPECT_EQ(Clipboard(), fromMenu);
    }
    Key(Qt::Key_D, Qt::ControlModifier);
    QGuiApplication::clipboard()->setText("kept");
    Key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(Clipboard(), "kept");
}

TEST_F(CopyMenu, NothingSelectedLeavesTheClipboardAlone)
{
    View->SetSelectedNode(nullptr);
    QGuiApplication::clipboard()->setText("kept");
    View->CopyLines();
    View->CopyCell();
    EXPECT_EQ(Clipboard(), "kept");
    const QMenu *const menu = MenuAt(RowPoint(8));
    EXPECT_FALSE(menu->actions()[0]->isEnabled());
    EXPECT_FALSE(menu->actions()[1]->isEnabled());
}

TEST(QuoteClipboardField, DoublesInnerQuotes)
{
    EXPECT_EQ(QuoteClipboardField(""), "\"\"");
    EXPECT_EQ(QuoteClipboardField("a\"b\"\""), "\"a\"\"b\"\"\"\"\"");
}

} // namespace
