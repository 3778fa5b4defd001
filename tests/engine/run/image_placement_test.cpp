#include "engine/dump/turned_pixels.h"
#include "engine/pdf/pdf_engine.h"
#include "engine/run/document_extraction.h"
#include "engine/run/document_listing.h"
#include "tests/support/pdf_writer.h"
#include "tests/support/test_support.h"

#include <PDFDoc.h>
#include <SplashOutputDev.h>
#include <splash/SplashBitmap.h>

#include <gtest/gtest.h>

#include <array>
#include <sstream>

using namespace testpdf;
using testing_support::ListFiles;
using testing_support::ReadFile;
using testing_support::RecordingMessages;
using testing_support::RecordingProgress;
using testing_support::TempDir;
using testing_support::WriteFile;

namespace {

// Points per image sample: the page drawn at 9 dpi shows each sample as one
// pixel, with no rounding in the scale (1/8).
const double kSample = 8;
const double kDpi = 72 / kSample;
// The share of the image's size it is drawn short of its box, and how near the
// listed box then lies to the box painted, in points.
const double kHair = 1.0 / 256;
const double kNear = 0.1;

// An image whose every pixel has a colour of its own, so that any turn or
// mirror shows.
const int kWidth = 3, kHeight = 2;
const unsigned char kColours[kWidth * kHeight][3] = {{255, 0, 0},   {0, 255, 0},   {0, 0, 255},
                                                     {255, 255, 0}, {0, 255, 255}, {255, 0, 255}};

std::string ImageSamples() {
    return PackSamples(kWidth, kHeight, 3, 8,
                       [](int x, int y, int c) { return static_cast<unsigned>(kColours[y * kWidth + x][c]); });
}

// RGB pixels, row by row.
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;
    bool operator==(const Pixels& other) const {
        return width == other.width && height == other.height && rgb == other.rgb;
    }
};

std::ostream& operator<<(std::ostream& out, const Pixels& pixels) {
    out << pixels.width << "x" << pixels.height << ":";
    for (unsigned char value : pixels.rgb)
        out << " " << static_cast<int>(value);
    return out;
}

Pixels ReadPpm(const std::string& content) {
    std::istringstream in(content);
    std::string magic;
    int maxValue = 0;
    Pixels pixels;
    in >> magic >> pixels.width >> pixels.height >> maxValue;
    in.get();
    pixels.rgb.resize(static_cast<size_t>(pixels.width) * pixels.height * 3);
    in.read(reinterpret_cast<char*>(pixels.rgb.data()), static_cast<std::streamsize>(pixels.rgb.size()));
    return pixels;
}

// The page as the library draws it, at one pixel per sample.
class RenderedPage {
public:
    RenderedPage(PDFDoc& document, int page) : device_(splashModeRGB8, 4, false, white_) {
        device_.startDoc(&document);
        document.displayPage(&device_, page, kDpi, kDpi, 0, false, true, false);
    }

    // The box of the pixels that are not white, in points: left, top, right, bottom.
    std::array<double, 4> InkBox() {
        SplashBitmap* bitmap = device_.getBitmap();
        int left = bitmap->getWidth(), top = bitmap->getHeight(), right = -1, bottom = -1;
        for (int y = 0; y < bitmap->getHeight(); ++y)
            for (int x = 0; x < bitmap->getWidth(); ++x)
                if (!White(x, y)) {
                    left = std::min(left, x);
                    top = std::min(top, y);
                    right = std::max(right, x + 1);
                    bottom = std::max(bottom, y + 1);
                }
        return {left * kSample, top * kSample, right * kSample, bottom * kSample};
    }

    // The pixels inside a box given in points.
    Pixels Region(const std::array<double, 4>& box) {
        Pixels region;
        const int left = static_cast<int>(std::lround(box[0] / kSample));
        const int top = static_cast<int>(std::lround(box[1] / kSample));
        region.width = static_cast<int>(std::lround(box[2] / kSample)) - left;
        region.height = static_cast<int>(std::lround(box[3] / kSample)) - top;
        for (int y = top; y < top + region.height; ++y)
            for (int x = left; x < left + region.width; ++x) {
                const unsigned char* pixel = Pixel(x, y);
                region.rgb.insert(region.rgb.end(), pixel, pixel + 3);
            }
        return region;
    }

private:
    const unsigned char* Pixel(int x, int y) {
        SplashBitmap* bitmap = device_.getBitmap();
        return bitmap->getDataPtr() + y * bitmap->getRowSize() + 3 * x;
    }
    bool White(int x, int y) {
        const unsigned char* pixel = Pixel(x, y);
        return pixel[0] == 255 && pixel[1] == 255 && pixel[2] == 255;
    }

