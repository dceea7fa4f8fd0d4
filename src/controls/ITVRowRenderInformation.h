#pragma once
// The painter of the rows of one render: it walks from the top node down to the bottom edge and
// paints the tree band, the cells, the grid lines and the empty rows below the last node, writing
// fills and dotted lines straight into the back buffer's pixels.

#include "controls/UColors.h"

#include <QImage>
#include <QPainter>
#include <QRect>
#include <QRgb>
#include <QString>

#include <vector>

class TInteractiveTreeView;
class TAbstractTreeBrowser;
class TITreeNode;
class TITVColumn;

// A cell painted with its text cut off: its horizontal extent and the whole text.
struct TITVCutCell
{
    int Left = 0;
    int Right = 0; // exclusive
    QString Text;
};

class TITVRowRenderInformation
{
public:
    // One column in display order; hidden columns are kept with zero width.
    struct TColumnSpan
    {
        int Left = 0;
        int Right = 0;
        int Index = 0;
    };

    TITVRowRenderInformation(TInteractiveTreeView *View, QPainter &Canvas, QImage &Buffer, const QRect &Rect);
    virtual ~TITVRowRenderInformation() = default;
    TITVRowRenderInformation(const TITVRowRenderInformation &) = delete;
    TITVRowRenderInformation &operator=(const TITVRowRenderInformation &) = delete;

    // Paints the rows from the view's top node, then the empty rows, then the column lines.
    void PaintRows();

protected:
    // Called for every node just before its row is painted.
    virtual void BeforePaintRow();
    void PaintRow();
    void PaintIndentation();
    virtual void PaintCell(int Position, const QString &Text);
    void PaintCellBackground(int Position);
    void PaintCellContent(int Position, const QString &Text);
    virtual QRgb CellBackColor(int Position);
    virtual QRgb CellForeColor(int Position);
    // The canvas font for the cell's text, after CellForeColor; the view's font by default.
    virtual void PrepareCellFont(int Position);
    void PaintEmptyRow();

    // The cell rectangle of a display position on the current row.
    QRect CellRect(int Position) const;
    bool NodeSelected() const;
    bool HotRow() const;
    TITVColumn *ColumnAtPosition(int Position) const;
    void SetupColumns();
    QRgb ViewColor() const;

    TInteractiveTreeView *const FView;
    TAbstractTreeBrowser &FBrowser;
    QPainter &FCanvas;
    QImage &FBuffer;
    const QRect FRect;
    int FRowTop = 0;
    int FRowBottom = 0;
    int FRowCounter = 0;
    int FLevel = 0;
    int FContentX = 0;
    TITreeNode *FNode = nullptr;
    std::vector<TColumnSpan> FColumns;
    // The cells of the current row whose text did not fit, for the row's hint.
    std::vector<TITVCutCell> FCutCells;
    // The right edge of the last displayed column.
    int FColumnsRight = 0;
};
