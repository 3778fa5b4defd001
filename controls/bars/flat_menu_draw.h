#pragma once
// Drawing of the flat menus: one item (popup or menu-bar) into its
// rectangle, the three-line frame of a menu window with the line that joins
// it to its pressed menu-bar button, and the 4-pixel shadow over what lies
// behind the window.
#include "controls/bars/flat_menu_model.h"

#include <QImage>

class QFont;
class QPainter;

struct MenuItemDrawState {
    bool selected = false;         // highlighted, or a menu-bar item whose menu is open
    bool menuBarItem = false;
    bool hotLight = false;         // a menu-bar item under the mouse or the keyboard
    bool inactive = false;         // the menu's window is not active
    bool noAccelUnderline = false; // opened with the mouse: mnemonics are not underlined
    // What a menu-bar item stands on (CLR_NONE: the button face): the bar's
    // band, so that an idle button and the pressed one's strip blend into it.
    COLORREF barBackground = CLR_NONE;
};

// Draws the item into rect, off screen, and copies it once. Returns true for
// a menu-bar item shown pressed with its menu open; *dropped is then its
// rectangle without the shadow strip.
bool DrawFlatMenuItem(QPainter& painter, const RECT& rect, const MenuItem& item, const MenuItemDrawState& state,
                      const QImage* image, const QFont& font, RECT* dropped = nullptr);

// The frame of a menu window whose menu body is body (the window less its
// shadow): the outer line and two inner ones; with a pressed menu-bar button
// whose rectangle in window coordinates touches the top edge (droppedLeft to
// droppedRight), the top lines under it in the image column colour.
void DrawMenuFrame(QPainter& painter, const RECT& body, int droppedLeft = 0, int droppedRight = 0);

// The shadow along the right and bottom of body, from what lies behind the
// window (backdrop, in window coordinates): 4 levels across, and cut on a
// diagonal where the bands begin so the corners are round.
void DrawMenuShadow(QImage& window, const RECT& body, const QImage& backdrop);
