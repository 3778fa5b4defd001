// The demo's scrolled list, driven as a person would: it shows the window
// layer's scroll bars and in-place editing working together.
#include "demo/scrolled_list.h"
#include "tests/support/gui_support.h"

#include <QLineEdit>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>

namespace {

struct ListWindow {
    CWnd top;
    CScrolledList list;
    ListWindow() : list(Rows()) {
        top.resize(300, 200);
        list.Create(WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_TABSTOP, RECT{0, 0, 300, 200}, &top, 100);
        ShowExposed(&top);
    }
    static std::vector<std::string> Rows() {
        std::vector<std::string> rows;
        for (int i = 0; i < 50; ++i)
            rows.push_back("row " + std::to_string(i));
        return rows;
    }
    QWidget* Client() { return list.ClientWidget(); }
    QLineEdit* Editor() { return list.ClientWidget()->findChild<QLineEdit*>(); }
    int Scroll() {
        SCROLLINFO info;
        info.fMask = SIF_POS;
        list.GetScrollInfo(SB_VERT, &info);
        return info.nPos;
    }
};

} // namespace

TEST(ScrolledList, GeometryOfRows) {
    RowGeometry geometry{20, 10, 30};
    struct Case {
        int y, row;
    } cases[] = {{-1, -1}, {0, 1}, {9, 1}, {10, 2}, {169, 9}, {170, -1}};
    for (const Case& c : cases)
        EXPECT_EQ(geometry.RowAt(c.y), c.row) << c.y;
    EXPECT_EQ(geometry.RowRect(2, 100), (RECT{0, 10, 100, 30}));
    EXPECT_EQ(geometry.MaxScroll(150), 50);
    EXPECT_EQ(geometry.MaxScroll(500), 0);
}

TEST(ScrolledList, ScrollsByBarWheelAndKeys) {
    ListWindow window;
    EXPECT_TRUE(window.list.IsScrollBarShown(SB_VERT)); // 50 rows of 20 pixels do not fit
    QWheelEvent wheel(QPointF(10, 10), window.Client()->mapToGlobal(QPointF(10, 10)), QPoint(), QPoint(0, -120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(window.Client(), &wheel);
    EXPECT_EQ(window.Scroll(), 60); // three rows a notch
    window.list.SetFocus();
    for (int i = 0; i < 12; ++i)
        QTest::keyClick(&window.list, Qt::Key_Down);
    EXPECT_EQ(window.list.Selected(), 12);
    QTest::mouseClick(window.Client(), Qt::LeftButton, {}, QPoint(10, 5)); // the top row in view
    EXPECT_EQ(window.list.Selected(), 3);
}

TEST(ScrolledList, RowsAreEditedInPlace) {
    ListWindow window;
    QTest::mouseDClick(window.Client(), Qt::LeftButton, {}, QPoint(10, 45)); // row 2
    ASSERT_TRUE(window.Editor()->isVisible());
    EXPECT_EQ(window.Editor()->cursorPosition(), 5);
    QTest::keyClick(window.Editor(), Qt::Key_Backspace);
    QTest::keyClicks(window.Editor(), "two");
    QTest::keyClick(window.Editor(), Qt::Key_Return);
    EXPECT_FALSE(window.Editor()->isVisible());
    EXPECT_EQ(window.list.Rows()[2], "row two");

    // Typing on the list starts an edit with that character; Escape restores the row.
    window.list.SetFocus();
    QTest::keyClicks(&window.list, "X");
    QCoreApplication::processEvents();
    EXPECT_EQ(window.Editor()->text(), "X");
    QTest::keyClick(window.Editor(), Qt::Key_Escape);
    EXPECT_EQ(window.list.Rows()[2], "row two");

    // Focus leaving the editor keeps what was typed.
    QTest::keyClick(&window.list, Qt::Key_F2);
    QTest::keyClicks(window.Editor(), "!");
    window.list.SetFocus();
    EXPECT_EQ(window.list.Rows()[2], "row two!");
}
