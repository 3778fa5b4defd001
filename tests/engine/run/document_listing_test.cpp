#include "engine/run/document_listing.h"
#include "engine/run/document_run.h"
#include "tests/support/pdf_writer.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <array>

using namespace testpdf;
using testing_support::CorpusFiles;
using testing_support::HaveCorpus;
using testing_support::ListFiles;
using testing_support::RecordingMessages;
using testing_support::RecordingProgress;
using testing_support::TempDir;
using testing_support::WriteFile;

namespace {

std::vector<ImageEntry> List(const std::string& path, ExtractOutcome* outcome = nullptr,
                             RecordingMessages* messages = nullptr, ConvertSettings settings = {}) {
    RecordingMessages ownMessages;
    RecordingProgress progress;
    std::vector<ImageEntry> entries;
    ExtractRequest request;
    request.path = path;
    const ExtractOutcome got =
        ListDocumentImages(request, settings, messages ? *messages : ownMessages, progress, &entries);
    if (outcome)
        *outcome = got;
    return entries;
}

unsigned Samples(int x, int y, int c) { return static_cast<unsigned>(x * 7 + y * 3 + c * 50); }

std::string Hex(const std::string& bytes) {
    static const char* digits = "0123456789ABCDEF";
    std::string text;
    for (unsigned char c : bytes)
        text += std::string{digits[c >> 4], digits[c & 15]};
    return text + ">";
}

} // namespace

