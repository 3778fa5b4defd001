// The menus of the real main window in an X server: the cool bar's menu bar,
// switching between the flat menus with Right, Esc, a second click, Alt+F,
// a command chosen once, and a screenshot of the window with File open
// checked for the band colour, the menu's colours and its shadow.
#include "controls/bars/flat_menu_window.h"
#include "platform/ui/dc.h"
#include "platform/ui/system_colors.h"
#include "shell/commands.h"
#include "shell/desktop_program.h"
#include "tests/support/gui_support.h"
#include "tests/support/menu_script.h"
#include "tests/support/test_support.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace {

// Every wait is a deadline that ends as soon as its condition holds.
constexpr int kDeadlineMs = 60000;

// The program started on a fresh settings file, its window shown and active.
struct Program {
    testing_support::TempDir dir;
    std::unique_ptr<CDesktopProgram> program;
    Program() {
        ProgramArguments arguments;
        arguments.splash = false;
        arguments.settingsPath = dir / "Settings.ini";
        program = std::make_unique<CDesktopProgram>(arguments, "/nowhere/help.html");
        Frame().resize(1024, 700);
        program->Show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&Frame(), kDeadlineMs));
        Frame().activateWindow();
        ShowExposed(&Frame());
    }
    CMainFrame& Frame() { return program->Frame(); }
    CMenuBar& Bar() { return Frame().MenuBar(); }
};

// The flat menu windows showing now.
int OpenMenuWindows() {
    int count = 0;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (dynamic_cast<CFlatMenuWindow*>(widget) && widget->isVisible())
            ++count;
    return count;
}

QImage Screen() { return QGuiApplication::primaryScreen()->grabWindow(0).toImage(); }

COLORREF At(const QImage& image, QPoint p) {
    const QRgb pixel = image.pixel(p);
    return RGB(qRed(pixel), qGreen(pixel), qBlue(pixel));
}

} // namespace

TEST(DesktopMenus, SwitchingClosingAndOpeningTheMenus) {
    Program p;
    MenuScript s(p.Bar());
    std::vector<std::string> seen;
    auto note = [&] { seen.push_back(DescribeMenuBar(p.Bar()) + " windows=" + std::to_string(OpenMenuWindows())); };
    s.Then([&] { s.ClickButton(0); })
        .Then(note)
        .Then([&] { s.KeyToMenu(Qt::Key_Right); }) // Edit opens, File closes
        .Then(note)
        .Then([&] { s.KeyToMenu(Qt::Key_Right); })
        .Then([&] { s.KeyToMenu(Qt::Key_Right); }) // from Help, the last, to File
        .Then(note)
        .Then([&] { s.KeyToMenu(Qt::Key_Escape); }) // the button stays hot
        .Then(note)
        .Then([&] { s.KeyToWindow(Qt::Key_Escape); })
        .Then([&] { s.ClickButton(1); })
        .Then([&] { s.ClickButton(1); }) // the open menu's button closes it
        .Then(note)
        .Then([&] { s.KeyToWindow(Qt::Key_F, Qt::AltModifier); })
        .Then(note)
        .Then([&] { s.KeyToMenu(Qt::Key_Escape); })
        .Then([&] { s.KeyToWindow(Qt::Key_Escape); });
    ASSERT_TRUE(s.Run(kDeadlineMs));
    EXPECT_EQ(seen, (std::vector<std::string>{
                        "TRACK_POPUP hot=0 open=&File windows=1", "TRACK_POPUP hot=1 open=&Edit windows=1",
                        "TRACK_POPUP hot=0 open=&File windows=1", "TRACK_BUTTON hot=0 windows=0",
                        "TRACK_NONE hot=-1 windows=0", "TRACK_POPUP hot=0 open=&File windows=1"}));
}

