#pragma once
// The tree-grid engine: a custom-drawn, multi-column tree over a TTreeGridModel. It renders the
// header band and the rows into the control's back buffer, registers one area per row, expand zone,
// header button and resize handle, and turns presses, clicks and keys on them into selection,
// expansion, scrolling, sorting and column changes.

#include "controls/CInteractiveCustomControl.h"
#include "controls/ITVRowRenderInformation.h"
#include "controls/UColors.h"
#include "tree/GridFilter.h"
#include "tree/TreeGridModel.h"

#include <QFont>

#include <deque>
#include <functional>
#include <memory>

class TITVRowRenderInformation;
class TITVCopyMenu;

class TInteractiveTreeView : public TInteractiveCustomControl, public TTreeGridModel
{
    Q_OBJECT
public:
    using TITVViewEvent = std::function<void(TInteractiveTreeView *Sender)>;
    using TColumnResizeEvent = std::function<void(TITVColumn *Sender)>;
    using TITVKeyEvent =
        std::function<void(TInteractiveTreeView *Sender, int &Key, Qt::KeyboardModifiers Shift)>;

    // Area kinds registered by the render.
    enum TAreaKind { akExpandZone = 1, akRow = 2, akResizeHandle = 3, akHeaderButton = 4, akHeaderRest = 5 };

    static constexpr int SearchWindowMs = 1250;
    static constexpr int ResizeScrollMs = 50;
    static constexpr int WheelRows = 3;
    static constexpr int ResizeHandleWidth = 8;

    explicit TInteractiveTreeView(QWidget *parent = nullptr);
    ~TInteractiveTreeView() override;

    // Layout and look.
    int HeaderHeight() const { return FHeaderHeight; }
    void SetHeaderHeight(int Value);
    bool HeaderVisible() const { return FHeaderVisible; }
    void SetHeaderVisible(bool Value);
    int RowHeight() const { return FRowHeight; }
    void SetRowHeight(int Value);
    int RowIndent() const { return FRowIndent; }
    void SetRowIndent(int Value);
    bool ShowRoot() const { return FShowRoot; }
    void SetShowRoot(bool Value);
    bool RowSelect() const { return FRowSelect; }
    void SetRowSelect(bool Value);
    bool GridLines() const { return FGridLines; }
    void SetGridLines(bool Value);
    bool GridColumns() const { return FGridColumns; }
    void SetGridColumns(bool Value);
    // Cells are never edited; an attempt only focuses the control.
    bool ReadOnly() const { return FReadOnly; }
    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    TColor ConnectorsColor() const { return FConnectorsColor; }
    void SetConnectorsColor(TColor Value);
    TColor GridColor() const { return FGridColor; }
    void SetGridColor(TColor Value);
    bool ShadeSortedColumn() const { return FShadeSortedColumn; }
    void SetShadeSortedColumn(bool Value);
    // Header captions pass the text service while this is on.
    bool HeaderMultiLang() const { return FHeaderMultiLang; }
    void SetHeaderMultiLang(bool Value);
    // While on, the header uses the control's font; else HeaderFont().
    bool HeaderParentFont() const { return FHeaderParentFont; }
    void SetHeaderParentFont(bool Value);
    QFont HeaderFont() const { return FHeaderFont; }
    void SetHeaderFont(const QFont &Value);

    // Options. Switching MultiSelect drops the selected node first.
    bool MultiSelect() const { return FMultiSelect; }
    void SetMultiSelect(bool Value);
    bool HotTrack() const { return FHotTrack; }
    void SetHotTrack(bool Value);

    // Selection and rows.
    TITreeNode *SelectedNode() const { return FSelectedNode; }
    // Inside an OnSelectionChanged handler the call is queued and performed after it returns.
    void SetSelectedNode(TITreeNode *Node);
    // Selects the displayed rows from SelectedNode's row to Node's; fires nothing.
    void RangeSelect(TITreeNode *Node);
    void ScrollIntoView(TITreeNode *Node);
    // Begins to show only the rows a filter keeps (TGridFilter::Start) and tests rows until
    // ShouldPause says so; the row the keyboard moves from is kept for ClearFilter. True when every
    // row is tested: OnSelectionChanged has then fired.
    bool StartFilter(const TRowMatch &Matches, const TITreeNodeList &Searched,
                     const std::function<bool()> &ShouldPause = {});
    // Tests more rows of the filter (TGridFilter::Continue); returns and fires as StartFilter.
    bool ContinueFilter(const std::function<bool()> &ShouldPause = {});
    // Ends the filter: the grid as it was before it, or with the selection the user made while it
    // was on, scrolled into view. Fires OnSelectionChanged.
    void ClearFilter();
    int VisibleRowCount() const;
    // The node of the row at y (client coordinates); none above the rows, beyond the last row or
    // on the horizontal scrollbar.
    TITreeNode *RowAt(int Y);
    TITreeNode *HotNode() const { return FHotNode; }
    // The column under the mouse at the last press of any button, -1 outside the columns.
    int ClickColumnIndex() const { return FClickColumnIndex; }
    QString SearchText() const { return FSearchText; }

