// --keep-native: images written in their stored encodings, counted on the
// document's line, listed and reported with their extensions, and recorded
// in the done marker.
#include "engine/dump/sha256_digest.h"
#include "tests/support/cli_output.h"
#include "tests/support/pdf_writer.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sstream>

using testing_support::CliResult;
using testing_support::ListOutputFiles;
using testing_support::ReadFile;
using testing_support::RunCliCommand;
using testing_support::TempDir;
using testing_support::WriteFile;

namespace {

// A gray JPEG image, which the dump decodes unless stored encodings are
// kept, and a Flate image, which is always decoded.
std::string GrayJpegAndFlate() {
    testpdf::PdfWriter pdf;
    const int jpeg = pdf.AddImage(
        {"/Width 8 /Height 8 /ColorSpace /DeviceGray /BitsPerComponent 8",
         testpdf::MakeJpeg(8, 8, 1, [](int x, int y, int) { return static_cast<unsigned char>(x * 20 + y); }),
         "/DCTDecode"});
    const int flate =
        pdf.AddFlateImage("/Width 2 /Height 2 /ColorSpace /DeviceRGB /BitsPerComponent 8", std::string(12, '\x60'));
    pdf.AddPage({{jpeg, flate}});
    return pdf.Build();
}

} // namespace

TEST(KeepNative, WritesTheStoredFileCountsItAndReportsItWithItsDigest) {
    TempDir dir;
    const std::string document = dir / "doc.pdf", out = dir / "out", report = dir / "images.jsonl";
    WriteFile(document, GrayJpegAndFlate());
    const CliResult kept =
        RunCliCommand({"-f", "png", "--keep-native", "--report", report.c_str(), "-o", out.c_str(), document.c_str()});
    EXPECT_EQ(kept.status, 0) << kept.err;
    EXPECT_EQ(kept.out, document + ": 2 images written to " + out + "/ (1 image kept in its stored encoding)\n");
    EXPECT_EQ(ListOutputFiles(out), (std::vector<std::string>{"doc-000.jpg", "doc-001.png"}));
    std::istringstream lines(ReadFile(report));
    std::string first;
    std::getline(lines, first);
    const nlohmann::json image = nlohmann::json::parse(first);
    EXPECT_EQ(image.value("kept_as", ""), "jpg");
    EXPECT_EQ(image.value("sha256", ""), Sha256Hex(ReadFile(out + "/doc-000.jpg")));
    EXPECT_NE(ReadFile(out + "/.doc.vellumin-done.json").find("keep_native"), std::string::npos);

    // The choice enters the done marker: a run without it is no rerun of this one.
    const CliResult plain = RunCliCommand({"-f", "png", "--skip-done", "-o", out.c_str(), document.c_str()});
    EXPECT_EQ(plain.out, document + ": 2 images written to " + out + "/\n");
    EXPECT_EQ(ListOutputFiles(out), (std::vector<std::string>{"doc-000.png", "doc-001.png"}));
}

TEST(KeepNative, TheListShowsWhatEachImageIsKeptAs) {
    TempDir dir;
    const std::string document = dir / "doc.pdf";
    WriteFile(document, GrayJpegAndFlate());
    const std::string table = RunCliCommand({"--list", "--keep-native", document.c_str()}).out;
    std::istringstream rows(table);
    std::string title, header, jpeg, flate;
    std::getline(rows, title);
    std::getline(rows, header);
    std::getline(rows, jpeg);
    std::getline(rows, flate);
    EXPECT_NE(header.find("kept-as"), std::string::npos) << table;
    EXPECT_NE(jpeg.find(" jpg"), std::string::npos) << table;
    EXPECT_EQ(flate.find(" jpg"), std::string::npos) << table;
    EXPECT_EQ(RunCliCommand({"--list", document.c_str()}).out.find("kept-as"), std::string::npos);

    const std::string csv = RunCliCommand({"--list", "--csv", "--keep-native", document.c_str()}).out;
    EXPECT_EQ(csv.substr(0, csv.find('\n')).substr(csv.find('\n') - 13), ",kept_as,note");
}
