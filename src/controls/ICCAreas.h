#pragma once
// The light areas of TInteractiveCustomControl: rectangles registered while rendering that take the
// place of child widgets. They receive mouse events, show hover and pressed states, tooltips and
// cursors, and can hold the mouse capture.
//
// A rectangle is a QRect whose width and height are right - left and bottom - top; its hit test
// includes the pixels at both the left and the right and at both the top and the bottom coordinate.

#include "base/UMultiLang.h"
#include "controls/UColors.h"

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QVariantMap>

#include <functional>
#include <optional>

class TInteractiveCustomControl;
class TICCArea;

using TICCHintEvent = std::function<QString(TICCArea *Sender)>;

class TICCArea
{
public:
    explicit TICCArea(TInteractiveCustomControl *owner, int kind = 0, void *object = nullptr);
    virtual ~TICCArea() = default;
    TICCArea(const TICCArea &) = delete;
    TICCArea &operator=(const TICCArea &) = delete;

    TInteractiveCustomControl *Owner() const { return FOwner; }
    // Kind and object are chosen by the owner (the grid uses a row, a column, a handle kind...).
    int Kind() const { return FKind; }
    void SetKind(int kind) { FKind = kind; }
    void *Object() const { return FObject; }
    void SetObject(void *object) { FObject = object; }
    template <class T> T *ObjectAs() const { return static_cast<T *>(FObject); }

    // Shown while the mouse is over the area; none keeps the control's cursor.
    std::optional<Qt::CursorShape> Cursor() const { return FCursor; }
    void SetCursor(std::optional<Qt::CursorShape> cursor) { FCursor = cursor; }
    QString Hint() const { return FHint; }
    void SetHint(const QString &hint) { FHint = hint; }
    // When assigned, asked for the hint instead of Hint().
    TICCHintEvent OnGetHint;
    QString HintText();

    // Persistent areas survive re-renders (their owner re-registers them).
    bool Persistent() const { return FPersistent; }
    void SetPersistent(bool persistent) { FPersistent = persistent; }
    // A stopping area hides the areas below it from mouse events.
    bool Stop() const { return FStop; }
    void SetStop(bool stop) { FStop = stop; }
    bool Hovered() const { return FHovered; }
    bool Captured() const { return FCaptured; }

    virtual bool Contains(const QPoint &) const { return false; }
    virtual bool IsEmpty() const { return false; }
    virtual void ClipTo(const QRect &) {}
    // Draws the area; called on the back buffer after a render and again on every composed paint.
    virtual void Paint(QPainter &canvas, QImage &buffer);

    // Mouse events, in client coordinates.
    virtual void Store(QVariantMap &values) const;
    virtual void Cancel();
    virtual void MouseEnter();
    virtual void MouseLeave();
    virtual void MouseMove(int x, int y);
    virtual void MouseDown(int x, int y);
    virtual void MiddleMouseDown(int x, int y);
    virtual void MiddleMouseUp(int x, int y);
    virtual void MouseUp(int x, int y);
    virtual void ContextPopup(int x, int y, bool &allowPopup);
    virtual void DblClick(bool &handled);
    // Every area hears of the end of a left press, also one released outside it.
    virtual void PressEnded();

private:
    friend class TInteractiveCustomControl;

    TInteractiveCustomControl *FOwner;
    int FKind;
    void *FObject;
    std::optional<Qt::CursorShape> FCursor;
    QString FHint;
    bool FPersistent = false;
    bool FStop = false;
    bool FHovered = false;
    bool FCaptured = false;
};

class TICCSquareArea : public TICCArea
{
public:
    using TDragStartEvent = std::function<void(TICCSquareArea *Sender, const QPoint &position)>;

    TICCSquareArea(TInteractiveCustomControl *owner, const QRect &rect, int kind = 0, void *object = nullptr);

    QRect Rect() const { return FRect; }
    void SetRect(const QRect &rect) { FRect = rect; }
    bool Contains(const QPoint &p) const override;
    bool IsEmpty() const override { return FRect.isEmpty(); }
    void ClipTo(const QRect &clip) override;

    QPoint PressPosition() const { return FPressPosition; }
    // Fired once per press when, on the focused and enabled control, the left button is held and
    // the mouse moved more than 2 pixels from the press position.
    TDragStartEvent OnDragStart;

    void Store(QVariantMap &values) const override;
    void MouseMove(int x, int y) override;
    void MouseDown(int x, int y) override;
    void MouseUp(int x, int y) override;
    void PressEnded() override;

protected:
    virtual void DoDragStart(const QPoint &position);
    bool LeftPressed() const { return FLeftPressed; }

private:
    QRect FRect;
    QPoint FPressPosition;
    bool FLeftPressed = false;
    bool FDragStarted = false;
};

// A handle that captures the mouse on press; the owner resizes something as it moves.
class TICCResize : public TICCSquareArea
{
public:
    using TResizeEvent = std::function<void(TICCResize *Sender, const QPoint &position)>;

    TICCResize(TInteractiveCustomControl *owner, const QRect &rect, int kind = 0, void *object = nullptr);

