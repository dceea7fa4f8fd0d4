// Properties, selection, keyboard and incremental search of the tree-grid engine.
#include "controls/CInteractiveTreeView.h"

#include "base/Strings.h"
#include "controls/ITVCopyMenu.h"
#include "controls/ITVPixels.h"

#include <QInputDialog>
#include <QKeyEvent>

#include <algorithm>

namespace {

constexpr double UnfocusedSelectionMix = 0.75;

} // namespace

TInteractiveTreeView::TInteractiveTreeView(QWidget *parent) : TInteractiveCustomControl(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    InputBox = [this](const QString &caption, const QString &prompt, const QString &text) {
        bool accepted = false;
        const QString typed =
            QInputDialog::getText(this, caption, prompt, QLineEdit::Normal, text, &accepted);
        return accepted ? typed : text;
    };
    RequestRepaint();
}

TInteractiveTreeView::~TInteractiveTreeView()
{
    FDestroying = true;
}

QRgb TInteractiveTreeView::Mix(TColor A, TColor B, double Fraction)
{
    return MixTowards(ColorToQRgb(A), ColorToQRgb(B), Fraction);
}

// ---- properties

#define QUILLON_REPAINTING_SETTER(Name, Type, Field)                                                         \
    void TInteractiveTreeView::Set##Name(Type Value)                                                         \
    {                                                                                                        \
        if (Field == Value)                                                                                  \
            return;                                                                                          \
        Field = Value;                                                                                       \
        RequestRepaint();                                                                                    \
    }

QUILLON_REPAINTING_SETTER(HeaderHeight, int, FHeaderHeight)
QUILLON_REPAINTING_SETTER(HeaderVisible, bool, FHeaderVisible)
QUILLON_REPAINTING_SETTER(RowIndent, int, FRowIndent)
QUILLON_REPAINTING_SETTER(ShowRoot, bool, FShowRoot)
QUILLON_REPAINTING_SETTER(RowSelect, bool, FRowSelect)
QUILLON_REPAINTING_SETTER(GridLines, bool, FGridLines)
QUILLON_REPAINTING_SETTER(GridColumns, bool, FGridColumns)
QUILLON_REPAINTING_SETTER(Color, TColor, FColor)
QUILLON_REPAINTING_SETTER(ConnectorsColor, TColor, FConnectorsColor)
QUILLON_REPAINTING_SETTER(GridColor, TColor, FGridColor)
QUILLON_REPAINTING_SETTER(ShadeSortedColumn, bool, FShadeSortedColumn)
QUILLON_REPAINTING_SETTER(HeaderMultiLang, bool, FHeaderMultiLang)
QUILLON_REPAINTING_SETTER(HeaderParentFont, bool, FHeaderParentFont)
QUILLON_REPAINTING_SETTER(HeaderFont, const QFont &, FHeaderFont)
QUILLON_REPAINTING_SETTER(HotTrack, bool, FHotTrack)

#undef QUILLON_REPAINTING_SETTER

void TInteractiveTreeView::SetRowHeight(int Value)
{
    // Every row computation divides by the row height.
    Value = std::max(Value, 1);
    if (FRowHeight == Value)
        return;
    FRowHeight = Value;
    RequestRepaint();
}

void TInteractiveTreeView::SetMultiSelect(bool Value)
{
    if (FMultiSelect == Value)
        return;
    SetSelectedNode(nullptr);
    FMultiSelect = Value;
    RequestRepaint();
}

QRgb TInteractiveTreeView::SelectionColor() const
{
    if (hasFocus())
        return ColorToQRgb(clHighlight);
    return Mix(clHighlight, FColor, UnfocusedSelectionMix);
}

QRgb TInteractiveTreeView::CellTextColor(bool Selected, int ColumnIndex) const
{
    if (Selected && (ColumnIndex == 0 || FRowSelect) && hasFocus())
        return ColorToQRgb(clHighlightText);
    return ColorToQRgb(clWindowText);
}

QString TInteractiveTreeView::DisplayedCellText(TITreeNode *Node, int ColumnIndex)
{
    return Browser().GetCellText(Node, ColumnIndex);
}

// ---- the model's notifications

void TInteractiveTreeView::ColumnsChanged()
{
    ClampHorzScrollPosition();
    RequestRepaint();
    if (OnColumnsChanged)
        OnColumnsChanged(this);
}

