#include "controls/CTreemapView.h"

#include "base/UFormat.h"
#include "controls/ITVPixels.h"
#include "controls/TreemapLayout.h"
#include "tree/TreeGridModel.h"
#include "tree/TreeNodePath.h"

#include <QKeyEvent>

namespace {

const QString CrumbSeparator = QStringLiteral(" \u203A ");
constexpr int CrumbMaxWidth = 220;
constexpr int TextPadding = 3;
// A highlighted cell smaller than this is framed as if it were this large, so it stays visible.
constexpr int MinFramedSize = 7;
// How far a cell the grid's filter hides is faded towards the background.
constexpr double FadedFraction = 0.75;

// Edges rounded one by one, so that neighbouring cells share their edge without gap or overlap.
QRect Snapped(const QRectF &r)
{
    const int left = qRound(r.left());
    const int top = qRound(r.top());
    return QRect(left, top, qRound(r.right()) - left, qRound(r.bottom()) - top);
}

// A stable hash of a name (FNV-1a over its UTF-16 code units): a unit keeps its colour across runs,
// sorts and zooms.
quint32 NameHash(const QString &text)
{
    quint32 hash = 2166136261u;
    for (const QChar c : text) {
        hash ^= c.unicode();
        hash *= 16777619u;
    }
    return hash;
}

void FrameRect(QPainter &painter, const QRect &r, const QColor &color, int width)
{
    painter.fillRect(QRect(r.left(), r.top(), r.width(), width), color);
    painter.fillRect(QRect(r.left(), r.bottom() - width + 1, r.width(), width), color);
    painter.fillRect(QRect(r.left(), r.top(), width, r.height()), color);
    painter.fillRect(QRect(r.right() - width + 1, r.top(), width, r.height()), color);
}

QString ByteCount(qint64 size)
{
    return size == 1 ? QStringLiteral("1 byte") : Format(QStringLiteral("%d bytes"), {size});
}

QString SizeText(qint64 size)
{
    if (size < 1024)
        return ByteCount(size);
    if (size < 1024 * 1024)
        return Format(QStringLiteral("%.1f kB"), {double(size) / 1024});
    return Format(QStringLiteral("%.1f MB"), {double(size) / (1024 * 1024)});
}

// A share too small for two decimals still tells that it is not nothing.
QString ShareText(qint64 size, qint64 total)
{
    const double share = total > 0 ? 100.0 * double(size) / double(total) : 0;
    return share > 0 && share < 0.005 ? QStringLiteral("< 0.01 %")
                                      : Format(QStringLiteral("%.2f %%"), {share});
}

// A row hidden in the grid (by its filter) hides everything below it.
bool HiddenInGrid(const TITreeNode *Node)
{
    for (; Node; Node = Node->Parent())
        if (Node->Hidden())
            return true;
    return false;
}

} // namespace

// The map's one hit area: the cells are found through the layout, not one area each, so that
// thousands of cells cost no allocation per render and no walk per mouse move.
class TTreemapView::TCellsArea : public TICCSquareArea
{
public:
    TCellsArea(TTreemapView *owner, const QRect &rect) : TICCSquareArea(owner, rect, akCells), FView(owner)
    {
        OnGetHint = [owner](TICCArea *) { return owner->NodeHint(owner->NodeAt(owner->HintPoint())); };
    }

    void MouseMove(int x, int y) override
    {
        TICCSquareArea::MouseMove(x, y);
        FView->CellsMouseMove(QPoint(x, y));
    }
    void MouseLeave() override
    {
        TICCSquareArea::MouseLeave();
        FView->CellsMouseMove(QPoint(-1, -1));
    }

private:
    TTreemapView *FView;
};

TTreemapView::TTreemapView(QWidget *parent) : TInteractiveCustomControl(parent) {}

TTreemapView::~TTreemapView() = default;

void TTreemapView::SetModel(TTreeGridModel *Model)
{
    FModel = Model;
    FSynced = false;
    FZoomPath.clear();
    FHighlightPath.clear();
    Sync();
    RequestRepaint();
}

// ---- keeping up with the tree

