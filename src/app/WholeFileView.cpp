#include "app/WholeFileView.h"

#include "analysis/MapAnalysis.h"
#include "base/UFormat.h"
#include "base/XLists.h"
#include "controls/CITVClassic.h"
#include "tree/ColumnDefinitions.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

#include <climits>

namespace {

using namespace Qt::Literals::StringLiterals;

QString Thousands(uint64_t value)
{
    return QLocale(QLocale::English).toString(qulonglong(value));
}

void SetupColumns(TTreeGridModel &grid)
{
    SetColumnDefinitions(grid.Columns(), {
                                             {u"Part", 275, Qt::AlignLeft, iskText},
                                             {u"File size", 110, Qt::AlignRight, iskTag},
                                             {u"Memory size", 110, Qt::AlignRight, iskData},
                                             {u"% of file", 70, Qt::AlignRight, iskTag},
                                         });
}

QString PartName(const TPeSizeNode &node)
{
    QString name = QString::fromStdString(node.Name);
    if (node.Kind == TPeNodeKind::Form && !node.Owner.empty())
        name += u" (form of %1)"_s.arg(QString::fromStdString(node.Owner));
    return name;
}

void AddNodes(TITreeNode *parent, TITreeNodes &items, const std::vector<TPeSizeNode> &nodes, double percent)
{
    for (const TPeSizeNode &node : nodes) {
        TITreeNode *row = parent ? parent->AddChild() : items.AddRoot();
        row->SetText(PartName(node));
        row->SetTag(qint64(node.FileSize));
        // The memory column sorts by Data, which holds 32 bits; no PE image is larger.
        row->SetData(qint32(std::min<uint64_t>(node.VmSize, INT32_MAX)));
        TXStringList *columns = row->ColumnStrings();
        columns->Add(Thousands(node.FileSize));
        columns->Add(Thousands(node.VmSize));
        columns->Add(Format(u"%.2f %%"_s, {double(node.FileSize) * percent}));
        AddNodes(row, items, node.Children, percent);
    }
}

} // namespace

TWholeFileView::TWholeFileView(QWidget *PageParent, QWidget *SwitchParent) : QObject(PageParent)
{
    FPage = new QWidget(PageParent);
    FPage->setObjectName(u"WholeFilePage"_s);
    auto *page = new QVBoxLayout(FPage);
    page->setContentsMargins(0, 0, 0, 0);
    page->setSpacing(0);
    auto *header = new QHBoxLayout;
    header->setContentsMargins(6, 3, 3, 3);
    FExecutableLabel = new QLabel(FPage);
    FExecutableLabel->setObjectName(u"LBExecutable"_s);
    FExecutableLabel->setTextFormat(Qt::PlainText);
    // A long path must not widen the window: the label is cut, its tooltip holds the whole text.
    FExecutableLabel->setMinimumWidth(1);
    FExecutableLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    header->addWidget(FExecutableLabel, 1);
    FExecutable = new TExecutableSelector(FPage, u"RecentExecutables"_s);
    FExecutableButton = new QPushButton(u"E&xecutable"_s, FPage);
    FExecutableButton->setObjectName(u"BBExecutable"_s);
    FExecutableButton->setToolTip(u"Which executable is read for the MAP file: the one beside it, another "
                                  u"you choose, or none (Alt+X)"_s);
    FExecutableButton->setMenu(FExecutable->Menu());
    header->addWidget(FExecutableButton);
    page->addLayout(header);
    FGrid = new TITreeView(FPage);
    FGrid->setObjectName(u"VGWholeFile"_s);
    FGrid->SetHeaderHeight(21);
    FGrid->SetRowHeight(20);
    FGrid->SetRowSelect(true);
    FGrid->SetGridLines(true);
    FGrid->SetGridColumns(true);
    FGrid->SetShowRoot(true);
    SetupColumns(*FGrid);
    FGrid->RowsMenu()->addSeparator();
    FGrid->RowsMenu()->addMenu(FExecutable->Menu());
    page->addWidget(FGrid, 1);
    FPage->hide();
    ShowExecutable({});

    FSwitch = new QCheckBox(u"&Whole file"_s, SwitchParent);
    FSwitch->setObjectName(u"CBWholeFile"_s);
    FSwitch->setToolTip(u"Shows every byte of the executable beside the MAP file instead of the units: "
                        u"headers, sections with their units, resources, imports, overlay (Ctrl+E)"_s);
    FSwitch->adjustSize();
    connect(FSwitch, &QCheckBox::toggled, this, [this] {
        if (OnToggled)
            OnToggled(this);
    });
    auto *toggle = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_E), SwitchParent->window());
    connect(toggle, &QShortcut::activated, FSwitch, &QCheckBox::toggle);
}

