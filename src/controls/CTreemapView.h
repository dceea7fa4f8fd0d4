#pragma once
// A squarified treemap of the nodes of a tree-grid model: the children of one node (the zoom node,
// at first the root level) fill the map with areas by their size (Tag), and inside a cell large
// enough a node's own children are drawn nested under its name. Root-level nodes are drawn whole,
// since their children may not be built until asked for; zooming into a node asks for them the way
// the grid does when a row opens, through the model's expanding hook, without opening the row.
// Nodes the grid hides (its filter) keep their place, faded; the owner asks for a new rendering
// when the filter changes (RequestRepaint).
//
// The cells are rendered into the back buffer only when the tree, the zoom or the size changed;
// the highlighted and the hovered cell are drawn over the composed picture at every paint, so
// moving the mouse or selecting elsewhere never renders the cells again. Layouts are cached per
// node and size until the tree changes, and cells below a pixel are neither drawn nor descended.

#include "controls/CInteractiveCustomControl.h"

#include <QStringList>

#include <functional>
#include <unordered_map>
#include <vector>

class TITreeNode;
class TTreeGridModel;

class TTreemapView : public TInteractiveCustomControl
{
    Q_OBJECT
public:
    using TNodeEvent = std::function<void(TTreemapView *Sender, TITreeNode *Node)>;

    enum TAreaKind { akCells = 1, akCrumb = 2 };
    // A cell is nested (its children drawn inside it) only when at least this large.
    static constexpr int MinNestedWidth = 40;
    static constexpr int MinNestedHeight = 32;

    explicit TTreemapView(QWidget *parent = nullptr);
    ~TTreemapView() override;

    // The model whose nodes are shown; none shows nothing. Replace it before it goes.
    TTreeGridModel *Model() const { return FModel; }
    void SetModel(TTreeGridModel *Model);
    // What the root level is called ("All units") and what a tooltip's share is of ("the code").
    void SetNaming(const QString &RootText, const QString &WholeText);

    // Zoom: the node whose children fill the map, none for the root level. The zoom is kept by the
    // nodes' texts: after the tree was rebuilt (a new run) the deepest of them that still exists is
    // shown.
    TITreeNode *ZoomNode();
    QStringList ZoomPath() const { return FZoomPath; }
    // Shows the children of Node, asking the model for them first; a node without children is
    // not zoomed into (false).
    bool ZoomInto(TITreeNode *Node);
    // One level up; false at the root level.
    bool ZoomOut();
    void ZoomToRoot();

    // The node shown as selected: its cell, or the cell of its nearest shown ancestor, is framed.
    // A node outside the zoom node makes the map zoom out as far as needed to show it.
    TITreeNode *HighlightedNode();
    void SetHighlightedNode(TITreeNode *Node);

    // Geometry, as the next paint draws it.
    QRect CrumbBarRect() const;
    QRect MapRect() const;
    // The deepest cell at p; none outside the cells.
    TITreeNode *NodeAt(const QPoint &p);
    // The cell of Node; empty when it is not shown (below a pixel, outside the zoom, too deep).
    QRect CellRect(const TITreeNode *Node);
    // Whether Node's children are drawn inside its cell.
    bool CellNested(const TITreeNode *Node);
    // The number of cells drawn.
    int CellCount();
    // The fill of Node's cell: the hue of its root-level ancestor, lighter at each level.
    QRgb CellColor(const TITreeNode *Node) const;
    // The name drawn in Node's cell for its width: the whole text, elided, or empty when none fits.
    QString CellCaption(const TITreeNode *Node);
    // The tooltip: the full name, the size and the share of the code.
    QString NodeHint(const TITreeNode *Node);
    // The breadcrumb's texts, the root level first.
    QStringList CrumbTexts();

    // A click on a cell: the deepest node under the pointer, after the map zoomed into it (when it
    // has children).
    TNodeEvent OnNodeClick;

protected:
    void Render(QPainter &canvas, QImage &buffer) override;
    void AreaClick(TICCArea *area) override;
    void AreaSlowClick(TICCArea *area) override;
    void AreaContextPopup(TICCArea *area, bool &allowPopup) override;
    void EmptyContextPopup(bool &allowPopup) override;
    void MouseLeave() override;
    void paintEvent(QPaintEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    void focusInEvent(QFocusEvent *e) override;
    void focusOutEvent(QFocusEvent *e) override;

private:
    class TCellsArea;
    struct TCell
    {
        TITreeNode *Node;
        QRect Rect;
        bool Nested;
    };
    // The children of one node placed in a rectangle of one size, at its origin; a null node is
    // the part of the parent's size that none of its children accounts for.
    struct TChildLayout
    {
        QSize Size;
        std::vector<TITreeNode *> Nodes;
        std::vector<QRectF> Rects;
    };

    // Drops every node pointer when the tree changed since they were taken, and finds the zoom and
    // highlighted nodes again by their texts.
    void Sync();
    void Prepare();
    void AskForChildren(TITreeNode *Node);
    void BuildCells();
    void PlaceChildren(TITreeNode *Parent, const QRect &bounds);
    const TChildLayout &ChildLayout(TITreeNode *Parent, const QSize &size);
    bool Nestable(const TITreeNode *Node, const QRect &rect) const;
    QRect NestedBounds(const QRect &rect) const;
    int TitleHeight() const;
    const TCell *CellOf(const TITreeNode *Node);
    const TCell *ShownCellOf(const TITreeNode *Node);
    void SetZoomPath(const QStringList &path);
    void CellsMouseMove(const QPoint &p);
    void CellsClick();

    void RenderCrumbBar(QPainter &canvas, QImage &buffer);
    void RenderCell(QPainter &canvas, QImage &buffer, const TCell &cell);
    void RenderEmpty(QPainter &canvas, const QRect &map);
    void PaintOverlay(QPainter &painter);

    TTreeGridModel *FModel = nullptr;
    QString FRootText = QStringLiteral("All units");
    QString FWholeText = QStringLiteral("the code");
    quint64 FSyncedContent = 0;
    bool FSynced = false;
    // The content the zoom node's children were last asked for at.
    quint64 FAskedContent = 0;
    qint64 FTotalSize = 0;

    QStringList FZoomPath;
    TITreeNode *FZoomNode = nullptr;
    QStringList FHighlightPath;
    TITreeNode *FHighlighted = nullptr;
    TITreeNode *FHovered = nullptr;

    bool FCellsValid = false;
    QSize FCellsSize;
    std::vector<TCell> FCells;
    std::unordered_map<const TITreeNode *, size_t> FCellIndex;
    std::unordered_map<const TITreeNode *, TChildLayout> FLayouts;
    // The breadcrumb's clickable texts of the last render, by zoom depth.
    std::vector<std::pair<TICCArea *, int>> FCrumbAreas;
};