    // The highlight colour, paler while the control has no focus.
    QRgb SelectionColor() const;
    // The text colour of a cell of column ColumnIndex (collection index) on a row in that state; cell
    // hooks that draw text take it from here, as nothing prepares their canvas.
    QRgb CellTextColor(bool Selected, int ColumnIndex) const;
    // The text the cell shows; copies and the content width go by it.
    virtual QString DisplayedCellText(TITreeNode *Node, int ColumnIndex);
    // Present only while needed; recomputed at every render.
    TICCScrollBar *VertScrollBar() const { return FVertScrollBar; }
    TICCScrollBar *HorzScrollBar() const { return FHorzScrollBar; }
    // The client area left for the rows: below the header, beside and above the scrollbars.
    QRect RowsRect() const;
    // The visible width the columns scroll in.
    int AvailableWidth() const;
    // Pulls the horizontal position back so that position + page stays within the columns.
    void ClampHorzScrollPosition();

    // Header drag: the column a drop at x goes before (none: to the end), and the x of the marker
    // that shows that place.
    TITVColumn *ColumnDropTarget(int X) const;
    int ColumnDropMarkerX(int X) const;
    void DropColumn(TITVColumn *Dragged, int X);

    // The width column Index needs to show its caption and every displayed cell.
    int ContentWidth(int Index);
    // Sets the column to its content width and clamps the horizontal position.
    void AutoSizeColumn(TITVColumn *Column);

    // The tooltip of a row at HintPoint(): the whole text of a cut-off cell there, then what
    // OnGetNodeHint adds.
    QString RowHint(TITreeNode *Node, const std::vector<TITVCutCell> &CutCells);

    // Copies to the clipboard: the clicked cell of SelectedNode, or the selected displayed lines.
    void CopyCell();
    void CopyLines();
    // The text CopyLines puts on the clipboard.
    QString SelectedLinesText();
    // The menu a right click on the rows shows (copy items first), for a window to add its own.
    QMenu *RowsMenu();

    TITVViewEvent OnSelectionChanged;
    TITVViewEvent OnScrolled;
    TColumnResizeEvent OnColumnResize;
    // A column was shown, hidden, moved or resized: what a column's values wait for.
    TITVViewEvent OnColumnsChanged;
    // Asks the user for a text (caption, prompt, default); cancelling gives the default back.
    // A modal input dialog unless replaced.
    std::function<QString(const QString &Caption, const QString &Prompt, const QString &Default)> InputBox;
    // More about a row for its tooltip (below the whole text of a cut-off cell); empty adds nothing.
    std::function<QString(TInteractiveTreeView *Sender, TITreeNode *Node)> OnGetNodeHint;
    // Sees every key first; clearing Key (0) stops the grid from handling it.
    TITVKeyEvent OnKeyDown;

    // TTreeGridModel
    void RequestGridRepaint() override { RequestRepaint(); }
    void ColumnsChanged() override;
    void ColumnPropertyChanged(TITVColumn *Column) override;
    void NodeRemoving(TITreeNode *Node) override;

    // The two mixing rules of the painting, on resolved colours.
    static QRgb Mix(TColor A, TColor B, double Fraction);

protected:
    friend class TITVRowRenderInformation;

    // The row painter of one render; TITreeView supplies its own with the column hooks.
    virtual std::unique_ptr<TITVRowRenderInformation> CreateRowRenderer(QPainter &Canvas, QImage &Buffer,
                                                                        const QRect &Rect);
    // Fires OnSelectionChanged unless the control is being destroyed.
    virtual void DoSelectionChanged();
    virtual void DoScrolled();
    virtual void DoColumnResize(TITVColumn *Column);

