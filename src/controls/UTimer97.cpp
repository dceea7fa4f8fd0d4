#include "controls/UTimer97.h"

#include "controls/TTimerQueue.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFileInfo>
#include <algorithm>
#include <atomic>
#include <mutex>
#include <vector>

namespace {

// The tick message; the handler owns every event of this type it receives.
const QEvent::Type TickEvent = static_cast<QEvent::Type>(QEvent::User + 1024);

class TTickEvent : public QEvent
{
public:
    TTickEvent(TTimer97 *timer, std::uint64_t generation)
        : QEvent(TickEvent), Timer(timer), Generation(generation)
    {}
    TTimer97 *const Timer;
    const std::uint64_t Generation;
};

std::atomic<std::uint64_t> LastGeneration{0};

std::unique_ptr<TTimer97Handler> &HandlerInstance()
{
    static std::unique_ptr<TTimer97Handler> handler;
    return handler;
}

// The handler is not made inside the development environment nor for a program run from a ".tmp" file.
bool IsOrdinaryProgram()
{
    const QString program = QCoreApplication::applicationFilePath();
    return !program.toLower().contains(QLatin1String("bds")) &&
           QFileInfo(program).suffix().compare(QLatin1String("tmp"), Qt::CaseInsensitive) != 0;
}

} // namespace

struct TTimer97Handler::TState
{
    mutable std::mutex Lock;
    std::vector<TTimer97 *> Running;
    std::unique_ptr<TTimerQueue> Queue;
};

TTimer97::TTimer97(QObject *owner) : QObject(owner)
{
    Start();
}

TTimer97::~TTimer97()
{
    FDestroying = true;
    Stop();
}

void TTimer97::SetEnabled(bool value)
{
    if (value)
        Start();
    else
        Stop();
}

void TTimer97::SetInterval(std::uint32_t value)
{
    value = std::max(value, MinInterval);
    if (value == FInterval)
        return;
    FInterval = value;
    if (FEnabled) {
        Stop();
        Start();
    }
}

void TTimer97::DoTimer()
{
    if (OnTimer)
        OnTimer(this);
}

void TTimer97::Start()
{
    if (FEnabled)
        return;
    FEnabled = true;
    FGeneration = ++LastGeneration;
    if (TTimer97Handler *handler = Timer97Handler())
        handler->StartTimer(this);
}

void TTimer97::Stop()
{
    if (!FEnabled)
        return;
    FEnabled = false;
    if (FQueueTimer == 0)
        return;
    if (TTimer97Handler *handler = Timer97Handler())
        handler->StopTimer(this);
}

TTimer97Handler::TTimer97Handler(std::unique_ptr<TTimerQueue> queue) : FState(std::make_unique<TState>())
{
    FState->Queue = std::move(queue);
}

TTimer97Handler::~TTimer97Handler()
{
    {
        const std::lock_guard guard(FState->Lock);
        for (TTimer97 *timer : FState->Running)
            timer->FQueueTimer = 0;
        FState->Running.clear();
    }
    // Deleting the queue waits for its running callbacks.
    FState->Queue.reset();
}

bool TTimer97Handler::IsRunning(const TTimer97 *timer) const
{
    const std::lock_guard guard(FState->Lock);
    return std::find(FState->Running.begin(), FState->Running.end(), timer) != FState->Running.end();
}

void TTimer97Handler::StartTimer(TTimer97 *timer)
{
    const std::lock_guard guard(FState->Lock);
    const std::uint64_t generation = timer->FGeneration;
    timer->FQueueTimer = FState->Queue->CreateTimer(
        timer->FInterval, timer->FInterval, [this, timer, generation] { PostTick(timer, generation); });
    FState->Running.push_back(timer);
}

void TTimer97Handler::StopTimer(TTimer97 *timer)
{
    const std::lock_guard guard(FState->Lock);
    FState->Queue->DeleteTimer(timer->FQueueTimer);
    timer->FQueueTimer = 0;
    std::erase(FState->Running, timer);
}

// Runs on the timer thread: it only posts, the timer itself is not touched there.
void TTimer97Handler::PostTick(TTimer97 *timer, std::uint64_t generation)
{
    QCoreApplication::postEvent(this, new TTickEvent(timer, generation));
}

bool TTimer97Handler::event(QEvent *event)
{
    if (event->type() != TickEvent)
        return QObject::event(event);
    const auto *tick = static_cast<TTickEvent *>(event);
    {
        const std::lock_guard guard(FState->Lock);
        const bool running =
            std::find(FState->Running.begin(), FState->Running.end(), tick->Timer) != FState->Running.end();
        if (!running || tick->Timer->FGeneration != tick->Generation || tick->Timer->FDestroying)
            return true;
    }
    tick->Timer->DoTimer();
    return true;
}

void CreateTimer97Handler()
{
    if (IsOrdinaryProgram())
        CreateTimer97Handler(std::make_unique<TThreadTimerQueue>());
}

void CreateTimer97Handler(std::unique_ptr<TTimerQueue> queue)
{
    HandlerInstance() = std::make_unique<TTimer97Handler>(std::move(queue));
}

void FreeTimer97Handler()
{
    HandlerInstance().reset();
}

TTimer97Handler *Timer97Handler()
{
    return HandlerInstance().get();
}
