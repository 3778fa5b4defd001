#include "engine/dump/format_conversion.h"
#include "engine/settings/text_format.h"
#include "platform/file_system.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>

using testing_support::ListFiles;
using testing_support::ReadFile;
using testing_support::TempDir;
using testing_support::WriteFile;

namespace {

// A 24 x 8 PPM of three 8 x 8 blocks whose colours are entries of the
// standard palette, so that even the reduction for GIF keeps every pixel and
// JPEG's subsampled colour stays close.
std::string ColourPpm() {
    const unsigned char colours[3][3] = {{255, 0, 0}, {0, 0, 255}, {128, 128, 128}};
    std::string ppm = "P6\n24 8\n255\n";
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 24; ++x)
            ppm.append(reinterpret_cast<const char*>(colours[x / 8]), 3);
    return ppm;
}

std::string GrayPgm() {
    std::string pgm = "P5\n5 3\n255\n";
    for (int i = 0; i < 15; ++i)
        pgm += static_cast<char>(i * 17);
    return pgm;
}

std::string BitmapPbm() { return std::string("P4\n10 2\n\xA5\x40\x0F\xC0", 12); }

ConvertSettings Settings(int format) {
    ConvertSettings settings;
    settings.imagesFormat = format;
    return settings;
}

// What a shell command prints (standard error included).
std::string Shell(const std::string& command) {
    std::string output;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe)
        return output;
    std::array<char, 256> buffer;
    while (std::fgets(buffer.data(), buffer.size(), pipe))
        output += buffer.data();
    pclose(pipe);
    return output;
}

bool HaveImageMagick() { return Shell("command -v compare").find("compare") != std::string::npos; }
bool HaveNetpbm() { return Shell("command -v pcxtoppm").find("pcxtoppm") != std::string::npos; }

} // namespace

TEST(FormatConversion, ConvertsDumpedFilesAndKeepsCopiedJpegs) {
    TempDir dir;
    WriteFile(dir / "-000.jpg", "stored JPEG data");
    WriteFile(dir / "-001.pbm", BitmapPbm());
    ConversionCounts counts = ConvertDirectory(dir.path(), Settings(OUTPUT_PNG));
    EXPECT_EQ(counts.converted, 1);
    EXPECT_EQ(counts.failed, 0);
    EXPECT_EQ(ListFiles(dir.path()), (std::vector<std::string>{"-000.jpg", "-001.png"}));
    EXPECT_EQ(ReadFile(dir / "-000.jpg"), "stored JPEG data");
}

TEST(FormatConversion, OnlyPnmFilesDirectlyInTheDirectory) {
    TempDir dir;
    WriteFile(dir / "NOTE.PPM", ColourPpm());
    WriteFile(dir / "a.ppm.bak", ColourPpm());
    WriteFile(dir / "gray.pgm", GrayPgm());
    WriteFile(dir / "noextension", ColourPpm());
    mkdir((dir / "sub").c_str(), 0777);
    WriteFile(dir / "sub/inner.ppm", ColourPpm());
    ConvertDirectory(dir.path(), Settings(OUTPUT_BMP));
    EXPECT_EQ(ListFiles(dir.path()), (std::vector<std::string>{"NOTE.bmp", "a.ppm.bak", "gray.bmp", "noextension", "sub"}));
    EXPECT_EQ(ListFiles(dir / "sub"), std::vector<std::string>{"inner.ppm"});
}

// An image kept with its alpha (PAM) is converted like the others; a mask
// written beside its image stays the PGM file it is.
TEST(FormatConversion, ImagesWithAlphaAreConvertedAndMasksBesideThemKept) {
    TempDir dir;
    const std::string pam = "P7\nWIDTH 1\nHEIGHT 1\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n\x10\x20\x30\x40";
    WriteFile(dir / "-000.pam", pam);
    WriteFile(dir / "-001.ppm", ColourPpm());
    WriteFile(dir / "-001.mask.pgm", GrayPgm());
    WriteFile(dir / "-002.MASK.PGM", GrayPgm());
    ConversionCounts counts = ConvertDirectory(dir.path(), Settings(OUTPUT_TGA));
    EXPECT_EQ(counts.converted, 2);
    EXPECT_EQ(ListFiles(dir.path()),
              (std::vector<std::string>{"-000.tga", "-001.mask.pgm", "-001.tga", "-002.MASK.PGM"}));
    EXPECT_EQ(ReadFile(dir / "-001.mask.pgm"), GrayPgm());
    const std::string tga = ReadFile(dir / "-000.tga");
    ASSERT_EQ(tga.size(), 18u + 4);
    EXPECT_EQ(tga[16], 32);                       // bits per pixel
    EXPECT_EQ(tga.substr(18), "\x30\x20\x10\x40"); // blue, green, red, alpha
}

