#include "analysis/MapAnalysis.h"

#include "analysis/FormOwners.h"
#include "analysis/MapFile.h"
#include "analysis/ProjectFiles.h"
#include "analysis/SymbolHierarchy.h"
#include "base/Strings.h"
#include "base/UFormat.h"
#include "base/XLists.h"
#include "tree/ColumnDefinitions.h"
#include "tree/TreeGridModel.h"

#include <QFileInfo>

#include <new>

using namespace Qt::Literals::StringLiterals;

namespace {

QUILLON_DECLARE_EXCEPTION(ENotDetailedMapFile, Exception)

// How many ambiguous units the warning names.
constexpr int NamedAmbiguousUnits = 5;

// Runs Body and turns the errors that end a run into its failure; a cancel and a failed assertion
// pass through.
template <typename TBody>
void CatchFailure(TBody Body, const QString &MapFileName, TAnalysisFailure &Failure, QString &Message)
{
    try {
        Body();
    } catch (const EAnalysisCancelled &) {
        throw;
    } catch (const EAssertionFailed &) {
        throw;
    } catch (const EMapFileError &error) {
        Failure = afUnreadable;
        Message = error.Message();
    } catch (const EInOutError &error) {
        Failure = afUnreadable;
        Message = error.Message();
    } catch (const ENotDetailedMapFile &error) {
        Failure = afNotDetailed;
        Message = error.Message();
    } catch (const Exception &error) {
        Failure = afMalformed;
        Message = error.Message();
    } catch (const std::bad_alloc &) {
        Failure = afUnreadable;
        Message = Format(u"Not enough memory to analyse \"%s\"."_s, {MapFileName});
    }
}

} // namespace

// The reading part of a run.
struct TMapAnalysis::TUnitRun
{
    explicit TUnitRun(TRunInput &input) : Input(input) {}

