#include "engine/catalogue/recording_dump_dev.h"
#include "engine/dump/turned_pixels.h"
#include "engine/pdf/page_display.h"
#include "engine/pdf/pdf_engine.h"
#include "engine/run/document_extraction.h"
#include "engine/run/document_listing.h"
#include "tests/support/pdf_writer.h"
#include "tests/support/test_support.h"

#include <PDFDoc.h>
#include <SplashOutputDev.h>
#include <splash/SplashBitmap.h>

#include <gtest/gtest.h>
#include <jpeglib.h>

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

namespace {

// Decodes JPEG data to RGB pixels.
Pixels DecodeJpeg(const std::string& data) {
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr errors;
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(data.data()), data.size());
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_RGB;
    // Chroma repeated, not blended with its neighbours' (which rounds unlike
    // in a turned image).
    cinfo.do_fancy_upsampling = FALSE;
    jpeg_start_decompress(&cinfo);
    Pixels pixels;
    pixels.width = static_cast<int>(cinfo.output_width);
    pixels.height = static_cast<int>(cinfo.output_height);
    pixels.rgb.resize(static_cast<size_t>(pixels.width) * pixels.height * 3);
    while (cinfo.output_scanline < cinfo.output_height) {
        unsigned char* row = pixels.rgb.data() + static_cast<size_t>(cinfo.output_scanline) * pixels.width * 3;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return pixels;
}

Pixels Turned(const Pixels& stored, int bytesPerPixel, ImageTurn turn) {
    Pixels shown;
    shown.width = turn.ShownWidth(stored.width, stored.height);
    shown.height = turn.ShownHeight(stored.width, stored.height);
    shown.rgb = TurnedRows(stored.rgb.data(), stored.width, stored.height, 8 * bytesPerPixel, turn);
    return shown;
}

// The image's first row runs up the page: the file is turned a quarter turn
// to the left.
const char kUpThePage[] = "q 0 64 -32 0 100 100 cm /X Do Q\n";
const ImageTurn kQuarterLeft{true, true, false};

// Dumps every page of the document into root-NNN files as shown, recording
// each image's entry.
std::vector<ImageEntry> DumpShown(const std::string& path, const std::string& root, bool passJpeg, int masks) {
    std::vector<ImageEntry> entries;
    RecordingDumpDev device(root, passJpeg, nullptr, masks, entries);
    device.WriteAsShown(true);
    PreparePdfEngine();
    const std::unique_ptr<PDFDoc> document = OpenPdfDocument(path);
    for (int page = 1; page <= document->getNumPages(); ++page)
        DisplayPage(*document, device, page);
    return entries;
}

std::string OnePage(const std::string& imageDictionary, const std::string& data, const std::string& filter,
                    const std::string& content) {
    PdfWriter pdf;
    PageSpec page;
    page.extraResources = "/XObject << /X " + std::to_string(pdf.AddImage({imageDictionary, data, filter})) + " 0 R >>";
    page.extraContent = content;
    pdf.AddPage(page);
    return pdf.Build();
}

} // namespace

// A stored JPEG of whole blocks is turned without decoding: its file decodes
// to the original's pixels turned, for a quarter turn and a half turn. One
// whose size is not whole blocks is decoded to be turned, and its entry says
// so. The image is a colour to each block of 16 x 16 pixels, so that its
// samples decode alike in whatever order the decoder takes their rows and
// columns.
TEST(ImagePlacement, StoredJpegDataIsTurnedWithoutLossOrDecodedWithANote) {
    const auto pixel = [](int x, int y, int c) {
        return static_cast<unsigned char>((x / 16) * 70 + (y / 16) * 110 + c * 40);
    };
    struct Case {
        int width, height;
        const char* content;
        ImageTurn turn;
        const char* file;
        bool noted;
    } cases[] = {
        {48, 32, kUpThePage, kQuarterLeft, "-000.jpg", false},
        {48, 32, "q -64 0 0 -32 100 100 cm /X Do Q\n", {false, true, true}, "-000.jpg", false},
        {20, 12, kUpThePage, kQuarterLeft, "-000.ppm", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height) + " " + c.content);
        TempDir dir;
        const std::string jpeg = MakeJpeg(c.width, c.height, 3, pixel);
        const std::string size = "/Width " + std::to_string(c.width) + " /Height " + std::to_string(c.height);
        WriteFile(dir / "doc.pdf", OnePage(size + " /ColorSpace /DeviceRGB /BitsPerComponent 8", jpeg, "/DCTDecode",
                                          c.content));
        const std::vector<ImageEntry> entries = DumpShown(dir / "doc.pdf", dir / "", true, MASKS_NONE);
        ASSERT_EQ(entries.size(), 1u);
        const Pixels turned = Turned(DecodeJpeg(jpeg), 3, c.turn);
        EXPECT_EQ(ListFiles(dir.path()), (std::vector<std::string>{c.file, "doc.pdf"}));
        const std::string written = ReadFile(dir / c.file);
        if (c.noted) {
            EXPECT_NE(entries[0].turnNote, "");
            EXPECT_EQ(ReadPpm(written).width, turned.width);
            EXPECT_EQ(ReadPpm(written).height, turned.height);
        } else {
            EXPECT_EQ(entries[0].turnNote, "");
            EXPECT_EQ(DecodeJpeg(written), turned);
        }
    }
}

