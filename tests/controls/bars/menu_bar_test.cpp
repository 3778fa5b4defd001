// The menu bar in a window: buttons from the menu, menus opened by click and
// by keys, switching with Left, Right and the mouse, Esc, a second click,
// commands run once and only when enabled, the window's own menu bar hidden;
// cascades; and pop-up menus of entries in the same look.
#include "controls/bars/custom_cool_bar.h"
#include "controls/bars/flat_menu_window.h"
#include "platform/ui/dc.h"
#include "platform/ui/system_colors.h"
#include "tests/support/gui_support.h"
#include "tests/support/menu_script.h"

#include <QImage>
#include <QMainWindow>
#include <QMenuBar>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <set>

namespace {

std::shared_ptr<Menu> Popup(const std::vector<std::pair<std::string, unsigned>>& items) {
    auto menu = std::make_shared<Menu>();
    for (const auto& [text, command] : items) {
        MenuItem item;
        item.text = text;
        item.command = command;
        item.type = command == 0 ? UINT{MFT_SEPARATOR} : 0u;
        menu->items.push_back(item);
    }
    return menu;
}

std::shared_ptr<Menu> TestMenu() {
    auto menu = std::make_shared<Menu>();
    auto file = Popup({{"&Open File...\tCtrl+O", 1}, {"", 0}, {"E&xit", 2}, {"&Recent", 0}});
    file->items[3].type = 0;
    file->items[3].submenu = Popup({{"&a.pdf", 6}, {"&b.pdf", 7}});
    const std::vector<std::pair<std::string, std::shared_ptr<Menu>>> tops = {
        {"&File", file},
        {"&Edit", Popup({{"&Copy", 3}, {"&Paste", 4}})},
        {"&Help", Popup({{"&About", 5}})},
    };
    for (const auto& [text, popup] : tops) {
        MenuItem item;
        item.text = text;
        item.submenu = popup;
        menu->items.push_back(item);
    }
    return menu;
}

// A main window whose cool bar shows the test menu; commands are written
// down, and those in `disabled` are greyed.
struct Window {
    QMainWindow frame;
    CCustomCoolBar* coolBar;
    std::vector<unsigned> commands;
    std::set<unsigned> disabled;
    explicit Window(std::shared_ptr<Menu> menu = TestMenu()) {
        coolBar = new CCustomCoolBar(menu, &frame);
        Bar().SetCommandHandler([this](unsigned id) { commands.push_back(id); });
        Bar().SetCommandState([this](unsigned id) { return disabled.count(id) == 0; });
        coolBar->Create(&frame, WS_CHILD | WS_VISIBLE, CBRS_TOP, AFX_IDW_TOOLBAR);
        frame.setMenuWidget(coolBar);
        frame.setCentralWidget(new QWidget);
        frame.resize(500, 300);
        ShowExposed(&frame);
    }
    CMenuBar& Bar() { return coolBar->MenuBar(); }
};

} // namespace

TEST(MenuBar, ButtonsAreTheTopLevelItems) {
    Window w;
    CMenuBar& bar = w.Bar();
    ASSERT_EQ(bar.ButtonCount(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(bar.GetButton(i).idCommand, i); // the button's index, not a menu command
        EXPECT_TRUE(bar.IsButtonEnabled(i));
    }
    EXPECT_EQ(bar.String(bar.GetButton(1).iString), "&Edit");
    // Buttons sit side by side at their measured widths, the band as high as a button.
    EXPECT_EQ(bar.GetItemRect(1).left, bar.GetItemRect(0).right);
    EXPECT_NE(bar.GetItemRect(0).Width(), bar.GetItemRect(2).Width());
    EXPECT_EQ(w.coolBar->height(), bar.GetItemRect(0).Height());
    EXPECT_EQ(DescribeMenuBar(bar), "TRACK_NONE hot=-1");
}

TEST(MenuBar, TwoItemsWithOneTextShareOneStringAndEmptyTextsGetNoButton) {
    auto menu = TestMenu();
    MenuItem again = menu->items[0];
    MenuItem empty;
    menu->items.push_back(again);
    menu->items.push_back(empty);
    Window w(menu);
    EXPECT_EQ(w.Bar().ButtonCount(), 4);
    EXPECT_EQ(w.Bar().StringCount(), 3);
    EXPECT_EQ(w.Bar().GetButton(3).iString, w.Bar().GetButton(0).iString);
    // Loading no menu leaves no buttons and gives back the one before.
    EXPECT_EQ(w.Bar().LoadMenu(nullptr), menu);
    EXPECT_EQ(w.Bar().ButtonCount(), 0);
}

TEST(MenuBar, TheWindowsOwnMenuBarIsHidden) {
    QMainWindow frame;
    frame.menuBar()->addMenu("&Old");
    frame.setCentralWidget(new QWidget);
    frame.resize(400, 200);
    ShowExposed(&frame);
    ASSERT_TRUE(frame.menuBar()->isVisible());
    auto* bar = new CMenuBar(frame.centralWidget());
    bar->Create(WS_CHILD | WS_VISIBLE, RECT{}, nullptr, AFX_IDW_TOOLBAR);
    bar->LoadMenu(TestMenu());
    QCoreApplication::processEvents();
    EXPECT_FALSE(frame.menuBar()->isVisible());
    bar->hideFrameMenu = false;
    frame.menuBar()->show();
    bar->LoadMenu(TestMenu());
    QCoreApplication::processEvents();
    EXPECT_TRUE(frame.menuBar()->isVisible());
}

// How many pixels of the bar, as the screen shows it, have the colour.
int PixelsOfColour(CMenuBar& bar, COLORREF colour) {
    const QImage shown = bar.screen()->grabWindow(bar.winId()).toImage();
    int count = 0;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x)
            count += shown.pixelColor(x, y).rgb() == ToQColor(colour).rgb();
    return count;
}