    TRunInput &Input;
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
    SetColumnDefinitions(Grid.Columns(), {
                                             {u"Unit", 275, Qt::AlignLeft, iskText},
                                             {u"Compiled size", 120, Qt::AlignRight, iskTag},
                                             {u"%", 55, Qt::AlignRight, iskTag},
                                             {u"DFM size", 90, Qt::AlignRight, iskData},
                                             {u"Ratio DCU size", 100, Qt::AlignRight, iskNumeric},
                                             {u"Retained size", 110, Qt::AlignRight, iskNumeric},
                                         });
    Grid.Columns()[RetainedSizeColumn]->SetVisible(false);
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

void TMapAnalysis::SortByDefaultColumn(TTreeGridModel &Grid)
{
    Grid.SortBy(1, sdDescending);
}

bool TMapAnalysis::Run(const QString &MapFileName, const std::optional<QString> &SearchFolder)
{
    FFailure = afNone;
    FErrorMessage.clear();
    FIncompleteWarning.clear();
    std::optional<TRunInput> input = Prepare(MapFileName, SearchFolder);
    if (!input)
        return false;
    return Apply(Read(std::move(*input)));
}

bool TMapAnalysis::RunOnStream(const QString &StreamName, QByteArray Text,
                               const std::optional<QString> &SearchFolder)
{
    FFailure = afNone;
    FErrorMessage.clear();
    FIncompleteWarning.clear();
    TRunInput input;
    input.MapFileName = StreamName;
    input.StreamText = std::move(Text);
    input.Grouping = FGrouping;
    ScanAndReadProject(SearchFolder, false, input);
    return Apply(Read(std::move(input)));
}

std::optional<TMapAnalysis::TRunInput> TMapAnalysis::Prepare(const QString &MapFileName,
                                                             const std::optional<QString> &SearchFolder)
{
    if (!MapFileAvailable(MapFileName))
        return std::nullopt;
    TRunInput input;
    // Mended: resolved now, because the project search changes the current folder before the MAP
    // file is read.
    input.MapFileName = QFileInfo(MapFileName).absoluteFilePath();
    input.Grouping = FGrouping;
    ScanAndReadProject(SearchFolder, true, input);
    return input;
}

void TMapAnalysis::ScanAndReadProject(const std::optional<QString> &SearchFolder, bool ReadProject,
                                      TRunInput &Input)
{
    CatchFailure(
        [&] {
            const QString &mapFile = Input.MapFileName;
            if (ReadProject)
                BuildProjectUnitPaths(mapFile, *Input.ProjectUnits, [this, &mapFile](const QString &message) {
                    if (OnProjectFileMissing)
                        OnProjectFileMissing(this, ProjectFileNameFor(mapFile),
                                             QFileInfo(mapFile).path() + u'/');
                    else
                        DoMessage(message);
                });
            ScanCompiledUnits(SearchFolder, Input);
        },
        Input.MapFileName, Input.Failure, Input.ErrorMessage);
}

TMapAnalysisResult TMapAnalysis::Read(TRunInput Input, TReadProgress *Progress)
{
    TMapAnalysisResult result;
    result.MapFileName = Input.MapFileName;
    result.Failure = Input.Failure;
    result.ErrorMessage = Input.ErrorMessage;
    if (result.Failure != afNone)
        return result;
    try {
        CatchFailure([&] { ReadMapFile(Input, Progress, result); }, Input.MapFileName, result.Failure,
                     result.ErrorMessage);
    } catch (const EAnalysisCancelled &) {
        result = TMapAnalysisResult();
        result.Cancelled = true;
        return result;
    } catch (...) {
        result.Fatal = std::current_exception();
        return result;
    }
    if (result.Failure != afNone) {
        // Mended: a failed run keeps the rows read so far, with percentages over them, and no
        // symbols to open.
        result.Symbols = TCompareDataList();
        result.SymbolIndex.Clear();
        result.ShowRoot = false;
    }
    return result;
}

void TMapAnalysis::ReadMapFile(TRunInput &Input, TReadProgress *Progress, TMapAnalysisResult &Result)
{
    const QString &mapFileName = Input.MapFileName;
    TUnitRun run(Input);
    if (Input.StreamText) {
        if (Input.StreamText->size() > TMapText::MaxSize)
            throw EMapFileError(Format(u"MAP File \"%s\" is too large (%d bytes)."_s,
                                       {mapFileName, qlonglong(Input.StreamText->size())}));
        run.Text = TMapText::FromBytes(std::move(*Input.StreamText));
        Input.StreamText.reset();
    } else {
        run.Text = TMapText::LoadFromFile(mapFileName);
    }
    if (Progress)
        Progress->ThrowIfCancelled();
    run.Map = TMapFile::Parse(run.Text, Progress);
    Result.Totals.CodeSegmentLength = run.Map.CodeSegmentLength;
    Result.Segments = TMapSegments::Parse(run.Text);
    Result.FormOwners = FormOwnersOf(run.Map.FormResourceLines, *Input.ProjectUnits);
    run.FormResources = BuildFormResourceList(run.Map.FormResourceLines, *Input.ProjectUnits);
    ReadUnitRows(run, Result);
    // Mended: a damaged or binary file (a 2 GB sparse file reads as nothing) was an empty success.
    if (run.Text.EndsAtNul())
        throw Exception(Format(
            u"MAP File \"%s\" is damaged or not a text file: a NUL byte ends its text (MAP file line %d)."_s,
            {mapFileName, qlonglong(run.Text.EndLine())}));
    // Mended: any file without a code unit row (an empty file, a project file, a MAP file written
    // with the segment table only) was an empty success.
    if (run.Map.Units.empty())
        throw ENotDetailedMapFile(Format(
            u"MAP File \"%s\" lists no code units: a detailed MAP file is needed. In Delphi set Project "
            u"Options > Linking > Map file to \"Detailed\" and build the project again."_s,
            {mapFileName}));
    const QString ambiguous = AmbiguousCompiledUnitsWarning(run);
    if (!ambiguous.isEmpty())
        Result.Warnings << ambiguous;
    Result.IncompleteWarning = IncompleteMapWarning(run, Result);
    if (!Result.IncompleteWarning.isEmpty())
        Result.Warnings << Result.IncompleteWarning;
    ReadSymbols(run, Result);
    if (Progress)
        Progress->ThrowIfCancelled();
}

void TMapAnalysis::ScanCompiledUnits(const std::optional<QString> &SearchFolder, TRunInput &Input)
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
        Input.CompiledUnits = ::ScanCompiledUnits(*SearchFolder, OnScanProgress, &FScanCounts);
    } catch (...) {
        if (OnScanFinished)
            OnScanFinished(this);
        throw;
    }
    if (OnScanFinished)
        OnScanFinished(this);
}

