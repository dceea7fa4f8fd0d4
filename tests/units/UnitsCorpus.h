#pragma once
// The corpus's compiled unit files and the sources beside them.

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QString>
#include <QStringList>

inline QString UnitsCorpusDir()
{
    return QStringLiteral(QUILLON_CORPUS_DIR);
}

inline bool UnitsCorpusPresent()
{
    return QDir(UnitsCorpusDir()).exists();
}

inline QStringList CorpusFiles(const QString &below, const QString &mask)
{
    QStringList files;
    QDirIterator it(below, {mask}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << it.next();
    files.sort();
    return files;
}

// The source of a compiled unit: beside it, else the one of its name anywhere in its case's folder.
inline QString SourceBeside(const QString &dcuPath)
{
    const QFileInfo dcu(dcuPath);
    const QString beside = dcu.path() + u'/' + dcu.completeBaseName() + QStringLiteral(".pas");
    if (QFileInfo::exists(beside))
        return beside;
    const QString relative = QDir(UnitsCorpusDir()).relativeFilePath(dcuPath);
    const QString caseRoot = UnitsCorpusDir() + u'/' + relative.section(u'/', 0, 0);
    for (const QString &path : CorpusFiles(caseRoot, QStringLiteral("*.pas")))
        if (QFileInfo(path).completeBaseName().compare(dcu.completeBaseName(), Qt::CaseInsensitive) == 0)
            return path;
    return {};
}
