#pragma once
// Value types and constants for window code: rectangles and points, COLORREF
// colours, fonts, system colour indexes, virtual-key codes, DrawText flags,
// window styles, messages and their parameter bits, scroll-bar records. They
// keep the Win32 names and values, so that window procedures and the
// arithmetic of models read as they would there. Plain C++, so that models
// and geometry can use them without Qt.
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

// The signed point packed in a message parameter (mouse messages, GetMessagePos).
constexpr POINT PointFromParam(uintptr_t packed) {
    return POINT{static_cast<int16_t>(packed & 0xFFFF), static_cast<int16_t>((packed >> 16) & 0xFFFF)};
}

struct SIZE {
    int cx = 0, cy = 0;
};

struct RECT {
    int left = 0, top = 0, right = 0, bottom = 0;

    bool operator!=(const RECT& o) const { return !(*this == o); }

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
    void InflateRect(int dx, int dy) { DeflateRect(-dx, -dy); }
    bool operator==(const RECT& o) const {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
};

// A font description: a negative height is the character height, a positive
// one the cell height (character height plus internal leading), 0 the default.
struct LOGFONT {
    int lfHeight = 0;
    int lfWidth = 0;
    int lfEscapement = 0;
    int lfOrientation = 0;
    int lfWeight = 400; // 400 normal, 700 bold
    unsigned char lfItalic = 0;
    unsigned char lfUnderline = 0;
    unsigned char lfStrikeOut = 0;
    unsigned char lfCharSet = 0;
    unsigned char lfOutPrecision = 0;
    unsigned char lfClipPrecision = 0;
    unsigned char lfQuality = 0;
    unsigned char lfPitchAndFamily = 0;
    char lfFaceName[32] = {};
};

// Scroll-bar state as SetScrollInfo/GetScrollInfo exchange it.
struct SCROLLINFO {
    UINT cbSize = sizeof(SCROLLINFO);
    UINT fMask = 0;
    int nMin = 0;
    int nMax = 0;
    UINT nPage = 0;
    int nPos = 0;
    int nTrackPos = 0;
};
enum : UINT { SIF_RANGE = 0x1, SIF_PAGE = 0x2, SIF_POS = 0x4, SIF_DISABLENOSCROLL = 0x8, SIF_TRACKPOS = 0x10,
              SIF_ALL = 0x17 };
enum : int { SB_HORZ = 0, SB_VERT = 1, SB_CTL = 2, SB_BOTH = 3 };
// Scroll requests in the low word of WM_HSCROLL/WM_VSCROLL's wParam.
enum : int {
    SB_LINEUP = 0, SB_LINELEFT = 0, SB_LINEDOWN = 1, SB_LINERIGHT = 1, SB_PAGEUP = 2, SB_PAGELEFT = 2,
    SB_PAGEDOWN = 3, SB_PAGERIGHT = 3, SB_THUMBPOSITION = 4, SB_THUMBTRACK = 5, SB_TOP = 6, SB_LEFT = 6,
    SB_BOTTOM = 7, SB_RIGHT = 7, SB_ENDSCROLL = 8,
};

// System colours by their Win32 index.
enum SysColor : int {
    COLOR_WINDOW = 5,
    COLOR_WINDOWFRAME = 6,
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
    COLOR_3DLIGHT = 22,
    SYS_COLOR_COUNT = 31,
};

// Virtual-key codes.
enum VirtualKey : int {
    VK_LBUTTON = 0x01, VK_RBUTTON = 0x02, VK_MBUTTON = 0x04, VK_XBUTTON1 = 0x05, VK_XBUTTON2 = 0x06,
    VK_BACK = 0x08, VK_TAB = 0x09, VK_RETURN = 0x0D, VK_SHIFT = 0x10, VK_CONTROL = 0x11, VK_MENU = 0x12,
    VK_ESCAPE = 0x1B, VK_SPACE = 0x20, VK_PRIOR = 0x21, VK_NEXT = 0x22, VK_END = 0x23, VK_HOME = 0x24,
    VK_LEFT = 0x25, VK_UP = 0x26, VK_RIGHT = 0x27, VK_DOWN = 0x28, VK_INSERT = 0x2D, VK_DELETE = 0x2E,
    VK_APPS = 0x5D, VK_F1 = 0x70, VK_F2 = 0x71,
};

// DrawText flags.
enum : UINT {
    DT_LEFT = 0x0, DT_CENTER = 0x1, DT_RIGHT = 0x2, DT_VCENTER = 0x4, DT_BOTTOM = 0x8, DT_WORDBREAK = 0x10,
    DT_SINGLELINE = 0x20, DT_CALCRECT = 0x400, DT_NOPREFIX = 0x800, DT_PATH_ELLIPSIS = 0x4000,
    DT_END_ELLIPSIS = 0x8000,
};

// Background modes.
enum : int { TRANSPARENT = 1, OPAQUE = 2 };

// Messages.
enum : UINT {
    WM_CREATE = 0x0001,
    WM_DESTROY = 0x0002,
    WM_MOVE = 0x0003,
    WM_NCDESTROY = 0x0082,
    WM_SIZE = 0x0005,
    WM_SETFOCUS = 0x0007,
    WM_KILLFOCUS = 0x0008,
    WM_ENABLE = 0x000A,
    WM_SETTEXT = 0x000C,
    WM_GETTEXT = 0x000D,
    WM_GETTEXTLENGTH = 0x000E,
    WM_PAINT = 0x000F,
    WM_CLOSE = 0x0010,
    WM_ERASEBKGND = 0x0014,
    WM_SYSCOLORCHANGE = 0x0015,
    WM_SETCURSOR = 0x0020,
    WM_GETDLGCODE = 0x0087,
    WM_SETFONT = 0x0030,
    WM_GETFONT = 0x0031,
    WM_NOTIFY = 0x004E,
    WM_CONTEXTMENU = 0x007B,
    WM_KEYDOWN = 0x0100,
    WM_KEYUP = 0x0101,
    WM_CHAR = 0x0102,
    WM_SYSKEYDOWN = 0x0104,
    WM_SYSKEYUP = 0x0105,
    WM_SYSCHAR = 0x0106,
    WM_COMMAND = 0x0111,
    WM_TIMER = 0x0113,
    WM_HSCROLL = 0x0114,
    WM_VSCROLL = 0x0115,
    WM_MOUSEMOVE = 0x0200,
    WM_LBUTTONDOWN = 0x0201,
    WM_LBUTTONUP = 0x0202,
    WM_LBUTTONDBLCLK = 0x0203,
    WM_RBUTTONDOWN = 0x0204,
    WM_RBUTTONUP = 0x0205,
    WM_RBUTTONDBLCLK = 0x0206,
    WM_MBUTTONDOWN = 0x0207,
    WM_MBUTTONUP = 0x0208,
    WM_MBUTTONDBLCLK = 0x0209,
    WM_MOUSEWHEEL = 0x020A,
    WM_XBUTTONDOWN = 0x020B,
    WM_XBUTTONUP = 0x020C,
    WM_XBUTTONDBLCLK = 0x020D,
    WM_MOUSEHWHEEL = 0x020E,
    WM_DROPFILES = 0x0233,
    WM_CAPTURECHANGED = 0x0215,
    WM_MOUSELEAVE = 0x02A3,
    WM_CUT = 0x0300,
    WM_COPY = 0x0301,
    WM_PASTE = 0x0302,
    WM_CLEAR = 0x0303,
    WM_UNDO = 0x0304,
    WM_USER = 0x0400,
};

// Key and button state bits of mouse messages (wParam, low word for the wheel).
enum : UINT { MK_LBUTTON = 0x1, MK_RBUTTON = 0x2, MK_SHIFT = 0x4, MK_CONTROL = 0x8, MK_MBUTTON = 0x10,
              MK_XBUTTON1 = 0x20, MK_XBUTTON2 = 0x40 };
// Which extra button, in the high word of WM_XBUTTON*'s wParam.
enum : UINT { XBUTTON1 = 0x1, XBUTTON2 = 0x2 };
constexpr int WHEEL_DELTA = 120;
constexpr int GET_WHEEL_DELTA_WPARAM(uintptr_t w) { return static_cast<int16_t>(HIWORD(w)); }
// WM_SETCURSOR's hit-test code (low word of lParam).
enum : int { HTCLIENT = 1 };
// WM_GETDLGCODE answers.
enum : UINT { DLGC_WANTARROWS = 0x1, DLGC_WANTTAB = 0x2, DLGC_WANTALLKEYS = 0x4, DLGC_WANTCHARS = 0x80 };
// Notification codes of WM_COMMAND's high word.
enum : UINT { BN_CLICKED = 0 };

// Window styles: only those the window layer acts on.
enum : uint32_t {
    WS_CHILD = 0x40000000, WS_VISIBLE = 0x10000000, WS_DISABLED = 0x08000000, WS_CLIPSIBLINGS = 0x04000000,
    WS_CLIPCHILDREN = 0x02000000, WS_BORDER = 0x00800000, WS_VSCROLL = 0x00200000, WS_HSCROLL = 0x00100000,
    WS_TABSTOP = 0x00010000,
};
enum : uint32_t { WS_EX_CLIENTEDGE = 0x200 };

// Cursor shapes.
enum class Cursor { Arrow, SizeWE, SizeNS, Hand, Wait, IBeam };

// WM_SIZE kinds, RedrawWindow flags.
enum : UINT { SIZE_RESTORED = 0 };
enum : UINT { RDW_INVALIDATE = 0x1, RDW_ERASE = 0x4, RDW_UPDATENOW = 0x100 };
// TrackMouseEvent requests.
enum : UINT { TME_LEAVE = 0x2, TME_CANCEL = 0x80000000 };

// The record a notification carries to its owner in WM_NOTIFY's lParam.
class CWnd;
struct NMHDR {
    CWnd* hwndFrom = nullptr;
    uintptr_t idFrom = 0;
    int code = 0;
};
