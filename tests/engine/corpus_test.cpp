// Every real-world PDF of the corpus goes through the engine: no crash, no
// hang, the outcome the file calls for, and well-formed files of the right size.
#include "engine/run/document_extraction.h"
#include "engine/run/document_listing.h"
#include "engine/catalogue/recording_dump_dev.h"
#include "engine/dump/image_dump_dev.h"
#include "engine/dump/turned_pixels.h"
#include "engine/pdf/page_display.h"
#include "engine/pdf/pdf_engine.h"
#include "tests/support/test_support.h"

#include <PDFDoc.h>
#include <Page.h>
#include <gtest/gtest.h>
#include <jpeglib.h>

#include <cmath>
#include <csetjmp>
#include <iostream>
#include <fstream>
#include <map>
#include <sstream>

using namespace testing_support;

namespace {

struct CorpusEntry {
    std::string file;
    std::string password;
    bool copyForbidden = false;
};

void PrintTo(const CorpusEntry& entry, std::ostream* out) { *out << entry.file; }

std::vector<CorpusEntry> ReadManifest() {
    std::vector<CorpusEntry> entries;
    std::ifstream in(CorpusDir() + "/MANIFEST.tsv");
    std::string line;
    std::getline(in, line); // column names
    while (std::getline(in, line)) {
        std::vector<std::string> columns;
        std::stringstream fields(line);
        for (std::string field; std::getline(fields, field, '\t');)
            columns.push_back(field);
        if (columns.size() < 9)
            continue;
        entries.push_back({columns[0], columns[7], columns[8].find("copy/extract NOT permitted") != std::string::npos});
    }
    return entries;
}

struct JpegError {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

// True when libjpeg accepts the file's header.
bool IsReadableJpeg(const std::string& data) {
    jpeg_decompress_struct cinfo;
    JpegError error;
    cinfo.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = [](j_common_ptr c) { std::longjmp(reinterpret_cast<JpegError*>(c->err)->jump, 1); };
    jpeg_create_decompress(&cinfo);
    bool ok = false;
    if (!setjmp(error.jump)) {
        jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(data.data()), data.size());
        ok = jpeg_read_header(&cinfo, TRUE) == JPEG_HEADER_OK && cinfo.image_width > 0 && cinfo.image_height > 0;
    }
    jpeg_destroy_decompress(&cinfo);
    return ok;
}

// Parses "P4\nW H\n" or "P6\nW H\n255\n" and checks that the pixel data has
// exactly the size the header gives.
bool IsWellFormedPnm(const std::string& data, int* width, int* height) {
    std::istringstream in(data);
    std::string magic;
    int maxValue = 1;
    in >> magic >> *width >> *height;
    if (magic == "P6")
        in >> maxValue;
    if (!in || (magic != "P4" && magic != "P6") || maxValue != (magic == "P6" ? 255 : 1) || in.get() != '\n')
        return false;
    const long long expected = magic == "P4" ? (*width + 7LL) / 8 * *height : 3LL * *width * *height;
    return static_cast<long long>(data.size()) - static_cast<long long>(in.tellg()) == expected;
}

// Notes the size of every image before the device writes it.
class SizeRecorder : public ImageDumpDev {
public:
    using ImageDumpDev::ImageDumpDev;
    std::vector<std::pair<int, int>> sizes;

    void drawImageMask(GfxState* s, Object* r, Stream* str, int w, int h, bool inv, bool interp, bool inl) override {
        sizes.emplace_back(w, h);
        ImageDumpDev::drawImageMask(s, r, str, w, h, inv, interp, inl);
    }
    void drawImage(GfxState* s, Object* r, Stream* str, int w, int h, GfxImageColorMap* map, bool interp,
                   const int* mask, bool inl) override {
        sizes.emplace_back(w, h);
        ImageDumpDev::drawImage(s, r, str, w, h, map, interp, mask, inl);
    }
};

class Corpus : public ::testing::TestWithParam<CorpusEntry> {};

} // namespace

