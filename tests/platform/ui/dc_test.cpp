#include "platform/ui/dc.h"

#include <QImage>
#include <functional>
#include <gtest/gtest.h>

namespace {

QRgb Rgb(COLORREF c) { return qRgb(GetRValue(c), GetGValue(c), GetBValue(c)); }

// The columns and rows that hold any pixel other than white.
RECT InkBounds(const QImage& image) {
    RECT bounds{image.width(), image.height(), -1, -1};
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != qRgb(255, 255, 255)) {
                bounds.left = std::min(bounds.left, x);
                bounds.top = std::min(bounds.top, y);
                bounds.right = std::max(bounds.right, x + 1);
                bounds.bottom = std::max(bounds.bottom, y + 1);
            }
    return bounds;
}

QImage Draw(int width, int height, const std::function<void(CDC&)>& draw) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    CDC dc(&painter);
    draw(dc);
    painter.end();
    return image;
}

} // namespace

TEST(DrawingContext, LinesLeaveOutTheirEndPoint) {
    QImage image = Draw(10, 10, [](CDC& dc) {
        dc.SelectPen(PS_SOLID, 1, RGB(255, 0, 0));
        dc.MoveTo(1, 2);
        dc.LineTo(6, 2);
    });
    EXPECT_EQ(InkBounds(image), (RECT{1, 2, 6, 3}));
    EXPECT_EQ(image.pixel(1, 2), Rgb(RGB(255, 0, 0)));
}

TEST(DrawingContext, ThreeDimensionalRectangles) {
    QImage image = Draw(6, 5, [](CDC& dc) { dc.Draw3dRect(RECT{0, 0, 6, 5}, RGB(255, 0, 0), RGB(0, 0, 255)); });
    EXPECT_EQ(image.pixel(0, 0), Rgb(RGB(255, 0, 0)));   // top and left
    EXPECT_EQ(image.pixel(0, 3), Rgb(RGB(255, 0, 0)));
    EXPECT_EQ(image.pixel(5, 0), Rgb(RGB(0, 0, 255)));   // right and bottom
    EXPECT_EQ(image.pixel(3, 4), Rgb(RGB(0, 0, 255)));
    EXPECT_EQ(image.pixel(2, 2), qRgb(255, 255, 255));  // inside untouched
}

TEST(DrawingContext, TextPlacementByFlags) {
    const RECT area{10, 10, 190, 50};
    struct Case {
        UINT flags;
        bool centredHorizontally, centredVertically;
    } cases[] = {{DT_LEFT | DT_SINGLELINE, false, false}, {DT_CENTER | DT_VCENTER | DT_SINGLELINE, true, true}};
    for (const Case& c : cases) {
        QImage image = Draw(200, 60, [&](CDC& dc) {
            dc.SelectFont(MakeFont(14, 700, "DejaVu Sans"));
            dc.SetBkMode(TRANSPARENT);
            RECT r = area;
            dc.DrawText("Abc", r, c.flags);
        });
        RECT ink = InkBounds(image);
        ASSERT_FALSE(ink.IsRectEmpty());
        const int leftGap = ink.left - area.left, rightGap = area.right - ink.right;
        const int topGap = ink.top - area.top, bottomGap = area.bottom - ink.bottom;
        EXPECT_EQ(std::abs(leftGap - rightGap) <= 3, c.centredHorizontally) << leftGap << " " << rightGap;
        EXPECT_EQ(std::abs(topGap - bottomGap) <= 4, c.centredVertically) << topGap << " " << bottomGap;
    }
}

TEST(DrawingContext, EndEllipsisKeepsTextInsideAndOpaqueModeFillsBehindIt) {
    QImage image = Draw(200, 30, [](CDC& dc) {
        dc.SelectFont(MakeFont(14));
        dc.SetBkMode(OPAQUE);
        dc.SetBkColor(RGB(0, 255, 0));
        RECT r{0, 0, 60, 20};
        dc.DrawText("A rather long text that cannot fit", r, DT_LEFT | DT_SINGLELINE | DT_END_ELLIPSIS);
    });
    RECT ink = InkBounds(image);
    EXPECT_LE(ink.right, 60);
    EXPECT_EQ(image.pixel(1, 1), Rgb(RGB(0, 255, 0)));

    QImage measured = Draw(10, 10, [](CDC& dc) {
        RECT r{0, 0, 1000, 0};
        dc.SelectFont(MakeFont(20));
        EXPECT_GT(dc.DrawText("Height", r, DT_CALCRECT | DT_SINGLELINE), 15);
        EXPECT_GT(r.Width(), 20);
    });
    EXPECT_TRUE(InkBounds(measured).IsRectEmpty()); // measuring draws nothing
}

TEST(DrawingContext, OffscreenCopyLandsOnTheClipBox) {
    QImage image(40, 40, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        CMemDC dc(&painter, RECT{10, 10, 30, 30});
        dc.FillSolidRect(RECT{0, 0, 40, 40}, RGB(0, 0, 0)); // only the clip box reaches the target
    }
    EXPECT_EQ(InkBounds(image), (RECT{10, 10, 30, 30}));
}
