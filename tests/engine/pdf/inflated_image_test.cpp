// Flate image data inflated in memory against the PDF library's own
// decoding of the same stream: equal to the byte wherever it is taken, and
// left to the library wherever the data is damaged or unusual.
#include "engine/dump/image_dump_dev.h"
#include "engine/pdf/inflated_image.h"
#include "engine/pdf/pdf_engine.h"
#include "tests/support/pdf_writer.h"
#include "tests/support/test_support.h"

#include <PDFDoc.h>
#include <XRef.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <random>

using namespace testpdf;
using testing_support::ReadFile;
using testing_support::TempDir;
using testing_support::WriteFile;

namespace {

// Where the test expects the image's data to come from.
enum class Expect { Inflated, Library, Either };

enum class Damage {
    None,
    Truncated,        // the compressed data cut short
    Corrupted,        // bytes in the middle of the compressed data changed
    BadChecksum,      // the data intact but its checksum wrong
    ShortLength,      // /Length smaller than the stored data (the library finds the end)
    LongLength,       // /Length beyond the stored data
    ExtraRows,        // more rows than the image has
    MissingRows,      // fewer rows than the image has
    UnknownRowFilter, // a PNG row whose filter byte names no filter
};

struct Case {
    const char* name;
    const char* colorSpace;
    int components;
    int bits;
    int width;
    int height;
    int predictor; // 0: no /DecodeParms
    Damage damage;
    Expect expect;
};

int SampleMax(int bits) { return (1 << bits) - 1; }

unsigned char PaethOf(int left, int up, int upLeft) {
    const int p = left + up - upLeft, pa = std::abs(p - left), pb = std::abs(p - up), pc = std::abs(p - upLeft);
    return static_cast<unsigned char>(pa <= pb && pa <= pc ? left : pb <= pc ? up : upLeft);
}

// Each row predicted with filter (row number + shift) mod 5, so that a few
// rows show every PNG filter.
std::string PngPredict(const std::string& raw, int rowBytes, int pixelBytes, int shift) {
    std::string out;
    std::string above(static_cast<size_t>(rowBytes), '\0');
    for (size_t start = 0; start < raw.size(); start += static_cast<size_t>(rowBytes)) {
        const std::string row = raw.substr(start, static_cast<size_t>(rowBytes));
        const int filter = static_cast<int>((start / static_cast<size_t>(rowBytes) + static_cast<size_t>(shift)) % 5);
        out += static_cast<char>(filter);
        for (int i = 0; i < rowBytes; ++i) {
            const int x = static_cast<unsigned char>(row[static_cast<size_t>(i)]);
            const int left = i >= pixelBytes ? static_cast<unsigned char>(row[static_cast<size_t>(i - pixelBytes)]) : 0;
            const int up = static_cast<unsigned char>(above[static_cast<size_t>(i)]);
            const int upLeft = i >= pixelBytes ? static_cast<unsigned char>(above[static_cast<size_t>(i - pixelBytes)]) : 0;
            const int predicted[5] = {0, left, up, (left + up) / 2, PaethOf(left, up, upLeft)};
            out += static_cast<char>(x - predicted[filter]);
        }
        above = row;
    }
    return out;
}

// Each sample minus the same component of the pixel to its left.
std::string TiffPredict(int width, int height, int components, int bits,
                        const std::function<unsigned(int, int, int)>& sample) {
    return PackSamples(width, height, components, bits, [&](int x, int y, int c) {
        const unsigned left = x == 0 ? 0 : sample(x - 1, y, c);
        return (sample(x, y, c) - left) & static_cast<unsigned>(SampleMax(bits));
    });
}

// The stored data of a case, and the dictionary entries besides /Length.
void MakeImage(const Case& c, std::string* dictionary, std::string* stored) {
    std::mt19937 random(static_cast<unsigned>(c.width * 131 + c.bits * 7 + c.predictor));
    // Smooth areas with noise, so that the predictors have work to do.
    std::vector<unsigned> noise(static_cast<size_t>(c.width) * (c.height + 3) * c.components);
    for (unsigned& n : noise)
        n = random() % 7;
    const int rows = c.damage == Damage::ExtraRows ? c.height + 3 : c.damage == Damage::MissingRows ? c.height - 2 : c.height;
    auto sample = [&](int x, int y, int k) {
        const unsigned smooth = static_cast<unsigned>(x * 3 + y * 5 + k * 40);
        return (smooth + noise[(static_cast<size_t>(y) * c.width + x) * c.components + k]) &
               static_cast<unsigned>(SampleMax(c.bits));
    };
    std::string data;
    const int pixelBytes = (c.components * c.bits + 7) / 8;
    const int rowBytes = (c.width * c.components * c.bits + 7) / 8;
    if (c.predictor == 2)
        data = TiffPredict(c.width, rows, c.components, c.bits, sample);
    else if (c.predictor >= 10)
        data = PngPredict(PackSamples(c.width, rows, c.components, c.bits, sample), rowBytes, pixelBytes, c.predictor);
    else
        data = PackSamples(c.width, rows, c.components, c.bits, sample);
    if (c.damage == Damage::UnknownRowFilter)
        data[static_cast<size_t>(rowBytes + 1)] = 7; // the second row's filter byte

    *stored = Deflate(data);
    if (c.damage == Damage::Truncated)
        stored->resize(stored->size() * 3 / 5);
    else if (c.damage == Damage::Corrupted)
        for (size_t i = stored->size() / 2; i < stored->size() / 2 + 16; ++i)
            (*stored)[i] = static_cast<char>((*stored)[i] ^ 0x5A);
    else if (c.damage == Damage::BadChecksum)
        stored->back() = static_cast<char>(stored->back() ^ 1);

    *dictionary = "/Width " + std::to_string(c.width) + " /Height " + std::to_string(c.height) + " /ColorSpace " +
                  c.colorSpace + " /BitsPerComponent " + std::to_string(c.bits) + " /Filter /FlateDecode";
    if (c.predictor)
        *dictionary += " /DecodeParms << /Predictor " + std::to_string(c.predictor) + " /Colors " +
                       std::to_string(c.components) + " /BitsPerComponent " + std::to_string(c.bits) +
                       " /Columns " + std::to_string(c.width) + " >>";
}

std::string ImageObject(const std::string& dictionary, const std::string& stored, long long length) {
    return "<< /Type /XObject /Subtype /Image " + dictionary + " /Length " + std::to_string(length) +
           " >>\nstream\n" + stored + "\nendstream";
}

// The image XObjects of a document, each fetched afresh when asked for:
// the library's stream keeps a predictor's last row when it is read again.
struct DocumentImages {
    std::unique_ptr<PDFDoc> document;
    std::vector<int> numbers;