    SplashColor white_ = {255, 255, 255};
    SplashOutputDev device_;
};

// The matrix in user space that draws the image with its first row along
// `along` (a unit vector) and its height across it on side `side`, in the box
// from (96, 48). The library paints an image whose edge falls on a pixel's
// edge one pixel further, so the image is drawn a hair inside its box.
std::array<double, 6> UserMatrix(std::array<int, 2> along, int side) {
    const double a = kWidth * kSample * along[0], b = kWidth * kSample * along[1];
    const double c = -kHeight * kSample * along[1] * side, d = kHeight * kSample * along[0] * side;
    const double e = 96 - std::min({0.0, a, c, a + c}), f = 48 - std::min({0.0, b, d, b + d});
    const double k = 1 - kHair;
    return {a * k, b * k, c * k, d * k, e + kHair * (a + c) / 2, f + kHair * (b + d) / 2};
}

std::string MatrixText(const std::array<double, 6>& m) {
    std::string text;
    for (double value : m)
        text += std::to_string(value) + " ";
    return text;
}

} // namespace

// Each of the eight quarter-turn and mirror placements, on pages turned by
// /Rotate 0, 90, 180 and 270 with a crop box away from the media box's
// corner: the listed box is the box the library paints, and the file written
// as shown holds the pixels the library paints there, one for one.
TEST(ImagePlacement, BoxesAndFilesShownMatchThePageAsDrawn) {
    TempDir dir;
    PdfWriter pdf;
    const int image = pdf.AddImage({"/Width 3 /Height 2 /ColorSpace /DeviceRGB /BitsPerComponent 8", ImageSamples(), ""});
    std::vector<std::string> cases;
    for (int rotate : {0, 90, 180, 270})
        for (std::array<int, 2> along : {std::array<int, 2>{1, 0}, {0, 1}, {-1, 0}, {0, -1}})
            for (int side : {1, -1}) {
                const std::array<double, 6> m = UserMatrix(along, side);
                PageSpec page;
                page.mediaBox = "[0 0 200 128]";
                page.cropBox = "[8 16 200 128]";
                page.extraResources = "/XObject << /X " + std::to_string(image) + " 0 R >>";
                page.extraEntries = "/Rotate " + std::to_string(rotate);
                page.extraContent = "q " + MatrixText(m) + "cm /X Do Q\n";
                pdf.AddPage(page);
                cases.push_back("/Rotate " + std::to_string(rotate) + ", matrix " + MatrixText(m));
            }
    const std::string path = dir / "placements.pdf";
    WriteFile(path, pdf.Build());

    RecordingMessages messages;
    RecordingProgress progress;
    ExtractRequest request;
    request.path = path;
    std::vector<ImageEntry> entries;
    ASSERT_EQ(ListDocumentImages(request, {}, messages, progress, &entries), ExtractOutcome::Extracted);
    ASSERT_EQ(entries.size(), cases.size());

    ConvertSettings shown;
    shown.imagesFormat = OUTPUT_PPM_PBM;
    shown.orientation = ORIENT_SHOWN;
    shown.outputDirectory = dir / "out";
    OutputPlanner planner;
    const ExtractResult result = ExtractDocument(request, shown, planner.Plan(path, shown), messages, progress);
    ASSERT_EQ(result.imagesWritten, static_cast<int>(cases.size()));
    const std::vector<std::string> files = ListFiles(result.outputDirectory);
    ASSERT_EQ(files.size(), cases.size());

    PreparePdfEngine();
    const std::unique_ptr<PDFDoc> document = OpenPdfDocument(path);
    ASSERT_TRUE(document->isOk());
    int turned = 0;
    for (size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(cases[i]);
        RenderedPage page(*document, static_cast<int>(i) + 1);
        const std::array<double, 4> box = entries[i].placement.Box();
        const std::array<double, 4> ink = page.InkBox();
        for (int k = 0; k < 4; ++k)
            EXPECT_NEAR(box[k], ink[k], kNear);
        EXPECT_EQ(ReadPpm(ReadFile(result.outputDirectory + files[i])), page.Region(ink));
        turned += entries[i].placement.Turn().Upright() ? 0 : 1;
    }
    EXPECT_EQ(turned, 28); // four pages show the image upright
}