bool TWholeFileView::Shown() const
{
    return FSwitch->isChecked();
}

QString TWholeFileView::Load(const TMapAnalysis &Analysis)
{
    FFile.reset();
    QString note;
    try {
        FFile = WholeFileOfMap(FExecutable->Choice(), Analysis.MapFileName(), Analysis.Segments(),
                               Analysis.FormOwners(), note);
    } catch (const EExecutableError &error) {
        note = error.Message();
    }
    Fill();
    ShowExecutable(note);
    return note;
}

void TWholeFileView::ShowExecutable(const QString &Note)
{
    const TExecutableChoice &choice = FExecutable->Choice();
    QString text;
    QString path;
    if (FFile) {
        path = QDir::toNativeSeparators(FFile->FileName);
        text = u"%1 (%2): %3 bytes, %4"_s.arg(
            QFileInfo(FFile->FileName).fileName(),
            choice.Mode == TExecutableChoice::Named ? u"chosen"_s : u"beside the MAP file"_s,
            Thousands(uint64_t(FFile->Size)), FFile->Format);
    } else if (!Note.isEmpty()) {
        text = Note;
    } else if (FExecutable->MapFile().isEmpty()) {
        text = u"The executable of the MAP file's build is read after a run."_s;
    } else if (choice.Mode == TExecutableChoice::None) {
        text = u"No executable: switched off for this MAP file."_s;
    } else {
        text = u"No executable beside the MAP file (%1 with .exe, .dll or .bpl): choose one with "
               u"Executable."_s.arg(QFileInfo(FExecutable->MapFile()).completeBaseName());
    }
    FExecutableLabel->setText(text);
    FExecutableLabel->setToolTip(path.isEmpty() ? text : path + u'\n' + text);
    // A warning stands out from the plain name.
    FExecutableLabel->setStyleSheet(Note.isEmpty() ? QString() : u"color: #b00000"_s);
}

void TWholeFileView::Fill()
{
    FGrid->BeginUpdate();
    FGrid->Clear();
    if (FFile)
        AddNodes(nullptr, FGrid->Items(), FFile->Root.Children,
                 FFile->Size > 0 ? 100.0 / double(FFile->Size) : 0);
    FGrid->EndUpdate();
}

QString TWholeFileView::SelectionSummary() const
{
    int count = 0;
    qint64 fileSum = 0;
    qint64 memorySum = 0;
    // Rows inside a selected row are counted with it.
    for (const TITreeNode *node = FGrid->Items().GetFirstNode(); node; node = node->GetNext()) {
        bool inside = false;
        for (const TITreeNode *up = node->Parent(); up && !inside; up = up->Parent())
            inside = up->Selected();
        if (!node->Selected() || inside)
            continue;
        ++count;
        fileSum += node->Tag();
        memorySum += node->ColumnStringsIfAny() ? node->Data() : 0;
    }
    const double percent = FFile && FFile->Size > 0 ? 100.0 * double(fileSum) / double(FFile->Size) : 0;
    return Format(u"%d %s: %.1f kB in the file (%.2f%%), %.1f kB in memory"_s,
                  {count, count == 1 ? u"part"_s : u"parts"_s, double(fileSum) / 1024, percent,
                   double(memorySum) / 1024});
}
