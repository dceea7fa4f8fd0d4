#include "controls/ITVRowRenderInformation.h"

#include "base/Exception.h"
#include "controls/CInteractiveTreeView.h"
#include "controls/ITVPixels.h"
#include "tree/AbstractTreeBrowser.h"
#include "tree/ITVColumns.h"
#include "tree/ITreeNodes.h"

#include <QFontMetrics>
#include <QStyle>
#include <QStyleOptionFocusRect>

#include <algorithm>

namespace {

constexpr double SortTint = 0.03;
constexpr double HotTopMix = 0.05;
constexpr double HotBottomMix = 0.10;
constexpr int TextMargin = 3;
constexpr int PlusMinusHalf = 4;
constexpr int PlusMinusSide = 9;

} // namespace

TITVRowRenderInformation::TITVRowRenderInformation(TInteractiveTreeView *View, QPainter &Canvas,
                                                   QImage &Buffer, const QRect &Rect)
    : FView(View), FBrowser(View->Browser()), FCanvas(Canvas), FBuffer(Buffer), FRect(Rect)
{
    SetupColumns();
}

void TITVRowRenderInformation::SetupColumns()
{
    int x = -FView->HorzScrollPosition();
    for (TITVColumn *const column : FView->Columns().OrderedByRank(false)) {
        const int right = column->Visible() ? x + column->Width() : x;
        FColumns.push_back({x, right, column->Index()});
        x = right;
    }
    FColumnsRight = x;
}

QRgb TITVRowRenderInformation::ViewColor() const
{
    return ColorToQRgb(FView->Color());
}

TITVColumn *TITVRowRenderInformation::ColumnAtPosition(int Position) const
{
    return FView->Columns().Items(FColumns[size_t(Position)].Index);
}

void TITVRowRenderInformation::PaintRows()
{
    TITreeNode *const top = FView->TopNode();
    const int indent = FView->RowIndent();
    FBrowser.PushCurrentNode();
    FBrowser.GoTo(top);
    FRowCounter = std::max(FView->RowIndex(top), 0);
    FLevel = top ? top->Level() - (FView->ShowRoot() ? 0 : 1) : 0;
    FContentX = indent * (FLevel + 1) - FView->HorzScrollPosition();
    FRowTop = FRect.top();
    while (FBrowser.Current() && FRowTop <= FRect.bottom()) {
        FNode = FBrowser.Current();
        FRowBottom = FRowTop + FView->RowHeight();
        BeforePaintRow();
        PaintRow();
        FRowTop = FRowBottom;
        ++FRowCounter;
        if (FBrowser.IsExpanded() && FBrowser.HasChildren()) {
            FBrowser.GoFirstChild();
            ++FLevel;
            FContentX += indent;
            continue;
        }
        while (!FBrowser.HasNextSibling() && FBrowser.HasParent()) {
            FBrowser.GoParent();
            --FLevel;
            FContentX -= indent;
        }
        FBrowser.GoNextSibling();
    }
    FBrowser.PopCurrentNode();

    FNode = nullptr;
    FContentX = FColumns.empty() ? FRect.left() : FColumns.front().Left;
    for (; FRowTop <= FRect.bottom(); FRowTop += FView->RowHeight()) {
        FRowBottom = FRowTop + FView->RowHeight();
        PaintEmptyRow();
    }
    if (FView->GridColumns()) {
        const QRgb grid = ColorToQRgb(FView->GridColor());
        for (const TColumnSpan &span : FColumns)
            if (span.Right > span.Left)
                DottedVerticalLine(FBuffer, span.Right - 1, FRect.top(), FRect.bottom(), grid);
    }
}

void TITVRowRenderInformation::BeforePaintRow() {}

bool TITVRowRenderInformation::NodeSelected() const
{
    return FNode && FNode->Selected();
}

bool TITVRowRenderInformation::HotRow() const
{
    return FNode && FView->HotTrack() && FView->isEnabled() && FNode == FView->HotNode();
}

QRect TITVRowRenderInformation::CellRect(int Position) const
{
    const int height = FRowBottom - FRowTop;
    if (FColumns.empty())
        return QRect(FContentX, FRowTop, FRect.right() + 1 - FContentX, height);
    const TColumnSpan &span = FColumns[size_t(Position)];
    const int left = Position == 0 ? FContentX : span.Left;
    return QRect(left, FRowTop, std::max(span.Right - left, 0), height);
}

