#pragma once
// A timer whose ticks are made on a timer thread and posted to the user-interface thread, so they are
// delivered whenever that thread pumps events, also inside a long operation that pumps them itself.
// Ticks are never merged: each period posts one, and every tick still valid when it arrives fires.

#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

class TTimerQueue;

class TTimer97 : public QObject
{
    Q_OBJECT
public:
    static constexpr std::uint32_t MinInterval = 10;

    // Starts at once with an interval of 1000 ms.
    explicit TTimer97(QObject *owner = nullptr);
    ~TTimer97() override;

    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool value);
    std::uint32_t Interval() const { return FInterval; }
    // Values below 10 become 10; a running timer starts again with the new first delay.
    void SetInterval(std::uint32_t value);

    std::function<void(TTimer97 *sender)> OnTimer;

protected:
    virtual void DoTimer();

private:
    friend class TTimer97Handler;

    void Start();
    void Stop();

    bool FEnabled = false;
    std::uint32_t FInterval = 1000;
    std::uintptr_t FQueueTimer = 0;
    // Unique across the process for every start, so a tick of an earlier run (or of a freed timer whose
    // address was reused) never matches.
    std::uint64_t FGeneration = 0;
    bool FDestroying = false;
};

// One per process: owns the timer queue, the list of running timers and the object on the
// user-interface thread that receives the ticks.
class TTimer97Handler : public QObject
{
    Q_OBJECT
public:
    explicit TTimer97Handler(std::unique_ptr<TTimerQueue> queue);
    ~TTimer97Handler() override;

    bool IsRunning(const TTimer97 *timer) const;

protected:
    bool event(QEvent *event) override;

private:
    friend class TTimer97;

    void StartTimer(TTimer97 *timer);
    void StopTimer(TTimer97 *timer);
    void PostTick(TTimer97 *timer, std::uint64_t generation);

    struct TState;
    std::unique_ptr<TState> FState;
};

// The handler is made at start-up (not inside the development environment nor from a ".tmp" program)
// and freed at shut-down; without one, timers keep their Enabled state but never tick.
void CreateTimer97Handler();
// For tests: a handler over a queue of their own.
void CreateTimer97Handler(std::unique_ptr<TTimerQueue> queue);
void FreeTimer97Handler();
TTimer97Handler *Timer97Handler();
