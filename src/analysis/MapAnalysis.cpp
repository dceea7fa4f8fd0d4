#include "analysis/MapAnalysis.h"

#include "analysis/MapFile.h"
#include "analysis/ProjectFiles.h"
#include "analysis/SymbolHierarchy.h"
#include "base/Strings.h"
#include "base/UFormat.h"
#include "base/XLists.h"
#include "tree/TreeGridModel.h"

#include <QFileInfo>

#include <new>

using namespace Qt::Literals::StringLiterals;

namespace {

QUILLON_DECLARE_EXCEPTION(ENotDetailedMapFile, Exception)

// How many ambiguous units the warning names.
constexpr int NamedAmbiguousUnits = 5;

} // namespace

struct TMapAnalysis::TUnitRun
{
    std::unique_ptr<TXStringList> ProjectUnits = NewXStringList();
    std::unique_ptr<TXStringList> CompiledUnits = NewXStringList();
    std::unique_ptr<TXStringList> FormResources;
    TMapText Text;
    TMapFile Map;
    std::vector<qint64> UnitStarts;
    QStringList UnitNames;
    QStringList AmbiguousUnits; // units with more than one compiled unit file
    qint64 HighestUnitEnd = 0;
};

TMapAnalysis::TMapAnalysis(TTreeGridModel &Grid) : FGrid(Grid) {}

void TMapAnalysis::SetupUnitColumns(TTreeGridModel &Grid)
{
    struct TColumnDefinition
    {
        const char16_t *Caption;
        int Width;
        Qt::Alignment Alignment;
        TITVSortKind SortKind;
    };
    static const TColumnDefinition definitions[] = {
        {u"Unit", 275, Qt::AlignLeft, iskText},
        {u"Compiled size", 120, Qt::AlignRight, iskTag},
        {u"%", 55, Qt::AlignRight, iskTag},
        {u"DFM size", 90, Qt::AlignRight, iskData},
        {u"Ratio DCU size", 100, Qt::AlignRight, iskNumeric},
    };
    Grid.Columns().Clear();
    for (const TColumnDefinition &definition : definitions) {
        TITVColumn *column = Grid.Columns().Add();
        column->SetCaption(QString::fromUtf16(definition.Caption));
        column->SetWidth(definition.Width);
        column->SetAlignment(definition.Alignment);
        column->SetSortKind(definition.SortKind);
    }
}

void TMapAnalysis::DoMessage(const QString &Message)
{
    if (OnMessage)
        OnMessage(this, Message);
}

void TMapAnalysis::Fail(TFailure Failure, const QString &Message)
{
    FFailure = Failure;
    FErrorMessage = Message;
    DoMessage(Message);
}

bool TMapAnalysis::MapFileAvailable(const QString &MapFileName)
{
    if (QFileInfo(MapFileName).isFile())
        return true;
    Fail(afMapMissing, Format(u"MAP File \"%s\" not available."_s, {MapFileName}));
    return false;
}

QString TMapAnalysis::SearchFolderProblem(const QString &SearchFolder)
{
    if (SearchFolder.isEmpty())
        return {};
    const QFileInfo folder(SearchFolder);
    if (!folder.exists())
        return Format(u"Search folder \"%s\" does not exist."_s, {SearchFolder});
    if (!folder.isDir())
        return Format(u"Search folder \"%s\" is not a folder."_s, {SearchFolder});
    return {};
}

QString TMapAnalysis::RatioText(qint64 DcuSize, qint32 CodeSize)
{
    // Widened so that the largest code size cannot wrap to a zero or negative divisor.
    const qint64 divisor = qint64(CodeSize) + 1;
    if (divisor == 0)
        return u"-"_s;
    return Format(u"%.1f"_s, {double(DcuSize) / double(divisor)});
}