TEST_P(Corpus, ExtractsWithTheExpectedOutcomeAndWellFormedJpegFiles) {
    const CorpusEntry& entry = GetParam();
    TempDir dir;
    ConvertSettings settings;
    settings.outputDirectory = dir.path();
    RecordingMessages messages;
    RecordingProgress progress;
    OutputPlanner planner;
    ExtractResult result =
        ExtractDocument({CorpusDir() + "/" + entry.file, "", entry.password, 1, 1}, settings,
                        planner.Plan(CorpusDir() + "/" + entry.file, settings), messages, progress);
    if (entry.copyForbidden) {
        EXPECT_EQ(result.outcome, ExtractOutcome::Skipped);
        EXPECT_EQ(messages.messages, std::vector<std::string>{"Copying of images from this document is not allowed."});
        return;
    }
    ASSERT_EQ(result.outcome, ExtractOutcome::Extracted) << (messages.messages.empty() ? "" : messages.messages[0]);
    EXPECT_TRUE(messages.messages.empty());
    for (const std::string& name : ListFiles(dir.path())) {
        std::string data = ReadFile(dir / name);
        int width = 0, height = 0;
        if (name.size() > 4 && name.substr(name.size() - 4) == ".jpg")
            EXPECT_TRUE(IsReadableJpeg(data)) << name;
        else
            EXPECT_TRUE(IsWellFormedPnm(data, &width, &height)) << name;
    }
}

TEST_P(Corpus, RawDumpWritesEveryDecodableImageAtItsSize) {
    const CorpusEntry& entry = GetParam();
    if (entry.copyForbidden)
        GTEST_SKIP() << "copying forbidden";
    TempDir dir;
    std::unique_ptr<PDFDoc> document = OpenPdfDocument(CorpusDir() + "/" + entry.file, "", entry.password);
    ASSERT_TRUE(document->isOk());
    SizeRecorder device(dir.path() + "/", false);
    for (int page = 1; page <= document->getNumPages(); ++page)
        document->displayPage(&device, page, 72, 72, 0, false, false, false);

    std::vector<std::string> files = ListFiles(dir.path());
    EXPECT_EQ(static_cast<int>(files.size()), device.ImagesWritten());
    EXPECT_EQ(device.ImagesWritten() + device.ImagesFailed() + device.ImagesDamaged(), static_cast<int>(device.sizes.size()));
    EXPECT_EQ(device.ImagesFailed(), 0) << device.FailureReason();
    for (const std::string& name : files) {
        int number = std::stoi(name.substr(1, name.find('.') - 1));
        ASSERT_LT(number, static_cast<int>(device.sizes.size())) << name;
        int width = 0, height = 0;
        ASSERT_TRUE(IsWellFormedPnm(ReadFile(dir / name), &width, &height)) << name;
        EXPECT_EQ(std::make_pair(width, height), device.sizes[number]) << name;
    }
}

// Pages drawn with their content and font streams inflated here write the
// very files of the library's own drawing.
TEST_P(Corpus, PagesDrawnWithStreamsInflatedHereGiveTheLibrarysFiles) {
    const CorpusEntry& entry = GetParam();
    if (entry.copyForbidden)
        GTEST_SKIP() << "copying forbidden";
    TempDir library, ours;
    std::unique_ptr<PDFDoc> document = OpenPdfDocument(CorpusDir() + "/" + entry.file, "", entry.password);
    ASSERT_TRUE(document->isOk());
    ImageDumpDev libraryDevice(library.path() + "/", false), ourDevice(ours.path() + "/", false);
    for (int page = 1; page <= document->getNumPages(); ++page) {
        document->displayPage(&libraryDevice, page, 72, 72, 0, false, false, false);
        DisplayPage(*document, ourDevice, page);
    }
    const std::vector<std::string> files = ListFiles(library.path());
    ASSERT_EQ(ListFiles(ours.path()), files);
    for (const std::string& name : files)
        EXPECT_TRUE(ReadFile(library / name) == ReadFile(ours / name)) << name;
}