    Object Fetch(size_t index) const { return document->getXRef()->fetch(numbers[index], 0); }
};

DocumentImages OpenImages(const std::string& path, const std::string& userPassword = {}) {
    DocumentImages images;
    images.document = OpenPdfDocument(path, {}, userPassword);
    if (!images.document || !images.document->isOk())
        return images;
    XRef* xref = images.document->getXRef();
    for (int i = 1; i < xref->getNumObjects(); ++i) {
        Object object = xref->fetch(i, 0);
        if (object.isStream() && object.streamGetDict()->lookup("Subtype").isName("Image"))
            images.numbers.push_back(i);
    }
    return images;
}

// What the library's stream gives for the image, up to its size.
std::vector<unsigned char> LibraryBytes(Stream* str, std::int64_t bytes) {
    std::vector<unsigned char> out(static_cast<size_t>(bytes));
    str->reset();
    const int got = str->doGetChars(static_cast<int>(bytes), out.data());
    str->close();
    out.resize(static_cast<size_t>(std::max(got, 0)));
    return out;
}

// The decoded size of an image of the test's documents.
std::int64_t DecodedBytes(Dict* dict) {
    const int width = dict->lookup("Width").getInt(), height = dict->lookup("Height").getInt();
    if (dict->lookup("ImageMask").isBool())
        return (width + 7) / 8 * static_cast<std::int64_t>(height);
    const Object space = dict->lookup("ColorSpace");
    const int components = space.isName("DeviceRGB") ? 3 : space.isName("DeviceCMYK") ? 4 : 1;
    const int bits = dict->lookup("BitsPerComponent").getInt();
    return (static_cast<std::int64_t>(width) * components * bits + 7) / 8 * height;
}

// The image's data through InflateImageData, checked against the
// library's decoding of a fresh copy of the stream.
void CheckAgainstLibrary(const DocumentImages& images, size_t index, Expect expect) {
    Object fresh = images.Fetch(index);
    const std::int64_t bytes = DecodedBytes(fresh.getStream()->getDict());
    const std::vector<unsigned char> library = LibraryBytes(fresh.getStream(), bytes);
    Object image = images.Fetch(index);
    std::vector<unsigned char> ours;
    const bool inflated = InflateImageData(image.getStream(), bytes, &ours);
    if (expect == Expect::Inflated) {
        EXPECT_TRUE(inflated);
    } else if (expect == Expect::Library) {
        EXPECT_FALSE(inflated);
    }
    if (inflated)
        EXPECT_EQ(ours, library);
    else
        EXPECT_TRUE(ours.empty());
    // After the attempt, the library's stream reads as it would have.
    EXPECT_EQ(LibraryBytes(image.getStream(), bytes), library);
}

} // namespace

