// The cool bar and the toolbars in windows: bands laid out in the bar with
// its height following them, the band colour behind, a flat toolbar's own
// edge outside a cool bar, buttons at their measured widths, wrapping, hot
// tracking and clicks.
#include "controls/bars/cool_bar.h"
#include "controls/bars/tool_bar.h"
#include "tests/support/gui_support.h"

#include <QMainWindow>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// A cool bar whose bands are the toolbars it is given.
class TestCoolBar : public CCoolBar {
public:
    using CCoolBar::CCoolBar;
    bool refuse = false;

protected:
    bool OnCreateBands() override { return !refuse; }
};

// A toolbar with texts of different lengths and a separator.
void AddButtons(CSizedToolBar& bar) {
    for (const char* text : {"&One", "Two longer", "", "Three"}) {
        TBBUTTON button;
        if (*text == 0) {
            button.fsStyle = TBSTYLE_SEP;
        } else {
            button.idCommand = 100 + bar.ButtonCount();
            button.iString = bar.AddString(text);
        }
        bar.AddButton(button);
    }
}

QRgb Pixel(QWidget& widget, int x, int y) { return widget.grab().toImage().pixel(x, y) & 0xFFFFFF; }

const QRgb kBand = qRgb(227, 246, 253) & 0xFFFFFF;

} // namespace

TEST(CoolBar, BandsInARowAndTheHeightFollowsThem) {
    QMainWindow frame;
    auto* cool = new TestCoolBar(&frame);
    ASSERT_TRUE(cool->Create(&frame, WS_CHILD | WS_VISIBLE, CBRS_TOP, AFX_IDW_TOOLBAR));
    EXPECT_EQ(cool->GetBarStyle(), uint32_t{CBRS_TOP | CBRS_HIDE_INPLACE});
    frame.setMenuWidget(cool);
    frame.setCentralWidget(new QWidget);
    frame.resize(600, 300);
    ShowExposed(&frame);
    EXPECT_EQ(cool->height(), 0);
    auto* first = new CFlatToolBar;
    first->Create(WS_CHILD | WS_VISIBLE, RECT{}, cool, 1);
    AddButtons(*first);
    first->AutoSize();
    ASSERT_TRUE(cool->InsertBand(first, first->width(), first->height(), 200, 0));
    auto* second = new CFlatToolBar;
    second->Create(WS_CHILD | WS_VISIBLE, RECT{}, cool, 2);
    ASSERT_TRUE(cool->InsertBand(second, 50, 40, 2047, 1));
    QCoreApplication::processEvents();
    ASSERT_EQ(cool->BandCount(), 2);
    EXPECT_EQ(cool->BandChild(1), second);
    // The taller band sets the height once; the window lays out below it.
    EXPECT_EQ(cool->height(), 40);
    EXPECT_EQ(cool->HeightChanges(), 2);
    EXPECT_EQ(frame.centralWidget()->y(), 40);
    EXPECT_EQ(second->x(), 200);
    EXPECT_EQ(second->width(), 400); // the last band takes the rest of the row
    EXPECT_TRUE(first->InRebar());
    // A stretched horizontal bar asks for the whole width, at its own height.
    EXPECT_EQ(cool->CalcFixedLayout(true, true).cx, 32767);
    EXPECT_EQ(cool->CalcFixedLayout(true, true).cy, 40);
    // The band colour behind the buttons, in the toolbar and in the bar.
    EXPECT_EQ(Pixel(*second, 10, 10), kBand);
    EXPECT_EQ(Pixel(*cool, 300, 39), kBand);
}

TEST(CoolBar, NoBandsNoBar) {
    QWidget parent;
    TestCoolBar cool(&parent);
    cool.refuse = true;
    EXPECT_FALSE(cool.Create(&parent, WS_CHILD | WS_VISIBLE, CBRS_TOP, 7));
    EXPECT_FALSE(cool.IsWindow());
}

TEST(FlatToolBar, ButtonsAtTheirMeasuredWidthsWithItsOwnEdgeOutsideACoolBar) {
    QWidget parent;
    parent.resize(400, 100);
    CFlatToolBar bar;
    bar.Create(WS_CHILD | WS_VISIBLE, RECT{}, nullptr, 1);
    bar.setParent(&parent);
    AddButtons(bar);
    bar.AutoSize();
    ShowExposed(&parent);
    EXPECT_FALSE(bar.InRebar());
    const RECT one = bar.GetItemRect(0), two = bar.GetItemRect(1), sep = bar.GetItemRect(2), three = bar.GetItemRect(3);
    EXPECT_EQ(one.left, 2); // inside the edge
    EXPECT_GT(two.Width(), one.Width());
    EXPECT_EQ(two.left, one.right);
    EXPECT_EQ(sep.Width(), 8);
    EXPECT_EQ(three.left, sep.right);
    EXPECT_EQ(bar.width(), three.right + 2);
    // Its edge: light at the top left, shadow at the bottom right; the band inside.
    const QImage picture = bar.grab().toImage();
    EXPECT_EQ(picture.pixel(0, 0) & 0xFFFFFF, qRgb(255, 255, 255) & 0xFFFFFF);
    EXPECT_EQ(picture.pixel(bar.width() - 1, bar.height() - 1) & 0xFFFFFF, qRgb(128, 128, 128) & 0xFFFFFF);
    EXPECT_EQ(picture.pixel(one.left + 1, one.top + 1) & 0xFFFFFF, kBand);
    // Laid out to a narrow length, it wraps at the separator.
    const SIZE narrow = bar.CalcDynamicLayout(two.right + 10, LM_HORZ | LM_COMMIT);
    EXPECT_TRUE(bar.GetButton(2).fsState & TBSTATE_WRAP);
    EXPECT_EQ(bar.GetItemRect(3).left, 2);
    EXPECT_GT(narrow.cy, one.Height() * 2);
}

TEST(FlatToolBar, AClickSendsTheCommandAndTheMouseLightsTheButton) {
    JournalWindow parent;
    parent.Create(WS_VISIBLE, RECT{0, 0, 400, 100}, nullptr, 0);
    CFlatToolBar bar;
    bar.Create(WS_CHILD | WS_VISIBLE, RECT{}, &parent, 1);
    AddButtons(bar);
    bar.AutoSize();
    ShowExposed(&parent);
    const RECT two = bar.GetItemRect(1);
    const QPoint middle((two.left + two.right) / 2, (two.top + two.bottom) / 2);
    QMouseEvent move(QEvent::MouseMove, middle, bar.ClientWidget()->mapToGlobal(middle), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(bar.ClientWidget(), &move);
    EXPECT_EQ(bar.GetHotItem(), 1);
    parent.journal.clear();
    QTest::mouseClick(bar.ClientWidget(), Qt::LeftButton, {}, middle);
    EXPECT_EQ(parent.journal, (std::vector<std::string>{"WM_COMMAND 0x65 0"}));
    // A click on the separator sends nothing.
    parent.journal.clear();
    const RECT sep = bar.GetItemRect(2);
    QTest::mouseClick(bar.ClientWidget(), Qt::LeftButton, {}, QPoint(sep.left + 4, sep.top + 4));
    EXPECT_TRUE(parent.journal.empty());
}
