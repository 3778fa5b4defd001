#pragma once
// The layout arithmetic of toolbars and the cool bar, in plain C++: button
// records, the wrapping of a row of differently sized buttons at a width,
// the size of a wrapped toolbar and fitting to a width or a height.
#include "platform/ui/win_types.h"

#include <string>
#include <vector>

// Button states and styles, with their control values.
enum : uint8_t {
    TBSTATE_CHECKED = 0x01, TBSTATE_PRESSED = 0x02, TBSTATE_ENABLED = 0x04, TBSTATE_HIDDEN = 0x08,
    TBSTATE_INDETERMINATE = 0x10, TBSTATE_WRAP = 0x20,
};
enum : uint8_t {
    TBSTYLE_SEP = 0x01, TBSTYLE_CHECK = 0x02, TBSTYLE_GROUP = 0x04, TBSTYLE_DROPDOWN = 0x08, TBSTYLE_AUTOSIZE = 0x10,
};
// Toolbar window styles.
enum : uint32_t { TBSTYLE_FLAT = 0x0800, TBSTYLE_TRANSPARENT = 0x8000 };
// Layout modes of the dynamic layout.
enum : uint32_t {
    LM_STRETCH = 0x01, LM_HORZ = 0x02, LM_MRUWIDTH = 0x04, LM_HORZDOCK = 0x08, LM_VERTDOCK = 0x10,
    LM_LENGTHY = 0x20, LM_COMMIT = 0x40,
};

struct TBBUTTON {
    int iBitmap = -1; // image index, -1: none
    int idCommand = 0;
    uint8_t fsState = TBSTATE_ENABLED;
    uint8_t fsStyle = 0;
    uintptr_t dwData = 0;
    int iString = -1; // index in the toolbar's string pool, -1: none
};

// A button as the layout sees it: its record and the size the control
// measures for it (its item rectangle).
struct MeasuredButton {
    TBBUTTON button;
    SIZE size;
};

// The size a button counts for: its measured size, except that a wrapped
// separator takes no width and its height less 3, and a wrapped drop-down
// button takes no width unless the toolbar is flat.
SIZE ButtonLayoutSize(const MeasuredButton& button, bool flat);

// Sets the wrap bits for width limit: an overflowing row breaks after the
// last visible separator without a command before the overflowing button,
// or else after the button before it. Returns the number of rows.
int WrapToolBar(std::vector<MeasuredButton>& buttons, int width);

// The size of the toolbar as wrapped: widest row, rows' heights added up.
SIZE WrappedToolBarSize(const std::vector<MeasuredButton>& buttons, bool flat);

// Wraps for the narrowest layout whose height stays within height.
void SizeToFitHeight(std::vector<MeasuredButton>& buttons, int height, bool flat);
// Wraps at width, then at the smallest width that keeps as many rows.
void SizeToFitWidth(std::vector<MeasuredButton>& buttons, int width, bool flat);

// The cool bar's fixed layout: its size, stretched to 32767 along its
// orientation when asked.
SIZE CoolBarFixedLayout(SIZE current, bool stretch, bool horizontal);

// The texts of the buttons, each distinct text stored once: the index of a
// text is its identifier in the pool.
class ButtonStringPool {
public:
    int Add(const std::string& text);
    const std::string& Text(int index) const { return strings_.at(index); }
    int Count() const { return static_cast<int>(strings_.size()); }

private:
    std::vector<std::string> strings_;
};
