// The report of a run (--report) and the images a run leaves out for
// repeating others (--unique).
#include "cli/cli_options.h"
#include "engine/dump/sha256_digest.h"
#include "tests/support/cli_output.h"
#include "tests/support/pdf_writer.h"
#include "tests/support/sample_document.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sstream>
#include <sys/stat.h>

using testing_support::CliResult;
using testing_support::ListOutputFiles;
using testing_support::ReadFile;
using testing_support::TempDir;
using testing_support::WriteFile;

namespace {

CliResult RunCommand(std::vector<const char*> args) { return testing_support::RunCliCommand(std::move(args)); }

std::vector<nlohmann::json> ReadJsonLines(const std::string& path) {
    std::vector<nlohmann::json> lines;
    std::istringstream text(ReadFile(path));
    for (std::string line; std::getline(text, line);)
        lines.push_back(nlohmann::json::parse(line));
    return lines;
}

std::vector<nlohmann::json> Records(const std::vector<nlohmann::json>& lines, const std::string& kind) {
    std::vector<nlohmann::json> found;
    for (const nlohmann::json& line : lines)
        if (line.at("record") == kind)
            found.push_back(line);
    return found;
}

// Each file the report names holds the size and digest it says.
void ExpectFilesAsReported(const std::vector<nlohmann::json>& images) {
    for (const nlohmann::json& image : images) {
        if (!image.contains("file"))
            continue;
        const std::string file = image.at("file");
        long long size = -1;
        EXPECT_EQ(image.at("sha256"), Sha256OfFile(file, &size)) << file;
        EXPECT_EQ(image.at("file_bytes"), size) << file;
    }
}

// Two pages that draw two objects of the same 8 x 8 gray pixels, and a third
// object of other pixels.
std::string SamePixelsTwice() {
    const std::string pixels = testpdf::PackSamples(8, 8, 1, 8, [](unsigned x, unsigned y, unsigned) { return x * 30 + y; });
    const std::string dictionary = "/Width 8 /Height 8 /ColorSpace /DeviceGray /BitsPerComponent 8";
    testpdf::PdfWriter pdf;
    const int first = pdf.AddImage({dictionary, pixels, ""});
    const int second = pdf.AddFlateImage(dictionary, pixels); // stored otherwise, decoded alike
    const int other = pdf.AddImage({dictionary, std::string(64, '\x10'), ""});
    pdf.AddPage({{first, other}});
    pdf.AddPage({{second}});
    return pdf.Build();
}

} // namespace

TEST(CliOptions, UniqueAndReportChoices) {
    const struct {
        std::vector<const char*> args;
        int repeats;
    } cases[] = {{{"a.pdf"}, REPEATS_KEPT},
                 {{"--unique", "a.pdf"}, REPEATS_SAME_OBJECT},
                 {{"--unique=content", "a.pdf"}, REPEATS_SAME_PIXELS},
                 {{"--unique=object", "a.pdf"}, REPEATS_SAME_OBJECT}};
    for (const auto& c : cases) {
        std::vector<const char*> args = c.args;
        args.insert(args.begin(), "vellumin-cli");
        const ParsedCommandLine parsed = ParseCommandLine(static_cast<int>(args.size()), args.data());
        ASSERT_TRUE(parsed.options) << parsed.output;
        EXPECT_EQ(parsed.options->settings.skipRepeated, c.repeats);
        EXPECT_EQ(parsed.options->inputs, std::vector<std::string>{"a.pdf"});
    }
    const std::vector<std::vector<const char*>> errors = {
        {"--unique=pixels", "a.pdf"},          {"--report", "r.txt", "a.pdf"},
        {"--report", "r", "a.pdf"},            {"--list", "--report", "r.jsonl", "a.pdf"},
        {"--list", "--unique", "a.pdf"},       {"--summary", "--report", "r.csv", "a.pdf"}};
    for (std::vector<const char*> args : errors) {
        args.insert(args.begin(), "vellumin-cli");
        const ParsedCommandLine parsed = ParseCommandLine(static_cast<int>(args.size()), args.data());
        EXPECT_FALSE(parsed.options) << args[1];
        EXPECT_EQ(parsed.exitCode, 2) << args[1];
    }
}