void TITVRowRenderInformation::PaintRow()
{
    TICCArea *const area = FView->AddArea(QRect(0, FRowTop, FView->width(), FRowBottom - FRowTop),
                                          TInteractiveTreeView::akRow, FNode);
    FCutCells.clear();
    PaintIndentation();
    PaintCell(0, FNode->Text());
    const int width = FView->width();
    for (int position = 1; position < int(FColumns.size()); ++position) {
        const TColumnSpan &span = FColumns[size_t(position)];
        if (span.Left > width)
            break;
        if (span.Right > 0)
            PaintCell(position, FBrowser.GetCellText(FNode, span.Index));
    }
    area->OnGetHint = [view = FView, node = FNode, cut = FCutCells](TICCArea *) {
        return view->RowHint(node, cut);
    };
    const int lastLine = FRowBottom - 1;
    if (FView->GridLines()) {
        const int left = FColumns.empty() ? FRect.left() : FColumns.front().Left;
        DottedHorizontalLine(FBuffer, left, FColumnsRight - 1, lastLine, ColorToQRgb(FView->GridColor()));
    }
    if (!FColumns.empty()) {
        const bool selectedRow = FView->RowSelect() && NodeSelected();
        const int shorten = selectedRow && FView->GridLines() && !FView->MultiSelect() ? 1 : 0;
        FillPixels(
            FBuffer,
            QRect(FColumnsRight, FRowTop, FRect.right() + 1 - FColumnsRight, FRowBottom - FRowTop - shorten),
            selectedRow ? FView->SelectionColor() : ViewColor());
    }
    if (FView->hasFocus() && !FView->SelectedNode() && FNode == FView->Items().GetFirstNode()) {
        QStyleOptionFocusRect option;
        option.initFrom(FView);
        option.rect = QRect(FRect.left(), FRowTop, FRect.width(), FRowBottom - FRowTop);
        FView->style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &FCanvas, FView);
    }
}

void TITVRowRenderInformation::PaintIndentation()
{
    const int indent = FView->RowIndent();
    const int x = FContentX;
    const int cx = x - indent / 2;
    const int my = (FRowTop + FRowBottom) / 2;
    const int lastLine = FRowBottom - 1;
    const int bandLeft = FColumns.empty() ? -FView->HorzScrollPosition() : FColumns.front().Left;
    const QRgb background = NodeSelected() && FView->RowSelect() ? FView->SelectionColor() : ViewColor();
    FillPixels(FBuffer, QRect(bandLeft, FRowTop, x - bandLeft, FRowBottom - FRowTop), background);
    if (FView->GridLines())
        DottedHorizontalLine(FBuffer, bandLeft, x - 1, lastLine, ColorToQRgb(FView->GridColor()));

    const QRgb connector = ColorToQRgb(FView->ConnectorsColor());
    DottedHorizontalLine(FBuffer, cx, x - 1, my, connector);
    // Hidden rows draw nothing, so the lines join the rows that are shown.
    if (FNode->Parent() || FNode->PrevShownSibling())
        DottedVerticalLine(FBuffer, cx, FRowTop, FNode->NextShownSibling() ? lastLine : my, connector);
    else if (FNode->NextShownSibling())
        DottedVerticalLine(FBuffer, cx, my, lastLine, connector);
    int ancestorX = cx - indent;
    for (TITreeNode *ancestor = FNode->Parent(); ancestor; ancestor = ancestor->Parent(), ancestorX -= indent)
        if (ancestor->NextShownSibling())
            DottedVerticalLine(FBuffer, ancestorX, FRowTop, lastLine, connector);

    if (!FNode->HasShownChildren())
        return;
    FView->AddArea(QRect(x - indent, FRowTop, indent, FRowBottom - FRowTop),
                   TInteractiveTreeView::akExpandZone, FNode);
    const int column0Right = FColumns.empty() ? FRect.right() + 1 : FColumns.front().Right;
    if (column0Right >= x)
        FView->AddPlusMinusButton(QRect(cx - PlusMinusHalf, my - PlusMinusHalf, PlusMinusSide, PlusMinusSide),
                                  !FNode->Expanded(), QColorToColor(QColor::fromRgb(background)),
                                  TInteractiveTreeView::akExpandZone, FNode);
}

void TITVRowRenderInformation::PaintCell(int Position, const QString &Text)
{
    PaintCellBackground(Position);
    PaintCellContent(Position, Text);
}