TEST(DesktopMenus, ACommandChosenFromAMenuRunsOnce) {
    RecordingServices services;
    Program p;
    ASSERT_TRUE(ChooseMenuCommand(p.Bar(), ID_HOME_PAGE));
    EXPECT_EQ(services.opened.size(), 1u);
    // Stop Convert is greyed while the list is empty: its item does nothing.
    MenuScript s(p.Bar());
    bool greyed = false;
    s.Then([&] { s.ClickButton(1); })
        .Then([&] {
            for (const MenuItem& item : p.Bar().OpenMenu()->GetMenu().items)
                if (item.command == ID_STOP_CONVERT)
                    greyed = item.IsDisabled();
            s.ClickItem(ID_STOP_CONVERT);
        })
        .Then([&] { s.KeyToMenu(Qt::Key_Escape); });
    ASSERT_TRUE(s.Run(kDeadlineMs));
    EXPECT_TRUE(greyed);
    EXPECT_EQ(services.opened.size(), 1u);
}

TEST(DesktopMenus, TheWindowWithTheFileMenuOpen) {
    Program p;
    CMenuBar& bar = p.Bar();
    QImage before, during;
    QRect menuPlace;
    RECT body{}, button = bar.GetItemRect(0);
    MenuScript s(bar);
    const FlatMenuColors colors = FlatMenuColorsFrom(GetSysColor);
    const QPoint band = bar.mapToGlobal(QPoint(bar.width() - 20, bar.height() / 2));
    // The screen is read once the X server has drawn what was asked: the
    // window's band, then the menu's frame.
    s.Then([&] {
         QTest::qWaitFor([&] { return At(before = Screen(), band) == RGB(227, 246, 253); }, kDeadlineMs);
     })
        .Then([&] { s.ClickButton(0); })
        .Then([&] {
            if (!bar.OpenMenu() || !QTest::qWaitForWindowExposed(bar.OpenMenu(), kDeadlineMs))
                return;
            menuPlace = bar.OpenMenu()->geometry();
            body = bar.OpenMenu()->Body();
            const QPoint frame = menuPlace.topLeft() + QPoint(0, body.bottom / 2);
            QTest::qWaitFor([&] { return At(during = Screen(), frame) == colors.frameOuter; }, kDeadlineMs);
        })
        .Then([&] { s.KeyToMenu(Qt::Key_Escape); })
        .Then([&] { s.KeyToWindow(Qt::Key_Escape); });
    ASSERT_TRUE(s.Run(kDeadlineMs));
    ASSERT_FALSE(during.isNull());
    during.save(QString::fromStdString(p.dir / "file-menu.png"));
    if (const char* keep = std::getenv("VELLUMIN_KEEP_SCREENSHOT"))
        during.save(keep);
    // The cool bar's band right of the buttons.
    EXPECT_EQ(At(during, band), RGB(227, 246, 253));
    // The pressed File button: its outline and the image column colour inside.
    const QPoint pressed = bar.mapToGlobal(QPoint(button.left + 2, button.top + 2));
    EXPECT_EQ(At(during, pressed), colors.imageColumn);
    // The menu under it: the frame, the first item highlighted, the image
    // column and text area of the next items.
    const QPoint origin = menuPlace.topLeft();
    EXPECT_EQ(menuPlace.top(), bar.mapToGlobal(QPoint(0, button.bottom - 1)).y());
    EXPECT_EQ(At(during, origin + QPoint(0, body.bottom / 2)), colors.frameOuter);
    EXPECT_EQ(At(during, origin + QPoint(3 + 25, 3 + 2)), colors.selectionFill);
    const int third = 3 + MenuMetricsForTextHeight(QFontMetrics(QApplication::font()).height()).itemHeight * 2 + 4;
    EXPECT_EQ(At(during, origin + QPoint(3 + 2, third)), colors.imageColumn);
    EXPECT_EQ(At(during, origin + QPoint(3 + 24, third)), colors.textArea);
    // The shadow darkens what was there before, level by level.
    for (int level = 0; level < 4; ++level) {
        const QPoint below = origin + QPoint(body.right / 2, body.bottom + level);
        EXPECT_EQ(At(during, below), DarkenForShadow(At(before, below), level)) << level;
        const QPoint right = origin + QPoint(body.right + level, body.bottom / 2);
        EXPECT_EQ(At(during, right), DarkenForShadow(At(before, right), level)) << level;
    }
}
