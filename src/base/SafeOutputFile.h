#pragma once
// An output file that never harms the files a run reads and never leaves a half-written output
// behind. A target that is one of the run's inputs (the same file, whatever path, symbolic link or
// hard link names it) is refused before anything is written. The output goes to a temporary file
// beside the target, renamed over it only by Commit, so a run that fails or is interrupted leaves
// the old output as it was. A target that is a pipe or a device (/dev/null, /dev/stdout) cannot be
// replaced by a rename: it is written in place.

#include <QByteArrayView>
#include <QFile>
#include <QSaveFile>
#include <QString>
#include <QStringList>

#include <memory>

class TSafeOutputFile
{
public:
    explicit TSafeOutputFile(const QString &FileName);
    // Without Commit the temporary file is removed and the target stays as it was.
    ~TSafeOutputFile();
    TSafeOutputFile(const TSafeOutputFile &) = delete;
    TSafeOutputFile &operator=(const TSafeOutputFile &) = delete;

    // The first of Inputs that is the same file as Output, links followed; empty when none is (a
    // target that does not exist yet is none of them).
    static QString InputNamedBy(const QString &Output, const QStringList &Inputs);

    // Opens the temporary file (or the pipe or device); false with the reason in Error.
    bool Open(QString &Error);
    // Where the output is written, once open.
    QIODevice &Device();
    // Writes what is left and puts the output in the target's place; false with the reason in
    // Error, the target then as it was.
    bool Commit(QString &Error);

    const QString &FileName() const { return FFileName; }

    // Open, write Bytes and Commit in one step, for outputs made whole in memory.
    static bool Write(const QString &FileName, QByteArrayView Bytes, QString &Error);

private:
    QString FFileName;
    std::unique_ptr<QSaveFile> FReplacing;
    std::unique_ptr<QFile> FInPlace;
};