// The sample draws object 1 on both pages: the second use gets no file and is
// reported as a repeat of the first use's converted file.
TEST(ImageReport, RecordsEveryImageWithItsFileAndTheRepeatsLeftOut) {
    TempDir dir;
    const std::string document = dir / "sample.pdf", out = dir / "out", report = dir / "report.jsonl";
    WriteFile(document, testpdf::SampleDocument());
    const CliResult result =
        RunCommand({"-f", "png", "--unique", "--report", report.c_str(), "-o", out.c_str(), document.c_str()});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, document + ": 10 images written to " + out + "/ (1 duplicate)\n");
    EXPECT_EQ(ListOutputFiles(out).size(), 10u);

    const std::vector<nlohmann::json> lines = ReadJsonLines(report);
    const std::vector<nlohmann::json> images = Records(lines, "image");
    ASSERT_EQ(images.size(), 11u);
    ASSERT_EQ(lines.back().at("record"), "document");
    EXPECT_EQ(lines.back().at("counts").at("written"), 10);
    EXPECT_EQ(lines.back().at("counts").at("duplicates"), 1);
    EXPECT_EQ(lines.back().at("outcome"), "extracted");
    for (size_t i = 0; i < images.size(); ++i) {
        EXPECT_EQ(images[i].at("image"), i);
        EXPECT_EQ(images[i].at("path"), document);
    }
    EXPECT_EQ(images[1].at("file"), out + "/sample-001.png");
    const nlohmann::json& repeat = images[10];
    EXPECT_EQ(repeat.at("page"), 2);
    EXPECT_EQ(repeat.at("object"), 1);
    EXPECT_FALSE(repeat.contains("file"));
    EXPECT_EQ(repeat.at("reason"), "repeats an image already written");
    EXPECT_EQ(repeat.at("duplicate_of"), images[0].at("file"));
    ExpectFilesAsReported(images);

    // Without --unique every use has its file, and the report says which.
    const std::string csv = dir / "report.csv";
    const CliResult all = RunCommand({"-f", "png", "--report", csv.c_str(), "-o", (dir / "all").c_str(), document.c_str()});
    EXPECT_EQ(all.out, document + ": 11 images written to " + dir / "all" + "/\n");
    const std::string table = ReadFile(csv);
    EXPECT_EQ(table.rfind("path,page,image,type,", 0), 0u) << table;
    EXPECT_EQ(std::count(table.begin(), table.end(), '\n'), 12);
    EXPECT_NE(table.find(dir / "all/sample-010.jpg"), std::string::npos);
}

// A full disk: the images that could not be written say why and name no
// file. The files of the two large images do not fit, the small one's and
// the report do.
TEST(ImageReport, ImagesLostToAFullDiskSayWhy) {
    TempDir dir;
    const std::string document = dir / "full.pdf", out = dir / "out", report = dir / "report.jsonl";
    const std::string rgb = "/Width 64 /Height 64 /ColorSpace /DeviceRGB /BitsPerComponent 8";
    testpdf::PdfWriter pdf;
    const int large = pdf.AddImage({rgb, std::string(64 * 64 * 3, '\x40'), ""});
    const int small = pdf.AddImage({"/Width 4 /Height 4 /ColorSpace /DeviceGray /BitsPerComponent 8", std::string(16, 'a'), ""});
    const int other = pdf.AddImage({rgb, std::string(64 * 64 * 3, '\x80'), ""});
    pdf.AddPage({{large, small, other}});
    WriteFile(document, pdf.Build());
    CliResult result;
    {
        testing_support::FileSizeLimit limit(8192);
        result = RunCommand({"--no-markers", "-f", "ppm", "--report", report.c_str(), "-o", out.c_str(), document.c_str()});
    }
    EXPECT_EQ(result.status, 4) << result.err;
    const std::vector<nlohmann::json> lines = ReadJsonLines(report);
    const std::vector<nlohmann::json> images = Records(lines, "image");
    ASSERT_EQ(images.size(), 3u);
    int written = 0, lost = 0;
    for (const nlohmann::json& image : images) {
        if (image.contains("file")) {
            ++written;
        } else {
            ++lost;
            EXPECT_EQ(image.at("reason"), "could not be written: File too large") << image.dump();
        }
    }
    EXPECT_EQ(lost, 2);
    EXPECT_EQ(images[1].at("file"), out + "/full-001.ppm");
    EXPECT_EQ(written, static_cast<int>(ListOutputFiles(out).size()));
    EXPECT_EQ(lines.back().at("counts").at("failed"), lost);
    ExpectFilesAsReported(images);
}

