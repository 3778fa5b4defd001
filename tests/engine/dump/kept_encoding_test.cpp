// Images kept in their stored encodings, each file checked by a decoder of
// its own format (ImageMagick over libtiff, jbig2dec, opj_decompress) against
// the dump's own decoding of the same image.
#include "engine/dump/ccitt_tiff.h"
#include "engine/dump/image_dump_dev.h"
#include "engine/dump/jbig2_file.h"
#include "engine/pdf/pdf_engine.h"
#include "tests/support/pdf_writer.h"
#include "tests/support/test_support.h"

#include <Object.h>
#include <PDFDoc.h>
#include <Stream.h>
#include <XRef.h>
#include <gtest/gtest.h>
#include <tiffio.h>

#include <algorithm>
#include <array>
#include <functional>
#include <ostream>
#include <cstdio>
#include <set>
#include <sys/stat.h>

using namespace testpdf;
using testing_support::CorpusFiles;
using testing_support::HaveCorpus;
using testing_support::ListFiles;
using testing_support::ReadFile;
using testing_support::TempDir;
using testing_support::WriteFile;

namespace {

// What a shell command prints on its standard output.
std::string Shell(const std::string& command) {
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return output;
    std::array<char, 4096> buffer;
    for (size_t got; (got = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0;)
        output.append(buffer.data(), got);
    pclose(pipe);
    return output;
}

bool Have(const std::string& tool) { return !Shell("command -v " + tool).empty(); }

// A one-bit picture: its size and rows of bits, 1 for black, each row padded
// to whole bytes with 0 bits.
struct Bitmap {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rows;
    bool operator==(const Bitmap& other) const {
        return width == other.width && height == other.height && rows == other.rows;
    }
};

std::ostream& operator<<(std::ostream& out, const Bitmap& bitmap) {
    return out << bitmap.width << "x" << bitmap.height;
}

// Clears the padding bits and, for negate, flips the others.
void Normalise(Bitmap& bitmap, bool negate) {
    const int rowBytes = (bitmap.width + 7) / 8;
    const unsigned char last = static_cast<unsigned char>(0xFF << ((8 - bitmap.width % 8) % 8));
    for (int y = 0; y < bitmap.height; ++y)
        for (int i = 0; i < rowBytes; ++i) {
            unsigned char& byte = bitmap.rows[static_cast<size_t>(y) * rowBytes + i];
            byte = static_cast<unsigned char>((negate ? ~byte : byte) & (i == rowBytes - 1 ? last : 0xFF));
        }
}

// A raw PBM file's bitmap; empty when it is none.
Bitmap ReadPbm(const std::string& path, bool negate = false) {
    Bitmap bitmap;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return bitmap;
    if (std::fscanf(file, "P4 %d %d", &bitmap.width, &bitmap.height) == 2 && std::fgetc(file) != EOF) {
        bitmap.rows.resize(static_cast<size_t>((bitmap.width + 7) / 8) * bitmap.height);
        if (std::fread(bitmap.rows.data(), 1, bitmap.rows.size(), file) == bitmap.rows.size())
            Normalise(bitmap, negate);
        else
            bitmap = {};
    }
    std::fclose(file);
    return bitmap;
}

// A one-bit TIFF file's bitmap as libtiff decodes it, black as 1.
Bitmap ReadTiff(const std::string& path) {
    Bitmap bitmap;
    TIFF* tiff = TIFFOpen(path.c_str(), "r");
    if (!tiff)
        return bitmap;
    uint32_t width = 0, height = 0;
    uint16_t photometric = PHOTOMETRIC_MINISWHITE;
    TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height);
    TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &photometric);
    bitmap.width = static_cast<int>(width);
    bitmap.height = static_cast<int>(height);
    const size_t rowBytes = (width + 7) / 8;
    bitmap.rows.resize(rowBytes * height);
    for (uint32_t y = 0; y < height; ++y)
        if (TIFFReadScanline(tiff, bitmap.rows.data() + y * rowBytes, y, 0) < 0) {
            bitmap = {};
            break;
        }
    TIFFClose(tiff);
    if (!bitmap.rows.empty())
        Normalise(bitmap, photometric == PHOTOMETRIC_MINISBLACK);
    return bitmap;
}