void TInteractiveTreeView::ColumnPropertyChanged(TITVColumn *)
{
    RequestRepaint();
    if (OnColumnsChanged)
        OnColumnsChanged(this);
}

void TInteractiveTreeView::NodeRemoving(TITreeNode *Node)
{
    std::replace(FQueuedSelections.begin(), FQueuedSelections.end(), Node,
                 static_cast<TITreeNode *>(nullptr));
    if (Node == FHotNode)
        FHotNode = nullptr;
    if (Node == FUnfilteredSelectedNode)
        FUnfilteredSelectedNode = nullptr;
    if (Node == FSelectedNode) {
        // The collection has already taken the node out of its selected count; the deselection
        // below must not count it a second time.
        FRemovingNode = Node;
        SetSelectedNode(nullptr);
        FRemovingNode = nullptr;
    }
    TTreeGridModel::NodeRemoving(Node);
}

// ---- selection

void TInteractiveTreeView::DoSelectionChanged()
{
    if (!OnSelectionChanged || FDestroying)
        return;
    ++FSelectionEventDepth;
    try {
        OnSelectionChanged(this);
    } catch (...) {
        --FSelectionEventDepth;
        throw;
    }
    --FSelectionEventDepth;
}

void TInteractiveTreeView::DeselectAllNodes()
{
    // Nodes already reported as leaving (no owner) left the selected count with their report.
    for (TITreeNode *node = Items().GetFirstNode(); node; node = node->GetNext())
        if (node != FRemovingNode && node->Owner() && node->Selected())
            node->SetSelected(false);
}

void TInteractiveTreeView::SetSelectedNode(TITreeNode *Node)
{
    if (Node == FSelectedNode)
        return;
    if (FSelectionEventDepth > 0) {
        FQueuedSelections.push_back(Node);
        QMetaObject::invokeMethod(this, &TInteractiveTreeView::PerformQueuedSelection, Qt::QueuedConnection);
        return;
    }
    TITreeNode *const previous = FSelectedNode;
    if (FMultiSelect)
        DeselectAllNodes();
    else if (previous && previous != FRemovingNode)
        previous->SetSelected(false);
    Browser().GoTo(Node);
    FSelectedNode = Browser().Current();
    if (FSelectedNode)
        FSelectedNode->SetSelected(true);
    if (FSelectedNode != previous)
        DoSelectionChanged();
}

void TInteractiveTreeView::PerformQueuedSelection()
{
    if (FQueuedSelections.empty())
        return;
    TITreeNode *const node = FQueuedSelections.front();
    FQueuedSelections.pop_front();
    SetSelectedNode(node);
}

void TInteractiveTreeView::RangeSelect(TITreeNode *Node)
{
    const int b = RowIndex(Node);
    if (b < 0)
        return;
    const int a = FSelectedNode ? std::max(RowIndex(FSelectedNode), 0) : 0;
    const TITreeNodeList &rows = Rows();
    for (int row = std::min(a, b); row <= std::max(a, b); ++row)
        rows[size_t(row)]->SetSelected(true);
    FSelectedNode = Node;
}

void TInteractiveTreeView::ScrollIntoView(TITreeNode *Node)
{
    const int count = int(Rows().size());
    const int a = RowIndex(Node);
    if (count < 2 || a < 0)
        return;
    const int top = std::max(RowIndex(TopNode()), 0);
    const int visible = VisibleRowCount();
    int newTop = top;
    if (count < visible)
        newTop = 0;
    else if (a < top)
        newTop = a;
    else if (a > top + visible - 1)
        newTop = a + 1 - visible;
    TITreeNode *const topNode = RowNode(newTop);
    if (topNode != TopNode()) {
        SetTopNode(topNode);
        RequestRepaint();
    }
}

bool TInteractiveTreeView::StartFilter(const TRowMatch &Matches, const TITreeNodeList &Searched,
                                       const std::function<bool()> &ShouldPause)
{
    if (!Filtered())
        FUnfilteredSelectedNode = FSelectedNode;
    Filter().Start(Matches, Searched);
    SetHorzScrollPosition(0);
    return ContinueFilter(ShouldPause);
}

bool TInteractiveTreeView::ContinueFilter(const std::function<bool()> &ShouldPause)
{
    const bool finished = Filter().Continue(ShouldPause);
    RequestRepaint();
    if (finished) {
        if (FSelectedNode && !FSelectedNode->Selected())
            FSelectedNode = nullptr;
        DoSelectionChanged();
    }
    return finished;
}

