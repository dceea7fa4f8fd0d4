#pragma once
// The popup menus shared by every interactive control: the scrollbar menu, and the column and
// column width menus of the tree-grid. Made the first time a control needs a menu, freed when the
// application ends.

#include <QAction>
#include <QMenu>
#include <QObject>

#include <functional>
#include <memory>

class TICCScrollBar;

class TDMInteractiveCustomControl : public QObject
{
    Q_OBJECT
public:
    static TDMInteractiveCustomControl &Instance();
    static bool Exists();
    // Frees the shared module; the next Instance() makes it anew (and picks its captions again).
    static void Free();
    ~TDMInteractiveCustomControl() override;

    QMenu *PMScrollBar() const { return FPMScrollBar.get(); }
    QAction *MIScrollHere() const { return FMIScrollHere; }
    QAction *MIScrollTop() const { return FMIScrollTop; }
    QAction *MIScrollBottom() const { return FMIScrollBottom; }
    QAction *MIScrollPrevious() const { return FMIScrollPrevious; }
    QAction *MIScrollNext() const { return FMIScrollNext; }

    // Refilled by the grid at every opening; OnColumnMenu hears the chosen item.
    QMenu *PMColumn() const { return FPMColumn.get(); }
    std::function<void(QAction *item)> OnColumnMenu;

    // Captions are the layout's and never translated; OnColumnSizeMenu is rebound by the grid
    // before each opening.
    QMenu *PMColumnSize() const { return FPMColumnSize.get(); }
    QAction *MIColumnAutoWidth() const { return FMIColumnAutoWidth; }
    QAction *MIColumnMinWidth() const { return FMIColumnMinWidth; }
    QAction *MIColumnCustomWidth() const { return FMIColumnCustomWidth; }
    std::function<void(QAction *item)> OnColumnSizeMenu;

    // The bar that opened PMScrollBar, and the position the menu's point stands for.
    TICCScrollBar *ScrollBar() const { return FScrollBar; }
    int ScrollBarTag() const { return FScrollBarTag; }
    void PopupScrollBarMenu(TICCScrollBar *bar, int tag, const QPoint &globalPosition);
    // A bar that goes away is forgotten, so a late menu choice cannot reach it.
    void ForgetScrollBar(const TICCScrollBar *bar);

private:
    TDMInteractiveCustomControl();
    void CreateScrollBarMenu(bool english);
    void CreateColumnMenus();
    void ScrollBarMenuChosen(QAction *item);

    std::unique_ptr<QMenu> FPMScrollBar;
    QAction *FMIScrollHere = nullptr;
    QAction *FMIScrollTop = nullptr;
    QAction *FMIScrollBottom = nullptr;
    QAction *FMIScrollPrevious = nullptr;
    QAction *FMIScrollNext = nullptr;
    std::unique_ptr<QMenu> FPMColumn;
    std::unique_ptr<QMenu> FPMColumnSize;
    QAction *FMIColumnAutoWidth = nullptr;
    QAction *FMIColumnMinWidth = nullptr;
    QAction *FMIColumnCustomWidth = nullptr;
    TICCScrollBar *FScrollBar = nullptr;
    int FScrollBarTag = 0;
};