void TMapAnalysis::ReadUnitRows(TUnitRun &Run, TMapAnalysisResult &Result)
{
    Result.Units.reserve(Run.Map.Units.size());
    for (const TMapUnitLine &unit : Run.Map.Units) {
        TUnitRowData &row = Result.Units.emplace_back();
        Run.UnitStarts.push_back(unit.Start);
        Run.UnitNames.append(unit.Name);
        row.Name = unit.Name;
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
        row.Read = true;
        row.Size = size;
        row.Start = unit.Start;
        Result.Totals.TotalCodeSize += size;
        Result.Totals.MaxCodeSize = std::max(Result.Totals.MaxCodeSize, size);
        Run.HighestUnitEnd = std::max(Run.HighestUnitEnd, unit.Start + size);

        const int form = Run.FormResources->IndexOf(unit.Name);
        if (form >= 0) {
            row.FormSize = qint32(Run.FormResources->GetObject(form));
            Result.Totals.MaxDFMSize = std::max(Result.Totals.MaxDFMSize, *row.FormSize);
        }
        const TXStringList &compiledUnits = *Run.Input.CompiledUnits;
        const int compiled = compiledUnits.IndexOf(unit.Name);
        // The sorted list's search finds the first of equal names: the one used stays the same.
        if (compiled >= 0 && compiled + 1 < compiledUnits.Count() &&
            CompareText(compiledUnits.Get(compiled + 1), unit.Name) == 0)
            Run.AmbiguousUnits.append(unit.Name);
        if (compiled >= 0) {
            row.DcuSize = qint32(compiledUnits.GetObject(compiled));
            row.RatioText = RatioText(*row.DcuSize, size);
        } else {
            row.RatioText = u"-"_s;
        }
    }
}

QString TMapAnalysis::AmbiguousCompiledUnitsWarning(const TUnitRun &Run)
{
    QStringList units = Run.AmbiguousUnits;
    units.removeDuplicates();
    if (units.isEmpty())
        return {};
    QString names = units.mid(0, NamedAmbiguousUnits).join(u", "_s);
    if (units.size() > NamedAmbiguousUnits)
        names += u", ..."_s;
    return Format(u"%d %s more than one .dcu file below the search folder (%s); one of each is "
                  u"used. Narrow the search folder to one build's output."_s,
                  {qlonglong(units.size()), units.size() == 1 ? u"unit has"_s : u"units have"_s, names});
}

// Every MAP file the linker finishes ends with its entry point, and its units' code covers the code
// segment but for alignment: a file cut short (a failed build, a half-copied artifact) lacks one or
// both, and its sizes would pass for a smaller build.
QString TMapAnalysis::IncompleteMapWarning(const TUnitRun &Run, const TMapAnalysisResult &Result)
{
    QStringList lacks;
    if (!Run.Map.EndsWithEntryPoint)
        lacks << u"it does not end with its \"Program entry point at\" line"_s;
    const qint64 segment = Result.Totals.CodeSegmentLength;
    const qint64 units = Result.Totals.TotalCodeSize;
    if (segment > 0 && double(units) < 0.99 * double(segment))
        lacks << Format(u"its units' code adds up to %d bytes, %.1f %% of the code segment's %d"_s,
                        {qlonglong(units), 100.0 * double(units) / double(segment), qlonglong(segment)});
    if (lacks.isEmpty())
        return {};
    return Format(u"MAP File \"%s\" looks incomplete: %s. Its sizes may be those of part of the build; "
                  u"build the project again or copy the whole file."_s,
                  {Run.Input.MapFileName, lacks.join(u", and "_s)});
}