// Documents side by side report in the order given, as one after another,
// and a document that could not be read has its line.
TEST(ImageReport, DocumentsSideBySideReportInTheOrderGiven) {
    TempDir dir;
    const std::string a = dir / "a.pdf", b = dir / "b.pdf", invalid = dir / "invalid.pdf";
    WriteFile(a, testpdf::SampleDocument());
    WriteFile(invalid, "no PDF here");
    WriteFile(b, SamePixelsTwice());
    std::string reports[2];
    for (int jobs : {1, 2}) {
        const std::string report = dir / ("report-" + std::to_string(jobs) + ".jsonl");
        const std::string out = dir / ("out-" + std::to_string(jobs)), j = std::to_string(jobs);
        const CliResult result = RunCommand({"-j", j.c_str(), "--report", report.c_str(), "-o", out.c_str(), b.c_str(),
                                             invalid.c_str(), a.c_str()});
        EXPECT_EQ(result.status, 1) << result.err;
        std::vector<std::string> order;
        for (const nlohmann::json& line : ReadJsonLines(report))
            if (line.at("record") == "document")
                order.push_back(line.at("path").get<std::string>() + " " + line.at("outcome").get<std::string>());
        EXPECT_EQ(order, (std::vector<std::string>{b + " extracted", invalid + " skipped", a + " extracted"}));
        reports[jobs - 1] = ReadFile(report);
    }
    // The same report but for the folders' names and the time taken.
    auto sameParts = [](std::string text) {
        for (size_t at; (at = text.find("out-2")) != std::string::npos;)
            text.replace(at, 5, "out-1");
        return text;
    };
    EXPECT_EQ(Records(ReadJsonLines(dir / "report-1.jsonl"), "image").size(),
              Records(ReadJsonLines(dir / "report-2.jsonl"), "image").size());
    EXPECT_EQ(sameParts(reports[0]).substr(0, sameParts(reports[0]).find("\"record\":\"document\"")),
              sameParts(reports[1]).substr(0, sameParts(reports[1]).find("\"record\":\"document\"")));
}

TEST(ImageReport, AReportThatCannotBeWrittenStopsTheRunBeforeItStarts) {
    TempDir dir;
    const std::string document = dir / "sample.pdf", out = dir / "out", report = dir / "no/such/folder/r.jsonl";
    WriteFile(document, testpdf::SampleDocument());
    const CliResult result = RunCommand({"--report", report.c_str(), "-o", out.c_str(), document.c_str()});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, report + ": Cannot write the report: No such file or directory.\n");
    EXPECT_EQ(result.out, "");
    struct stat info;
    EXPECT_NE(stat(out.c_str(), &info), 0); // nothing ran
}

// Pixels compared: within a document and across the documents of the run,
// whatever runs side by side, the first image of the run keeps its file.
TEST(UniqueImages, SamePixelsGetOneFileInTheRun) {
    TempDir dir;
    const std::string first = dir / "first.pdf", second = dir / "second.pdf";
    WriteFile(first, SamePixelsTwice());
    WriteFile(second, SamePixelsTwice());
    const struct {
        const char* jobs;
        const char* format;
        const char* extension; // of the two files the run keeps
    } cases[] = {{"1", "png", ".png"}, {"2", "png", ".png"}, {"2", "ppm", ".ppm"}};
    for (const auto& c : cases) {
        const char* jobs = c.jobs;
        const std::string out = dir / (std::string("out-") + jobs + c.format), report = out + ".jsonl";
        const CliResult result = RunCommand({"-j", jobs, "-f", c.format, "--unique=content", "--report",
                                             report.c_str(), "-o", out.c_str(), first.c_str(), second.c_str()});
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(result.out, first + ": 2 images written to " + out + "/ (1 duplicate)\n" + second +
                                  ": 0 images written to " + out + "/ (3 duplicates)\n")
            << jobs;
        EXPECT_EQ(ListOutputFiles(out), (std::vector<std::string>{std::string("first-000") + c.extension,
                                                                   std::string("first-001") + c.extension}))
            << jobs;
        const std::vector<nlohmann::json> images = Records(ReadJsonLines(report), "image");
        ASSERT_EQ(images.size(), 6u);
        const std::string gray = out + "/first-000" + c.extension, other = out + "/first-001" + c.extension;
        const std::vector<std::string> duplicateOf = {"", "", gray, gray, other, gray};
        for (size_t i = 0; i < images.size(); ++i)
            EXPECT_EQ(images[i].value("duplicate_of", ""), duplicateOf[i]) << jobs << " " << i;
        ExpectFilesAsReported(images);
    }
    // Objects compared only: the two objects of alike pixels both get files.
    const CliResult objects = RunCommand({"-f", "png", "--unique", "-o", (dir / "objects").c_str(), first.c_str()});
    EXPECT_EQ(objects.out, first + ": 3 images written to " + dir / "objects" + "/\n");
}

