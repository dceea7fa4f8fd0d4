#pragma once
// The time source of the interactive controls. Click timing, repeat timers and tooltip reshows read
// it, so tests replace it by a clock they advance by hand instead of sleeping.

#include <QtGlobal>

#include <functional>
#include <memory>

// A periodic timer: once started it fires every Interval() milliseconds until stopped. Starting a
// running timer restarts it with the new interval.
class TICCTimer
{
public:
    virtual ~TICCTimer() = default;
    virtual void Start(int intervalMs) = 0;
    virtual void Stop() = 0;
    virtual bool IsActive() const = 0;
    virtual int Interval() const = 0;
};

class TICCClock
{
public:
    virtual ~TICCClock() = default;
    // Monotonic milliseconds; only differences matter.
    virtual qint64 NowMs() const = 0;
    // The timer calls onTimeout on the user-interface thread; it never fires after its destruction.
    virtual std::unique_ptr<TICCTimer> CreateTimer(std::function<void()> onTimeout) = 0;
};

// The real clock: a steady clock and window timers delivered through the event loop.
std::shared_ptr<TICCClock> SystemClock();
