#include "analysis/ProjectFiles.h"

#include "base/Strings.h"
#include "base/UFormat.h"
#include "base/XLists.h"

#include <QDir>

namespace {

using namespace Qt::Literals::StringLiterals;

bool IsSeparator(QChar c)
{
    return c == u'\\' || c == u'/';
}

qsizetype LastSeparator(const QString &path, qsizetype before)
{
    for (qsizetype i = std::min(before, path.size()) - 1; i >= 0; --i)
        if (IsSeparator(path[i]))
            return i;
    return -1;
}

QString BareName(const QString &path)
{
    return PathChangeExt(PathFileName(path), QString());
}

// The folder one level up: the text up to its last separator other than the final one; empty when
// there is none.
QString ParentFolder(const QString &folder)
{
    const qsizetype separator = LastSeparator(folder, folder.size() - 1);
    return separator < 0 ? QString() : folder.left(separator + 1);
}

} // namespace

QString PathFileName(const QString &path)
{
    for (qsizetype i = path.size() - 1; i >= 0; --i)
        if (IsSeparator(path[i]) || path[i] == u':')
            return path.mid(i + 1);
    return path;
}

QString PathChangeExt(const QString &path, const QString &extension)
{
    for (qsizetype i = path.size() - 1; i >= 0; --i) {
        if (path[i] == u'.')
            return path.left(i) + extension;
        if (IsSeparator(path[i]) || path[i] == u':')
            break;
    }
    return path + extension;
}

QString ProjectUnitClause(const QString &line)
{
    static const QString marker = u" in '"_s;
    const qsizetype at = PosStr(line, marker);
    if (at == 0)
        return line + u'=';
    const QString rest = CopyAfterPos(line, at + marker.size() - 1);
    const qsizetype quote = PosChar(rest, u'\'');
    const QString path = quote == 0 ? rest : CopyBeforePos(rest, quote);
    return CopyBeforePos(line, at) + u'=' + path;
}

QString ProjectFileNameFor(const QString &mapFileName)
{
    return PathChangeExt(PathFileName(mapFileName), u".dpr"_s);
}

QString ProjectFileMissingMessage(const QString &projectName)
{
    return Format(
        u"Couldn't locate project file (%s).\r\nsizes for DFM with relative paths will be incorrect."_s,
        {projectName});
}

QString FindProjectFile(const QString &mapFileName)
{
    const QString programName = ProjectFileNameFor(mapFileName);
    const QString packageName = PathChangeExt(programName, u".dpk"_s);
    QString folder = mapFileName.left(LastSeparator(mapFileName, mapFileName.size()) + 1);
    for (;;) {
        for (const QString &name : {programName, packageName}) {
            const QString projectFile = ResolveWindowsPath(folder + name);
            if (!projectFile.isEmpty())
                return projectFile;
        }
        const QString parent = ParentFolder(folder);
        if (parent.isEmpty() || parent == folder)
            return {};
        folder = parent;
    }
}

void BuildProjectUnitPaths(const QString &mapFileName, TXStringList &Units, const TAnalysisMessageProc &Warn)
{
    const QString projectFile = FindProjectFile(mapFileName);
    if (projectFile.isEmpty()) {
        if (Warn)
            Warn(ProjectFileMissingMessage(ProjectFileNameFor(mapFileName)));
        return;
    }

    // A failure to change the folder is ignored: relative form paths then resolve where they can.
    const QString projectFolder = projectFile.left(LastSeparator(projectFile, projectFile.size()) + 1);
    if (!projectFolder.isEmpty())
        QDir::setCurrent(projectFolder);
    Units.LoadFromFile(projectFile);
    for (int i = 0; i < Units.Count(); ++i)
        if (!StrContainsText(Units.Get(i), u" in '"))
            Units.Put(i, QString());
    Units.Pack();
    Units.TrimAll();
    for (int i = 0; i < Units.Count(); ++i)
        Units.Put(i, ProjectUnitClause(Units.Get(i)));
}

std::unique_ptr<TXStringList> BuildFormResourceList(const QStringList &FormResourceLines,
                                                    const TXStringList &ProjectUnits)
{
    auto forms = NewXStringList();
    for (const QString &line : FormResourceLines) {
        QString path = line;
        if (LastSeparator(line, line.size()) < 0) {
            const int unit = ProjectUnits.IndexOfName(PathChangeExt(line, QString()));
            if (unit >= 0)
                path = PathChangeExt(ProjectUnits.GetValueFromIndex(unit), u".dfm"_s);
        }
        const QString local = ResolveWindowsPath(path);
        const qint64 size = local.isEmpty() ? -1 : FileSizeByName(local);
        if (size >= 0)
            forms->AddData(BareName(path), size);
    }
    forms->SetSorted(true);
    return forms;
}

std::unique_ptr<TXStringList> ScanCompiledUnits(const QString &Folder,
                                                const TCollectFilesProgressEvent &Progress,
                                                TCollectFilesCounts *Counts)
{
    auto units = NewXStringList();
    CollectFiles(Folder, u"*.dcu"_s, *units, true, Progress, Counts);
    // Sizing a hundred thousand files takes as long as finding them, so progress goes on; an abort
    // only ever ends the descent, and every unit found is sized.
    constexpr int ProgressFiles = 1024;
    for (int i = 0; i < units->Count(); ++i) {
        const QString path = units->Get(i);
        if (i % ProgressFiles == ProgressFiles - 1 && Progress) {
            bool abort = false;
            Progress(path.left(path.lastIndexOf(u'/') + 1), abort);
        }
        units->SetData(i, FileSizeByName(path));
        units->Put(i, BareName(path));
    }
    units->SetCaseSensitive(false);
    units->SetSorted(true);
    return units;
}
