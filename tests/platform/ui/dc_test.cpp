#include "platform/ui/dc.h"
#include "platform/ui/system_colors.h"

#include <QFontInfo>
#include <QFontMetrics>

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

TEST(DrawingContext, EachEdgeBorderIsOneLine) {
    struct Case {
        UINT edge;
        int rings;
        COLORREF outerTopLeft, outerBottomRight;
    } cases[] = {
        {BDR_SUNKENINNER, 1, ClassicSysColor(COLOR_3DDKSHADOW), ClassicSysColor(COLOR_3DLIGHT)},
        {BDR_RAISEDINNER, 1, ClassicSysColor(COLOR_BTNHIGHLIGHT), ClassicSysColor(COLOR_BTNSHADOW)},
        {BDR_SUNKENOUTER, 1, ClassicSysColor(COLOR_BTNSHADOW), ClassicSysColor(COLOR_BTNHIGHLIGHT)},
        {EDGE_SUNKEN, 2, ClassicSysColor(COLOR_BTNSHADOW), ClassicSysColor(COLOR_BTNHIGHLIGHT)},
        {EDGE_RAISED, 2, ClassicSysColor(COLOR_3DLIGHT), ClassicSysColor(COLOR_3DDKSHADOW)},
    };
    for (const Case& c : cases) {
        const COLORREF ground = RGB(10, 200, 30); // none of the 3-D colours
        QImage image = Draw(10, 10, [&](CDC& dc) {
            dc.FillSolidRect(RECT{0, 0, 10, 10}, ground);
            dc.DrawEdge(RECT{0, 0, 10, 10}, c.edge);
        });
        EXPECT_EQ(image.pixel(0, 5), Rgb(c.outerTopLeft)) << c.edge;
        EXPECT_EQ(image.pixel(9, 5), Rgb(c.outerBottomRight)) << c.edge;
        EXPECT_EQ(image.pixel(1, 5) == Rgb(ground), c.rings == 1) << c.edge;
        EXPECT_EQ(image.pixel(2, 5), Rgb(ground)) << c.edge;
    }
    // Only the sides asked for.
    QImage sides = Draw(10, 10, [](CDC& dc) { dc.DrawEdge(RECT{0, 0, 10, 10}, BDR_SUNKENINNER, BF_TOP | BF_BOTTOM); });
    EXPECT_EQ(sides.pixel(5, 0), Rgb(ClassicSysColor(COLOR_3DDKSHADOW)));
    EXPECT_EQ(sides.pixel(5, 9), Rgb(ClassicSysColor(COLOR_3DLIGHT)));
    EXPECT_EQ(sides.pixel(0, 5), qRgb(255, 255, 255));
}

TEST(DrawingContext, FontHeightsFollowTheSignConvention) {
    for (int height : {10, 14, 16, 20}) {
        const QFontMetrics cell(MakeFont(height, 700, "DejaVu Sans"));
        EXPECT_LE(cell.height(), height) << height; // a positive height is the cell
        const QFontMetrics larger(MakeFont(-(QFontInfo(MakeFont(height, 700, "DejaVu Sans")).pixelSize() + 1), 700,
                                           "DejaVu Sans"));
        EXPECT_GT(larger.height(), height) << height; // and the largest font whose cell fits
        EXPECT_EQ(MakeFont(-height).pixelSize(), height); // a negative one the character height
    }
    LOGFONT logFont;
    logFont.lfHeight = -12;
    logFont.lfWeight = 700;
    logFont.lfUnderline = 1;
    const CFont font(logFont);
    EXPECT_EQ(font.Font().pixelSize(), 12);
    EXPECT_TRUE(font.Font().bold());
    EXPECT_TRUE(font.Font().underline());
    EXPECT_EQ(font.GetLogFont().lfHeight, -12);
}