// Every fact of the list, on images whose facts are known: the size, bits,
// colour space, filters in decoding order, object numbers, inline images,
// placements giving the resolution, stored sizes, and masks after their image.
TEST(DocumentListing, DescribesEachImageAsTheDumpMeetsIt) {
    TempDir dir;
    PdfWriter pdf;
    const std::string rgb = PackSamples(16, 8, 3, 8, Samples);
    const int flate = pdf.AddFlateImage("/Width 16 /Height 8 /ColorSpace /DeviceRGB /BitsPerComponent 8 /Interpolate true", rgb);
    const std::string jpeg = MakeJpeg(16, 8, 1, [](int x, int, int) { return static_cast<unsigned char>(x * 15); });
    const int dct = pdf.AddImage({"/Width 16 /Height 8 /ColorSpace /DeviceGray /BitsPerComponent 8", jpeg, "/DCTDecode"});
    const int stencil = pdf.AddImage({"/Width 10 /Height 2 /ImageMask true", std::string(4, '\x0F'), ""});
    const int chained = pdf.AddImage({"/Width 16 /Height 8 /ColorSpace /DeviceRGB /BitsPerComponent 8",
                                      Hex(Deflate(rgb)), "[/ASCIIHexDecode /FlateDecode]"});
    const int softMask = pdf.AddFlateImage("/Width 8 /Height 4 /ColorSpace /DeviceGray /BitsPerComponent 8",
                                           PackSamples(8, 4, 1, 8, Samples));
    const int masked = pdf.AddFlateImage("/Width 16 /Height 8 /ColorSpace /DeviceRGB /BitsPerComponent 8 /SMask " +
                                             std::to_string(softMask) + " 0 R",
                                         rgb);
    PageSpec first{{flate, dct, stencil, chained, masked}};
    // The first image again, 32 x 16 points: 36 pixels per inch both ways.
    first.extraContent = "q 32 0 0 16 200 200 cm /Im0 Do Q\n" +
                         InlineImage("/W 4 /H 2 /CS /G /BPC 8", std::string(8, '\x80'));
    pdf.AddPage(first);
    pdf.AddPage({{flate}});
    WriteFile(dir / "doc.pdf", pdf.Build());

    ExtractOutcome outcome = ExtractOutcome::Skipped;
    const std::vector<ImageEntry> entries = List(dir / "doc.pdf", &outcome);
    ASSERT_EQ(outcome, ExtractOutcome::Extracted);
    struct Expected {
        int page, number;
        const char* type;
        int width, height;
        const char* colour;
        int components, bits;
        const char* encoding;
        bool interpolate, inlineImage;
        int object;
        double placedWidth, placedHeight, ppiX, ppiY;
        long long stored;
        const char* noFile;
    };
    const long long hexLength = static_cast<long long>(Hex(Deflate(rgb)).size());
    const std::vector<Expected> expected = {
        {1, 0, "image", 16, 8, "DeviceRGB", 3, 8, "flate", true, false, flate, 100, 100, 11.52, 5.76,
         static_cast<long long>(Deflate(rgb).size()), ""},
        {1, 1, "image", 16, 8, "DeviceGray", 1, 8, "jpeg", false, false, dct, 100, 100, 11.52, 5.76,
         static_cast<long long>(jpeg.size()), ""},
        {1, 2, "stencil", 10, 2, "", 1, 1, "raw", false, false, stencil, 100, 100, 7.2, 1.44, 4, ""},
        {1, 3, "image", 16, 8, "DeviceRGB", 3, 8, "asciihex+flate", false, false, chained, 100, 100, 11.52, 5.76,
         hexLength, ""},
        {1, 4, "image", 16, 8, "DeviceRGB", 3, 8, "flate", false, false, masked, 100, 100, 11.52, 5.76,
         static_cast<long long>(Deflate(rgb).size()), ""},
        {1, 4, "smask", 8, 4, "", 1, 8, "flate", false, false, softMask, 100, 100, 5.76, 2.88,
         static_cast<long long>(Deflate(PackSamples(8, 4, 1, 8, Samples)).size()), kMaskNotWritten},
        {1, 5, "image", 16, 8, "DeviceRGB", 3, 8, "flate", true, false, flate, 32, 16, 36, 36,
         static_cast<long long>(Deflate(rgb).size()), ""},
        {1, 6, "image", 4, 2, "DeviceGray", 1, 8, "raw", false, true, 0, 10, 10, 28.8, 14.4, -1, ""},
        {2, 7, "image", 16, 8, "DeviceRGB", 3, 8, "flate", true, false, flate, 100, 100, 11.52, 5.76,
         static_cast<long long>(Deflate(rgb).size()), ""},
    };
    ASSERT_EQ(entries.size(), expected.size());
    // The image drawn twice on page 1 has a place for each drawing; a mask
    // has its image's.
    EXPECT_EQ(entries[0].placement.Box(), (std::array<double, 4>{0, 692, 100, 792}));
    EXPECT_EQ(entries[6].placement.Box(), (std::array<double, 4>{200, 576, 232, 592}));
    EXPECT_EQ(entries[6].placement.matrix, (std::array<double, 6>{32, 0, 0, -16, 200, 592}));
    EXPECT_EQ(entries[5].placement.matrix, entries[4].placement.matrix);
    for (size_t i = 0; i < expected.size(); ++i) {
        const ImageEntry& got = entries[i];
        const Expected& want = expected[i];
        SCOPED_TRACE("entry " + std::to_string(i));
        EXPECT_EQ(got.page, want.page);
        EXPECT_EQ(got.number, want.number);
        EXPECT_EQ(got.type, want.type);
        EXPECT_EQ(got.width, want.width);
        EXPECT_EQ(got.height, want.height);
        EXPECT_EQ(got.colourSpace, want.colour);
        EXPECT_EQ(got.components, want.components);
        EXPECT_EQ(got.bitsPerComponent, want.bits);
        EXPECT_EQ(got.encoding, want.encoding);
        EXPECT_EQ(got.interpolate, want.interpolate);
        EXPECT_EQ(got.inlineImage, want.inlineImage);
        EXPECT_EQ(got.object, want.object);
        EXPECT_NEAR(got.placedWidth, want.placedWidth, 1e-6);
        EXPECT_NEAR(got.placedHeight, want.placedHeight, 1e-6);
        EXPECT_NEAR(got.ppiX, want.ppiX, 1e-6);
        EXPECT_NEAR(got.ppiY, want.ppiY, 1e-6);
        EXPECT_EQ(got.storedBytes, want.stored);
        EXPECT_EQ(got.noFile, want.noFile);
        EXPECT_EQ(got.decodedBytes, (static_cast<long long>(want.width) * want.components * want.bits + 7) / 8 * want.height);
    }
}

namespace {

std::string StreamObject(const std::string& entries, const std::string& content) {
    return "<< " + entries + " /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "\nendstream";
}

ExtractResult DumpRaw(const std::string& path, const std::string& folder) {
    ConvertSettings raw;
    raw.imagesFormat = OUTPUT_PPM_PBM;
    raw.outputDirectory = folder;
    OutputPlanner planner;
    ExtractRequest request;
    request.path = path;
    RecordingMessages messages;
    RecordingProgress progress;
    return ExtractDocument(request, raw, planner.Plan(path, raw), messages, progress);
}

} // namespace

