#include "controls/DMInteractiveCustomControl.h"

#include "base/UMultiLang.h"
#include "controls/ICCScrollBar.h"

#include <QCoreApplication>

namespace {

std::unique_ptr<TDMInteractiveCustomControl> &Holder()
{
    static std::unique_ptr<TDMInteractiveCustomControl> holder;
    return holder;
}

} // namespace

TDMInteractiveCustomControl &TDMInteractiveCustomControl::Instance()
{
    auto &holder = Holder();
    if (!holder) {
        holder.reset(new TDMInteractiveCustomControl());
        // Menus are widgets: they must go before the application object does.
        static const bool freedAtExit = (qAddPostRoutine(Free), true);
        Q_UNUSED(freedAtExit);
    }
    return *holder;
}

bool TDMInteractiveCustomControl::Exists()
{
    return Holder() != nullptr;
}

void TDMInteractiveCustomControl::Free()
{
    Holder().reset();
}

TDMInteractiveCustomControl::TDMInteractiveCustomControl()
{
    CreateScrollBarMenu(InterfaceIsEnglish());
    CreateColumnMenus();
}

TDMInteractiveCustomControl::~TDMInteractiveCustomControl() = default;

void TDMInteractiveCustomControl::CreateScrollBarMenu(bool english)
{
    FPMScrollBar = std::make_unique<QMenu>();
    FPMScrollBar->setObjectName("PMScrollBar");
    FMIScrollHere = FPMScrollBar->addAction(english ? "Scroll Here" : "Défilement ici");
    FPMScrollBar->addSeparator();
    FMIScrollTop = FPMScrollBar->addAction(english ? "Begin" : "Debut");
    FMIScrollBottom = FPMScrollBar->addAction(english ? "End" : "Fin");
    FPMScrollBar->addSeparator();
    FMIScrollPrevious = FPMScrollBar->addAction(english ? "Previous Page" : "Page précédente");
    FMIScrollNext = FPMScrollBar->addAction(english ? "Next Page" : "Page suivante");
    FMIScrollHere->setObjectName("MIScrollHere");
    FMIScrollTop->setObjectName("MIScrollTop");
    FMIScrollBottom->setObjectName("MIScrollBottom");
    FMIScrollPrevious->setObjectName("MIScrollPrevious");
    FMIScrollNext->setObjectName("MIScrollNext");
    connect(FPMScrollBar.get(), &QMenu::triggered, this, &TDMInteractiveCustomControl::ScrollBarMenuChosen);
}

void TDMInteractiveCustomControl::CreateColumnMenus()
{
    FPMColumn = std::make_unique<QMenu>();
    FPMColumn->setObjectName("PMColumn");
    connect(FPMColumn.get(), &QMenu::triggered, this, [this](QAction *item) {
        if (OnColumnMenu)
            OnColumnMenu(item);
    });

    FPMColumnSize = std::make_unique<QMenu>();
    FPMColumnSize->setObjectName("PMColumnSize");
    FMIColumnAutoWidth = FPMColumnSize->addAction(Translate(QStringLiteral("Largeur Automatique")));
    FMIColumnMinWidth = FPMColumnSize->addAction(Translate(QStringLiteral("Largeur Minimale")));
    FMIColumnCustomWidth = FPMColumnSize->addAction(Translate(QStringLiteral("Largeur Personnalisée...")));
    FMIColumnAutoWidth->setObjectName("MIColumnAutoWidth");
    FMIColumnMinWidth->setObjectName("MIColumnMinWidth");
    FMIColumnCustomWidth->setObjectName("MIColumnCustomWidth");
    connect(FPMColumnSize.get(), &QMenu::triggered, this, [this](QAction *item) {
        if (OnColumnSizeMenu)
            OnColumnSizeMenu(item);
    });
}

void TDMInteractiveCustomControl::PopupScrollBarMenu(TICCScrollBar *bar, int tag,
                                                     const QPoint &globalPosition)
{
    FScrollBar = bar;
    FScrollBarTag = tag;
    FPMScrollBar->popup(globalPosition);
}

void TDMInteractiveCustomControl::ForgetScrollBar(const TICCScrollBar *bar)
{
    if (FScrollBar == bar)
        FScrollBar = nullptr;
}

void TDMInteractiveCustomControl::ScrollBarMenuChosen(QAction *item)
{
    if (!FScrollBar)
        return;
    if (item == FMIScrollHere)
        FScrollBar->ScrollHere(FScrollBarTag);
    else if (item == FMIScrollTop)
        FScrollBar->MoveToStart();
    else if (item == FMIScrollBottom)
        FScrollBar->MoveToEnd();
    else if (item == FMIScrollPrevious)
        FScrollBar->MoveBack(FScrollBar->Page());
    else if (item == FMIScrollNext)
        FScrollBar->MoveForward(FScrollBar->Page());
}