TEST(FormatConversion, InASharedDirectoryOnlyTheDocumentsOwnImages) {
    TempDir dir;
    for (const char* name : {"report-000.ppm", "report-017.pbm", "report-2-000.ppm", "reports-000.ppm", "report-x.ppm",
                             "NOTE.PPM"})
        WriteFile(dir / name, std::string(name).find(".pbm") != std::string::npos ? BitmapPbm() : ColourPpm());
    EXPECT_EQ(ConvertDirectory(dir.path(), Settings(OUTPUT_PNG), "report").converted, 2);
    EXPECT_EQ(ListFiles(dir.path()), (std::vector<std::string>{"NOTE.PPM", "report-000.png", "report-017.png",
                                                              "report-2-000.ppm", "report-x.ppm", "reports-000.ppm"}));
}

TEST(FormatConversion, UnknownFormatsLeaveEverything) {
    TempDir dir;
    WriteFile(dir / "a.ppm", ColourPpm());
    for (int format : {static_cast<int>(OUTPUT_PPM_PBM), 9, -1}) {
        ConversionCounts counts = ConvertDirectory(dir.path(), Settings(format));
        EXPECT_EQ(counts.converted + counts.failed, 0);
        EXPECT_FALSE(ConvertImageFile(format, dir / "a.ppm", Settings(format)));
    }
    EXPECT_EQ(ListFiles(dir.path()), std::vector<std::string>{"a.ppm"});
}

TEST(FormatConversion, SourcesThatCannotBeConvertedAreKept) {
    TempDir dir;
    WriteFile(dir / "broken.ppm", "P6\n100 100\n255\nshort");
    WriteFile(dir / "locked.ppm", ColourPpm());
    mkdir((dir / "locked.tga").c_str(), 0777);  // the target cannot be replaced
    ConversionCounts counts = ConvertDirectory(dir.path(), Settings(OUTPUT_TGA));
    EXPECT_EQ(counts.converted, 0);
    EXPECT_EQ(counts.failed, 2);
    EXPECT_EQ(ListFiles(dir.path()), (std::vector<std::string>{"broken.ppm", "locked.ppm", "locked.tga"}));
    EXPECT_TRUE(platform::DirectoryExists(dir / "locked.tga"));
}

TEST(FormatConversion, GifFilesHaveAtMostEightBits) {
    TempDir dir;
    WriteFile(dir / "a.ppm", ColourPpm());
    WriteFile(dir / "b.pbm", BitmapPbm());
    WriteFile(dir / "c.pgm", GrayPgm());
    EXPECT_EQ(ConvertDirectory(dir.path(), Settings(OUTPUT_GIF)).converted, 3);
    for (const char* name : {"a.gif", "b.gif", "c.gif"}) {
        std::string gif = ReadFile(dir / name);
        ASSERT_GT(gif.size(), 13u) << name;
        EXPECT_EQ(gif.substr(0, 6), "GIF89a");
        EXPECT_EQ(static_cast<uint8_t>(gif[10]) & 0x80, 0x80) << name; // a global table of at most 256 entries
    }
}

TEST(FormatConversion, GrayJpegOutput) {
    if (!HaveImageMagick())
        GTEST_SKIP() << "ImageMagick is not installed";
    TempDir dir;
    WriteFile(dir / "a.ppm", ColourPpm());
    ConvertSettings settings = Settings(OUTPUT_JPG);
    settings.jpegGrayScale = 0;
    settings.jpegQuality = 95;
    ASSERT_TRUE(ConvertImageFile(OUTPUT_JPG, dir / "a.ppm", settings));
    EXPECT_EQ(Shell("identify -format '%[colorspace] %w %h' " + dir / "a.jpg"), "Gray 24 8");
}

// One-bit images become 8-bit gray for the writers that take no one-bit
// images, and keep their one bit elsewhere.
TEST(FormatConversion, OneBitImagesBecomeGrayForJpegAndTga) {
    // The depth each file records: the JPEG frame's component count, the TGA
    // pixel depth, the BMP bit count (the pixels are compared with an
    // independent reader below).
    const struct {
        int format;
        const char* name;
        size_t offset; // of the byte that says the depth
        int expected;
    } cases[] = {{OUTPUT_JPG, "bitmap.jpg", 0, 1}, {OUTPUT_TGA, "bitmap.tga", 16, 8}, {OUTPUT_BMP, "bitmap.bmp", 28, 1}};
    TempDir dir;
    for (const auto& c : cases) {
        WriteFile(dir / "bitmap.pbm", BitmapPbm());
        ASSERT_TRUE(ConvertImageFile(c.format, dir / "bitmap.pbm", Settings(c.format))) << c.name;
        EXPECT_EQ(ListFiles(dir.path()), std::vector<std::string>{c.name});
        const std::string file = ReadFile(dir / c.name);
        size_t at = c.offset;
        if (c.format == OUTPUT_JPG) // components follow the frame marker's length, precision and size
            at = file.find("\xFF\xC0") + 9;
        ASSERT_LT(at, file.size()) << c.name;
        EXPECT_EQ(static_cast<unsigned char>(file[at]), c.expected) << c.name;
        platform::DeleteFile(dir / c.name);
    }
}

