#pragma once
// The whole executable in the window: a tree-grid of its parts (headers, sections with their units,
// resources and imports, overlay, certificate) with their bytes in the file, in memory and their
// share of the file, and the check box that puts it in the unit grid's place. Above the grid a header
// names the executable read (or why none is) beside the button that chooses another.
// The main window wires it; this class reads the executable of each run and fills its grid.

#include "analysis/WholeFile.h"
#include "app/ExecutableSelector.h"

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class QCheckBox;
class QLabel;
class QPushButton;
class QWidget;
class TITreeView;
class TMapAnalysis;

class TWholeFileView : public QObject
{
    Q_OBJECT
public:
    // The page (header and grid) goes to PageParent, the check box to SwitchParent; both start
    // hidden and unchecked.
    TWholeFileView(QWidget *PageParent, QWidget *SwitchParent);

    // The header above the grid and the grid.
    QWidget *Page() const { return FPage; }
    TITreeView *Grid() const { return FGrid; }
    // Names the executable read, the reason there is none, or the warning that it is another
    // build's.
    QLabel *ExecutableLabel() const { return FExecutableLabel; }
    // "E&xecutable", with the selector's menu.
    QPushButton *ExecutableButton() const { return FExecutableButton; }
    // Which executable Load reads; its menu is the button's.
    TExecutableSelector &Executable() const { return *FExecutable; }
    // "&Whole file", also turned by Ctrl+E; its object name "CBWholeFile" keeps it in the settings.
    QCheckBox *Switch() const { return FSwitch; }
    bool Shown() const;

    // Reads the executable that Executable() chooses for the analysis's MAP file and fills the
    // grid; an empty grid when there is none. Returns the note for the status bar: why there is no
    // whole file (another build, a damaged or missing file), or nothing.
    QString Load(const TMapAnalysis &Analysis);
    const std::optional<TWholeFile> &File() const { return FFile; }

    // "3 parts: 120.5 kB in the file (14.20%), 130.0 kB in memory" over the selected rows.
    QString SelectionSummary() const;

    // The switch was turned.
    std::function<void(TWholeFileView *Sender)> OnToggled;

private:
    void Fill();
    void ShowExecutable(const QString &Note);

    QWidget *FPage = nullptr;
    QLabel *FExecutableLabel = nullptr;
    QPushButton *FExecutableButton = nullptr;
    TExecutableSelector *FExecutable = nullptr;
    TITreeView *FGrid = nullptr;
    QCheckBox *FSwitch = nullptr;
    std::optional<TWholeFile> FFile;
};
