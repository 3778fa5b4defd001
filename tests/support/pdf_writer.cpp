#include "tests/support/pdf_writer.h"

#include <cstdio>
#include <fstream>
#include <jpeglib.h>
#include <zlib.h>

namespace testpdf {

std::string Deflate(const std::string& data) {
    uLongf size = compressBound(data.size());
    std::string out(size, '\0');
    compress2(reinterpret_cast<Bytef*>(&out[0]), &size, reinterpret_cast<const Bytef*>(data.data()), data.size(),
              6);
    out.resize(size);
    return out;
}

std::string MakeJpeg(int width, int height, int components,
                     const std::function<unsigned char(int, int, int)>& pixel, int quality, bool adobeMarker) {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = width;
    cinfo.image_height = height;
    cinfo.input_components = components;
    cinfo.in_color_space = components == 1 ? JCS_GRAYSCALE : components == 3 ? JCS_RGB : JCS_CMYK;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    if (!adobeMarker)
        cinfo.write_Adobe_marker = FALSE;
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<unsigned char> row(static_cast<size_t>(width) * components);
    while (cinfo.next_scanline < cinfo.image_height) {
        int y = static_cast<int>(cinfo.next_scanline);
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < components; ++c)
                row[x * components + c] = pixel(x, y, c);
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    std::string out(reinterpret_cast<char*>(buffer), size);
    jpeg_destroy_compress(&cinfo);
    free(buffer);
    return out;
}

std::string PackSamples(int width, int height, int components, int bits,
                        const std::function<unsigned(int, int, int)>& sample) {
    std::string out;
    for (int y = 0; y < height; ++y) {
        unsigned long long buffer = 0;
        int held = 0;
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < components; ++c) {
                buffer = (buffer << bits) | (sample(x, y, c) & ((1u << bits) - 1));
                held += bits;
                while (held >= 8) {
                    out += static_cast<char>((buffer >> (held - 8)) & 0xFF);
                    held -= 8;
                }
            }
        if (held > 0)
            out += static_cast<char>((buffer << (8 - held)) & 0xFF);
    }
    return out;
}

int PdfWriter::AddObject(const std::string& body) {
    objects_.push_back(body);
    return static_cast<int>(objects_.size());
}

int PdfWriter::AddImage(const ImageSpec& image) {
    std::string dictionary = "<< /Type /XObject /Subtype /Image " + image.dictionary;
    if (!image.filter.empty())
        dictionary += " /Filter " + image.filter;
    dictionary += " /Length " + std::to_string(image.data.size()) + " >>\nstream\n" + image.data + "\nendstream";
    return AddObject(dictionary);
}

int PdfWriter::AddFlateImage(const std::string& dictionary, const std::string& data) {
    return AddImage({dictionary, Deflate(data), "/FlateDecode"});
}

void PdfWriter::AddPage(const PageSpec& page) { pages_.push_back(page); }

std::string InlineImage(const std::string& entries, const std::string& data) {
    return "q 10 0 0 10 0 0 cm BI " + entries + " ID " + data + "\nEI Q\n";
}

std::string PdfWriter::Build() const {
    // Objects as added, then per page a content stream and a page object, then
    // the page tree and the catalog.
    std::vector<std::string> all = objects_;
    const int first = static_cast<int>(all.size()) + 1;
    const int pagesObject = first + 2 * static_cast<int>(pages_.size());
    std::string kids;
    for (size_t i = 0; i < pages_.size(); ++i) {
        const PageSpec& page = pages_[i];
        std::string content, resources;
        for (size_t k = 0; k < page.images.size(); ++k) {
            content += "q 100 0 0 100 0 0 cm /Im" + std::to_string(k) + " Do Q\n";
            resources += "/Im" + std::to_string(k) + " " + std::to_string(page.images[k]) + " 0 R ";
        }
        content += page.extraContent;
        all.push_back("<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "\nendstream");
        std::string pageObject = "<< /Type /Page /Parent " + std::to_string(pagesObject) + " 0 R /MediaBox " +
                                 page.mediaBox;
        if (!page.cropBox.empty())
            pageObject += " /CropBox " + page.cropBox;
        pageObject += " /Resources << /XObject << " + resources + ">> " + page.extraResources + " >> /Contents " +
                      (page.contents.empty() ? std::to_string(first + 2 * static_cast<int>(i)) + " 0 R"
                                             : page.contents) +
                      " " + page.extraEntries + ">>";
        all.push_back(pageObject);
        kids += std::to_string(first + 2 * static_cast<int>(i) + 1) + " 0 R ";
    }
    all.push_back("<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(pages_.size()) + " >>");
    all.push_back("<< /Type /Catalog /Pages " + std::to_string(pagesObject) + " 0 R >>");

    std::string out = "%PDF-" + version_ + "\n%\xE2\xE3\xCF\xD3\n";
    std::vector<size_t> offsets;
    for (size_t i = 0; i < all.size(); ++i) {
        offsets.push_back(out.size());
        out += std::to_string(i + 1) + " 0 obj\n" + all[i] + "\nendobj\n";
    }
    size_t xref = out.size();
    out += "xref\n0 " + std::to_string(all.size() + 1) + "\n0000000000 65535 f \n";
    for (size_t offset : offsets) {
        char line[21];
        std::snprintf(line, sizeof line, "%010zu 00000 n \n", offset);
        out += line;
    }
    out += "trailer\n<< /Size " + std::to_string(all.size() + 1) + " /Root " + std::to_string(all.size()) +
           " 0 R >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
    return out;
}

bool PdfWriter::Save(const std::string& path) const {
    std::ofstream out(path, std::ios::binary);
    out << Build();
    return static_cast<bool>(out);
}

} // namespace testpdf
