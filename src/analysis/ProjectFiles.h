#pragma once
// The side files of a run: the project file's unit clauses (found by walking up from the MAP
// file's folder), the sizes of the bound form resources, and the compiled unit files below the
// search folder. Paths read from Windows input files resolve as Windows paths do.

#include "base/UFileUtils.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class TXStringList;

using TAnalysisMessageProc = std::function<void(const QString &Message)>;

// The project file of a MAP file: its name with ".dpr", or ".dpk" for a package, in the MAP file's
// folder or the nearest folder above it; empty when there is none.
QString FindProjectFile(const QString &mapFileName);

// Finds the project file (FindProjectFile), makes that folder the current one (it stays so, and relative
// form-resource paths resolve there), and fills Units with one "name=source path" item per unit clause. When
// there is no project file it reports so through Warn and leaves Units empty. Raises the string list's error
// when the project file exists but cannot be read.
void BuildProjectUnitPaths(const QString &mapFileName, TXStringList &Units, const TAnalysisMessageProc &Warn);

// The project file's name without folder: the MAP file's name with the extension ".dpr".
QString ProjectFileNameFor(const QString &mapFileName);
// What Warn hears when no project file lies above the MAP file.
QString ProjectFileMissingMessage(const QString &projectName);

// "UnitA in '..\src\UnitA.pas' {FormA}," gives "UnitA=..\src\UnitA.pas".
QString ProjectUnitClause(const QString &line);

// One item per bound form resource that exists: its bare name with its file size. Bare names are
// looked up in the project's unit clauses, so a form lies beside its unit's source. Sorted by
// CompareText.
std::unique_ptr<TXStringList> BuildFormResourceList(const QStringList &FormResourceLines,
                                                    const TXStringList &ProjectUnits);

// One item per compiled unit file below Folder: its bare name with its file size (-1 when it
// vanished since the scan). Sorted by CompareText. Progress is called during the descent, where it
// may abort it, and while the files found are sized; Counts, when given, follows the descent.
std::unique_ptr<TXStringList> ScanCompiledUnits(const QString &Folder,
                                                const TCollectFilesProgressEvent &Progress,
                                                TCollectFilesCounts *Counts = nullptr);

// The file name of a Windows or local path without its folder ("\", "/" or a drive colon).
QString PathFileName(const QString &path);
// The path with the extension of its file name replaced (or added).
QString PathChangeExt(const QString &path, const QString &extension);
