#include "controls/CInteractiveCustomControl.h"

#include "base/Exception.h"
#include "controls/ITVPixels.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QStyle>
#include <QToolTip>

#include <algorithm>
#include <cstring>

// Areas freed while mouse events are being dispatched (a hook that repaints, a capture released by
// its own area) stay alive until the outermost dispatch ends, so no walk meets a freed area.
class TInteractiveCustomControl::TDispatchGuard
{
public:
    explicit TDispatchGuard(TInteractiveCustomControl &control) : FControl(control)
    {
        ++FControl.FDispatchDepth;
    }
    ~TDispatchGuard()
    {
        if (--FControl.FDispatchDepth == 0)
            FControl.FreeRetired();
    }
    TDispatchGuard(const TDispatchGuard &) = delete;
    TDispatchGuard &operator=(const TDispatchGuard &) = delete;

private:
    TInteractiveCustomControl &FControl;
};

TInteractiveCustomControl::TInteractiveCustomControl(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setContextMenuPolicy(Qt::PreventContextMenu);
    SetClock(SystemClock());
}

TInteractiveCustomControl::~TInteractiveCustomControl()
{
    FRepeatTimer->Stop();
    FHintTimer->Stop();
    // Areas go while the timers they may stop still exist.
    FCaptured.reset();
    FAreas.clear();
    FRetired.clear();
}

// ---- lazy painting

void TInteractiveCustomControl::RequestRepaint()
{
    if (FDirty)
        return;
    FDirty = true;
    update();
}

void TInteractiveCustomControl::SetText(const QString &text)
{
    if (text == FText)
        return;
    FText = text;
    RequestRepaint();
}

void TInteractiveCustomControl::Render(QPainter &, QImage &buffer)
{
    FillPixels(buffer, buffer.rect(), ColorToQRgb(clWindow));
}

void TInteractiveCustomControl::RenderBackBuffer()
{
    FDirty = false;
    FreeNonPersistentAreas();
    if (FBackBuffer.size() != size())
        FBackBuffer = QImage(size(), QImage::Format_RGB32);
    // A buffer too large to allocate leaves the control unpainted rather than ending the program.
    if (FBackBuffer.isNull())
        return;
    QASSERT(FBackBuffer.depth() == 32);
    FClipRect = rect();
    QElapsedTimer timer;
    timer.start();
    {
        QPainter canvas(&FBackBuffer);
        canvas.setFont(font());
        Render(canvas, FBackBuffer);
        DiscardEmptyAreas();
        PaintAreas(canvas, FBackBuffer);
    }
    FLastRenderTimeMs = timer.nsecsElapsed() / 1e6;
}

QImage &TInteractiveCustomControl::ComposeTarget()
{
    if (!FCaptureSnapshot.isNull() && FCaptureSnapshot.size() != FBackBuffer.size())
        FCaptureSnapshot = QImage();
    if (FCaptureSnapshot.isNull()) {
        FComposed = FBackBuffer.copy();
        return FComposed;
    }
    std::memcpy(FCaptureSnapshot.bits(), FBackBuffer.constBits(), FBackBuffer.sizeInBytes());
    return FCaptureSnapshot;
}

void TInteractiveCustomControl::PaintAreas(QPainter &canvas, QImage &buffer)
{
    for (const auto &area : FAreas)
        area->Paint(canvas, buffer);
}

void TInteractiveCustomControl::paintEvent(QPaintEvent *)
{
    if (width() <= 0 || height() <= 0)
        return;
    if (FDirty || FBackBuffer.size() != size())
        RenderBackBuffer();
    if (FBackBuffer.isNull())
        return;
    QImage &composed = ComposeTarget();
    {
        QPainter canvas(&composed);
        canvas.setFont(font());
        PaintAreas(canvas, composed);
        if (FCaptured)
            FCaptured->Paint(canvas, composed);
    }
    // Direct pixel writes may leave the alpha byte clear; the window wants opaque pixels.
    const int composedWidth = composed.width();
    for (int y = 0; y < composed.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(composed.scanLine(y));
        for (int x = 0; x < composedWidth; ++x)
            line[x] |= 0xFF000000u;
    }
    QPainter(this).drawImage(0, 0, composed);
    if (FDispatchDepth == 0)
        FreeRetired();
}

void TInteractiveCustomControl::resizeEvent(QResizeEvent *e)
{
    QWidget::resizeEvent(e);
    RequestRepaint();
}

