// Extraction speed against the engine's own floor.
//
// For a generated 200-page PDF with a mix of image kinds and for the three
// largest manuals of the corpus (the documents its MANIFEST.tsv says come
// from a Debian package's documentation), or the PDFs given, prints images
// per second and MB of image data written per second for the raw dump (ppm)
// as the command line runs it on one document (pages side by side on every
// processor), the same on one thread, and the default mode (JPEG
// pass-through), and the ratio of each time to the floor: a device that
// only decodes every image's rows through the PDF library's own streams, on
// one thread, from a document the library opens and reads itself, and
// throws them away. They are measured in turn within each run, and each
// figure is the best of the runs.
//
// usage: extract_bench [corpus-dir] [runs] [output-parent-dir] [PDF...]
// (the output goes to a temporary folder under output-parent-dir, default the
// system's temporary folder; /dev/shm shows the figures without disk costs)
#include "engine/dump/image_dump_dev.h"
#include "engine/run/page_rendering.h"
#include "engine/pdf/pdf_engine.h"
#include "tests/support/pdf_writer.h"
#include "tests/support/test_support.h"

#include <GfxState.h>
#include <PDFDoc.h>
#include <Stream.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sched.h>
#include <sstream>

namespace fs = std::filesystem;

namespace {

// Sees exactly the images the dump device sees, and decodes them only.
class DecodeFloorDev : public ImageDumpDev {
public:
    DecodeFloorDev() : ImageDumpDev("", false) {}
    long long images = 0;