// An image's mask turns with it: as the PAM file's alpha channel, and as the
// mask file beside it.
TEST(ImagePlacement, MasksTurnWithTheirImage) {
    TempDir dir;
    PdfWriter pdf;
    const std::string opacity = {10, 20, 30, 40, 50, 60};
    const int mask = pdf.AddImage({"/Width 3 /Height 2 /ColorSpace /DeviceGray /BitsPerComponent 8", opacity, ""});
    PageSpec page;
    page.extraResources = "/XObject << /X " +
                          std::to_string(pdf.AddImage({"/Width 3 /Height 2 /ColorSpace /DeviceRGB /BitsPerComponent 8 "
                                                       "/SMask " + std::to_string(mask) + " 0 R",
                                                       ImageSamples(), ""})) +
                          " 0 R >>";
    page.extraContent = kUpThePage;
    pdf.AddPage(page);
    WriteFile(dir / "doc.pdf", pdf.Build());
    const std::string samples = ImageSamples();
    Pixels image{kWidth, kHeight, std::vector<unsigned char>(samples.begin(), samples.end())};
    Pixels alpha{kWidth, kHeight, std::vector<unsigned char>(opacity.begin(), opacity.end())};
    const Pixels shownImage = Turned(image, 3, kQuarterLeft), shownAlpha = Turned(alpha, 1, kQuarterLeft);

    DumpShown(dir / "doc.pdf", dir / "alpha", false, MASKS_ALPHA);
    std::string rgba;
    for (size_t i = 0; i < shownAlpha.rgb.size(); ++i)
        rgba += std::string(shownImage.rgb.begin() + 3 * i, shownImage.rgb.begin() + 3 * i + 3) +
                static_cast<char>(shownAlpha.rgb[i]);
    EXPECT_EQ(ReadFile(dir / "alpha-000.pam"),
              "P7\nWIDTH 2\nHEIGHT 3\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n" + rgba);

    DumpShown(dir / "doc.pdf", dir / "separate", false, MASKS_SEPARATE);
    EXPECT_EQ(ReadPpm(ReadFile(dir / "separate-000.ppm")), shownImage);
    EXPECT_EQ(ReadFile(dir / "separate-000.mask.pgm"),
              "P5\n2 3\n255\n" + std::string(shownAlpha.rgb.begin(), shownAlpha.rgb.end()));
}

// One-bit rows, padded to whole bytes, turn as rows of a byte per pixel do,
// in each of the eight placements.
TEST(ImagePlacement, OneBitRowsTurnAsBytesDo) {
    const int width = 11, height = 3; // rows of two bytes, the second partly padding
    std::vector<unsigned char> bytes, bits(static_cast<size_t>(RowBytes(width, 1) * height), 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const bool set = (x * 7 + y * 3) % 5 < 2;
            bytes.push_back(set ? 1 : 0);
            if (set)
                bits[static_cast<size_t>(y * RowBytes(width, 1) + x / 8)] |= static_cast<unsigned char>(0x80 >> (x % 8));
        }
    for (int k = 0; k < 8; ++k) {
        const ImageTurn turn{(k & 4) != 0, (k & 2) != 0, (k & 1) != 0};
        SCOPED_TRACE(k);
        const std::vector<unsigned char> shownBytes = TurnedRows(bytes.data(), width, height, 8, turn);
        const std::vector<unsigned char> shownBits = TurnedRows(bits.data(), width, height, 1, turn);
        const int shownWidth = turn.ShownWidth(width, height);
        ASSERT_EQ(static_cast<std::int64_t>(shownBits.size()), RowBytes(shownWidth, 1) * turn.ShownHeight(width, height));
        for (size_t i = 0; i < shownBytes.size(); ++i) {
            const size_t x = i % static_cast<size_t>(shownWidth), y = i / static_cast<size_t>(shownWidth);
            const unsigned char bit = shownBits[y * static_cast<size_t>(RowBytes(shownWidth, 1)) + x / 8];
            EXPECT_EQ((bit >> (7 - x % 8)) & 1, shownBytes[i]) << x << "," << y;
        }
    }
}
