#pragma once
// Periodic timers run on a thread of their own. Callbacks run on that thread.

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

class TTimerQueue
{
public:
    using TCallback = std::function<void()>;

    virtual ~TTimerQueue() = default;
    // A timer first due after dueMs, then every periodMs; returns its handle (never 0).
    virtual std::uintptr_t CreateTimer(std::uint32_t dueMs, std::uint32_t periodMs, TCallback callback) = 0;
    // Removes the timer and returns once no callback of it is running any more.
    virtual void DeleteTimer(std::uintptr_t handle) = 0;
};

class TThreadTimerQueue : public TTimerQueue
{
public:
    TThreadTimerQueue();
    ~TThreadTimerQueue() override;

    std::uintptr_t CreateTimer(std::uint32_t dueMs, std::uint32_t periodMs, TCallback callback) override;
    void DeleteTimer(std::uintptr_t handle) override;

private:
    using TClock = std::chrono::steady_clock;
    struct TEntry
    {
        std::uintptr_t Handle;
        TClock::time_point Due;
        std::chrono::milliseconds Period;
        TCallback Callback;
    };

    void Run();

    std::mutex FLock;
    std::condition_variable FChanged;
    std::vector<TEntry> FEntries;
    std::uintptr_t FNextHandle = 1;
    std::uintptr_t FRunningHandle = 0;
    bool FStopping = false;
    std::thread FThread;
};