// The bar's texts are greyed while its window is inactive; the window's
// activation must show them in the menu colour at once, and its loss grey
// them again, even where nothing else in the window is drawn anew.
TEST(MenuBar, TheBarShowsItsWindowsActivation) {
    // Qt repaints on activation by itself where the palette's active and
    // inactive colours differ; the desktop's colours do not.
    const QPalette pinned = QApplication::palette();
    QPalette palette = pinned;
    for (int role = 0; role < QPalette::NColorRoles; ++role)
        palette.setBrush(QPalette::Inactive, QPalette::ColorRole(role),
                         palette.brush(QPalette::Active, QPalette::ColorRole(role)));
    QApplication::setPalette(palette);
    {
        Window w;
        QWidget other; // beside the window, so that no exposure draws the bar anew
        other.setGeometry(w.frame.frameGeometry().right() + 50, 0, 100, 100);
        ShowExposed(&other);
        other.activateWindow();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !w.frame.isActiveWindow(); }));
        ASSERT_TRUE(QTest::qWaitFor([&] { return PixelsOfColour(w.Bar(), GetSysColor(COLOR_MENUTEXT)) == 0; }));
        w.frame.activateWindow();
        ASSERT_TRUE(QTest::qWaitFor([&] { return w.frame.isActiveWindow(); }));
        ASSERT_TRUE(QTest::qWaitFor([&] { return PixelsOfColour(w.Bar(), GetSysColor(COLOR_MENUTEXT)) > 0; }));
        EXPECT_EQ(PixelsOfColour(w.Bar(), GetSysColor(COLOR_BTNSHADOW)), 0);
        other.activateWindow();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !w.frame.isActiveWindow(); }));
        ASSERT_TRUE(QTest::qWaitFor([&] { return PixelsOfColour(w.Bar(), GetSysColor(COLOR_MENUTEXT)) == 0; }));
    }
    QApplication::setPalette(pinned);
}

TEST(MenuBar, ClickThenRightAndLeftSwitchMenusWrappingAround) {
    Window w;
    MenuScript s(w.Bar());
    std::vector<std::string> seen;
    auto note = [&] { seen.push_back(DescribeMenuBar(w.Bar())); };
    s.Then([&] { s.ClickButton(0); })
        .Then(note)
        .Then([&] { s.KeyToMenu(Qt::Key_Right); })
        .Then(note)
        .Then([&] { s.KeyToMenu(Qt::Key_Right); })
        .Then(note)
        .Then([&] { s.KeyToMenu(Qt::Key_Right); }) // from the last to the first
        .Then(note)
        .Then([&] { s.KeyToMenu(Qt::Key_Left); }) // from the first to the last
        .Then(note)
        .Then([&] { s.KeyToMenu(Qt::Key_Escape); })
        .Then(note);
    ASSERT_TRUE(s.Run());
    EXPECT_EQ(seen, (std::vector<std::string>{"TRACK_POPUP hot=0 open=&File", "TRACK_POPUP hot=1 open=&Edit",
                                              "TRACK_POPUP hot=2 open=&Help", "TRACK_POPUP hot=0 open=&File",
                                              "TRACK_POPUP hot=2 open=&Help", "TRACK_BUTTON hot=2"}));
    EXPECT_TRUE(w.commands.empty());
}