bool TMapAnalysis::Run(const QString &MapFileName, const std::optional<QString> &SearchFolder)
{
    FFailure = afNone;
    FErrorMessage.clear();
    if (!MapFileAvailable(MapFileName))
        return false;
    FMaxCodeSize = 1;
    FMaxDFMSize = 1;
    FPercentFactor = 0;
    FTotalCodeSize = 0;
    FCodeSegmentLength = 0;
    FShowRoot = false;
    // Mended: resolved now, because the project search changes the current folder before the MAP
    // file is read.
    FMapFileName = QFileInfo(MapFileName).absoluteFilePath();

    TUnitRun run;
    FGrid.BeginUpdate();
    try {
        Execute(FMapFileName, SearchFolder, run);
    } catch (const EAssertionFailed &) {
        FGrid.EndUpdate();
        throw;
    } catch (const EMapFileError &error) {
        Fail(afUnreadable, error.Message());
    } catch (const EInOutError &error) {
        Fail(afUnreadable, error.Message());
    } catch (const ENotDetailedMapFile &error) {
        Fail(afNotDetailed, error.Message());
    } catch (const Exception &error) {
        Fail(afMalformed, error.Message());
    } catch (const std::bad_alloc &) {
        Fail(afUnreadable, Format(u"Not enough memory to analyse \"%s\"."_s, {FMapFileName}));
    }
    if (FFailure != afNone) {
        // Mended: a failed run keeps the rows read so far, with percentages over them, and no
        // symbols to open.
        FSymbols = TCompareDataList();
        FSymbolIndex.Clear();
        FUnitRanges.clear();
        FShowRoot = false;
        FPercentFactor = FTotalCodeSize != 0 ? 100.0 / double(FTotalCodeSize) : 0;
    }
    FGrid.EndUpdate();
    return FFailure == afNone;
}

void TMapAnalysis::Execute(const QString &MapFileName, const std::optional<QString> &SearchFolder,
                           TUnitRun &Run)
{
    FGrid.Clear();
    FSymbols = TCompareDataList();
    FSymbolIndex.Clear();
    FUnitRanges.clear();

    BuildProjectUnitPaths(MapFileName, *Run.ProjectUnits, [this, &MapFileName](const QString &message) {
        if (OnProjectFileMissing)
            OnProjectFileMissing(this, ProjectFileNameFor(MapFileName), QFileInfo(MapFileName).path() + u'/');
        else
            DoMessage(message);
    });
    ScanCompiledUnits(SearchFolder, Run);

    Run.Text = TMapText::LoadFromFile(MapFileName);
    Run.Map = TMapFile::Parse(Run.Text);
    FCodeSegmentLength = Run.Map.CodeSegmentLength;
    Run.FormResources = BuildFormResourceList(Run.Map.FormResourceLines, *Run.ProjectUnits);
    AddUnitRows(Run);
    // Mended: a damaged or binary file (a 2 GB sparse file reads as nothing) was an empty success.
    if (Run.Text.EndsAtNul())
        throw Exception(Format(
            u"MAP File \"%s\" is damaged or not a text file: a NUL byte ends its text (MAP file line %d)."_s,
            {MapFileName, qlonglong(Run.Text.EndLine())}));
    // Mended: any file without a code unit row (an empty file, a project file, a MAP file written
    // with the segment table only) was an empty success.
    if (Run.Map.Units.empty())
        throw ENotDetailedMapFile(Format(
            u"MAP File \"%s\" lists no code units: a detailed MAP file is needed. In Delphi set Project "
            u"Options > Linking > Map file to \"Detailed\" and build the project again."_s,
            {MapFileName}));
    WarnOfAmbiguousCompiledUnits(Run);
    ReadSymbols(Run);

    FPercentFactor = FTotalCodeSize != 0 ? 100.0 / double(FTotalCodeSize) : 0;
    FGrid.SortBy(1, sdDescending);
}

