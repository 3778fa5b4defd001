// Each image of a table of small generated documents is dumped and compared,
// pixel by pixel, with the page as the PDF library draws it: one 8x8 image on
// a page of 100 x 100 points, rendered with 8 x 8 page pixels per image pixel
// and each block's mean taken (the library blends the edges of an image drawn
// at its own size; a block's mean is also the coverage that a mask of
// another size gives the image pixel). Colours must agree within 2 per
// channel; an image
// with a mask must agree both over a white page and over a black one, which
// checks its alpha against the coverage the page gives it.
#include "engine/dump/image_dump_dev.h"
#include "engine/pdf/pdf_engine.h"
#include "tests/support/pdf_writer.h"
#include "tests/support/test_support.h"

#include <PDFDoc.h>
#include <SplashOutputDev.h>
#include <splash/SplashBitmap.h>
#include <sys/stat.h>

#include <functional>
#include <gtest/gtest.h>
#include <sstream>

using namespace testpdf;
using testing_support::ListFiles;
using testing_support::ReadFile;
using testing_support::TempDir;
using testing_support::WriteFile;

namespace {

const int kSide = 8;
const int kZoom = 8; // page pixels per image pixel, each way
const double kDpi = 72.0 * kSide * kZoom / 100;

struct Rgba {
    int r, g, b, a;
};
using Pixels = std::vector<Rgba>; // row 0 at the top

// The page drawn on paper of one gray level.
Pixels RenderPage(const std::string& path, unsigned char paper) {
    std::unique_ptr<PDFDoc> document = OpenPdfDocument(path);
    SplashColor colour = {paper, paper, paper};
    SplashOutputDev splash(splashModeRGB8, 1, false, colour);
    splash.startDoc(document.get());
    document->displayPage(&splash, 1, kDpi, kDpi, 0, true, false, false);
    SplashBitmap* bitmap = splash.getBitmap();
    Pixels pixels;
    if (bitmap->getWidth() != kSide * kZoom || bitmap->getHeight() != kSide * kZoom)
        return pixels;
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x) {
            int sum[3] = {};
            for (int dy = 0; dy < kZoom; ++dy)
                for (int dx = 0; dx < kZoom; ++dx) {
                    const unsigned char* p =
                        bitmap->getDataPtr() + (y * kZoom + dy) * bitmap->getRowSize() + 3 * (x * kZoom + dx);
                    for (int c = 0; c < 3; ++c)
                        sum[c] += p[c];
                }
            const int n = kZoom * kZoom;
            pixels.push_back({(sum[0] + n / 2) / n, (sum[1] + n / 2) / n, (sum[2] + n / 2) / n, 255});
        }
    return pixels;
}

// The pixels of a dumped 8x8 PBM (a set bit is black), PPM or PAM file;
// empty when the file is none of these.
Pixels ReadDump(const std::string& file) {
    const struct {
        std::string header;
        int bytesPerPixel; // 0: one bit
    } kinds[] = {
        {"P4\n8 8\n", 0},
        {"P6\n8 8\n255\n", 3},
        {"P7\nWIDTH 8\nHEIGHT 8\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n", 4},
    };
    Pixels pixels;
    for (const auto& kind : kinds) {
        const size_t size = kind.header.size() + (kind.bytesPerPixel ? kind.bytesPerPixel * 64 : 8);
        if (file.size() != size || file.compare(0, kind.header.size(), kind.header) != 0)
            continue;
        const auto* data = reinterpret_cast<const unsigned char*>(file.data()) + kind.header.size();
        for (int i = 0; i < kSide * kSide; ++i) {
            if (kind.bytesPerPixel == 0) {
                const int v = (data[i / 8] >> (7 - i % 8)) & 1 ? 0 : 255;
                pixels.push_back({v, v, v, 255});
            } else {
                const unsigned char* p = data + kind.bytesPerPixel * i;
                pixels.push_back({p[0], p[1], p[2], kind.bytesPerPixel == 4 ? p[3] : 255});
            }
        }
    }
    return pixels;
}

// What a pixel shows over paper of one gray level.
Rgba Over(const Rgba& p, int paper) {
    auto mix = [&](int c) { return static_cast<int>((c * p.a + paper * (255 - p.a)) / 255.0 + 0.5); };
    return {mix(p.r), mix(p.g), mix(p.b), 255};
}

