// Pixels of the flat menus, with the classic system colours pinned: the
// image column and the text area, the separator, the selection, the grey
// silhouette of a disabled item, the frame lines and the line that joins a
// menu to its pressed button, the shadow's four levels, the pressed
// menu-bar button with its shadow strip, the mnemonics' underline; and a
// menu kept on the screen.
#include "controls/bars/flat_menu_draw.h"
#include "controls/bars/flat_menu_window.h"
#include "platform/ui/dc.h"
#include "platform/ui/system_colors.h"
#include "platform/ui/system_metrics.h"
#include "tests/support/gui_support.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QPainter>
#include <gtest/gtest.h>

namespace {

constexpr COLORREF kBehind = RGB(200, 100, 40);

COLORREF At(const QImage& image, int x, int y) {
    const QRgb pixel = image.pixel(x, y);
    return RGB(qRed(pixel), qGreen(pixel), qBlue(pixel));
}

std::string Name(COLORREF c) {
    return std::to_string(GetRValue(c)) + "," + std::to_string(GetGValue(c)) + "," + std::to_string(GetBValue(c));
}

#define EXPECT_COLOR(image, x, y, expected) EXPECT_EQ(Name(At(image, x, y)), Name(expected)) << "at " << x << "," << y

FlatMenuColors Colors() { return FlatMenuColorsFrom(GetSysColor); }

// Open File (with an image), a separator, Save, Exit (disabled, with an image).
struct Popup {
    QImage red{16, 16, QImage::Format_ARGB32};
    std::shared_ptr<Menu> menu = std::make_shared<Menu>();
    std::unique_ptr<CFlatMenuWindow> window;
    explicit Popup(const RECT& dropped = RECT{}) {
        red.fill(Qt::red);
        const std::vector<std::tuple<std::string, unsigned, UINT>> items = {
            {"&Open File...\tCtrl+O", 1, 0}, {"", 0, 0}, {"&Save", 3, 0}, {"E&xit", 2, MFS_GRAYED | MFS_DISABLED}};
        for (const auto& [text, command, state] : items) {
            MenuItem item;
            item.text = text;
            item.command = command;
            item.type = command ? 0u : UINT{MFT_SEPARATOR};
            item.state = state;
            menu->items.push_back(item);
        }
        window = std::make_unique<CFlatMenuWindow>(
            menu, [this](unsigned command) { return command == 1 || command == 2 ? &red : nullptr; }, nullptr);
        window->Place(POINT{100, 100}, dropped, false);
        QImage behind(window->size(), QImage::Format_RGB32);
        behind.fill(ToQColor(kBehind));
        window->SetBackdrop(behind);
    }
};

bool HasColour(const QImage& image, const RECT& rect, QRgb colour) {
    for (int y = rect.top; y < rect.bottom; ++y)
        for (int x = rect.left; x < rect.right; ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF))
                return true;
    return false;
}

} // namespace

TEST(FlatMenuDrawing, ImageColumnTextAreaAndSeparator) {
    Popup p;
    const QImage picture = p.window->Picture();
    const RECT save = p.window->ItemRect(2);
    EXPECT_COLOR(picture, save.left + 1, save.top + 1, Colors().imageColumn);
    EXPECT_COLOR(picture, save.left + 21, save.bottom - 2, Colors().imageColumn);
    EXPECT_COLOR(picture, save.left + 22, save.bottom - 2, Colors().textArea);
    EXPECT_COLOR(picture, save.right - 2, save.top + 1, Colors().textArea);
    // The separator runs from x = 30 to the right edge, in the middle.
    const RECT separator = p.window->ItemRect(1);
    EXPECT_EQ(separator.Height(), MeasureMenuItem(p.menu->items[1].itemData).cy);
    const int middle = (separator.top + separator.bottom) / 2;
    EXPECT_COLOR(picture, separator.left + 30, middle, Colors().separator);
    EXPECT_COLOR(picture, separator.right - 2, middle, Colors().separator);
    EXPECT_COLOR(picture, separator.left + 29, middle, Colors().textArea);
    EXPECT_COLOR(picture, separator.left + 30, middle - 1, Colors().textArea);
}

TEST(FlatMenuDrawing, SelectionFillAndOutlineWithTheRaisedImage) {
    Popup p;
    p.window->Highlight(0);
    const QImage picture = p.window->Picture();
    const RECT open = p.window->ItemRect(0);
    EXPECT_COLOR(picture, open.left, open.top, Colors().selectionOutline);
    EXPECT_COLOR(picture, open.right - 1, open.bottom - 1, Colors().selectionOutline);
    EXPECT_COLOR(picture, open.left + 25, open.top + 1, Colors().selectionFill);
    // The image at +2, its silhouette showing at +4 below and right of it.
    EXPECT_COLOR(picture, open.left + 2, open.top + 2, RGB(255, 0, 0));
    EXPECT_COLOR(picture, open.left + 19, open.top + 18, Colors().selectedSilhouette);
    // An item not selected: no outline.
    const RECT save = p.window->ItemRect(2);
    EXPECT_COLOR(picture, save.left, save.top, Colors().imageColumn);
}

