#pragma once
// Large folder trees for the scan tests: empty files made with one system call each, so that a
// hundred thousand of them take seconds, not minutes.

#include <QDir>
#include <QFile>
#include <QString>

#include <fcntl.h>
#include <unistd.h>

// Creates `folder` (ending with "/") and the empty files U0.dcu to U<count - 1>.dcu in it; false when
// one of them cannot be made.
inline bool CreateEmptyUnitFiles(const QString &folder, int count)
{
    QDir().mkpath(folder);
    for (int i = 0; i < count; ++i) {
        const int fd = creat(QFile::encodeName(folder + QStringLiteral("U%1.dcu").arg(i)).constData(), 0644);
        if (fd < 0)
            return false;
        close(fd);
    }
    return true;
}
