#pragma once
// The flat menus' model and arithmetic, in plain C++: menus and their
// items, the colours derived from the system colours (AdjustColor), the
// item and separator heights for a text height, the item data word that
// carries the measured widths, the size of an item, mnemonic matching and
// the darkening of the shadow.
#include "platform/ui/win_types.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

// Item types and states, with their system values.
enum : UINT { MFT_OWNERDRAW = 0x100, MFT_RADIOCHECK = 0x200, MFT_SEPARATOR = 0x800 };
enum : UINT { MFS_GRAYED = 0x01, MFS_DISABLED = 0x02, MFS_CHECKED = 0x08, MFS_DEFAULT = 0x1000 };
// WM_MENUCHAR flags and answer.
enum : UINT { MF_POPUP = 0x10, MF_SYSMENU = 0x2000, MNC_EXECUTE = 2 };

struct Menu;

struct MenuItem {
    std::string text; // "&Open File...\tCtrl+O": "&" marks the mnemonic, a tab the accelerator
    unsigned command = 0;
    UINT type = 0;
    UINT state = 0;
    std::shared_ptr<Menu> submenu;
    uint32_t itemData = 0; // set when the menu is prepared for drawing

    bool IsSeparator() const { return (type & MFT_SEPARATOR) != 0; }
    bool IsChecked() const { return (state & MFS_CHECKED) != 0; }
    bool IsRadio() const { return (type & MFT_RADIOCHECK) != 0; }
    bool IsDisabled() const { return (state & (MFS_GRAYED | MFS_DISABLED)) == (MFS_GRAYED | MFS_DISABLED); }
    bool IsDefault() const { return (state & MFS_DEFAULT) != 0; }
    bool IsOwnerDrawn() const { return (type & MFT_OWNERDRAW) != 0; }
    // The text before the tab, and the accelerator after it.
    std::string Label() const;
    std::string Accelerator() const;
};

struct Menu {
    std::vector<MenuItem> items;
};

// The label as shown: the first "&" removed ("&&" stays one "&").
std::string WithoutMnemonicMark(const std::string& label);

// The colour with its lightness and saturation (HLS, 0..255) moved by the
// percentages: towards 255 when positive, scaled down when negative.
COLORREF AdjustColor(COLORREF colour, int lightnessPercent, int saturationPercent);

// The colours of the flat menus, from the system colours (by index).
struct FlatMenuColors {
    COLORREF imageColumn, textArea, selectionFill, disabledSelectionFill, selectionOutline, checkedSelectedFill,
        separator, frameOuter, frameInner, text, inactiveText, selectedSilhouette, disabledSilhouette, buttonFace;
};
FlatMenuColors FlatMenuColorsFrom(const std::function<COLORREF(int)>& sysColor);

// Item and separator heights for the height of the menu font's text.
struct FlatMenuMetrics {
    int itemHeight;
    int separatorHeight;
};
FlatMenuMetrics MenuMetricsForTextHeight(int textHeight);

// The item data word: height in bits 0-7, widest accelerator in bits 8-15
// (cut to 8 bits), widest text in bits 16-31. A menu-bar item carries only
// its text width, a separator only its height.
uint32_t PopupItemData(int height, int acceleratorWidth, int textWidth);
uint32_t MenuBarItemData(int textWidth);
// The size an item asks for: text + accelerator + 42 in a popup, text + 4
// on a menu bar (height 0: the bar's own).
SIZE MeasureMenuItem(uint32_t itemData);

// Widths of a text in the menu font, bold for a default item.
using MeasureText = std::function<int(const std::string& text, bool bold)>;
// Prepares a menu for drawing: every item becomes owner-drawn and gets its
// item data word; items already owner-drawn keep their type, and only the
// data words are computed again.
void UpdateMenu(Menu& menu, const FlatMenuMetrics& metrics, const MeasureText& measure, bool isMenuBar);

// WM_MENUCHAR for a typed character: (index | MNC_EXECUTE << 16) for the
// first item whose mnemonic is that letter (either case; after "&&" a letter
// is no mnemonic), 0 when none matches or the menu is a system menu.
LRESULT HandleMenuChar(const Menu& menu, UINT character, UINT flags);

// The shadow: each of its 4 pixels across keeps (93 - 5 * level) percent of
// what lies behind, level 0 beside the menu and 3 at the outside.
constexpr int kShadowSize = 4;
COLORREF DarkenForShadow(COLORREF behind, int level);
