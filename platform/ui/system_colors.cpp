#include "platform/ui/system_colors.h"

#include <QApplication>
#include <QPalette>
#include <atomic>

namespace {

std::atomic<bool> pinned{false};

COLORREF FromQColor(const QColor& c) { return RGB(c.red(), c.green(), c.blue()); }

} // namespace

COLORREF ClassicSysColor(int index) {
    switch (index) {
    case COLOR_WINDOW: return RGB(255, 255, 255);
    case COLOR_WINDOWFRAME: return RGB(0, 0, 0);
    case COLOR_MENUTEXT: return RGB(0, 0, 0);
    case COLOR_WINDOWTEXT: return RGB(0, 0, 0);
    case COLOR_HIGHLIGHT: return RGB(0, 0, 128);
    case COLOR_HIGHLIGHTTEXT: return RGB(255, 255, 255);
    case COLOR_BTNFACE: return RGB(192, 192, 192);
    case COLOR_BTNSHADOW: return RGB(128, 128, 128);
    case COLOR_GRAYTEXT: return RGB(128, 128, 128);
    case COLOR_BTNTEXT: return RGB(0, 0, 0);
    case COLOR_BTNHIGHLIGHT: return RGB(255, 255, 255);
    case COLOR_3DDKSHADOW: return RGB(64, 64, 64);
    case COLOR_3DLIGHT: return RGB(223, 223, 223);
    default: return RGB(0, 0, 0);
    }
}

void PinSysColors() { pinned = true; }
void UnpinSysColors() { pinned = false; }

COLORREF GetSysColor(int index) {
    if (pinned || !qApp)
        return ClassicSysColor(index);
    const QPalette palette = QApplication::palette();
    switch (index) {
    case COLOR_WINDOW: return FromQColor(palette.color(QPalette::Base));
    case COLOR_MENUTEXT:
    case COLOR_WINDOWTEXT: return FromQColor(palette.color(QPalette::WindowText));
    case COLOR_HIGHLIGHT: return FromQColor(palette.color(QPalette::Highlight));
    case COLOR_HIGHLIGHTTEXT: return FromQColor(palette.color(QPalette::HighlightedText));
    case COLOR_BTNFACE: return FromQColor(palette.color(QPalette::Button));
    case COLOR_BTNSHADOW: return FromQColor(palette.color(QPalette::Dark));
    case COLOR_GRAYTEXT: return FromQColor(palette.color(QPalette::Disabled, QPalette::Text));
    case COLOR_BTNTEXT: return FromQColor(palette.color(QPalette::ButtonText));
    case COLOR_BTNHIGHLIGHT: return FromQColor(palette.color(QPalette::Light));
    case COLOR_3DDKSHADOW: return FromQColor(palette.color(QPalette::Shadow));
    case COLOR_3DLIGHT: return FromQColor(palette.color(QPalette::Midlight));
    case COLOR_WINDOWFRAME: return FromQColor(palette.color(QPalette::WindowText));
    default: return ClassicSysColor(index);
    }
}
