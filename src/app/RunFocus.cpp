#include "app/RunFocus.h"

#include <QApplication>

void TRunFocus::Remember()
{
    FFocused = QApplication::focusWidget();
}

void TRunFocus::Restore(QWidget *grid, const QList<QWidget *> &locked)
{
    QWidget *const focused = FFocused;
    FFocused = nullptr;
    const bool keep = focused && focused->window() == grid->window() && focused->isEnabled() &&
                      focused->isVisible() &&
                      std::none_of(locked.begin(), locked.end(), [focused](const QWidget *widget) {
                          return widget == focused || widget->isAncestorOf(focused);
                      });
    QWidget *const target = keep ? focused : grid;
    // Not a Tab's reason: a field keeps its selection as it was, rather than selecting all.
    if (QApplication::focusWidget() != target)
        target->setFocus(Qt::OtherFocusReason);
}
