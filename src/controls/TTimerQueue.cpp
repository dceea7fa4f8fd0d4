#include "controls/TTimerQueue.h"

#include <algorithm>

TThreadTimerQueue::TThreadTimerQueue() : FThread([this] { Run(); }) {}

TThreadTimerQueue::~TThreadTimerQueue()
{
    {
        const std::lock_guard guard(FLock);
        FStopping = true;
    }
    FChanged.notify_all();
    FThread.join();
}

std::uintptr_t TThreadTimerQueue::CreateTimer(std::uint32_t dueMs, std::uint32_t periodMs, TCallback callback)
{
    std::uintptr_t handle;
    {
        const std::lock_guard guard(FLock);
        handle = FNextHandle++;
        FEntries.push_back({handle, TClock::now() + std::chrono::milliseconds(dueMs),
                            std::chrono::milliseconds(periodMs), std::move(callback)});
    }
    FChanged.notify_all();
    return handle;
}

void TThreadTimerQueue::DeleteTimer(std::uintptr_t handle)
{
    std::unique_lock guard(FLock);
    std::erase_if(FEntries, [handle](const TEntry &entry) { return entry.Handle == handle; });
    FChanged.notify_all();
    // Waiting here is what guarantees that no callback of the timer runs after it was deleted.
    FChanged.wait(guard, [this, handle] { return FRunningHandle != handle; });
}

void TThreadTimerQueue::Run()
{
    std::unique_lock guard(FLock);
    while (!FStopping) {
        if (FEntries.empty()) {
            FChanged.wait(guard);
            continue;
        }
        auto next = std::min_element(FEntries.begin(), FEntries.end(),
                                     [](const TEntry &a, const TEntry &b) { return a.Due < b.Due; });
        if (TClock::now() < next->Due) {
            FChanged.wait_until(guard, next->Due);
            continue;
        }
        // A slow thread catches up one period at a time, so no tick is merged away.
        next->Due += next->Period;
        FRunningHandle = next->Handle;
        const TCallback callback = next->Callback;
        guard.unlock();
        callback();
        guard.lock();
        FRunningHandle = 0;
        FChanged.notify_all();
    }
}