void TTreemapView::Sync()
{
    if (FSynced && (!FModel || FModel->Items().ContentVersion() == FSyncedContent))
        return;
    FSynced = true;
    FSyncedContent = FModel ? FModel->Items().ContentVersion() : 0;
    FCellsValid = false;
    FCells.clear();
    FCellIndex.clear();
    FLayouts.clear();
    FHovered = nullptr;
    FZoomNode = nullptr;
    FHighlighted = nullptr;
    FTotalSize = 0;
    if (FModel) {
        for (QStringList path = FZoomPath; !path.isEmpty() && !FZoomNode; path.removeLast())
            FZoomNode = NodeAtPath(*FModel, path);
        if (!FHighlightPath.isEmpty())
            FHighlighted = NodeAtPath(*FModel, FHighlightPath);
        for (const TITreeNode *node = FModel->Items().GetFirstNode(); node; node = node->NextSibling())
            FTotalSize += std::max<qint64>(node->Tag(), 0);
    }
    // The cells of the back buffer may stand for nodes that moved or went.
    RequestRepaint();
}

void TTreemapView::AskForChildren(TITreeNode *Node)
{
    // An open row holds its children already; a closed one may hold a placeholder that the owner of
    // the model replaces when asked.
    if (!FModel || !Node || Node->Expanded() || !isEnabled())
        return;
    bool allow = true;
    FModel->DoExpanding(Node, allow);
    Sync();
}

void TTreemapView::Prepare()
{
    Sync();
    // A zoom node found again after a rebuild (a new run) may hold a placeholder once more.
    if (FZoomNode && isEnabled() && FAskedContent != FSyncedContent) {
        AskForChildren(FZoomNode);
        FAskedContent = FSyncedContent;
    }
    if (!FCellsValid || FCellsSize != size())
        BuildCells();
}

// ---- zoom and highlight

TITreeNode *TTreemapView::ZoomNode()
{
    Prepare();
    return FZoomNode;
}

void TTreemapView::SetZoomPath(const QStringList &path)
{
    FZoomPath = path;
    FZoomNode = path.isEmpty() || !FModel ? nullptr : NodeAtPath(*FModel, path);
    FHovered = nullptr;
    FCellsValid = false;
    RequestRepaint();
}

bool TTreemapView::ZoomInto(TITreeNode *Node)
{
    Prepare();
    if (!FModel || !Node)
        return false;
    AskForChildren(Node);
    if (!Node->HasChildren())
        return false;
    SetZoomPath(NodePath(Node));
    FZoomNode = Node;
    FAskedContent = FSyncedContent;
    return true;
}

bool TTreemapView::ZoomOut()
{
    Prepare();
    if (!FZoomNode) {
        // The rest of the path names nodes that are gone: nothing shown changes.
        FZoomPath.clear();
        return false;
    }
    SetZoomPath(NodePath(FZoomNode->Parent()));
    return true;
}

void TTreemapView::ZoomToRoot()
{
    if (!FZoomPath.isEmpty())
        SetZoomPath({});
}

TITreeNode *TTreemapView::HighlightedNode()
{
    Sync();
    return FHighlighted;
}

void TTreemapView::SetHighlightedNode(TITreeNode *Node)
{
    // No layout here: a hidden map follows the grid's selection for nothing.
    Sync();
    FHighlighted = Node;
    FHighlightPath = NodePath(Node);
    if (Node && FZoomNode && FZoomNode != Node && !FZoomNode->HasDescendant(Node)) {
        TITreeNode *common = FZoomNode->Parent();
        while (common && common != Node && !common->HasDescendant(Node))
            common = common->Parent();
        SetZoomPath(NodePath(common));
    }
    update();
}

// ---- layout

int TTreemapView::TitleHeight() const
{
    return fontMetrics().height() + 2;
}

QRect TTreemapView::CrumbBarRect() const
{
    return QRect(0, 0, width(), fontMetrics().height() + 8);
}

QRect TTreemapView::MapRect() const
{
    const int top = CrumbBarRect().bottom() + 1;
    return QRect(0, top, width(), std::max(0, height() - top));
}

void TTreemapView::BuildCells()
{
    FCells.clear();
    FCellIndex.clear();
    FCellsValid = true;
    FCellsSize = size();
    const QRect map = MapRect();
    if (!FModel || map.isEmpty())
        return;
    PlaceChildren(FZoomNode ? FZoomNode : FModel->Items().Root(), map);
}

void TTreemapView::PlaceChildren(TITreeNode *Parent, const QRect &bounds)
{
    if (bounds.width() < 1 || bounds.height() < 1)
        return;
    // A reference into the map stays valid while nested calls add to it.
    const TChildLayout &layout = ChildLayout(Parent, bounds.size());
    for (size_t i = 0; i < layout.Nodes.size(); ++i) {
        TITreeNode *const node = layout.Nodes[i];
        const QRect rect = Snapped(layout.Rects[i].translated(bounds.topLeft()));
        // Below a pixel: neither drawn nor descended.
        if (!node || rect.width() < 1 || rect.height() < 1)
            continue;
        const bool nested = Nestable(node, rect);
        FCellIndex[node] = FCells.size();
        FCells.push_back({node, rect, nested});
        if (nested)
            PlaceChildren(node, NestedBounds(rect));
    }
}

