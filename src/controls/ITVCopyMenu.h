#pragma once
// The grid's own context menu on the rows: copy the clicked cell, or the selected lines, to the
// clipboard. Its captions are chosen once per run, English or French by the interface language.

#include <QString>

class QAction;
class QMenu;
class TInteractiveTreeView;

class TITVCopyMenu
{
public:
    // The menu is a child widget of View and lives as long as it.
    explicit TITVCopyMenu(TInteractiveTreeView *View);
    TITVCopyMenu(const TITVCopyMenu &) = delete;
    TITVCopyMenu &operator=(const TITVCopyMenu &) = delete;

    // Enables the items and names the line item after the number of selected nodes.
    void Prepare();
    QMenu *Menu() const { return FMenu; }
    QAction *CellItem() const { return FCellItem; }
    QAction *LineItem() const { return FLineItem; }

private:
    TInteractiveTreeView *const FView;
    QMenu *const FMenu;
    QAction *const FCellItem;
    QAction *const FLineItem;
};

// One clipboard field: in double quotes, inner double quotes doubled.
QString QuoteClipboardField(const QString &Field);