TEST(InflatedImage, EqualsTheLibrarysDecodingOrLeavesTheImageToIt) {
    using D = Damage;
    using E = Expect;
    const Case cases[] = {
        {"gray 8, no predictor", "/DeviceGray", 1, 8, 31, 9, 0, D::None, E::Inflated},
        {"rgb 8, predictor 1", "/DeviceRGB", 3, 8, 17, 6, 1, D::None, E::Inflated},
        {"gray 1, no predictor", "/DeviceGray", 1, 1, 13, 5, 0, D::None, E::Inflated},
        {"gray 2, no predictor", "/DeviceGray", 1, 2, 7, 5, 0, D::None, E::Inflated},
        {"gray 4, no predictor", "/DeviceGray", 1, 4, 9, 5, 0, D::None, E::Inflated},
        {"gray 16, no predictor", "/DeviceGray", 1, 16, 5, 5, 0, D::None, E::Inflated},
        {"tiff gray 1", "/DeviceGray", 1, 1, 21, 6, 2, D::None, E::Inflated},
        {"tiff gray 1, whole bytes", "/DeviceGray", 1, 1, 32, 6, 2, D::None, E::Inflated},
        {"tiff rgb 1", "/DeviceRGB", 3, 1, 7, 6, 2, D::None, E::Inflated},
        {"tiff gray 2", "/DeviceGray", 1, 2, 11, 6, 2, D::None, E::Inflated},
        {"tiff gray 4", "/DeviceGray", 1, 4, 9, 6, 2, D::None, E::Inflated},
        {"tiff gray 8", "/DeviceGray", 1, 8, 19, 6, 2, D::None, E::Inflated},
        {"tiff rgb 8", "/DeviceRGB", 3, 8, 19, 6, 2, D::None, E::Inflated},
        {"tiff cmyk 8", "/DeviceCMYK", 4, 8, 7, 6, 2, D::None, E::Inflated},
        {"tiff rgb 4", "/DeviceRGB", 3, 4, 5, 6, 2, D::None, E::Inflated},
        {"tiff rgb 16, left to the library", "/DeviceRGB", 3, 16, 5, 6, 2, D::None, E::Library},
        {"tiff gray 16, left to the library", "/DeviceGray", 1, 16, 5, 6, 2, D::None, E::Library},
        {"png 10 gray 8", "/DeviceGray", 1, 8, 23, 10, 10, D::None, E::Inflated},
        {"png 11 rgb 8", "/DeviceRGB", 3, 8, 23, 10, 11, D::None, E::Inflated},
        {"png 12 cmyk 8", "/DeviceCMYK", 4, 8, 15, 10, 12, D::None, E::Inflated},
        {"png 13 gray 1", "/DeviceGray", 1, 1, 29, 10, 13, D::None, E::Inflated},
        {"png 14 gray 2", "/DeviceGray", 1, 2, 13, 10, 14, D::None, E::Inflated},
        {"png 15 gray 4", "/DeviceGray", 1, 4, 11, 10, 15, D::None, E::Inflated},
        {"png 15 rgb 16", "/DeviceRGB", 3, 16, 9, 10, 15, D::None, E::Inflated},
        {"png 15 gray 16", "/DeviceGray", 1, 16, 3, 10, 15, D::None, E::Inflated},
        {"png 15 rgb 4", "/DeviceRGB", 3, 4, 7, 10, 15, D::None, E::Inflated},
        {"png 15 width 1", "/DeviceRGB", 3, 8, 1, 10, 15, D::None, E::Inflated},
        {"truncated", "/DeviceRGB", 3, 8, 40, 30, 0, D::Truncated, E::Library},
        {"truncated, png", "/DeviceRGB", 3, 8, 40, 30, 15, D::Truncated, E::Library},
        {"corrupted", "/DeviceGray", 1, 8, 60, 40, 0, D::Corrupted, E::Library},
        {"corrupted, png", "/DeviceRGB", 3, 8, 40, 30, 12, D::Corrupted, E::Library},
        {"bad checksum", "/DeviceGray", 1, 8, 30, 20, 0, D::BadChecksum, E::Library},
        {"length too short", "/DeviceGray", 1, 8, 30, 20, 0, D::ShortLength, E::Either},
        {"length too long", "/DeviceGray", 1, 8, 30, 20, 0, D::LongLength, E::Either},
        {"rows beyond the height", "/DeviceGray", 1, 8, 30, 20, 0, D::ExtraRows, E::Library},
        {"rows missing", "/DeviceRGB", 3, 8, 30, 20, 15, D::MissingRows, E::Library},
        {"unknown row filter", "/DeviceGray", 1, 8, 30, 20, 15, D::UnknownRowFilter, E::Library},
        {"unknown predictor", "/DeviceGray", 1, 8, 30, 20, 3, D::None, E::Library},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string dictionary, stored;
        MakeImage(c, &dictionary, &stored);
        long long length = static_cast<long long>(stored.size());
        if (c.damage == Damage::ShortLength)
            length -= 9;
        else if (c.damage == Damage::LongLength)
            length += 25;
        PdfWriter pdf;
        pdf.AddPage({{pdf.AddObject(ImageObject(dictionary, stored, length))}});
        ASSERT_TRUE(pdf.Save(dir / "case.pdf"));
        DocumentImages images = OpenImages(dir / "case.pdf");
        ASSERT_EQ(images.numbers.size(), 1u);
        CheckAgainstLibrary(images, 0, c.expect);
    }
}

