#include "units/UnitGraphBuilder.h"

#include "base/XLists.h"
#include "units/DcuUses.h"
#include "units/SourceUses.h"

#include <QDir>
#include <QFileInfo>

#include <QHash>
#include <deque>

using namespace Qt::Literals::StringLiterals;

namespace {

// A name as a source writes it ("SysUtils") among the graph's ("System.SysUtils"): the same name
// ignoring case, else the one unit whose name ends with "." and it.
class TUnitNameResolver
{
public:
    explicit TUnitNameResolver(TUnitGraph &graph) : FGraph(graph)
    {
        for (int i = 0; i < graph.Count(); ++i)
            AddSuffixes(i);
    }

    std::optional<int> Find(const QString &name) const
    {
        if (auto exact = FGraph.IndexOf(name))
            return exact;
        const int unit = FSuffixes.value(name.toLower(), -1);
        return unit < 0 ? std::nullopt : std::optional<int>(unit);
    }

    int Add(const QString &name)
    {
        const int unit = FGraph.AddUnit(name, 0);
        AddSuffixes(unit);
        return unit;
    }

private:
    void AddSuffixes(int unit)
    {
        const QString name = FGraph.Node(unit).Name.toLower();
        for (qsizetype dot = name.indexOf(u'.'); dot >= 0; dot = name.indexOf(u'.', dot + 1)) {
            const QString suffix = name.mid(dot + 1);
            const auto it = FSuffixes.find(suffix);
            if (it == FSuffixes.end())
                FSuffixes.insert(suffix, unit);
            else if (*it != unit)
                *it = -1; // two units end so: the short name decides nothing
        }
    }

    TUnitGraph &FGraph;
    QHash<QString, int> FSuffixes;
};

// The files below the search folder by bare name, lower case: the first .dcu of a name found stays,
// and of the sources the first .pas, else the first .dpr, else the first .dpk.
struct TFoundFiles
{
    QHash<QString, QString> Dcu;
    QHash<QString, QString> Sources;
};

TFoundFiles FindFiles(const QString &folder, const TCollectFilesProgressEvent &progress)
{
    TFoundFiles found;
    if (folder.isEmpty())
        return found;
    // One walk for the four kinds: the tree is read once, however large.
    static const QStringList extensions{u"dcu"_s, u"pas"_s, u"dpr"_s, u"dpk"_s};
    QStringList masks;
    for (const QString &extension : extensions)
        masks << u"*."_s + extension;
    auto files = NewXStringList();
    CollectFiles(folder, masks, *files, true, progress);
    QHash<QString, int> sourceRanks;
    for (int i = 0; i < files->Count(); ++i) {
        const QString path = files->Get(i);
        const qsizetype slash = path.lastIndexOf(u'/');
        const qsizetype dot = path.lastIndexOf(u'.');
        const QString key = path.mid(slash + 1, dot - slash - 1).toLower();
        const int rank = int(extensions.indexOf(path.mid(dot + 1).toLower()));
        if (rank == 0) {
            if (!found.Dcu.contains(key))
                found.Dcu.insert(key, path);
        } else if (const auto known = sourceRanks.constFind(key); known == sourceRanks.cend() || rank < *known) {
            sourceRanks.insert(key, rank);
            found.Sources.insert(key, path);
        }
    }
    return found;
}

// The project file: the MAP's name or the program's with ".dpr" or ".dpk", in the MAP's folder or
// above it as the engine finds it, else below the search folder.
QString FindProjectFile(const TUnitGraphSources &sources, const QString &program, const TFoundFiles &found)
{
    const QFileInfo map(sources.MapFileName);
    QStringList names{map.completeBaseName() + u".dpr"_s, program + u".dpr"_s, program + u".dpk"_s};
    for (QDir dir(map.absolutePath());;) {
        for (const QString &name : names) {
            const QString path = ResolveWindowsPath(dir.filePath(name));
            if (!path.isEmpty())
                return QFileInfo(path).absoluteFilePath();
        }
        if (!dir.cdUp())
            break;
    }
    const QString path = found.Sources.value(program.toLower());
    return path.endsWith(u".pas"_s, Qt::CaseInsensitive) ? QString() : path;
}

class TGraphBuilder
{
public:
    TGraphBuilder(const TUnitGraphSources &sources, TUnitGraphBuild &build, TFoundFiles found)
        : FSources(sources), FBuild(build), FFound(std::move(found)), FResolver(build.Graph)
    {}

