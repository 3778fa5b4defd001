// How real input reaches a window as messages: one row per Qt input, with
// the messages the window and its parent receive.
#include "tests/support/gui_support.h"

#include "platform/ui/input_state.h"
#include "platform/ui/std_controls.h"

#include <QApplication>
#include <QTest>
#include <QWheelEvent>
#include <functional>
#include <gtest/gtest.h>

namespace {

struct Row {
    const char* input;
    std::function<void(QWidget*)> send;
    std::vector<std::string> window;
    std::vector<std::string> parent;
};

void Mouse(QWidget* target, QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons held,
           Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    const QPoint at(3, 4);
    QMouseEvent event(type, at, target->mapToGlobal(at), button, held, modifiers);
    QApplication::sendEvent(target, &event);
}

std::string Point(QPoint p) { return "(" + std::to_string(p.x()) + "," + std::to_string(p.y()) + ")"; }

} // namespace

TEST(WindowInput, EachQtInputArrivesAsTheMessagesOfItsKind) {
    JournalWindow parent;
    parent.resize(300, 200);
    JournalWindow window;
    ASSERT_TRUE(window.Create(WS_CHILD | WS_VISIBLE, RECT{10, 10, 210, 110}, &parent, 7));
    window.names = {{&window, "window"}};
    window.ignored.erase(WM_GETDLGCODE);
    parent.names = window.names;
    ShowExposed(&parent);
    const std::string screen = Point(window.mapToGlobal(QPoint(3, 4)));

    const Row rows[] = {
        {"left press, release, double click, release",
         [](QWidget* w) {
             QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(3, 4));
             QTest::mouseDClick(w, Qt::LeftButton, {}, QPoint(3, 4));
             QTest::mouseRelease(w, Qt::LeftButton, {}, QPoint(3, 4));
         },
         {"WM_LBUTTONDOWN 0x1 (3,4)", "WM_LBUTTONUP 0x0 (3,4)", "WM_LBUTTONDBLCLK 0x1 (3,4)",
          "WM_LBUTTONUP 0x0 (3,4)"},
         {}},
        {"right click with Ctrl: the release brings the context menu, which goes up to the parent",
         [](QWidget* w) { QTest::mouseClick(w, Qt::RightButton, Qt::ControlModifier, QPoint(3, 4)); },
         {"WM_RBUTTONDOWN 0xa (3,4)", "WM_RBUTTONUP 0x8 (3,4)", "WM_CONTEXTMENU window " + screen},
         {"WM_CONTEXTMENU window " + screen}},
        {"right double click",
         [](QWidget* w) {
             QTest::mouseDClick(w, Qt::RightButton, {}, QPoint(3, 4));
             QTest::mouseRelease(w, Qt::RightButton, {}, QPoint(3, 4));
         },
         {"WM_RBUTTONDBLCLK 0x2 (3,4)", "WM_RBUTTONUP 0x0 (3,4)", "WM_CONTEXTMENU window " + screen},
         {"WM_CONTEXTMENU window " + screen}},
        {"middle button",
         [](QWidget* w) {
             QTest::mouseClick(w, Qt::MiddleButton, {}, QPoint(3, 4));
             QTest::mouseDClick(w, Qt::MiddleButton, {}, QPoint(3, 4));
             QTest::mouseRelease(w, Qt::MiddleButton, {}, QPoint(3, 4));
         },
         {"WM_MBUTTONDOWN 0x10 (3,4)", "WM_MBUTTONUP 0x0 (3,4)", "WM_MBUTTONDBLCLK 0x10 (3,4)",
          "WM_MBUTTONUP 0x0 (3,4)"},
         {}},
        {"extra buttons say which in the high word",
         [](QWidget* w) {
             Mouse(w, QEvent::MouseButtonPress, Qt::XButton1, Qt::XButton1);
             Mouse(w, QEvent::MouseButtonRelease, Qt::XButton2, Qt::NoButton);
             Mouse(w, QEvent::MouseButtonDblClick, Qt::XButton2, Qt::XButton2);
         },
         {"WM_XBUTTONDOWN 0x10020 (3,4)", "WM_XBUTTONUP 0x20000 (3,4)", "WM_XBUTTONDBLCLK 0x20040 (3,4)"},
         {}},
        {"move with the left button and Shift held",
         [](QWidget* w) { Mouse(w, QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, Qt::ShiftModifier); },
         {"WM_MOUSEMOVE 0x5 (3,4)"},
         {}},
        {"wheel with Ctrl: screen position, unhandled turns go up to the parent",
         [](QWidget* w) {
             QWheelEvent wheel(QPointF(3, 4), w->mapToGlobal(QPointF(3, 4)), QPoint(), QPoint(0, 120), Qt::NoButton,
                               Qt::ControlModifier, Qt::NoScrollPhase, false);
             QApplication::sendEvent(w, &wheel);
         },
         {"WM_MOUSEWHEEL 0x780008 " + screen},
         {"WM_MOUSEWHEEL 0x780008 " + screen}},
        {"a letter types its character", [](QWidget* w) { QTest::keyClick(w, Qt::Key_A); },
         {"WM_KEYDOWN 0x41 1", "WM_CHAR 0x61 1", "WM_KEYUP 0x41 3221225473"},
         {}},
        {"Ctrl with a letter types its control code",
         [](QWidget* w) { QTest::keyClick(w, Qt::Key_C, Qt::ControlModifier); },
         {"WM_KEYDOWN 0x11 1 +C", "WM_KEYDOWN 0x43 1 +C", "WM_CHAR 0x3 1 +C", "WM_KEYUP 0x43 3221225473 +C",
          "WM_KEYUP 0x11 3221225473"},
         {}},
        {"Alt with a letter is a system key", [](QWidget* w) { QTest::keyClick(w, Qt::Key_F, Qt::AltModifier); },
         {"WM_KEYDOWN 0x12 1 +A", "WM_SYSKEYDOWN 0x46 1 +A", "WM_SYSCHAR 0x66 1 +A",
          "WM_SYSKEYUP 0x46 3221225473 +A", "WM_KEYUP 0x12 3221225473"},
         {}},
        {"Tab asks whether the window takes tabs: it does not, so the focus moves on and nothing is typed",
         [](QWidget* w) { QTest::keyClick(w, Qt::Key_Tab); },
         {"WM_KEYDOWN 0x9 1", "WM_GETDLGCODE 0x0 0", "WM_KEYUP 0x9 3221225473"},
         {}},
        {"Shift+Tab is Tab with Shift down, typed by a window that takes tabs",
         [&](QWidget* w) {
             window.dialogCode = DLGC_WANTTAB;
             QKeyEvent press(QEvent::KeyPress, Qt::Key_Backtab, Qt::ShiftModifier);
             QApplication::sendEvent(w, &press);
             window.dialogCode = 0;
         },
         {"WM_KEYDOWN 0x9 1 +S", "WM_GETDLGCODE 0x0 0", "WM_CHAR 0x9 1 +S"},
         {}},
        {"the menu key opens the context menu from the keyboard", [](QWidget* w) { QTest::keyPress(w, Qt::Key_Menu); },
         {"WM_KEYDOWN 0x5d 1", "WM_CONTEXTMENU window -1"},
         {"WM_CONTEXTMENU window -1"}},
        {"Delete, Escape and F2", [](QWidget* w) {
             QTest::keyPress(w, Qt::Key_Delete);
             QTest::keyPress(w, Qt::Key_Escape);
             QTest::keyPress(w, Qt::Key_F2);
         },
         {"WM_KEYDOWN 0x2e 1", "WM_KEYDOWN 0x1b 1", "WM_CHAR 0x1b 1", "WM_KEYDOWN 0x71 1"},
         {}},
    };
    for (const Row& row : rows) {
        window.journal.clear();
        parent.journal.clear();
        row.send(&window);
        EXPECT_EQ(window.journal, row.window) << row.input;
        EXPECT_EQ(parent.journal, row.parent) << row.input;
    }
}

