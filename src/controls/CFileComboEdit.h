#pragma once
// The file name field: red text while the name is not an existing file, and a button that opens the
// open-file dialog.

#include "controls/CAutoCompleteEdit.h"

#include <QDir>

class QFileDialog;

class TFileComboEdit : public TCustomAutoCompleteEdit
{
    Q_OBJECT
public:
    explicit TFileComboEdit(QWidget *parent = nullptr);

    QString DefaultExt() const { return FDefaultExt; }
    void SetDefaultExt(const QString &value) { FDefaultExt = value; }
    QString Filter() const { return FFilter; }
    void SetFilter(const QString &value) { FFilter = value; }
    QString InitialDir() const { return FInitialDir; }
    void SetInitialDir(const QString &value) { FInitialDir = value; }
    // The field shows the system's separators; the program gets Qt's.
    QString FileName() const { return QDir::fromNativeSeparators(text()); }
    void SetFileName(const QString &value) { setText(QDir::toNativeSeparators(value)); }

    bool IsValid() const override;

    // Called with the open-file dialog just before it is shown (tests answer it from here).
    std::function<void(QFileDialog *dialog)> OnDialogShow;

protected:
    void ButtonClick() override;

private:
    QString FDefaultExt;
    QString FFilter;
    QString FInitialDir;
};