void TMapAnalysis::ReadSymbols(TUnitRun &Run, TMapAnalysisResult &Result)
{
    if (Run.Map.UnreadableSymbolLine >= 0)
        throw Exception(Format(u"The symbol line lacks its \"Rva+Base\" column (MAP file line %d)."_s,
                               {qlonglong(Run.Map.UnreadableSymbolLine + 1)}));
    Run.Map.Symbols.reserve(Run.Map.Symbols.size() + Run.UnitStarts.size() + 1);
    Result.Symbols = TCompareDataList(Run.Text, std::move(Run.Map.Symbols));
    if (Result.Symbols.Count() == 0)
        return;
    Result.ShowRoot = true;
    // Mended: without a readable segment length the end of the highest unit bounds the last symbol.
    const qint64 endBoundary =
        Result.Totals.CodeSegmentLength > 0 ? Result.Totals.CodeSegmentLength : Run.HighestUnitEnd;
    Result.Symbols.FinishSizes(Run.UnitStarts, endBoundary);
    Result.SymbolIndex.Build(Run.UnitNames);
    if (Run.Input.Grouping == TSymbolGrouping::ByName)
        Result.SymbolIndex.BuildGroups(Result.Symbols);
}

bool TMapAnalysis::Apply(TMapAnalysisResult Result)
{
    if (Result.Fatal)
        std::rethrow_exception(Result.Fatal);
    if (Result.Cancelled)
        return false;
    FMapFileName = Result.MapFileName;
    FTotals = Result.Totals;
    FSegments = std::move(Result.Segments);
    FFormOwners = std::move(Result.FormOwners);
    FPercentFactor = FTotals.TotalCodeSize != 0 ? 100.0 / double(FTotals.TotalCodeSize) : 0;
    FShowRoot = Result.ShowRoot;
    FSymbols = std::move(Result.Symbols);
    FSymbolIndex = std::move(Result.SymbolIndex);
    // The grouping may have changed since the run began.
    if (FShowRoot && FGrouping == TSymbolGrouping::ByName && !FSymbolIndex.HasGroups())
        FSymbolIndex.BuildGroups(FSymbols);

    FGrid.BeginUpdate();
    FGrid.Clear();
    FUnitRanges.clear();
    AddUnitRows(Result.Units);
    if (FShowRoot)
        for (TITreeNode *node = FGrid.Items().GetFirstNode(); node; node = node->NextSibling())
            node->AddChild(u"$"_s);
    // A failed run's grid is not sorted.
    if (Result.Failure == afNone)
        SortByDefaultColumn(FGrid);
    FGrid.EndUpdate();

    FIncompleteWarning = Result.IncompleteWarning;
    if (OnWarning)
        for (const QString &warning : Result.Warnings)
            OnWarning(this, warning);
    if (Result.Failure != afNone) {
        Fail(Result.Failure, Result.ErrorMessage);
        return false;
    }
    FFailure = afNone;
    FErrorMessage.clear();
    return true;
}

void TMapAnalysis::AddUnitRows(const std::vector<TUnitRowData> &Units)
{
    for (const TUnitRowData &unit : Units) {
        TITreeNode *node = FGrid.Items().AddRoot();
        node->SetText(unit.Name);
        if (!unit.Read)
            continue;
        node->SetTag(unit.Size);
        FUnitRanges[node] = {unit.Start, unit.Start + unit.Size};
        TXStringList *columns = node->ColumnStrings();
        columns->AddObject(QString(), TXObject(unit.Size));
        columns->AddObject(QString(), TXObject(unit.Size));
        if (unit.FormSize) {
            columns->AddObject(QString(), TXObject(*unit.FormSize));
            node->SetData(*unit.FormSize);
        } else {
            columns->Add(QString());
        }
        if (unit.DcuSize)
            columns->AddObject(unit.RatioText, TXObject(*unit.DcuSize));
        else
            columns->Add(unit.RatioText);
    }
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