TEST(WindowInput, ClicksAndKeysLeftToDefaultHandlingStopAtTheWindow) {
    // A Qt parent would see ignored events; a window's parent sees none of its child's input.
    struct CountingParent : QWidget {
        int inputs = 0;
        bool event(QEvent* e) override {
            if (e->type() == QEvent::MouseButtonPress || e->type() == QEvent::KeyPress ||
                e->type() == QEvent::MouseButtonRelease)
                ++inputs;
            return QWidget::event(e);
        }
    } parent;
    parent.resize(200, 100);
    CWnd window(&parent);
    window.setGeometry(0, 0, 100, 50);
    ShowExposed(&parent);
    QTest::mouseClick(&window, Qt::LeftButton);
    QTest::keyClick(&window, Qt::Key_X);
    QTest::keyClick(&window, Qt::Key_Return);
    EXPECT_EQ(parent.inputs, 0);
}

TEST(WindowInput, FocusMessagesNameTheOtherWindow) {
    JournalWindow top;
    top.resize(300, 100);
    JournalWindow first(&top), second(&top);
    first.setGeometry(0, 0, 100, 50);
    second.setGeometry(100, 0, 100, 50);
    for (JournalWindow* w : {&first, &second})
        w->names = {{&first, "first"}, {&second, "second"}};
    ShowExposed(&top);
    first.SetFocus();
    EXPECT_EQ(CWnd::GetFocus(), &first);
    first.journal.clear();
    EXPECT_EQ(second.SetFocus(), &first);
    EXPECT_EQ(first.journal, std::vector<std::string>{"WM_KILLFOCUS second 0"});
    EXPECT_EQ(second.journal, std::vector<std::string>{"WM_SETFOCUS first 0"});

    // A control over a Qt widget is named as itself, not as the widget inside it.
    CEdit edit(&top);
    edit.setGeometry(200, 0, 100, 30);
    edit.show();
    second.names.push_back({&edit, "edit"});
    second.journal.clear();
    edit.SetFocus();
    EXPECT_EQ(CWnd::GetFocus(), &edit);
    EXPECT_EQ(second.journal, std::vector<std::string>{"WM_KILLFOCUS edit 0"});
    second.journal.clear();
    second.SetFocus();
    EXPECT_EQ(second.journal, std::vector<std::string>{"WM_SETFOCUS edit 0"});
}

TEST(WindowInput, KeyStateFollowsTheMessageBeingHandled) {
    JournalWindow window;
    window.resize(50, 50);
    ShowExposed(&window);
    QTest::keyPress(&window, Qt::Key_Shift);
    EXPECT_LT(GetKeyState(VK_SHIFT), 0);
    QTest::keyRelease(&window, Qt::Key_Shift);
    EXPECT_EQ(GetKeyState(VK_SHIFT), 0);
    QTest::mousePress(&window, Qt::LeftButton, Qt::ControlModifier);
    EXPECT_LT(GetKeyState(VK_LBUTTON), 0);
    EXPECT_LT(GetKeyState(VK_CONTROL), 0);
    QTest::mouseRelease(&window, Qt::LeftButton);
    EXPECT_EQ(GetKeyState(VK_LBUTTON), 0);
}
