// The control base: lazy rendering, area registration, mouse dispatch, clicks, double clicks,
// capture, the repeat timer, popups and hints.

#include "ICCTestControl.h"

#include <QHelpEvent>
#include <QToolTip>

#include <algorithm>

namespace {

std::vector<std::string> Only(const std::vector<std::string> &log,
                              std::initializer_list<const char *> prefixes)
{
    std::vector<std::string> result;
    for (const std::string &entry : log)
        for (const char *prefix : prefixes)
            if (entry.rfind(prefix, 0) == 0)
                result.push_back(entry);
    return result;
}

using Strings = std::vector<std::string>;

} // namespace

TEST_F(ICCFixture, RepeatedRepaintRequestsRenderOnceAndHoverNeverRenders)
{
    RenderWith([this](TICCTestControl &c) { AddRecording(c, QRect(10, 10, 50, 20), 1, "a"); });
    const int rendered = Control->RenderCount;

    Control->RequestRepaint();
    Control->RequestRepaint();
    EXPECT_TRUE(Control->Dirty());
    Paint();
    Paint();
    EXPECT_EQ(Control->RenderCount, rendered + 1);
    EXPECT_FALSE(Control->Dirty());

    Move({20, 20});
    Paint();
    Move({150, 100});
    Paint();
    EXPECT_EQ(Control->RenderCount, rendered + 1);
    EXPECT_EQ(AreaLog, (Strings{"a:enter", "a:leave"}));
}

TEST_F(ICCFixture, ResizeAndTextChangeRequestARepaint)
{
    Paint();
    Control->resize(180, 120);
    EXPECT_TRUE(Control->Dirty());
    Paint();
    Control->SetText("caption");
    EXPECT_TRUE(Control->Dirty());
}

TEST_F(ICCFixture, RegisteredRectanglesAreClippedAndEmptyOnesDiscarded)
{
    struct Case
    {
        const char *name;
        QRect clip; // null: the client area
        QRect rect;
        QRect expected; // null: discarded
    };
    const Case cases[] = {
        {"inside", QRect(), QRect(10, 10, 20, 20), QRect(10, 10, 20, 20)},
        {"over the corner", QRect(), QRect(190, 140, 30, 30), QRect(190, 140, 10, 10)},
        {"outside", QRect(), QRect(300, 10, 10, 10), QRect()},
        {"custom clip", QRect(0, 20, 200, 130), QRect(10, 0, 20, 30), QRect(10, 20, 20, 10)},
        {"above custom clip", QRect(0, 20, 200, 130), QRect(10, 0, 20, 10), QRect()},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TICCSquareArea *area = nullptr;
        RenderWith([&](TICCTestControl &control) {
            if (!c.clip.isNull())
                control.SetClipRect(c.clip);
            area = control.AddArea(c.rect, 1);
        });
        const std::vector<TICCArea *> areas = Control->Areas();
        if (c.expected.isNull()) {
            EXPECT_TRUE(areas.empty());
        } else {
            ASSERT_EQ(areas.size(), 1u);
            EXPECT_EQ(area->Rect(), c.expected);
        }
    }
}

TEST_F(ICCFixture, PersistentAreasSurviveRendersOthersAreReplaced)
{
    TICCScrollBar *const bar = Control->AddScrollBar(Qt::Vertical);
    RenderWith([&](TICCTestControl &c) {
        c.PlaceScrollBars(bar, nullptr, c.rect());
        c.AddArea(QRect(0, 0, 20, 20), 7);
    });
    Control->RequestRepaint();
    Paint();
    const std::vector<TICCArea *> areas = Control->Areas();
    ASSERT_EQ(areas.size(), 2u);
    EXPECT_EQ(areas[0], bar);
    EXPECT_EQ(areas[1]->Kind(), 7);

    Control->BringToFront(bar);
    EXPECT_EQ(Control->Areas().back(), bar);
    Control->FreeArea(bar);
    EXPECT_EQ(Control->Areas().size(), 1u);
}

