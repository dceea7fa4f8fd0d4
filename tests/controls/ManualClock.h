#pragma once
// A clock for widget tests: time moves only when the test advances it, and due timers fire in time
// order as it does, so rules such as "500 ms, then every 50 ms" are checked without sleeping.

#include "controls/ICCClock.h"

#include <algorithm>
#include <memory>
#include <vector>

class TManualClock : public TICCClock
{
public:
    qint64 NowMs() const override { return FNow; }

    std::unique_ptr<TICCTimer> CreateTimer(std::function<void()> onTimeout) override
    {
        auto timer = std::make_unique<TManualTimer>(*this, std::move(onTimeout));
        FTimers.push_back(timer.get());
        return timer;
    }

    // Moves time forward by ms, firing every timer that falls due on the way.
    void Advance(qint64 ms)
    {
        const qint64 target = FNow + ms;
        while (TManualTimer *timer = NextDue(target)) {
            FNow = timer->FDue;
            timer->FDue += timer->FInterval;
            timer->FOnTimeout();
        }
        FNow = target;
    }

private:
    class TManualTimer : public TICCTimer
    {
    public:
        TManualTimer(TManualClock &clock, std::function<void()> onTimeout)
            : FClock(clock), FOnTimeout(std::move(onTimeout))
        {}
        ~TManualTimer() override { std::erase(FClock.FTimers, this); }
        void Start(int intervalMs) override
        {
            FInterval = std::max(intervalMs, 1);
            FDue = FClock.FNow + FInterval;
            FActive = true;
        }
        void Stop() override { FActive = false; }
        bool IsActive() const override { return FActive; }
        int Interval() const override { return FInterval; }

        TManualClock &FClock;
        std::function<void()> FOnTimeout;
        int FInterval = 0;
        qint64 FDue = 0;
        bool FActive = false;
    };

    TManualTimer *NextDue(qint64 target) const
    {
        TManualTimer *next = nullptr;
        for (TManualTimer *timer : FTimers)
            if (timer->FActive && timer->FDue <= target && (!next || timer->FDue < next->FDue))
                next = timer;
        return next;
    }

    qint64 FNow = 1000;
    std::vector<TManualTimer *> FTimers;
};