// Every image has a place: a box of finite points, in order, within the page
// as shown (its crop box after /Rotate) or, for an image placed partly or
// wholly off the page, beyond it; the run says how many are.
TEST_P(Corpus, EveryImageHasItsPlaceOnOrOffThePage) {
    const CorpusEntry& entry = GetParam();
    if (entry.copyForbidden)
        GTEST_SKIP() << "copying forbidden";
    const std::string path = CorpusDir() + "/" + entry.file;
    std::unique_ptr<PDFDoc> document = OpenPdfDocument(path, "", entry.password);
    ASSERT_TRUE(document->isOk());
    RecordingMessages messages;
    RecordingProgress progress;
    ExtractRequest request;
    request.path = path;
    request.userPassword = entry.password;
    std::vector<ImageEntry> images;
    ASSERT_EQ(ListDocumentImages(request, {}, messages, progress, &images), ExtractOutcome::Extracted);
    const double margin = 0.01; // the box's rounding in points
    int offPage = 0;
    for (const ImageEntry& image : images) {
        const std::array<double, 4> box = image.placement.Box();
        Page* page = document->getPage(image.page);
        const PDFRectangle* crop = page->getCropBox();
        const bool sideways = page->getRotate() % 180 != 0;
        const double width = sideways ? crop->y2 - crop->y1 : crop->x2 - crop->x1;
        const double height = sideways ? crop->x2 - crop->x1 : crop->y2 - crop->y1;
        for (double side : box)
            ASSERT_TRUE(std::isfinite(side)) << "page " << image.page << " image " << image.number;
        EXPECT_LE(box[0], box[2]);
        EXPECT_LE(box[1], box[3]);
        if (box[0] < -margin || box[1] < -margin || box[2] > width + margin || box[3] > height + margin)
            ++offPage;
    }
    std::cout << entry.file << ": " << images.size() << " images, " << offPage << " placed partly or wholly off the page\n";
}

// The files written as shown are the stored files, turned: an upright image's
// file is the same, byte for byte, and a turned one's holds the same pixels
// laid out as its placement says.
TEST_P(Corpus, FilesShownAreTheStoredFilesTurned) {
    const CorpusEntry& entry = GetParam();
    if (entry.copyForbidden)
        GTEST_SKIP() << "copying forbidden";
    TempDir stored, shown;
    std::unique_ptr<PDFDoc> document = OpenPdfDocument(CorpusDir() + "/" + entry.file, "", entry.password);
    ASSERT_TRUE(document->isOk());
    std::vector<ImageEntry> images;
    ImageDumpDev storedDevice(stored.path() + "/", false);
    RecordingDumpDev shownDevice(shown.path() + "/", false, nullptr, MASKS_NONE, images);
    shownDevice.WriteAsShown(true);
    for (int page = 1; page <= document->getNumPages(); ++page) {
        DisplayPage(*document, storedDevice, page);
        DisplayPage(*document, shownDevice, page);
    }
    ASSERT_EQ(ListFiles(shown.path()), ListFiles(stored.path()));
    int turned = 0;
    for (const ImageEntry& image : images) {
        if (image.file.empty())
            continue;
        const std::string name = image.file.substr(image.file.rfind('/') + 1);
        const std::string before = ReadFile(stored / name), after = ReadFile(shown / name);
        const ImageTurn turn = image.placement.Turn();
        if (turn.Upright()) {
            EXPECT_TRUE(before == after) << name;
            continue;
        }
        ++turned;
        int width = 0, height = 0, shownWidth = 0, shownHeight = 0;
        ASSERT_TRUE(IsWellFormedPnm(before, &width, &height)) << name;
        ASSERT_TRUE(IsWellFormedPnm(after, &shownWidth, &shownHeight)) << name;
        EXPECT_EQ(shownWidth, turn.ShownWidth(width, height)) << name;
        EXPECT_EQ(shownHeight, turn.ShownHeight(width, height)) << name;
        const int bits = before[1] == '4' ? 1 : 24;
        const size_t pixels = static_cast<size_t>(RowBytes(width, bits) * height);
        const std::vector<unsigned char> expected = TurnedRows(
            reinterpret_cast<const unsigned char*>(before.data() + before.size() - pixels), width, height, bits, turn);
        EXPECT_TRUE(after.compare(after.size() - expected.size(), expected.size(),
                                  reinterpret_cast<const char*>(expected.data()), expected.size()) == 0)
            << name;
    }
    std::cout << entry.file << ": " << turned << " files turned\n";
}

