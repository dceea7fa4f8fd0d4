#include "app/WindowFit.h"

#include <QGuiApplication>
#include <QMargins>
#include <QScreen>
#include <QWidget>

#include <algorithm>

QRect FittedFrame(const QRect &frame, const QRect &available, const QSize &minimum)
{
    if (available.isEmpty())
        return frame;
    QRect fitted = frame;
    fitted.setWidth(std::max(std::min(frame.width(), available.width()), minimum.width()));
    fitted.setHeight(std::max(std::min(frame.height(), available.height()), minimum.height()));
    fitted.moveLeft(
        std::max(available.left(), std::min(fitted.left(), available.right() + 1 - fitted.width())));
    fitted.moveTop(
        std::max(available.top(), std::min(fitted.top(), available.bottom() + 1 - fitted.height())));
    return fitted;
}

void FitIntoScreen(QWidget &window)
{
    const QRect frame = window.frameGeometry();
    const QScreen *screen = QGuiApplication::screenAt(frame.center());
    if (!screen)
        screen = window.screen();
    if (!screen)
        return;
    const QRect client = window.geometry();
    const QMargins margins(client.left() - frame.left(), client.top() - frame.top(),
                           frame.right() - client.right(), frame.bottom() - client.bottom());
    const QRect fitted =
        FittedFrame(frame, screen->availableGeometry(), window.minimumSize().grownBy(margins));
    if (fitted != frame)
        window.setGeometry(fitted.marginsRemoved(margins));
}