    void Build(int root)
    {
        FBuild.ProjectFile = FindProjectFile(FSources, FBuild.Graph.Node(root).Name, FFound);
        for (int i = 0; i < FBuild.Graph.Count(); ++i)
            FPending.push_back(i);
        while (!FPending.empty()) {
            const int unit = FPending.front();
            FPending.pop_front();
            if (unit == root)
                ReadProgramUses(root);
            else
                ReadUnitUses(unit);
        }
        FBuild.Graph.SetRoot(root);
        FBuild.Graph.Compute();
    }

private:
    void ReadProgramUses(int root)
    {
        if (!FBuild.ProjectFile.isEmpty()) {
            try {
                const TSourceUses uses = ReadSourceUsesFile(FBuild.ProjectFile);
                Note(FBuild.ProjectFile, uses.Notes);
                const QString folder = QFileInfo(FBuild.ProjectFile).absolutePath() + u'/';
                for (const TUsedUnit &used : uses.Lists.Interface)
                    if (!used.Path.isEmpty())
                        FPaths.insert(used.Name.toLower(), folder + used.Path);
                SetUses(root, uses.Lists, TUsesOrigin::Source);
                return;
            } catch (const ESourceUsesError &e) {
                FBuild.Notes << FBuild.ProjectFile + u": "_s + e.Message();
            }
        }
        if (!FSources.PackageInfo)
            return;
        // The units no other unit pulled in are the ones the program names itself.
        TUsesLists lists;
        lists.IsProgram = true;
        const QString program = FBuild.Graph.Node(root).Name;
        for (const TPackageUnit &unit : FSources.PackageInfo->Contains)
            if (unit.NamedByProgram() && (unit.Flags & TPackageUnit::MainUnit) == 0 &&
                unit.Name.compare(program, Qt::CaseInsensitive) != 0 &&
                unit.Name.compare(u"System"_s, Qt::CaseInsensitive) != 0 &&
                unit.Name.compare(u"SysInit"_s, Qt::CaseInsensitive) != 0)
                lists.Interface.push_back(TUsedUnit{unit.Name, {}, true, false});
        SetUses(root, lists, TUsesOrigin::Exe);
    }

    void ReadUnitUses(int unit)
    {
        const QString key = FBuild.Graph.Node(unit).Name.toLower();
        if (const QString dcu = FFound.Dcu.value(key); !dcu.isEmpty()) {
            try {
                SetUses(unit, ReadDcuUsesFile(dcu).Lists, TUsesOrigin::Dcu);
                return;
            } catch (const EDcuFormatError &e) {
                FBuild.Notes << dcu + u": "_s + e.Message();
            }
        }
        QString source;
        if (FPaths.contains(key))
            source = ResolveWindowsPath(FPaths.value(key));
        if (source.isEmpty())
            source = FFound.Sources.value(key);
        if (source.isEmpty())
            return;
        try {
            const TSourceUses uses = ReadSourceUsesFile(source);
            Note(source, uses.Notes);
            SetUses(unit, uses.Lists, TUsesOrigin::Source);
        } catch (const ESourceUsesError &e) {
            FBuild.Notes << source + u": "_s + e.Message();
        }
    }

    void Note(const QString &file, const QStringList &notes)
    {
        for (const QString &note : notes)
            FBuild.Notes << file + u": "_s + note;
    }

    void SetUses(int unit, const TUsesLists &lists, TUsesOrigin origin)
    {
        std::vector<TUnitEdge> edges;
        // Every unit uses System and SysInit without naming them; compiled units list them.
        if (origin != TUsesOrigin::Dcu)
            for (const QString &implicit : {u"System"_s, u"SysInit"_s})
                if (const auto to = FBuild.Graph.IndexOf(implicit))
                    edges.push_back(TUnitEdge{*to,
                                              lists.IsProgram ? TUsesKind::Program : TUsesKind::Interface,
                                              origin, true, false});
        const auto add = [&](const std::vector<TUsedUnit> &list, TUsesKind kind) {
            for (const TUsedUnit &used : list)
                edges.push_back(TUnitEdge{Resolve(used.Name), kind, origin, used.Imports, used.Conditional});
        };
        add(lists.Interface, lists.IsProgram ? TUsesKind::Program : TUsesKind::Interface);
        add(lists.Implementation, TUsesKind::Implementation);
        FBuild.Graph.SetUses(unit, edges);
    }

    // A unit the MAP does not list has no code of its own but is linked all the same: it becomes a
    // node of size 0 whose own uses are read in turn.
    int Resolve(const QString &name)
    {
        if (const auto unit = FResolver.Find(name))
            return *unit;
        const int unit = FResolver.Add(name);
        FPending.push_back(unit);
        return unit;
    }

    const TUnitGraphSources &FSources;
    TUnitGraphBuild &FBuild;
    TFoundFiles FFound;
    TUnitNameResolver FResolver;
    std::deque<int> FPending;
    // The project file's "Name in 'path'" entries, lower-case names.
    QHash<QString, QString> FPaths;
};

} // namespace

TUnitGraphBuild BuildUnitGraph(const TUnitGraphSources &Sources, const TCollectFilesProgressEvent &Progress)
{
    TUnitGraphBuild build;
    // A unit the MAP lists twice (code in two segments) is one node with both sizes.
    std::vector<qint64> sizes;
    for (const TLinkedUnit &unit : Sources.Units) {
        const int index = build.Graph.AddUnit(unit.Name, 0);
        sizes.resize(size_t(build.Graph.Count()));
        sizes[size_t(index)] += unit.CodeSize;
    }
    for (int i = 0; i < build.Graph.Count(); ++i)
        build.Graph.SetCodeSize(i, sizes[size_t(i)]);
    if (Sources.Units.empty())
        return build;
    const int root = *build.Graph.IndexOf(Sources.Units.back().Name);
    TGraphBuilder(Sources, build, FindFiles(Sources.SearchFolder, Progress)).Build(root);
    return build;
}