// Samples that take many values and tell the components apart.
unsigned Varied(int x, int y, int c, int bits) {
    return static_cast<unsigned>((x * 37 + y * 91 + c * 53 + x * y * 7) * 2654435761u) >> (32 - bits);
}

std::string Samples(int components, int bits) {
    return PackSamples(kSide, kSide, components, bits, [&](int x, int y, int c) { return Varied(x, y, c, bits); });
}

// Sample 0 or 1 in a pattern that tells every polarity apart, and the two
// constant ones.
unsigned Pattern(int x, int y, int) { return (x + 3 * y) % 5 < 2 ? 1 : 0; }
std::string Bits(unsigned (*bit)(int, int, int)) { return PackSamples(kSide, kSide, 1, 1, bit); }
unsigned Zeros(int, int, int) { return 0; }
unsigned Ones(int, int, int) { return 1; }

// An ICC profile the system ships, or empty.
std::string Profile(const char* name) {
    return ReadFile(std::string("/usr/share/color/icc/ghostscript/") + name);
}

int Stream(PdfWriter& pdf, const std::string& entries, const std::string& data) {
    return pdf.AddObject("<< " + entries + " /Length " + std::to_string(data.size()) + " >>\nstream\n" + data +
                         "\nendstream");
}

const std::string kSize = "/Width 8 /Height 8 ";

enum class Shown {
    Colours,    // the file's pixels are the page's
    Painted,    // a stencil mask: painted pixels are white in the file (where the page shows the fill)
    StoredJpeg, // by design the stored JPEG data, byte for byte, not the page's decoding of it
};

struct Row {
    const char* name;
    // Adds the image (and what it uses) and returns its object number.
    std::function<int(PdfWriter&)> image;
    Shown shown = Shown::Colours;
    const char* profile = nullptr; // a profile the row needs; without it the row is skipped
};

unsigned char RgbJpegPixel(int x, int y, int c) { return static_cast<unsigned char>(Varied(x, y, c, 8)); }

int Image(PdfWriter& pdf, const std::string& entries, const std::string& data, const std::string& filter = "") {
    return pdf.AddImage({kSize + entries, data, filter});
}