// Renders every page into a dump device that writes into dir/name/.
std::vector<std::string> Dump(const std::string& pdf, const TempDir& dir, const std::string& name, bool keep,
                              const std::string& password = {}) {
    const std::string out = dir / name;
    mkdir(out.c_str(), 0777);
    ImageDumpDev device(out + "/", false, nullptr, MASKS_NONE);
    device.KeepStoredEncodings(keep);
    std::unique_ptr<PDFDoc> document = OpenPdfDocument(pdf, password, password);
    EXPECT_TRUE(document->isOk()) << pdf;
    for (int page = 1; document->isOk() && page <= document->getNumPages(); ++page)
        document->displayPage(&device, page, 72, 72, 0, false, false, false);
    return ListFiles(out);
}

std::string Extension(const std::string& name) { return name.substr(name.rfind('.') + 1); }
std::string Stem(const std::string& name) { return name.substr(0, name.rfind('.')); }

// For each file kept as `extension`, its decoded twin (same number) in the
// plain dump: decode(kept file) gives the bitmap the file holds, which must
// be the same. Stencil masks are shown painted black on white, as the page
// shows them, where the dump writes the painted pixels white. Answers how
// many were compared.
int CompareKept(const TempDir& dir, const std::vector<std::string>& kept, const std::vector<std::string>& plain,
                const std::string& extension, const std::function<Bitmap(const std::string&)>& decode,
                bool stencils = false) {
    int compared = 0;
    for (const std::string& file : kept) {
        if (Extension(file) != extension)
            continue;
        const std::string twin = Stem(file) + ".pbm";
        EXPECT_NE(std::find(plain.begin(), plain.end(), twin), plain.end()) << file;
        const Bitmap ours = ReadPbm(dir / ("plain/" + twin), stencils);
        EXPECT_FALSE(ours.rows.empty()) << twin;
        EXPECT_EQ(decode(dir / ("kept/" + file)), ours) << file;
        ++compared;
    }
    return compared;
}

Bitmap Jbig2Decode(const std::string& file) {
    Shell("jbig2dec -t pbm -o '" + file + ".pbm' '" + file + "' 2>&1");
    return ReadPbm(file + ".pbm");
}

// A one-bit picture with runs of many lengths: a frame, diagonals and blocks.
bool Ink(int x, int y, int width, int height) {
    return x == 0 || y == 0 || x == width - 1 || y == height - 1 || (x + y) % 13 < 3 || ((x / 5) % 3 == 1 && y > 7);
}

// The strip of a TIFF file libtiff encodes the picture into: compression 3
// (options: the T4Options) or 4, black as 1 bits.
std::string FaxStrip(const TempDir& dir, int width, int height, int compression, uint32_t options) {
    const std::string path = dir / "fixture.tif";
    TIFF* tiff = TIFFOpen(path.c_str(), "w");
    EXPECT_TRUE(tiff);
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, height);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, compression);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, height);
    if (compression == COMPRESSION_CCITTFAX3)
        TIFFSetField(tiff, TIFFTAG_GROUP3OPTIONS, options);
    std::vector<unsigned char> row((width + 7) / 8);
    for (int y = 0; y < height; ++y) {
        std::fill(row.begin(), row.end(), 0);
        for (int x = 0; x < width; ++x)
            if (Ink(x, y, width, height))
                row[x / 8] |= static_cast<unsigned char>(0x80 >> (x % 8));
        TIFFWriteScanline(tiff, row.data(), static_cast<uint32_t>(y), 0);
    }
    TIFFClose(tiff);
    tiff = TIFFOpen(path.c_str(), "r");
    std::string strip(TIFFRawStripSize(tiff, 0), '\0');
    TIFFReadRawStrip(tiff, 0, strip.data(), static_cast<tmsize_t>(strip.size()));
    TIFFClose(tiff);
    return strip;
}

} // namespace

TEST(CcittTiff, SaysWhatATiffFileCannotHold) {
    struct Case {
        CcittParameters parameters;
        int width;
        bool held;
    } cases[] = {
        {{-1, false, false, true, false, 40}, 40, true},  // Group 4
        {{0, true, false, true, false, 40}, 40, true},    // Group 3 with end-of-line codes
        {{1, true, true, true, false, 40}, 40, true},     // aligned on bytes: fill bits before each code
        {{-1, false, false, true, false, 40}, 41, false}, // rows as wide as the image only
        {{0, false, false, true, false, 40}, 40, false},  // Group 3 rows need their codes
        {{-1, false, true, true, false, 40}, 40, false},  // Group 4 aligned on bytes
        {{-1, true, false, true, false, 40}, 40, false},  // Group 4 with end-of-line codes
    };
    for (const Case& c : cases)
        EXPECT_EQ(CcittTiffRefusal(c.parameters, c.width).empty(), c.held)
            << c.parameters.k << " " << c.parameters.endOfLine << " " << c.parameters.byteAlign << " " << c.width;
}