// A full disk at any point of a save leaves either the complete target (and
// no source) or the source as it was (and no target, complete or not). The
// child process that converts has a file-size limit, which fails writes as a
// full disk does.
TEST(FormatConversion, AFullDiskNeverLosesTheSourceNorLeavesAPartialTarget) {
    const struct {
        int format;
        const char* extension;
    } targets[] = {{OUTPUT_JPG, "jpg"}, {OUTPUT_BMP, "bmp"}, {OUTPUT_GIF, "gif"}, {OUTPUT_PNG, "png"},
                   {OUTPUT_TIF, "tif"}, {OUTPUT_TGA, "tga"}, {OUTPUT_PCX, "pcx"}};
    const std::string source = ColourPpm();
    for (const auto& target : targets) {
        TempDir reference;
        WriteFile(reference / "a.ppm", source);
        ASSERT_TRUE(ConvertImageFile(target.format, reference / "a.ppm", Settings(target.format)));
        const std::string complete = ReadFile(reference / (std::string("a.") + target.extension));
        for (size_t limit = 0; limit <= complete.size() + 1; limit += std::max<size_t>(1, complete.size() / 40)) {
            TempDir dir;
            WriteFile(dir / "a.ppm", source);
            pid_t child = fork();
            if (child == 0) {
                signal(SIGXFSZ, SIG_IGN);
                rlimit size{limit, limit};
                setrlimit(RLIMIT_FSIZE, &size);
                _exit(ConvertImageFile(target.format, dir / "a.ppm", Settings(target.format)) ? 0 : 1);
            }
            int status = 0;
            waitpid(child, &status, 0);
            const std::string label = std::string(target.extension) + " limit " + std::to_string(limit);
            ASSERT_TRUE(WIFEXITED(status)) << label;
            const std::vector<std::string> files = ListFiles(dir.path());
            if (WEXITSTATUS(status) == 0) {
                EXPECT_EQ(files, std::vector<std::string>{std::string("a.") + target.extension}) << label;
                EXPECT_TRUE(ReadFile(dir / files.front()) == complete) << label;
            } else {
                EXPECT_EQ(files, std::vector<std::string>{"a.ppm"}) << label;
                EXPECT_TRUE(ReadFile(dir / "a.ppm") == source) << label;
            }
        }
    }
}

// Every kind of file the pass writes opens in an independent reader with the
// right size, and, for lossless formats, the same pixels as the source.
// ImageMagick keeps a TGA file's rows in stored order and records the
// orientation, so its picture is auto-oriented first; it reads a set bit of a
// one-bit PCX as black whatever the header's colour map says, so netpbm's
// reader, which follows the map, reads those files.
TEST(FormatConversion, IndependentReaderSeesTheSamePictures) {
    if (!HaveImageMagick() || !HaveNetpbm())
        GTEST_SKIP() << "ImageMagick or netpbm is not installed";
    struct Source {
        const char* name;
        std::string content;
        const char* size;
    } sources[] = {{"colour.ppm", ColourPpm(), "24 8"}, {"gray.pgm", GrayPgm(), "5 3"}, {"bitmap.pbm", BitmapPbm(), "10 2"}};
    struct Target {
        int format;
        const char* extension;
    } targets[] = {{OUTPUT_JPG, "jpg"}, {OUTPUT_BMP, "bmp"}, {OUTPUT_GIF, "gif"}, {OUTPUT_PNG, "png"},
                   {OUTPUT_TIF, "tif"}, {OUTPUT_TGA, "tga"}, {OUTPUT_PCX, "pcx"}};
    TempDir dir;
    for (const Target& target : targets) {
        for (const Source& source : sources) {
            const std::string label = std::string(source.name) + " -> " + target.extension;
            const std::string original = dir / (std::string("original-") + source.name);
            const std::string input = dir / source.name;
            WriteFile(original, source.content);
            WriteFile(input, source.content);
            const bool bitmap = std::string(source.name) == "bitmap.pbm";
            EXPECT_TRUE(ConvertImageFile(target.format, input, Settings(target.format))) << label;
            std::string output = input.substr(0, input.size() - 3) + target.extension;
            EXPECT_EQ(Shell("identify -format '%w %h' " + output), source.size) << label;
            if (target.format == OUTPUT_TGA) {
                Shell("/usr/bin/convert " + output + " -auto-orient " + output + ".png");
                output += ".png";
            } else if (target.format == OUTPUT_PCX && bitmap) {
                Shell("pcxtoppm " + output + " > " + output + ".ppm");
                output += ".ppm";
            }
            const bool lossy = target.format == OUTPUT_JPG ||
                               (target.format == OUTPUT_TIF && std::string(source.name) == "colour.ppm");
            if (lossy) {
                std::string rmse = Shell("compare -metric RMSE " + original + " " + output + " null:");
                double normalised = std::stod(rmse.substr(rmse.find('(') + 1));
                EXPECT_LT(normalised, 0.08) << label << ": " << rmse;
            } else {
                EXPECT_EQ(Shell("compare -metric AE " + original + " " + output + " null:"), "0") << label;
            }
        }
    }
}

