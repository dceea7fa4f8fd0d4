// The scrollbar area: geometry, moves, pressing, repeating, dragging and its menu.

#include "ICCTestControl.h"

#include "base/UMultiLang.h"
#include "controls/DMInteractiveCustomControl.h"

namespace {

struct Range
{
    int minimum, maximum, page, position;
};

void Apply(TICCScrollBar &bar, Range r)
{
    bar.SetMinimum(r.minimum);
    bar.SetMaximum(r.maximum);
    bar.SetPage(r.page);
    bar.SetPosition(r.position);
}

// A vertical bar 16 pixels thick and 216 long: arrows of 16, a track of 184.
const QRect BarRect(180, 0, 16, 216);

} // namespace

TEST(ICCScrollBarGeometry, ThumbLengthAndOffset)
{
    struct Case
    {
        const char *name;
        Range range;
        int thumb, offset;
    };
    const Case cases[] = {
        {"at the start", {0, 100, 10, 0}, 18, 16},
        {"at the end", {0, 100, 10, 90}, 18, 182},
        {"halfway", {0, 100, 10, 45}, 18, 99},
        {"no shorter than an arrow", {0, 100, 5, 0}, 16, 16},
        {"maximum equal to page fills the track", {0, 10, 10, 0}, 184, 16},
        {"empty range", {0, 0, 0, 0}, 16, 16},
        {"minimum above zero", {50, 150, 10, 95}, 18, 99},
    };
    TICCTestControl control;
    TICCScrollBar bar(&control, Qt::Vertical);
    bar.SetRect(BarRect);
    EXPECT_EQ(bar.ArrowLength(), 16);
    EXPECT_EQ(bar.TrackLength(), 184);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Apply(bar, c.range);
        EXPECT_EQ(bar.ThumbLength(), c.thumb);
        EXPECT_EQ(bar.ThumbOffset(), c.offset);
    }
}

TEST(ICCScrollBarGeometry, PartsAlongTheBar)
{
    TICCTestControl control;
    TICCScrollBar bar(&control, Qt::Horizontal);
    bar.SetRect(QRect(0, 100, 216, 16));
    Apply(bar, {0, 100, 10, 45}); // thumb 99..116
    const std::pair<int, TICCScrollBarPart> cases[] = {
        {0, sbpFirstArrow},    {15, sbpFirstArrow},   {16, sbpTrackBefore}, {98, sbpTrackBefore},
        {99, sbpThumb},        {116, sbpThumb},       {117, sbpTrackAfter}, {199, sbpTrackAfter},
        {200, sbpSecondArrow}, {216, sbpSecondArrow}, {217, sbpNone},
    };
    for (const auto &[x, part] : cases)
        EXPECT_EQ(bar.PartAt({x, 108}), part) << x;
    EXPECT_EQ(bar.PartAt({50, 99}), sbpNone);
    EXPECT_EQ(bar.PartRect(sbpThumb), QRect(99, 100, 18, 16));
}

TEST(ICCScrollBarMoves, ClampAndNotifyOnlyOnChange)
{
    enum Op { Forward, Back, Start, End };
    struct Case
    {
        const char *name;
        Range range;
        Op op;
        int amount;
        int expected;
    };
    const Case cases[] = {
        {"forward", {0, 100, 10, 0}, Forward, 5, 5},
        {"forward stops at maximum - page", {0, 100, 10, 85}, Forward, 10, 90},
        {"back stops at the minimum", {0, 100, 10, 3}, Back, 5, 0},
        {"back stops at a minimum above zero", {10, 100, 10, 15}, Back, 20, 10},
        {"to the end", {0, 100, 10, 10}, End, 0, 90},
        {"to the end when already there", {0, 100, 10, 90}, End, 0, 90},
        {"to the start", {5, 100, 10, 40}, Start, 0, 5},
        {"maximum equal to page cannot move", {0, 10, 10, 0}, Forward, 1, 0},
        {"page beyond the range stays at the minimum", {0, 5, 10, 0}, Forward, 1, 0},
    };
    TICCTestControl control;
    TICCScrollBar bar(&control, Qt::Vertical);
    int changes = 0;
    bar.OnChange = [&](TICCScrollBar *sender) {
        EXPECT_EQ(sender, &bar);
        ++changes;
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Apply(bar, c.range);
        changes = 0;
        switch (c.op) {
        case Forward:
            bar.MoveForward(c.amount);
            break;
        case Back:
            bar.MoveBack(c.amount);
            break;
        case Start:
            bar.MoveToStart();
            break;
        case End:
            bar.MoveToEnd();
            break;
        }
        EXPECT_EQ(bar.Position(), c.expected);
        EXPECT_EQ(changes, c.expected != c.range.position ? 1 : 0);
    }
}

