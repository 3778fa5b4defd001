// Conversion speed against ImageMagick.
//
// For each output format, converts a set of PPM, PGM and PBM files (a 24-bit
// 3000 x 2000 photograph-like picture, a 2000 x 1500 gray picture, two 1-bit
// 2550 x 3300 scans, and 200 small 64 x 64 pictures) with the conversion pass,
// then with ImageMagick's mogrify on the same files in the same run, and
// prints both times and their ratio. Then times vellumin-cli -f png end to end
// on the largest PDF of the corpus.
//
// usage: convert_bench [corpus-dir]
#include "engine/dump/format_conversion.h"
#include "tests/support/test_support.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

double Seconds(const std::function<void()>& work) {
    auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::string Pnm(const char* magic, int width, int height, const std::function<void(std::string&, int, int)>& pixel) {
    std::string out = std::string(magic) + "\n" + std::to_string(width) + " " + std::to_string(height) + "\n";
    if (std::string(magic) != "P4")
        out += "255\n";
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixel(out, x, y);
    return out;
}

std::string Photo(int width, int height, unsigned seed) {
    std::mt19937 random(seed);
    return Pnm("P6", width, height, [&](std::string& out, int x, int y) {
        double r = 128 + 100 * std::sin(x * 0.01 + y * 0.003), g = 128 + 90 * std::cos(y * 0.008),
               b = 128 + 80 * std::sin((x + y) * 0.005);
        int noise = static_cast<int>(random() % 9) - 4;
        for (double v : {r, g, b})
            out += static_cast<char>(std::clamp(static_cast<int>(v) + noise, 0, 255));
    });
}

std::string Scan(int width, int height) {
    std::string out = "P4\n" + std::to_string(width) + " " + std::to_string(height) + "\n";
    const int rowBytes = (width + 7) / 8;
    for (int y = 0; y < height; ++y)
        for (int b = 0; b < rowBytes; ++b) // lines of text: short dark runs on white
            out += static_cast<char>((y % 40 < 12 && (b * 7 + y) % 5 < 2) ? 0x3C : 0x00);
    return out;
}

// The input set, written into dir.
std::vector<std::string> WriteInputs(const std::string& dir) {
    std::vector<std::pair<std::string, std::string>> files = {
        {"photo.ppm", Photo(3000, 2000, 1)},
        {"gray.pgm", Pnm("P5", 2000, 1500, [](std::string& out, int x, int y) { out += static_cast<char>((x ^ y) & 0xFF); })},
        {"scan1.pbm", Scan(2550, 3300)},
        {"scan2.pbm", Scan(2550, 3300)},
    };
    for (int i = 0; i < 200; ++i)
        files.push_back({"small" + std::to_string(i) + ".ppm", Photo(64, 64, 100 + i)});
    std::vector<std::string> names;
    for (auto& [name, content] : files) {
        testing_support::WriteFile(dir + "/" + name, content);
        names.push_back(name);
    }
    return names;
}

void CopyAll(const std::string& from, const std::string& to) {
    fs::create_directories(to);
    for (auto& entry : fs::directory_iterator(from))
        fs::copy_file(entry.path(), to + "/" + entry.path().filename().string());
}

} // namespace

int main(int argc, char** argv) {
    std::string corpus = argc > 1 ? argv[1] : testing_support::CorpusDir();
    testing_support::TempDir work;
    const std::string inputs = work / "inputs";
    fs::create_directories(inputs);
    WriteInputs(inputs);
    const bool haveMagick = std::system("command -v /usr/bin/mogrify > /dev/null") == 0;

    std::printf("%-6s %12s %12s %8s\n", "format", "vellumin s", "magick s", "ratio");
    // Every format the pass converts to: all but the raw dump; each label is its files' extension.
    for (int format = OUTPUT_PPM_PBM + 1; format < OUTPUT_FORMAT_COUNT; ++format) {
        const std::string extension = OutputFormatLabel(format);
        const std::string ours = work / ("ours-" + extension);
        CopyAll(inputs, ours);
        ConvertSettings settings;
        settings.imagesFormat = format;
        double vellumin = Seconds([&] { ConvertDirectory(ours, settings); });

        double magick = NAN;
        if (haveMagick) {
            // ImageMagick gets the files the pass converted (TGA and JPEG take no 1-bit images).
            std::string converted;
            for (auto& entry : fs::directory_iterator(ours))
                if (entry.path().extension() == "." + extension)
                    for (const char* source : {".ppm", ".pgm", ".pbm"})
                        if (fs::exists(inputs + "/" + entry.path().stem().string() + source))
                            converted += " " + inputs + "/" + entry.path().stem().string() + source;
            const std::string theirs = work / ("magick-" + extension);
            fs::create_directories(theirs);
            std::string command = "/usr/bin/mogrify -quality 70 -path " + theirs + " -format " + extension +
                                  converted + " 2> /dev/null";
            magick = Seconds([&] { (void)std::system(command.c_str()); });
        }
        std::printf("%-6s %12.3f %12.3f %8.2f\n", extension.c_str(), vellumin, magick, vellumin / magick);
    }

    std::string largest;
    std::error_code missing;
    for (auto& entry : fs::directory_iterator(corpus, missing))
        if (entry.path().extension() == ".pdf" && (largest.empty() || entry.file_size() > fs::file_size(largest)))
            largest = entry.path().string();
    const std::string cli = fs::path(argv[0]).parent_path().string() + "/../cli/vellumin-cli";
    if (!largest.empty() && fs::exists(cli)) {
        std::string command = cli + " -f png -o " + work / "cli" + " " + largest + " > /dev/null";
        double seconds = Seconds([&] { (void)std::system(command.c_str()); });
        std::printf("vellumin-cli -f png %s: %.3f s\n", fs::path(largest).filename().c_str(), seconds);
    }
    return 0;
}
