#include "controls/util/percent_progress_ctrl.h"
#include "controls/util/wnd_hook.h"
#include "platform/ui/system_colors.h"

#include <QCoreApplication>
#include <QImage>
#include <QWindow>
#include <cstdlib>
#include <gtest/gtest.h>

namespace {

const COLORREF kBar = RGB(0, 0, 200);
const COLORREF kTrack = RGB(255, 255, 0);

QRgb Rgb(COLORREF c) { return qRgb(GetRValue(c), GetGValue(c), GetBValue(c)); }

// A control drawn offscreen, as the window system would show it.
struct Bar {
    CWnd parent;
    CPercentProgressCtrl control{&parent};

    explicit Bar(int width = 150, int height = 30, bool vertical = false) : control(&parent, vertical) {
        parent.resize(width + 20, height + 20);
        control.setGeometry(0, 0, width, height);
        parent.show();
        // Painting at once needs a window the platform has exposed.
        for (int i = 0; i < 100 && !(parent.windowHandle() && parent.windowHandle()->isExposed()); ++i)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    QImage Picture() { return control.grab().toImage().convertToFormat(QImage::Format_RGB32); }
};

// How many pixels of a column range have exactly the colour.
int Count(const QImage& image, int x0, int x1, COLORREF colour) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = x0; x < x1; ++x)
            count += image.pixel(x, y) == Rgb(colour);
    return count;
}

int Distance(QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b));
}

// How many pixels of a column range are text drawn in ink over the
// background: nearer to the ink than to the background (glyph edges are
// blended by anti-aliasing).
int Ink(const QImage& image, int x0, int x1, COLORREF ink, COLORREF background) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = x0; x < x1; ++x)
            count += Distance(image.pixel(x, y), Rgb(ink)) < Distance(image.pixel(x, y), Rgb(background));
    return count;
}

// Counts the paints a window receives, without touching it.
class PaintCounter : public CWndHook {
public:
    int paints = 0;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_PAINT)
            ++paints;
        return CWndHook::WindowProc(message, wParam, lParam);
    }
};

} // namespace

TEST(PercentProgressCtrl, BarTrackAndTextColours) {
    struct Case {
        int position;
        int barPixels; // columns of the bar
    } cases[] = {{0, 0}, {50, 75}, {100, 150}};
    for (const Case& c : cases) {
        Bar control;
        control.control.SetBarColor(kBar);
        control.control.SetBkColor(kTrack);
        control.control.SetPos(c.position);
        QImage picture = control.Picture();
        // Corners show the plain bar and track colours.
        if (c.barPixels > 0) {
            EXPECT_EQ(picture.pixel(0, 0), Rgb(kBar)) << c.position;
        }
        if (c.barPixels < 150) {
            EXPECT_EQ(picture.pixel(149, 29), Rgb(kTrack)) << c.position;
        }
        // The text takes the other area's colour: track-coloured glyphs over the
        // bar, bar-coloured glyphs over the track, never the reverse.
        const int textOverBar = Ink(picture, 0, c.barPixels, kTrack, kBar);
        const int textOverTrack = Ink(picture, c.barPixels, 150, kBar, kTrack);
        // Every pixel is the bar colour, the track colour or a blend of the two
        // (anti-aliased glyph edges): the text has no colour of its own.
        int foreign = 0;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                foreign += Distance(picture.pixel(x, y), Rgb(kBar)) + Distance(picture.pixel(x, y), Rgb(kTrack)) >
                           Distance(Rgb(kBar), Rgb(kTrack)) + 8;
        EXPECT_EQ(foreign, 0) << c.position;
        if (c.position == 0) {
            EXPECT_GT(textOverTrack, 20);
        } else if (c.position == 100) {
            EXPECT_GT(textOverBar, 20);
        } else { // "50%" straddles the edge of the bar
            EXPECT_GT(textOverBar, 10);
            EXPECT_GT(textOverTrack, 10);
        }
    }
}

TEST(PercentProgressCtrl, PercentageTexts) {
    struct Case {
        int minimum, maximum, position;
        const char* shown;
        const char* other;
    } cases[] = {{0, 100, 0, "0%", "1%"},     {0, 100, 50, "50%", "51%"},   {0, 200, 33, "16%", "17%"},
                 // products that floating point puts just below the whole number
                 {0, 100, 29, "29%", "28%"},   {0, 100, 57, "57%", "56%"},   {0, 100, 58, "58%", "57%"},
                 {0, 200, 58, "29%", "28%"},   {0, 200, 114, "57%", "56%"},  {0, 200, 116, "58%", "57%"}};
    for (const Case& c : cases) {
        // The percentage is drawn exactly as a caption of the expected text would be.
        Bar percent, expected, other;
        for (Bar* bar : {&percent, &expected, &other}) {
            bar->control.SetRange32(c.minimum, c.maximum);
            bar->control.SetPos(c.position);
        }
        expected.control.SetWindowText(c.shown);
        other.control.SetWindowText(c.other);
        EXPECT_EQ(percent.Picture(), expected.Picture()) << c.shown;
        EXPECT_NE(percent.Picture(), other.Picture()) << c.shown;
    }
}

