// Pages drawn with their content and font streams inflated in memory give
// the device exactly what the PDF library's own drawing of the page gives,
// damaged streams included.
#include "engine/pdf/flate_data.h"
#include "engine/dump/image_dump_dev.h"
#include "engine/pdf/page_display.h"
#include "engine/pdf/pdf_engine.h"
#include "tests/support/pdf_writer.h"
#include "tests/support/test_support.h"

#include <PDFDoc.h>
#include <Page.h>
#include <TextOutputDev.h>
#include <XRef.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <map>

using namespace testpdf;
using testing_support::ListFiles;
using testing_support::ReadFile;
using testing_support::TempDir;

namespace {

enum class Drawing { Library, Ours };

void Draw(PDFDoc& document, OutputDev& device, int page, Drawing drawing) {
    if (drawing == Drawing::Ours)
        DisplayPage(document, device, page);
    else
        document.displayPage(&device, page, 72, 72, 0, false, false, false);
}

// Every file the raw dump writes for the page, by name.
std::map<std::string, std::string> Dump(const std::string& path, int page, Drawing drawing) {
    TempDir out;
    std::unique_ptr<PDFDoc> document = OpenPdfDocument(path);
    EXPECT_TRUE(document->isOk());
    ImageDumpDev device(out.path() + "/", false);
    Draw(*document, device, page, drawing);
    std::map<std::string, std::string> files;
    for (const std::string& name : ListFiles(out.path()))
        files[name] = ReadFile(out / name);
    return files;
}

std::string StreamObject(const std::string& entries, const std::string& data, long long length) {
    return "<< /Length " + std::to_string(length) + " " + entries + " >>\nstream\n" + data + "\nendstream";
}

std::string StreamObject(const std::string& entries, const std::string& data) {
    return StreamObject(entries, data, static_cast<long long>(data.size()));
}

std::string Damaged(std::string data, int from, int count) {
    for (int i = from; i < from + count; ++i)
        data[static_cast<size_t>(i)] = static_cast<char>(data[static_cast<size_t>(i)] ^ 0x5A);
    return data;
}

} // namespace

