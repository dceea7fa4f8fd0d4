#pragma once
// The message dialog of the program: sized to its text, an icon from the standard icon store, buttons
// in a tinted band, French texts through the translation service, and the pressed button's caption as
// the result.

#include "base/UMultiLang.h"
#include "controls/UColors.h"

#include <QDialog>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantList>

class QLabel;
class QPushButton;
class QScrollArea;

class TStdMessageDlg : public QDialog
{
    Q_OBJECT
public:
    explicit TStdMessageDlg(QWidget *owner = nullptr);

    // Lays the dialog out for its message and the given button captions (left to right, at least one).
    void Setup(const QStringList &buttons);
    // Shows the dialog modally; the pressed button's caption, or empty when closed otherwise.
    QString Execute();

    QString IconName() const { return FIconName; }
    void SetIconName(const QString &name) { FIconName = name; }
    QString Message() const { return FMessage; }
    void SetMessage(const QString &message) { FMessage = message; }
    TMultiLangSettings TranslateSettings() const { return FTranslate; }
    // The translated message, as measured and copied.
    QString DisplayText() const { return FDisplayText; }
    int ButtonTop() const { return FButtonTop; }
    // The result: the caption of the pressed button as passed to Setup.
    QString Hint() const { return FHint; }
    QScrollArea *ScrollBox() const { return FScrollBox; }
    QLabel *TextLabel() const { return FTextLabel; }
    const QList<QPushButton *> &Buttons() const { return FButtons; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void ButtonClick(QPushButton *sender);

private:
    struct TTextExtent
    {
        int Width = 0;
        int Height = 0;
        bool Truncated = false;
    };

    void SetupWindow();
    int ButtonWidth(const QStringList &buttons) const;
    TTextExtent MeasureText() const;
    void CreateTextLabel(int clientWidth, int clientHeight, const TTextExtent &text);
    void CreateButtons(const QStringList &buttons, int buttonWidth, int clientWidth, int clientHeight);
    bool HandleKey(QKeyEvent *event);
    TColor BandColor() const;

    TMultiLangSettings FTranslate;
    QString FMessage;
    QString FDisplayText;
    QScrollArea *FScrollBox = nullptr;
    QLabel *FTextLabel = nullptr;
    QString FIconName;
    int FButtonTop = 0;
    QString FHint;
    QList<QPushButton *> FButtons;
};

// Per channel a + (b - a) * t with t held in 20 fractional bits; system colours resolved first.
TColor BlendColors(TColor a, TColor b, double t);

QString ShowStdMessage(const QString &caption, const QString &message, const QString &iconName,
                       const QStringList &buttons);
void ShowErrorMessage(const QString &text);
void ShowErrorMessageFmt(const QString &format, const QVariantList &args);
// kind 0 question, 1 save question, 2 exit question (icons); true only for the button "Oui".
bool ConfirmMessage(const QString &text, quint8 kind = 0);
bool ConfirmMessageFmt(const QString &format, const QVariantList &args, quint8 kind = 0);