const TTreemapView::TChildLayout &TTreemapView::ChildLayout(TITreeNode *Parent, const QSize &size)
{
    TChildLayout &layout = FLayouts[Parent];
    if (layout.Size == size)
        return layout;
    layout.Size = size;
    layout.Nodes.clear();
    std::vector<double> weights;
    double sum = 0;
    for (TITreeNode *child = Parent->GetFirstChild(); child; child = child->NextSibling()) {
        if (child->Tag() <= 0)
            continue;
        layout.Nodes.push_back(child);
        weights.push_back(double(child->Tag()));
        sum += double(child->Tag());
    }
    // What the children leave of the parent's size stays the parent's, so that every area keeps
    // to the same scale.
    if (double(Parent->Tag()) > sum) {
        layout.Nodes.push_back(nullptr);
        weights.push_back(double(Parent->Tag()) - sum);
    }
    layout.Rects = SquarifiedLayout(weights, QRectF(QPointF(0, 0), QSizeF(size)));
    return layout;
}

bool TTreemapView::Nestable(const TITreeNode *Node, const QRect &rect) const
{
    // Root-level rows are drawn whole: their children may be placeholders until asked for.
    return Node->Parent() && Node->HasChildren() && rect.width() >= MinNestedWidth &&
           rect.height() >= std::max(MinNestedHeight, TitleHeight() + 12);
}

QRect TTreemapView::NestedBounds(const QRect &rect) const
{
    return QRect(rect.left() + 2, rect.top() + TitleHeight(), rect.width() - 5,
                 rect.height() - TitleHeight() - 3);
}

const TTreemapView::TCell *TTreemapView::CellOf(const TITreeNode *Node)
{
    Prepare();
    const auto it = FCellIndex.find(Node);
    return it == FCellIndex.end() ? nullptr : &FCells[it->second];
}

const TTreemapView::TCell *TTreemapView::ShownCellOf(const TITreeNode *Node)
{
    for (; Node; Node = Node->Parent())
        if (const TCell *cell = CellOf(Node))
            return cell;
    return nullptr;
}

TITreeNode *TTreemapView::NodeAt(const QPoint &p)
{
    Prepare();
    if (!MapRect().contains(p))
        return nullptr;
    // Pre-order: the last cell that contains p is the deepest.
    TITreeNode *found = nullptr;
    for (size_t i = 0; i < FCells.size(); ++i) {
        if (!FCells[i].Rect.contains(p))
            continue;
        found = FCells[i].Node;
        if (!FCells[i].Nested)
            break;
    }
    return found;
}

QRect TTreemapView::CellRect(const TITreeNode *Node)
{
    const TCell *cell = CellOf(Node);
    return cell ? cell->Rect : QRect();
}

bool TTreemapView::CellNested(const TITreeNode *Node)
{
    const TCell *cell = CellOf(Node);
    return cell && cell->Nested;
}

int TTreemapView::CellCount()
{
    Prepare();
    return int(FCells.size());
}

QRgb TTreemapView::CellColor(const TITreeNode *Node) const
{
    const TITreeNode *unit = Node;
    int level = 0;
    for (; unit->Parent(); unit = unit->Parent())
        ++level;
    // Units of one family (the name before its last dot: System, Vcl, Winapi) share a hue, each a
    // little apart; symbols keep near their unit's hue, a little apart from their siblings.
    const QString &name = unit->Text();
    const qsizetype dot = name.lastIndexOf(u'.');
    int hue = int(NameHash(dot > 0 ? name.left(dot) : name) % 360);
    hue += int(NameHash(level > 0 ? Node->Text() : name) % 25) - 12;
    hue = (hue + 360) % 360;
    return QColor::fromHsl(hue, 100, 176 + 12 * std::min(level, 4)).rgb();
}

QString TTreemapView::CellCaption(const TITreeNode *Node)
{
    const TCell *cell = CellOf(Node);
    if (!cell)
        return {};
    const QFontMetrics metrics = fontMetrics();
    if (cell->Rect.height() < metrics.height() + 2)
        return {};
    const QString caption =
        metrics.elidedText(Node->Text(), Qt::ElideRight, cell->Rect.width() - 2 * TextPadding - 1);
    // An ellipsis alone names nothing.
    return caption.size() <= 1 && caption != Node->Text() ? QString() : caption;
}