TEST(DrawingContext, InversionsAndPatterns) {
    QImage image = Draw(16, 8, [](CDC& dc) {
        dc.FillSolidRect(RECT{0, 0, 4, 8}, RGB(0, 0, 0));
        dc.InvertRect(RECT{0, 0, 8, 8});
        const unsigned char checkerboard[8] = {0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55};
        dc.PatInvert(RECT{8, 0, 16, 8}, checkerboard);
    });
    EXPECT_EQ(image.pixel(1, 1), qRgb(255, 255, 255)); // black became white
    EXPECT_EQ(image.pixel(5, 1), qRgb(0, 0, 0));       // white became black
    EXPECT_EQ(image.pixel(8, 0), qRgb(0, 0, 0));       // set bits inverted...
    EXPECT_EQ(image.pixel(9, 0), qRgb(255, 255, 255)); // ...clear bits kept
    EXPECT_EQ(image.pixel(9, 1), qRgb(0, 0, 0));       // the next row shifted
}

TEST(DrawingContext, FrameControlsComeFromTheStyle) {
    auto box = [](UINT state) {
        return Draw(20, 20, [&](CDC& dc) { dc.DrawFrameControl(RECT{2, 2, 18, 18}, DFC_BUTTON, DFCS_BUTTONCHECK | state); });
    };
    const QImage unchecked = box(0), checked = box(DFCS_CHECKED);
    EXPECT_NE(unchecked, checked);
    EXPECT_FALSE(InkBounds(checked).IsRectEmpty());
    RECT ink = InkBounds(checked);
    EXPECT_GE(ink.left, 2);
    EXPECT_LE(ink.right, 18);
    auto arrow = [](UINT state) {
        return Draw(16, 16, [&](CDC& dc) { dc.DrawFrameControl(RECT{0, 0, 16, 16}, DFC_SCROLL, state); });
    };
    EXPECT_NE(arrow(DFCS_SCROLLUP), arrow(DFCS_SCROLLDOWN));
    EXPECT_NE(arrow(DFCS_SCROLLUP), arrow(DFCS_SCROLLUP | DFCS_PUSHED));
    EXPECT_NE(arrow(DFCS_SCROLLUP), arrow(DFCS_SCROLLUP | DFCS_INACTIVE));
}

TEST(DrawingContext, SavedStatesAndTextExtents) {
    Draw(100, 40, [](CDC& dc) {
        dc.SelectFont(MakeFont(-14, 400, "DejaVu Sans"));
        RECT measured{0, 0, 1000, 0};
        dc.DrawText("Measured", measured, DT_CALCRECT | DT_SINGLELINE);
        const SIZE extent = dc.GetTextExtent("Measured");
        EXPECT_EQ(extent.cx, measured.Width());
        EXPECT_EQ(extent.cy, measured.Height());

        dc.SetTextColor(RGB(1, 2, 3));
        const int saved = dc.SaveDC();
        dc.SetTextColor(RGB(4, 5, 6));
        dc.SelectFont(MakeFont(-30));
        dc.SaveDC();
        EXPECT_TRUE(dc.RestoreDC(saved)); // back over both saves
        EXPECT_EQ(dc.SetTextColor(0), RGB(1, 2, 3));
        EXPECT_EQ(dc.GetTextExtent("Measured").cx, extent.cx);
        EXPECT_FALSE(dc.RestoreDC(-1)); // nothing saved any more
    });
}

TEST(DrawingContext, OffscreenDrawingIsAsSharpAsTheTarget) {
    // At scale 2, text drawn through the off-screen copy matches text drawn directly.
    auto render = [](bool offscreen) {
        QImage image(200, 60, QImage::Format_RGB32);
        image.setDevicePixelRatio(2);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setFont(MakeFont(-14, 400, "DejaVu Sans"));
        auto draw = [](CDC& dc) {
            dc.SetBkMode(TRANSPARENT);
            RECT r{0, 0, 100, 30};
            dc.DrawText("Sharp text", r, DT_LEFT | DT_SINGLELINE);
        };
        if (offscreen) {
            CMemDC dc(&painter, RECT{0, 0, 100, 30});
            dc.FillSolidRect(RECT{0, 0, 100, 30}, RGB(255, 255, 255));
            draw(dc);
        } else {
            CDC dc(&painter);
            draw(dc);
        }
        painter.end();
        return image;
    };
    EXPECT_EQ(render(true), render(false));
}
