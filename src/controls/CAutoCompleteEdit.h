#pragma once
// A single-line edit with an optional browse button inside its right edge, a text coloured by its
// validity, and a suggestion list that descendants feed. Enter and Tab never enter the text.

#include "controls/UColors.h"

#include <QLineEdit>
#include <QString>
#include <QStringList>
#include <functional>

class QTimer;
class QToolButton;
class QListWidget;

class TCustomAutoCompleteEdit : public QLineEdit
{
    Q_OBJECT
public:
    static constexpr int ButtonWidth = 20;

    explicit TCustomAutoCompleteEdit(QWidget *parent = nullptr);

    int RefreshDelay() const { return FRefreshDelay; }
    void SetRefreshDelay(int milliseconds) { FRefreshDelay = milliseconds; }
    bool ShowButton() const { return FShowButton; }
    void SetShowButton(bool value);
    QString ButtonGlyphName() const { return FButtonGlyphName; }
    void SetButtonGlyphName(const QString &value);
    // The browse button while it is shown, else none.
    QToolButton *Button() const { return FButton; }

    virtual bool IsValid() const;
    // The text when valid, else empty.
    QString ValidText() const;
    // Presses the browse button, as a click does.
    void PressButton();

    std::function<bool(TCustomAutoCompleteEdit *sender)> OnValidate;
    std::function<void(TCustomAutoCompleteEdit *sender)> OnButtonClick;

protected:
    // Window text colour when valid, pure red otherwise; an unchanged colour is not set again.
    virtual void UpdateValidColor();
    virtual void ButtonClick();
    virtual QStringList FillSuggestions();

    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void LayoutButton();
    void RefreshSuggestions();
    void CloseSuggestions();

    int FRefreshDelay = 500;
    bool FShowButton = false;
    QString FButtonGlyphName;
    QToolButton *FButton = nullptr;
    bool FInButtonClick = false;
    QTimer *FRefreshTimer = nullptr;
    QListWidget *FSuggestions = nullptr;
    TColor FShownColor = clWindowText;
};
