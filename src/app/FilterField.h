#pragma once
// The unit grid's filter field: Ctrl+F reaches it and Esc in the window clears it; a text is applied
// FilterDelayMs after the last key (at once on Enter or when emptied), and the units that own a
// match are tested in slices between events, so that the window answers while thousands are
// opened. A panel of the status bar counts what matches.

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class QLabel;
class QLineEdit;
class QShortcut;
class QWidget;
class TICCClock;
class TICCTimer;
class TITreeView;
class TMapAnalysis;

class TFilterField : public QObject
{
public:
    static constexpr int FilterDelayMs = 150;

    // The field goes into Band; Panel shows the count; the shortcuts act in Window. Esc clears the
    // filter except during a run, whose progress panel takes it.
    TFilterField(TITreeView &Grid, const TMapAnalysis &Analysis, QWidget *Band, QLabel *Panel,
                 QWidget *Window);
    ~TFilterField() override;

    QLineEdit *Edit() const { return FEdit; }
    // Shown only while the grid is filtered.
    QLabel *Panel() const { return FPanel; }
    // The text of the filter in force, without its blanks; empty when none is.
    const QString &Text() const { return FText; }
    // The time source of the delay and of the slices.
    void SetClock(std::shared_ptr<TICCClock> Clock);
    // Locked during a run: nothing is filtered (the run filters its rows when it ends) and Esc
    // is the run's.
    void SetLocked(bool Locked);
    // Filters the grid by the field's text at once (an empty text ends the filter).
    void Apply();
    // Filters again only where the filter in force is not the field's: its text changed, the rows
    // were unfiltered or its slices stopped while it was locked.
    void ApplyIfStale();
    // Runs a change that replaces rows (a regrouping, a baseline) on the unfiltered grid, and
    // filters the new rows after it.
    void WithoutFilter(const std::function<void()> &Change);

    // The panel was shown, changed or hidden, and the grid's hidden rows changed with it.
    std::function<void()> OnSummaryChanged;

private:
    // Shows the count so far, and schedules the next slice until the filter is finished.
    void Progressed(bool Finished);
    void ShowSummary();
    bool Waiting() const { return FLocked || FHeld > 0; }

    TITreeView &FGrid;
    const TMapAnalysis &FAnalysis;
    QLineEdit *FEdit = nullptr;
    QLabel *FPanel = nullptr;
    QShortcut *FClear = nullptr;
    std::shared_ptr<TICCClock> FClock;
    std::unique_ptr<TICCTimer> FTimer;
    bool FLocked = false;
    // Above 0 while rows are being replaced: the filter waits for the change to end.
    int FHeld = 0;
    // Raised by every filter started, so that a slice of an earlier one never runs.
    quint64 FGeneration = 0;
    QString FText;
};
