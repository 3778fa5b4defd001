// The main window: its menu from the resources, the accelerators, the pane
// split, the single-instance rule and the splash.
#include "shell/commands.h"
#include "shell/main_frame.h"
#include "shell/single_instance.h"
#include "shell/splash_window.h"
#include "tests/support/gui_support.h"

#include <QApplication>
#include <QMenuBar>
#include <QElapsedTimer>
#include <QPointer>
#include <QTest>
#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

struct Frame {
    ConvertSettings settings;
    CMainFrame frame{settings, "/usr/share/doc/vellumin/help.html"};
    Frame() {
        frame.resize(1024, 700);
        ShowExposed(&frame);
    }
};

} // namespace

TEST(MainFrame, TheMenuComesFromTheResources) {
    Frame f;
    Lines titles;
    for (QAction* menu : f.frame.menuBar()->actions())
        titles.push_back(menu->text().toStdString());
    EXPECT_EQ(titles, (Lines{"&File", "&Edit", "&Help"}));
    ASSERT_NE(f.frame.Action(ID_OPEN_FILE), nullptr);
    EXPECT_EQ(f.frame.Action(ID_OPEN_FILE)->text().toStdString(), "&Open File...\tCtrl+O");
    EXPECT_EQ(f.frame.Action(ID_STOP_CONVERT)->text().toStdString(), "Stop Convert\tShift+F5");
    EXPECT_EQ(f.frame.Action(ID_APP_ABOUT)->text().toStdString(), "&About Vellumin...");
}

TEST(MainFrame, PanesBandAndSplit) {
    Frame f;
    EXPECT_GE(f.frame.Form().width(), 640);
    const QImage picture = f.frame.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QPoint band = f.frame.Form().mapTo(&f.frame, QPoint(300, f.frame.Form().height() / 2 - 20));
    EXPECT_EQ(picture.pixel(band), qRgb(227, 246, 253));
}

TEST(MainFrame, AcceleratorsRunTheirCommands) {
    RecordingServices services;
    Frame f;
    services.files = {"/d/a.pdf", "/d/b.pdf"};
    // From the options pane: the frame's accelerators.
    f.frame.Options().Tree().GetListWindow()->SetFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(f.frame.Form().Jobs().Paths().size(), 2u);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_X, Qt::ControlModifier);
    EXPECT_TRUE(f.frame.Form().Jobs().CheckedEntries().empty());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(f.frame.Form().Jobs().CheckedEntries().size(), 2u);
    // Inside the form the form's own keys run once, not twice.
    f.frame.Form().Grid().SetFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_I, Qt::ControlModifier);
    EXPECT_TRUE(f.frame.Form().Jobs().CheckedEntries().empty());
    // Menu commands go the same way; the frame's own ones too.
    f.frame.Action(ID_SELECT_ALL_ITEMS)->trigger();
    EXPECT_EQ(f.frame.Form().Jobs().CheckedEntries().size(), 2u);
    f.frame.Action(ID_HOME_PAGE)->trigger();
    f.frame.Action(ID_HELP_ONLINE)->trigger();
    ASSERT_EQ(services.opened.size(), 2u);
    EXPECT_EQ(services.opened[0].rfind("https://", 0), 0u);
    EXPECT_EQ(services.opened[1], "file:///usr/share/doc/vellumin/help.html");
    // Stop is grayed while no entry exists; Start while a run is under way.
    f.frame.OnCommand(ID_REMOVE_ALL);
    EXPECT_FALSE(f.frame.IsCommandEnabled(ID_STOP_CONVERT));
    EXPECT_FALSE(f.frame.IsCommandEnabled(ID_START_CONVERT));
    EXPECT_TRUE(f.frame.IsCommandEnabled(ID_OPEN_FILE));
}

TEST(MainFrame, AResetRebuildsTheOptions) {
    Frame f;
    f.settings.imagesFormat = 4;
    f.frame.Options().BuildOptionTree();
    f.frame.OnCommand(ID_RESET_OPTIONS);
    EXPECT_EQ(f.settings.imagesFormat, 1);
    EXPECT_NE(DumpChoiceTree(f.frame.Options().Tree()).find("Output Mode = jpg"), std::string::npos);
}

TEST(SingleInstance, ASecondStartRaisesTheFirst) {
    CSingleInstance first("vellumin-test-instance");
    EXPECT_FALSE(first.OtherIsRunning());
    int raised = 0;
    first.Listen([&] { ++raised; });
    CSingleInstance second("vellumin-test-instance");
    EXPECT_TRUE(second.OtherIsRunning());
    QElapsedTimer clock;
    clock.start();
    while (raised == 0 && clock.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_EQ(raised, 1);
}

TEST(Splash, AKeyPressEndsItAndIsTaken) {
    auto* splash = new CSplashWindow;
    splash->show();
    QPointer<CSplashWindow> watch(splash);
    struct Other : QWidget {
        int keys = 0;
        void keyPressEvent(QKeyEvent*) override { ++keys; }
    } other;
    other.show();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a");
    QApplication::sendEvent(&other, &press);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(watch.isNull());
    EXPECT_EQ(other.keys, 0); // the press that ended the splash went no further
    QApplication::sendEvent(&other, &press);
    EXPECT_EQ(other.keys, 1);
    EXPECT_EQ(CSplashWindow::Picture().size(), QSize(420, 240));
}