TEST_F(ICCFixture, PressGoesToEveryAreaUnderThePointAndTheTopmostToTheHook)
{
    struct Case
    {
        const char *name;
        bool upperStops;
        QPoint at;
        Strings areaEvents;
        Strings hooks;
    };
    const Case cases[] = {
        {"overlap", false, {25, 25}, {"upper:down", "lower:down"}, {"down:2"}},
        {"stop hides lower", true, {25, 25}, {"upper:down"}, {"down:2"}},
        {"lower only", false, {80, 80}, {"lower:down"}, {"down:1"}},
        {"no area", false, {150, 120}, {}, {"empty"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        RenderWith([&](TICCTestControl &control) {
            AddRecording(control, QRect(0, 0, 100, 100), 1, "lower");
            AddRecording(control, QRect(20, 20, 30, 30), 2, "upper")->SetStop(c.upperStops);
        });
        AreaLog.clear();
        Control->Log.clear();
        Press(c.at);
        EXPECT_EQ(Only(AreaLog, {"upper:down", "lower:down"}), c.areaEvents);
        EXPECT_EQ(Control->Log, c.hooks);
        Release(c.at);
    }
}

TEST_F(ICCFixture, QuickReleaseAtThePressPointClicksAndAHeldOneSlowClicks)
{
    struct Case
    {
        const char *name;
        QPoint releaseOffset;
        int heldMs;
        Strings expected;
    };
    const Case cases[] = {
        {"quick", {0, 0}, 0, {"click:1"}},
        {"just under the limit", {0, 0}, 249, {"click:1"}},
        {"held 250 ms", {0, 0}, 250, {"slow:1"}},
        {"one pixel right", {1, 0}, 0, {}},
        {"one pixel down and held", {0, 1}, 300, {}},
    };
    RenderWith([this](TICCTestControl &c) { AddRecording(c, QRect(0, 0, 100, 100), 1, "a"); });
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Control->Log.clear();
        const QPoint at(40, 40);
        Press(at);
        Clock->Advance(c.heldMs);
        Release(at + c.releaseOffset);
        EXPECT_EQ(Only(Control->Log, {"click", "slow"}), c.expected);
    }
}

TEST_F(ICCFixture, ClickTargetIsTheLowestAreaOrTheStoppingOne)
{
    for (const bool upperStops : {false, true}) {
        SCOPED_TRACE(upperStops ? "upper stops" : "no stop");
        RenderWith([&](TICCTestControl &c) {
            AddRecording(c, QRect(0, 0, 100, 100), 1, "lower");
            AddRecording(c, QRect(20, 20, 30, 30), 2, "upper")->SetStop(upperStops);
        });
        Control->Log.clear();
        Press({25, 25});
        Release({25, 25});
        EXPECT_EQ(Only(Control->Log, {"click"}), Strings{upperStops ? "click:2" : "click:1"});
    }
}

TEST_F(ICCFixture, DoubleClickReachesAreaHookAndEventUnlessRefused)
{
    struct Case
    {
        const char *name;
        bool areaHandles;
        bool controlRefuses;
        Strings hooks;
        int events;
    };
    const Case cases[] = {
        {"plain", false, false, {"click:1", "dbl:1"}, 1},
        {"handled by the area", true, false, {"click:1"}, 1},
        {"refused by the control", false, true, {"click:1", "dbl:1"}, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        RenderWith([&](TICCTestControl &control) {
            AddRecording(control, QRect(0, 0, 100, 100), 1, "a")->HandlesDblClick = c.areaHandles;
        });
        Control->RefuseDblClick = c.controlRefuses;
        int events = 0;
        Control->OnDblClick = [&](TInteractiveCustomControl *sender) {
            EXPECT_EQ(sender, Control.get());
            ++events;
        };
        Control->Log.clear();
        AreaLog.clear();
        DoubleClickSequence({30, 30});
        // The release after the double click is no second click.
        EXPECT_EQ(Only(Control->Log, {"click", "slow", "dbl"}), c.hooks);
        EXPECT_EQ(Only(AreaLog, {"a:dbl"}), Strings{"a:dbl"});
        EXPECT_EQ(events, c.events);
    }
}

TEST_F(ICCFixture, HoverFollowsThePointerAndTheAreaCursorShows)
{
    TICCRecordingArea *upper = nullptr;
    RenderWith([&](TICCTestControl &c) {
        AddRecording(c, QRect(0, 0, 100, 100), 1, "lower");
        upper = AddRecording(c, QRect(20, 20, 30, 30), 2, "upper");
        upper->SetCursor(Qt::SizeHorCursor);
        upper->SetStop(true);
    });
    Move({5, 5});
    Move({25, 25});
    EXPECT_TRUE(upper->Hovered());
    EXPECT_EQ(Control->cursor().shape(), Qt::SizeHorCursor);
    Move({80, 80});
    EXPECT_FALSE(upper->Hovered());
    EXPECT_EQ(Control->cursor().shape(), Qt::ArrowCursor);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(Control.get(), &leave);
    // The stopping upper area hid the lower one, which counts as leaving it.
    EXPECT_EQ(AreaLog, (Strings{"lower:enter", "lower:leave", "upper:enter", "upper:leave", "lower:enter",
                                "lower:leave"}));
}

TEST_F(ICCFixture, ResizeHandleCapturesUntilRelease)
{
    std::vector<QPoint> sizes;
    std::vector<QPoint> ends;
    TICCResize *handle = nullptr;
    RenderWith([&](TICCTestControl &c) {
        handle = c.AddResize(QRect(96, 0, 8, 20), Qt::SplitHCursor,
                             [&](TICCResize *, const QPoint &p) { sizes.push_back(p); });
        handle->OnEnd = [&](TICCResize *, const QPoint &p) { ends.push_back(p); };
    });
    Press({100, 10});
    EXPECT_EQ(Control->CapturedArea(), handle);
    EXPECT_TRUE(Control->Areas().empty());
    EXPECT_TRUE(Control->HasCaptureSnapshot());
    Move({150, 90}); // far outside the handle: the capture still gets it
    Paint();
    Release({150, 90});
    EXPECT_EQ(sizes, (std::vector<QPoint>{{150, 90}}));
    EXPECT_EQ(ends, (std::vector<QPoint>{{150, 90}}));
    EXPECT_EQ(Control->CapturedArea(), nullptr);
    EXPECT_FALSE(Control->HasCaptureSnapshot());
}

TEST_F(ICCFixture, LosingFocusCancelsTheCaptureAndStopsTheRepeatTimer)
{
    TICCResize *handle = nullptr;
    bool ended = false;
    RenderWith([&](TICCTestControl &c) {
        handle = c.AddResize(QRect(96, 0, 8, 20), Qt::SplitHCursor, nullptr);
        handle->OnEnd = [&](TICCResize *, const QPoint &) { ended = true; };
    });
    Press({100, 10});
    Control->StartRepeatTimer(50, [] {});
    ASSERT_NE(Control->CapturedArea(), nullptr);
    Control->clearFocus();
    EXPECT_EQ(Control->CapturedArea(), nullptr);
    EXPECT_FALSE(Control->HasCaptureSnapshot());
    EXPECT_FALSE(Control->RepeatTimerActive());
    Release({120, 10}); // the lost release arrives late: no drag end
    EXPECT_FALSE(ended);
}

TEST_F(ICCFixture, RepeatTimerFiresEveryIntervalAndAMissingCallbackStopsIt)
{
    int ticks = 0;
    Control->StartRepeatTimer(100, [&] { ++ticks; });
    Clock->Advance(250);
    EXPECT_EQ(ticks, 2);
    Control->StartRepeatTimer(100, nullptr);
    EXPECT_FALSE(Control->RepeatTimerActive());
    Clock->Advance(500);
    EXPECT_EQ(ticks, 2);
}

TEST_F(ICCFixture, RightPressAsksTheAreaAndTheControlMenuFollowsTheRelease)
{
    QMenu menu;
    menu.addAction("item");
    Control->SetPopupMenu(&menu);
    RenderWith([this](TICCTestControl &c) { AddRecording(c, QRect(0, 0, 50, 50), 3, "a"); });

    Press({10, 10}, Qt::RightButton);
    EXPECT_EQ(AreaLog.back(), "a:context");
    EXPECT_EQ(Control->Log, Strings{"context:3"});
    EXPECT_FALSE(menu.isVisible());
    Release({10, 10}, Qt::RightButton);
    EXPECT_TRUE(menu.isVisible());
    menu.hide();

    Control->Log.clear();
    Press({150, 120}, Qt::RightButton);
    Release({150, 120}, Qt::RightButton);
    EXPECT_EQ(Control->Log, Strings{"emptycontext"});
    menu.hide();
}

TEST_F(ICCFixture, HintStaysPutForSmallMovesOfTheSameText)
{
    struct Step
    {
        QString text;
        QPoint mouse;
        QPoint expected;
    };
    const Step steps[] = {
        {"a", {10, 10}, {42, 42}},
        {"a", {20, 25}, {42, 42}}, // moved 25 pixels
        {"a", {30, 30}, {62, 62}}, // moved 40 pixels from the last placement
        {"b", {31, 30}, {63, 62}}, // new text
    };
    for (const Step &s : steps)
        EXPECT_EQ(Control->PlaceHint(s.text, s.mouse), s.expected) << s.text.toStdString();
}

TEST_F(ICCFixture, HintTextComesFromTheAreaElseFromTheControl)
{
    Control->setToolTip("control");
    RenderWith([](TICCTestControl &c) {
        c.AddArea(QRect(0, 0, 40, 40), 1)->SetHint("fixed");
        c.AddArea(QRect(50, 0, 40, 40), 2)->OnGetHint = [](TICCArea *a) {
            return QString::number(a->Kind());
        };
        c.AddArea(QRect(100, 0, 40, 40), 3);
    });
    EXPECT_EQ(Control->HintTextAt({10, 10}), "fixed");
    EXPECT_EQ(Control->HintTextAt({60, 10}), "2");
    EXPECT_EQ(Control->HintTextAt({110, 10}), "control");
    EXPECT_EQ(Control->HintTextAt({10, 100}), "control");
}

TEST_F(ICCFixture, ChangedHintReshowsAfterASecond)
{
    RenderWith([](TICCTestControl &c) {
        c.AddArea(QRect(0, 0, 40, 40), 1)->SetHint("one");
        c.AddArea(QRect(60, 0, 40, 40), 2)->SetHint("two");
    });
    Move({10, 10});
    QHelpEvent help(QEvent::ToolTip, QPoint(10, 10), Control->mapToGlobal(QPoint(10, 10)));
    QApplication::sendEvent(Control.get(), &help);
    ASSERT_TRUE(QToolTip::isVisible());
    EXPECT_TRUE(QToolTip::text().contains("one"));

    Move({70, 10});
    EXPECT_EQ(Control->PendingHint(), std::optional<QString>("two"));
    Clock->Advance(999);
    EXPECT_TRUE(Control->PendingHint().has_value());
    Clock->Advance(1);
    EXPECT_FALSE(Control->PendingHint().has_value());
    EXPECT_TRUE(QToolTip::text().contains("two"));
    QToolTip::hideText();
}

TEST_F(ICCFixture, MiddleButtonReachesTheAreasUnderThePoint)
{
    RenderWith([this](TICCTestControl &c) {
        AddRecording(c, QRect(0, 0, 100, 100), 1, "lower");
        AddRecording(c, QRect(20, 20, 30, 30), 2, "upper");
    });
    Press({25, 25}, Qt::MiddleButton);
    Release({25, 25}, Qt::MiddleButton);
    EXPECT_EQ(Only(AreaLog, {"upper:mid", "lower:mid"}), (Strings{"upper:middown", "lower:middown"}));
    EXPECT_TRUE(Only(Control->Log, {"click", "down"}).empty());
}

TEST_F(ICCFixture, ScrollBarsLieAtTheEdgesAndStopAtEachOther)
{
    const int e = Control->ScrollBarExtent();
    ASSERT_GT(e, 0);
    TICCScrollBar *const v = Control->AddScrollBar(Qt::Vertical);
    TICCScrollBar *const h = Control->AddScrollBar(Qt::Horizontal);
    const QRect bounds(0, 20, 200, 130);
    struct Case
    {
        const char *name;
        bool vertical, horizontal;
        QRect v, h, corner;
    };
    const Case cases[] = {
        {"both", true, true, QRect(200 - e, 20, e, 130 - e), QRect(0, 150 - e, 200 - e, e),
         QRect(200 - e, 150 - e, e, e)},
        {"vertical only", true, false, QRect(200 - e, 20, e, 130), QRect(), QRect()},
        {"horizontal only", false, true, QRect(), QRect(0, 150 - e, 200, e), QRect()},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        v->SetRect(QRect());
        h->SetRect(QRect());
        const QRect corner =
            Control->PlaceScrollBars(c.vertical ? v : nullptr, c.horizontal ? h : nullptr, bounds);
        EXPECT_EQ(v->Rect(), c.v);
        EXPECT_EQ(h->Rect(), c.h);
        EXPECT_EQ(corner, c.corner);
    }
}