TEST(Jbig2File, PutsTheGlobalsFirstAndEndsThePageAndTheFile) {
    // A page information segment (number 1, page 1, 19 bytes of data) after
    // a global segment (number 0, no page, 2 bytes of data).
    const std::string globals = std::string("\0\0\0\0\x00\x00\x00\0\0\0\x02", 11) + "gg";
    const std::string page = std::string("\0\0\0\x01\x30\x00\x01\0\0\0\x13", 11) + std::string(19, 'p');
    std::string refusal;
    const std::string file = Jbig2File(globals, page, &refusal);
    const std::string header = std::string("\x97JB2\r\n\x1a\n\x01\0\0\0\x01", 13);
    const std::string endOfPage = std::string("\0\0\0\x02\x31\x00\x01\0\0\0\0", 11);
    const std::string endOfFile = std::string("\0\0\0\x03\x33\x00\x00\0\0\0\0", 11);
    EXPECT_EQ(file, header + globals + page + endOfPage + endOfFile) << refusal;

    // A file header the document stored is replaced; segments cut short are refused.
    EXPECT_EQ(Jbig2File({}, std::string("\x97JB2\r\n\x1a\n\x01\0\0\0\x01", 13) + page, &refusal),
              header + page + std::string("\0\0\0\x02\x31\x00\x01\0\0\0\0", 11) +
                  std::string("\0\0\0\x03\x33\x00\x00\0\0\0\0", 11));
    EXPECT_TRUE(Jbig2File(globals, page.substr(0, 20), &refusal).empty());
    EXPECT_EQ(refusal, "its JBIG2 segments are cut short");
}

// Fax data of each kind, with each way of saying black, in a TIFF file that
// shows the pixels the dump decodes.
TEST(KeptEncoding, CcittBecomesATiffFileWithThePagesPixels) {
    struct Case {
        const char* name;
        int compression;
        uint32_t options; // T4Options the fixture is written with
        int k;
        bool blackIs1;
        const char* decode;
        int width;
    } cases[] = {
        {"g3-1d", COMPRESSION_CCITTFAX3, 0, 0, false, "", 48},
        {"g3-2d", COMPRESSION_CCITTFAX3, GROUP3OPT_2DENCODING, 4, false, "", 48},
        {"g3-aligned", COMPRESSION_CCITTFAX3, GROUP3OPT_FILLBITS, 0, false, "", 48},
        {"g4", COMPRESSION_CCITTFAX4, 0, -1, false, "", 48},
        {"g4-blackis1", COMPRESSION_CCITTFAX4, 0, -1, true, "", 48},
        {"g4-decode-inverted", COMPRESSION_CCITTFAX4, 0, -1, false, "/Decode [1 0]", 48},
        {"g4-blackis1-inverted", COMPRESSION_CCITTFAX4, 0, -1, true, "/Decode [1 0]", 48},
        {"g4-odd-width", COMPRESSION_CCITTFAX4, 0, -1, false, "", 37},
        {"g3-2d-odd-width", COMPRESSION_CCITTFAX3, GROUP3OPT_2DENCODING, 2, true, "", 37},
    };
    for (const Case& c : cases) {
        TempDir dir;
        const int height = 30;
        const std::string strip = FaxStrip(dir, c.width, height, c.compression, c.options);
        const std::string parms = "/DecodeParms << /K " + std::to_string(c.k) + " /Columns " +
                                  std::to_string(c.width) + " /Rows " + std::to_string(height) +
                                  (c.compression == COMPRESSION_CCITTFAX3 ? " /EndOfLine true /EndOfBlock false" : "") +
                                  ((c.options & GROUP3OPT_FILLBITS) ? " /EncodedByteAlign true" : "") +
                                  (c.blackIs1 ? " /BlackIs1 true" : "") + " >> ";
        PdfWriter pdf;
        pdf.AddPage({{pdf.AddImage({"/Width " + std::to_string(c.width) + " /Height " + std::to_string(height) +
                                        " /ColorSpace /DeviceGray /BitsPerComponent 1 " + c.decode + parms,
                                    strip, "/CCITTFaxDecode"})}});
        WriteFile(dir / "doc.pdf", pdf.Build());
        const std::vector<std::string> kept = Dump(dir / "doc.pdf", dir, "kept", true);
        ASSERT_EQ(kept, std::vector<std::string>{"-000.tif"}) << c.name;
        const std::string file = ReadFile(dir / "kept/-000.tif");
        EXPECT_NE(file.find(strip), std::string::npos) << c.name << ": the fax data as stored";
        EXPECT_EQ(CompareKept(dir, kept, Dump(dir / "doc.pdf", dir, "plain", false), "tif", ReadTiff), 1) << c.name;
    }
}