std::vector<Row> Table() {
    auto raw = [](const char* name, std::string entries, int components, int bits) {
        return Row{name, [=](PdfWriter& pdf) {
                       return Image(pdf, entries + " /BitsPerComponent " + std::to_string(bits),
                                    Samples(components, bits));
                   }};
    };
    auto cmykJpeg = [](int x, int y, int c) { return static_cast<unsigned char>(Varied(x, y, c, 8)); };
    auto icc = [](const char* name, const char* profile, int components, const char* alternate) {
        return Row{name,
                   [=](PdfWriter& pdf) {
                       const int space = Stream(pdf, "/N " + std::to_string(components) + " /Alternate " + alternate,
                                                Profile(profile));
                       return Image(pdf, "/ColorSpace [/ICCBased " + std::to_string(space) + " 0 R] /BitsPerComponent 8",
                                    Samples(components, 8));
                   },
                   Shown::Colours, profile};
    };
    const std::string rgbPalette = "<" + std::string("FF0000 00FF00 0000FF 808080 FFFF00 00FFFF FF00FF 402010"
                                                     " 102040 C08040 4080C0 80C040 FFFFFF 000000 7F7F00 007F7F") +
                                   ">";
    const std::string cmykPalette = "<00000000 FF000000 00FF0000 0000FF00 000000FF 80402010 10204080 FFFFFFFF"
                                    " 40404040 00FFFF00 FF00FF00 FFFF0000 20000000 00200000 00002000 00000020>";
    auto indexed = [&](const char* name, const std::string& base, const std::string& palette, int bits) {
        return Row{name, [=](PdfWriter& pdf) {
                       // Up to 16 colours, every index of the depth within the table.
                       const int hival = std::min((1 << bits) - 1, 15);
                       const std::string samples = PackSamples(kSide, kSide, 1, bits, [&](int x, int y, int c) {
                           return Varied(x, y, c, bits) % static_cast<unsigned>(hival + 1);
                       });
                       return Image(pdf,
                                    "/ColorSpace [/Indexed " + base + " " + std::to_string(hival) + " " + palette +
                                        "] /BitsPerComponent " + std::to_string(bits),
                                    samples);
                   }};
    };
    std::vector<Row> rows = {
        raw("gray 1 bit", "/ColorSpace /DeviceGray", 1, 1),
        raw("gray 2 bits", "/ColorSpace /DeviceGray", 1, 2),
        raw("gray 4 bits", "/ColorSpace /DeviceGray", 1, 4),
        raw("gray 8 bits", "/ColorSpace /DeviceGray", 1, 8),
        raw("gray 16 bits", "/ColorSpace /DeviceGray", 1, 16),
        raw("RGB 8 bits", "/ColorSpace /DeviceRGB", 3, 8),
        raw("RGB 16 bits", "/ColorSpace /DeviceRGB", 3, 16),
        raw("CMYK 8 bits", "/ColorSpace /DeviceCMYK", 4, 8),
        {"RGB DCT",
         [](PdfWriter& pdf) {
             return Image(pdf, "/ColorSpace /DeviceRGB /BitsPerComponent 8", MakeJpeg(kSide, kSide, 3, RgbJpegPixel),
                          "/DCTDecode");
         },
         Shown::StoredJpeg},
        {"CMYK DCT with an Adobe marker",
         [&](PdfWriter& pdf) {
             return Image(pdf, "/ColorSpace /DeviceCMYK /BitsPerComponent 8", MakeJpeg(kSide, kSide, 4, cmykJpeg),
                          "/DCTDecode");
         }},
        {"CMYK DCT without an Adobe marker",
         [&](PdfWriter& pdf) {
             return Image(pdf, "/ColorSpace /DeviceCMYK /BitsPerComponent 8",
                          MakeJpeg(kSide, kSide, 4, cmykJpeg, 90, false), "/DCTDecode");
         }},
        {"CMYK DCT with an Adobe marker, inverted",
         [&](PdfWriter& pdf) {
             return Image(pdf, "/ColorSpace /DeviceCMYK /BitsPerComponent 8 /Decode [1 0 1 0 1 0 1 0]",
                          MakeJpeg(kSide, kSide, 4, cmykJpeg), "/DCTDecode");
         }},
        indexed("indexed RGB 1 bit", "/DeviceRGB", rgbPalette, 1),
        indexed("indexed RGB 2 bits", "/DeviceRGB", rgbPalette, 2),
        indexed("indexed RGB 4 bits", "/DeviceRGB", rgbPalette, 4),
        indexed("indexed RGB 8 bits", "/DeviceRGB", rgbPalette, 8),
        indexed("indexed CMYK 1 bit", "/DeviceCMYK", cmykPalette, 1),
        indexed("indexed CMYK 2 bits", "/DeviceCMYK", cmykPalette, 2),
        indexed("indexed CMYK 4 bits", "/DeviceCMYK", cmykPalette, 4),
        indexed("indexed CMYK 8 bits", "/DeviceCMYK", cmykPalette, 8),
        raw("Lab", "/ColorSpace [/Lab << /WhitePoint [0.9505 1 1.089] /Range [-100 100 -100 100] >>]", 3, 8),
        icc("ICC gray", "default_gray.icc", 1, "/DeviceGray"),
        icc("ICC RGB", "default_rgb.icc", 3, "/DeviceRGB"),
        icc("ICC CMYK", "default_cmyk.icc", 4, "/DeviceCMYK"),
        raw("Separation",
            "/ColorSpace [/Separation /Spot /DeviceCMYK << /FunctionType 2 /Domain [0 1] /C0 [0 0 0 0] "
            "/C1 [0.1 0.8 0.3 0.05] /N 1 >>]",
            1, 8),
        {"DeviceN",
         [](PdfWriter& pdf) {
             const int function =
                 Stream(pdf, "/FunctionType 4 /Domain [0 1 0 1] /Range [0 1 0 1 0 1 0 1]", "{ 0 0 }");
             return Image(pdf,
                          "/ColorSpace [/DeviceN [/Cyan /Spot] /DeviceCMYK " + std::to_string(function) +
                              " 0 R] /BitsPerComponent 8",
                          Samples(2, 8));
         }},
        raw("gray 8 bits, Decode [1 0]", "/ColorSpace /DeviceGray /Decode [1 0]", 1, 8),
        raw("gray 4 bits, Decode [0.2 0.9]", "/ColorSpace /DeviceGray /Decode [0.2 0.9]", 1, 4),
        {"indexed, Decode [3 0]",
         [&](PdfWriter& pdf) {
             return Image(pdf,
                          "/ColorSpace [/Indexed /DeviceRGB 3 <FF0000 00FF00 0000FF 202020>] /BitsPerComponent 2 "
                          "/Decode [3 0]",
                          Samples(1, 2));
         }},
        // The one-bit rows: a PBM where the two colours are black and white,
        // a PPM through the colour map where they are not.
        {"one bit, Decode [1 0], samples 0",
         [](PdfWriter& pdf) {
             return Image(pdf, "/ColorSpace /DeviceGray /BitsPerComponent 1 /Decode [1 0]", Bits(Zeros));
         }},
        {"one bit, Decode [1 0]",
         [](PdfWriter& pdf) {
             return Image(pdf, "/ColorSpace /DeviceGray /BitsPerComponent 1 /Decode [1 0]", Bits(Pattern));
         }},
        {"one bit, red and blue palette",
         [](PdfWriter& pdf) {
             return Image(pdf, "/ColorSpace [/Indexed /DeviceRGB 1 <FF0000 0000FF>] /BitsPerComponent 1",
                          Bits(Pattern));
         }},
        {"one bit, white and black palette",
         [](PdfWriter& pdf) {
             return Image(pdf, "/ColorSpace [/Indexed /DeviceRGB 1 <FFFFFF 000000>] /BitsPerComponent 1",
                          Bits(Pattern));
         }},
        {"one bit, Separation",
         [](PdfWriter& pdf) {
             return Image(pdf,
                          "/ColorSpace [/Separation /Spot /DeviceRGB << /FunctionType 2 /Domain [0 1] /C0 [1 1 1] "
                          "/C1 [0 0.5 0] /N 1 >>] /BitsPerComponent 1",
                          Bits(Pattern));
         }},
        {"stencil, Decode [1 0], samples 1",
         [](PdfWriter& pdf) { return Image(pdf, "/ImageMask true /Decode [1 0]", Bits(Ones)); }, Shown::Painted},
        {"stencil, samples 0", [](PdfWriter& pdf) { return Image(pdf, "/ImageMask true", Bits(Zeros)); },
         Shown::Painted},
        {"stencil", [](PdfWriter& pdf) { return Image(pdf, "/ImageMask true", Bits(Pattern)); }, Shown::Painted},
        {"stencil, Decode [1 0]",
         [](PdfWriter& pdf) { return Image(pdf, "/ImageMask true /Decode [1 0]", Bits(Pattern)); }, Shown::Painted},
        // Masks, kept as alpha.
        {"soft mask",
         [](PdfWriter& pdf) {
             const int mask = Image(pdf, "/ColorSpace /DeviceGray /BitsPerComponent 8", Samples(1, 8));
             return Image(pdf, "/ColorSpace /DeviceRGB /BitsPerComponent 8 /SMask " + std::to_string(mask) + " 0 R",
                          Samples(3, 8));
         }},
        {"soft mask of another size",
         [](PdfWriter& pdf) {
             const int mask = pdf.AddImage({"/Width 4 /Height 4 /ColorSpace /DeviceGray /BitsPerComponent 8",
                                            PackSamples(4, 4, 1, 8, [](int x, int y, int) { return 85u * ((x + y) % 4); }),
                                            ""});
             return Image(pdf, "/ColorSpace /DeviceRGB /BitsPerComponent 8 /SMask " + std::to_string(mask) + " 0 R",
                          Samples(3, 8));
         }},
        {"soft mask with a Matte",
         [](PdfWriter& pdf) {
             // Colours premultiplied with the matte (0.2 0.4 0.6), as the format stores them.
             const double matte[3] = {0.2, 0.4, 0.6};
             const std::string opacity = Samples(1, 8);
             const std::string colours = PackSamples(kSide, kSide, 3, 8, [&](int x, int y, int c) {
                 const double a = static_cast<unsigned char>(opacity[static_cast<size_t>(y * kSide + x)]) / 255.0;
                 const double colour = Varied(x, y, c, 8) / 255.0;
                 return static_cast<unsigned>((matte[c] + a * (colour - matte[c])) * 255 + 0.5);
             });
             const int mask =
                 Image(pdf, "/ColorSpace /DeviceGray /BitsPerComponent 8 /Matte [0.2 0.4 0.6]", opacity);
             return Image(pdf, "/ColorSpace /DeviceRGB /BitsPerComponent 8 /SMask " + std::to_string(mask) + " 0 R",
                          colours);
         }},
        {"stencil /Mask",
         [](PdfWriter& pdf) {
             const int mask = Image(pdf, "/ImageMask true", Bits(Pattern));
             return Image(pdf, "/ColorSpace /DeviceRGB /BitsPerComponent 8 /Mask " + std::to_string(mask) + " 0 R",
                          Samples(3, 8));
         }},
        {"stencil /Mask, Decode [1 0], twice the size",
         [](PdfWriter& pdf) {
             const int mask = pdf.AddImage({"/Width 16 /Height 16 /ImageMask true /Decode [1 0]",
                                            PackSamples(16, 16, 1, 1, [](int x, int y, int) { return (x / 2 + y / 2) % 3 == 0 ? 1u : 0u; }),
                                            ""});
             return Image(pdf, "/ColorSpace /DeviceRGB /BitsPerComponent 8 /Mask " + std::to_string(mask) + " 0 R",
                          Samples(3, 8));
         }},
        {"colour key",
         [](PdfWriter& pdf) {
             return Image(pdf, "/ColorSpace /DeviceRGB /BitsPerComponent 8 /Mask [0 127 0 255 100 255]",
                          Samples(3, 8));
         }},
        {"colour key on an indexed image",
         [&](PdfWriter& pdf) {
             return Image(pdf,
                          "/ColorSpace [/Indexed /DeviceRGB 3 <FF0000 00FF00 0000FF 202020>] /BitsPerComponent 2 "
                          "/Mask [1 2]",
                          Samples(1, 2));
         }},
        {"DCT image with a soft mask",
         [&](PdfWriter& pdf) {
             const int mask = Image(pdf, "/ColorSpace /DeviceGray /BitsPerComponent 8", Samples(1, 8));
             return Image(pdf, "/ColorSpace /DeviceRGB /BitsPerComponent 8 /SMask " + std::to_string(mask) + " 0 R",
                          MakeJpeg(kSide, kSide, 3, cmykJpeg), "/DCTDecode");
         }},
    };
    return rows;
}

} // namespace

