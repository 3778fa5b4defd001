#include "controls/bars/toolbar_layout.h"

#include <algorithm>

namespace {

bool Hidden(const TBBUTTON& button) { return (button.fsState & TBSTATE_HIDDEN) != 0; }
bool Separator(const TBBUTTON& button) { return (button.fsStyle & TBSTYLE_SEP) != 0; }

// Sets the wrap bit of the first button found walking back from `from` to
// the previous wrap that `acceptable` takes; false when none is.
template <typename Acceptable>
bool WrapBackFrom(std::vector<MeasuredButton>& buttons, int from, int* wrapped, Acceptable acceptable) {
    for (int j = from; j >= 0 && !(buttons[j].button.fsState & TBSTATE_WRAP); --j) {
        if (Hidden(buttons[j].button) || !acceptable(buttons[j].button))
            continue;
        buttons[j].button.fsState |= TBSTATE_WRAP;
        *wrapped = j;
        return true;
    }
    return false;
}

} // namespace

SIZE ButtonLayoutSize(const MeasuredButton& measured, bool flat) {
    SIZE size = measured.size;
    const TBBUTTON& button = measured.button;
    if (button.fsState & TBSTATE_WRAP) {
        if (Separator(button)) {
            size.cx = 0;
            size.cy -= 3;
        } else if ((button.fsStyle & TBSTYLE_DROPDOWN) && !flat) {
            size.cx = 0;
        }
    }
    return size;
}

int WrapToolBar(std::vector<MeasuredButton>& buttons, int width) {
    for (MeasuredButton& measured : buttons)
        measured.button.fsState &= ~TBSTATE_WRAP;
    int rows = 1;
    int running = 0;
    const int count = static_cast<int>(buttons.size());
    for (int i = 0; i < count; ++i) {
        if (Hidden(buttons[i].button))
            continue;
        const int next = buttons[i].size.cx;
        if (running + next <= width) {
            running += next;
            continue;
        }
        int wrapped = -1;
        // A plain separator is the natural place for a break...
        bool found = WrapBackFrom(buttons, i, &wrapped,
                                  [](const TBBUTTON& b) { return Separator(b) && b.idCommand == 0; });
        // ...else the button before the overflowing one, unless it hosts a control.
        if (!found)
            found = WrapBackFrom(buttons, i - 1, &wrapped,
                                 [](const TBBUTTON& b) { return !(Separator(b) && b.idCommand != 0); });
        if (found) {
            ++rows;
            i = wrapped;
            running = 0;
        } else {
            running += next;
        }
    }
    return rows;
}

SIZE WrappedToolBarSize(const std::vector<MeasuredButton>& buttons, bool flat) {
    SIZE total{0, 0};
    int rowWidth = 0;
    int rowHeight = 0;
    for (const MeasuredButton& measured : buttons) {
        if (Hidden(measured.button))
            continue;
        const SIZE size = ButtonLayoutSize(measured, flat);
        rowWidth += size.cx;
        total.cx = std::max(total.cx, rowWidth);
        if (!(measured.button.fsState & TBSTATE_WRAP)) {
            rowHeight = std::max(rowHeight, size.cy);
            continue;
        }
        if (Separator(measured.button)) {
            total.cy += rowHeight + size.cy;
        } else {
            rowHeight = std::max(rowHeight, size.cy);
            total.cy += rowHeight;
        }
        rowWidth = 0;
        rowHeight = 0;
    }
    total.cy += rowHeight;
    return total;
}

void SizeToFitHeight(std::vector<MeasuredButton>& buttons, int height, bool flat) {
    WrapToolBar(buttons, 0);
    SIZE narrow = WrappedToolBarSize(buttons, flat);
    WrapToolBar(buttons, 32767);
    SIZE wide = WrappedToolBarSize(buttons, flat);
    // Widths stay below 32768, so a bisection ends within 16 steps; the bound
    // keeps a layout whose width does not grow with its limit from cycling.
    for (int step = 0; step < 32 && narrow.cx < wide.cx; ++step) {
        WrapToolBar(buttons, (narrow.cx + wide.cx) / 2);
        const SIZE middle = WrappedToolBarSize(buttons, flat);
        if (middle.cy > height) {
            if (middle.cx == narrow.cx && middle.cy == narrow.cy)
                break; // no narrower layout fits: the wide one stays
            narrow = middle;
        } else if (middle.cy < height) {
            if (middle.cx == wide.cx && middle.cy == wide.cy) {
                WrapToolBar(buttons, narrow.cx);
                return;
            }
            wide = middle;
        } else {
            return;
        }
    }
    WrapToolBar(buttons, wide.cx);
}

void SizeToFitWidth(std::vector<MeasuredButton>& buttons, int width, bool flat) {
    int high = width;
    const int target = WrapToolBar(buttons, high);
    int low = 0;
    if (WrapToolBar(buttons, low) != target) {
        while (low < high) {
            const int middle = (low + high) / 2;
            if (WrapToolBar(buttons, middle) == target) {
                high = middle;
            } else {
                if (low == middle)
                    break;
                low = middle;
            }
        }
        WrapToolBar(buttons, high);
    }
    WrapToolBar(buttons, WrappedToolBarSize(buttons, flat).cx);
}

SIZE CoolBarFixedLayout(SIZE current, bool stretch, bool horizontal) {
    if (stretch) {
        if (horizontal)
            current.cx = 32767;
        else
            current.cy = 32767;
    }
    return current;
}

int ButtonStringPool::Add(const std::string& text) {
    auto found = std::find(strings_.begin(), strings_.end(), text);
    if (found != strings_.end())
        return static_cast<int>(found - strings_.begin());
    strings_.push_back(text);
    return Count() - 1;
}
