#pragma once
// The value types and constants that window code computes with, in the
// shape its specifications use: rectangles and points, COLORREF colours,
// system colour indexes, virtual-key codes, DrawText flags and messages.
#include <cstdint>

using UINT = unsigned int;
using BOOL = int;
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;
using COLORREF = uint32_t; // 0x00BBGGRR

constexpr COLORREF RGB(int r, int g, int b) {
    return static_cast<COLORREF>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int GetRValue(COLORREF c) { return c & 0xFF; }
constexpr int GetGValue(COLORREF c) { return (c >> 8) & 0xFF; }
constexpr int GetBValue(COLORREF c) { return (c >> 16) & 0xFF; }
constexpr COLORREF CLR_DEFAULT = 0xFF000000;
constexpr COLORREF CLR_NONE = 0xFFFFFFFF;

constexpr LPARAM MAKELPARAM(int low, int high) {
    return static_cast<LPARAM>(static_cast<uint32_t>((low & 0xFFFF) | ((high & 0xFFFF) << 16)));
}
constexpr int LOWORD(uintptr_t v) { return static_cast<int>(v & 0xFFFF); }
constexpr int HIWORD(uintptr_t v) { return static_cast<int>((v >> 16) & 0xFFFF); }

struct POINT {
    int x = 0, y = 0;
};

struct SIZE {
    int cx = 0, cy = 0;
};

struct RECT {
    int left = 0, top = 0, right = 0, bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool IsRectEmpty() const { return right <= left || bottom <= top; }
    bool PtInRect(POINT p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
    void OffsetRect(int dx, int dy) {
        left += dx, right += dx;
        top += dy, bottom += dy;
    }
    void DeflateRect(int dx, int dy) {
        left += dx, right -= dx;
        top += dy, bottom -= dy;
    }
    bool operator==(const RECT& o) const {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
};

// System colours by their Win32 index.
enum SysColor : int {
    COLOR_WINDOW = 5,
    COLOR_MENUTEXT = 7,
    COLOR_WINDOWTEXT = 8,
    COLOR_HIGHLIGHT = 13,
    COLOR_HIGHLIGHTTEXT = 14,
    COLOR_BTNFACE = 15,
    COLOR_BTNSHADOW = 16,
    COLOR_GRAYTEXT = 17,
    COLOR_BTNTEXT = 18,
    COLOR_BTNHIGHLIGHT = 20,
    COLOR_3DDKSHADOW = 21,
    SYS_COLOR_COUNT = 31,
};

// Virtual-key codes.
enum VirtualKey : int {
    VK_BACK = 0x08, VK_TAB = 0x09, VK_RETURN = 0x0D, VK_SHIFT = 0x10, VK_CONTROL = 0x11, VK_MENU = 0x12,
    VK_ESCAPE = 0x1B, VK_SPACE = 0x20, VK_PRIOR = 0x21, VK_NEXT = 0x22, VK_END = 0x23, VK_HOME = 0x24,
    VK_LEFT = 0x25, VK_UP = 0x26, VK_RIGHT = 0x27, VK_DOWN = 0x28, VK_INSERT = 0x2D, VK_DELETE = 0x2E,
    VK_F1 = 0x70,
};

// DrawText flags.
enum : UINT {
    DT_LEFT = 0x0, DT_CENTER = 0x1, DT_RIGHT = 0x2, DT_VCENTER = 0x4, DT_BOTTOM = 0x8, DT_WORDBREAK = 0x10,
    DT_SINGLELINE = 0x20, DT_CALCRECT = 0x400, DT_NOPREFIX = 0x800, DT_END_ELLIPSIS = 0x8000,
};

// Background modes.
enum : int { TRANSPARENT = 1, OPAQUE = 2 };

// Messages.
enum : UINT {
    WM_NCDESTROY = 0x0082,
    WM_SIZE = 0x0005,
    WM_SETFOCUS = 0x0007,
    WM_KILLFOCUS = 0x0008,
    WM_SETTEXT = 0x000C,
    WM_GETTEXT = 0x000D,
    WM_GETTEXTLENGTH = 0x000E,
    WM_PAINT = 0x000F,
    WM_ERASEBKGND = 0x0014,
    WM_SYSCOLORCHANGE = 0x0015,
    WM_NOTIFY = 0x004E,
    WM_KEYDOWN = 0x0100,
    WM_KEYUP = 0x0101,
    WM_CHAR = 0x0102,
    WM_TIMER = 0x0113,
    WM_MOUSEMOVE = 0x0200,
    WM_LBUTTONDOWN = 0x0201,
    WM_LBUTTONUP = 0x0202,
    WM_LBUTTONDBLCLK = 0x0203,
    WM_RBUTTONDOWN = 0x0204,
    WM_RBUTTONUP = 0x0205,
    WM_MOUSEWHEEL = 0x020A,
    WM_USER = 0x0400,
};

// WM_SIZE kinds, RedrawWindow flags.
enum : UINT { SIZE_RESTORED = 0 };
enum : UINT { RDW_INVALIDATE = 0x1, RDW_ERASE = 0x4, RDW_UPDATENOW = 0x100 };

// The record a notification carries to its owner in WM_NOTIFY's lParam.
class CWnd;
struct NMHDR {
    CWnd* hwndFrom = nullptr;
    uintptr_t idFrom = 0;
    int code = 0;
};
