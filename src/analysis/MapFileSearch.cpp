#include "analysis/MapFileSearch.h"

#include "analysis/ProjectFiles.h"
#include "base/UFileUtils.h"

#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

bool IsMapFileName(const QString &path)
{
    return QFileInfo(path).suffix().compare(u"map"_s, Qt::CaseInsensitive) == 0;
}

bool IsProjectOrExecutableName(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix();
    for (const QString &named : {u"dpr"_s, u"dpk"_s, u"exe"_s, u"dll"_s, u"bpl"_s})
        if (suffix.compare(named, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

TMapFileSearch FindMapFileFor(const QString &path)
{
    static const char16_t *const OutputFolders[] = {u"", u"Win32/Debug/", u"Win32/Release/", u"Win64/Debug/",
                                                    u"Win64/Release/"};
    const QFileInfo named(path);
    const QString folder = named.absolutePath() + u'/';
    const QString mapName = PathChangeExt(named.fileName(), u".map"_s);
    TMapFileSearch search;
    for (const char16_t *outputFolder : OutputFolders) {
        const QString candidate = folder + QString::fromUtf16(outputFolder) + mapName;
        search.Candidates << candidate;
        const QString local = ResolveWindowsPath(candidate);
        if (search.MapFile.isEmpty() && !local.isEmpty() && QFileInfo(local).isFile())
            search.MapFile = local;
    }
    return search;
}