bool TInteractiveCustomControl::event(QEvent *e)
{
    switch (e->type()) {
    case QEvent::ToolTip:
        ShowHint(static_cast<QHelpEvent *>(e)->pos());
        return true;
    case QEvent::FontChange:
    case QEvent::PaletteChange:
    case QEvent::EnabledChange:
        RequestRepaint();
        break;
    default:
        break;
    }
    return QWidget::event(e);
}

// ---- areas

std::vector<TICCArea *> TInteractiveCustomControl::Areas() const
{
    std::vector<TICCArea *> result;
    result.reserve(FAreas.size());
    for (const auto &area : FAreas)
        result.push_back(area.get());
    return result;
}

TICCArea *TInteractiveCustomControl::AreaAt(const QPoint &p) const
{
    if (FCaptured && FCaptured->Contains(p))
        return FCaptured.get();
    const std::vector<TICCArea *> hits = AreasFromTop(p);
    return hits.empty() ? nullptr : hits.front();
}

std::vector<TICCArea *> TInteractiveCustomControl::AreasFromTop(const QPoint &p) const
{
    std::vector<TICCArea *> hits;
    for (auto it = FAreas.rbegin(); it != FAreas.rend(); ++it) {
        if (!(*it)->Contains(p))
            continue;
        hits.push_back(it->get());
        if ((*it)->Stop())
            break;
    }
    return hits;
}

bool TInteractiveCustomControl::IsAlive(const TICCArea *area) const
{
    if (FCaptured.get() == area)
        return true;
    return std::any_of(FAreas.begin(), FAreas.end(), [area](const auto &a) { return a.get() == area; });
}

void TInteractiveCustomControl::Register(std::unique_ptr<TICCArea> area)
{
    area->ClipTo(FClipRect.isNull() ? rect() : FClipRect);
    FAreas.push_back(std::move(area));
}

TICCSquareArea *TInteractiveCustomControl::AddArea(const QRect &rect, int kind, void *object)
{
    return AddCustomArea(std::make_unique<TICCSquareArea>(this, rect, kind, object));
}

TICCResize *TInteractiveCustomControl::AddResize(const QRect &rect, Qt::CursorShape cursor,
                                                 TICCResize::TResizeEvent onSizeChange, int kind,
                                                 void *object)
{
    auto area = std::make_unique<TICCResize>(this, rect, kind, object);
    area->SetCursor(cursor);
    area->OnSizeChange = std::move(onSizeChange);
    return AddCustomArea(std::move(area));
}

TICCText3DSortButton *TInteractiveCustomControl::AddSortButton(const QRect &rect, const QString &caption,
                                                               int kind, void *object)
{
    return AddCustomArea(std::make_unique<TICCText3DSortButton>(this, rect, caption, kind, object));
}

TICCPlusMinusButton *TInteractiveCustomControl::AddPlusMinusButton(const QRect &rect, bool plus,
                                                                   TColor background, int kind, void *object)
{
    auto area = std::make_unique<TICCPlusMinusButton>(this, rect, plus, kind, object);
    area->SetBackgroundColor(background);
    return AddCustomArea(std::move(area));
}

TICCScrollBar *TInteractiveCustomControl::AddScrollBar(Qt::Orientation orientation)
{
    return AddCustomArea(std::make_unique<TICCScrollBar>(this, orientation));
}

int TInteractiveCustomControl::ScrollBarExtent() const
{
    return style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
}

QRect TInteractiveCustomControl::PlaceScrollBars(TICCScrollBar *vertical, TICCScrollBar *horizontal,
                                                 const QRect &bounds) const
{
    const int extent = ScrollBarExtent();
    const int right = bounds.left() + bounds.width();
    const int bottom = bounds.top() + bounds.height();
    if (vertical)
        vertical->SetRect(
            QRect(right - extent, bounds.top(), extent, bounds.height() - (horizontal ? extent : 0)));
    if (horizontal)
        horizontal->SetRect(
            QRect(bounds.left(), bottom - extent, bounds.width() - (vertical ? extent : 0), extent));
    if (vertical && horizontal)
        return QRect(right - extent, bottom - extent, extent, extent);
    return {};
}

void TInteractiveCustomControl::BringToFront(TICCArea *area)
{
    const auto it =
        std::find_if(FAreas.begin(), FAreas.end(), [area](const auto &a) { return a.get() == area; });
    if (it != FAreas.end())
        std::rotate(it, it + 1, FAreas.end());
}

std::unique_ptr<TICCArea> TInteractiveCustomControl::Unlist(TICCArea *area)
{
    const auto it =
        std::find_if(FAreas.begin(), FAreas.end(), [area](const auto &a) { return a.get() == area; });
    if (it == FAreas.end())
        return nullptr;
    std::unique_ptr<TICCArea> owned = std::move(*it);
    FAreas.erase(it);
    return owned;
}

