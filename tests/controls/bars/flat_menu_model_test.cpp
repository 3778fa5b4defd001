// The flat menus' arithmetic: item data words and measured widths, item and
// separator heights, AdjustColor over known colours, mnemonic matching and
// the shadow's darkening.
#include "controls/bars/flat_menu_model.h"

#include <gtest/gtest.h>

namespace {

// Texts measured as 7 pixels a character, 8 in bold.
int Measure(const std::string& text, bool bold) { return static_cast<int>(text.size()) * (bold ? 8 : 7); }

Menu MenuOf(const std::vector<std::string>& texts) {
    Menu menu;
    for (const std::string& text : texts) {
        MenuItem item;
        item.text = text;
        item.type = text.empty() ? MFT_SEPARATOR : 0;
        item.command = text.empty() ? 0 : 100 + static_cast<unsigned>(menu.items.size());
        menu.items.push_back(item);
    }
    return menu;
}

} // namespace

TEST(FlatMenuModel, ItemAndSeparatorHeights) {
    struct Case {
        int textHeight, item, separator;
    };
    for (const Case& c : {Case{13, 20, 8}, Case{16, 22, 10}, Case{14, 20, 9}, Case{15, 21, 9}}) {
        const FlatMenuMetrics metrics = MenuMetricsForTextHeight(c.textHeight);
        EXPECT_EQ(metrics.itemHeight, c.item) << c.textHeight;
        EXPECT_EQ(metrics.separatorHeight, c.separator) << c.textHeight;
    }
}

TEST(FlatMenuModel, ItemDataWordsAndMeasuredWidths) {
    Menu menu = MenuOf({"&Open File...\tCtrl+O", "", "E&xit\tAlt+F4"});
    UpdateMenu(menu, MenuMetricsForTextHeight(13), Measure, false);
    // "Open File..." (12 characters, the "&" removed) and "Ctrl+O" (6).
    const uint32_t data = menu.items[0].itemData;
    EXPECT_EQ(data & 0xFF, 20u);
    EXPECT_EQ((data >> 8) & 0xFF, 6u * 7);
    EXPECT_EQ(data >> 16, 12u * 7);
    EXPECT_EQ(MeasureMenuItem(data).cx, 12 * 7 + 6 * 7 + 42);
    EXPECT_EQ(MeasureMenuItem(data).cy, 20);
    // Every item carries the menu's widest text and accelerator.
    EXPECT_EQ(menu.items[2].itemData, data);
    EXPECT_EQ(menu.items[1].itemData, 8u);
    EXPECT_EQ(MeasureMenuItem(menu.items[1].itemData).cy, 8);
    for (const MenuItem& item : menu.items)
        EXPECT_TRUE(item.IsOwnerDrawn());
}

TEST(FlatMenuModel, DataWordFieldsAreCutToTheirBits) {
    const uint32_t data = PopupItemData(22, 300, 70000);
    EXPECT_EQ(data & 0xFF, 22u);
    EXPECT_EQ((data >> 8) & 0xFF, 300u & 0xFF);
    EXPECT_EQ(data >> 16, 70000u & 0xFFFF);
    // A menu-bar item: its text width only, 4 pixels more.
    EXPECT_EQ(MeasureMenuItem(MenuBarItemData(33)).cx, 37);
    EXPECT_EQ(MeasureMenuItem(MenuBarItemData(33)).cy, 0);
}

TEST(FlatMenuModel, TheDefaultItemIsMeasuredBold) {
    Menu menu = MenuOf({"Open", "Close"});
    menu.items[0].state |= MFS_DEFAULT;
    UpdateMenu(menu, MenuMetricsForTextHeight(13), Measure, false);
    EXPECT_EQ(menu.items[1].itemData >> 16, 4u * 8 > 5u * 7 ? 32u : 35u);
}

TEST(FlatMenuModel, ASecondUpdateOnlyRecomputesTheData) {
    Menu menu = MenuOf({"&Open\tCtrl+O", "Radio"});
    menu.items[1].type |= MFT_RADIOCHECK;
    UpdateMenu(menu, MenuMetricsForTextHeight(13), Measure, false);
    const UINT types[] = {menu.items[0].type, menu.items[1].type};
    menu.items[0].text = "&Open a longer name\tCtrl+O";
    UpdateMenu(menu, MenuMetricsForTextHeight(16), Measure, false);
    EXPECT_EQ(menu.items[0].type, types[0]);
    EXPECT_EQ(menu.items[1].type, types[1]);
    EXPECT_EQ(menu.items[0].itemData & 0xFF, 22u);
    EXPECT_EQ(menu.items[0].itemData >> 16, 18u * 7);
}

TEST(FlatMenuModel, MenuBarItemsCarryTheirTextWidth) {
    Menu bar = MenuOf({"&File", "&Edit"});
    UpdateMenu(bar, MenuMetricsForTextHeight(13), Measure, true);
    EXPECT_EQ(bar.items[0].itemData, 4u * 7 << 16);
    EXPECT_EQ(MeasureMenuItem(bar.items[0].itemData).cx, 4 * 7 + 4);
}

