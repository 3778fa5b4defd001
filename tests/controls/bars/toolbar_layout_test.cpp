// Toolbar layout: wrapping differently sized buttons at their measured
// widths, the size of the wrapped bar, fitting to a width or a height, and
// the cool bar's fixed layout.
#include "controls/bars/toolbar_layout.h"

#include <gtest/gtest.h>
#include <string>

namespace {

// Buttons from a compact description: "40" a 40-pixel button, "|" a plain
// separator (8 wide), "c" a separator hosting a control (command 7, 50
// wide), "h40" a hidden one. All 22 high.
std::vector<MeasuredButton> Buttons(const std::vector<std::string>& description) {
    std::vector<MeasuredButton> buttons;
    for (const std::string& s : description) {
        MeasuredButton b;
        b.size = SIZE{0, 22};
        if (s == "|") {
            b.button.fsStyle = TBSTYLE_SEP;
            b.size.cx = 8;
        } else if (s == "c") {
            b.button.fsStyle = TBSTYLE_SEP;
            b.button.idCommand = 7;
            b.size.cx = 50;
        } else if (s[0] == 'h') {
            b.button.fsState |= TBSTATE_HIDDEN;
            b.size.cx = std::stoi(s.substr(1));
        } else {
            b.size.cx = std::stoi(s);
        }
        buttons.push_back(b);
    }
    return buttons;
}

// The indexes of the wrapped buttons.
std::vector<int> Wraps(const std::vector<MeasuredButton>& buttons) {
    std::vector<int> wraps;
    for (size_t i = 0; i < buttons.size(); ++i)
        if (buttons[i].button.fsState & TBSTATE_WRAP)
            wraps.push_back(static_cast<int>(i));
    return wraps;
}

} // namespace

TEST(ToolbarLayout, WrapsAtMeasuredWidthsPreferringPlainSeparators) {
    struct Case {
        const char* what;
        std::vector<std::string> buttons;
        int width;
        int rows;
        std::vector<int> wraps;
    };
    const Case cases[] = {
        {"everything fits", {"40", "60", "|", "30"}, 200, 1, {}},
        // 40 + 60 + 8 = 108, + 100 overflows at the fourth: the separator takes the break.
        {"break at the separator before", {"40", "60", "|", "100"}, 150, 2, {2}},
        // Measured widths count: with a common width of 40 the third would fit.
        {"wide button overflows", {"40", "40", "90"}, 150, 2, {1}},
        {"no separator: the button before", {"40", "60", "70"}, 120, 2, {1}},
        {"a hidden separator is no break", {"40", "h8", "60", "70"}, 120, 2, {2}},
        {"a hosted control is no break", {"40", "c", "70"}, 100, 2, {0}},
        {"the separator wins over nearer buttons", {"40", "|", "30", "30", "50"}, 150, 2, {1}},
        {"nothing to wrap at width 0 for one button", {"40"}, 0, 1, {}},
        {"width 0: every place breaks", {"40", "40", "40"}, 0, 3, {0, 1}},
        {"two breaks", {"50", "|", "50", "|", "50"}, 60, 3, {1, 3}},
    };
    for (const Case& c : cases) {
        std::vector<MeasuredButton> buttons = Buttons(c.buttons);
        EXPECT_EQ(WrapToolBar(buttons, c.width), c.rows) << c.what;
        EXPECT_EQ(Wraps(buttons), c.wraps) << c.what;
    }
}

TEST(ToolbarLayout, WrappingAgainClearsOldBreaks) {
    std::vector<MeasuredButton> buttons = Buttons({"40", "|", "40", "|", "40"});
    WrapToolBar(buttons, 0);
    EXPECT_EQ(Wraps(buttons), (std::vector<int>{1, 3}));
    EXPECT_EQ(WrapToolBar(buttons, 32767), 1);
    EXPECT_TRUE(Wraps(buttons).empty());
}

TEST(ToolbarLayout, SizeOfAWrappedBar) {
    std::vector<MeasuredButton> buttons = Buttons({"40", "60", "|", "100"});
    buttons[3].size.cy = 30;
    WrapToolBar(buttons, 32767);
    EXPECT_EQ(WrappedToolBarSize(buttons, true).cx, 208);
    EXPECT_EQ(WrappedToolBarSize(buttons, true).cy, 30);
    // Broken at the separator: rows of 100 and 100, the separator adds its
    // height less 3 between them.
    WrapToolBar(buttons, 150);
    const SIZE size = WrappedToolBarSize(buttons, true);
    EXPECT_EQ(size.cx, 100);
    EXPECT_EQ(size.cy, 22 + 19 + 30);
}

TEST(ToolbarLayout, AWrappedDropDownTakesNoWidthUnlessFlat) {
    MeasuredButton dropDown;
    dropDown.button.fsStyle = TBSTYLE_DROPDOWN;
    dropDown.button.fsState |= TBSTATE_WRAP;
    dropDown.size = SIZE{35, 22};
    EXPECT_EQ(ButtonLayoutSize(dropDown, false).cx, 0);
    EXPECT_EQ(ButtonLayoutSize(dropDown, true).cx, 35);
}

TEST(ToolbarLayout, FittingToAWidthKeepsTheRowsAtTheSmallestWidth) {
    std::vector<MeasuredButton> buttons = Buttons({"50", "50", "50", "50"});
    SizeToFitWidth(buttons, 130, true);
    // Two rows of two: 100 wide is the narrowest width with two rows.
    EXPECT_EQ(WrappedToolBarSize(buttons, true).cx, 100);
    EXPECT_EQ(Wraps(buttons), (std::vector<int>{1}));
}

TEST(ToolbarLayout, FittingToAHeightTakesTheNarrowestThatFits) {
    std::vector<MeasuredButton> buttons = Buttons({"50", "50", "50", "50"});
    SizeToFitHeight(buttons, 44, true);
    const SIZE size = WrappedToolBarSize(buttons, true);
    EXPECT_LE(size.cy, 44);
    EXPECT_EQ(size.cx, 100);
    SizeToFitHeight(buttons, 1000, true);
    EXPECT_EQ(WrappedToolBarSize(buttons, true).cx, 50);
}

TEST(ToolbarLayout, TheCoolBarsFixedLayout) {
    EXPECT_EQ(CoolBarFixedLayout({600, 26}, true, true).cx, 32767);
    EXPECT_EQ(CoolBarFixedLayout({600, 26}, true, true).cy, 26);
    EXPECT_EQ(CoolBarFixedLayout({600, 26}, true, false).cy, 32767);
    EXPECT_EQ(CoolBarFixedLayout({600, 26}, false, true).cx, 600);
}

TEST(ToolbarLayout, EqualTextsShareOneString) {
    ButtonStringPool pool;
    EXPECT_EQ(pool.Add("&File"), 0);
    EXPECT_EQ(pool.Add("&Edit"), 1);
    EXPECT_EQ(pool.Add("&File"), 0);
    EXPECT_EQ(pool.Add("&file"), 2); // compared exactly
    EXPECT_EQ(pool.Count(), 3);
}
