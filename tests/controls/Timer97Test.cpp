#include "controls/TTimerQueue.h"
#include "controls/UTimer97.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <gtest/gtest.h>
#include <map>

namespace {

// A timer queue whose timers fire only when the test says so.
class ManualTimerQueue : public TTimerQueue
{
public:
    struct Timer
    {
        std::uint32_t Due;
        std::uint32_t Period;
        TCallback Callback;
    };

    std::uintptr_t CreateTimer(std::uint32_t dueMs, std::uint32_t periodMs, TCallback callback) override
    {
        ++Created;
        Timers[++LastHandle] = {dueMs, periodMs, std::move(callback)};
        return LastHandle;
    }
    void DeleteTimer(std::uintptr_t handle) override { Timers.erase(handle); }

    // The timer thread's side of a tick: the callback only posts.
    void Fire(std::uintptr_t handle, int times = 1)
    {
        for (int i = 0; i < times; ++i)
            Timers.at(handle).Callback();
    }

    std::map<std::uintptr_t, Timer> Timers;
    std::uintptr_t LastHandle = 0;
    int Created = 0;
};

class Timer97 : public ::testing::Test
{
protected:
    void SetUp() override
    {
        auto queue = std::make_unique<ManualTimerQueue>();
        Queue = queue.get();
        CreateTimer97Handler(std::move(queue));
    }
    void TearDown() override { FreeTimer97Handler(); }

    static void Pump() { QCoreApplication::processEvents(); }

    ManualTimerQueue *Queue = nullptr;
};

TEST_F(Timer97, StartsAtOnceWithOneSecond)
{
    TTimer97 timer;
    EXPECT_TRUE(timer.Enabled());
    EXPECT_EQ(timer.Interval(), 1000u);
    ASSERT_EQ(Queue->Timers.size(), 1u);
    EXPECT_EQ(Queue->Timers.begin()->second.Due, 1000u);
    EXPECT_EQ(Queue->Timers.begin()->second.Period, 1000u);
    EXPECT_TRUE(Timer97Handler()->IsRunning(&timer));
}

TEST_F(Timer97, IntervalNeverBelowTen)
{
    for (const auto &[set, stored] : {std::pair{0u, 10u}, {5u, 10u}, {10u, 10u}, {11u, 11u}, {500u, 500u}}) {
        TTimer97 timer;
        timer.SetInterval(set);
        EXPECT_EQ(timer.Interval(), stored) << set;
        EXPECT_EQ(Queue->Timers.at(Queue->LastHandle).Due, stored) << "a running timer starts again";
    }
}

TEST_F(Timer97, EnablingTwiceStartsOneQueueTimer)
{
    TTimer97 timer;
    timer.SetEnabled(true);
    EXPECT_EQ(Queue->Created, 1);
    timer.SetEnabled(false);
    EXPECT_TRUE(Queue->Timers.empty());
    EXPECT_FALSE(Timer97Handler()->IsRunning(&timer));
    timer.SetEnabled(false);
    timer.SetEnabled(true);
    EXPECT_EQ(Queue->Created, 2);
    EXPECT_EQ(Queue->Timers.size(), 1u);
}

TEST_F(Timer97, TicksQueuedWhileBusyAreAllDelivered)
{
    TTimer97 timer;
    timer.SetInterval(500);
    int calls = 0;
    TTimer97 *sender = nullptr;
    timer.OnTimer = [&](TTimer97 *s) {
        ++calls;
        sender = s;
    };
    Queue->Fire(Queue->LastHandle, 4);
    EXPECT_EQ(calls, 0) << "nothing runs until the interface thread pumps events";
    Pump();
    EXPECT_EQ(calls, 4);
    EXPECT_EQ(sender, &timer);
}

TEST_F(Timer97, HandlerThatStopsTheTimerRunsOnce)
{
    TTimer97 timer;
    int calls = 0;
    timer.OnTimer = [&](TTimer97 *s) {
        ++calls;
        s->SetEnabled(false);
    };
    Queue->Fire(Queue->LastHandle, 4);
    Pump();
    EXPECT_EQ(calls, 1);
}

TEST_F(Timer97, TicksOfAnEarlierRunAreDiscarded)
{
    TTimer97 timer;
    int calls = 0;
    timer.OnTimer = [&](TTimer97 *) { ++calls; };
    Queue->Fire(Queue->LastHandle, 2);
    timer.SetEnabled(false);
    timer.SetEnabled(true);
    Pump();
    EXPECT_EQ(calls, 0);
    Queue->Fire(Queue->LastHandle);
    Pump();
    EXPECT_EQ(calls, 1);
}

TEST_F(Timer97, FreedTimerGetsNoQueuedTick)
{
    int calls = 0;
    {
        TTimer97 timer;
        timer.OnTimer = [&](TTimer97 *) { ++calls; };
        Queue->Fire(Queue->LastHandle, 3);
    }
    // A new timer at the same address must not take the old ticks either.
    TTimer97 successor;
    successor.OnTimer = [&](TTimer97 *) { ++calls; };
    Pump();
    EXPECT_EQ(calls, 0);
}

TEST(Timer97WithoutHandler, KeepsItsStateButNeverTicks)
{
    ASSERT_EQ(Timer97Handler(), nullptr);
    TTimer97 timer;
    EXPECT_TRUE(timer.Enabled());
    timer.SetEnabled(false);
    EXPECT_FALSE(timer.Enabled());
}

TEST(Timer97OnThread, TicksArriveWhileTheInterfaceThreadPumps)
{
    CreateTimer97Handler(std::make_unique<TThreadTimerQueue>());
    {
        TTimer97 timer;
        timer.SetInterval(10);
        int calls = 0;
        timer.OnTimer = [&](TTimer97 *) { ++calls; };
        QElapsedTimer waited;
        waited.start();
        while (calls < 3 && waited.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        EXPECT_GE(calls, 3);
        timer.SetEnabled(false);
        const int stopped = calls;
        QCoreApplication::processEvents();
        EXPECT_EQ(calls, stopped) << "ticks posted before the stop are discarded";
    }
    FreeTimer97Handler();
}

} // namespace
