#include "app/UnitUsesPanel.h"

#include "analysis/LinkedUnits.h"
#include "analysis/MapAnalysis.h"
#include "tree/ITreeNodes.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QShortcut>
#include <QTreeWidget>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace {

// The unit a row names, for the click.
constexpr int UnitRole = Qt::UserRole + 1;

QString Bytes(qint64 value)
{
    return QLocale(QLocale::English).toString(value);
}

QString EdgeText(const TUnitEdge &edge)
{
    QString text = UsesKindText(edge.Kind) + u", "_s + UsesOriginText(edge.Origin);
    if (edge.Conditional)
        text += u", conditional"_s;
    if (!edge.Imports)
        text += u", initialization only"_s;
    return text;
}

} // namespace

TUnitUsesPanel::TUnitUsesPanel(QWidget *Parent) : QWidget(Parent)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    FTitle = new QLabel(this);
    FTitle->setObjectName(u"LBUnitUses"_s);
    FTitle->setWordWrap(true);
    FTitle->setTextFormat(Qt::PlainText);
    layout->addWidget(FTitle);
    FRows = new QTreeWidget(this);
    FRows->setObjectName(u"TVUnitUses"_s);
    FRows->setColumnCount(2);
    FRows->setHeaderLabels({u"Unit"_s, u"Use"_s});
    FRows->header()->setStretchLastSection(true);
    FRows->setRootIsDecorated(true);
    FRows->setUniformRowHeights(true);
    FRows->setToolTip(u"Click a unit to select its row in the grid"_s);
    layout->addWidget(FRows, 1);
    connect(FRows, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem *item) { RowActivated(item); });
    connect(FRows, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem *item) { RowActivated(item); });
    setObjectName(u"UnitUses"_s);
    hide();
    Clear();
}

TUnitUsesPanel::~TUnitUsesPanel() = default;

void TUnitUsesPanel::SetRun(const TMapAnalysis &Analysis, const TTreeGridModel &Grid,
                            const QString &SearchFolder, const TExecutableChoice &Executable)
{
    // An executable of another build is no reason to interrupt the user: its list is not used (the
    // whole-file view's header says why).
    QStringList warnings;
    const bool scannable = TMapAnalysis::SearchFolderProblem(SearchFolder).isEmpty();
    const bool named = Executable.Mode == TExecutableChoice::Named;
    SetSources(UnitGraphSourcesOf(Analysis, Grid, scannable ? SearchFolder : QString(),
                                  named ? Executable.FileName : QString(),
                                  Executable.Mode != TExecutableChoice::None, warnings));
    // Shown, it answers for its unit from the new sources.
    if (!isHidden() && !FUnitName.isEmpty())
        ShowUnit(FUnitName);
}

const TUnitGraphBuild *TUnitUsesPanel::Graph()
{
    EnsureGraph();
    return FBuild.get();
}

QCheckBox *TUnitUsesPanel::CreateToggle(QWidget *Band, QWidget *Window)
{
    auto *box = new QCheckBox(u"&Why linked"_s, Band);
    box->setObjectName(u"CBUnitUses"_s);
    box->setToolTip(u"Shows why the selected unit is linked and what removing it would save, from the .dcu "
                    u"files and sources below the folder (Ctrl+U)"_s);
    box->adjustSize();
    connect(box, &QCheckBox::toggled, this, [this](bool show) { setVisible(show); });
    auto *toggle = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_U), Window);
    connect(toggle, &QShortcut::activated, box, &QCheckBox::toggle);
    return box;
}

void TUnitUsesPanel::ShowNode(const TITreeNode *Node)
{
    if (isHidden())
        return;
    while (Node && Node->Parent())
        Node = Node->Parent();
    ShowUnit(Node ? Node->Text() : QString());
}

void TUnitUsesPanel::SetSources(TUnitGraphSources Sources)
{
    FSources = std::move(Sources);
    FBuild.reset();
}

void TUnitUsesPanel::Clear()
{
    FSources.reset();
    FBuild.reset();
    FUnitName.clear();
    FRows->clear();
    FTitle->setText(u"Select a unit to see why it is linked."_s);
}

