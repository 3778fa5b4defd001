#pragma once
// System metrics and parameters as one service: scroll-bar and border sizes,
// wheel scroll lines, keyboard delay and speed, the double-click time and
// area, the menu and message fonts, keyboard cues. Read from Qt's style and
// hints; tests pin a fixed table the way they pin the system colours.
#include "platform/ui/win_types.h"

enum : int {
    SM_CXVSCROLL = 2, SM_CYHSCROLL = 3, SM_CXBORDER = 5, SM_CYBORDER = 6, SM_CYVSCROLL = 20, SM_CXHSCROLL = 21,
    SM_CXDOUBLECLK = 36, SM_CYDOUBLECLK = 37, SM_CXEDGE = 45, SM_CYEDGE = 46,
};
int GetSystemMetrics(int index);

enum : UINT {
    SPI_GETKEYBOARDSPEED = 0x000A, SPI_GETKEYBOARDDELAY = 0x0016, SPI_GETNONCLIENTMETRICS = 0x0029,
    SPI_GETWHEELSCROLLLINES = 0x0068, SPI_GETKEYBOARDCUES = 0x100A,
};
// The fonts of SPI_GETNONCLIENTMETRICS (the other fields are left out).
struct NONCLIENTMETRICS {
    UINT cbSize = sizeof(NONCLIENTMETRICS);
    int iScrollWidth = 0;
    int iScrollHeight = 0;
    LOGFONT lfMenuFont;
    LOGFONT lfStatusFont;
    LOGFONT lfMessageFont;
};
// Fills *out (an int, a BOOL or a NONCLIENTMETRICS by action); FALSE for an
// action this service does not know.
BOOL SystemParametersInfo(UINT action, UINT param, void* out, UINT winIni = 0);
UINT GetDoubleClickTime();
// The dialog font: the application's font on the desktop.
LOGFONT DialogFontSetting();

// Everything the service answers, as tests pin it.
struct SystemSettings {
    int scrollBarWidth = 16;  // SM_CXVSCROLL, SM_CXHSCROLL
    int scrollBarHeight = 16; // SM_CYHSCROLL, SM_CYVSCROLL
    int border = 1;           // SM_CXBORDER, SM_CYBORDER
    int edge = 2;             // SM_CXEDGE, SM_CYEDGE
    int doubleClickArea = 4;  // SM_CXDOUBLECLK, SM_CYDOUBLECLK
    int wheelScrollLines = 3; // -1: a page per notch
    int keyboardDelay = 1;    // 0..3, (n + 1) * 250 ms
    int keyboardSpeed = 31;   // 0..31, about 2.5 to 30 repeats a second
    UINT doubleClickTime = 500;
    BOOL keyboardCues = 0;
    LOGFONT menuFont;
    LOGFONT messageFont;
    LOGFONT dialogFont; // the font the dialogs' layouts grow with (dialog_metrics.h)
};
// The classic table: 16-pixel scroll bars, 3 wheel lines, 500 ms double
// clicks, the application font of 14 pixels for menus and messages, and the
// reference dialog font (8 points at 96 dpi, 11 pixels: a 13-pixel line) for
// the dialogs, whose layouts then keep their drawn sizes.
SystemSettings ClassicSystemSettings();
// Pins the answers to settings until Unpin.
void PinSystemSettings(const SystemSettings& settings);
void UnpinSystemSettings();
