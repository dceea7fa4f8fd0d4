// The copy menu, and the copies it makes.
#include "controls/ITVCopyMenu.h"

#include "base/UMultiLang.h"
#include "controls/CInteractiveTreeView.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>
#include <QStringList>

namespace {

struct TCopyCaptions
{
    QString Cell;
    QString Line;
    QString Lines;
};

// Chosen the first time any grid asks, then shared by every grid for the rest of the run.
const TCopyCaptions &CopyCaptions()
{
    static const TCopyCaptions captions =
        InterfaceIsEnglish()
            ? TCopyCaptions{"Copy cell to clipboard", "Copy line to clipboard", "Copy lines to clipboard"}
            : TCopyCaptions{"Copier la cellule", "Copier la ligne", "Copier les lignes"};
    return captions;
}

const QString LineBreak = QStringLiteral("\r\n");

} // namespace

QString QuoteClipboardField(const QString &Field)
{
    QString quoted = Field;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

TITVCopyMenu::TITVCopyMenu(TInteractiveTreeView *View)
    : FView(View), FMenu(new QMenu(View)), FCellItem(FMenu->addAction(CopyCaptions().Cell)),
      FLineItem(FMenu->addAction(CopyCaptions().Line))
{
    QObject::connect(FCellItem, &QAction::triggered, FMenu, [this] { FView->CopyCell(); });
    QObject::connect(FLineItem, &QAction::triggered, FMenu, [this] { FView->CopyLines(); });
}

void TITVCopyMenu::Prepare()
{
    const bool selected = FView->SelectedNode() != nullptr;
    const int column = FView->ClickColumnIndex();
    FCellItem->setEnabled(selected);
    FLineItem->setEnabled(selected && column >= 0 && column < FView->Columns().Count());
    FLineItem->setText(FView->Items().SelectedCount() < 2 ? CopyCaptions().Line : CopyCaptions().Lines);
}

void TInteractiveTreeView::CopyCell()
{
    if (!FSelectedNode)
        return;
    const QString text =
        FClickColumnIndex < 0 ? QString() : DisplayedCellText(FSelectedNode, FClickColumnIndex);
    QGuiApplication::clipboard()->setText(text);
}

QString TInteractiveTreeView::SelectedLinesText()
{
    int remaining = Items().SelectedCount();
    QString text;
    TAbstractTreeBrowser &browser = Browser();
    browser.PushCurrentNode();
    browser.GoFirst();
    for (; remaining > 0 && browser.Current(); browser.GoNextVisible()) {
        TITreeNode *const node = browser.Current();
        if (!node->Selected())
            continue;
        QStringList fields;
        for (int i = 0; i < Columns().Count(); ++i)
            if (Columns().Items(i)->Visible())
                fields << QuoteClipboardField(DisplayedCellText(node, i));
        text += fields.join(QLatin1Char('\t')) + LineBreak;
        --remaining;
    }
    browser.PopCurrentNode();
    text.chop(text.endsWith(LineBreak) ? LineBreak.size() : 0);
    return text;
}

void TInteractiveTreeView::CopyLines()
{
    if (Items().SelectedCount() == 0)
        return;
    QGuiApplication::clipboard()->setText(SelectedLinesText());
}
