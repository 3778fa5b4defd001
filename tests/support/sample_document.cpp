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

// A page that draws an image, then a form which draws another form many
// times: a few kilobytes that keep the PDF library busy for a long while.
std::string DamagedImageDocument() {
    PdfWriter pdf;
    const int damaged = pdf.AddImage({"/Width 64 /Height 64 /ColorSpace /DeviceRGB /BitsPerComponent 8",
                                      "these bytes are no JPEG data at all", "/DCTDecode"});
    const int gray = pdf.AddImage({"/Width 2 /Height 1 /ColorSpace /DeviceGray /BitsPerComponent 8", "ab", ""});
    pdf.AddPage({{damaged, gray}});
    pdf.AddPage({{damaged}});
    return pdf.Build();
}

namespace {

std::string FlateImageDocument(const std::string& entries, const std::string& data) {
    PdfWriter pdf;
    pdf.AddPage({{pdf.AddImage(
        {"/Width 4 /Height 4 /ColorSpace /DeviceGray /BitsPerComponent 8 " + entries, data, "/FlateDecode"})}});
    return pdf.Build();
}

} // namespace

std::string DamagedFlateDocument(int images) {
    PdfWriter pdf;
    PageSpec page;
    for (int i = 0; i < images; ++i)
        page.images.push_back(pdf.AddImage({"/Width 4 /Height 4 /ColorSpace /DeviceGray /BitsPerComponent 8",
                                            "these bytes are no Flate data", "/FlateDecode"}));
    pdf.AddPage(page);
    return pdf.Build();
}

std::string HugePredictorRowDocument() {
    return FlateImageDocument("/DecodeParms << /Predictor 12 /Columns 200000000 >>", Deflate(std::string(20, '\0')));
}

std::string SlowDocument(int pages) {
    std::string inner, outer;
    for (int i = 0; i < 10000; ++i)
        inner += "1 0 0 1 0 0 cm ";
    for (int i = 0; i < 20000; ++i)
        outer += "/A Do ";
    PdfWriter pdf;
    auto form = [](const std::string& resources, const std::string& content) {
        const std::string data = Deflate(content);
        return "<< /Type /XObject /Subtype /Form /BBox [0 0 10 10] " + resources + " /Filter /FlateDecode /Length " +
               std::to_string(data.size()) + " >>\nstream\n" + data + "\nendstream";
    };
    const int a = pdf.AddObject(form("", inner));
    PageSpec page;
    page.images = {pdf.AddImage({"/Width 2 /Height 1 /ColorSpace /DeviceGray /BitsPerComponent 8", "ab", ""}),
                   pdf.AddObject(form("/Resources << /XObject << /A " + std::to_string(a) + " 0 R >> >>", outer))};
    for (int p = 0; p < pages; ++p)
        pdf.AddPage(page);
    return pdf.Build();
}

} // namespace testpdf