void TUnitUsesPanel::EnsureGraph()
{
    if (FBuild || !FSources)
        return;
    FBuild = std::make_unique<TUnitGraphBuild>(BuildUnitGraph(*FSources));
}

void TUnitUsesPanel::ShowUnit(const QString &UnitName)
{
    FUnitName = UnitName;
    FRows->clear();
    if (UnitName.isEmpty() || !FSources) {
        FTitle->setText(u"Select a unit to see why it is linked."_s);
        return;
    }
    EnsureGraph();
    const TUnitGraph &graph = FBuild->Graph;
    const std::optional<int> unit = graph.IndexOf(UnitName);
    if (!unit) {
        FTitle->setText(u"%1 is not linked into the program."_s.arg(UnitName));
        return;
    }
    const TUnitNode &node = graph.Node(*unit);
    if (!graph.Reachable(*unit)) {
        FTitle->setText(u"%1: %2 bytes of code. No chain from the program is known: units on the way have "
                        u"unknown uses (no .dcu file or source below the search folder)."_s.arg(
                            node.Name, Bytes(node.CodeSize)));
    } else {
        const std::vector<int> kept = graph.Keeps(*unit);
        FTitle->setText(u"%1: %2 bytes of code. Removing it saves %3%4 bytes in %5."_s.arg(
            node.Name, Bytes(node.CodeSize), graph.RetainedIsUpperBound(*unit) ? u"up to "_s : QString(),
            Bytes(graph.RetainedSize(*unit)),
            kept.size() == 1 ? u"1 unit"_s : u"%1 units"_s.arg(kept.size())));
    }
    AddChains(*unit);
    AddUsers(*unit);
    AddKept(*unit);
    FRows->expandAll();
    FRows->resizeColumnToContents(0);
}

QTreeWidgetItem *TUnitUsesPanel::Section(const QString &Caption)
{
    auto *item = new QTreeWidgetItem(FRows, {Caption});
    QFont bold = item->font(0);
    bold.setBold(true);
    item->setFont(0, bold);
    item->setFirstColumnSpanned(true);
    return item;
}

QTreeWidgetItem *TUnitUsesPanel::UnitRow(QTreeWidgetItem *Parent, int Unit, const QString &Detail)
{
    const QString name = FBuild->Graph.Node(Unit).Name;
    auto *item = new QTreeWidgetItem(Parent, {name, Detail});
    item->setData(0, UnitRole, name);
    return item;
}

void TUnitUsesPanel::AddChains(int Unit)
{
    const TUnitGraph &graph = FBuild->Graph;
    const std::vector<TUnitChain> chains = graph.Chains(Unit, 3);
    for (size_t c = 0; c < chains.size(); ++c) {
        QTreeWidgetItem *section =
            Section(c == 0 ? u"Shortest chain from the program"_s : u"Chain %1"_s.arg(c + 1));
        for (const TChainStep &step : chains[c])
            UnitRow(section, step.Unit, step.Edge ? EdgeText(*step.Edge) : u"the program"_s);
    }
}

void TUnitUsesPanel::AddUsers(int Unit)
{
    const std::vector<TUnitUser> users = FBuild->Graph.UsedBy(Unit);
    QTreeWidgetItem *section = Section(u"Used directly by (%1)"_s.arg(users.size()));
    for (const TUnitUser &user : users)
        UnitRow(section, user.Unit, EdgeText(user.Edge));
}

void TUnitUsesPanel::AddKept(int Unit)
{
    const TUnitGraph &graph = FBuild->Graph;
    const std::vector<int> kept = graph.Keeps(Unit);
    if (kept.empty())
        return;
    QTreeWidgetItem *section = Section(u"Keeps alive (%1 bytes)"_s.arg(Bytes(graph.RetainedSize(Unit))));
    for (const int k : kept) {
        QTreeWidgetItem *row = UnitRow(section, k, Bytes(graph.Node(k).CodeSize) + u" bytes"_s);
        row->setTextAlignment(1, Qt::AlignLeft | Qt::AlignVCenter);
    }
}

void TUnitUsesPanel::RowActivated(QTreeWidgetItem *Item)
{
    const QString name = Item ? Item->data(0, UnitRole).toString() : QString();
    if (!name.isEmpty() && OnUnitClick)
        OnUnitClick(this, name);
}
