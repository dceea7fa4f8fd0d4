#pragma once
// The small window shown while a long compiled-unit scan runs. It is not modal: the scan pumps events
// from its progress callback, which is how a click on the abort button gets through. The button holds
// the abort request itself: disabled means an abort was requested.

#include <QDialog>

class QLabel;
class QPushButton;

class TScanFilesAbort : public QDialog
{
    Q_OBJECT

public:
    explicit TScanFilesAbort(QWidget *mainWindow = nullptr);

    // Arms the button again and empties the folder label; called before each scan.
    void ResetAbort();
    bool Aborted() const;

    QLabel *LACurrentDirectory() const { return FLACurrentDirectory; }
    QPushButton *BBAbort() const { return FBBAbort; }

protected:
    void showEvent(QShowEvent *event) override;
    // Escape would hide the window; only the button ends a scan early.
    void reject() override {}
    virtual void BBAbortClick();

private:
    QLabel *FLACurrentDirectory = nullptr;
    QPushButton *FBBAbort = nullptr;
};