// Pages of text alone are passed over unread; images reached only through an
// annotation's appearance, a form's inline image or a tiling pattern are
// listed all the same, as the dump writes them, each in the place it is drawn.
TEST(DocumentListing, ImagesBeyondThePageContentAreListedAndTextPagesPassedOver) {
    TempDir dir;
    PdfWriter pdf;
    const std::string gray = "/Width 2 /Height 2 /ColorSpace /DeviceGray /BitsPerComponent 8";
    const int image = pdf.AddFlateImage(gray, "abcd");
    const int font = pdf.AddObject("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>");
    const std::string fontResources = "/Font << /F1 " + std::to_string(font) + " 0 R >>";
    const std::string text = "BT /F1 12 Tf 10 10 Td (Text alone, OBI BIx) Tj ET\n";
    const int drawsImage = pdf.AddObject(StreamObject("/Type /XObject /Subtype /Form /BBox [0 0 50 50] /Resources << /XObject << /X " +
                                                    std::to_string(image) + " 0 R >> >>",
                                                "q 50 0 0 50 0 0 cm /X Do Q"));
    const int drawsInline = pdf.AddObject(StreamObject("/Type /XObject /Subtype /Form /BBox [0 0 50 50]",
                                                 InlineImage("/W 2 /H 1 /CS /G /BPC 8", "ab")));
    auto annotation = [&pdf](int form) {
        return "/Annots [" +
               std::to_string(pdf.AddObject("<< /Type /Annot /Subtype /Stamp /Rect [0 0 50 50] /AP << /N " +
                                            std::to_string(form) + " 0 R >> >>")) +
               " 0 R]";
    };
    const int pattern = pdf.AddObject(StreamObject("/PatternType 1 /PaintType 1 /TilingType 1 /BBox [0 0 20 20] /XStep 20 "
                                             "/YStep 20 /Resources << /XObject << /X " +
                                                 std::to_string(image) + " 0 R >> >>",
                                             "q 20 0 0 20 0 0 cm /X Do Q"));
    PageSpec textOnly{{}, text};
    textOnly.extraResources = fontResources;
    pdf.AddPage(textOnly);
    PageSpec throughAnnotation{{}, text};
    throughAnnotation.extraResources = fontResources;
    throughAnnotation.extraEntries = annotation(drawsImage);
    pdf.AddPage(throughAnnotation);
    PageSpec inlineInAnnotation;
    inlineInAnnotation.extraEntries = annotation(drawsInline);
    pdf.AddPage(inlineInAnnotation);
    PageSpec patterned{{}, "/Pattern cs /P1 scn 0 0 40 20 re f\n"};
    patterned.extraResources = "/Pattern << /P1 " + std::to_string(pattern) + " 0 R >>";
    pdf.AddPage(patterned);
    pdf.AddPage(textOnly);
    pdf.AddPage({{}, InlineImage("/W 2 /H 1 /CS /G /BPC 8", "ab")}); // in the page's single content stream
    WriteFile(dir / "doc.pdf", pdf.Build());

    std::vector<int> pages;
    std::vector<std::array<double, 4>> boxes;
    for (const ImageEntry& entry : List(dir / "doc.pdf")) {
        pages.push_back(entry.page);
        boxes.push_back(entry.placement.Box());
    }
    TempDir out;
    const ExtractResult dumped = DumpRaw(dir / "doc.pdf", out.path());
    EXPECT_EQ(static_cast<int>(pages.size()), dumped.imagesWritten + dumped.imagesFailed);
    EXPECT_EQ(pages, (std::vector<int>{2, 3, 4, 6})); // a tiling cell is drawn once per fill
    // Points from the top-left corner of the 612 x 792 pages: the form fills
    // the annotation's 50 points, the inline image 10, the pattern's cell 20.
    EXPECT_EQ(boxes, (std::vector<std::array<double, 4>>{
                         {0, 742, 50, 792}, {0, 782, 10, 792}, {0, 772, 20, 792}, {0, 782, 10, 792}}));
}