TEST(PageColours, EveryImageMatchesThePageTheLibraryDraws) {
    for (const Row& row : Table()) {
        SCOPED_TRACE(row.name);
        if (row.profile && Profile(row.profile).empty()) {
            std::printf("skipped \"%s\": no %s (package libgs-common)\n", row.name, row.profile);
            continue;
        }
        TempDir dir;
        PdfWriter pdf;
        pdf.AddPage({{row.image(pdf)}, "", "[0 0 100 100]"});
        ASSERT_TRUE(WriteFile(dir / "doc.pdf", pdf.Build()));
        const std::string out = dir / "out";
        mkdir(out.c_str(), 0777);
        {
            // As the conversion to png does: stored JPEG data passed on, masks as alpha.
            ImageDumpDev device(out + "/", true, nullptr, MASKS_ALPHA);
            std::unique_ptr<PDFDoc> document = OpenPdfDocument(dir / "doc.pdf");
            document->displayPage(&device, 1, 72, 72, 0, false, false, false);
        }
        const std::vector<std::string> files = ListFiles(out);
        ASSERT_EQ(files.size(), 1u);
        if (row.shown == Shown::StoredJpeg) {
            EXPECT_EQ(ReadFile(out + "/" + files[0]), MakeJpeg(kSide, kSide, 3, RgbJpegPixel));
            continue;
        }
        const Pixels dumped = ReadDump(ReadFile(out + "/" + files[0]));
        ASSERT_EQ(dumped.size(), 64u) << files[0];
        for (const int paper : {255, 0}) {
            const Pixels page = RenderPage(dir / "doc.pdf", static_cast<unsigned char>(paper));
            ASSERT_EQ(page.size(), 64u);
            for (int i = 0; i < kSide * kSide; ++i) {
                Rgba expected = page[static_cast<size_t>(i)];
                Rgba written = Over(dumped[static_cast<size_t>(i)], paper);
                if (row.shown == Shown::Painted) {
                    // The fill (black) where the mask paints, the paper elsewhere.
                    const bool painted = written.g == 255;
                    const int shown = painted ? 0 : paper;
                    written = {shown, shown, shown, 255};
                }
                EXPECT_NEAR(written.r, expected.r, 2) << "pixel " << i << " over " << paper;
                EXPECT_NEAR(written.g, expected.g, 2) << "pixel " << i << " over " << paper;
                EXPECT_NEAR(written.b, expected.b, 2) << "pixel " << i << " over " << paper;
            }
        }
    }
}
