#include "platform/ui/system_metrics.h"

#include <QApplication>
#include <QFont>
#include <QStyle>
#include <QStyleHints>
#include <cstring>
#include <gtest/gtest.h>

TEST(SystemMetrics, PinnedTableAnswersEveryQuery) {
    SystemSettings settings = ClassicSystemSettings();
    settings.wheelScrollLines = -1;
    settings.scrollBarWidth = 17;
    PinSystemSettings(settings);
    EXPECT_EQ(GetSystemMetrics(SM_CXVSCROLL), 17);
    EXPECT_EQ(GetSystemMetrics(SM_CXHSCROLL), 17);
    EXPECT_EQ(GetSystemMetrics(SM_CYHSCROLL), 16);
    EXPECT_EQ(GetSystemMetrics(SM_CXBORDER), 1);
    EXPECT_EQ(GetSystemMetrics(SM_CXEDGE), 2);
    int lines = 0, delay = -1, speed = -1;
    ASSERT_TRUE(SystemParametersInfo(SPI_GETWHEELSCROLLLINES, 0, &lines));
    EXPECT_EQ(lines, -1); // a page a notch
    SystemParametersInfo(SPI_GETKEYBOARDDELAY, 0, &delay);
    SystemParametersInfo(SPI_GETKEYBOARDSPEED, 0, &speed);
    EXPECT_EQ((delay + 1) * 250, 500);
    EXPECT_EQ(400 - 12 * speed, 28);
    NONCLIENTMETRICS metrics;
    ASSERT_TRUE(SystemParametersInfo(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics));
    EXPECT_EQ(metrics.lfMessageFont.lfHeight, -14);
    EXPECT_STREQ(metrics.lfMenuFont.lfFaceName, "DejaVu Sans");
    EXPECT_EQ(GetDoubleClickTime(), 500u);
    EXPECT_FALSE(SystemParametersInfo(0x1234, 0, &lines));
    PinSystemSettings(ClassicSystemSettings());
}

TEST(SystemMetrics, TheDesktopsAnswersComeFromQt) {
    UnpinSystemSettings();
    int lines = 0;
    SystemParametersInfo(SPI_GETWHEELSCROLLLINES, 0, &lines);
    EXPECT_EQ(lines, QGuiApplication::styleHints()->wheelScrollLines());
    EXPECT_EQ(GetSystemMetrics(SM_CXVSCROLL), QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent));
    EXPECT_EQ(GetDoubleClickTime(), static_cast<UINT>(QGuiApplication::styleHints()->mouseDoubleClickInterval()));
    NONCLIENTMETRICS metrics;
    SystemParametersInfo(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics);
    EXPECT_EQ(metrics.lfMessageFont.lfHeight, -QApplication::font().pixelSize());
    PinSystemSettings(ClassicSystemSettings());
}