    void drawImageMask(GfxState*, Object*, Stream* str, int width, int height, bool, bool, bool) override {
        ++images;
        str->reset();
        Drain(str, (static_cast<long long>(width) + 7) / 8 * height);
        str->close();
    }
    void drawImage(GfxState*, Object*, Stream* str, int width, int height, GfxImageColorMap* map, bool,
                   const int*, bool) override {
        ++images;
        ImageStream rows(str, width, map->getNumPixelComps(), map->getBits());
        rows.reset();
        for (int y = 0; y < height; ++y)
            rows.getLine();
        rows.close();
    }

private:
    static void Drain(Stream* str, long long bytes) {
        unsigned char block[65536];
        while (bytes > 0) {
            int got = str->doGetChars(static_cast<int>(std::min<long long>(bytes, sizeof block)), block);
            if (got <= 0)
                break;
            bytes -= got;
        }
    }
};

double Seconds(const std::function<void()>& work) {
    auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

class NoProgress : public ProgressSink {
public:
    void SetTotal(const std::string&, int) override {}
    void SetCurrent(const std::string&, int) override {}
};

int Processors() {
    cpu_set_t set;
    return sched_getaffinity(0, sizeof set, &set) == 0 ? std::max(1, CPU_COUNT(&set)) : 1;
}

void RenderAll(PDFDoc& document, OutputDev& device) {
    for (int page = 1; page <= document.getNumPages(); ++page)
        document.displayPage(&device, page, 72, 72, 0, false, false, false);
}

long long BytesIn(const std::string& dir) {
    long long total = 0;
    for (auto& entry : fs::directory_iterator(dir))
        total += static_cast<long long>(entry.file_size());
    return total;
}

std::string MixedDocument(int pages) {
    using namespace testpdf;
    PdfWriter pdf("1.5");
    std::mt19937 random(1);
    auto noisy = [&random](int x, int y, int c) -> unsigned char {
        return static_cast<unsigned char>(x / 2 + y / 3 + c * 60 + random() % 24);
    };
    auto sample = [&](int x, int y, int c) -> unsigned { return noisy(x, y, c); };
    std::vector<std::vector<int>> kinds;
    for (int variant = 0; variant < 10; ++variant) {
        std::vector<int> page;
        page.push_back(pdf.AddImage({"/Width 640 /Height 480 /ColorSpace /DeviceRGB /BitsPerComponent 8",
                                     MakeJpeg(640, 480, 3, noisy, 85), "/DCTDecode"}));
        page.push_back(pdf.AddImage({"/Width 400 /Height 300 /ColorSpace /DeviceGray /BitsPerComponent 8",
                                     MakeJpeg(400, 300, 1, noisy, 85), "/DCTDecode"}));
        page.push_back(pdf.AddFlateImage("/Width 400 /Height 300 /ColorSpace /DeviceRGB /BitsPerComponent 8",
                                         PackSamples(400, 300, 3, 8, sample)));
        page.push_back(pdf.AddFlateImage("/Width 400 /Height 300 /ColorSpace /DeviceGray /BitsPerComponent 8",
                                         PackSamples(400, 300, 1, 8, sample)));
        page.push_back(pdf.AddFlateImage(
            "/Width 300 /Height 300 /ColorSpace [/Indexed /DeviceRGB 1 <00000000FF00>] /BitsPerComponent 8",
            PackSamples(300, 300, 1, 8, [](int x, int y, int) { return unsigned((x / 30 + y / 30) % 2); })));
        page.push_back(pdf.AddFlateImage("/Width 1200 /Height 1600 /ColorSpace /DeviceGray /BitsPerComponent 1",
                                         PackSamples(1200, 1600, 1, 1, [](int x, int y, int) { return unsigned((x * y) % 7 == 0); })));
        page.push_back(pdf.AddFlateImage("/Width 600 /Height 200 /ImageMask true",
                                         PackSamples(600, 200, 1, 1, [](int x, int y, int) { return unsigned((x + y) % 5 == 0); })));
        kinds.push_back(page);
    }
    for (int p = 0; p < pages; ++p) {
        PageSpec page;
        page.images = kinds[p % kinds.size()];
        pdf.AddPage(page);
    }
    return pdf.Build();
}

struct Measure {
    double seconds = 1e9;
    long long images = 0;
    long long bytes = 0;
};

void Report(const char* label, const Measure& m, double floorSeconds) {
    std::printf("  %-24s %8.3f s  %8.1f images/s  %8.1f MB/s  ratio to floor %.3f\n", label, m.seconds,
                m.images / m.seconds, m.bytes / 1e6 / m.seconds, m.seconds / floorSeconds);
}

void BenchFile(const std::string& path, int runs, const std::string& outputParent) {
    std::unique_ptr<PDFDoc> document = OpenPdfDocument(path);
    // The floor's document is opened as the library opens one by itself.
    PreparePdfEngine();
    PDFDoc libraryDocument(std::make_unique<GooString>(path));
    if (!document->isOk() || !libraryDocument.isOk()) {
        std::printf("%s: not a valid PDF\n", path.c_str());
        return;
    }
    const int threads = Processors();
    std::printf("%s (%d pages, %.1f MB)\n", path.c_str(), document->getNumPages(), fs::file_size(path) / 1e6);
    Measure floor, floorInMemory, raw, rawOneThread, passThrough;
    for (int run = 0; run < runs; ++run) {
        DecodeFloorDev floorDev;
        floor.seconds = std::min(floor.seconds, Seconds([&] { RenderAll(libraryDocument, floorDev); }));
        floor.images = floorDev.images;
        // A document of its own: the engine's drawing below keeps its fonts'
        // streams inflated in the document it draws.
        DecodeFloorDev inMemoryDev;
        std::unique_ptr<PDFDoc> inMemory = OpenPdfDocument(path);
        floorInMemory.seconds = std::min(floorInMemory.seconds, Seconds([&] { RenderAll(*inMemory, inMemoryDev); }));

        {
            testing_support::TempDir out(outputParent);
            ImageDestination destination{out.path() + "/", false, nullptr, {}};
            NoProgress progress;
            RenderedImages rendered;
            raw.seconds = std::min(raw.seconds, Seconds([&] {
                rendered = RenderPages(*document, path, {}, {}, {1, document->getNumPages()}, destination, progress,
                                       threads);
            }));
            raw.images = rendered.written;
            raw.bytes = BytesIn(out.path());
        }
        for (auto [measure, passJpeg] : {std::pair{&rawOneThread, false}, std::pair{&passThrough, true}}) {
            testing_support::TempDir out(outputParent);
            ImageDumpDev device(out.path() + "/", passJpeg);
            measure->seconds = std::min(measure->seconds, Seconds([&] { RenderAll(*document, device); }));
            measure->images = device.ImagesWritten();
            measure->bytes = BytesIn(out.path());
        }
    }
    std::printf("  %-24s %8.3f s  %8.1f images/s\n", "floor (decode only)", floor.seconds,
                floor.images / floor.seconds);
    // For comparison: the same decoding from the document as the engine
    // holds it in memory.
    std::printf("  %-24s %8.3f s  ratio to floor %.3f\n", "floor, document in memory", floorInMemory.seconds,
                floorInMemory.seconds / floor.seconds);
    const std::string rawLabel = "-f ppm, " + std::to_string(threads) + (threads == 1 ? " thread" : " threads");
    Report(rawLabel.c_str(), raw, floor.seconds);
    Report("-f ppm, one thread", rawOneThread, floor.seconds);
    Report("default (JPEG copied)", passThrough, floor.seconds);
}

// The corpus's manuals, largest first: the documents its manifest says come
// from the documentation folder of a Debian package.
std::vector<fs::path> Manuals(const std::string& corpus) {
    std::vector<fs::path> manuals;
    std::ifstream manifest(corpus + "/MANIFEST.tsv");
    for (std::string line; std::getline(manifest, line);) {
        std::istringstream fields(line);
        std::vector<std::string> field;
        for (std::string value; std::getline(fields, value, '\t');)
            field.push_back(value);
        const fs::path file = fs::path(corpus) / (field.empty() ? "" : field[0]);
        if (field.size() > 5 && field[5].rfind("Debian", 0) == 0 && field[5].find("/usr/share/doc/") != std::string::npos &&
            fs::exists(file))
            manuals.push_back(file);
    }
    std::sort(manuals.begin(), manuals.end(),
              [](const fs::path& a, const fs::path& b) { return fs::file_size(a) > fs::file_size(b); });
    return manuals;
}

} // namespace

int main(int argc, char** argv) {
    std::string corpus = argc > 1 ? argv[1] : testing_support::CorpusDir();
    int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    std::string outputParent = argc > 3 ? argv[3] : fs::temp_directory_path().string();

    testing_support::TempDir work;
    std::string generated = work / "mixed-200-pages.pdf";
    testing_support::WriteFile(generated, MixedDocument(200));
    BenchFile(generated, runs, outputParent);

    std::vector<fs::path> documents(argv + std::min(argc, 4), argv + argc);
    if (documents.empty()) {
        documents = Manuals(corpus);
        documents.resize(std::min<size_t>(documents.size(), 3));
    }
    for (const fs::path& document : documents)
        BenchFile(document.string(), runs, outputParent);
    return 0;
}
