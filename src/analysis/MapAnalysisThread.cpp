#include "analysis/MapAnalysisThread.h"

#include "base/Exception.h"

TMapAnalysisThread::TMapAnalysisThread(QObject *parent) : QObject(parent) {}

TMapAnalysisThread::~TMapAnalysisThread()
{
    if (!FThread.joinable())
        return;
    FProgress->Cancel();
    FThread.join();
    // The queued Finish is removed with this object.
}

void TMapAnalysisThread::Start(TMapAnalysis::TRunInput Input)
{
    QASSERT(!Running());
    // A progress of its own: a cancel of the last run does not carry over.
    FProgress = std::make_unique<TReadProgress>();
    FProgress->OnReport = OnReport;
    FThread = std::thread([this, input = std::move(Input)]() mutable {
        FResult = TMapAnalysis::Read(std::move(input), FProgress.get());
        QMetaObject::invokeMethod(
            this, [this] { Finish(); }, Qt::QueuedConnection);
    });
}

void TMapAnalysisThread::Cancel()
{
    FProgress->Cancel();
}

void TMapAnalysisThread::Finish()
{
    FThread.join();
    TMapAnalysisResult result = std::move(FResult);
    FResult = TMapAnalysisResult();
    if (OnFinished)
        OnFinished(std::move(result));
}