void TInteractiveCustomControl::Retire(std::unique_ptr<TICCArea> area)
{
    // Outside a dispatch the area is freed on return.
    if (area && FDispatchDepth > 0)
        FRetired.push_back(std::move(area));
}

void TInteractiveCustomControl::FreeRetired()
{
    // Destructors may retire further areas; swap first so the loop never sees the list change.
    while (!FRetired.empty()) {
        std::vector<std::unique_ptr<TICCArea>> retired;
        retired.swap(FRetired);
    }
}

void TInteractiveCustomControl::FreeArea(TICCArea *area)
{
    if (area && area == FCaptured.get()) {
        FCaptureSnapshot = QImage();
        area->FCaptured = false;
        Retire(std::move(FCaptured));
        return;
    }
    Retire(Unlist(area));
}

void TInteractiveCustomControl::FreeNonPersistentAreas()
{
    std::vector<std::unique_ptr<TICCArea>> kept;
    for (auto &area : FAreas) {
        if (area->Persistent())
            kept.push_back(std::move(area));
        else
            Retire(std::move(area));
    }
    FAreas.swap(kept);
}

void TInteractiveCustomControl::DiscardEmptyAreas()
{
    std::vector<std::unique_ptr<TICCArea>> kept;
    for (auto &area : FAreas) {
        if (area->Persistent() || !area->IsEmpty())
            kept.push_back(std::move(area));
        else
            Retire(std::move(area));
    }
    FAreas.swap(kept);
}

// ---- capture and timers

void TInteractiveCustomControl::Capture(TICCArea *area)
{
    if (!area || area == FCaptured.get())
        return;
    std::unique_ptr<TICCArea> owned = Unlist(area);
    if (!owned)
        return;
    if (FCaptured)
        ReleaseCapture(FCaptured.get());
    FCaptured = std::move(owned);
    FCaptured->FCaptured = true;
    // An area captures only during a press, when the window system already sends every mouse event
    // to this widget until the release; an explicit grab could outlive a lost release.
    FCaptureSnapshot = FBackBuffer.copy();
}

void TInteractiveCustomControl::ReleaseCapture(TICCArea *area)
{
    if (!area || area != FCaptured.get())
        return;
    FCaptureSnapshot = QImage();
    area->FCaptured = false;
    std::unique_ptr<TICCArea> owned = std::move(FCaptured);
    if (owned->Persistent())
        FAreas.push_back(std::move(owned));
    else
        Retire(std::move(owned));
    update();
}

void TInteractiveCustomControl::CancelCapture()
{
    if (!FCaptured)
        return;
    TDispatchGuard guard(*this);
    TICCArea *const area = FCaptured.get();
    area->Cancel();
    ReleaseCapture(area);
    unsetCursor();
}

void TInteractiveCustomControl::SetClock(std::shared_ptr<TICCClock> clock)
{
    if (FRepeatTimer)
        FRepeatTimer->Stop();
    if (FHintTimer)
        FHintTimer->Stop();
    FClock = std::move(clock);
    FRepeatTimer = FClock->CreateTimer([this] {
        if (!FRepeatCallback)
            return;
        TDispatchGuard guard(*this);
        // The callback may restart or stop the timer, which replaces the stored function.
        const std::function<void()> callback = FRepeatCallback;
        callback();
    });
    FHintTimer = FClock->CreateTimer([this] { HintReshowTick(); });
}

void TInteractiveCustomControl::StartRepeatTimer(int intervalMs, std::function<void()> callback)
{
    if (!callback) {
        StopRepeatTimer();
        return;
    }
    FRepeatCallback = std::move(callback);
    FRepeatTimer->Start(intervalMs);
}

void TInteractiveCustomControl::StopRepeatTimer()
{
    FRepeatTimer->Stop();
    FRepeatCallback = nullptr;
}

bool TInteractiveCustomControl::RepeatTimerActive() const
{
    return FRepeatTimer->IsActive();
}

int TInteractiveCustomControl::RepeatTimerInterval() const
{
    return FRepeatTimer->Interval();
}

// ---- hooks

void TInteractiveCustomControl::MouseEnter() {}
void TInteractiveCustomControl::MouseLeave() {}
void TInteractiveCustomControl::CanDblClick(bool &) {}
void TInteractiveCustomControl::AreaMouseDown(TICCArea *) {}
void TInteractiveCustomControl::AreaClick(TICCArea *) {}
void TInteractiveCustomControl::AreaSlowClick(TICCArea *) {}
void TInteractiveCustomControl::EmptyMouseDown() {}
void TInteractiveCustomControl::AreaContextPopup(TICCArea *, bool &) {}
void TInteractiveCustomControl::EmptyContextPopup(bool &) {}
void TInteractiveCustomControl::AreaDblClick(TICCArea *) {}

