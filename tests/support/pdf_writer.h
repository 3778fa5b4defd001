#pragma once
// A small PDF writer for test fixtures: image XObjects (raw, Flate or DCT
// data), inline images, pages with media and crop boxes, a chosen version.
#include <functional>
#include <string>
#include <vector>

namespace testpdf {

// zlib-compressed bytes.
std::string Deflate(const std::string& data);

// Baseline JPEG data of a width x height image with 1 (gray), 3 (RGB) or 4
// (CMYK) components; pixel(x, y, c) gives each sample. CMYK data gets an
// Adobe APP14 marker unless adobeMarker is false.
std::string MakeJpeg(int width, int height, int components,
                     const std::function<unsigned char(int, int, int)>& pixel, int quality = 90,
                     bool adobeMarker = true);

// Raw samples, row by row, each row padded to whole bytes.
std::string PackSamples(int width, int height, int components, int bits,
                        const std::function<unsigned(int, int, int)>& sample);

struct ImageSpec {
    std::string dictionary; // entries besides /Type /Subtype /Length /Filter, e.g. "/Width 2 /Height 2 ..."
    std::string data;       // the stream's bytes as stored
    std::string filter;     // "" (none), "/FlateDecode", "/DCTDecode"...
};

struct PageSpec {
    std::vector<int> images; // image object numbers, drawn in this order
    std::string extraContent; // appended to the content stream (e.g. an inline image)
    std::string mediaBox = "[0 0 612 792]";
    std::string cropBox;      // empty: none
    std::string extraResources; // entries appended to the page's resources (e.g. "/Pattern << ... >>")
    std::string extraEntries;   // entries appended to the page object (e.g. "/Annots [...]")
    std::string contents;       // empty: the content made of the above; else the page's /Contents (e.g. "[7 0 R 8 0 R]")
};

class PdfWriter {
public:
    explicit PdfWriter(std::string version = "1.4") : version_(std::move(version)) {}

    // Adds an object and returns its number; body is what goes between
    // "n 0 obj" and "endobj".
    int AddObject(const std::string& body);
    int AddImage(const ImageSpec& image);
    // Compresses data with Flate and adds the image.
    int AddFlateImage(const std::string& dictionary, const std::string& data);
    void AddPage(const PageSpec& page);

    std::string Build() const;
    // Writes the file; false when it cannot be written.
    bool Save(const std::string& path) const;

private:
    std::string version_;
    std::vector<std::string> objects_; // object n is objects_[n - 1]
    std::vector<PageSpec> pages_;
};

// An inline image for PageSpec::extraContent, drawn at the origin.
std::string InlineImage(const std::string& entries, const std::string& data);

} // namespace testpdf