void TMapAnalysis::ScanCompiledUnits(const std::optional<QString> &SearchFolder, TUnitRun &Run)
{
    FScanCounts = TCollectFilesCounts();
    if (!SearchFolder)
        return;
    // Tested here, after the project search made its folder the current one: a relative search
    // folder is scanned from there.
    const QString problem = SearchFolderProblem(*SearchFolder);
    if (!problem.isEmpty()) {
        DoMessage(problem + u" The compiled unit files were not searched: the ratio column stays empty."_s);
        return;
    }
    if (OnScanStarting)
        OnScanStarting(this);
    try {
        Run.CompiledUnits = ::ScanCompiledUnits(*SearchFolder, OnScanProgress, &FScanCounts);
    } catch (...) {
        if (OnScanFinished)
            OnScanFinished(this);
        throw;
    }
    if (OnScanFinished)
        OnScanFinished(this);
}

void TMapAnalysis::AddUnitRows(TUnitRun &Run)
{
    for (const TMapUnitLine &unit : Run.Map.Units) {
        TITreeNode *node = FGrid.Items().AddRoot();
        Run.UnitStarts.push_back(unit.Start);
        Run.UnitNames.append(unit.Name);
        node->SetText(unit.Name);
        // Grouping by address places symbols by the unit's start.
        if (unit.Start < 0)
            throw Exception(
                Format(u"The unit's start address \"%s\" is not hexadecimal (MAP file line %d)."_s,
                       {unit.StartField, qlonglong(unit.Line + 1)}));
        qint32 size = 0;
        try {
            size = StrToInt(u'$' + unit.SizeField);
        } catch (const EConvertError &error) {
            throw EConvertError(
                Format(u"%s (MAP file line %d)"_s, {error.Message(), qlonglong(unit.Line + 1)}));
        }
        node->SetTag(size);
        FUnitRanges[node] = {unit.Start, unit.Start + size};
        FTotalCodeSize += size;
        FMaxCodeSize = std::max(FMaxCodeSize, size);
        Run.HighestUnitEnd = std::max(Run.HighestUnitEnd, unit.Start + size);

        TXStringList *columns = node->ColumnStrings();
        columns->AddObject(QString(), TXObject(size));
        columns->AddObject(QString(), TXObject(size));
        const int form = Run.FormResources->IndexOf(unit.Name);
        if (form >= 0) {
            const qint32 formSize = qint32(Run.FormResources->GetObject(form));
            columns->AddObject(QString(), TXObject(formSize));
            node->SetData(formSize);
            FMaxDFMSize = std::max(FMaxDFMSize, formSize);
        } else {
            columns->Add(QString());
        }
        const int compiled = Run.CompiledUnits->IndexOf(unit.Name);
        // The sorted list's search finds the first of equal names: the one used stays the same.
        if (compiled >= 0 && compiled + 1 < Run.CompiledUnits->Count() &&
            CompareText(Run.CompiledUnits->Get(compiled + 1), unit.Name) == 0)
            Run.AmbiguousUnits.append(unit.Name);
        if (compiled >= 0) {
            const qint32 dcuSize = qint32(Run.CompiledUnits->GetObject(compiled));
            columns->AddObject(RatioText(dcuSize, size), TXObject(dcuSize));
        } else {
            columns->Add(u"-"_s);
        }
    }
}

void TMapAnalysis::WarnOfAmbiguousCompiledUnits(const TUnitRun &Run)
{
    QStringList units = Run.AmbiguousUnits;
    units.removeDuplicates();
    if (units.isEmpty() || !OnWarning)
        return;
    QString names = units.mid(0, NamedAmbiguousUnits).join(u", "_s);
    if (units.size() > NamedAmbiguousUnits)
        names += u", ..."_s;
    OnWarning(this,
              Format(u"%d %s more than one .dcu file below the search folder (%s); one of each is "
                     u"used. Narrow the search folder to one build's output."_s,
                     {qlonglong(units.size()), units.size() == 1 ? u"unit has"_s : u"units have"_s, names}));
}