// Each way of storing a page's content: the images the page draws (two
// uses of an image object around an inline image) come out as the
// library's drawing gives them; content in doubt is left to the library.
TEST(PageDisplay, ContentStreamsGiveTheLibrarysImages) {
    const std::string content = "q 100 0 0 100 0 0 cm /Im0 Do Q\n" +
                                InlineImage("/W 4 /H 2 /CS /G /BPC 8", "\x10\x20\x30\x40\x50\x60\x70\x80") +
                                "q 50 0 0 50 0 0 cm /Im0 Do Q\n";
    const std::string packed = Deflate(content);
    const long long length = static_cast<long long>(packed.size());
    const std::string firstUse = content.substr(0, content.find('\n') + 1);
    const std::string lastUse = content.substr(content.rfind("q 50"));
    const std::string inlineImage = content.substr(firstUse.size(), content.size() - firstUse.size() - lastUse.size());
    const struct Row {
        const char* name;
        std::vector<std::string> streams; // the page's content objects
        bool array;                       // /Contents as an array of them
        int images;                       // what the page draws; -1: whatever the library makes of it
        bool inflatedHere;                // the first stream is read from memory
    } rows[] = {
        {"stored as it is", {StreamObject("", content)}, false, 3, false},
        {"Flate", {StreamObject("/Filter /FlateDecode", packed)}, false, 3, true},
        {"Flate in a list of one filter", {StreamObject("/Filter [/FlateDecode]", packed)}, false, 3, true},
        {"Flate with a wrong checksum",
         {StreamObject("/Filter /FlateDecode", packed.substr(0, packed.size() - 1) + std::string(1, packed.back() ^ 1))},
         false, 3, false},
        {"Flate cut short", {StreamObject("/Filter /FlateDecode", packed.substr(0, packed.size() * 2 / 3))}, false, -1,
         false},
        {"Flate corrupted", {StreamObject("/Filter /FlateDecode", Damaged(packed, 8, 6))}, false, -1, false},
        // The library finds where the data ends.
        {"Flate with /Length too short", {StreamObject("/Filter /FlateDecode", packed, length - 6)}, false, 3, true},
        {"Flate with /Length too long", {StreamObject("/Filter /FlateDecode", packed, length + 40)}, false, 3, true},
        {"Flate with a predictor",
         {StreamObject("/Filter /FlateDecode /DecodeParms << /Predictor 2 /Columns 1 >>", packed)}, false, -1,
         false},
        {"an empty Flate stream", {StreamObject("/Filter /FlateDecode", Deflate(""))}, false, 0, true},
        {"a list of Flate and stored streams",
         {StreamObject("/Filter /FlateDecode", Deflate(firstUse)), StreamObject("", inlineImage),
          StreamObject("/Filter /FlateDecode", Deflate(lastUse))},
         true, 3, true},
        {"a list holding something other than a stream", {StreamObject("/Filter /FlateDecode", packed), "42"}, true, 0,
         true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TempDir dir;
        PdfWriter pdf;
        PageSpec page;
        page.images = {pdf.AddFlateImage("/Width 6 /Height 5 /ColorSpace /DeviceRGB /BitsPerComponent 8",
                                          PackSamples(6, 5, 3, 8, [](int x, int y, int c) { return unsigned(x * 40 + y * 9 + c); }))};
        std::string contents;
        for (const std::string& stream : row.streams)
            contents += std::to_string(pdf.AddObject(stream)) + " 0 R ";
        page.contents = row.array ? "[" + contents + "]" : contents;
        pdf.AddPage(page);
        ASSERT_TRUE(pdf.Save(dir / "doc.pdf"));

        const std::map<std::string, std::string> library = Dump(dir / "doc.pdf", 1, Drawing::Library);
        EXPECT_EQ(Dump(dir / "doc.pdf", 1, Drawing::Ours), library);
        if (row.images >= 0) {
            EXPECT_EQ(static_cast<int>(library.size()), row.images);
        }

        std::unique_ptr<PDFDoc> document = OpenPdfDocument(dir / "doc.pdf");
        Object stored = document->getPage(1)->getContents();
        Object first = stored.isArray() ? stored.arrayGet(0) : stored.copy();
        ASSERT_TRUE(first.isStream());
        InflatedBytes decoded;
        EXPECT_EQ(InflateStreamData(first.getStream(), 1 << 20, &decoded), row.inflatedHere);
    }
}

namespace {

void AppendText(void* text, const char* bytes, int length) { static_cast<std::string*>(text)->append(bytes, length); }

// The text the library finds on the page, through the page's fonts.
std::string Text(PDFDoc& document, int page, Drawing drawing) {
    std::string text;
    TextOutputDev device(AppendText, &text, false, 0, false);
    Draw(document, device, page, drawing);
    return text;
}

} // namespace

// A font's character map stored with Flate is read from memory once
// inflated, on the page that first uses it and on later pages alike: the
// text the library finds through it is the same; a damaged map is read by
// the library as before.
TEST(PageDisplay, FontStreamsAreReadAsTheLibraryReadsThem) {
    const std::string map = "/CIDInit /ProcSet findresource begin 12 dict begin begincmap\n"
                            "1 begincodespacerange <00> <FF> endcodespacerange\n"
                            "3 beginbfchar <41> <005A> <42> <0059> <43> <0058> endbfchar\n"
                            "endcmap CMapName currentdict /CMap defineresource pop end end\n";
    const struct Row {
        const char* name;
        std::string stored;
        const char* text; // of each page; nullptr: whatever the library reads
        bool inMemory;    // the map is read from memory after the first page
    } rows[] = {
        {"Flate", Deflate(map), "ZYX", true},
        {"Flate cut short", Deflate(map).substr(0, Deflate(map).size() / 2), nullptr, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TempDir dir;
        PdfWriter pdf;
        const int toUnicode = pdf.AddObject(StreamObject("/Filter /FlateDecode", row.stored));
        const int font = pdf.AddObject("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /ToUnicode " +
                                       std::to_string(toUnicode) + " 0 R >>");
        PageSpec page;
        page.extraResources = "/Font << /F1 " + std::to_string(font) + " 0 R >>";
        page.extraContent = "BT /F1 12 Tf 72 700 Td (ABC) Tj ET\n";
        pdf.AddPage(page);
        pdf.AddPage(page);
        ASSERT_TRUE(pdf.Save(dir / "doc.pdf"));

        std::unique_ptr<PDFDoc> library = OpenPdfDocument(dir / "doc.pdf");
        std::unique_ptr<PDFDoc> ours = OpenPdfDocument(dir / "doc.pdf");
        for (int number = 1; number <= 2; ++number) {
            SCOPED_TRACE("page " + std::to_string(number));
            const std::string expected = Text(*library, number, Drawing::Library);
            EXPECT_EQ(Text(*ours, number, Drawing::Ours), expected);
            if (row.text) {
                EXPECT_EQ(expected.substr(0, 3), row.text);
            }
            EXPECT_EQ(ours->getXRef()->getEntry(toUnicode)->getFlag(XRefEntry::Updated), row.inMemory);
        }
    }
}
