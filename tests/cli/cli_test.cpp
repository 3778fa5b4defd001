#include "cli/cli_options.h"
#include "cli/cli_run.h"
#include "platform/file_system.h"
#include "tests/support/pdf_writer.h"
#include "tests/support/sample_document.h"
#include "tests/support/test_support.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <sys/stat.h>

using testing_support::FixtureDir;
using testing_support::ListFiles;
using testing_support::TempDir;
using testing_support::WriteFile;

namespace {

ParsedCommandLine Parse(std::vector<const char*> args) {
    args.insert(args.begin(), "vellumin-cli");
    return ParseCommandLine(static_cast<int>(args.size()), args.data());
}

std::string Contents(FILE* file) {
    std::string text;
    std::rewind(file);
    for (int c; (c = std::fgetc(file)) != EOF;)
        text += static_cast<char>(c);
    return text;
}

struct CliResult {
    int status;
    std::string out, err;
};

CliResult RunCommand(std::vector<const char*> args) {
    ParsedCommandLine parsed = Parse(args);
    if (!parsed.options)
        return {parsed.exitCode, "", parsed.output};
    FILE* out = std::tmpfile();
    FILE* err = std::tmpfile();
    int status = RunCli(*parsed.options, out, err, false);
    CliResult result{status, Contents(out), Contents(err)};
    std::fclose(out);
    std::fclose(err);
    return result;
}

} // namespace

TEST(CliOptions, DefaultsAndChoices) {
    ParsedCommandLine parsed = Parse({"-o", "/out", "-f", "png", "-q", "55", "--gray", "-p", "3-5", "a.pdf", "dir"});
    ASSERT_TRUE(parsed.options);
    const ConvertSettings& s = parsed.options->settings;
    EXPECT_EQ(s.outputDirectory, "/out");
    EXPECT_EQ(s.imagesFormat, OUTPUT_PNG);
    EXPECT_EQ(s.jpegQuality, 55);
    EXPECT_EQ(s.jpegGrayScale, 0);
    EXPECT_EQ(s.pageRange, 1);
    EXPECT_EQ(s.startPage, 3);
    EXPECT_EQ(s.endPage, 5);
    EXPECT_EQ(parsed.options->inputs, (std::vector<std::string>{"a.pdf", "dir"}));

    ParsedCommandLine plain = Parse({"a.pdf"});
    ASSERT_TRUE(plain.options);
    EXPECT_EQ(plain.options->settings.imagesFormat, OUTPUT_JPG);
    EXPECT_EQ(plain.options->settings.jpegQuality, 70);
    EXPECT_EQ(plain.options->settings.jpegGrayScale, 1);
    EXPECT_EQ(plain.options->settings.pageRange, 0);
    EXPECT_EQ(Parse({"-f", "ppm", "a.pdf"}).options->settings.imagesFormat, OUTPUT_PPM_PBM);
}

TEST(CliOptions, UsageErrorsHelpAndVersion) {
    std::vector<std::vector<const char*>> errors = {
        {}, {"-f", "webp", "a.pdf"}, {"-q", "0", "a.pdf"}, {"-q", "101", "a.pdf"}, {"-p", "5-3", "a.pdf"},
        {"-p", "x", "a.pdf"}, {"-p", "0-2", "a.pdf"}, {"--bogus", "a.pdf"}};
    for (const auto& args : errors) {
        ParsedCommandLine parsed = Parse(args);
        EXPECT_FALSE(parsed.options);
        EXPECT_EQ(parsed.exitCode, 2);
        EXPECT_FALSE(parsed.output.empty());
    }
    ParsedCommandLine help = Parse({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.output.find("--output-dir"), std::string::npos);
    EXPECT_NE(Parse({"--version"}).output.find("vellumin-cli"), std::string::npos);
}

TEST(CliRun, ExtractsFoldersOnceAndReportsWhereFilesWent) {
    TempDir dir;
    mkdir((dir / "in").c_str(), 0777);
    mkdir((dir / "in/sub").c_str(), 0777);
    WriteFile(dir / "in/sample.pdf", testpdf::SampleDocument());
    WriteFile(dir / "in/sub/sample.pdf", testpdf::SampleDocument());
    std::string in = dir / "in", out = dir / "new/out", file = dir / "in/sample.pdf";
    CliResult result = RunCommand({"-f", "png", "-o", out.c_str(), in.c_str(), file.c_str()});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "File: " + file + " have been imported!\n");
    EXPECT_NE(result.out.find(file + ": 11 images written to " + out + "/"), std::string::npos) << result.out;
    std::vector<std::string> files = ListFiles(out);
    EXPECT_EQ(files.size(), 22u);
    EXPECT_EQ(files.front(), "sample-000.jpg");
    EXPECT_EQ(files[1], "sample-001.png");
    EXPECT_EQ(files.back(), "sample-2-010.jpg");
    EXPECT_EQ(std::count_if(files.begin(), files.end(),
                            [](const std::string& f) { return f.substr(f.size() - 4) == ".png"; }),
              18);
}