TEST(MenuBar, EscLeavesTheButtonHotAndTheMouseMovesIt) {
    Window w;
    MenuScript s(w.Bar());
    std::vector<std::string> seen;
    auto note = [&] { seen.push_back(DescribeMenuBar(w.Bar())); };
    s.Then([&] { s.ClickButton(1); })
        .Then([&] { s.KeyToMenu(Qt::Key_Escape); })
        .Then(note)
        .Then([&] { s.MoveOverButton(2); })
        .Then(note)
        .Then([&] { s.KeyToWindow(Qt::Key_Escape); })
        .Then(note);
    ASSERT_TRUE(s.Run());
    EXPECT_EQ(seen, (std::vector<std::string>{"TRACK_BUTTON hot=1", "TRACK_BUTTON hot=2", "TRACK_NONE hot=-1"}));
}

TEST(MenuBar, SlidingToAnotherButtonSwitchesAndASecondClickCloses) {
    Window w;
    MenuScript s(w.Bar());
    std::vector<std::string> seen;
    auto note = [&] { seen.push_back(DescribeMenuBar(w.Bar())); };
    s.Then([&] { s.ClickButton(0); })
        .Then([&] { s.MoveOverButton(1); })
        .Then(note)
        .Then([&] { s.MoveOverButton(1); }) // the same point again: nothing
        .Then(note)
        .Then([&] { s.ClickButton(1); }) // the open menu's button: closes, opens nothing
        .Then(note);
    ASSERT_TRUE(s.Run());
    EXPECT_EQ(seen, (std::vector<std::string>{"TRACK_POPUP hot=1 open=&Edit", "TRACK_POPUP hot=1 open=&Edit",
                                              "TRACK_NONE hot=-1"}));
}

TEST(MenuBar, AChosenCommandRunsOnceAndAGreyedOneNever) {
    Window w;
    w.disabled = {3};
    ASSERT_TRUE(ChooseMenuCommand(w.Bar(), 4));
    EXPECT_EQ(w.commands, (std::vector<unsigned>{4}));
    // The greyed item takes no click; the menu stays open until Esc.
    MenuScript s(w.Bar());
    bool greyed = false;
    s.Then([&] { s.ClickButton(1); })
        .Then([&] {
            greyed = w.Bar().OpenMenu() && w.Bar().OpenMenu()->GetMenu().items[0].IsDisabled();
            s.ClickItem(3);
        })
        .Then([&] { s.KeyToMenu(Qt::Key_Escape); });
    ASSERT_TRUE(s.Run());
    EXPECT_TRUE(greyed);
    EXPECT_EQ(w.commands, (std::vector<unsigned>{4}));
}

TEST(MenuBar, KeysOpenMenusAndChooseItems) {
    Window w;
    MenuScript s(w.Bar());
    std::vector<std::string> seen;
    auto note = [&] { seen.push_back(DescribeMenuBar(w.Bar())); };
    s.Then([&] { s.KeyToWindow(Qt::Key_F, Qt::AltModifier); })
        .Then(note)
        .Then([&] { s.KeyToMenu(Qt::Key_Escape); })
        .Then([&] { s.KeyToWindow(Qt::Key_Escape); })
        .Then([&] { s.KeyToWindow(Qt::Key_F10); })
        .Then(note)
        .Then([&] { s.KeyToWindow(Qt::Key_Right); })
        .Then(note)
        .Then([&] { s.KeyToWindow(Qt::Key_Down); })
        .Then(note)
        .Then([&] { s.KeyToMenu(Qt::Key_Down); }) // Copy highlighted first, then Paste
        .Then([&] { s.KeyToMenu(Qt::Key_Return); })
        .Then(note)
        .Then([&] { s.KeyToWindow(Qt::Key_H, Qt::AltModifier); })
        .Then([&] { s.KeyToMenu(Qt::Key_A); }); // the item's mnemonic chooses it
    ASSERT_TRUE(s.Run());
    EXPECT_EQ(seen, (std::vector<std::string>{"TRACK_POPUP hot=0 open=&File", "TRACK_BUTTON hot=0",
                                              "TRACK_BUTTON hot=1", "TRACK_POPUP hot=1 open=&Edit",
                                              "TRACK_NONE hot=-1"}));
    EXPECT_EQ(w.commands, (std::vector<unsigned>{4, 5}));
}

