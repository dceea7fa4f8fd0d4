#pragma once
// Watches the analysed MAP file for the next build. A linker writes the file over a while, and a
// half-written file would be read as a smaller program: a change is reported only once the file has
// been quiet for QuietMs and ends as a MAP file does, with its "Program entry point at" line.

#include <QDateTime>
#include <QFileSystemWatcher>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class TICCClock;
class TICCTimer;

class TMapFileWatcher : public QObject
{
    Q_OBJECT
public:
    static constexpr int QuietMs = 1000;
    static constexpr int PollMs = 250;

    explicit TMapFileWatcher(std::shared_ptr<TICCClock> clock, QObject *parent = nullptr);
    ~TMapFileWatcher() override;

    // Watches the file as it is now, the state just analysed; an empty name stops watching.
    void Watch(const QString &fileName);
    QString FileName() const { return FFileName; }
    // Looks at the file: the file system's notices and the poll timer call it.
    void Check();

    // The file changed, has been quiet since and ends as a MAP file does.
    std::function<void(const QString &fileName)> OnChanged;
    // The file changed and has been quiet since, but is gone or does not end as a MAP file does.
    std::function<void(const QString &fileName, const QString &problem)> OnUnfinished;

private:
    struct TSignature
    {
        qint64 Size = -1; // -1: no such file
        QDateTime Modified;
        bool operator==(const TSignature &) const = default;
    };
    TSignature Current() const;
    void Rewatch();

    std::shared_ptr<TICCClock> FClock;
    std::unique_ptr<TICCTimer> FTimer;
    QFileSystemWatcher FWatcher;
    QString FFileName;
    TSignature FKnown;    // the state last analysed or reported
    TSignature FLastSeen; // while a change settles
    qint64 FLastChangeMs = 0;
    bool FSettling = false;
};

// True when the text ends with a line break and its last line that is not blank says where the
// program starts, as every MAP file the linker finished does.
bool EndsAsMapFile(const QString &fileName);
