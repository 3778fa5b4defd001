#include "tests/support/sample_document.h"

#include "tests/support/pdf_writer.h"

namespace testpdf {

std::string SampleDocument() {
    PdfWriter pdf("1.4");
    const int w = 48, h = 32;
    auto gradient = [](int x, int y, int c) -> unsigned char { return static_cast<unsigned char>((x * 5 + y * 7 + c * 80) & 0xFF); };
    auto plain = [&](int x, int y, int c) -> unsigned { return gradient(x, y, c); };

    const std::string size = "/Width " + std::to_string(w) + " /Height " + std::to_string(h);
    int rgbJpeg = pdf.AddImage({size + " /ColorSpace /DeviceRGB /BitsPerComponent 8", MakeJpeg(w, h, 3, gradient), "/DCTDecode"});
    int grayJpeg = pdf.AddImage({size + " /ColorSpace /DeviceGray /BitsPerComponent 8", MakeJpeg(w, h, 1, gradient), "/DCTDecode"});
    int cmykJpeg = pdf.AddImage({size + " /ColorSpace /DeviceCMYK /BitsPerComponent 8", MakeJpeg(w, h, 4, gradient), "/DCTDecode"});
    int rgb = pdf.AddFlateImage(size + " /ColorSpace /DeviceRGB /BitsPerComponent 8", PackSamples(w, h, 3, 8, plain));
    int gray = pdf.AddFlateImage(size + " /ColorSpace /DeviceGray /BitsPerComponent 8", PackSamples(w, h, 1, 8, plain));
    int indexed = pdf.AddFlateImage(size + " /ColorSpace [/Indexed /DeviceRGB 3 <FF000000FF000000FFFFFF00>] /BitsPerComponent 2",
                                    PackSamples(w, h, 1, 2, [](int x, int y, int) { return unsigned((x / 8 + y / 8) % 4); }));
    auto checker = [](int x, int y, int) { return unsigned(((x / 4) + (y / 4)) % 2); };
    int oneBit = pdf.AddFlateImage(size + " /ColorSpace /DeviceGray /BitsPerComponent 1", PackSamples(w, h, 1, 1, checker));
    int stencil = pdf.AddFlateImage(size + " /ImageMask true", PackSamples(w, h, 1, 1, checker));
    int softMask = pdf.AddFlateImage(size + " /ColorSpace /DeviceGray /BitsPerComponent 8", PackSamples(w, h, 1, 8, plain));
    int masked = pdf.AddFlateImage(size + " /ColorSpace /DeviceRGB /BitsPerComponent 8 /SMask " + std::to_string(softMask) + " 0 R",
                                   PackSamples(w, h, 3, 8, plain));
    std::string inlineImage = InlineImage("/W 4 /H 2 /BPC 8 /CS /RGB", PackSamples(4, 2, 3, 8, plain));

    pdf.AddPage({{rgbJpeg, grayJpeg, cmykJpeg, rgb, gray, indexed, oneBit, stencil, masked}, inlineImage});
    pdf.AddPage({{rgbJpeg}});
    return pdf.Build();
}

} // namespace testpdf
