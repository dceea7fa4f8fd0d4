#pragma once
// The whole executable in the window: a tree-grid of its parts (headers, sections with their units,
// resources and imports, overlay, certificate) with their bytes in the file, in memory and their
// share of the file, and the check box that puts it in the unit grid's place.
// The main window wires it; this class reads the executable of each run and fills its grid.

#include "analysis/WholeFile.h"

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class QCheckBox;
class QWidget;
class TITreeView;
class TMapAnalysis;

class TWholeFileView : public QObject
{
    Q_OBJECT
public:
    // The grid goes to GridParent, the check box to SwitchParent; both start hidden and unchecked.
    TWholeFileView(QWidget *GridParent, QWidget *SwitchParent);

    TITreeView *Grid() const { return FGrid; }
    // "&Whole file", also turned by Ctrl+E; its object name "CBWholeFile" keeps it in the settings.
    QCheckBox *Switch() const { return FSwitch; }
    bool Shown() const;

    // Reads the executable that belongs to the analysis's MAP file (the one beside it) and fills
    // the grid; an empty grid when there is none. Returns the note for the status bar: why there
    // is no whole file (another build, a damaged file), or nothing.
    QString Load(const TMapAnalysis &Analysis);
    const std::optional<TWholeFile> &File() const { return FFile; }

    // "3 parts: 120.5 kB in the file (14.20%), 130.0 kB in memory" over the selected rows.
    QString SelectionSummary() const;

    // The switch was turned.
    std::function<void(TWholeFileView *Sender)> OnToggled;

private:
    void Fill();

    TITreeView *FGrid = nullptr;
    QCheckBox *FSwitch = nullptr;
    std::optional<TWholeFile> FFile;
};