TEST(FlatMenuModel, AdjustColorOverKnownColours) {
    struct Case {
        const char* what;
        COLORREF colour;
        int lightness, saturation;
        COLORREF expected;
    };
    const Case cases[] = {
        // The classic button face, grey 192: only the lightness moves.
        {"image column", RGB(192, 192, 192), 20, 0, RGB(204, 204, 204)},
        {"text area", RGB(192, 192, 192), 75, 0, RGB(239, 239, 239)},
        {"disabled fill", RGB(192, 192, 192), 73, 0, RGB(237, 237, 237)},
        {"separator", RGB(192, 192, 192), -18, 0, RGB(157, 157, 157)},
        {"disabled silhouette", RGB(192, 192, 192), -27, 0, RGB(140, 140, 140)},
        // The classic highlight, navy (0, 0, 128): hue 170, lightness 64, saturation 255.
        {"selection fill", RGB(0, 0, 128), 70, -57, RGB(172, 172, 222)},
        {"no change", RGB(10, 120, 200), 0, 0, RGB(10, 120, 200)},
        {"white stays white", RGB(255, 255, 255), 50, 0, RGB(255, 255, 255)},
        {"black darkened stays black", RGB(0, 0, 0), -50, 0, RGB(0, 0, 0)},
        {"no saturation left: the grey of the lightness", RGB(200, 0, 0), 0, -100, RGB(100, 100, 100)},
    };
    for (const Case& c : cases) {
        const COLORREF got = AdjustColor(c.colour, c.lightness, c.saturation);
        EXPECT_EQ(got, c.expected) << c.what << ": got " << GetRValue(got) << "," << GetGValue(got) << ","
                                   << GetBValue(got);
    }
}

TEST(FlatMenuModel, TheColoursComeFromTheSystemColours) {
    const FlatMenuColors colors = FlatMenuColorsFrom([](int index) {
        switch (index) {
        case COLOR_BTNFACE: return RGB(192, 192, 192);
        case COLOR_HIGHLIGHT: return RGB(0, 0, 128);
        case COLOR_3DDKSHADOW: return RGB(64, 64, 64);
        default: return RGB(1, 2, 3);
        }
    });
    EXPECT_EQ(colors.imageColumn, RGB(204, 204, 204));
    EXPECT_EQ(colors.textArea, RGB(239, 239, 239));
    EXPECT_EQ(colors.frameInner, colors.textArea);
    EXPECT_EQ(colors.frameOuter, RGB(64, 64, 64));
    EXPECT_EQ(colors.selectionOutline, RGB(0, 0, 128));
    EXPECT_EQ(colors.selectionFill, RGB(172, 172, 222));
    EXPECT_EQ(colors.text, RGB(1, 2, 3));
}

TEST(FlatMenuModel, HandleMenuChar) {
    const Menu menu = MenuOf({"&Open File...\tCtrl+O", "Import &Directory...", "Fish && &Chips", "Salt && Pepper", "E&xit"});
    struct Case {
        const char* what;
        UINT character;
        UINT flags;
        LRESULT expected;
    };
    const Case cases[] = {
        {"a single & and the letter", 'o', MF_POPUP, 0 | (MNC_EXECUTE << 16)},
        {"upper case too", 'O', MF_POPUP, 0 | (MNC_EXECUTE << 16)},
        {"inside the text", 'd', MF_POPUP, 1 | (MNC_EXECUTE << 16)},
        {"after && a letter is no mnemonic, the next & is", 'c', MF_POPUP, 2 | (MNC_EXECUTE << 16)},
        {"&& alone never matches", 'p', MF_POPUP, 0},
        {"a later item", 'X', MF_POPUP, 4 | (MNC_EXECUTE << 16)},
        {"no match gives 0", 'q', MF_POPUP, 0},
        {"flags 0 count as a popup", 'x', 0, 4 | (MNC_EXECUTE << 16)},
        {"not for the system menu", 'x', MF_POPUP | MF_SYSMENU, 0},
        {"not for a menu bar", 'x', 0x1, 0},
        {"the accelerator's letters do not count", '+', MF_POPUP, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(HandleMenuChar(menu, c.character, c.flags), c.expected) << c.what;
}

TEST(FlatMenuModel, TheShadowsFourLevels) {
    const COLORREF behind = RGB(200, 100, 40);
    EXPECT_EQ(DarkenForShadow(behind, 0), RGB(186, 93, 37));
    EXPECT_EQ(DarkenForShadow(behind, 1), RGB(176, 88, 35));
    EXPECT_EQ(DarkenForShadow(behind, 2), RGB(166, 83, 33));
    EXPECT_EQ(DarkenForShadow(behind, 3), RGB(156, 78, 31));
}

TEST(FlatMenuModel, ItemTestsAndTextParts) {
    MenuItem item;
    item.text = "&Open File...\tCtrl+O";
    EXPECT_EQ(item.Label(), "&Open File...");
    EXPECT_EQ(item.Accelerator(), "Ctrl+O");
    EXPECT_EQ(WithoutMnemonicMark(item.Label()), "Open File...");
    EXPECT_EQ(WithoutMnemonicMark("Fish && Chips"), "Fish & Chips");
    item.state = MFS_GRAYED;
    EXPECT_FALSE(item.IsDisabled()); // disabled needs both bits
    item.state = MFS_GRAYED | MFS_DISABLED;
    EXPECT_TRUE(item.IsDisabled());
}
