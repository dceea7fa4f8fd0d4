#pragma once
// How far the reading of a MAP file has gone, and the request to stop it: written by the thread that
// reads, read and cancelled by the one that shows it. The reader reports at a cheap interval of its
// line loop, which is also where it notices a cancel.

#include "base/Exception.h"

#include <QtGlobal>

#include <atomic>
#include <functional>

// The run was cancelled: its result is thrown away.
QUILLON_DECLARE_EXCEPTION(EAnalysisCancelled, Exception)

class TReadProgress
{
public:
    // Bytes of text behind the reader, out of Total(); both 0 until the text is loaded.
    qint64 Done() const { return FDone.load(std::memory_order_relaxed); }
    qint64 Total() const { return FTotal.load(std::memory_order_relaxed); }

    void Cancel() { FCancelled.store(true, std::memory_order_relaxed); }
    bool Cancelled() const { return FCancelled.load(std::memory_order_relaxed); }

    // Called by the reader at the start, every ReportInterval lines and at the end of the text;
    // raises EAnalysisCancelled once a cancel was asked for.
    void Report(qint64 done, qint64 total);
    // Raises EAnalysisCancelled once a cancel was asked for (between the steps of a run).
    void ThrowIfCancelled() const;
    static constexpr qsizetype ReportInterval = 16384;

    // Called on the reading thread at every report, before the cancel is checked: a test holds the
    // reader there until it lets it go.
    std::function<void(qint64 done, qint64 total)> OnReport;

private:
    std::atomic<qint64> FDone{0};
    std::atomic<qint64> FTotal{0};
    std::atomic<bool> FCancelled{false};
};
