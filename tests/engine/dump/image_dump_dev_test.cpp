#include "engine/dump/image_dump_dev.h"
#include "engine/pdf/pdf_engine.h"
#include "engine/pdf/rgb_row_converter.h"
#include "tests/support/pdf_writer.h"
#include "tests/support/test_support.h"

#include <PDFDoc.h>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>
#include <gtest/gtest.h>

using namespace testpdf;
using testing_support::ListFiles;
using testing_support::ReadFile;
using testing_support::TempDir;
using testing_support::WriteFile;

namespace {

void RenderAll(const std::string& path, OutputDev& device) {
    std::unique_ptr<PDFDoc> document = OpenPdfDocument(path);
    ASSERT_TRUE(document->isOk()) << path;
    for (int page = 1; page <= document->getNumPages(); ++page)
        document->displayPage(&device, page, 72, 72, 0, false, false, false);
}

// What the device counted besides the images it wrote.
struct NotWritten {
    int failed = 0;
    std::string failureReason;
    int damaged = 0;
    int passedOver = 0;
};

// Writes the document, dumps it into dir/out/ and returns the file names.
std::vector<std::string> Dump(const TempDir& dir, const PdfWriter& pdf, bool passJpeg, NotWritten* notWritten = nullptr,
                              int masks = MASKS_NONE) {
    WriteFile(dir / "doc.pdf", pdf.Build());
    testing_support::WriteFile(dir / "keep", "");
    std::string out = dir / "out";
    mkdir(out.c_str(), 0777);
    ImageDumpDev device(out + "/", passJpeg, nullptr, masks);
    RenderAll(dir / "doc.pdf", device);
    if (notWritten)
        *notWritten = {device.ImagesFailed(), device.FailureReason(), device.ImagesDamaged(),
                       device.ImagesPassedOver()};
    return ListFiles(out);
}

unsigned char Gradient(int x, int y, int c) { return static_cast<unsigned char>(x * 9 + y * 5 + c * 70); }

const std::string kSize = "/Width 16 /Height 8 ";

} // namespace

TEST(ImageDumpDev, PassThroughCopiesTheStoredJpegBytes) {
    TempDir dir;
    PdfWriter pdf;
    std::string jpeg = MakeJpeg(16, 8, 3, Gradient);
    pdf.AddPage({{pdf.AddImage({kSize + "/ColorSpace /DeviceRGB /BitsPerComponent 8", jpeg, "/DCTDecode"})}});
    EXPECT_EQ(Dump(dir, pdf, true), std::vector<std::string>{"-000.jpg"});
    EXPECT_EQ(ReadFile(dir / "out/-000.jpg"), jpeg);
}

TEST(ImageDumpDev, DecodesJpegWithoutPassThroughAndForGrayOrCmyk) {
    struct Case {
        int components;
        const char* space;
        bool passJpeg;
    } cases[] = {{3, "/DeviceRGB", false}, {1, "/DeviceGray", true}, {4, "/DeviceCMYK", true}};
    for (const Case& c : cases) {
        TempDir dir;
        PdfWriter pdf;
        pdf.AddPage({{pdf.AddImage({kSize + "/ColorSpace " + c.space + " /BitsPerComponent 8",
                                    MakeJpeg(16, 8, c.components, Gradient), "/DCTDecode"})}});
        ASSERT_EQ(Dump(dir, pdf, c.passJpeg), std::vector<std::string>{"-000.ppm"}) << c.space;
        std::string ppm = ReadFile(dir / "out/-000.ppm");
        const std::string header = "P6\n16 8\n255\n";
        ASSERT_EQ(ppm.size(), header.size() + 16 * 8 * 3) << c.space;
        EXPECT_EQ(ppm.substr(0, header.size()), header);
        if (c.components == 1) {
            for (size_t i = header.size(); i < ppm.size(); i += 3)
                EXPECT_TRUE(ppm[i] == ppm[i + 1] && ppm[i] == ppm[i + 2]) << "pixel " << i;
        }
    }
}

