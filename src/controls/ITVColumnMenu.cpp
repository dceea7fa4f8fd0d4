#include "controls/ITVColumnMenu.h"

#include "controls/CInteractiveTreeView.h"
#include "controls/DMInteractiveCustomControl.h"

#include <QPointer>

void TITVColumnMenu::Fill(TInteractiveTreeView *View)
{
    TDMInteractiveCustomControl &module = TDMInteractiveCustomControl::Instance();
    QMenu *const menu = module.PMColumn();
    menu->clear();
    for (int i = 0; i < View->Columns().Count(); ++i) {
        const TITVColumn *const column = View->Columns().Items(i);
        QAction *const item = menu->addAction(column->Caption());
        item->setCheckable(true);
        item->setChecked(column->Visible());
        item->setEnabled(i != 0);
        item->setData(i);
    }
    const QPointer<TInteractiveTreeView> view(View);
    module.OnColumnMenu = [view](QAction *item) {
        const int index = item->data().toInt();
        if (!view || index < 0 || index >= view->Columns().Count())
            return;
        TITVColumn *const column = view->Columns().Items(index);
        column->SetVisible(!column->Visible());
        view->ColumnsChanged();
    };
}

void TITVColumnMenu::Popup(TInteractiveTreeView *View, const QPoint &GlobalPosition)
{
    Fill(View);
    TDMInteractiveCustomControl::Instance().PMColumn()->popup(GlobalPosition);
}