TEST(MenuBar, AltAloneHoldsTheBarAndAgainLetsItGo) {
    Window w;
    QWidget* target = w.frame.centralWidget();
    QTest::keyPress(target, Qt::Key_Alt);
    QTest::keyRelease(target, Qt::Key_Alt, Qt::AltModifier);
    EXPECT_EQ(DescribeMenuBar(w.Bar()), "TRACK_BUTTON hot=0");
    QTest::keyPress(target, Qt::Key_Alt);
    QTest::keyRelease(target, Qt::Key_Alt, Qt::AltModifier);
    EXPECT_EQ(DescribeMenuBar(w.Bar()), "TRACK_NONE hot=-1");
    // Alt used with another key is no press of Alt alone.
    QTest::keyPress(target, Qt::Key_Alt);
    QTest::keyClick(target, Qt::Key_Z, Qt::AltModifier);
    QTest::keyRelease(target, Qt::Key_Alt, Qt::AltModifier);
    EXPECT_EQ(DescribeMenuBar(w.Bar()), "TRACK_NONE hot=-1");
}

TEST(MenuBar, ACascadeTakesRightAndLeftFromTheBar) {
    Window w;
    MenuScript s(w.Bar());
    std::vector<std::string> seen;
    auto note = [&] { seen.push_back(DescribeMenuBar(w.Bar()) + " depth=" + std::to_string(OpenMenuDepth(w.Bar()))); };
    s.Then([&] { s.ClickButton(0); })
        .Then([&] { s.KeyToMenu(Qt::Key_Up); }) // Recent, the last item, which opens a cascade
        .Then([&] { s.KeyToMenu(Qt::Key_Right); })
        .Then(note) // Right opened the cascade instead of the next menu
        .Then([&] { s.KeyToMenu(Qt::Key_Left); })
        .Then(note) // Left closed the cascade instead of switching menus
        .Then([&] { s.KeyToMenu(Qt::Key_Right); })
        .Then([&] { s.KeyToMenu(Qt::Key_Right); })
        .Then(note) // on a's item Right switches to the next menu
        .Then([&] { s.KeyToMenu(Qt::Key_Left); })
        .Then([&] { s.KeyToMenu(Qt::Key_Up); })
        .Then([&] { s.KeyToMenu(Qt::Key_Return); })
        .Then([&] { s.ClickItem(7); });
    ASSERT_TRUE(s.Run());
    EXPECT_EQ(seen, (std::vector<std::string>{"TRACK_POPUP hot=0 open=&File depth=2", "TRACK_POPUP hot=0 open=&File depth=1",
                                              "TRACK_POPUP hot=1 open=&Edit depth=1"}));
    // A command chosen in a cascade closes every menu and runs once.
    EXPECT_EQ(w.commands, (std::vector<unsigned>{7}));
    EXPECT_EQ(OpenMenuDepth(w.Bar()), 0);
}

TEST(FlatPopupMenu, EntriesAtAPointGreyedOnesNotChosen) {
    const std::vector<PopupMenuEntry> entries = {{11, "&Open\tCtrl+O", true}, {0, "", true}, {12, "&Remove", false},
                                                 {13, "&Invert", true}};
    std::vector<std::string> seen;
    // The menu runs its own loop: what a user does happens from timers.
    QTimer::singleShot(100, [&] {
        auto* menu = dynamic_cast<CFlatMenuWindow*>(QApplication::activePopupWidget());
        if (!menu)
            return;
        seen.push_back(std::to_string(menu->x()) + "," + std::to_string(menu->y()));
        for (const MenuItem& item : menu->GetMenu().items)
            seen.push_back(item.IsSeparator() ? "-" : item.IsDisabled() ? "(" + item.text + ")" : item.text);
        QTest::keyClick(menu, Qt::Key_R); // greyed: nothing
        QTest::keyClick(menu, Qt::Key_I);
    });
    EXPECT_EQ(TrackFlatPopupMenu(nullptr, entries, 50, 60), 13u);
    EXPECT_EQ(seen, (std::vector<std::string>{"50,60", "&Open\tCtrl+O", "-", "(&Remove)", "&Invert"}));
    // Esc chooses nothing.
    QTimer::singleShot(100, [] {
        if (QWidget* menu = QApplication::activePopupWidget())
            QTest::keyClick(menu, Qt::Key_Escape);
    });
    EXPECT_EQ(TrackFlatPopupMenu(nullptr, entries, 50, 60), 0u);
}