// A marker left by a run that left repeats out does not match a run that
// keeps them, nor the other way round.
TEST(UniqueImages, TheChoiceEntersTheDoneMarker) {
    TempDir dir;
    const std::string document = dir / "sample.pdf", out = dir / "out";
    WriteFile(document, testpdf::SampleDocument());
    EXPECT_EQ(RunCommand({"--unique", "-o", out.c_str(), document.c_str()}).status, 0);
    EXPECT_EQ(RunCommand({"--skip-done", "--unique", "-o", out.c_str(), document.c_str()}).out, document + ": already done\n");
    const CliResult again = RunCommand({"--skip-done", "-o", out.c_str(), document.c_str()});
    EXPECT_EQ(again.out, document + ": 11 images written to " + out + "/\n");
    EXPECT_EQ(ReadFile(out + "/.sample.vellumin-done.json").find("unique"), std::string::npos);
}

TEST(Sha256Digest, KnownValues) {
    EXPECT_EQ(Sha256Hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(Sha256Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
}

// --orient shown writes each file as the page shows it and enters the done
// marker; a stored JPEG that cannot be turned without loss is decoded, and
// the report says so.
TEST(Orientation, ShownFilesAreTurnedAndTheReportSaysWhichWereDecoded) {
    TempDir dir;
    testpdf::PdfWriter pdf;
    const auto gradient = [](int x, int y, int c) { return static_cast<unsigned char>(x * 9 + y * 5 + c * 70); };
    const std::string size = "/Width 20 /Height 12 /ColorSpace /DeviceRGB /BitsPerComponent 8";
    const int wholeBlocks = pdf.AddImage({"/Width 32 /Height 16 /ColorSpace /DeviceRGB /BitsPerComponent 8",
                                          testpdf::MakeJpeg(32, 16, 3, gradient), "/DCTDecode"});
    const int partBlocks = pdf.AddImage({size, testpdf::MakeJpeg(20, 12, 3, gradient), "/DCTDecode"});
    testpdf::PageSpec page;
    page.extraResources = "/XObject << /A " + std::to_string(wholeBlocks) + " 0 R /B " + std::to_string(partBlocks) +
                          " 0 R >>";
    page.extraContent = "q 0 64 -32 0 100 100 cm /A Do Q q 0 64 -32 0 200 100 cm /B Do Q\n";
    pdf.AddPage(page);
    const std::string document = dir / "doc.pdf", out = dir / "out", report = dir / "report.jsonl";
    WriteFile(document, pdf.Build());

    const CliResult run = RunCommand({"--orient", "shown", "--report", report.c_str(), "-o", out.c_str(), document.c_str()});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::vector<nlohmann::json> images = Records(ReadJsonLines(report), "image");
    ASSERT_EQ(images.size(), 2u);
    EXPECT_FALSE(images[0].contains("orient_note"));
    EXPECT_EQ(images[1].value("orient_note", ""), "decoded to be turned: its JPEG data cannot be turned without loss");
    ExpectFilesAsReported(images);
    EXPECT_NE(ReadFile(out + "/.doc.vellumin-done.json").find("\"orient\":\"shown\""), std::string::npos);

    EXPECT_EQ(RunCommand({"--orient", "sideways", document.c_str()}).status, 2);
}
