#pragma once
// The menu of a column's resize handle: automatic width, minimum width, or a typed width.

#include <QPoint>
#include <QString>

class TInteractiveTreeView;
class TITVColumn;

class TITVColumnSizeMenu
{
public:
    // Binds the shared menu's three items to Column of View.
    static void Bind(TInteractiveTreeView *View, TITVColumn *Column);
    static void Popup(TInteractiveTreeView *View, TITVColumn *Column, const QPoint &GlobalPosition);

    // The typed width: the text read as an integer, else the current width; clamped by the column.
    static void ApplyCustomWidth(TInteractiveTreeView *View, TITVColumn *Column, const QString &Text);
};