TEST(CliRun, ImagesThatCannotBeConvertedAreKeptAndReported) {
    TempDir dir;
    WriteFile(dir / "good.pdf", testpdf::SampleDocument());
    std::string good = dir / "good.pdf", out = dir / "out";
    CliResult result = RunCommand({"-f", "tga", "-o", out.c_str(), good.c_str()});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, good + ": 2 image(s) could not be converted to tga; their PBM/PGM/PPM files were kept.\n");
    std::vector<std::string> files = ListFiles(out);
    EXPECT_EQ(std::count(files.begin(), files.end(), "good-006.pbm"), 1);
    EXPECT_EQ(std::count(files.begin(), files.end(), "good-006.tga"), 0);
}

TEST(CliRun, FailedConversionsAreReportedOncePerDocument) {
    TempDir dir;
    WriteFile(dir / "a.pdf", testpdf::SampleDocument());
    WriteFile(dir / "b.pdf", testpdf::SampleDocument());
    std::string a = dir / "a.pdf", b = dir / "b.pdf", out = dir / "out";
    CliResult result = RunCommand({"-f", "tga", "-o", out.c_str(), a.c_str(), b.c_str()});
    EXPECT_EQ(result.err, a + ": 2 image(s) could not be converted to tga; their PBM/PGM/PPM files were kept.\n" + b +
                              ": 2 image(s) could not be converted to tga; their PBM/PGM/PPM files were kept.\n");
}

TEST(CliRun, ExitStatusNamesTheWorstOutcome) {
    TempDir dir;
    WriteFile(dir / "good.pdf", testpdf::SampleDocument());
    WriteFile(dir / "junk.pdf", "junk");
    std::string good = dir / "good.pdf", junk = dir / "junk.pdf", missing = dir / "missing.pdf";
    std::string nocopy = FixtureDir() + "/owner-nocopy.pdf", out = dir / "out";

    CliResult skipped = RunCommand({"-o", out.c_str(), junk.c_str(), good.c_str(), nocopy.c_str(), missing.c_str()});
    EXPECT_EQ(skipped.status, 1);
    EXPECT_NE(skipped.err.find(junk + ": Not a valid pdf file!"), std::string::npos) << skipped.err;
    EXPECT_NE(skipped.err.find(nocopy + ": Copying of images from this document is not allowed."), std::string::npos);
    EXPECT_NE(skipped.err.find(missing + ": No such file or folder."), std::string::npos);
    EXPECT_NE(skipped.out.find(good + ": 11 images"), std::string::npos);

    CliResult range = RunCommand({"-o", out.c_str(), "-p", "3-4", good.c_str(), junk.c_str()});
    EXPECT_EQ(range.status, 3);
    EXPECT_NE(range.err.find("The '" + good + "' file only contain 2 pages"), std::string::npos);
    EXPECT_EQ(range.err.find("junk"), std::string::npos); // the run stopped before it

    EXPECT_EQ(RunCommand({"-o", out.c_str(), "-p", "2-9", good.c_str()}).status, 0);
    EXPECT_EQ(RunCommand({"-o", out.c_str(), "--owner-password", "owner", nocopy.c_str()}).status, 0);
}

TEST(CliRun, AFolderWithoutPdfFilesSaysSoAndCountsAsSkipped) {
    TempDir dir;
    mkdir((dir / "empty").c_str(), 0777);
    WriteFile(dir / "empty/notes.txt", "text");
    const std::string empty = dir / "empty";
    CliResult result = RunCommand({"-f", "ppm", empty.c_str()});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find(empty + ": No PDF file in this folder."), std::string::npos) << result.err;
}

TEST(CliRun, SummaryPrintsPlainText) {
    TempDir dir;
    WriteFile(dir / "good.pdf", testpdf::SampleDocument());
    std::string good = dir / "good.pdf";
    CliResult result = RunCommand({"--summary", good.c_str()});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out.find(good + "\nSummary:\n\tFile Size: "), 0u) << result.out;
    EXPECT_NE(result.out.find("\tNumber of Pages: 2\n"), std::string::npos);
    EXPECT_FALSE(platform::PathExists(dir / "good"));
}
