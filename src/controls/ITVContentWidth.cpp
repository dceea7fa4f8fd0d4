// The width a column needs for its caption and every displayed cell.
#include "controls/CInteractiveTreeView.h"

#include "base/UMultiLang.h"

#include <QFontMetrics>

#include <algorithm>

namespace {

constexpr int CellPadding = 7;

} // namespace

int TInteractiveTreeView::ContentWidth(int Index)
{
    QASSERT(Index >= 0 && Index < Columns().Count());
    const TITVColumn *const column = Columns().Items(Index);
    const QFontMetrics metrics(font());
    const QString caption = TranslateIf(column->Caption(), {FHeaderMultiLang, dtApplication});
    int width = std::max(column->MinWidth(), metrics.horizontalAdvance(caption) + FRowIndent);

    TAbstractTreeBrowser &browser = Browser();
    browser.PushCurrentNode();
    browser.GoFirst();
    int level = FShowRoot ? 1 : 0;
    while (TITreeNode *const node = browser.Current()) {
        if (Index == 0)
            width =
                std::max(width, metrics.horizontalAdvance(node->Text()) + FRowIndent * level + CellPadding);
        else
            width = std::max(width, metrics.horizontalAdvance(DisplayedCellText(node, Index)) + CellPadding);
        level += browser.GoNextVisible();
    }
    browser.PopCurrentNode();
    return width;
}

void TInteractiveTreeView::AutoSizeColumn(TITVColumn *Column)
{
    Column->SetWidth(ContentWidth(Column->Index()));
    ClampHorzScrollPosition();
    RequestRepaint();
}