TEST(FlatMenuDrawing, ADisabledItemShowsOnlyTheGreySilhouette) {
    Popup p;
    const QImage picture = p.window->Picture();
    const RECT exit = p.window->ItemRect(3);
    EXPECT_COLOR(picture, exit.left + 3, exit.top + 3, Colors().disabledSilhouette);
    EXPECT_COLOR(picture, exit.left + 18, exit.top + 18, Colors().disabledSilhouette);
    EXPECT_FALSE(HasColour(picture, exit, qRgb(255, 0, 0)));
    // Selected, it is still only the silhouette, on the disabled fill.
    p.window->Highlight(3);
    const QImage selected = p.window->Picture();
    EXPECT_FALSE(HasColour(selected, exit, qRgb(255, 0, 0)));
    EXPECT_COLOR(selected, exit.left + 3, exit.top + 3, Colors().disabledSilhouette);
    EXPECT_COLOR(selected, exit.left + 25, exit.top + 1, Colors().disabledSelectionFill);
    // The enabled item with the same image shows it in colour.
    EXPECT_TRUE(HasColour(picture, p.window->ItemRect(0), qRgb(255, 0, 0)));
}

TEST(FlatMenuDrawing, TheFrameLines) {
    Popup p;
    const QImage picture = p.window->Picture();
    const RECT body = p.window->Body();
    const int y = body.bottom / 2;
    EXPECT_COLOR(picture, 0, y, Colors().frameOuter);
    EXPECT_COLOR(picture, 1, y, Colors().frameInner);
    EXPECT_COLOR(picture, 2, y, Colors().frameInner);
    EXPECT_COLOR(picture, body.right - 1, y, Colors().frameOuter);
    EXPECT_COLOR(picture, body.right - 3, y, Colors().frameInner);
    EXPECT_COLOR(picture, 40, 0, Colors().frameOuter);
    EXPECT_COLOR(picture, 40, body.bottom - 1, Colors().frameOuter);
    EXPECT_COLOR(picture, 40, body.bottom - 2, Colors().frameInner);
    // The items begin inside the three lines.
    EXPECT_EQ(p.window->ItemRect(0).left, 3);
    EXPECT_EQ(p.window->ItemRect(0).top, 3);
}

TEST(FlatMenuDrawing, TheShadowsFourLevels) {
    Popup p;
    const QImage picture = p.window->Picture();
    const RECT body = p.window->Body();
    EXPECT_EQ(picture.width(), body.right + 4);
    EXPECT_EQ(picture.height(), body.bottom + 4);
    for (int level = 0; level < 4; ++level) {
        EXPECT_COLOR(picture, body.right / 2, body.bottom + level, DarkenForShadow(kBehind, level));
        EXPECT_COLOR(picture, body.right + level, body.bottom / 2, DarkenForShadow(kBehind, level));
    }
    // The bands begin 4 pixels in: before that, what lies behind.
    EXPECT_COLOR(picture, 0, body.bottom + 3, kBehind);
    EXPECT_COLOR(picture, body.right + 3, 0, kBehind);
    EXPECT_COLOR(picture, body.right + 3, body.bottom + 3, DarkenForShadow(kBehind, 3));
}

TEST(FlatMenuDrawing, TheLineThatJoinsTheMenuToItsPressedButton) {
    // The pressed button spans 40 pixels on screen from x = 100, its bottom
    // one pixel below the menu's top.
    Popup p(RECT{100, 80, 140, 101});
    const QImage picture = p.window->Picture();
    EXPECT_COLOR(picture, 1, 0, Colors().imageColumn);
    EXPECT_COLOR(picture, 38, 0, Colors().imageColumn);
    EXPECT_COLOR(picture, 41, 0, Colors().frameOuter);
    EXPECT_COLOR(picture, 38, 1, Colors().frameInner);
}

