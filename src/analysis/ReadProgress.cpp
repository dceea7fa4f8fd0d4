#include "analysis/ReadProgress.h"

void TReadProgress::Report(qint64 done, qint64 total)
{
    FTotal.store(total, std::memory_order_relaxed);
    FDone.store(done, std::memory_order_relaxed);
    if (OnReport)
        OnReport(done, total);
    ThrowIfCancelled();
}

void TReadProgress::ThrowIfCancelled() const
{
    if (Cancelled())
        throw EAnalysisCancelled(QStringLiteral("The analysis was cancelled."));
}
