#pragma once
// Helpers of the program's tests: a hand-driven clock and timer queue, a closer of the modal
// message dialogs; small MAP files come from the shared MapFileWriter.

#include "controls/ICCClock.h"
#include "controls/TTimerQueue.h"
#include "support/MapFileWriter.h"

#include <QEvent>
#include <QObject>
#include <QSettings>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>

#include <map>
#include <memory>

// Fake time: every reading advances it by Step milliseconds and fires the queue's timers that fell
// due, so a long scan can be simulated without waiting.
class TFakeTime : public TICCClock, public TTimerQueue
{
public:
    qint64 Step = 20;
    mutable int Readings = 0;
    // Called at every reading, after the timers.
    std::function<void(qint64 now)> OnReading;

    qint64 NowMs() const override;
    std::unique_ptr<TICCTimer> CreateTimer(std::function<void()> onTimeout) override;
    std::uintptr_t CreateTimer(std::uint32_t dueMs, std::uint32_t periodMs, TCallback callback) override;
    void DeleteTimer(std::uintptr_t handle) override;
    // The due times asked for, in order.
    std::vector<std::uint32_t> DueTimes;

private:
    struct TEntry
    {
        qint64 Due;
        std::uint32_t Period;
        TCallback Callback;
    };
    mutable qint64 FNow = 1000;
    mutable std::map<std::uintptr_t, TEntry> FTimers;
    std::uintptr_t FNextHandle = 1;
};

// Counts the events of one type that reach the objects it filters.
class TEventCounter : public QObject
{
public:
    explicit TEventCounter(QEvent::Type type) : FType(type) {}
    int Count = 0;
    bool eventFilter(QObject *, QEvent *event) override
    {
        Count += event->type() == FType;
        return false;
    }

private:
    QEvent::Type FType;
};

// Closes every modal message dialog that opens while it lives, keeping the texts it showed.
class TMessageCatcher
{
public:
    TMessageCatcher();
    QStringList Messages;
    // Called while each dialog is open, before it is closed.
    std::function<void()> OnMessage;

private:
    QTimer FTimer;
};

// User settings of the test in a folder of its own.
class TTemporarySettings
{
public:
    TTemporarySettings();
    ~TTemporarySettings();
    QString Path() const { return FFolder.path(); }

private:
    QTemporaryDir FFolder;
};

class TQuillonMain;
// The window reads a run's MAP file on a thread of its own: returns once its run has ended, false
// when it has not within a minute.
bool WaitForRun(const TQuillonMain &window);

QString SourceDir();
QString CorpusDir();