void TInteractiveTreeView::ClearFilter()
{
    if (!Filtered())
        return;
    if (Filter().Clear())
        FSelectedNode = FUnfilteredSelectedNode;
    else if (FSelectedNode)
        ScrollIntoView(FSelectedNode);
    FUnfilteredSelectedNode = nullptr;
    ClampHorzScrollPosition();
    RequestRepaint();
    DoSelectionChanged();
}

int TInteractiveTreeView::VisibleRowCount() const
{
    int height = TInteractiveCustomControl::height();
    if (FHeaderVisible)
        height -= FHeaderHeight;
    if (FHorzScrollBar)
        height -= ScrollBarExtent();
    return std::max(height / FRowHeight, 0);
}

TITreeNode *TInteractiveTreeView::RowAt(int Y)
{
    if (FHorzScrollBar && Y >= TInteractiveCustomControl::height() - ScrollBarExtent())
        return nullptr;
    if (FHeaderVisible)
        Y -= FHeaderHeight;
    if (Y < 0)
        return nullptr;
    return RowNode(std::max(RowIndex(TopNode()), 0) + Y / FRowHeight);
}

// ---- keyboard

void TInteractiveTreeView::SelectByKey(TITreeNode *Target, bool Shift)
{
    if (!Target)
        return;
    if (FMultiSelect && Shift) {
        const TITreeNode *const focused = FSelectedNode;
        const int selected = Items().SelectedCount();
        RangeSelect(Target);
        // The owner sums the selection, so a range grown by keyboard is reported like one grown by mouse.
        if (FSelectedNode != focused || Items().SelectedCount() != selected)
            DoSelectionChanged();
    } else {
        SetSelectedNode(Target);
    }
    ScrollIntoView(Target);
}

void TInteractiveTreeView::MoveSelectionBy(int Delta, bool Shift)
{
    const int count = int(Rows().size());
    if (count == 0)
        return;
    const int current = RowIndex(FSelectedNode);
    SelectByKey(RowNode(std::clamp(current + Delta, 0, count - 1)), Shift);
}

void TInteractiveTreeView::ToggleAllExpanded()
{
    // The first row shown: a filter may hide the first node.
    TITreeNode *const first = Items().Root()->GetFirstShownChild();
    if (!first)
        return;
    const bool collapse = first->Expanded();
    Browser().ForEach([collapse](TAbstractTreeBrowser &browser) {
        if (collapse)
            browser.SetExpanded(false);
        else if (browser.HasChildren())
            browser.SetExpanded(true);
    });
}

bool TInteractiveTreeView::HandleKey(int Key, Qt::KeyboardModifiers Modifiers)
{
    const bool keypad = Modifiers.testFlag(Qt::KeypadModifier);
    const Qt::KeyboardModifiers held = Modifiers & ~Qt::KeypadModifier;
    const bool shift = held.testFlag(Qt::ShiftModifier);
    TAbstractTreeBrowser &browser = Browser();
    switch (Key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (FSelectedNode && OnDblClick)
            OnDblClick(this);
        return true;
    case Qt::Key_Up:
        MoveSelectionBy(-1, shift);
        return true;
    case Qt::Key_Down:
        MoveSelectionBy(+1, shift);
        return true;
    case Qt::Key_PageUp:
        MoveSelectionBy(-VisibleRowCount(), shift);
        return true;
    case Qt::Key_PageDown:
        MoveSelectionBy(+VisibleRowCount(), shift);
        return true;
    case Qt::Key_Home:
        if (!Rows().empty())
            SelectByKey(Rows().front(), shift);
        return true;
    case Qt::Key_End:
        if (!Rows().empty())
            SelectByKey(Rows().back(), shift);
        return true;
    case Qt::Key_Left:
        if (FSelectedNode && FSelectedNode->Expanded())
            FSelectedNode->SetExpanded(false);
        else if (FSelectedNode && FSelectedNode->Parent())
            SelectByKey(FSelectedNode->Parent(), shift);
        return true;
    case Qt::Key_Right:
        if (FSelectedNode && FSelectedNode->Expanded())
            SelectByKey(FSelectedNode->GetFirstShownChild(), shift);
        else if (FSelectedNode && FSelectedNode->HasShownChildren())
            FSelectedNode->SetExpanded(true);
        return true;
    case Qt::Key_F2:
        setFocus();
        return true;
    default:
        break;
    }
    if (keypad && Key == Qt::Key_Plus) {
        if (FSelectedNode && FSelectedNode->HasShownChildren())
            FSelectedNode->SetExpanded(true);
        return true;
    }
    if (keypad && Key == Qt::Key_Minus) {
        if (FSelectedNode && FSelectedNode->Expanded())
            FSelectedNode->SetExpanded(false);
        return true;
    }
    if (keypad && Key == Qt::Key_Asterisk) {
        if (held == Qt::AltModifier) {
            ToggleAllExpanded();
        } else if (FSelectedNode) {
            browser.GoTo(FSelectedNode);
            if (FSelectedNode->Expanded())
                browser.FullCollapse();
            else
                browser.FullExpand();
        }
        return true;
    }
    if (keypad && Key == Qt::Key_Slash) {
        if (FSelectedNode) {
            browser.GoTo(FSelectedNode);
            browser.FullCollapse();
        }
        return true;
    }
    if (held == Qt::ControlModifier && Key == Qt::Key_A) {
        if (FMultiSelect) {
            const int before = Items().SelectedCount();
            browser.SelectAll();
            if (Items().SelectedCount() != before)
                DoSelectionChanged();
        }
        return true;
    }
    if (held == Qt::ControlModifier && Key == Qt::Key_D) {
        SetSelectedNode(nullptr);
        return true;
    }
    // Ctrl+Insert too, the older clipboard key that some users keep.
    if (held == Qt::ControlModifier && (Key == Qt::Key_C || Key == Qt::Key_Insert)) {
        CopyLines();
        return true;
    }
    return false;
}