// A filter list holding Flate alone is Flate; with another filter, or with
// parameters this code does not read, the library decodes.
TEST(InflatedImage, OnlyAFlateFilterAloneIsInflated) {
    const std::string samples = PackSamples(12, 4, 1, 8, [](int x, int y, int) { return x * 20 + y; });
    const std::string size = "/Width 12 /Height 4 /ColorSpace /DeviceGray /BitsPerComponent 8 ";
    const struct {
        const char* entries;
        std::string stored;
        Expect expect;
    } cases[] = {
        {"/Filter [/FlateDecode]", Deflate(samples), Expect::Inflated},
        {"/Filter /Fl", Deflate(samples), Expect::Inflated},
        {"/Filter [/FlateDecode] /DecodeParms [<< /Predictor 1 >>]", Deflate(samples), Expect::Inflated},
        {"/Filter /FlateDecode /DecodeParms << /Predictor 2.0 /Columns 12 >>", Deflate(samples), Expect::Library},
        {"/Filter /FlateDecode /DecodeParms << /Predictor 12 /Columns 0 >>", Deflate(samples), Expect::Library},
        {"/Filter [/FlateDecode /ASCIIHexDecode]", Deflate(samples), Expect::Library},
        {"/Filter [/ASCIIHexDecode /FlateDecode]", Deflate(samples), Expect::Library},
    };
    TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.entries);
        PdfWriter pdf;
        pdf.AddPage({{pdf.AddObject(ImageObject(size + c.entries, c.stored, static_cast<long long>(c.stored.size())))}});
        ASSERT_TRUE(pdf.Save(dir / "case.pdf"));
        DocumentImages images = OpenImages(dir / "case.pdf");
        ASSERT_EQ(images.numbers.size(), 1u);
        CheckAgainstLibrary(images, 0, c.expect);
    }
}