QString TTreemapView::NodeHint(const TITreeNode *Node)
{
    if (!Node)
        return {};
    return Format(QStringLiteral("%s\n%s, %s of %s"), {NodePath(Node).join(u'.'), ByteCount(Node->Tag()),
                                                       ShareText(Node->Tag(), FTotalSize), FWholeText});
}

QStringList TTreemapView::CrumbTexts()
{
    Prepare();
    QStringList texts = NodePath(FZoomNode);
    texts.prepend(FRootText);
    return texts;
}

void TTreemapView::SetNaming(const QString &RootText, const QString &WholeText)
{
    FRootText = RootText;
    FWholeText = WholeText;
    update();
}

// ---- rendering

void TTreemapView::Render(QPainter &canvas, QImage &buffer)
{
    Prepare();
    FCrumbAreas.clear();
    RenderCrumbBar(canvas, buffer);
    const QRect map = MapRect();
    if (map.isEmpty())
        return;
    FillPixels(buffer, map, ColorToQRgb(clBtnFace));
    if (FCells.empty()) {
        RenderEmpty(canvas, map);
        return;
    }
    for (const TCell &cell : FCells)
        RenderCell(canvas, buffer, cell);
    AddCustomArea(std::make_unique<TCellsArea>(this, map));
}

void TTreemapView::RenderCrumbBar(QPainter &canvas, QImage &buffer)
{
    const QRect bar = CrumbBarRect();
    FillPixels(buffer, bar, ColorToQRgb(clBtnFace));
    FillPixels(buffer, QRect(bar.left(), bar.bottom(), bar.width(), 1), ColorToQRgb(clBtnShadow));
    const QFontMetrics metrics = fontMetrics();
    const int baseline = bar.top() + (bar.height() - 1 - metrics.height()) / 2 + metrics.ascent();
    const QStringList texts = CrumbTexts();
    int x = bar.left() + 6;
    for (int level = 0; level < texts.size(); ++level) {
        const bool current = level + 1 == texts.size();
        const QString text = metrics.elidedText(texts[level], Qt::ElideMiddle, CrumbMaxWidth);
        const int textWidth = metrics.horizontalAdvance(text);
        canvas.setPen(ColorToQColor(current ? clBtnText : clHotLight));
        canvas.drawText(x, baseline, text);
        if (!current) {
            TICCSquareArea *area = AddArea(QRect(x - 2, bar.top(), textWidth + 4, bar.height() - 1), akCrumb);
            area->SetCursor(Qt::PointingHandCursor);
            area->SetHint(QStringLiteral("Back to ") + texts[level]);
            FCrumbAreas.emplace_back(area, level);
            x += textWidth;
            canvas.setPen(ColorToQColor(clBtnText));
            canvas.drawText(x, baseline, CrumbSeparator);
            x += metrics.horizontalAdvance(CrumbSeparator);
        } else {
            x += textWidth;
        }
    }
    // The size of what the map shows, right-aligned where it fits.
    if (FTotalSize <= 0)
        return;
    const qint64 size = FZoomNode ? FZoomNode->Tag() : FTotalSize;
    const QString total = FZoomNode ? Format(QStringLiteral("%s, %s of %s"),
                                             {SizeText(size), ShareText(size, FTotalSize), FWholeText})
                                    : SizeText(size);
    const int totalWidth = metrics.horizontalAdvance(total);
    if (x + 16 + totalWidth <= bar.right() - 6) {
        canvas.setPen(ColorToQColor(clBtnText));
        canvas.drawText(bar.right() - 6 - totalWidth, baseline, total);
    }
}

