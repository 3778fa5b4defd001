// Borders and scroll bars around a window's client area.
#include "tests/support/gui_support.h"

#include "platform/ui/dc.h"
#include "platform/ui/paint_dc.h"
#include "platform/ui/system_colors.h"

#include <QApplication>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

// Scrolls by 10 a line and follows the thumb, as window code does; notes
// each request's code and position.
class Scrolled : public JournalWindow {
public:
    std::vector<std::pair<int, int>> requests;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_VSCROLL) {
            requests.emplace_back(LOWORD(wParam), HIWORD(wParam));
            SCROLLINFO info;
            info.fMask = SIF_POS | SIF_TRACKPOS;
            GetScrollInfo(SB_VERT, &info);
            const int code = LOWORD(wParam);
            info.fMask = SIF_POS;
            info.nPos = code == SB_LINEDOWN ? info.nPos + 10 : code == SB_THUMBTRACK ? info.nTrackPos : info.nPos;
            if (code == SB_LINEDOWN || code == SB_THUMBTRACK)
                SetScrollInfo(SB_VERT, info);
        }
        if (message == WM_PAINT) {
            CPaintDC dc(this);
            dc.FillSolidRect(GetClientRect(), RGB(255, 0, 0));
            return 0;
        }
        return JournalWindow::WindowProc(message, wParam, lParam);
    }
};

} // namespace

TEST(NonClientFrame, TheClientAreaLeavesOutBordersAndBars) {
    struct Case {
        uint32_t style, exStyle;
        RECT client;
    } cases[] = {
        {0, 0, {0, 0, 200, 100}},
        {WS_BORDER, 0, {0, 0, 198, 98}},
        {0, WS_EX_CLIENTEDGE, {0, 0, 196, 96}},
        {WS_BORDER, WS_EX_CLIENTEDGE, {0, 0, 194, 94}},
        {WS_BORDER | WS_VSCROLL, 0, {0, 0, 182, 98}},
        {WS_BORDER | WS_VSCROLL | WS_HSCROLL, 0, {0, 0, 182, 82}},
    };
    for (const Case& c : cases) {
        JournalWindow parent;
        JournalWindow window;
        window.ignored.erase(WM_SIZE);
        window.Create(WS_CHILD | WS_VISIBLE | c.style, RECT{0, 0, 200, 100}, &parent, 1, c.exStyle);
        EXPECT_EQ(window.GetClientRect(), c.client) << c.style << " " << c.exStyle;
        ASSERT_FALSE(window.journal.empty());
        EXPECT_EQ(window.journal.back(), "WM_SIZE 0x0 " + std::to_string(MAKELPARAM(c.client.right, c.client.bottom)));
    }
}

TEST(NonClientFrame, PaintingAndChildWindowsUseClientCoordinates) {
    Scrolled window;
    window.ModifyStyle(0, WS_BORDER);
    window.ModifyStyleEx(0, WS_EX_CLIENTEDGE);
    window.resize(100, 60);
    JournalWindow child;
    child.Create(WS_CHILD | WS_VISIBLE, RECT{0, 0, 10, 10}, &window, 2);
    EXPECT_EQ(child.mapTo(&window, QPoint(0, 0)), QPoint(3, 3));
    child.hide();
    ShowExposed(&window);
    const QImage picture = window.grab().toImage();
    auto at = [&](int x, int y) { return picture.pixel(x, y) & 0xFFFFFF; };
    EXPECT_EQ(at(0, 0), 0u);                                      // the border
    EXPECT_EQ(at(1, 1), static_cast<QRgb>(0x808080));             // the client edge, outer ring
    EXPECT_EQ(at(2, 2), static_cast<QRgb>(0x404040));             // and inner ring
    EXPECT_EQ(at(3, 3), static_cast<QRgb>(0xFF0000));             // the client area
    EXPECT_EQ(at(96, 56), static_cast<QRgb>(0xFF0000));
}

TEST(NonClientFrame, ScrollInfoShowsHidesDisablesAndKeepsThePositionInRange) {
    JournalWindow window;
    window.resize(200, 100);
    SCROLLINFO info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMax = 99;
    info.nPage = 50;
    info.nPos = 80;
    EXPECT_EQ(window.SetScrollInfo(SB_VERT, info), 50); // the last position shows the last page
    EXPECT_TRUE(window.IsScrollBarShown(SB_VERT));
    EXPECT_EQ(window.GetClientRect().right, 184);
    ASSERT_NE(ScrollBarOf(&window, Qt::Vertical), nullptr);
    EXPECT_TRUE(ScrollBarOf(&window, Qt::Vertical)->isEnabled());

    SCROLLINFO read;
    read.fMask = SIF_ALL;
    ASSERT_TRUE(window.GetScrollInfo(SB_VERT, &read));
    EXPECT_EQ(read.nMax, 99);
    EXPECT_EQ(read.nPage, 50u);
    EXPECT_EQ(read.nPos, 50);
    EXPECT_EQ(read.nTrackPos, 50);

    info.fMask = SIF_RANGE | SIF_PAGE | SIF_DISABLENOSCROLL; // nothing to scroll: kept, but disabled
    info.nPage = 100;
    window.SetScrollInfo(SB_VERT, info);
    EXPECT_TRUE(window.IsScrollBarShown(SB_VERT));
    EXPECT_FALSE(ScrollBarOf(&window, Qt::Vertical)->isEnabled());

    info.fMask = SIF_RANGE | SIF_PAGE; // nothing to scroll: hidden
    info.nPage = 120;
    window.SetScrollInfo(SB_VERT, info);
    EXPECT_FALSE(window.IsScrollBarShown(SB_VERT));
    EXPECT_EQ(window.GetClientRect().right, 200);

    info.nPage = 30; // scrolling again: shown and enabled
    window.SetScrollInfo(SB_VERT, info);
    EXPECT_TRUE(window.IsScrollBarShown(SB_VERT));
    EXPECT_TRUE(ScrollBarOf(&window, Qt::Vertical)->isEnabled());
    window.ShowScrollBar(SB_BOTH, false);
    EXPECT_EQ(window.GetClientRect(), (RECT{0, 0, 200, 100}));
}

