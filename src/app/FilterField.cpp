#include "app/FilterField.h"

#include "analysis/MapAnalysis.h"
#include "analysis/NameFilter.h"
#include "app/FilterSummary.h"
#include "base/FreedMemory.h"
#include "controls/CITVClassic.h"
#include "controls/ICCClock.h"

#include <QApplication>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QScopeGuard>
#include <QShortcut>
#include <QTimer>

namespace {

// The length of one slice of the filter's work between events.
constexpr qint64 FilterSliceMs = 100;

} // namespace

TFilterField::TFilterField(TITreeView &Grid, const TMapAnalysis &Analysis, QWidget *Band, QLabel *Panel,
                           QWidget *Window)
    : FGrid(Grid), FAnalysis(Analysis), FEdit(new QLineEdit(Band)), FPanel(Panel)
{
    FEdit->setObjectName(QStringLiteral("EDFilter"));
    FEdit->setPlaceholderText(QStringLiteral("Filter (Ctrl+F)"));
    FEdit->setClearButtonEnabled(true);
    FEdit->setToolTip(
        QStringLiteral("Shows only the units and symbols whose names contain this text, ignoring case, "
                       "with the rows that hold them opened (Ctrl+F; Esc clears it).\nThe status bar "
                       "counts the matching rows and adds up the units whose names match."));
    auto *find = new QShortcut(QKeySequence::Find, Window);
    connect(find, &QShortcut::activated, this, [this] {
        FEdit->setFocus(Qt::ShortcutFocusReason);
        FEdit->selectAll();
    });
    FClear = new QShortcut(QKeySequence(Qt::Key_Escape), Window);
    FClear->setEnabled(false);
    connect(FClear, &QShortcut::activated, this, [this] { FEdit->clear(); });
    connect(FEdit, &QLineEdit::textChanged, this, [this](const QString &text) {
        FClear->setEnabled(!text.isEmpty() && !FLocked);
        // Emptied (Esc, the clear button): the grid comes back at once.
        if (text.trimmed().isEmpty())
            Apply();
        else if (FTimer)
            FTimer->Start(FilterDelayMs);
    });
    connect(FEdit, &QLineEdit::returnPressed, this, [this] { Apply(); });
}

TFilterField::~TFilterField() = default;

void TFilterField::SetClock(std::shared_ptr<TICCClock> Clock)
{
    FClock = std::move(Clock);
    FTimer = FClock->CreateTimer([this] { Apply(); });
}

void TFilterField::SetLocked(bool Locked)
{
    FLocked = Locked;
    FClear->setEnabled(!Locked && !FEdit->text().isEmpty());
}

void TFilterField::Apply()
{
    if (FTimer)
        FTimer->Stop();
    if (Waiting())
        return;
    ++FGeneration;
    const TNameFilter filter(FEdit->text());
    FText = filter.Text();
    if (filter.IsEmpty()) {
        FGrid.ClearFilter();
        ShowSummary();
        ReleaseFreedMemorySoon(this);
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // The rows of the first screen first; the others in slices between events.
    const qint64 started = FClock->NowMs();
    const size_t screen = size_t(FGrid.VisibleRowCount());
    const bool finished = FGrid.StartFilter(
        [filter](const TITreeNode *row) { return filter.RowMatches(row); },
        filter.UnitsOwningMatches(FAnalysis, FGrid), [this, started, screen] {
            return FGrid.Rows().size() > screen || FClock->NowMs() - started >= FilterSliceMs;
        });
    QApplication::restoreOverrideCursor();
    Progressed(finished);
}

void TFilterField::ApplyIfStale()
{
    const TNameFilter filter(FEdit->text());
    if (filter.Text() != FText || FGrid.Filtered() == filter.IsEmpty() || !FGrid.Filter().Finished())
        Apply();
}

void TFilterField::Progressed(bool Finished)
{
    ShowSummary();
    if (Finished)
        return;
    QTimer::singleShot(0, this, [this, generation = FGeneration] {
        // A newer filter, a run or a change of rows in progress starts over when it ends.
        if (generation != FGeneration || Waiting() || !FGrid.Filtered())
            return;
        const qint64 started = FClock->NowMs();
        Progressed(FGrid.ContinueFilter([this, started] { return FClock->NowMs() - started >= FilterSliceMs; }));
    });
}

void TFilterField::ShowSummary()
{
    if (FGrid.Filtered()) {
        FPanel->setText(FilterSummaryText(FGrid, FText, FAnalysis.PercentFactor()));
        FPanel->setToolTip(FilterSummaryHint(FText));
        FPanel->show();
    } else {
        FPanel->hide();
    }
    if (OnSummaryChanged)
        OnSummaryChanged();
}

void TFilterField::WithoutFilter(const std::function<void()> &Change)
{
    FGrid.ClearFilter();
    {
        ++FHeld;
        const auto release = qScopeGuard([this] { --FHeld; });
        Change();
    }
    Apply();
}
