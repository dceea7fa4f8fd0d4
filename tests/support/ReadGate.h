#pragma once
// A slow reader without sleeping: installed as a reader's report hook, it holds the reading thread
// at a chosen report until the test lets it go, and tells the test where the reader stands.

#include <QtGlobal>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

class TReadGate
{
public:
    // Holds the reader at its report number HoldAt (from 1); the first report is at the text's start.
    explicit TReadGate(int holdAt = 1) : FHoldAt(holdAt) {}

    std::function<void(qint64 done, qint64 total)> Hook()
    {
        return [this](qint64 done, qint64 total) {
            std::unique_lock lock(FLock);
            ++FReports;
            if (FReports != FHoldAt)
                return;
            HeldDone = done;
            HeldTotal = total;
            FHeld = true;
            FChanged.notify_all();
            FChanged.wait(lock, [this] { return FReleased; });
        };
    }
    // On the test's thread: true once the reader waits at the gate; false when it has not come
    // there within a minute (it ended before, or never started).
    bool WaitUntilHeld()
    {
        std::unique_lock lock(FLock);
        return FChanged.wait_for(lock, std::chrono::minutes(1), [this] { return FHeld; });
    }
    void Release()
    {
        std::lock_guard lock(FLock);
        FReleased = true;
        FChanged.notify_all();
    }
    int Reports()
    {
        std::lock_guard lock(FLock);
        return FReports;
    }

    // Where the reader was held.
    qint64 HeldDone = -1;
    qint64 HeldTotal = -1;

private:
    std::mutex FLock;
    std::condition_variable FChanged;
    const int FHoldAt;
    int FReports = 0;
    bool FHeld = false;
    bool FReleased = false;
};
