#pragma once
// The custom-drawn control the tree-grid derives from. It renders into a 32-bit back buffer only
// after RequestRepaint, and replaces child widgets by light areas registered during Render; hover
// and pressed states of the areas are drawn on a copy of the buffer at every paint, so moving the
// mouse never re-renders the static content.

#include "controls/ICCAreas.h"
#include "controls/ICCClock.h"
#include "controls/ICCScrollBar.h"

#include <QImage>
#include <QMenu>
#include <QPainter>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class TInteractiveCustomControl : public QWidget
{
    Q_OBJECT
public:
    using TNotifyEvent = std::function<void(TInteractiveCustomControl *Sender)>;

    static constexpr int ClickTimeMs = 250;
    static constexpr int HintMoveTolerance = 30;
    static constexpr int HintReshowMs = 1000;
    // The pointer's size, by which a hint is placed below and right of it.
    static constexpr int CursorWidth = 32;
    static constexpr int CursorHeight = 32;

    explicit TInteractiveCustomControl(QWidget *parent = nullptr);
    ~TInteractiveCustomControl() override;

    // Marks the static content stale; the next paint renders it once, however many requests came.
    void RequestRepaint();
    bool Dirty() const { return FDirty; }
    const QImage &BackBuffer() const { return FBackBuffer; }
    double LastRenderTimeMs() const { return FLastRenderTimeMs; }

    // The control's text; changing it requests a repaint.
    QString Text() const { return FText; }
    void SetText(const QString &text);

    // Registered areas, first registered first (the last one is on top). A captured area is not in
    // the list while it holds the capture.
    std::vector<TICCArea *> Areas() const;
    // The topmost area containing p, or the captured area when it contains p.
    TICCArea *AreaAt(const QPoint &p) const;
    TICCArea *AreaUnderMouse() const { return AreaAt(FMousePosition); }
    TICCArea *CapturedArea() const { return FCaptured.get(); }

    // Registration, meant for Render: every rectangle is clipped to ClipRect() (the client area
    // when Render starts); areas left empty are discarded when the render ends.
    QRect ClipRect() const { return FClipRect; }
    void SetClipRect(const QRect &clip) { FClipRect = clip; }
    TICCSquareArea *AddArea(const QRect &rect, int kind = 0, void *object = nullptr);
    TICCResize *AddResize(const QRect &rect, Qt::CursorShape cursor, TICCResize::TResizeEvent onSizeChange,
                          int kind = 0, void *object = nullptr);
    TICCText3DSortButton *AddSortButton(const QRect &rect, const QString &caption, int kind = 0,
                                        void *object = nullptr);
    TICCPlusMinusButton *AddPlusMinusButton(const QRect &rect, bool plus, TColor background, int kind = 0,
                                            void *object = nullptr);
    // Any other area class; the control owns it from now on.
    template <class T> T *AddCustomArea(std::unique_ptr<T> area)
    {
        T *const result = area.get();
        Register(std::move(area));
        return result;
    }
    // A persistent scrollbar: it stays registered across renders until FreeArea. Place it with
    // PlaceScrollBars during every Render that keeps it.
    TICCScrollBar *AddScrollBar(Qt::Orientation orientation);
    // Lays out the present bars at the right and bottom edges of bounds, each stopping at the other;
    // returns the corner square between them (empty unless both exist).
    QRect PlaceScrollBars(TICCScrollBar *vertical, TICCScrollBar *horizontal, const QRect &bounds) const;
    // The system's scrollbar width (vertical) and height (horizontal).
    int ScrollBarExtent() const;
    // Moves a registered area to the top of the list.
    void BringToFront(TICCArea *area);
    // Unregisters and frees an area (also a persistent or captured one).
    void FreeArea(TICCArea *area);

    // Mouse capture by an area; the capture snapshot lives as long as the capture.
    void Capture(TICCArea *area);
    void ReleaseCapture(TICCArea *area);
    // The captured area gets its cancel event; the cursor returns to the default.
    void CancelCapture();
    bool HasCaptureSnapshot() const { return !FCaptureSnapshot.isNull(); }

    // One repeat timer per control; starting replaces the callback, a missing callback stops it.
    void StartRepeatTimer(int intervalMs, std::function<void()> callback);
    void StopRepeatTimer();
    bool RepeatTimerActive() const;
    int RepeatTimerInterval() const;

    std::shared_ptr<TICCClock> Clock() const { return FClock; }
    void SetClock(std::shared_ptr<TICCClock> clock);

    // Mouse state as the dispatch saw it last: client position, held left button, and the
    // keyboard modifiers of the mouse event being dispatched.
    QPoint MousePosition() const { return FMousePosition; }
    bool LeftButtonHeld() const { return FLeftButtonHeld; }
    Qt::KeyboardModifiers MouseModifiers() const { return FMouseModifiers; }

    // The control's own popup menu, shown after a right click nobody refused.
    QMenu *PopupMenu() const { return FPopupMenu; }
    void SetPopupMenu(QMenu *menu) { FPopupMenu = menu; }

    // Tooltips: the hint of the area under p, or the control's own tool tip.
    QString HintTextAt(const QPoint &p) const;
    // The point the current hint is asked for: areas that hold several hints choose by it.
    QPoint HintPoint() const { return FHintPoint; }
    // Where a hint with this text shows for the pointer at p (client coordinates); an unchanged text
    // stays where it was while the pointer moved less than HintMoveTolerance pixels.
    QPoint PlaceHint(const QString &text, const QPoint &p);
    // The hint waiting for its reshow timer, if any.
    std::optional<QString> PendingHint() const { return FPendingHint; }

    // Fired by a double click that no area and no hook refused.
    TNotifyEvent OnDblClick;

protected:
    // Hooks for the derived control.
    virtual void MouseEnter();
    virtual void MouseLeave();
    virtual void CanDblClick(bool &allow);
    // Renders the static content into buffer (32-bit, the size of the control) and registers areas.
    virtual void Render(QPainter &canvas, QImage &buffer);
    virtual void AreaMouseDown(TICCArea *area);
    virtual void AreaClick(TICCArea *area);
    virtual void AreaSlowClick(TICCArea *area);
    virtual void EmptyMouseDown();
    virtual void AreaContextPopup(TICCArea *area, bool &allowPopup);
    virtual void EmptyContextPopup(bool &allowPopup);
    virtual void AreaDblClick(TICCArea *area);
    // The menu a right click shows; the control's PopupMenu by default.
    virtual QMenu *GetPopupMenu();
    virtual void DoDblClick();

    bool event(QEvent *e) override;
    void paintEvent(QPaintEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;
    void enterEvent(QEnterEvent *e) override;
    void leaveEvent(QEvent *e) override;
    void focusOutEvent(QFocusEvent *e) override;

private:
    class TDispatchGuard;

    void Register(std::unique_ptr<TICCArea> area);
    std::unique_ptr<TICCArea> Unlist(TICCArea *area);
    void Retire(std::unique_ptr<TICCArea> area);
    void FreeRetired();
    bool IsAlive(const TICCArea *area) const;
    std::vector<TICCArea *> AreasFromTop(const QPoint &p) const;

    void RenderBackBuffer();
    void FreeNonPersistentAreas();
    void DiscardEmptyAreas();
    QImage &ComposeTarget();
    void PaintAreas(QPainter &canvas, QImage &buffer);

    void DispatchMove(const QPoint &p);
    void DispatchLeftPress(const QPoint &p);
    void DispatchLeftRelease(const QPoint &p);
    void DispatchRightPress(const QPoint &p);
    void DispatchMiddle(const QPoint &p, bool press);
    void DispatchDoubleClick();
    void LeaveAllAreas();
    void AreaEntered(TICCArea *area);
    void AreaLeft(TICCArea *area);
    void ShowHint(const QPoint &p);
    void HintReshowTick();

    bool FDirty = true;
    QImage FBackBuffer;
    QImage FCaptureSnapshot;
    QImage FComposed;
    double FLastRenderTimeMs = 0;
    QString FText;

    std::vector<std::unique_ptr<TICCArea>> FAreas;
    std::unique_ptr<TICCArea> FCaptured;
    std::vector<std::unique_ptr<TICCArea>> FRetired;
    int FDispatchDepth = 0;
    QRect FClipRect;

    std::shared_ptr<TICCClock> FClock;
    std::unique_ptr<TICCTimer> FRepeatTimer;
    std::function<void()> FRepeatCallback;
    std::unique_ptr<TICCTimer> FHintTimer;

    QPoint FMousePosition;
    bool FLeftButtonHeld = false;
    Qt::KeyboardModifiers FMouseModifiers;
    std::optional<qint64> FPressTime;
    QPoint FPressPosition;
    bool FPopupAllowed = false;
    QMenu *FPopupMenu = nullptr;

    QString FLastHint;
    QPoint FLastHintMouse;
    QPoint FLastHintPosition;
    std::optional<QString> FPendingHint;
    mutable QPoint FHintPoint;
};