// Encrypted documents: the library decrypts, the data is inflated here.
TEST(InflatedImage, EncryptedDocumentsAreInflatedFromTheDecryptedBytes) {
    const struct {
        const char* file;
        const char* userPassword;
    } documents[] = {{"user-password.pdf", "user"}, {"owner-nocopy.pdf", ""}};
    for (const auto& d : documents) {
        SCOPED_TRACE(d.file);
        DocumentImages images = OpenImages(testing_support::FixtureDir() + "/" + d.file, d.userPassword);
        ASSERT_TRUE(images.document && images.document->isOk());
        ASSERT_TRUE(images.document->isEncrypted());
        int flate = 0;
        for (size_t i = 0; i < images.numbers.size(); ++i) {
            if (images.Fetch(i).getStream()->getKind() != strFlate)
                continue;
            ++flate;
            CheckAgainstLibrary(images, i, Expect::Inflated);
        }
        EXPECT_GE(flate, 4);
    }
}

// The dump of a damaged Flate image is the library's decoding, padded as
// ever: nothing of the attempt shows.
TEST(InflatedImage, ADamagedImageIsDumpedAsTheLibraryDecodesIt) {
    TempDir dir;
    const Case c = {"truncated", "/DeviceGray", 1, 8, 40, 30, 0, Damage::Truncated, Expect::Library};
    std::string dictionary, stored;
    MakeImage(c, &dictionary, &stored);
    PdfWriter pdf;
    pdf.AddPage({{pdf.AddObject(ImageObject(dictionary, stored, static_cast<long long>(stored.size())))}});
    ASSERT_TRUE(pdf.Save(dir / "doc.pdf"));

    DocumentImages images = OpenImages(dir / "doc.pdf");
    ASSERT_EQ(images.numbers.size(), 1u);
    std::vector<unsigned char> library = LibraryBytes(images.Fetch(0).getStream(), 40 * 30);
    ASSERT_GT(library.size(), 0u);
    ASSERT_LT(library.size(), 40u * 30u);
    std::string expected = "P6\n40 30\n255\n";
    for (unsigned char gray : library)
        expected.append(3, static_cast<char>(gray));
    expected.append(3 * (40 * 30 - library.size()), '\xFF'); // rows past the data's end are padded

    const std::string out = dir / "out";
    mkdir(out.c_str(), 0777);
    ImageDumpDev device(out + "/", false);
    images.document->displayPage(&device, 1, 72, 72, 0, false, false, false);
    EXPECT_EQ(ReadFile(out + "/-000.ppm"), expected);
}
