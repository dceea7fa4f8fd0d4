#include "controls/CFileComboEdit.h"

#include <QFileDialog>
#include <QFileInfo>

namespace {

// "Description|*.ext;*.other|..." pairs become "Description (*.ext *.other)".
QStringList NameFilters(const QString &filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        filters.append(QStringLiteral("%1 (%2)").arg(
            parts[i], QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' '))));
    return filters;
}

} // namespace

TFileComboEdit::TFileComboEdit(QWidget *parent) : TCustomAutoCompleteEdit(parent)
{
    SetRefreshDelay(200);
    SetButtonGlyphName(QStringLiteral("sb_std_open"));
    SetShowButton(true);
}

bool TFileComboEdit::IsValid() const
{
    return QFileInfo(text()).isFile();
}

void TFileComboEdit::ButtonClick()
{
    QFileDialog dialog(this);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setDefaultSuffix(FDefaultExt);
    if (!FFilter.isEmpty())
        dialog.setNameFilters(NameFilters(FFilter));
    if (!FInitialDir.isEmpty())
        dialog.setDirectory(FInitialDir);
    else if (!text().isEmpty())
        dialog.setDirectory(QFileInfo(FileName()).absolutePath());
    if (!text().isEmpty())
        dialog.selectFile(FileName());
    if (OnDialogShow)
        OnDialogShow(&dialog);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QStringList chosen = dialog.selectedFiles();
    if (!chosen.isEmpty())
        SetFileName(chosen.first());
}