// Without the corpus (a clone on its own) the suite has no cases: this says
// so once instead.
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(Corpus);

TEST(CorpusPresence, TheManifestListsDocuments) {
    if (!HaveCorpus())
        GTEST_SKIP() << "no corpus of real PDFs at " << CorpusDir() << ": its tests are skipped";
    EXPECT_FALSE(ReadManifest().empty());
}

INSTANTIATE_TEST_SUITE_P(RealFiles, Corpus, ::testing::ValuesIn(ReadManifest()),
                         [](const ::testing::TestParamInfo<CorpusEntry>& info) {
                             std::string name = info.param.file.substr(0, info.param.file.size() - 4);
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c)))
                                     c = '_';
                             return name;
                         });

// Page 1 of this document draws its images turned a quarter turn: the list
// says so, and the files written as shown are the stored ones turned.
TEST(CorpusPlacement, InlineImagesDocumentShowsItsFirstPageTurned) {
    const std::string path = CorpusDir() + "/inline-images-2867.pdf";
    if (!HaveCorpus())
        GTEST_SKIP() << "no corpus at " << CorpusDir();
    RecordingMessages messages;
    RecordingProgress progress;
    ExtractRequest request;
    request.path = path;
    ConvertSettings firstPage;
    firstPage.pageRange = 1;
    firstPage.startPage = firstPage.endPage = 1;
    firstPage.imagesFormat = OUTPUT_PPM_PBM;
    std::vector<ImageEntry> images;
    ASSERT_EQ(ListDocumentImages(request, firstPage, messages, progress, &images), ExtractOutcome::Extracted);
    ASSERT_GT(images.size(), 1u);
    EXPECT_TRUE(images[0].placement.Turn().transposed);
    EXPECT_TRUE(images[1].placement.Turn().transposed);

    TempDir stored, shown;
    ConvertSettings asStored = firstPage, asShown = firstPage;
    asStored.outputDirectory = stored.path();
    asShown.outputDirectory = shown.path();
    asShown.orientation = ORIENT_SHOWN;
    const ExtractResult before =
        ExtractDocument(request, asStored, OutputPlanner().Plan(path, asStored), messages, progress);
    const ExtractResult after = ExtractDocument(request, asShown, OutputPlanner().Plan(path, asShown), messages, progress);
    // The first image drawn from an object: 117 x 107 samples, shown 107 wide.
    const std::string name = "inline-images-2867-001.ppm";
    int width = 0, height = 0, shownWidth = 0, shownHeight = 0;
    const std::string storedFile = ReadFile(before.outputDirectory + name);
    ASSERT_TRUE(IsWellFormedPnm(storedFile, &width, &height));
    ASSERT_TRUE(IsWellFormedPnm(ReadFile(after.outputDirectory + name), &shownWidth, &shownHeight));
    EXPECT_EQ(std::make_pair(width, height), std::make_pair(117, 107));
    EXPECT_EQ(std::make_pair(shownWidth, shownHeight), std::make_pair(107, 117));
    const size_t pixels = static_cast<size_t>(3 * width * height);
    const std::vector<unsigned char> turned =
        TurnedRows(reinterpret_cast<const unsigned char*>(storedFile.data() + storedFile.size() - pixels), width,
                   height, 24, images[1].placement.Turn());
    const std::string shownFile = ReadFile(after.outputDirectory + name);
    EXPECT_TRUE(shownFile.compare(shownFile.size() - pixels, pixels, reinterpret_cast<const char*>(turned.data()),
                                  pixels) == 0);
}