TEST(ImageDumpDev, OneBitImagesAreInvertedAndStencilMasksCopied) {
    TempDir dir;
    PdfWriter pdf;
    const std::string bits = "\x0F\x40\xA5\x80";
    int image = pdf.AddImage({"/Width 10 /Height 2 /ColorSpace /DeviceGray /BitsPerComponent 1", bits, ""});
    int mask = pdf.AddImage({"/Width 10 /Height 2 /ImageMask true", bits, ""});
    pdf.AddPage({{image, mask}});
    EXPECT_EQ(Dump(dir, pdf, true), (std::vector<std::string>{"-000.pbm", "-001.pbm"}));
    EXPECT_EQ(ReadFile(dir / "out/-000.pbm"), std::string("P4\n10 2\n\xF0\xBF\x5A\x7F", 12));
    EXPECT_EQ(ReadFile(dir / "out/-001.pbm"), "P4\n10 2\n" + bits);
}

// One-bit images come out as the page shows them: black in the PBM where the
// page shows the darker colour, whatever the Decode array or colour map; two
// colours a PBM cannot hold go through the colour map to PPM; a stencil's file
// depends only on the pixels it paints.
TEST(ImageDumpDev, OneBitImagesFollowTheirColoursAndStencilsThePixelsTheyPaint) {
    const std::string size = "/Width 8 /Height 1 ";
    const std::string pbm = "P4\n8 1\n";
    const std::string red = std::string("\xFF\x00\x00", 3), blue = std::string("\x00\x00\xFF", 3);
    struct Case {
        std::string dictionary;
        std::string data;
        std::string expected;
    } cases[] = {
        {"/ColorSpace /DeviceGray /BitsPerComponent 1", "\x0F", pbm + "\xF0"},
        {"/ColorSpace /DeviceGray /BitsPerComponent 1 /Decode [1 0]", "\x0F", pbm + "\x0F"},
        {"/ColorSpace /DeviceGray /BitsPerComponent 1 /Decode [0.2 0.7]", "\x0F", pbm + "\xF0"},
        {"/ColorSpace [/Indexed /DeviceRGB 1 <000000FFFFFF>] /BitsPerComponent 1", "\x0F", pbm + "\xF0"},
        {"/ColorSpace [/Indexed /DeviceRGB 1 <FFFFFF000000>] /BitsPerComponent 1", "\x0F", pbm + "\x0F"},
        {"/ColorSpace [/Indexed /DeviceRGB 1 <000000000000>] /BitsPerComponent 1", "\x0F", pbm + "\xFF"},
        {"/ColorSpace [/Separation /Black /DeviceGray << /FunctionType 2 /Domain [0 1] /C0 [1] /C1 [0] /N 1 >>] "
         "/BitsPerComponent 1",
         "\x0F", pbm + "\x0F"},
        {"/ColorSpace [/Indexed /DeviceRGB 1 <FF00000000FF>] /BitsPerComponent 1", "\x0F",
         "P6\n8 1\n255\n" + red + red + red + red + blue + blue + blue + blue},
        {"/ImageMask true", std::string("\x00", 1), pbm + std::string("\x00", 1)},
        {"/ImageMask true /Decode [1 0]", "\xFF", pbm + std::string("\x00", 1)},
        {"/ImageMask true", "\x0F", pbm + "\x0F"},
        {"/ImageMask true /Decode [1 0]", "\xF0", pbm + "\x0F"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        PdfWriter pdf;
        pdf.AddPage({{pdf.AddImage({size + c.dictionary, c.data, ""})}});
        const std::vector<std::string> files = Dump(dir, pdf, true);
        ASSERT_EQ(files.size(), 1u) << c.dictionary;
        EXPECT_EQ(ReadFile(dir / ("out/" + files[0])), c.expected) << c.dictionary;
    }
}

TEST(ImageDumpDev, MasksAndImagesShareOneNumberSequence) {
    TempDir dir;
    PdfWriter pdf;
    int mask = pdf.AddImage({"/Width 8 /Height 1 /ImageMask true", "\x55", ""});
    int jpeg = pdf.AddImage({kSize + "/ColorSpace /DeviceRGB /BitsPerComponent 8", MakeJpeg(16, 8, 3, Gradient), "/DCTDecode"});
    pdf.AddPage({{mask, jpeg}});
    pdf.AddPage({{jpeg, mask}});
    EXPECT_EQ(Dump(dir, pdf, true), (std::vector<std::string>{"-000.pbm", "-001.jpg", "-002.jpg", "-003.pbm"}));
}

TEST(ImageDumpDev, NumbersGrowPastThreeDigits) {
    TempDir dir;
    PdfWriter pdf;
    int mask = pdf.AddImage({"/Width 8 /Height 1 /ImageMask true", "\x55", ""});
    pdf.AddPage({std::vector<int>(1001, mask)});
    std::vector<std::string> files = Dump(dir, pdf, true);
    ASSERT_EQ(files.size(), 1001u);
    EXPECT_EQ(files.front(), "-000.pbm");
    EXPECT_EQ(files.back(), "-999.pbm");
    EXPECT_TRUE(std::find(files.begin(), files.end(), "-1000.pbm") != files.end());
}

TEST(ImageDumpDev, AFileThatCannotBeCreatedKeepsItsNumber) {
    TempDir dir;
    PdfWriter pdf;
    int gray = pdf.AddImage({"/Width 2 /Height 1 /ColorSpace /DeviceGray /BitsPerComponent 8", "ab", ""});
    pdf.AddPage({{gray, gray}});
    std::string out = dir / "out";
    mkdir(out.c_str(), 0777);
    mkdir((out + "/-000.ppm").c_str(), 0777); // a folder where the first file should go
    NotWritten notWritten;
    EXPECT_EQ(Dump(dir, pdf, true, &notWritten), (std::vector<std::string>{"-000.ppm", "-001.ppm"}));
    EXPECT_EQ(notWritten.failed, 1);
    EXPECT_EQ(notWritten.failureReason, "Is a directory");
    EXPECT_EQ(notWritten.damaged, 0);
    EXPECT_EQ(ReadFile(dir / "out/-001.ppm"), "P6\n2 1\n255\naaabbb");
}

TEST(ImageDumpDev, InlineImagesNeverPassThrough) {
    TempDir dir;
    PdfWriter pdf;
    std::string jpeg = MakeJpeg(4, 2, 3, Gradient);
    pdf.AddPage({{}, InlineImage("/W 4 /H 2 /BPC 8 /CS /RGB /F /DCT", jpeg)});
    EXPECT_EQ(Dump(dir, pdf, true), std::vector<std::string>{"-000.ppm"});
}

// A colour-keyed inline image is read twice for its separate mask; the
// content after it (here a second inline image) is still read where it is.
TEST(ImageDumpDev, AColourKeyedInlineImageWithItsMaskLeavesTheContentAfterIt) {
    TempDir dir;
    PdfWriter pdf;
    const std::string keyed = std::string("\x00\xFF\x00\xFF\x00\x00", 6); // green (keyed out), red
    pdf.AddPage({{}, InlineImage("/W 2 /H 1 /BPC 8 /CS /RGB /Mask [0 0 255 255 0 0]", keyed) +
                         InlineImage("/W 1 /H 1 /BPC 8 /CS /G", "\x80")});
    EXPECT_EQ(Dump(dir, pdf, true, nullptr, MASKS_SEPARATE),
              (std::vector<std::string>{"-000.mask.pgm", "-000.ppm", "-001.ppm"}));
    EXPECT_EQ(ReadFile(dir / "out/-000.ppm"), "P6\n2 1\n255\n" + keyed);
    EXPECT_EQ(ReadFile(dir / "out/-000.mask.pgm"), std::string("P5\n2 1\n255\n\x00\xFF", 13));
    EXPECT_EQ(ReadFile(dir / "out/-001.ppm"), "P6\n1 1\n255\n\x80\x80\x80");
}

TEST(ImageDumpDev, UndecodableDataGivesNoFileAndNoFakeJpeg) {
    TempDir dir;
    PdfWriter pdf;
    // Stored data that is not JPEG at all, and an image with no data.
    int bogus = pdf.AddImage({kSize + "/ColorSpace /DeviceRGB /BitsPerComponent 8", "garbage, not a JPEG", "/DCTDecode"});
    int empty = pdf.AddImage({kSize + "/ColorSpace /DeviceRGB /BitsPerComponent 8", "", ""});
    int gray = pdf.AddImage({"/Width 2 /Height 1 /ColorSpace /DeviceGray /BitsPerComponent 8", "ab", ""});
    pdf.AddPage({{bogus, empty, gray}});
    NotWritten notWritten;
    EXPECT_EQ(Dump(dir, pdf, true, &notWritten), std::vector<std::string>{"-002.ppm"});
    EXPECT_EQ(notWritten.damaged, 2);
    EXPECT_EQ(notWritten.failed, 0); // damaged data is no failure to write
}

TEST(ImageDumpDev, TruncatedDataIsPaddedToTheImageSize) {
    TempDir dir;
    PdfWriter pdf;
    pdf.AddPage({{pdf.AddImage({"/Width 2 /Height 2 /ColorSpace /DeviceGray /BitsPerComponent 8", "ab", ""})}});
    Dump(dir, pdf, false);
    EXPECT_EQ(ReadFile(dir / "out/-000.ppm"), "P6\n2 2\n255\naaabbb\xFF\xFF\xFF\xFF\xFF\xFF");
}

TEST(ImageDumpDev, TwelveBitSamplesKeepTheirHighByte) {
    TempDir dir;
    PdfWriter pdf;
    // 12-bit gray 0x234 0x567 0x89A 0xBCD
    pdf.AddPage({{pdf.AddImage({"/Width 4 /Height 1 /ColorSpace /DeviceGray /BitsPerComponent 12",
                                std::string("\x23\x45\x67\x89\xAB\xCD", 6), ""})}});
    Dump(dir, pdf, false);
    EXPECT_EQ(ReadFile(dir / "out/-000.ppm"), "P6\n4 1\n255\n###VVV\x89\x89\x89\xBC\xBC\xBC");
}

TEST(ImageDumpDev, PaddingStopsAtABoundOnceTheDataHasEnded) {
    // Two rows of data under a declared height of two billion: the padding
    // stops after 64 MB and the header is rewritten to the rows kept.
    TempDir dir;
    PdfWriter pdf;
    const int width = 4096; // 4 KB per one-bit row, 12 KB per RGB row
    std::string twoRows(2 * width / 8, '\x0F');
    int mask = pdf.AddFlateImage("/Width 4096 /Height 2147483647 /ImageMask true", twoRows);
    int gray = pdf.AddFlateImage("/Width 4096 /Height 2147483647 /ColorSpace /DeviceGray /BitsPerComponent 8",
                                 std::string(2 * width, 'a'));
    pdf.AddPage({{mask, gray}});
    NotWritten notWritten;
    ASSERT_EQ(Dump(dir, pdf, false, &notWritten), (std::vector<std::string>{"-000.pbm", "-001.ppm"}));
    EXPECT_EQ(notWritten.failed + notWritten.damaged, 0);
    struct Expected {
        const char* name;
        const char* magic;
        long long rowBytes;
    } files[] = {{"-000.pbm", "P4\n", width / 8}, {"-001.ppm", "P6\n", 3 * width}};
    for (const Expected& e : files) {
        const long long paddedRows = 64ll * 1024 * 1024 / e.rowBytes;
        const long long rows = 2 + paddedRows;
        std::string header = std::string(e.magic) + "4096 " + std::to_string(rows);
        header += std::string(std::string("2147483647").size() - std::to_string(rows).size(), ' ') + "\n";
        if (e.magic[1] == '6')
            header += "255\n";
        std::string content = ReadFile(dir / ("out/" + std::string(e.name)));
        EXPECT_EQ(content.substr(0, header.size()), header) << e.name;
        EXPECT_EQ(content.size(), header.size() + rows * e.rowBytes) << e.name;
    }
}

TEST(ImageDumpDev, AColourSpaceWithoutComponentsIsRefusedAndKeepsItsNumber) {
    TempDir dir;
    PdfWriter pdf;
    int pattern = pdf.AddImage({"/Width 2 /Height 1 /ColorSpace /Pattern /BitsPerComponent 8", "ab", ""});
    int gray = pdf.AddImage({"/Width 2 /Height 1 /ColorSpace /DeviceGray /BitsPerComponent 8", "ab", ""});
    pdf.AddPage({{pattern, gray}});
    NotWritten notWritten;
    std::vector<std::string> files = Dump(dir, pdf, true, &notWritten);
    EXPECT_EQ(files, std::vector<std::string>{"-001.ppm"});
    EXPECT_EQ(notWritten.damaged, 1);
    EXPECT_EQ(notWritten.failed, 0);
}

// Forms nested depth deep, each drawing the next and the last the XObject;
// answers the outermost.
int NestedForms(PdfWriter& pdf, int xobject, int depth) {
    const std::string content = "/X Do";
    for (int level = 0; level < depth; ++level)
        xobject = pdf.AddObject("<< /Type /XObject /Subtype /Form /BBox [0 0 1 1] /Resources << /XObject << /X " +
                                std::to_string(xobject) + " 0 R >> >> /Length " + std::to_string(content.size()) +
                                " >>\nstream\n" + content + "\nendstream");
    return xobject;
}

// Images the engine passes over itself, never handing them to the device,
// are counted (as damaged, without a number, so that the others keep
// theirs): one whose parameters it refuses, and one in a form nested deeper
// than it draws. A form as deep as it draws gives its image.
TEST(ImageDumpDev, ImagesTheEnginePassesOverAreCounted) {
    const std::string gray = "/Width 2 /Height 1 /ColorSpace /DeviceGray /BitsPerComponent 8";
    auto Nested = [&](PdfWriter& pdf, int depth) {
        return NestedForms(pdf, pdf.AddImage({gray, "ab", ""}), depth);
    };
    struct Case {
        const char* name;
        std::function<int(PdfWriter&)> add; // the XObject the page draws between two others
        int passedOver;
    };
    const Case cases[] = {
        {"bits per component 0",
         [](PdfWriter& pdf) {
             return pdf.AddImage({"/Width 2 /Height 1 /ColorSpace /DeviceGray /BitsPerComponent 0", "ab", ""});
         },
         1},
        {"indexed on itself",
         [](PdfWriter& pdf) {
             const std::string space = std::to_string(pdf.AddObject("null") + 2);
             const int image = pdf.AddImage({"/Width 2 /Height 1 /ColorSpace " + space + " 0 R /BitsPerComponent 8",
                                             std::string("\0\1", 2), ""});
             pdf.AddObject("[/Indexed " + space + " 0 R 1 <000000ffffff>]");
             return image;
         },
         1},
        {"a form nested 101 deep", [&](PdfWriter& pdf) { return Nested(pdf, 101); }, 1},
        {"a form nested 100 deep", [&](PdfWriter& pdf) { return Nested(pdf, 100); }, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        PdfWriter pdf;
        const int first = pdf.AddImage({gray, "ab", ""});
        const int middle = c.add(pdf);
        pdf.AddPage({{first, middle, first}});
        NotWritten notWritten;
        const std::vector<std::string> files = Dump(dir, pdf, true, &notWritten);
        EXPECT_EQ(files.size(), c.passedOver ? 2u : 3u);
        EXPECT_EQ(notWritten.passedOver, c.passedOver);
        EXPECT_EQ(notWritten.damaged, 0);
        EXPECT_EQ(notWritten.failed, 0);
    }
}

TEST(ImageDumpDev, ImagesInTilingPatternsAreWrittenOncePerFill) {
    TempDir dir;
    PdfWriter pdf;
    int gray = pdf.AddImage({"/Width 2 /Height 1 /ColorSpace /DeviceGray /BitsPerComponent 8", "ab", ""});
    const std::string cell = "q 10 0 0 10 0 0 cm /Im0 Do Q";
    int tile = pdf.AddObject("<< /Type /Pattern /PatternType 1 /PaintType 1 /TilingType 1 /BBox [0 0 10 10] "
                             "/XStep 10 /YStep 10 /Resources << /XObject << /Im0 " + std::to_string(gray) +
                             " 0 R >> >> /Length " + std::to_string(cell.size()) + " >>\nstream\n" + cell +
                             "\nendstream");
    // A pattern that fills with itself (the next object) stops after a few levels.
    const std::string self = "/Pattern cs /P0 scn 0 0 10 10 re f";
    const int selfTile = tile + 1;
    EXPECT_EQ(pdf.AddObject("<< /Type /Pattern /PatternType 1 /PaintType 1 /TilingType 1 /BBox [0 0 10 10] "
                            "/XStep 10 /YStep 10 /Resources << /Pattern << /P0 " + std::to_string(selfTile) +
                            " 0 R >> >> /Length " + std::to_string(self.size()) + " >>\nstream\n" + self +
                            "\nendstream"),
              selfTile);
    PageSpec page;
    page.extraResources = "/Pattern << /P0 " + std::to_string(tile) + " 0 R /P1 " + std::to_string(selfTile) + " 0 R >>";
    // Two fills of 20 x 20 tiles each, then the self-filling pattern.
    page.extraContent = "/Pattern cs /P0 scn 0 0 200 200 re f 0 0 200 200 re f /P1 scn 0 0 50 50 re f\n";
    pdf.AddPage(page);
    EXPECT_EQ(Dump(dir, pdf, true), (std::vector<std::string>{"-000.ppm", "-001.ppm"}));
}

TEST(ImageDumpDev, ALinkAtAnImageNameIsReplacedNotFollowed) {
    TempDir dir;
    PdfWriter pdf;
    pdf.AddPage({{pdf.AddImage({"/Width 2 /Height 1 /ColorSpace /DeviceGray /BitsPerComponent 8", "ab", ""})}});
    WriteFile(dir / "elsewhere", "keep me");
    mkdir((dir / "out").c_str(), 0777);
    ASSERT_EQ(symlink((dir / "elsewhere").c_str(), (dir / "out/-000.ppm").c_str()), 0);
    Dump(dir, pdf, true);
    EXPECT_EQ(ReadFile(dir / "elsewhere"), "keep me");
    EXPECT_EQ(ReadFile(dir / "out/-000.ppm"), "P6\n2 1\n255\naaabbb");
    EXPECT_EQ(ListFiles(dir / "out"), std::vector<std::string>{"-000.ppm"}); // no temporary file left
}

// Records, for every decoded colour image, the PPM that the plain per-pixel
// rule gives, writing nothing (some decoders cannot be read twice, so the
// device under test renders in a pass of its own).
class PerPixelReference : public ImageDumpDev {
public:
    using ImageDumpDev::ImageDumpDev;
    std::vector<std::string> expected;

    void drawImage(GfxState*, Object*, Stream* str, int width, int height, GfxImageColorMap* map, bool,
                   const int*, bool) override {
        if (map->getNumPixelComps() != 1 || map->getBits() != 1) {
            ImageStream rows(str, width, map->getNumPixelComps(), map->getBits());
            rows.reset();
            std::string ppm = "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
            for (int y = 0; y < height; ++y) {
                unsigned char* line = rows.getLine();
                for (int x = 0; x < width; ++x) {
                    unsigned char rgb[3];
                    RgbRowConverter::PixelToRgb(*map, line + x * map->getNumPixelComps(), rgb);
                    ppm.append(reinterpret_cast<char*>(rgb), 3);
                }
            }
            rows.close();
            expected.push_back(ppm);
        }
    }
    void drawImageMask(GfxState*, Object*, Stream*, int, int, bool, bool, bool) override {}
};

void ExpectPerPixelResults(const std::string& pdfPath) {
    TempDir dir;
    PerPixelReference reference(dir.path() + "/", false);
    RenderAll(pdfPath, reference);
    ImageDumpDev device(dir.path() + "/", false);
    RenderAll(pdfPath, device);
    std::vector<std::string> written;
    for (const std::string& name : ListFiles(dir.path()))
        if (name.size() > 4 && name.substr(name.size() - 4) == ".ppm")
            written.push_back(ReadFile(dir / name));
    ASSERT_EQ(written.size(), reference.expected.size()) << pdfPath;
    for (size_t i = 0; i < written.size(); ++i)
        EXPECT_TRUE(written[i] == reference.expected[i]) << pdfPath << " image " << i;
}

TEST(ImageDumpDev, ColourConversionEqualsThePerPixelRule) {
    TempDir dir;
    PdfWriter pdf;
    auto samples = [](int bits, int comps) {
        return PackSamples(16, 8, comps, bits, [bits](int x, int y, int c) { return unsigned(x * 37 + y * 11 + c * 5) % (1u << bits); });
    };
    struct Space {
        const char* entries;
        int bits;
        int components;
    } spaces[] = {
        {"/ColorSpace /DeviceRGB", 8, 3},
        {"/ColorSpace /DeviceRGB /Decode [1 0 0 0.5 0.2 0.9]", 8, 3},
        {"/ColorSpace /DeviceRGB", 16, 3},
        {"/ColorSpace /DeviceRGB", 4, 3},
        {"/ColorSpace /DeviceGray /Decode [1 0]", 4, 1},
        {"/ColorSpace /DeviceCMYK", 8, 4},
        {"/ColorSpace [/CalRGB << /WhitePoint [0.9505 1 1.089] /Gamma [1.8 1.8 1.8] >>]", 8, 3},
        {"/ColorSpace [/Lab << /WhitePoint [0.9505 1 1.089] /Range [-100 100 -100 100] >>]", 8, 3},
        {"/ColorSpace [/Indexed /DeviceRGB 3 <FF000000FF000000FFFFFF00>]", 2, 1},
        {"/ColorSpace [/Separation /Spot /DeviceCMYK << /FunctionType 2 /Domain [0 1] /C0 [0 0 0 0] "
         "/C1 [0.2 0.5 0 0.1] /N 1 >>]", 8, 1},
    };
    std::vector<int> images;
    for (const Space& space : spaces)
        images.push_back(pdf.AddFlateImage(kSize + space.entries + " /BitsPerComponent " + std::to_string(space.bits),
                                           samples(space.bits, space.components)));
    pdf.AddPage({images});
    WriteFile(dir / "spaces.pdf", pdf.Build());
    ExpectPerPixelResults(dir / "spaces.pdf");
}

// Colours converted for one ICC-based image are reused for the next images
// only where they convert alike: not across profiles, depths or decode
// ranges, which all change a pixel's colour; an image drawn again under
// another rendering intent keeps the colours of the per-pixel rule too.
TEST(ImageDumpDev, ColoursOfIccImagesAreReusedOnlyWhereTheyConvertAlike) {
    const std::string folder = "/usr/share/color/icc/ghostscript/";
    const std::string rgb = ReadFile(folder + "default_rgb.icc"), wide = ReadFile(folder + "rommrgb.icc");
    if (rgb.empty() || wide.empty())
        GTEST_SKIP() << "no ICC profiles in " << folder << " (Debian package libgs-common)";
    TempDir dir;
    PdfWriter pdf;
    auto profile = [&](const std::string& data) {
        return std::to_string(pdf.AddObject("<< /N 3 /Length " + std::to_string(data.size()) + " >>\nstream\n" +
                                            data + "\nendstream"));
    };
    const std::string rgbSpace = "/ColorSpace [/ICCBased " + profile(rgb) + " 0 R] ";
    const std::string wideSpace = "/ColorSpace [/ICCBased " + profile(wide) + " 0 R] ";
    // The same samples in every image, so that every image meets the keys of the ones before it.
    auto samples = [](int bits) {
        return PackSamples(16, 8, 3, bits, [bits](int x, int y, int c) { return unsigned(x * 37 + y * 11 + c * 5) % (1u << bits); });
    };
    const std::vector<int> images = {
        pdf.AddFlateImage(kSize + rgbSpace + "/BitsPerComponent 8", samples(8)),
        pdf.AddFlateImage(kSize + rgbSpace + "/BitsPerComponent 8", samples(8)),
        pdf.AddFlateImage(kSize + rgbSpace + "/BitsPerComponent 8 /Decode [1 0 0 1 0.2 0.7]", samples(8)),
        pdf.AddFlateImage(kSize + rgbSpace + "/BitsPerComponent 4", samples(4)),
        pdf.AddFlateImage(kSize + wideSpace + "/BitsPerComponent 8", samples(8)),
    };
    PageSpec page{images};
    // The last image once more under another rendering intent.
    page.extraContent = "/AbsoluteColorimetric ri q 100 0 0 100 0 0 cm /Im4 Do Q\n";
    pdf.AddPage(page);
    WriteFile(dir / "icc.pdf", pdf.Build());
    ExpectPerPixelResults(dir / "icc.pdf");
}

TEST(ImageDumpDev, ColourConversionEqualsThePerPixelRuleOnRealFiles) {
    if (!testing_support::HaveCorpus())
        GTEST_SKIP() << "no corpus of real PDFs at " << testing_support::CorpusDir();
    for (const char* name : {"flate-16bit-rgb.pdf", "indexed-lab.pdf", "devicen-image.pdf",
                             "separation-cmyk-softmask-forms.pdf", "runlength-cmyk-gray-rgb-dct.pdf",
                             "lzw-runlength-dct-icc-imagemagick.pdf", "flate-gray-rgb-indexed-smask-colorkey.pdf",
                             "dct-icc-adobe-app14.pdf", "jpx-icc.pdf", "flate-png-predictors-16bit-4bit.pdf",
                             "pdf20-image-bpc.pdf", "dct-cmyk-adobe.pdf", "flate-indexed-2-4-8bit.pdf",
                             "enc-aes128-owner-only-nocopy.pdf",
                             "damaged-govdocs-xref-not-found.pdf"})
        ExpectPerPixelResults(testing_support::CorpusDir() + "/" + name);
}