QMenu *TInteractiveCustomControl::GetPopupMenu()
{
    return FPopupMenu;
}

void TInteractiveCustomControl::DoDblClick()
{
    if (OnDblClick)
        OnDblClick(this);
}

// ---- mouse dispatch

void TInteractiveCustomControl::AreaEntered(TICCArea *area)
{
    area->FHovered = true;
    area->MouseEnter();
    update();
}

void TInteractiveCustomControl::AreaLeft(TICCArea *area)
{
    area->FHovered = false;
    area->MouseLeave();
    update();
}

void TInteractiveCustomControl::DispatchMove(const QPoint &p)
{
    if (FCaptured) {
        FCaptured->MouseMove(p.x(), p.y());
        return;
    }
    const std::vector<TICCArea *> hits = AreasFromTop(p);
    // An area hidden by a stopping area above it counts as left, like one the pointer moved off.
    for (TICCArea *area : Areas())
        if (area->Hovered() && std::find(hits.begin(), hits.end(), area) == hits.end())
            AreaLeft(area);
    for (TICCArea *area : hits) {
        if (!IsAlive(area))
            continue;
        if (!area->Hovered())
            AreaEntered(area);
        area->MouseMove(p.x(), p.y());
    }
}

void TInteractiveCustomControl::DispatchLeftPress(const QPoint &p)
{
    FLeftButtonHeld = true;
    FPressTime = FClock->NowMs();
    FPressPosition = p;
    setFocus(Qt::MouseFocusReason);
    if (FCaptured) {
        FCaptured->MouseDown(p.x(), p.y());
        return;
    }
    const std::vector<TICCArea *> hits = AreasFromTop(p);
    for (TICCArea *area : hits) {
        if (!IsAlive(area))
            continue;
        area->MouseDown(p.x(), p.y());
        // Once an area holds the capture, the press is its own.
        if (FCaptured)
            break;
    }
    if (hits.empty())
        EmptyMouseDown();
    else
        AreaMouseDown(hits.front());
}

void TInteractiveCustomControl::DispatchLeftRelease(const QPoint &p)
{
    FLeftButtonHeld = false;
    unsetCursor();
    StopRepeatTimer();
    TICCArea *target = nullptr;
    if (FCaptured) {
        target = FCaptured.get();
        target->MouseUp(p.x(), p.y());
    } else {
        const std::vector<TICCArea *> hits = AreasFromTop(p);
        for (TICCArea *area : hits)
            if (IsAlive(area))
                area->MouseUp(p.x(), p.y());
        if (!hits.empty())
            target = hits.back();
    }
    for (TICCArea *area : Areas())
        area->PressEnded();
    if (FCaptured)
        FCaptured->PressEnded();
    if (TICCArea *const under = AreaAt(p); under && under->Hovered() && under->Cursor())
        setCursor(*under->Cursor());

    const std::optional<qint64> pressTime = FPressTime;
    FPressTime.reset();
    if (!target || !pressTime || p != FPressPosition)
        return;
    if (FClock->NowMs() - *pressTime < ClickTimeMs)
        AreaClick(target);
    else
        AreaSlowClick(target);
}

void TInteractiveCustomControl::DispatchRightPress(const QPoint &p)
{
    bool allowPopup = true;
    if (TICCArea *const area = AreaAt(p)) {
        area->ContextPopup(p.x(), p.y(), allowPopup);
        AreaContextPopup(area, allowPopup);
    } else {
        EmptyContextPopup(allowPopup);
    }
    FPopupAllowed = allowPopup;
}

void TInteractiveCustomControl::DispatchMiddle(const QPoint &p, bool press)
{
    const std::vector<TICCArea *> targets =
        FCaptured ? std::vector<TICCArea *>{FCaptured.get()} : AreasFromTop(p);
    for (TICCArea *area : targets) {
        if (!IsAlive(area))
            continue;
        if (press)
            area->MiddleMouseDown(p.x(), p.y());
        else
            area->MiddleMouseUp(p.x(), p.y());
    }
}

void TInteractiveCustomControl::DispatchDoubleClick()
{
    bool allow = true;
    if (TICCArea *const area = AreaAt(FMousePosition)) {
        bool handled = false;
        area->DblClick(handled);
        if (!handled)
            AreaDblClick(area);
        if (dynamic_cast<TICCScrollBar *>(area))
            allow = false;
    }
    CanDblClick(allow);
    if (allow)
        DoDblClick();
}