void TTreemapView::RenderCell(QPainter &canvas, QImage &buffer, const TCell &cell)
{
    // What the grid's filter hides stays in place, faded, so the matches stand out where they lie.
    const bool faded = HiddenInGrid(cell.Node);
    QRgb fill = CellColor(cell.Node);
    if (faded)
        fill = MixTowards(fill, ColorToQRgb(clBtnFace), FadedFraction);
    // The right and bottom edge in a darker shade separate neighbours.
    FillPixels(buffer, cell.Rect, MixTowards(fill, qRgb(0, 0, 0), 0.35));
    const QRect inner = cell.Rect.adjusted(0, 0, -1, -1);
    if (inner.isEmpty())
        return;
    FillPixels(buffer, inner, fill);
    const QString caption = CellCaption(cell.Node);
    if (caption.isEmpty())
        return;
    const QFontMetrics metrics = fontMetrics();
    canvas.setPen(ColorToQColor(faded ? clBtnShadow : clWindowText));
    const int baseline = inner.top() + 1 + metrics.ascent();
    canvas.drawText(inner.left() + TextPadding, baseline, caption);
    if (cell.Nested || inner.height() < 2 * metrics.height() + 4)
        return;
    const QString size = SizeText(cell.Node->Tag());
    if (metrics.horizontalAdvance(size) <= inner.width() - 2 * TextPadding)
        canvas.drawText(inner.left() + TextPadding, baseline + metrics.height(), size);
}

void TTreemapView::RenderEmpty(QPainter &canvas, const QRect &map)
{
    canvas.setPen(ColorToQColor(clBtnShadow));
    canvas.drawText(map, Qt::AlignCenter, QStringLiteral("No units to show"));
}

void TTreemapView::paintEvent(QPaintEvent *e)
{
    // First, so that a tree changed since the last render is rendered again by this paint.
    Prepare();
    TInteractiveCustomControl::paintEvent(e);
    QPainter painter(this);
    PaintOverlay(painter);
}

void TTreemapView::PaintOverlay(QPainter &painter)
{
    if (const TCell *hovered = CellOf(FHovered))
        FrameRect(painter, hovered->Rect, ColorToQColor(clWindowText), 1);
    if (const TCell *highlighted = ShownCellOf(FHighlighted)) {
        QRect frame = highlighted->Rect;
        if (frame.width() < MinFramedSize || frame.height() < MinFramedSize)
            frame = QRect(frame.center() - QPoint(MinFramedSize / 2, MinFramedSize / 2),
                          QSize(MinFramedSize, MinFramedSize));
        FrameRect(painter, frame, ColorToQColor(clHighlight), 2);
    }
    if (hasFocus())
        FrameRect(painter, rect(), ColorToQColor(clHighlight), 1);
}

// ---- mouse and keyboard

void TTreemapView::CellsMouseMove(const QPoint &p)
{
    TITreeNode *const node = NodeAt(p);
    if (node == FHovered)
        return;
    FHovered = node;
    update();
}

void TTreemapView::MouseLeave()
{
    if (!FHovered)
        return;
    FHovered = nullptr;
    update();
}

void TTreemapView::CellsClick()
{
    TITreeNode *const node = NodeAt(MousePosition());
    if (!node)
        return;
    if (node->HasChildren())
        ZoomInto(node);
    Prepare();
    FHighlighted = node;
    FHighlightPath = NodePath(node);
    update();
    if (OnNodeClick)
        OnNodeClick(this, node);
}

void TTreemapView::AreaClick(TICCArea *area)
{
    if (area->Kind() == akCells) {
        CellsClick();
        return;
    }
    for (const auto &[crumb, level] : FCrumbAreas)
        if (crumb == area) {
            SetZoomPath(FZoomPath.mid(0, level));
            return;
        }
}

void TTreemapView::AreaSlowClick(TICCArea *area)
{
    // Nothing here waits for a slow click (no editing): a long press is a click.
    AreaClick(area);
}

void TTreemapView::AreaContextPopup(TICCArea *, bool &allowPopup)
{
    allowPopup = false;
    ZoomOut();
}

void TTreemapView::EmptyContextPopup(bool &allowPopup)
{
    allowPopup = false;
    ZoomOut();
}

void TTreemapView::keyPressEvent(QKeyEvent *e)
{
    switch (e->key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Escape:
        // At the root level Escape goes on to the window.
        if (ZoomOut())
            return;
        break;
    case Qt::Key_Home:
        ZoomToRoot();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // Mended: the frame may stand on an ancestor of the highlighted node (a symbol of a unit
        // shown as a whole after Home): Enter opens what is framed.
        if (const TCell *framed = ShownCellOf(HighlightedNode()); framed && ZoomInto(framed->Node))
            return;
        break;
    default:
        break;
    }
    TInteractiveCustomControl::keyPressEvent(e);
}

void TTreemapView::focusInEvent(QFocusEvent *e)
{
    TInteractiveCustomControl::focusInEvent(e);
    update();
}

void TTreemapView::focusOutEvent(QFocusEvent *e)
{
    TInteractiveCustomControl::focusOutEvent(e);
    update();
}