TEST(PercentProgressCtrl, CaptionReplacesThePercentage) {
    Bar percent, captioned;
    percent.control.SetPos(30);
    captioned.control.SetPos(30);
    captioned.control.SetWindowText("Waiting for converting.");
    EXPECT_NE(percent.Picture(), captioned.Picture());
    EXPECT_EQ(captioned.control.GetWindowText(), "Waiting for converting.");
    captioned.control.SendMessage(WM_SETTEXT, 0, 0); // a null text brings the percentage back
    EXPECT_EQ(percent.Picture(), captioned.Picture());
    captioned.control.SetShowText(false);
    EXPECT_EQ(Count(captioned.Picture(), 0, 150, GetSysColor(COLOR_HIGHLIGHT)), 45 * 30);
}

TEST(PercentProgressCtrl, VerticalBarsGrowUpwardsWithoutText) {
    Bar bar(30, 100, true);
    bar.control.SetBarColor(kBar);
    bar.control.SetBkColor(kTrack);
    bar.control.SetPos(25);
    QImage picture = bar.Picture();
    EXPECT_EQ(Count(picture, 0, 30, kBar), 25 * 30);
    EXPECT_EQ(Count(picture, 0, 30, kTrack), 75 * 30);
    EXPECT_EQ(picture.pixel(0, 99), Rgb(kBar));
    EXPECT_EQ(picture.pixel(0, 0), Rgb(kTrack));
}

TEST(PercentProgressCtrl, PositionsBeyondTheRange) {
    Bar bar, expected;
    bar.control.SetBarColor(kBar);
    expected.control.SetBarColor(kBar);
    bar.control.SetPos(150);
    expected.control.SetPos(150);
    expected.control.SetWindowText("150%");
    EXPECT_EQ(bar.Picture(), expected.Picture());
    EXPECT_EQ(bar.Picture().pixel(149, 0), Rgb(kBar));
}

TEST(PercentProgressCtrl, RepaintsOnlyWhenTheBarMovesAWholePixel) {
    Bar bar;
    PaintCounter counter;
    counter.HookWindow(&bar.control);
    bar.control.SetPos(10); // 15 pixels
    int paints = counter.paints;
    EXPECT_EQ(bar.control.SetPos(11), 10); // 16 pixels: repainted at once
    EXPECT_EQ(counter.paints, paints + 1);

    bar.control.SetRange32(0, 1000);
    bar.control.SetPos(100); // 15 pixels
    paints = counter.paints;
    bar.control.SetPos(101); // still 15 pixels: no repaint, though 10% became 10.1%
    EXPECT_EQ(counter.paints, paints);
}

TEST(PercentProgressCtrl, MessageTable) {
    CPercentProgressCtrl control;
    PBRANGE range{};
    control.SendMessage(PBM_SETRANGE, 0, 0x00C80000);
    EXPECT_EQ(control.SendMessage(PBM_GETRANGE, 1, reinterpret_cast<LPARAM>(&range)), 0);
    EXPECT_EQ(range.iHigh, 200);
    EXPECT_EQ(control.SendMessage(PBM_GETRANGE, 0, 0), 200);
    EXPECT_EQ(control.SendMessage(PBM_SETSTEP, 10), 1);
    control.SendMessage(PBM_STEPIT);
    control.SendMessage(PBM_DELTAPOS, 5);
    EXPECT_EQ(control.SendMessage(PBM_GETPOS), 15);
    EXPECT_EQ(control.SetBarColor(RGB(1, 2, 3)), CLR_DEFAULT);
    EXPECT_EQ(control.SetBarColor(CLR_DEFAULT), RGB(1, 2, 3));
    EXPECT_EQ(control.SetTextColor(RGB(4, 5, 6)), CLR_DEFAULT);
    EXPECT_EQ(control.SendMessage(WM_ERASEBKGND), 1);

    control.SetWindowText("Convert Finished");
    char buffer[8];
    EXPECT_EQ(control.SendMessage(WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer)), 7);
    EXPECT_STREQ(buffer, "Convert");
    EXPECT_EQ(control.SendMessage(WM_GETTEXT, 0, reinterpret_cast<LPARAM>(buffer)), 0);
}
