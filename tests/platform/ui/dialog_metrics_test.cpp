#include "platform/ui/dialog_metrics.h"
#include "platform/ui/system_metrics.h"

#include <QApplication>
#include <QFontMetrics>
#include <gtest/gtest.h>

// A layout's pixels come out unchanged at the reference font (and a smaller
// one), and grow in proportion with a larger one: horizontally with the
// average character, vertically with the line.
TEST(DialogMetrics, SizesGrowWithTheFont) {
    struct Case {
        int charWidth, lineHeight, pixels, x, y;
    } cases[] = {
        {6, 13, 145, 145, 145}, // the reference: as laid out
        {5, 11, 145, 145, 145}, // smaller: never shrinks
        {6, 14, 12, 12, 13},    // a 9-point font at 96 dpi: taller only
        {9, 21, 12, 18, 19},    // the same at 144 dpi
        {9, 21, 40, 60, 65},
        {12, 26, 18, 36, 36},   // twice the reference
    };
    for (const Case& c : cases) {
        const DialogMetrics metrics(c.charWidth, c.lineHeight);
        EXPECT_EQ(metrics.X(c.pixels), c.x) << c.charWidth << "x" << c.lineHeight << " " << c.pixels;
        EXPECT_EQ(metrics.Y(c.pixels), c.y) << c.charWidth << "x" << c.lineHeight << " " << c.pixels;
    }
}

// A box that must hold a text keeps the layout's size at the reference font
// (the drawn layout stands) and, with a larger font, grows to the text where
// the proportion is not enough.
TEST(DialogMetrics, ABoxHoldsItsTextOnceTheFontGrows) {
    const DialogMetrics reference, nine(6, 14), large(9, 21);
    EXPECT_FALSE(reference.Grown());
    EXPECT_EQ(reference.Height(12, 13), 12);
    EXPECT_EQ(reference.Width(40, 45), 40);
    EXPECT_TRUE(nine.Grown());
    EXPECT_EQ(nine.Height(12, 14), 14) << "13 by proportion, but the line is 14";
    EXPECT_EQ(nine.Width(40, 45), 45);
    EXPECT_EQ(large.Height(12, 14), 19) << "the proportion is enough";
}

// The pinned dialog font is the reference; the desktop's is the application font.
TEST(DialogMetrics, ThePinnedDialogFontIsTheReference) {
    const DialogMetrics metrics = DialogMetrics::OfDialogFont();
    EXPECT_EQ(metrics.CharWidth(), DialogMetrics::kReferenceCharWidth);
    EXPECT_EQ(metrics.LineHeight(), DialogMetrics::kReferenceLineHeight);
    EXPECT_FALSE(metrics.Grown());
    UnpinSystemSettings();
    EXPECT_EQ(DialogMetrics::OfDialogFont().LineHeight(), QFontMetrics(QApplication::font()).height());
    PinSystemSettings(ClassicSystemSettings());
}