    QPoint StartPosition() const { return FStartPosition; }
    QPoint CurrentPosition() const { return FCurrentPosition; }
    bool Resizing() const { return Captured(); }

    TResizeEvent OnStart;      // the press, which takes the capture
    TResizeEvent OnSizeChange; // every move while dragging, with the new position
    TResizeEvent OnMove;       // every move over the handle or while dragging, after OnSizeChange
    TResizeEvent OnEnd;        // the release after a drag that moved

    void MouseMove(int x, int y) override;
    void MouseDown(int x, int y) override;
    void MouseUp(int x, int y) override;

private:
    QPoint FStartPosition;
    QPoint FCurrentPosition;
};

class TICCFlatButton : public TICCSquareArea
{
public:
    TICCFlatButton(TInteractiveCustomControl *owner, const QRect &rect, int kind = 0, void *object = nullptr);

    // Down: the left button went down on the button and was not released yet.
    bool Down() const { return FDown; }
    void SetDown(bool down) { FDown = down; }
    bool Clickable() const { return FClickable; }
    void SetClickable(bool clickable) { FClickable = clickable; }
    // Pressed look: down, clickable and the mouse still over it.
    bool DrawnPressed() const { return FDown && FClickable && Hovered(); }

    void Paint(QPainter &canvas, QImage &buffer) override;
    void MouseDown(int x, int y) override;
    void MouseUp(int x, int y) override;
    void PressEnded() override;

private:
    bool FDown = false;
    bool FClickable = true;
};

class TICC3DButton : public TICCFlatButton
{
public:
    TICC3DButton(TInteractiveCustomControl *owner, const QRect &rect, int kind = 0, void *object = nullptr);

    // Flat variant: one colour halfway between face and highlight instead of a gradient.
    bool Flat() const { return FFlat; }
    void SetFlat(bool flat) { FFlat = flat; }
    // Tinted: drawn a little towards the hot-light colour even when not hovered (the sort column).
    bool Tinted() const { return FTinted; }
    void SetTinted(bool tinted) { FTinted = tinted; }

    // Gradient ends after the hover or tint mix, top first (swapped while pressed).
    QRgb FaceTopColor() const;
    QRgb FaceBottomColor() const;

    void Paint(QPainter &canvas, QImage &buffer) override;

protected:
    void PaintFace(QPainter &canvas, QImage &buffer);

private:
    QRgb MixedFace() const;
    QRgb MixedHighlight() const;

    bool FFlat = false;
    bool FTinted = false;
};

class TICCText3DButton : public TICC3DButton
{
public:
    TICCText3DButton(TInteractiveCustomControl *owner, const QRect &rect, const QString &caption,
                     int kind = 0, void *object = nullptr);

    QString Caption() const { return FCaption; }
    void SetCaption(const QString &caption) { FCaption = caption; }
    // The caption as drawn: passed through the text service when MultiLang is on.
    QString DisplayCaption() const;
    std::optional<QFont> Font() const { return FFont; }
    void SetFont(std::optional<QFont> font) { FFont = std::move(font); }
    TMultiLangSettings MultiLang() const { return FMultiLang; }
    void SetMultiLang(TMultiLangSettings settings) { FMultiLang = settings; }
    // The glyph box: a square at the right end, of side height - 4 but at most 20 pixels.
    bool GlyphBox() const { return FGlyphBox; }
    void SetGlyphBox(bool glyphBox) { FGlyphBox = glyphBox; }
    QRect GlyphBoxRect() const;
    QRect CaptionRect() const;

    void Paint(QPainter &canvas, QImage &buffer) override;

protected:
    virtual void PaintGlyph(QPainter &canvas, const QRect &box);

private:
    QString FCaption;
    std::optional<QFont> FFont;
    TMultiLangSettings FMultiLang{false, dtApplication};
    bool FGlyphBox = false;
};

enum class TICCSortArrow { None, Up, Down };

// A header button: the sort arrow in the glyph box, which exists only while an arrow shows.
class TICCText3DSortButton : public TICCText3DButton
{
public:
    TICCText3DSortButton(TInteractiveCustomControl *owner, const QRect &rect, const QString &caption,
                         int kind = 0, void *object = nullptr);

    TICCSortArrow Arrow() const { return FArrow; }
    void SetArrow(TICCSortArrow arrow);

protected:
    void PaintGlyph(QPainter &canvas, const QRect &box) override;

private:
    TICCSortArrow FArrow = TICCSortArrow::None;
};

// The 9 x 9 expand button of a tree row.
class TICCPlusMinusButton : public TICC3DButton
{
public:
    TICCPlusMinusButton(TInteractiveCustomControl *owner, const QRect &rect, bool plus, int kind = 0,
                        void *object = nullptr);

    bool Plus() const { return FPlus; }
    void SetPlus(bool plus) { FPlus = plus; }
    TColor BackgroundColor() const { return FBackgroundColor; }
    void SetBackgroundColor(TColor color) { FBackgroundColor = color; }

    void Paint(QPainter &canvas, QImage &buffer) override;

private:
    bool FPlus;
    TColor FBackgroundColor = clWindow;
};