QRgb TITVRowRenderInformation::CellBackColor(int Position)
{
    const bool selectedRow = FView->RowSelect() && NodeSelected();
    const QRgb rowColor = selectedRow ? FView->SelectionColor() : ViewColor();
    if (FColumns.empty())
        return rowColor;
    QASSERT_MSG(Position < int(FColumns.size()), QStringLiteral("Invalid PaintCellBackground column"));
    if (selectedRow)
        return rowColor;
    TITVColumn *const column = ColumnAtPosition(Position);
    QRgb color = column->Color() == TITVColumn::ColorNone ? rowColor : ColorToQRgb(column->Color());
    if (column == FView->SortColumn() && FView->ShadeSortedColumn())
        color = MixTowards(color, ColorToQRgb(clHotLight), SortTint);
    return color;
}

QRgb TITVRowRenderInformation::CellForeColor(int Position)
{
    return FView->CellTextColor(NodeSelected(), FColumns.empty() ? 0 : FColumns[size_t(Position)].Index);
}

void TITVRowRenderInformation::PrepareCellFont(int) {}

void TITVRowRenderInformation::PaintCellBackground(int Position)
{
    const QRect cell = FColumns.empty() ? QRect(FRect.left(), FRowTop, FRect.width(), FRowBottom - FRowTop)
                                        : CellRect(Position);
    if (!cell.intersects(FRect))
        return;
    const QRgb color = CellBackColor(Position);
    if (!HotRow()) {
        FillPixels(FBuffer, cell, color);
        return;
    }
    const QRgb selection = FView->SelectionColor();
    const int middle = (cell.top() + cell.top() + cell.height()) / 2;
    FillVerticalGradient(FBuffer, QRect(cell.left(), cell.top(), cell.width(), middle - cell.top()), color,
                         MixTowards(color, selection, HotTopMix));
    FillVerticalGradient(FBuffer, QRect(cell.left(), middle, cell.width(), cell.bottom() + 1 - middle),
                         MixTowards(color, selection, HotBottomMix), color);
}

void TITVRowRenderInformation::PaintCellContent(int Position, const QString &Text)
{
    QASSERT_MSG((FColumns.empty() && Position == 0) || Position < int(FColumns.size()),
                QStringLiteral("Invalid PaintCellContent column"));
    const QRect cell = CellRect(Position);
    if (!cell.intersects(FRect) || cell.width() <= 2)
        return;
    FCanvas.setPen(QColor::fromRgb(CellForeColor(Position)));
    PrepareCellFont(Position);
    const Qt::Alignment alignment =
        FColumns.empty() ? Qt::AlignLeft : ColumnAtPosition(Position)->Alignment() & Qt::AlignHorizontal_Mask;

    QString text = Text;
    QRect textRect = cell;
    if (!text.isEmpty()) {
        textRect.adjust(TextMargin, 0, -TextMargin, 0);
        const int maxCharacters = std::max((cell.width() - 2 * TextMargin) / 3, 0);
        if (text.length() > maxCharacters)
            text = text.left(maxCharacters + 1);
    }
    const QFontMetrics metrics = FCanvas.fontMetrics();
    const bool treeColumn = FColumns.empty() || FColumns[size_t(Position)].Index == 0;
    if (treeColumn && NodeSelected()) {
        QRect highlight = cell;
        if (alignment == Qt::AlignLeft) {
            const int right =
                std::min(textRect.left() + metrics.horizontalAdvance(text) + 4, cell.right() + 1);
            highlight = QRect(QPoint(textRect.left() - 2, cell.top()), QPoint(right - 1, cell.bottom() - 1));
        }
        FillPixels(FBuffer, highlight, FView->SelectionColor());
    }
    if (text.isEmpty() || textRect.width() <= 0)
        return;
    const QString shown = metrics.elidedText(text, Qt::ElideRight, textRect.width());
    if (shown != Text)
        FCutCells.push_back({cell.left(), cell.right() + 1, Text});
    FCanvas.drawText(textRect, int(alignment | Qt::AlignVCenter | Qt::TextSingleLine), shown);
}

void TITVRowRenderInformation::PaintEmptyRow()
{
    const int count = std::max(int(FColumns.size()), 1);
    for (int position = 0; position < count; ++position)
        PaintCellBackground(position);
    if (!FColumns.empty())
        FillPixels(FBuffer,
                   QRect(FColumnsRight, FRowTop, FRect.right() + 1 - FColumnsRight, FRowBottom - FRowTop),
                   ViewColor());
}
