// The menu bar's tracking states: the table of transitions, the inputs of
// an open menu (Left, Right, Esc, sliding, clicking the open menu's
// button) and what a cascade changes.
#include "controls/bars/menu_bar_tracking.h"

#include <gtest/gtest.h>
#include <string>

namespace {

std::string Describe(const MenuBarTracking& t) {
    return std::to_string(t.State()) + " hot=" + std::to_string(t.HotItem()) + " popup=" +
           std::to_string(t.PopupButton()) + " next=" + std::to_string(t.NextPopup()) + (t.ProcessLeft() ? " L" : "") +
           (t.ProcessRight() ? " R" : "") + (t.Escaped() ? " esc" : "");
}

} // namespace

TEST(MenuBarTracking, TheTableOfStates) {
    // Three buttons: File, Edit, Help. Each case starts with File's menu
    // open (a click on File), applies its events and expects the state.
    struct Case {
        const char* what;
        std::function<void(MenuBarTracking&)> events;
        std::string expected;
    };
    const Case cases[] = {
        {"a click opens the menu", [](MenuBarTracking&) {}, "2 hot=0 popup=0 next=-1 L R"},
        {"Right switches to the next menu",
         [](MenuBarTracking& t) { EXPECT_TRUE(t.OnKeyRight()); }, "2 hot=0 popup=0 next=1 L R"},
        {"Left from the first wraps to the last",
         [](MenuBarTracking& t) { EXPECT_TRUE(t.OnKeyLeft()); }, "2 hot=0 popup=0 next=2 L R"},
        {"sliding over another button switches",
         [](MenuBarTracking& t) { EXPECT_TRUE(t.OnMouseOver(1)); }, "2 hot=0 popup=0 next=1 L R"},
        {"sliding over the open menu's button does nothing",
         [](MenuBarTracking& t) { EXPECT_FALSE(t.OnMouseOver(0)); }, "2 hot=0 popup=0 next=-1 L R"},
        {"sliding between buttons does nothing",
         [](MenuBarTracking& t) { EXPECT_FALSE(t.OnMouseOver(-1)); }, "2 hot=0 popup=0 next=-1 L R"},
        {"a click on the open menu's button closes it, nothing follows",
         [](MenuBarTracking& t) { EXPECT_TRUE(t.OnMouseDown(0)); }, "2 hot=0 popup=0 next=-1 L R"},
        {"a click on another button is not the bar's",
         [](MenuBarTracking& t) { EXPECT_FALSE(t.OnMouseDown(2)); }, "2 hot=0 popup=0 next=-1 L R"},
        {"Esc is noted, not swallowed", [](MenuBarTracking& t) { t.OnKeyEscape(); },
         "2 hot=0 popup=0 next=-1 L R esc"},
        {"closing after Esc leaves the button hot",
         [](MenuBarTracking& t) {
             t.OnKeyEscape();
             EXPECT_EQ(t.EndPopup(), -1);
         },
         "1 hot=0 popup=-1 next=-1 L R esc"},
        {"closing otherwise leaves the bar",
         [](MenuBarTracking& t) { EXPECT_EQ(t.EndPopup(), -1); }, "0 hot=-1 popup=-1 next=-1 L R"},
        {"after Esc the mouse moves the hot button",
         [](MenuBarTracking& t) {
             t.OnKeyEscape();
             t.EndPopup();
             t.HotTrack(2);
         },
         "1 hot=2 popup=-1 next=-1 L R esc"},
        {"Right, then the next menu opens",
         [](MenuBarTracking& t) {
             t.OnKeyRight();
             t.BeginPopup(t.EndPopup());
         },
         "2 hot=1 popup=1 next=-1 L R"},
        {"a cascade's item takes Right",
         [](MenuBarTracking& t) {
             t.OnMenuSelect(true, true);
             EXPECT_FALSE(t.OnKeyRight());
             EXPECT_TRUE(t.OnKeyLeft());
         },
         "2 hot=0 popup=0 next=2 L"},
        {"inside a cascade Left closes the cascade",
         [](MenuBarTracking& t) {
             t.OnMenuSelect(false, false);
             EXPECT_FALSE(t.OnKeyLeft());
             EXPECT_TRUE(t.OnKeyRight());
         },
         "2 hot=0 popup=0 next=1 R"},
    };
    for (const Case& c : cases) {
        MenuBarTracking tracking(3);
        tracking.BeginPopup(0);
        c.events(tracking);
        EXPECT_EQ(Describe(tracking), c.expected) << c.what;
    }
}

TEST(MenuBarTracking, RightOnTheLastMenuOpensTheFirst) {
    MenuBarTracking tracking(3);
    tracking.BeginPopup(2);
    EXPECT_TRUE(tracking.OnKeyRight());
    EXPECT_EQ(tracking.NextPopup(), 0);
}

TEST(MenuBarTracking, TheStateChangesOnlyWhenItDiffers) {
    MenuBarTracking tracking(3);
    tracking.SetTrackingState(TRACK_BUTTON, 1);
    EXPECT_EQ(tracking.HotItem(), 1);
    // The same state again: the hot button stays.
    tracking.SetTrackingState(TRACK_BUTTON, 2);
    EXPECT_EQ(tracking.HotItem(), 1);
    tracking.SetTrackingState(TRACK_NONE, 2);
    EXPECT_EQ(tracking.HotItem(), -1);
    // Menu selections count only while the bar tracks.
    tracking.OnMenuSelect(true, false);
    EXPECT_FALSE(tracking.ProcessLeft() || tracking.ProcessRight());
}
