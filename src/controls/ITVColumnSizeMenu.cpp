#include "controls/ITVColumnSizeMenu.h"

#include "base/Strings.h"
#include "controls/CInteractiveTreeView.h"
#include "controls/DMInteractiveCustomControl.h"

#include <QPointer>

void TITVColumnSizeMenu::ApplyCustomWidth(TInteractiveTreeView *View, TITVColumn *Column, const QString &Text)
{
    int width = Column->Width();
    if (!TryStrToInt(Text, width))
        width = Column->Width();
    Column->SetWidth(width);
    View->ClampHorzScrollPosition();
    View->RequestRepaint();
}

void TITVColumnSizeMenu::Bind(TInteractiveTreeView *View, TITVColumn *Column)
{
    TDMInteractiveCustomControl &module = TDMInteractiveCustomControl::Instance();
    const QPointer<TInteractiveTreeView> view(View);
    const int index = Column->Index();
    module.OnColumnSizeMenu = [view, index, &module](QAction *item) {
        if (!view || index >= view->Columns().Count())
            return;
        TITVColumn *const column = view->Columns().Items(index);
        if (item == module.MIColumnAutoWidth()) {
            view->AutoSizeColumn(column);
        } else if (item == module.MIColumnMinWidth()) {
            column->SetWidth(column->MinWidth());
            view->ClampHorzScrollPosition();
            view->RequestRepaint();
        } else if (item == module.MIColumnCustomWidth()) {
            const QString current = QString::number(column->Width());
            ApplyCustomWidth(view, column,
                             view->InputBox(QStringLiteral("Custom Width"),
                                            QStringLiteral("Enter width in pixels"), current));
        }
    };
}

void TITVColumnSizeMenu::Popup(TInteractiveTreeView *View, TITVColumn *Column, const QPoint &GlobalPosition)
{
    Bind(View, Column);
    TDMInteractiveCustomControl::Instance().PMColumnSize()->popup(GlobalPosition);
}