void TMapAnalysis::ReadSymbols(TUnitRun &Run)
{
    if (Run.Map.UnreadableSymbolLine >= 0)
        throw Exception(Format(u"The symbol line lacks its \"Rva+Base\" column (MAP file line %d)."_s,
                               {qlonglong(Run.Map.UnreadableSymbolLine + 1)}));
    Run.Map.Symbols.reserve(Run.Map.Symbols.size() + Run.UnitStarts.size() + 1);
    FSymbols = TCompareDataList(Run.Text, std::move(Run.Map.Symbols));
    if (FSymbols.Count() == 0) {
        FShowRoot = false;
        return;
    }
    FShowRoot = true;
    // Mended: without a readable segment length the end of the highest unit bounds the last symbol.
    const qint64 endBoundary = FCodeSegmentLength > 0 ? FCodeSegmentLength : Run.HighestUnitEnd;
    FSymbols.FinishSizes(Run.UnitStarts, endBoundary);
    for (TITreeNode *node = FGrid.Items().GetFirstNode(); node; node = node->NextSibling())
        node->AddChild(u"$"_s);
    FSymbolIndex.Build(Run.UnitNames);
    if (FGrouping == TSymbolGrouping::ByName)
        FSymbolIndex.BuildGroups(FSymbols);
}

std::optional<TMapAnalysis::TCodeRange> TMapAnalysis::UnitCodeRange(const TITreeNode *Unit) const
{
    const auto range = FUnitRanges.find(Unit);
    if (range == FUnitRanges.end())
        return std::nullopt;
    return range->second;
}

std::optional<qint64> TMapAnalysis::SymbolAddress(const TITreeNode *Row) const
{
    const int index = SymbolIndexOfRow(Row, FSymbols.Count());
    if (index < 0)
        return std::nullopt;
    return FSymbols.Address(index);
}

bool TMapAnalysis::AddSymbolRowsOf(TITreeNode *Node)
{
    if (Node->Count() != 1 || Node->GetFirstChild()->Text() != u"$")
        return false;
    const auto range = FUnitRanges.find(Node);
    if (FGrouping == TSymbolGrouping::ByAddress && range == FUnitRanges.end())
        return false;
    FGrid.BeginUpdate();
    Node->DeleteChildren();
    if (FGrouping == TSymbolGrouping::ByAddress) {
        AddUnitAddressRows(Node, FSymbols, FSymbolIndex, range->second.Start, range->second.End);
    } else {
        const std::vector<int> indexes = FSymbolIndex.SymbolsOf(FSymbols, Node->Text());
        AddSymbolRows(Node, FSymbols, indexes, Node->Text().toUtf8().size() + 1);
    }
    FGrid.EndUpdate();
    return true;
}

void TMapAnalysis::SetGrouping(TSymbolGrouping Grouping)
{
    if (Grouping == FGrouping)
        return;
    FGrouping = Grouping;
    if (!FShowRoot)
        return;
    if (FGrouping == TSymbolGrouping::ByName && !FSymbolIndex.HasGroups())
        FSymbolIndex.BuildGroups(FSymbols);
    FGrid.BeginUpdate();
    for (TITreeNode *node = FGrid.Items().GetFirstNode(); node; node = node->NextSibling()) {
        if (node->Count() == 1 && node->GetFirstChild()->Text() == u"$")
            continue;
        node->DeleteChildren();
        node->AddChild(u"$"_s);
        if (node->Expanded())
            AddSymbolRowsOf(node);
    }
    FGrid.Resort();
    FGrid.EndUpdate();
}

void TMapAnalysis::VGUnitsExpanding(TTreeGridModel *Sender, TITreeNode *Node, bool &Allow)
{
    Q_UNUSED(Sender);
    Allow = true;
    const quint64 contentBefore = FGrid.Items().ContentVersion();
    // Only Node's rows are new: opening every unit at once re-sorts each unit's rows, not the tree.
    if (AddSymbolRowsOf(Node))
        FGrid.ResortChanged(Node, contentBefore);
}
