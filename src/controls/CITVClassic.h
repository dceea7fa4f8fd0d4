#pragma once
// TITreeView: the tree-grid over TITreeNode rows, with columns that can paint their own cells and the
// per-cell colour and font events.

#include "controls/CInteractiveTreeView.h"

#include <QFlags>

class TITreeView;

enum TITreeViewNodeState { nsSelected = 1 };
Q_DECLARE_FLAGS(TITreeViewNodeStates, TITreeViewNodeState)
Q_DECLARE_OPERATORS_FOR_FLAGS(TITreeViewNodeStates)

// A cell hook: draws into the back buffer through aCanvas within cellRect (nothing clips it).
// columnIndex is the column's index in the collection, not its display position.
using TITreeViewDrawNodeEvent =
    std::function<void(TITreeView *Sender, QPainter &aCanvas, const QRect &cellRect, TITreeNode *node,
                       int columnIndex, TITreeViewNodeStates nodeStates)>;
// The text a cell hook shows, for the copies and the content width of a cell it draws.
using TITreeViewNodeTextEvent = std::function<QString(TITreeView *Sender, TITreeNode *node, int columnIndex)>;
using TITVCellColorEvent = std::function<void(TITreeView *Sender, TITreeNode *Node, int ColumnIndex,
                                              TITreeViewNodeStates NodeStates, TColor &Color)>;
using TITVCellFontEvent = std::function<void(TITreeView *Sender, TITreeNode *Node, int ColumnIndex,
                                             TITreeViewNodeStates NodeStates, QFont &Font)>;

class TITreeViewColumn : public TITVColumn
{
public:
    void Assign(const TITVColumn &Source) override;

    // Called after the cell background is painted; the default text follows.
    TITreeViewDrawNodeEvent OnDrawNode;
    // Called after OnDrawNode; replaces the default text.
    TITreeViewDrawNodeEvent OnDrawNodeContent;
    // What OnDrawNodeContent shows as text; without it the cell's own text stands for it.
    TITreeViewNodeTextEvent OnGetNodeContentText;

    bool HasDrawHooks() const { return OnDrawNode || OnDrawNodeContent; }
};

class TITreeView : public TInteractiveTreeView
{
    Q_OBJECT
public:
    // Hot tracking is on unless the program runs in a remote session.
    explicit TITreeView(QWidget *parent = nullptr);

    // Column Index of the collection (raises outside 0..Count-1).
    TITreeViewColumn *Column(int Index) const;
    TITreeViewColumn *AddColumn(const QString &Caption, int Width, Qt::Alignment Alignment = Qt::AlignLeft,
                                TITVSortKind SortKind = iskSmartText);

    QString DisplayedCellText(TITreeNode *Node, int ColumnIndex) override;

    // Called for every node just before its row is painted.
    TITVNodeEvent OnBeforeRenderNode;
    TITVCellColorEvent OnDrawCellBackColor;
    TITVCellColorEvent OnDrawCellForeColor;
    TITVCellFontEvent OnDrawCellFont;

protected:
    std::unique_ptr<TITVRowRenderInformation> CreateRowRenderer(QPainter &Canvas, QImage &Buffer,
                                                                const QRect &Rect) override;
};

// True in a remote desktop session: an ssh login, or a display on another machine.
bool IsRemoteSession();
