#include "controls/CAutoCompleteEdit.h"

#include "controls/UStandardIcons.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QListWidget>
#include <QTimer>
#include <QToolButton>

TCustomAutoCompleteEdit::TCustomAutoCompleteEdit(QWidget *parent) : QLineEdit(parent)
{
    FRefreshTimer = new QTimer(this);
    FRefreshTimer->setSingleShot(true);
    connect(FRefreshTimer, &QTimer::timeout, this, &TCustomAutoCompleteEdit::RefreshSuggestions);
    connect(this, &QLineEdit::textChanged, this, [this] { UpdateValidColor(); });
}

void TCustomAutoCompleteEdit::SetShowButton(bool value)
{
    if (value == FShowButton)
        return;
    FShowButton = value;
    if (value) {
        FButton = new QToolButton(this);
        FButton->setAutoRaise(true);
        FButton->setCursor(Qt::ArrowCursor);
        FButton->setFocusPolicy(Qt::NoFocus);
        connect(FButton, &QToolButton::clicked, this, &TCustomAutoCompleteEdit::PressButton);
        SetButtonGlyphName(FButtonGlyphName);
        FButton->show();
    } else {
        delete FButton;
        FButton = nullptr;
    }
    LayoutButton();
}

void TCustomAutoCompleteEdit::SetButtonGlyphName(const QString &value)
{
    FButtonGlyphName = value;
    if (!FButton)
        return;
    const TStandardImagePtr glyph = GetStandardIcon(value);
    FButton->setIcon(glyph ? QIcon(QPixmap::fromImage(glyph->Image())) : QIcon());
}

bool TCustomAutoCompleteEdit::IsValid() const
{
    return OnValidate ? OnValidate(const_cast<TCustomAutoCompleteEdit *>(this)) : true;
}

QString TCustomAutoCompleteEdit::ValidText() const
{
    return IsValid() ? text() : QString();
}

void TCustomAutoCompleteEdit::UpdateValidColor()
{
    const TColor wanted = IsValid() ? clWindowText : clRed;
    if (wanted == FShownColor)
        return;
    FShownColor = wanted;
    QPalette textPalette = palette();
    textPalette.setColor(QPalette::Text, ColorToQColor(wanted));
    setPalette(textPalette);
}

void TCustomAutoCompleteEdit::ButtonClick()
{
    CloseSuggestions();
    if (OnButtonClick)
        OnButtonClick(this);
}

QStringList TCustomAutoCompleteEdit::FillSuggestions()
{
    return {};
}

void TCustomAutoCompleteEdit::PressButton()
{
    if (FInButtonClick)
        return;
    FInButtonClick = true;
    try {
        ButtonClick();
    } catch (...) {
        FInButtonClick = false;
        throw;
    }
    FInButtonClick = false;
    UpdateValidColor();
    if (isEnabled() && focusPolicy() != Qt::NoFocus && !hasFocus())
        setFocus(Qt::OtherFocusReason);
}

void TCustomAutoCompleteEdit::focusInEvent(QFocusEvent *event)
{
    QLineEdit::focusInEvent(event);
    UpdateValidColor();
    // Entering by keyboard selects the text, a click does not.
    if (event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason)
        selectAll();
    else if (event->reason() == Qt::MouseFocusReason)
        deselect();
}

void TCustomAutoCompleteEdit::focusOutEvent(QFocusEvent *event)
{
    CloseSuggestions();
    QLineEdit::focusOutEvent(event);
    UpdateValidColor();
}

void TCustomAutoCompleteEdit::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::SelectAll)) {
        selectAll();
        return;
    }
    // Tab and Enter never become part of the text.
    if (event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab || event->key() == Qt::Key_Return ||
        event->key() == Qt::Key_Enter) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    const bool atEnd = !hasSelectedText() && cursorPosition() == text().size();
    QLineEdit::keyPressEvent(event);
    const bool printable = !event->text().isEmpty() && event->text().at(0).isPrint();
    if (atEnd && (printable || event->key() == Qt::Key_Backspace))
        FRefreshTimer->start(FRefreshDelay);
}

void TCustomAutoCompleteEdit::RefreshSuggestions()
{
    UpdateValidColor();
    const QStringList suggestions = FillSuggestions();
    if (suggestions.isEmpty()) {
        CloseSuggestions();
        return;
    }
    if (!FSuggestions) {
        FSuggestions = new QListWidget(this);
        FSuggestions->setWindowFlags(Qt::ToolTip);
        connect(FSuggestions, &QListWidget::itemClicked, this, [this](QListWidgetItem *item) {
            setText(item->text());
            CloseSuggestions();
        });
    }
    FSuggestions->clear();
    FSuggestions->addItems(suggestions);
    FSuggestions->setGeometry(QRect(mapToGlobal(rect().bottomLeft()), QSize(width(), 120)));
    FSuggestions->show();
}

void TCustomAutoCompleteEdit::CloseSuggestions()
{
    FRefreshTimer->stop();
    if (FSuggestions)
        FSuggestions->hide();
}

void TCustomAutoCompleteEdit::LayoutButton()
{
    const QRect client = contentsRect();
    if (FButton) {
        FButton->setGeometry(client.right() + 1 - ButtonWidth, client.top(), ButtonWidth, client.height());
        FButton->setEnabled(isEnabled());
    }
    // The text stops short of the button so typed text never runs under it.
    setTextMargins(0, 0, FButton ? ButtonWidth + 2 : 2, 0);
}

void TCustomAutoCompleteEdit::resizeEvent(QResizeEvent *event)
{
    QLineEdit::resizeEvent(event);
    LayoutButton();
}

void TCustomAutoCompleteEdit::changeEvent(QEvent *event)
{
    QLineEdit::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::EnabledChange)
        LayoutButton();
}