void TInteractiveCustomControl::LeaveAllAreas()
{
    for (TICCArea *area : Areas())
        if (area->Hovered())
            AreaLeft(area);
}

void TInteractiveCustomControl::mouseMoveEvent(QMouseEvent *e)
{
    TDispatchGuard guard(*this);
    FMouseModifiers = e->modifiers();
    FMousePosition = e->position().toPoint();
    DispatchMove(FMousePosition);
    if (QToolTip::isVisible() || FPendingHint) {
        const QString text = HintTextAt(FMousePosition);
        if (text != FLastHint) {
            QToolTip::hideText();
            FPendingHint = text;
            FHintTimer->Start(HintReshowMs);
        }
    }
}

void TInteractiveCustomControl::mousePressEvent(QMouseEvent *e)
{
    TDispatchGuard guard(*this);
    FMouseModifiers = e->modifiers();
    FMousePosition = e->position().toPoint();
    switch (e->button()) {
    case Qt::LeftButton:
        DispatchLeftPress(FMousePosition);
        break;
    case Qt::RightButton:
        DispatchRightPress(FMousePosition);
        break;
    case Qt::MiddleButton:
        DispatchMiddle(FMousePosition, true);
        break;
    default:
        break;
    }
}

void TInteractiveCustomControl::mouseReleaseEvent(QMouseEvent *e)
{
    TDispatchGuard guard(*this);
    FMouseModifiers = e->modifiers();
    FMousePosition = e->position().toPoint();
    switch (e->button()) {
    case Qt::LeftButton:
        DispatchLeftRelease(FMousePosition);
        break;
    case Qt::RightButton:
        // The context menu follows the release of the right press that allowed it.
        if (std::exchange(FPopupAllowed, false))
            if (QMenu *const menu = GetPopupMenu())
                menu->popup(e->globalPosition().toPoint());
        break;
    case Qt::MiddleButton:
        DispatchMiddle(FMousePosition, false);
        break;
    default:
        break;
    }
}

void TInteractiveCustomControl::mouseDoubleClickEvent(QMouseEvent *e)
{
    if (e->button() != Qt::LeftButton) {
        mousePressEvent(e);
        return;
    }
    TDispatchGuard guard(*this);
    FMouseModifiers = e->modifiers();
    FMousePosition = e->position().toPoint();
    FLeftButtonHeld = true;
    DispatchDoubleClick();
}

void TInteractiveCustomControl::enterEvent(QEnterEvent *e)
{
    QWidget::enterEvent(e);
    MouseEnter();
}

void TInteractiveCustomControl::leaveEvent(QEvent *e)
{
    QWidget::leaveEvent(e);
    TDispatchGuard guard(*this);
    LeaveAllAreas();
    MouseLeave();
}

void TInteractiveCustomControl::focusOutEvent(QFocusEvent *e)
{
    QWidget::focusOutEvent(e);
    StopRepeatTimer();
    CancelCapture();
}

// ---- tooltips

QString TInteractiveCustomControl::HintTextAt(const QPoint &p) const
{
    FHintPoint = p;
    TICCArea *const area = AreaAt(p);
    const QString text = area ? area->HintText() : QString();
    return text.isEmpty() ? toolTip() : text;
}

QPoint TInteractiveCustomControl::PlaceHint(const QString &text, const QPoint &p)
{
    if (text == FLastHint && (p - FLastHintMouse).manhattanLength() < HintMoveTolerance)
        return FLastHintPosition;
    FLastHint = text;
    FLastHintMouse = p;
    FLastHintPosition = p + QPoint(CursorWidth, CursorHeight);
    return FLastHintPosition;
}

void TInteractiveCustomControl::ShowHint(const QPoint &p)
{
    FPendingHint.reset();
    FHintTimer->Stop();
    const QString text = HintTextAt(p);
    if (text.isEmpty()) {
        QToolTip::hideText();
        return;
    }
    // Rich text without wrapping lets a long hint grow to the width of the screen.
    const QString shown = "<p style='white-space:pre'>" + text.toHtmlEscaped() + "</p>";
    QToolTip::showText(mapToGlobal(PlaceHint(text, p)), shown, this);
}

void TInteractiveCustomControl::HintReshowTick()
{
    FHintTimer->Stop();
    if (!FPendingHint)
        return;
    if (underMouse() || rect().contains(FMousePosition))
        ShowHint(FMousePosition);
    else
        FPendingHint.reset();
}
