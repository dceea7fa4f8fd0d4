#pragma once
// The modal dialog shown after an unhandled exception, once the report file is written. It speaks
// French, like the other dialogs of the shared libraries.

#include <QDialog>

class QLabel;
class QPushButton;
class QScrollArea;
class QWidget;

class TCrashReportForm : public QDialog
{
    Q_OBJECT

public:
    explicit TCrashReportForm(QWidget *parent = nullptr);

    // Fills the dialog and shows it modally; returns when it closes.
    void ShowReport(const QString &message, const QString &exceptionClass, const QString &reportFile);
    // Fills the dialog without showing it.
    void Prepare(const QString &message, const QString &exceptionClass, const QString &reportFile);

    QLabel *LAMessage() const { return FLAMessage; }
    QScrollArea *TextScrollBox() const { return FTextScrollBox; }
    QPushButton *BBDetails() const { return FBBDetails; }
    QPushButton *BBSend() const { return FBBSend; }
    QPushButton *BBQuit() const { return FBBQuit; }

protected:
    void showEvent(QShowEvent *event) override;
    virtual void BBDetailsClick();
    // Hands the report to the mail program; the dialog then closes.
    virtual void BBSendClick();

private:
    void AdjustMessageLayout();

    QString FReportFile;
    QString FTranslatedMessage;
    QString FMessage;
    QString FExceptionClass;

    QLabel *FLAMessage = nullptr;
    QScrollArea *FTextScrollBox = nullptr;
    QPushButton *FBBDetails = nullptr;
    QPushButton *FBBSend = nullptr;
    QPushButton *FBBQuit = nullptr;
    QRect FMessageArea;
};
