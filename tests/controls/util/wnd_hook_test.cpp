#include "controls/util/wnd_hook.h"

#include <QApplication>
#include <QMouseEvent>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

std::vector<std::string> journal;

// A window whose own handling notes the messages it sees.
class JournalWindow : public CWnd {
protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_USER + 1 || message == WM_LBUTTONDOWN)
            journal.push_back("window:" + std::to_string(message) + ":" + std::to_string(lParam));
        return message == WM_USER + 1 ? 7 : CWnd::WindowProc(message, wParam, lParam);
    }
};

class NamedHook : public CWndHook {
public:
    explicit NamedHook(std::string name, bool swallow = false) : name_(std::move(name)), swallow_(swallow) {}
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_USER + 1 || message == WM_LBUTTONDOWN)
            journal.push_back(name_);
        if (swallow_ && message == WM_USER + 1)
            return 99;
        return CWndHook::WindowProc(message, wParam, lParam);
    }

private:
    std::string name_;
    bool swallow_;
};

class WndHookTest : public ::testing::Test {
protected:
    void SetUp() override { journal.clear(); }
};

} // namespace

TEST_F(WndHookTest, HooksRunNewestFirstThenTheWindow) {
    JournalWindow window;
    NamedHook older("older"), newer("newer");
    older.HookWindow(&window);
    newer.HookWindow(&window);
    EXPECT_EQ(window.SendMessage(WM_USER + 1, 0, 5), 7);
    EXPECT_EQ(journal, (std::vector<std::string>{"newer", "older", "window:1025:5"}));
}

TEST_F(WndHookTest, QtEventsReachTheHooksAsMessages) {
    JournalWindow window;
    window.resize(50, 50);
    NamedHook hook("hook");
    hook.HookWindow(&window);
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(3, 4), QPointF(3, 4), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(&window, &press);
    EXPECT_EQ(journal, (std::vector<std::string>{"hook", "window:513:" + std::to_string(MAKELPARAM(3, 4))}));
}

TEST_F(WndHookTest, AHookMaySwallowAMessage) {
    JournalWindow window;
    NamedHook older("older"), swallower("swallower", true);
    older.HookWindow(&window);
    swallower.HookWindow(&window);
    EXPECT_EQ(window.SendMessage(WM_USER + 1), 99);
    EXPECT_EQ(journal, std::vector<std::string>{"swallower"});
}

TEST_F(WndHookTest, UnhookingFromTheMiddleAndTheLast) {
    JournalWindow window;
    NamedHook older("older"), newer("newer");
    older.HookWindow(&window);
    newer.HookWindow(&window);
    older.HookWindow(nullptr); // from the middle of the chain: the procedure stays replaced
    EXPECT_EQ(CWndHookMap::Lookup(&window), &newer);
    window.SendMessage(WM_USER + 1);
    EXPECT_EQ(journal, (std::vector<std::string>{"newer", "window:1025:0"}));

    newer.HookWindow(nullptr); // the last one: the window's own procedure comes back
    EXPECT_EQ(CWndHookMap::Lookup(&window), nullptr);
    CWnd::WNDPROC restored = window.SetWindowProc(nullptr);
    EXPECT_NE(restored, &CWndHookMap::HookWndProc);
    window.SetWindowProc(restored);
    journal.clear();
    window.SendMessage(WM_USER + 1);
    EXPECT_EQ(journal, std::vector<std::string>{"window:1025:0"});
}

namespace {
bool sawDestroyWithHooks = true;
bool ownProcedureSawDestroy = false;
LRESULT OwnProcedure(CWnd* window, UINT message, WPARAM, LPARAM) {
    if (message == WM_NCDESTROY) {
        ownProcedureSawDestroy = true;
        sawDestroyWithHooks = CWndHookMap::Lookup(window) != nullptr;
    }
    return 0;
}
} // namespace

TEST_F(WndHookTest, DestroyingTheWindowUnhooksEverythingFirst) {
    NamedHook first("first"), second("second");
    {
        CWnd window;
        window.SetWindowProc(OwnProcedure);
        first.HookWindow(&window);
        second.HookWindow(&window);
    }
    EXPECT_TRUE(ownProcedureSawDestroy);
    EXPECT_FALSE(sawDestroyWithHooks);
    EXPECT_EQ(first.HookedWindow(), nullptr);
    EXPECT_EQ(second.HookedWindow(), nullptr);
    EXPECT_EQ(first.HookWindow(nullptr), 1); // nothing left to do
}

TEST_F(WndHookTest, IdleHookUnhooksToNothing) {
    NamedHook idle("idle");
    EXPECT_EQ(idle.HookWindow(nullptr), 1);
    EXPECT_EQ(idle.HookedWindow(), nullptr);
}