// An image kept with its alpha reaches every format that carries alpha with
// the same colours and opacities, as an independent reader sees them.
TEST(FormatConversion, IndependentReaderSeesTheSameAlpha) {
    if (!HaveImageMagick())
        GTEST_SKIP() << "ImageMagick is not installed";
    // 3 x 2 pixels: opaque, clear, and partly clear in between.
    const std::string pixels("\x10\x20\x30\xFF\x40\x50\x60\x00\x70\x80\x90\x80"
                             "\xA0\xB0\xC0\x01\xD0\xE0\xF0\xFE\x01\x02\x03\x7F",
                             24);
    std::string hex;
    for (unsigned char byte : pixels)
        hex += FormatText("%02x", byte);
    const struct {
        int format;
        const char* extension;
    } targets[] = {{OUTPUT_PNG, "png"}, {OUTPUT_TIF, "tif"}, {OUTPUT_TGA, "tga"}};
    TempDir dir;
    for (const auto& target : targets) {
        const std::string input = dir / "alpha.pam";
        WriteFile(input, "P7\nWIDTH 3\nHEIGHT 2\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n" + pixels);
        ASSERT_TRUE(ConvertImageFile(target.format, input, Settings(target.format))) << target.extension;
        const std::string output = dir / (std::string("alpha.") + target.extension);
        EXPECT_EQ(Shell("/usr/bin/convert " + output + " -auto-orient -depth 8 rgba:- | od -An -v -tx1 | tr -d ' \\n'"),
                  hex)
            << target.extension;
    }
}

// Files handed to the background conversion become the same files as the
// pass over the directory gives; the pass then leaves them out.
TEST(FormatConversion, BackgroundConversionGivesTheFilesOfThePass) {
    TempDir byPass, byBackground;
    for (const TempDir* dir : {&byPass, &byBackground}) {
        WriteFile(*dir / "-000.ppm", ColourPpm());
        WriteFile(*dir / "-001.pbm", BitmapPbm());
        WriteFile(*dir / "-002.jpg", "stored JPEG data");
        WriteFile(*dir / "broken.ppm", "P6\n100 100\n255\nshort");
    }
    const ConvertSettings settings = Settings(OUTPUT_PNG);
    const ConversionCounts pass = ConvertDirectory(byPass.path(), settings);

    // One file written, one image in memory, one damaged image in memory
    // (kept as the file it would have been).
    const std::string broken = ReadFile(byBackground / "broken.ppm");
    platform::DeleteFile(byBackground / "broken.ppm");
    platform::DeleteFile(byBackground / "-001.pbm");
    BackgroundConversion background(settings);
    EXPECT_TRUE(background.TakesContent(BitmapPbm().size()));
    EXPECT_FALSE(background.TakesContent(1ll << 40));
    background.Written(byBackground / "-000.ppm");
    background.Written(byBackground / "-002.jpg");
    background.Content(byBackground / "-001.pbm", BitmapPbm());
    background.Content(byBackground / "broken.ppm", broken);
    const ConversionCounts handed = background.Finish();
    EXPECT_EQ(handed.converted, 2);
    EXPECT_EQ(handed.failed, 1);
    EXPECT_EQ(background.Handled(), (std::set<std::string>{"-000.ppm", "-001.pbm", "broken.ppm"}));
    const ConversionCounts rest = ConvertDirectory(byBackground.path(), settings, {}, background.Handled());
    EXPECT_EQ(handed.converted + rest.converted, pass.converted);
    EXPECT_EQ(handed.failed + rest.failed, pass.failed);
    EXPECT_TRUE(testing_support::FolderContents(byPass.path()) == testing_support::FolderContents(byBackground.path()));
}
