#pragma once
// The reading part of a run (TMapAnalysis::Read) on a thread of its own, its result handed back to
// the thread that made this object through that thread's event loop. Cancel stops the reader at its
// next report; destroying the object cancels a run and waits for its thread, so nothing of the run
// outlives its owner.

#include "analysis/MapAnalysis.h"
#include "analysis/ReadProgress.h"

#include <QObject>

#include <functional>
#include <memory>
#include <thread>

class TMapAnalysisThread : public QObject
{
public:
    explicit TMapAnalysisThread(QObject *parent = nullptr);
    ~TMapAnalysisThread() override;

    // Reads on a new thread; OnFinished follows on this object's thread. Not while Running().
    void Start(TMapAnalysis::TRunInput Input);
    // From Start until OnFinished is called.
    bool Running() const { return FThread.joinable(); }
    void Cancel();
    // The running (or last) run's progress: bytes of the MAP text read, out of its size.
    const TReadProgress &Progress() const { return *FProgress; }

    // Called on this object's thread with the result of a run (only Cancelled after a cancel).
    std::function<void(TMapAnalysisResult Result)> OnFinished;
    // Called on the reading thread at every report of the reader (see TReadProgress::OnReport).
    std::function<void(qint64 done, qint64 total)> OnReport;

private:
    void Finish();

    std::thread FThread;
    std::unique_ptr<TReadProgress> FProgress = std::make_unique<TReadProgress>();
    // Written by the reading thread, taken once it has been joined.
    TMapAnalysisResult FResult;
};
