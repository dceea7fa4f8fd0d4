#pragma once
// The analysis reads files, so the file targets write each input into a private temporary folder.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

inline const QString &FuzzFolder()
{
    static QTemporaryDir folder;
    static const QString path = folder.path() + u'/';
    return path;
}

inline QString WriteFuzzFile(const QString &name, const uint8_t *data, size_t size)
{
    const QString path = FuzzFolder() + name;
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(reinterpret_cast<const char *>(data), qint64(size));
    return path;
}
