#include "AppTestSupport.h"

#include "app/FMain.h"
#include "controls/UStdMessageDlg.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTest>

#include <vector>

qint64 TFakeTime::NowMs() const
{
    FNow += Step;
    ++Readings;
    // A callback may stop or start timers: the due ones are found first, and each is looked up again.
    std::vector<std::uintptr_t> due;
    for (const auto &[handle, entry] : FTimers)
        if (entry.Due <= FNow)
            due.push_back(handle);
    for (const std::uintptr_t handle : due) {
        const auto found = FTimers.find(handle);
        if (found == FTimers.end())
            continue;
        found->second.Due =
            found->second.Period ? FNow + found->second.Period : std::numeric_limits<qint64>::max();
        const TCallback callback = found->second.Callback;
        callback();
    }
    if (OnReading)
        OnReading(FNow);
    return FNow;
}

namespace {

// A timer of the fake time's queue: it fires when a reading of the time passes its due time.
class TFakeTimer : public TICCTimer
{
public:
    TFakeTimer(TFakeTime &time, std::function<void()> onTimeout)
        : FTime(time), FOnTimeout(std::move(onTimeout))
    {}
    ~TFakeTimer() override { Stop(); }
    void Start(int intervalMs) override
    {
        Stop();
        FInterval = intervalMs;
        FHandle =
            FTime.CreateTimer(std::uint32_t(intervalMs), std::uint32_t(intervalMs), [this] { FOnTimeout(); });
    }
    void Stop() override
    {
        if (FHandle)
            FTime.DeleteTimer(FHandle);
        FHandle = 0;
    }
    bool IsActive() const override { return FHandle != 0; }
    int Interval() const override { return FInterval; }

private:
    TFakeTime &FTime;
    std::function<void()> FOnTimeout;
    std::uintptr_t FHandle = 0;
    int FInterval = 0;
};

} // namespace

std::unique_ptr<TICCTimer> TFakeTime::CreateTimer(std::function<void()> onTimeout)
{
    return std::make_unique<TFakeTimer>(*this, std::move(onTimeout));
}

std::uintptr_t TFakeTime::CreateTimer(std::uint32_t dueMs, std::uint32_t periodMs, TCallback callback)
{
    DueTimes.push_back(dueMs);
    FTimers[FNextHandle] = {FNow + dueMs, periodMs, std::move(callback)};
    return FNextHandle++;
}

void TFakeTime::DeleteTimer(std::uintptr_t handle)
{
    FTimers.erase(handle);
}

TMessageCatcher::TMessageCatcher()
{
    QObject::connect(&FTimer, &QTimer::timeout, [this] {
        if (auto *dialog = qobject_cast<TStdMessageDlg *>(QApplication::activeModalWidget())) {
            Messages << dialog->DisplayText();
            if (OnMessage)
                OnMessage();
            dialog->reject();
        }
    });
    FTimer.start(10);
}

namespace {

// Windows keeps native settings in the registry, which no path redirects: each test starts and
// ends with the program's key empty. The tests run there in the Wine prefix of
// scripts/build-windows.sh, whose settings are the tests' own.
void ClearRegistrySettings()
{
#ifdef Q_OS_WIN
    QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Brackwell"),
              QStringLiteral("Quillon"))
        .clear();
#endif
}

} // namespace

TTemporarySettings::TTemporarySettings()
{
    // The program's names, as its main sets them: the window's own settings and its form storage
    // then share one store, and Windows' registry refuses a store without an organisation.
    QCoreApplication::setOrganizationName(QStringLiteral("Brackwell"));
    QCoreApplication::setApplicationName(QStringLiteral("Quillon"));
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, FFolder.path());
    ClearRegistrySettings();
}

TTemporarySettings::~TTemporarySettings()
{
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       QDir::tempPath() + QStringLiteral("/quillon-no-settings"));
    ClearRegistrySettings();
}

bool WaitForRun(const TQuillonMain &window)
{
    return QTest::qWaitFor([&window] { return !window.RunActive(); }, 60000);
}

QString SourceDir()
{
    return QStringLiteral(QUILLON_SOURCE_DIR);
}

QString CorpusDir()
{
    return QStringLiteral(QUILLON_CORPUS_DIR);
}