class ICCScrollBarFixture : public ICCFixture
{
protected:
    void SetUp() override
    {
        ICCFixture::SetUp();
        Control->resize(200, 230);
        Bar = Control->AddScrollBar(Qt::Vertical);
        Bar->SetRect(BarRect);
        Apply(*Bar, {0, 100, 10, 0});
        Bar->OnChange = [this](TICCScrollBar *) { ++Changes; };
        Paint();
    }

    const QPoint FirstArrow{188, 8};
    const QPoint SecondArrow{188, 208};
    TICCScrollBar *Bar = nullptr;
    int Changes = 0;
};

TEST_F(ICCScrollBarFixture, HeldArrowRepeatsAfter500MsThenEvery50MsWhileOverIt)
{
    Press(SecondArrow);
    EXPECT_EQ(Bar->Position(), 1);
    EXPECT_EQ(Bar->PressedPart(), sbpSecondArrow);
    Clock->Advance(499);
    EXPECT_EQ(Bar->Position(), 1);
    Clock->Advance(1);
    EXPECT_EQ(Bar->Position(), 2);
    Clock->Advance(50);
    EXPECT_EQ(Bar->Position(), 3);
    Clock->Advance(100);
    EXPECT_EQ(Bar->Position(), 5);

    Move({188, 150}); // onto the track: the repetition pauses
    Clock->Advance(200);
    EXPECT_EQ(Bar->Position(), 5);
    Move({120, 150}); // off the bar
    Clock->Advance(200);
    EXPECT_EQ(Bar->Position(), 5);
    Move(SecondArrow);
    Clock->Advance(50);
    EXPECT_EQ(Bar->Position(), 6);

    Release(SecondArrow);
    EXPECT_EQ(Bar->PressedPart(), sbpNone);
    Clock->Advance(500);
    EXPECT_EQ(Bar->Position(), 6);
    EXPECT_EQ(Changes, 6);
}

TEST_F(ICCScrollBarFixture, ArrowRepeatsAlsoWithoutAMoveBeforeThePress)
{
    Buttons |= Qt::LeftButton;
    QTest::mousePress(Control.get(), Qt::LeftButton, Qt::NoModifier, SecondArrow);
    Clock->Advance(550);
    EXPECT_EQ(Bar->Position(), 3);
    Release(SecondArrow);
}

TEST_F(ICCScrollBarFixture, TrackPagesUntilTheThumbReachesThePointer)
{
    const QPoint nearEnd(188, 190);
    Press(nearEnd);
    EXPECT_EQ(Bar->Position(), 10);
    Clock->Advance(500 + 50 * 20);
    // Offsets: 10 -> 34, ..., 80 -> 163 (thumb 163..180 covers 190? no), 90 -> 182 (covers 190).
    EXPECT_EQ(Bar->Position(), 90);
    EXPECT_EQ(Bar->PartAt(nearEnd), sbpThumb);
    Release(nearEnd);

    Press({188, 20}); // the track before the thumb
    EXPECT_EQ(Bar->Position(), 80);
    Release({188, 20});
}

