#include "controls/ICCClock.h"

#include <QElapsedTimer>
#include <QTimer>

namespace {

class TQtTimer : public TICCTimer
{
public:
    explicit TQtTimer(std::function<void()> onTimeout)
    {
        QObject::connect(&FTimer, &QTimer::timeout, [callback = std::move(onTimeout)] { callback(); });
    }
    void Start(int intervalMs) override { FTimer.start(intervalMs); }
    void Stop() override { FTimer.stop(); }
    bool IsActive() const override { return FTimer.isActive(); }
    int Interval() const override { return FTimer.interval(); }

private:
    QTimer FTimer;
};

class TSystemClock : public TICCClock
{
public:
    TSystemClock() { FElapsed.start(); }
    qint64 NowMs() const override { return FElapsed.elapsed(); }
    std::unique_ptr<TICCTimer> CreateTimer(std::function<void()> onTimeout) override
    {
        return std::make_unique<TQtTimer>(std::move(onTimeout));
    }

private:
    QElapsedTimer FElapsed;
};

} // namespace

std::shared_ptr<TICCClock> SystemClock()
{
    static const std::shared_ptr<TICCClock> clock = std::make_shared<TSystemClock>();
    return clock;
}
