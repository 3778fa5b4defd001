#include "shell/screen_fit.h"

WindowPlacement PlaceOnScreen(QSize wanted, QSize minimum, const QRect& available, const QMargins& frame) {
    const QSize room = available.size().shrunkBy(frame).expandedTo(QSize(1, 1));
    WindowPlacement placement;
    placement.minimum = minimum.boundedTo(room);
    placement.size = wanted.boundedTo(room).expandedTo(placement.minimum);
    const QSize outer = placement.size.grownBy(frame);
    placement.topLeft = available.topLeft() + QPoint((available.width() - outer.width()) / 2,
                                                     (available.height() - outer.height()) / 2);
    return placement;
}