TEST(KeptEncoding, FaxDataATiffFileCannotHoldIsDecoded) {
    TempDir dir;
    // Group 3 rows without end-of-line codes, as the document may store them.
    PdfWriter pdf;
    pdf.AddPage({{pdf.AddImage({"/Width 48 /Height 30 /ColorSpace /DeviceGray /BitsPerComponent 1 "
                                "/DecodeParms << /K 0 /Columns 48 >>",
                                FaxStrip(dir, 48, 30, COMPRESSION_CCITTFAX3, 0), "/CCITTFaxDecode"})}});
    WriteFile(dir / "doc.pdf", pdf.Build());
    EXPECT_EQ(Dump(dir / "doc.pdf", dir, "kept", true), std::vector<std::string>{"-000.pbm"});
}

// Every CCITT and JBIG2 image of the corpus, the encrypted document's too.
TEST(KeptEncoding, CorpusFaxAndJbig2ImagesShowTheDumpsPixels) {
    if (!HaveCorpus())
        GTEST_SKIP() << "no corpus of real PDFs";
    if (!Have("jbig2dec"))
        GTEST_SKIP() << "jbig2dec is not installed";
    struct Case {
        const char* name;
        const char* password;
        int tiffs; // files kept as .tif, compared
        int jbig2s;
        bool stencils; // the kept files are stencil masks
    } cases[] = {
        // Two Group 3 images without end-of-line codes are decoded.
        {"ccitt-g3-1d-g3-2d-g4.pdf", "", 2, 0, false},
        {"ccitt-g4-pdf11.pdf", "", 1, 0, false},
        {"ccitt-g4-blackis1-2500x3250.pdf", "", 2, 0, false},
        {"ccitt-g4-5100x6600.pdf", "", 2, 0, false},
        {"ccitt-g4-5100x6600-scan.pdf", "", 2, 0, false},
        {"pdf12-ccitt-stencil.pdf", "", 1, 0, true},
        {"scan-govdocs-ccitt-stencil-2400x3232.pdf", "", 6, 0, true},
        {"damaged-govdocs-914-inline-ccitt-dct.pdf", "", 4, 0, true},
        // Its inline fax stencil is decoded.
        {"onebit-stencil-inline-ccitt-mix.pdf", "", 2, 0, false},
        {"jbig2-globals-synthetic.pdf", "", 0, 1, false},
        {"jbig2-generic-mmr.pdf", "", 0, 1, false},
        {"jbig2-halftone.pdf", "", 0, 1, false},
        {"jbig2-symbol-refine.pdf", "", 0, 1, false},
        {"enc-aes128-userpw-jbig2-jpx.pdf", "ELXRTQWS", 0, 1, true},
    };
    for (const Case& c : cases) {
        const std::string pdf = CorpusFiles({c.name})[0];
        TempDir dir;
        const std::vector<std::string> kept = Dump(pdf, dir, "kept", true, c.password);
        const std::vector<std::string> plain = Dump(pdf, dir, "plain", false, c.password);
        ASSERT_EQ(kept.size(), plain.size()) << c.name;
        EXPECT_EQ(CompareKept(dir, kept, plain, "tif", ReadTiff, c.stencils), c.tiffs) << c.name;
        EXPECT_EQ(CompareKept(dir, kept, plain, "jb2", Jbig2Decode, c.stencils), c.jbig2s) << c.name;
    }
}

