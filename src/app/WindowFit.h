#pragma once
// A window opens wholly on a screen: its designed place, or the one stored on a larger screen or
// another screen set-up, may lie beyond the edge of the screen it opens on (a laptop's, a screen
// that is gone), where its right-hand controls would be out of reach.

#include <QRect>
#include <QSize>

class QWidget;

// The frame moved into `available` as little as possible. One larger than `available` is cut to it,
// though not below `minimum`, and then keeps its top-left corner, with the title bar, on the area.
QRect FittedFrame(const QRect &frame, const QRect &available, const QSize &minimum);

// Moves, and where it must shrinks, a top-level window so that its frame lies on its screen's
// available area (the screen without the task bar).
void FitIntoScreen(QWidget &window);