TEST(DocumentListing, RefusesWhatTheExtractionRefusesAndWritesNothing) {
    TempDir dir;
    WriteFile(dir / "not.pdf", "no PDF at all");
    ExtractOutcome outcome = ExtractOutcome::Extracted;
    RecordingMessages messages;
    EXPECT_TRUE(List(dir / "not.pdf", &outcome, &messages).empty());
    EXPECT_EQ(outcome, ExtractOutcome::Skipped);
    EXPECT_EQ(messages.messages, std::vector<std::string>{"Not a valid pdf file!"});

    PdfWriter pdf;
    pdf.AddPage({{pdf.AddFlateImage("/Width 2 /Height 2 /ColorSpace /DeviceGray /BitsPerComponent 8", "abcd")}});
    WriteFile(dir / "one.pdf", pdf.Build());
    ConvertSettings pages;
    pages.pageRange = 1;
    pages.startPage = pages.endPage = 2;
    EXPECT_TRUE(List(dir / "one.pdf", &outcome, nullptr, pages).empty());
    EXPECT_EQ(outcome, ExtractOutcome::RangeError);
    EXPECT_EQ(ListFiles(dir.path()), (std::vector<std::string>{"not.pdf", "one.pdf"}));
}

// The list numbers the images as the dump does: on real documents, as many
// numbered entries as the raw dump writes or fails to write.
TEST(DocumentListing, NumbersMatchTheDumpOnTheCorpus) {
    if (!HaveCorpus())
        GTEST_SKIP() << "no corpus at " << testing_support::CorpusDir();
    for (const std::string& path :
         CorpusFiles({"flate-gray-rgb-indexed-smask-colorkey.pdf", "flate-rgb-explicit-mask-and-stencil.pdf",
                      "damaged-xref-159-images-216-inline.pdf", "dct-rgb-in-tiling-pattern.pdf"})) {
        SCOPED_TRACE(path);
        const std::vector<ImageEntry> entries = List(path);
        int numbered = 0;
        for (const ImageEntry& entry : entries) {
            if (entry.type == "image" || entry.type == "stencil") {
                EXPECT_EQ(entry.number, numbered++);
            }
        }
        TempDir out;
        const ExtractResult result = DumpRaw(path, out.path());
        EXPECT_EQ(numbered, result.imagesWritten + result.imagesFailed);
        EXPECT_GT(numbered, 0);
    }
}

// A stop set from another thread ends the listing before its next page: a
// stop set before the first lists nothing, and the pages already listed stay.
TEST(DocumentListing, AStopEndsTheListingBeforeTheNextPage) {
    TempDir dir;
    PdfWriter pdf;
    const int image = pdf.AddImage({"/Width 2 /Height 2 /ColorSpace /DeviceGray /BitsPerComponent 8", "abcd", ""});
    for (int page = 0; page < 3; ++page)
        pdf.AddPage({{image}});
    WriteFile(dir / "three.pdf", pdf.Build());
    ExtractRequest request;
    request.path = dir / "three.pdf";
    RecordingMessages messages;
    // Stops once the first page is reported done.
    struct StopAfterFirstPage : ProgressSink {
        std::atomic<bool> stop{false};
        void SetTotal(const std::string&, int) override {}
        void SetCurrent(const std::string&, int) override { stop = true; }
    } progress;
    std::vector<ImageEntry> entries;
    EXPECT_EQ(ListDocumentImages(request, {}, messages, progress, &entries, &progress.stop), ExtractOutcome::Extracted);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].page, 1);

    entries.clear();
    RecordingProgress unused;
    EXPECT_EQ(ListDocumentImages(request, {}, messages, unused, &entries, &progress.stop), ExtractOutcome::Extracted);
    EXPECT_TRUE(entries.empty());
    EXPECT_EQ(List(dir / "three.pdf").size(), 3u);
}

// An inline image is listed with its own filters, not those of the page
// content it sits in, whether that content is inflated here or (with a
// checksum the inflater here refuses) by the PDF library.
TEST(DocumentListing, AnInlineImagesEncodingIsItsOwn) {
    const std::string content = InlineImage("/W 2 /H 1 /CS /G /BPC 8", "ab") +
                                InlineImage("/W 2 /H 1 /CS /G /BPC 8 /F /Fl", Deflate("ab"));
    std::string badChecksum = Deflate(content);
    badChecksum.back() = static_cast<char>(badChecksum.back() ^ 1);
    for (const std::string& stored : {Deflate(content), badChecksum}) {
        TempDir dir;
        PdfWriter pdf;
        PageSpec page;
        page.contents = std::to_string(pdf.AddObject(StreamObject("/Filter /FlateDecode", stored))) + " 0 R";
        pdf.AddPage(page);
        WriteFile(dir / "doc.pdf", pdf.Build());
        std::vector<std::string> encodings;
        for (const ImageEntry& entry : List(dir / "doc.pdf"))
            encodings.push_back(entry.encoding);
        EXPECT_EQ(encodings, (std::vector<std::string>{"raw", "flate"}));
    }
}