// JBIG2 data stored with a file header of its own, which the library cannot
// decode: the file made of its segments opens.
TEST(KeptEncoding, Jbig2DataWithAFileHeaderMakesAFileThatOpens) {
    if (!HaveCorpus())
        GTEST_SKIP() << "no corpus of real PDFs";
    if (!Have("jbig2dec"))
        GTEST_SKIP() << "jbig2dec is not installed";
    TempDir dir;
    const std::string pdf = CorpusFiles({"jbig2-embedded-file-header.pdf"})[0];
    ASSERT_EQ(Dump(pdf, dir, "kept", true), std::vector<std::string>{"-000.jb2"});
    const Bitmap decoded = Jbig2Decode(dir / "kept/-000.jb2");
    EXPECT_EQ(decoded.width, 128);
    EXPECT_EQ(decoded.height, 96);
}

namespace {

// The data of every JPEG 2000 stream of the document, under its last filter,
// read through the library's objects.
std::multiset<std::string> StoredJpx(const std::string& pdf, const std::string& password) {
    std::multiset<std::string> stored;
    std::unique_ptr<PDFDoc> document = OpenPdfDocument(pdf, password, password);
    XRef* xref = document->getXRef();
    for (int number = 1; number < xref->getNumObjects(); ++number) {
        const XRefEntry* entry = xref->getEntry(number);
        if (entry->type == xrefEntryFree)
            continue;
        const Object object = xref->fetch(number, entry->type == xrefEntryCompressed ? 0 : entry->gen);
        if (!object.isStream() || object.getStream()->getKind() != strJPX)
            continue;
        Stream* data = object.getStream()->getNextStream();
        data->reset();
        std::string bytes;
        for (int c; (c = data->getChar()) != EOF;)
            bytes += static_cast<char>(c);
        data->close();
        stored.insert(bytes);
    }
    return stored;
}

} // namespace

// Every JPEG 2000 image of the corpus, the encrypted document's too: the
// file holds the stored data, and a decoder opens it at the image's size,
// with the dump's pixels where no colour profile or alpha channel applies.
TEST(KeptEncoding, CorpusJpeg2000ImagesAreTheStoredData) {
    if (!HaveCorpus())
        GTEST_SKIP() << "no corpus of real PDFs";
    if (!Have("convert") || !Have("opj_decompress"))
        GTEST_SKIP() << "ImageMagick or opj_decompress is not installed";
    struct Case {
        const char* name;
        const char* password;
        bool samePixels; // no colour profile, no alpha
    } cases[] = {
        {"jpx-smaskindata.pdf", "", false},   {"jpx-rgb.pdf", "", true},
        {"jpx-icc.pdf", "", false},           {"jpx-no-colorspace.pdf", "", true},
        {"jpx-in-annotation-stamp.pdf", "", true}, {"jpx-2717x3701-pdf13.pdf", "", true},
        {"enc-aes128-userpw-jbig2-jpx.pdf", "ELXRTQWS", true},
    };
    for (const Case& c : cases) {
        const std::string pdf = CorpusFiles({c.name})[0];
        TempDir dir;
        const std::vector<std::string> kept = Dump(pdf, dir, "kept", true, c.password);
        const std::vector<std::string> plain = Dump(pdf, dir, "plain", false, c.password);
        std::multiset<std::string> written;
        for (const std::string& file : kept) {
            if (Extension(file) != "jp2" && Extension(file) != "j2k")
                continue;
            written.insert(ReadFile(dir / ("kept/" + file)));
            const std::string decoded = dir / (Stem(file) + ".tif");
            Shell("opj_decompress -i '" + dir / ("kept/" + file) + "' -o '" + decoded + "' >/dev/null 2>&1");
            const std::string twin = dir / ("plain/" + Stem(file) + ".ppm");
            auto size = [](const std::string& path) { return Shell("identify -format '%w %h' '" + path + "' 2>/dev/null"); };
            EXPECT_FALSE(size(decoded).empty()) << c.name << " " << file << ": the decoder did not open it";
            EXPECT_EQ(size(decoded), size(twin)) << c.name << " " << file;
            auto rgb = [](const std::string& path) {
                return Shell("convert '" + path + "' -depth 8 rgb:- 2>/dev/null | md5sum");
            };
            const std::string nothing = Shell("printf '' | md5sum");
            if (c.samePixels)
                EXPECT_NE(rgb(decoded), nothing) << c.name << " " << file;
            if (c.samePixels)
                EXPECT_EQ(rgb(decoded), rgb(twin))
                    << c.name << " " << file;
        }
        EXPECT_FALSE(written.empty()) << c.name;
        // Every file is the data of a stream; a stream no page draws (a
        // thumbnail) has no file.
        const std::multiset<std::string> stored = StoredJpx(pdf, c.password);
        EXPECT_TRUE(std::includes(stored.begin(), stored.end(), written.begin(), written.end())) << c.name;
    }
}

