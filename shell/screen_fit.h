#pragma once
// Where the main window first goes on a screen: its size, and its minimum
// size, no larger than the screen's available area leaves room for once
// the window manager's frame (title bar and borders) is around it, and the
// frame centred in that area, so that the title bar and the bars at the
// bottom are both on the screen, at any scaling.
#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>

struct WindowPlacement {
    QSize size;     // of the window inside its frame
    QSize minimum;  // the same
    QPoint topLeft; // of the frame, where a window is moved to
};

// A frame the window manager has not told yet is taken to be this one.
constexpr QMargins kAssumedFrame{4, 32, 4, 4};

WindowPlacement PlaceOnScreen(QSize wanted, QSize minimum, const QRect& available, const QMargins& frame);