    // TInteractiveCustomControl
    void MouseLeave() override;
    void CanDblClick(bool &allow) override;
    void Render(QPainter &canvas, QImage &buffer) override;
    void AreaMouseDown(TICCArea *area) override;
    void AreaClick(TICCArea *area) override;
    void AreaSlowClick(TICCArea *area) override;
    void EmptyMouseDown() override;
    void AreaContextPopup(TICCArea *area, bool &allowPopup) override;
    void EmptyContextPopup(bool &allowPopup) override;
    void AreaDblClick(TICCArea *area) override;
    QMenu *GetPopupMenu() override;

    void keyPressEvent(QKeyEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void wheelEvent(QWheelEvent *e) override;
    void focusInEvent(QFocusEvent *e) override;
    void focusOutEvent(QFocusEvent *e) override;

private:
    // Selection.
    void PerformQueuedSelection();
    void DeselectAllNodes();
    void RowPress(TITreeNode *Node);
    void RowContextPress(TITreeNode *Node);
    void SelectByKey(TITreeNode *Target, bool Shift);

    // Keyboard.
    bool HandleKey(int Key, Qt::KeyboardModifiers Modifiers);
    void MoveSelectionBy(int Delta, bool Shift);
    void ToggleAllExpanded();
    void IncrementalSearch(QChar Character);
    QString SearchKey(TITreeNode *Node);

    // Scrolling.
    void SettleScrollBars(const QRect &Client);
    // Scrolls up as far as needed for the last row to be the last whole visible one.
    void KeepTopRowWithinRows(int AvailableHeight);
    void SetupVertScrollBar(int AvailableHeight);
    void SetupHorzScrollBar(int AvailableWidth);
    void VertScrollBarChanged(TICCScrollBar *Bar);
    void HorzScrollBarChanged(TICCScrollBar *Bar);
    void ValidateTopNode();

    // Rendering.
    void RenderHeader(QImage &Buffer, const QRect &Header);
    void RenderRows(QPainter &Canvas, QImage &Buffer, const QRect &Rows);
    TICCText3DSortButton *AddHeaderButton(TITVColumn *Column, const QRect &Rect);
    TICCResize *AddColumnResizeHandle(TITVColumn *Column, const QRect &Rect);

    // Header mouse work.
    void ResizeStarted(TICCResize *Handle);
    void ResizeMoved(TICCResize *Handle);
    void ResizeEnded();
    void ResizeAutoScroll();
    void ApplyResize(int MouseX);
    void StartColumnDrag(TICCSquareArea *Button, const QPoint &Position);
    void ShowColumnMenu();
    void ShowColumnSizeMenu(TITVColumn *Column);

    int FHeaderHeight = 18;
    bool FHeaderVisible = true;
    int FRowHeight = 18;
    int FRowIndent = 20;
    bool FShowRoot = true;
    bool FRowSelect = false;
    bool FGridLines = false;
    bool FGridColumns = false;
    const bool FReadOnly = true;
    TColor FColor = clWindow;
    TColor FConnectorsColor = clBtnShadow;
    TColor FGridColor = clBtnFace;
    bool FShadeSortedColumn = true;
    bool FHeaderMultiLang = true;
    bool FHeaderParentFont = true;
    QFont FHeaderFont;
    bool FMultiSelect = false;
    bool FHotTrack = false;

    TITreeNode *FSelectedNode = nullptr;
    TITreeNode *FHotNode = nullptr;
    TITreeNode *FRemovingNode = nullptr;
    // The row the keyboard moved from when the filter began.
    TITreeNode *FUnfilteredSelectedNode = nullptr;
    int FClickColumnIndex = -1;
    int FSelectionEventDepth = 0;
    bool FDestroying = false;
    std::deque<TITreeNode *> FQueuedSelections;

    QString FSearchText;
    qint64 FLastSearchTime = 0;
    bool FSearchStarted = false;

    TICCScrollBar *FVertScrollBar = nullptr;
    TICCScrollBar *FHorzScrollBar = nullptr;
    // The row count of the last render, to tell when the content shrank.
    int FSettledRowCount = 0;

    // The header button pressed last; drawn down while the left button stays down over it.
    TITVColumn *FPressedHeaderColumn = nullptr;
    TITVColumn *FResizeColumn = nullptr;
    int FResizeStartWidth = 0;
    int FResizeStartX = 0;
    int FResizeMouseX = 0;

    std::unique_ptr<TITVCopyMenu> FCopyMenu;
};