namespace {

// A dump device that keeps stored encodings and remembers each image's fate.
class KeepingDumpDev : public ImageDumpDev {
public:
    KeepingDumpDev(const std::string& root, int masks) : ImageDumpDev(root, true, nullptr, masks) {
        KeepStoredEncodings(true);
    }
    std::vector<ImageFate> fates;

protected:
    void Settled(const ImageFate& fate) override { fates.push_back(fate); }
};

unsigned char Shade(int x, int y, int c) { return static_cast<unsigned char>(x * 13 + y * 7 + c * 50); }

} // namespace

// JPEG data the dump decodes otherwise (gray, CMYK, inline) is kept as
// stored, CMYK noted; a mask goes beside the image, the alpha not applied.
TEST(KeptEncoding, JpegDataIsKeptAsStoredAndMasksGoBeside) {
    TempDir dir;
    const std::string gray = MakeJpeg(16, 8, 1, Shade);
    const std::string cmyk = MakeJpeg(16, 8, 4, Shade);
    const std::string inlineJpeg = MakeJpeg(8, 4, 1, Shade);
    PdfWriter pdf;
    const int mask = pdf.AddFlateImage("/Width 16 /Height 8 /ColorSpace /DeviceGray /BitsPerComponent 8",
                                       std::string(16 * 8, '\x80'));
    const int grayImage = pdf.AddImage({"/Width 16 /Height 8 /ColorSpace /DeviceGray /BitsPerComponent 8 /SMask " +
                                            std::to_string(mask) + " 0 R",
                                        gray, "/DCTDecode"});
    const int cmykImage =
        pdf.AddImage({"/Width 16 /Height 8 /ColorSpace /DeviceCMYK /BitsPerComponent 8", cmyk, "/DCTDecode"});
    const int after = pdf.AddFlateImage("/Width 4 /Height 2 /ColorSpace /DeviceRGB /BitsPerComponent 8",
                                        std::string(4 * 2 * 3, '\x40'));
    PageSpec page{{grayImage, cmykImage, after}};
    // The content goes on after the inline image's data: the image drawn after it is written too.
    page.extraContent = InlineImage("/W 8 /H 4 /CS /G /BPC 8 /F /DCT", inlineJpeg) + "q 10 0 0 10 0 0 cm /Im2 Do Q\n";
    pdf.AddPage(page);
    WriteFile(dir / "doc.pdf", pdf.Build());
    mkdir((dir / "out").c_str(), 0777);
    KeepingDumpDev device(dir / "out/", MASKS_ALPHA);
    std::unique_ptr<PDFDoc> document = OpenPdfDocument(dir / "doc.pdf");
    ASSERT_TRUE(document->isOk());
    document->displayPage(&device, 1, 72, 72, 0, false, false, false);

    EXPECT_EQ(ListFiles(dir / "out"),
              (std::vector<std::string>{"-000.jpg", "-000.mask.pgm", "-001.jpg", "-002.ppm", "-003.jpg", "-004.ppm"}));
    EXPECT_EQ(ReadFile(dir / "out/-000.jpg"), gray);
    EXPECT_EQ(ReadFile(dir / "out/-001.jpg"), cmyk);
    EXPECT_EQ(ReadFile(dir / "out/-003.jpg"), inlineJpeg);
    EXPECT_EQ(device.ImagesKeptStored(), 3);
    ASSERT_EQ(device.fates.size(), 5u);
    EXPECT_EQ(device.fates[0].note, "its mask is written beside it: the alpha was not applied");
    EXPECT_EQ(device.fates[1].note, "CMYK, stored inverted"); // the writer adds the Adobe segment
    EXPECT_EQ(device.fates[2].keptAs, "");
    EXPECT_EQ(device.fates[3].keptAs, "jpg");
}