void TInteractiveTreeView::keyPressEvent(QKeyEvent *e)
{
    int key = e->key();
    if (OnKeyDown)
        OnKeyDown(this, key, e->modifiers());
    if (key == 0)
        return;
    if (HandleKey(key, e->modifiers()))
        return;
    const Qt::KeyboardModifiers held = e->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier);
    const QString text = e->text();
    if (held == Qt::NoModifier && text.size() == 1 && text.at(0).unicode() >= 32) {
        IncrementalSearch(text.at(0));
        return;
    }
    TInteractiveCustomControl::keyPressEvent(e);
}

// ---- incremental search

QString TInteractiveTreeView::SearchKey(TITreeNode *Node)
{
    if (SortColumnIndex() <= 0)
        return Node->Text();
    // A painted sort column (sizes drawn as bars) keeps no text; the row's name is what users type.
    const QString cell = Browser().GetCellText(Node, SortColumnIndex());
    return cell.isEmpty() ? Node->Text() : cell;
}

void TInteractiveTreeView::IncrementalSearch(QChar Character)
{
    TITreeNode *const start = FSelectedNode ? FSelectedNode : Items().GetFirstNode();
    if (!start)
        return;
    const qint64 now = Clock()->NowMs();
    if (FSearchStarted && now - FLastSearchTime <= SearchWindowMs)
        FSearchText += Character;
    else
        FSearchText = Character;
    FSearchStarted = true;
    FLastSearchTime = now;

    TITreeNode *best = start;
    int bestScore = CommonPrefixLengthText(SearchKey(start), FSearchText);
    const auto consider = [&](TITreeNode *node) {
        const int score = CommonPrefixLengthText(SearchKey(node), FSearchText);
        if (score > 0 && (score > bestScore || (bestScore == 1 && best == start))) {
            best = node;
            bestScore = score;
        }
    };
    for (TITreeNode *node = start->NextShownSibling(); node; node = node->NextShownSibling())
        consider(node);
    TITreeNode *first = start;
    while (first->PrevShownSibling())
        first = first->PrevShownSibling();
    for (TITreeNode *node = first; node && node != start; node = node->NextShownSibling())
        consider(node);
    if (best != FSelectedNode) {
        SetSelectedNode(best);
        ScrollIntoView(best);
    }
}

// ---- tooltips

QString TInteractiveTreeView::RowHint(TITreeNode *Node, const std::vector<TITVCutCell> &CutCells)
{
    QStringList lines;
    const int x = HintPoint().x();
    for (const TITVCutCell &cell : CutCells)
        if (x >= cell.Left && x < cell.Right)
            lines << cell.Text;
    if (OnGetNodeHint) {
        const QString more = OnGetNodeHint(this, Node);
        if (!more.isEmpty())
            lines << more;
    }
    return lines.join(u'\n');
}