TEST_F(ICCScrollBarFixture, ThumbDragFollowsThePointerWithinTheRange)
{
    struct Case
    {
        const char *name;
        int deltaY;
        int expected;
    };
    // The free track is 184 - 18 = 166 pixels for 90 positions.
    const Case cases[] = {
        {"halfway", 83, 45},       {"one pixel", 1, 0},          {"two pixels", 2, 1},
        {"past the end", 400, 90}, {"before the start", -50, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Bar->SetPosition(0);
        Paint();
        const QPoint grip(188, 20); // thumb 16..33
        Press(grip);
        EXPECT_TRUE(Bar->Dragging());
        EXPECT_EQ(Control->CapturedArea(), Bar);
        Move(grip + QPoint(-100, c.deltaY)); // sideways off the bar does not matter
        EXPECT_EQ(Bar->Position(), c.expected);
        Release(grip + QPoint(-100, c.deltaY));
        EXPECT_FALSE(Bar->Dragging());
        EXPECT_EQ(Control->CapturedArea(), nullptr);
        EXPECT_TRUE(Control->Dirty());
        EXPECT_EQ(Control->Areas().back(), Bar); // back in the list after the capture
    }
}

TEST_F(ICCScrollBarFixture, DoubleClickOnAnArrowStepsTwiceAndIsNoControlDoubleClick)
{
    int doubleClicks = 0;
    Control->OnDblClick = [&](TInteractiveCustomControl *) { ++doubleClicks; };
    DoubleClickSequence(SecondArrow);
    EXPECT_EQ(Bar->Position(), 2);
    EXPECT_EQ(doubleClicks, 0);
    EXPECT_FALSE(Control->RepeatTimerActive());
}

TEST_F(ICCScrollBarFixture, HoveredPartFollowsThePointer)
{
    Move(FirstArrow);
    EXPECT_EQ(Bar->HoveredPart(), sbpFirstArrow);
    Move({188, 100});
    EXPECT_EQ(Bar->HoveredPart(), sbpTrackAfter);
    Move({100, 100});
    EXPECT_EQ(Bar->HoveredPart(), sbpNone);
}

TEST_F(ICCScrollBarFixture, ScrollMenuActsOnTheBarItWasOpenedOn)
{
    QMenu controlMenu;
    Control->SetPopupMenu(&controlMenu);
    auto &dm = TDMInteractiveCustomControl::Instance();
    struct Case
    {
        const char *name;
        int start;
        QAction *item;
        int expected;
    };
    // Opened at the bar's middle: (108 - 16) * 100 / 184 - 10 / 2 = 45, a page centred on 50.
    const Case cases[] = {
        {"here", 70, dm.MIScrollHere(), 45},     {"top", 70, dm.MIScrollTop(), 0},
        {"bottom", 70, dm.MIScrollBottom(), 90}, {"previous", 70, dm.MIScrollPrevious(), 60},
        {"next", 70, dm.MIScrollNext(), 80},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Bar->SetPosition(c.start);
        Paint();
        Press({188, 108}, Qt::RightButton);
        Release({188, 108}, Qt::RightButton);
        EXPECT_TRUE(dm.PMScrollBar()->isVisible());
        EXPECT_FALSE(controlMenu.isVisible());
        EXPECT_EQ(dm.ScrollBar(), Bar);
        EXPECT_EQ(dm.ScrollBarTag(), 45);
        dm.PMScrollBar()->hide();
        c.item->trigger();
        EXPECT_EQ(Bar->Position(), c.expected);
    }
}

TEST_F(ICCScrollBarFixture, MenuTagIsClampedToTheRange)
{
    EXPECT_EQ(Bar->MenuPositionAt({188, 17}), 0);
    EXPECT_EQ(Bar->MenuPositionAt({188, 215}), 100);
    Apply(*Bar, {0, 100, 200, 0});
    EXPECT_EQ(Bar->MenuPositionAt({188, 17}), 0);
    Apply(*Bar, {0, 100, 0, 0});
    EXPECT_EQ(Bar->MenuPositionAt({188, 215}), 100);
}

TEST_F(ICCScrollBarFixture, AFreedBarIsForgottenByTheMenu)
{
    auto &dm = TDMInteractiveCustomControl::Instance();
    Press({188, 108}, Qt::RightButton);
    Release({188, 108}, Qt::RightButton);
    dm.PMScrollBar()->hide();
    Control->FreeArea(Bar);
    EXPECT_EQ(dm.ScrollBar(), nullptr);
    dm.MIScrollNext()->trigger(); // reaches nothing
}

TEST(DMInteractiveCustomControl, ScrollMenuCaptionsFollowTheInterfaceLanguage)
{
    struct Case
    {
        int language;
        QStringList captions;
    };
    const QStringList english{"Scroll Here", "", "Begin", "End", "", "Previous Page", "Next Page"};
    const QStringList french{"Défilement ici", "", "Debut", "Fin", "", "Page précédente", "Page suivante"};
    const Case cases[] = {{1033, english}, {2057, english}, {1036, french}, {0, french}};
    const int saved = InterfaceLanguage();
    for (const Case &c : cases) {
        SetInterfaceLanguage(c.language);
        TDMInteractiveCustomControl::Free();
        auto &dm = TDMInteractiveCustomControl::Instance();
        QStringList captions;
        for (const QAction *action : dm.PMScrollBar()->actions())
            captions << action->text();
        EXPECT_EQ(captions, c.captions) << c.language;
        QStringList sizeCaptions;
        for (const QAction *action : dm.PMColumnSize()->actions())
            sizeCaptions << action->text();
        EXPECT_EQ(sizeCaptions,
                  (QStringList{"Largeur Automatique", "Largeur Minimale", "Largeur Personnalisée..."}));
    }
    SetInterfaceLanguage(saved);
    TDMInteractiveCustomControl::Free();
}