namespace {

// Shows a 200 x 200 window whose bar (SB_VERT or SB_HORZ) has a range of
// 1000 and a page of 100, and returns that bar.
QScrollBar* ShowWithATenthInView(Scrolled& window, int which) {
    window.resize(200, 200);
    SCROLLINFO info;
    info.fMask = SIF_RANGE | SIF_PAGE;
    info.nMax = 999;
    info.nPage = 100;
    window.SetScrollInfo(which, info);
    ShowExposed(&window);
    return ScrollBarOf(&window, which == SB_VERT ? Qt::Vertical : Qt::Horizontal);
}

} // namespace

TEST(NonClientFrame, TheBarsAskTheWindowAndMoveOnlyWhenItAnswers) {
    Scrolled window;
    QScrollBar* bar = ShowWithATenthInView(window, SB_VERT);

    const QPoint down = ScrollBarPart(bar, QStyle::SC_ScrollBarAddLine).center();
    QTest::mouseClick(bar, Qt::LeftButton, {}, down);
    EXPECT_EQ(window.journal, (Lines{"WM_VSCROLL 0x1 0", "WM_VSCROLL 0x8 0"}));
    EXPECT_EQ(bar->value(), 10);

    window.requests.clear();
    const QRect thumb = ScrollBarPart(bar, QStyle::SC_ScrollBarSlider);
    QTest::mousePress(bar, Qt::LeftButton, {}, thumb.center());
    QTest::mouseMove(bar, thumb.center() + QPoint(0, 40));
    QTest::mouseRelease(bar, Qt::LeftButton, {}, thumb.center() + QPoint(0, 40));
    SCROLLINFO read;
    read.fMask = SIF_POS;
    window.GetScrollInfo(SB_VERT, &read);
    EXPECT_GT(read.nPos, 10);
    // Tracking, then the thumb's final place, then the end.
    ASSERT_GE(window.requests.size(), 3u);
    EXPECT_EQ(window.requests.front().first, SB_THUMBTRACK);
    EXPECT_EQ(window.requests[window.requests.size() - 2], std::make_pair(int(SB_THUMBPOSITION), read.nPos));
    EXPECT_EQ(window.requests.back().first, SB_ENDSCROLL);
    EXPECT_EQ(bar->value(), read.nPos);

    // The wheel over a bar is the window's wheel.
    window.journal.clear();
    QWheelEvent wheel(QPointF(5, 5), bar->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(bar, &wheel);
    ASSERT_EQ(window.journal.size(), 1u);
    EXPECT_EQ(window.journal[0].substr(0, 24), "WM_MOUSEWHEEL 0xff880000");
    EXPECT_EQ(bar->value(), read.nPos); // the bar itself did not move
}

// The wheel turned over the horizontal bar, and the wheel tilted anywhere,
// is the window's horizontal wheel: a turn away from the user over that bar
// goes left, a tilt to the right goes right.
TEST(NonClientFrame, TheWheelAlongTheHorizontalBarTurnsHorizontally) {
    Scrolled window;
    QScrollBar* bar = ShowWithATenthInView(window, SB_HORZ);
    ASSERT_NE(bar, nullptr);
    const struct {
        QWidget* over;
        QPoint angle;
        const char* message;
    } cases[] = {
        {bar, QPoint(0, 120), "WM_MOUSEHWHEEL 0xff880000"},
        {bar, QPoint(0, -120), "WM_MOUSEHWHEEL 0x780000"},
        {window.ClientWidget(), QPoint(-120, 0), "WM_MOUSEHWHEEL 0x780000"},
        {window.ClientWidget(), QPoint(0, 120), "WM_MOUSEWHEEL 0x780000"},
    };
    for (const auto& c : cases) {
        window.journal.clear();
        QWheelEvent wheel(QPointF(5, 5), c.over->mapToGlobal(QPointF(5, 5)), QPoint(), c.angle, Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(c.over, &wheel);
        ASSERT_EQ(window.journal.size(), 1u);
        const std::string message = c.message;
        EXPECT_EQ(window.journal[0].substr(0, message.size() + 1), message + " ") << window.journal[0];
    }
    EXPECT_EQ(bar->value(), 0); // the bar itself did not move
}