TEST(FlatMenuDrawing, ThePressedMenuBarButtonWithItsShadowStrip) {
    QImage picture(50, 22, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    MenuItem item;
    item.text = "&File";
    MenuItemDrawState state;
    state.menuBarItem = true;
    state.selected = true;
    const COLORREF band = RGB(227, 246, 253);
    state.barBackground = band;
    RECT dropped{};
    EXPECT_TRUE(DrawFlatMenuItem(painter, RECT{0, 0, 50, 22}, item, state, nullptr, QFont(), &dropped));
    painter.end();
    EXPECT_EQ(dropped, (RECT{0, 0, 46, 22}));
    EXPECT_COLOR(picture, 0, 0, GetSysColor(COLOR_3DDKSHADOW));
    EXPECT_COLOR(picture, 45, 21, GetSysColor(COLOR_3DDKSHADOW));
    EXPECT_COLOR(picture, 2, 2, Colors().imageColumn);
    for (int level = 0; level < 4; ++level) {
        EXPECT_COLOR(picture, 46 + level, 2, band); // the strip's shadow begins 4 pixels down
        EXPECT_COLOR(picture, 46 + level, 10, DarkenForShadow(band, level));
    }
    // Not pressed but hot: the selection box, the strip plain.
    picture.fill(Qt::white);
    QPainter again(&picture);
    state.selected = false;
    state.hotLight = true;
    EXPECT_FALSE(DrawFlatMenuItem(again, RECT{0, 0, 50, 22}, item, state, nullptr, QFont()));
    again.end();
    EXPECT_COLOR(picture, 0, 0, Colors().selectionOutline);
    EXPECT_COLOR(picture, 2, 2, Colors().selectionFill);
    EXPECT_COLOR(picture, 47, 10, band);
}

TEST(FlatMenuDrawing, MnemonicsAreUnderlinedAsTheKeyboardCuesSay) {
    MenuItem item;
    item.text = "&Open";
    auto draw = [&](bool noAccelUnderline) {
        QImage picture(80, 20, QImage::Format_RGB32);
        QPainter painter(&picture);
        MenuItemDrawState state;
        state.noAccelUnderline = noAccelUnderline;
        DrawFlatMenuItem(painter, RECT{0, 0, 80, 20}, item, state, nullptr, QApplication::font());
        return picture;
    };
    // Opened from the keyboard the mnemonic is underlined; opened with the
    // mouse it is not, while the desktop hides keyboard cues...
    const QImage underlined = draw(false);
    EXPECT_NE(draw(true), underlined);
    // ...and is when the desktop shows them.
    SystemSettings settings = ClassicSystemSettings();
    settings.keyboardCues = 1;
    PinSystemSettings(settings);
    const QImage withCues = draw(true);
    PinSystemSettings(ClassicSystemSettings());
    EXPECT_EQ(withCues, underlined);
}

TEST(FlatMenuWindow, AMenuStaysOnTheScreen) {
    const QRect area = QGuiApplication::primaryScreen()->geometry();
    // Below a button at the bottom right corner: moved left, and above the button.
    const RECT button{area.right() - 20, area.bottom() - 20, area.right() + 1, area.bottom() - 2};
    Popup p(button);
    p.window->Place(POINT{button.left, button.bottom - 1}, button, false);
    const QRect place = p.window->geometry();
    EXPECT_TRUE(area.contains(place)) << place.x() << "," << place.y() << " " << place.width() << "x" << place.height();
    EXPECT_EQ(place.bottom(), button.top - 1);
    // Away from the edges the menu hangs where it was asked to.
    p.window->Place(POINT{100, 120}, RECT{}, false);
    EXPECT_EQ(p.window->geometry().topLeft(), QPoint(100, 120));
}

// Switching menus quickly: the menu placed next can find the one before it
// still on the screen. Its shadow shows the window beneath, as that window
// draws itself, never the menu that was there before.
TEST(FlatMenuWindow, TheShadowShowsTheWindowBeneathNotTheMenuBefore) {
    QWidget window;
    window.setGeometry(60, 60, 400, 300);
    window.setAutoFillBackground(true);
    QPalette palette = window.palette();
    palette.setColor(QPalette::Window, ToQColor(kBehind));
    window.setPalette(palette);
    ShowExposed(&window);
    // The menu before, still on the screen where the next one opens.
    QWidget before(nullptr, Qt::Tool | Qt::FramelessWindowHint);
    before.setGeometry(100, 100, 200, 150);
    before.setAutoFillBackground(true);
    before.setPalette(QPalette(Qt::red));
    ShowExposed(&before);

    auto menu = std::make_shared<Menu>();
    MenuItem item;
    item.text = "&About";
    item.command = 1;
    menu->items.push_back(item);
    CFlatMenuWindow next(menu, {}, &window);
    next.Place(POINT{100, 100}, RECT{}, false);
    const QImage picture = next.Picture();
    const RECT body = next.Body();
    for (int level = 0; level < 4; ++level) {
        EXPECT_COLOR(picture, body.right / 2, body.bottom + level, DarkenForShadow(kBehind, level));
        EXPECT_COLOR(picture, body.right + level, body.bottom / 2, DarkenForShadow(kBehind, level));
    }
}
