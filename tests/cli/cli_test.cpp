#include "cli/cli_options.h"
#include "cli/cli_run.h"
#include "cli/terminal_text.h"
#include "platform/file_system.h"
#include "tests/support/cli_output.h"
#include "tests/support/pdf_writer.h"
#include "tests/support/sample_document.h"
#include "tests/support/test_support.h"

#include <algorithm>
#include <climits>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <png.h>
#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using testing_support::CliResult;
using testing_support::FixtureDir;
using testing_support::ListFiles;
using testing_support::ListOutputFiles;
using testing_support::TempDir;
using testing_support::WriteFile;

namespace {

ParsedCommandLine Parse(std::vector<const char*> args) {
    args.insert(args.begin(), "vellumin-cli");
    return ParseCommandLine(static_cast<int>(args.size()), args.data());
}

CliResult RunCommand(std::vector<const char*> args) { return testing_support::RunCliCommand(std::move(args)); }

// Everything written to the descriptor until its last writer closes it; a
// terminal's line ends lose their "\r".
std::string ReadToEnd(int fd) {
    std::string text;
    char buffer[4096];
    for (ssize_t got; (got = read(fd, buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<size_t>(got));
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return text;
}

// A pseudo-terminal: the program's end (slave) and this test's (master).
struct Terminal {
    int master = -1, slave = -1;
    Terminal() {
        master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0)
            slave = open(ptsname(master), O_RDWR | O_NOCTTY | O_CLOEXEC);
    }
    ~Terminal() { close(master); }
};

// Runs the vellumin-cli program with its output into the two descriptors,
// after setUp in its process; answers its exit status, or -1.
int RunProgram(const std::vector<std::string>& arguments, int out, int err, const std::function<void()>& setUp) {
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(out, STDOUT_FILENO);
        dup2(err, STDERR_FILENO);
        setUp();
        std::vector<char*> argv{const_cast<char*>("vellumin-cli")};
        for (const std::string& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        execv(VELLUMIN_CLI_PATH, argv.data());
        _exit(127);
    }
    int status = 0;
    return pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
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
    EXPECT_EQ(plain.options->settings.masks, MASKS_ALPHA); // kept as alpha where the format can
    EXPECT_EQ(Parse({"--masks", "separate", "a.pdf"}).options->settings.masks, MASKS_SEPARATE);
    EXPECT_EQ(Parse({"--masks", "none", "a.pdf"}).options->settings.masks, MASKS_NONE);
    EXPECT_TRUE(Parse({"a.pdf"}).options->sandbox);
    EXPECT_FALSE(Parse({"--sandbox", "off", "a.pdf"}).options->sandbox);
}

TEST(CliOptions, UsageErrorsHelpAndVersion) {
    std::vector<std::vector<const char*>> errors = {
        {}, {"-f", "webp", "a.pdf"}, {"-q", "0", "a.pdf"}, {"-q", "101", "a.pdf"}, {"-p", "5-3", "a.pdf"},
        {"-p", "x", "a.pdf"}, {"-p", "0", "a.pdf"}, {"-p", "-3", "a.pdf"}, {"-p", "3-x", "a.pdf"}, {"--bogus", "a.pdf"}, {"--masks", "both", "a.pdf"},
        {"-j", "0", "a.pdf"}, {"--time-limit", "-1", "a.pdf"}, {"--shard", "3/3", "a.pdf"}, {"--shard", "0/0", "a.pdf"},
        {"--shard", "1", "a.pdf"}, {"--shard", "-1/3", "a.pdf"}, {"--null", "a.pdf"}, {"--json", "a.pdf"},
        {"--csv", "a.pdf"}, {"--list", "--json", "--csv", "a.pdf"}, {"--list", "--summary", "a.pdf"},
        {"--list", "--skip-done", "a.pdf"}, {"--list", "--results", "r.jsonl", "a.pdf"},
        {"--name", "a/{n}", "a.pdf"}, {"--name", "..{n}", "a.pdf"}, {"--name", "{bogus}", "a.pdf"},
        {"--name", "{n}", "-o", "out", "a.pdf"}, {"--min-size", "3x", "a.pdf"}, {"--min-size", "-1", "a.pdf"},
        {"--min-size", "x3", "a.pdf"}, {"--sandbox", "maybe", "a.pdf"}};
    for (const auto& args : errors) {
        ParsedCommandLine parsed = Parse(args);
        EXPECT_FALSE(parsed.options);
        EXPECT_EQ(parsed.exitCode, 2);
        EXPECT_FALSE(parsed.output.empty());
    }
    ParsedCommandLine help = Parse({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    for (const char* part : {"  -o, --output-dir DIR ", "(default: jpg)", "(default: 70)", "Exit status:\n  0  ",
                             "  4  the documents were read", "Examples:\n  vellumin-cli ",
                             "      --files-from FILE ", "      --shard K/N ", "      --skip-done ", "      --results FILE.jsonl ",
                             "      --list ", "      --json, --csv ", "  vellumin-cli --list --csv report.pdf",
                             "      --min-size WxH|N ", "      --name TEMPLATE ", "  vellumin-cli --min-size 32 --name "})
        EXPECT_NE(help.output.find(part), std::string::npos) << part;
    EXPECT_EQ(help.output.find("REQUIRED"), std::string::npos);
    EXPECT_EQ(Parse({"--version"}).output, "vellumin-cli 1.5\n");
}

TEST(CliOptions, PageRangesFollowTheEnginesRules) {
    const struct {
        const char* text;
        int first, last;
    } cases[] = {{"3", 3, 3}, {"3-5", 3, 5}, {"0-5", 0, 5}, {"3-", 3, INT_MAX}, {"0-", 0, INT_MAX}};
    for (const auto& c : cases) {
        ParsedCommandLine parsed = Parse({"-p", c.text, "a.pdf"});
        ASSERT_TRUE(parsed.options) << c.text << ": " << parsed.output;
        EXPECT_EQ(parsed.options->settings.startPage, c.first) << c.text;
        EXPECT_EQ(parsed.options->settings.endPage, c.last) << c.text;
    }
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
    std::vector<std::string> files = ListOutputFiles(out);
    EXPECT_EQ(files.size(), 22u);
    EXPECT_EQ(files.front(), "sample-000.jpg");
    EXPECT_EQ(files[1], "sample-001.png");
    EXPECT_EQ(files.back(), "sample-2-010.jpg");
    EXPECT_EQ(std::count_if(files.begin(), files.end(),
                            [](const std::string& f) { return f.substr(f.size() - 4) == ".png"; }),
              18);
}

namespace {

// Folders where the TGA files of two images would go, so that they cannot be
// converted.
void BlockTwoTargets(const std::string& out, const std::string& title) {
    mkdir(out.c_str(), 0777);
    for (const char* number : {"-006.tga", "-007.tga"})
        mkdir((out + "/" + title + number).c_str(), 0777);
}

} // namespace

TEST(CliRun, ImagesThatCannotBeConvertedAreKeptAndReported) {
    TempDir dir;
    WriteFile(dir / "good.pdf", testpdf::SampleDocument());
    std::string good = dir / "good.pdf", out = dir / "out";
    BlockTwoTargets(out, "good");
    CliResult result = RunCommand({"-f", "tga", "-o", out.c_str(), good.c_str()});
    EXPECT_EQ(result.status, 4);
    EXPECT_EQ(result.out, good + ": 9 images written to " + out + "/\n");
    EXPECT_EQ(result.err, good + ": 2 image(s) could not be converted to tga (Is a directory); their PBM/PGM/PPM files were kept.\n");
    std::vector<std::string> files = ListFiles(out);
    EXPECT_EQ(std::count(files.begin(), files.end(), "good-006.pbm"), 1);
    EXPECT_EQ(std::count(files.begin(), files.end(), "good-005.tga"), 1);
}

TEST(CliRun, FailedConversionsAreReportedOncePerDocument) {
    TempDir dir;
    WriteFile(dir / "a.pdf", testpdf::SampleDocument());
    WriteFile(dir / "b.pdf", testpdf::SampleDocument());
    std::string a = dir / "a.pdf", b = dir / "b.pdf", out = dir / "out";
    BlockTwoTargets(out, "a");
    BlockTwoTargets(out, "b");
    CliResult result = RunCommand({"-f", "tga", "-o", out.c_str(), a.c_str(), b.c_str()});
    EXPECT_EQ(result.err, a + ": 2 image(s) could not be converted to tga (Is a directory); their PBM/PGM/PPM files were kept.\n" + b +
                              ": 2 image(s) could not be converted to tga (Is a directory); their PBM/PGM/PPM files were kept.\n");
}

namespace {

// The number that follows prefix in text, or -1.
int NumberAfter(const std::string& text, const std::string& prefix) {
    const size_t at = text.find(prefix);
    return at == std::string::npos ? -1 : std::atoi(text.c_str() + at + prefix.size());
}

} // namespace

TEST(CliRun, OnADiskThatRefusesFilesTheLinesMatchTheFolderAndTheRunIsNoSuccess) {
    TempDir dir;
    WriteFile(dir / "good.pdf", testpdf::SampleDocument());
    const std::string good = dir / "good.pdf", out = dir / "out";
    for (const char* format : {"tif", "png", "tga", "ppm"}) {
        const std::string folder = out + "-" + format;
        CliResult result;
        {
            // Room for the command's own lines, not for most images.
            testing_support::FileSizeLimit limit(1024);
            result = RunCommand({"--no-markers", "-f", format, "-o", folder.c_str(), good.c_str()});
        }
        EXPECT_EQ(result.status, 4) << format;
        const int written = NumberAfter(result.out, good + ": ");
        const int lost = NumberAfter(result.err, good + ": ");
        int kept = NumberAfter(result.err, "written: File too large.\n" + good + ": ");
        kept = kept < 0 ? 0 : kept;
        EXPECT_EQ(result.out, good + ": " + std::to_string(written) + " image" + (written == 1 ? "" : "s") +
                                  " written to " + folder + "/\n");
        std::string expectedErr = good + ": " + std::to_string(lost) + " image(s) could not be written: File too large.\n";
        int finalFiles = 0, pnmFiles = 0;
        for (const std::string& name : ListFiles(folder)) {
            const std::string extension = name.substr(name.rfind('.') + 1);
            const bool pnm = extension == "ppm" || extension == "pbm";
            if (extension == format || extension == "jpg" || (pnm && std::string(format) == "ppm"))
                ++finalFiles;
            else if (pnm)
                ++pnmFiles;
            else
                ADD_FAILURE() << format << ": " << name;
        }
        if (kept > 0)
            EXPECT_NE(result.err.find(std::to_string(kept) + " image(s) could not be converted to " + format + " ("),
                      std::string::npos)
                << result.err;
        else
            EXPECT_EQ(result.err, expectedErr) << format; // and no words of a library of its own
        EXPECT_GT(lost, 0) << format;
        EXPECT_EQ(written, finalFiles) << format;
        EXPECT_EQ(kept, pnmFiles) << format;
        EXPECT_EQ(written + kept + lost, 11) << format;
    }
}

TEST(CliRun, ImagesWhoseDataIsDamagedAreToldApartAndLoseNothing) {
    TempDir dir;
    WriteFile(dir / "damaged.pdf", testpdf::DamagedImageDocument());
    const std::string document = dir / "damaged.pdf", out = dir / "out";
    const CliResult result = RunCommand({"--no-markers", "-f", "png", "-o", out.c_str(), document.c_str()});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, document + ": 1 image written to " + out + "/\n");
    EXPECT_EQ(result.err, document + ": 2 image(s) skipped: their data in the document is damaged\n");
    EXPECT_EQ(ListFiles(out), std::vector<std::string>{"damaged-001.png"});
}

TEST(CliRun, TheCorpusDocumentOfBogusJpegDataIsNoFailureOfOurs) {
    if (!testing_support::HaveCorpus())
        GTEST_SKIP() << "the corpus is not here";
    TempDir dir;
    const std::string document = testing_support::CorpusFiles({"dct-declared-7300x7600-bogus-data.pdf"}).front();
    const std::string out = dir / "out";
    const CliResult result = RunCommand({"--no-markers", "-o", out.c_str(), document.c_str()});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, document + ": 4 image(s) skipped: their data in the document is damaged\n");
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
    EXPECT_NE(skipped.err.find(missing + ": No such file or directory."), std::string::npos);
    EXPECT_NE(skipped.out.find(good + ": 11 images"), std::string::npos);

    for (const char* jobs : {"1", "2"}) {
        CliResult range = RunCommand({"-j", jobs, "-o", out.c_str(), "-p", "3-4", good.c_str(), junk.c_str()});
        EXPECT_EQ(range.status, 3);
        EXPECT_NE(range.err.find("The '" + good + "' file only contain 2 pages"), std::string::npos);
        EXPECT_EQ(range.err.find("junk"), std::string::npos) << jobs; // the run stopped before it
    }

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

namespace {

std::vector<nlohmann::json> JsonLines(const std::string& path) {
    std::vector<nlohmann::json> lines;
    std::istringstream in(testing_support::ReadFile(path));
    for (std::string line; std::getline(in, line);)
        lines.push_back(nlohmann::json::parse(line, nullptr, false));
    return lines;
}

// A page whose graphics states are saved without end: it takes all the
// memory it is given.
std::string GreedyPdf() {
    std::string content;
    for (int i = 0; i < 20000000; ++i)
        content += "q ";
    testpdf::PageSpec page;
    page.extraContent = content;
    testpdf::PdfWriter pdf;
    pdf.AddPage(page);
    return pdf.Build();
}

} // namespace

// The slow document writes its image, then is stopped: it leaves no image,
// neither complete nor half-written, so that its line, its results line
// ("written": 0) and its report (no image) tell what the disk holds.
TEST(CliRun, ADocumentThatTakesTooLongIsStoppedAndTheRunGoesOn) {
    for (const char* format : {"ppm", "png"}) {
        SCOPED_TRACE(format);
        TempDir dir;
        WriteFile(dir / "slow.pdf", testpdf::SlowDocument());
        WriteFile(dir / "good.pdf", testpdf::SampleDocument());
        const std::string slow = dir / "slow.pdf", good = dir / "good.pdf", out = dir / "out",
                          results = dir / "results.jsonl", report = dir / "report.jsonl";
        CliResult result = RunCommand({"-f", format, "--time-limit", "1", "--results", results.c_str(), "--report",
                                       report.c_str(), "-o", out.c_str(), slow.c_str(), good.c_str()});
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.err, slow + ": Stopped after 1 seconds, the time one document may take (--time-limit).\n");
        EXPECT_EQ(result.out, good + ": 11 images written to " + out + "/\n");
        const std::vector<std::string> files = ListOutputFiles(out);
        EXPECT_EQ(std::count_if(files.begin(), files.end(), [](const std::string& f) { return f.rfind("slow", 0) == 0; }),
                  0);
        EXPECT_EQ(std::count_if(files.begin(), files.end(), [](const std::string& f) { return f[0] == '.'; }), 0);
        const std::vector<nlohmann::json> resultLines = JsonLines(results), reportLines = JsonLines(report);
        ASSERT_EQ(resultLines.size(), 2u);
        EXPECT_EQ(resultLines[0]["outcome"], "stopped");
        EXPECT_EQ(resultLines[0]["counts"]["written"], 0);
        ASSERT_FALSE(reportLines.empty());
        EXPECT_EQ(reportLines[0]["path"], slow);
        EXPECT_EQ(reportLines[0]["record"], "document") << "no image of the stopped document is reported";
        EXPECT_EQ(reportLines[0]["images"], 0);
    }
}

TEST(CliRun, ADocumentThatTakesTooMuchMemoryIsStoppedAndTheRunGoesOn) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer's reserved memory leaves no room for a memory limit";
#endif
    TempDir dir;
    WriteFile(dir / "greedy.pdf", GreedyPdf());
    WriteFile(dir / "good.pdf", testpdf::SampleDocument());
    const std::string greedy = dir / "greedy.pdf", good = dir / "good.pdf", out = dir / "out";
    CliResult result =
        RunCommand({"-f", "ppm", "--memory-limit", "200", "-o", out.c_str(), greedy.c_str(), good.c_str()});
    EXPECT_EQ(result.status, 1);
    // The library aborts (with its last words, "Out of memory") or throws
    // when memory runs out: either way the limit is named, in the document's turn.
    EXPECT_NE(result.err.find(greedy + ": Stopped: it needed more memory than the 200 MB one document may take "
                                       "(--memory-limit).\n"),
              std::string::npos)
        << result.err;
    std::istringstream lines(result.err);
    for (std::string line; std::getline(lines, line);)
        EXPECT_EQ(line.rfind(greedy + ": ", 0), 0u) << line;
    EXPECT_EQ(result.out, good + ": 11 images written to " + out + "/\n");
}

TEST(CliRun, DocumentsSideBySideGiveTheFilesAndLinesOfOneAfterAnother) {
    TempDir dir;
    mkdir((dir / "a").c_str(), 0777);
    mkdir((dir / "b").c_str(), 0777);
    for (const char* name : {"a/report.pdf", "b/report.pdf", "a/other.pdf", "b/junk.pdf", "a/report.PDF"})
        WriteFile(dir / name, std::string(name) == "b/junk.pdf" ? "junk" : testpdf::SampleDocument());
    const std::string a = dir / "a", b = dir / "b";
    std::map<std::string, std::string> folders[2];
    CliResult results[2];
    for (int i = 0; i < 2; ++i) {
        const std::string out = dir / ("out" + std::to_string(i));
        results[i] = RunCommand({"-j", i == 0 ? "1" : "3", "-f", "png", "-o", out.c_str(), a.c_str(), b.c_str()});
        folders[i] = testing_support::FolderContents(out);
    }
    EXPECT_EQ(results[0].status, 1);
    EXPECT_EQ(results[1].status, 1);
    EXPECT_EQ(std::count_if(folders[0].begin(), folders[0].end(),
                            [](const auto& file) { return !testing_support::IsDoneMarker(file.first); }),
              4 * 11);
    EXPECT_TRUE(folders[0] == folders[1]);
    auto outputFolder = [](std::string text, const std::string& from, const std::string& to) {
        for (size_t at; (at = text.find(from)) != std::string::npos;)
            text.replace(at, from.size(), to);
        return text;
    };
    EXPECT_EQ(outputFolder(results[0].out, "out0", "out"), outputFolder(results[1].out, "out1", "out"));
    EXPECT_EQ(results[0].err, results[1].err);
}

// One document's pages rendered side by side (the raw dump with a processor
// to spare) give the files of one page after another: the same numbers,
// names and bytes.
TEST(CliRun, PagesSideBySideGiveTheFilesOfOnePageAfterAnother) {
    TempDir dir;
    WriteFile(dir / "sample.pdf", testpdf::SampleDocument());
    // An inline image whose data holds "EI" and an image call: where the
    // engine takes the content up again depends on how much of the data was
    // read, so pages are numbered right only if it is read as in the run.
    testpdf::PdfWriter pdf;
    const int gray = pdf.AddImage({"/Width 2 /Height 1 /ColorSpace /DeviceGray /BitsPerComponent 8", "ab", ""});
    testpdf::PageSpec first;
    first.images = {gray};
    std::string data = " EI q /Im0 Do Q";
    data.resize(32, ' ');
    first.extraContent = testpdf::InlineImage("/W 8 /H 4 /BPC 8 /CS /G", data);
    pdf.AddPage(first);
    testpdf::PageSpec second;
    second.images = {gray, gray};
    pdf.AddPage(second);
    WriteFile(dir / "inline.pdf", pdf.Build());
    std::vector<std::string> documents = {dir / "sample.pdf", dir / "inline.pdf"};
    if (testing_support::HaveCorpus())
        for (const std::string& path : testing_support::CorpusFiles(
                 {"damaged-govdocs-914-inline-ccitt-dct.pdf", "flate-png-predictors-16bit-4bit.pdf",
                  "runlength-cmyk-gray-rgb-dct.pdf", "scan-govdocs-ccitt-stencil-2400x3232.pdf"}))
            documents.push_back(path);
    for (const std::string& document : documents) {
        std::map<std::string, std::string> folders[2];
        for (int i = 0; i < 2; ++i) {
            const std::string out = dir / ("out" + std::to_string(i));
            CliResult result = RunCommand({"-j", i == 0 ? "1" : "2", "-f", "ppm", "-o", out.c_str(), document.c_str()});
            EXPECT_EQ(result.status, 0) << document << ": " << result.err;
            folders[i] = testing_support::FolderContents(out);
            std::filesystem::remove_all(out);
        }
        EXPECT_FALSE(folders[0].empty()) << document;
        EXPECT_TRUE(folders[0] == folders[1]) << document;
    }
}

TEST(CliRun, DocumentsWithOneTitleInOneFolderGetFoldersOfTheirOwn) {
    TempDir dir;
    WriteFile(dir / "report.pdf", testpdf::SampleDocument());
    WriteFile(dir / "report.PDF", testpdf::SampleDocument());
    const std::string lower = dir / "report.pdf", upper = dir / "report.PDF";
    CliResult result = RunCommand({"-f", "ppm", lower.c_str(), upper.c_str()});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, lower + ": 11 images written to " + dir / "report/\n" + upper + ": 11 images written to " +
                              dir / "report-2/\n");
    EXPECT_EQ(ListOutputFiles(dir / "report").size(), 11u);
    EXPECT_EQ(ListOutputFiles(dir / "report-2").size(), 11u);
    EXPECT_EQ(result.err, upper + ": Another document of this run writes to '" + dir / "report/'; the images of this one go to '" +
                              dir / "report-2/'.\n");
}

TEST(CliRun, ATitleThatNamesNoFolderOfItsOwnIsReplaced) {
    TempDir dir;
    mkdir((dir / "in").c_str(), 0777);
    WriteFile(dir / "in/...pdf", testpdf::SampleDocument()); // title ".."
    WriteFile(dir / "mine.ppm", "P6\n1 1\n255\nabc");        // the user's own file, one folder up
    const std::string document = dir / "in/...pdf";
    CliResult result = RunCommand({"-f", "png", document.c_str()});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(ListFiles(dir.path()), (std::vector<std::string>{"in", "mine.ppm"}));
    EXPECT_EQ(ListOutputFiles(dir / "in/untitled").size(), 11u);
    EXPECT_EQ(result.err, document + ": The title of this document cannot name its images; they are written as '" +
                              dir / "in/untitled/-NNN'.\n");
}

TEST(CliRun, BadInputsNameTheirCauseAndTheRunGoesOn) {
    TempDir dir;
    WriteFile(dir / "good.pdf", testpdf::SampleDocument());
    WriteFile(dir / "empty.pdf", testpdf::PdfWriter().Build());
    ASSERT_EQ(mkfifo((dir / "pipe.pdf").c_str(), 0666), 0);
    ASSERT_EQ(symlink("loop.pdf", (dir / "loop.pdf").c_str()), 0);
    const std::string good = dir / "good.pdf", empty = dir / "empty.pdf", pipe = dir / "pipe.pdf",
                      loop = dir / "loop.pdf", quoted = "\"" + good + "\"", tooLong = dir / std::string(300, 'x');
    CliResult result = RunCommand({"-f", "ppm", empty.c_str(), pipe.c_str(), loop.c_str(), tooLong.c_str(),
                                   quoted.c_str()});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, pipe + ": Not a regular file.\n" + loop + ": Too many levels of symbolic links.\n" +
                              tooLong + ": File name too long.\n" + empty + ": The document has no pages.\n");
    EXPECT_EQ(result.out, good + ": 11 images written to " + dir / "good/\n");

    const std::string blocked = dir / "good.pdf/out";
    CliResult noFolder = RunCommand({"-o", blocked.c_str(), good.c_str()});
    EXPECT_EQ(noFolder.status, 1);
    EXPECT_EQ(noFolder.err, blocked + ": Cannot make the output folder: Not a directory.\n");
}

// A document in a folder where its own folder cannot be made is skipped with
// the system's reason, as -o tells it, not with what writing an image into
// the missing folder would say.
TEST(CliRun, AnOwnFolderThatCannotBeMadeIsToldWithItsCause) {
    TempDir dir;
    chmod(dir.path().c_str(), 0755);
    const std::string folder = dir / "read-only", good = folder + "/good.pdf";
    ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    WriteFile(good, testpdf::SampleDocument());
    ASSERT_EQ(chmod(folder.c_str(), 0555), 0);
    TempDir output;
    const int out = open((output / "out").c_str(), O_WRONLY | O_CREAT, 0666);
    const int err = open((output / "err").c_str(), O_WRONLY | O_CREAT, 0666);
    // Without the administrator's right to write anywhere.
    const int status = RunProgram({"-f", "ppm", good}, out, err, [] {
        if (geteuid() == 0 && setuid(65534) != 0)
            _exit(126);
    });
    close(out);
    close(err);
    chmod(folder.c_str(), 0755);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(testing_support::ReadFile(output / "out"), "");
    EXPECT_EQ(testing_support::ReadFile(output / "err"),
              good + ": Cannot make the output folder '" + folder + "/good/': Permission denied.\n");
}

// Control characters, C1 ones as UTF-8 writes them included, are shown as
// their bytes escaped; other characters, whatever their length, stay.
TEST(TerminalText, EscapesControlCharactersOnly) {
    const struct {
        std::string text, shown, shownKeepingLines;
    } cases[] = {
        {"plain r\xc3\xa9sum\xc3\xa9 \xe6\x96\x87", "plain r\xc3\xa9sum\xc3\xa9 \xe6\x96\x87",
         "plain r\xc3\xa9sum\xc3\xa9 \xe6\x96\x87"},
        {"a\x1b]0;t\x07" "b\x7f", "a\\x1b]0;t\\x07b\\x7f", "a\\x1b]0;t\\x07b\\x7f"},
        {"csi\xc2\x9b" "31m", "csi\\xc2\\x9b" "31m", "csi\\xc2\\x9b" "31m"},
        {"two\nlines\r\t", "two\\x0alines\\x0d\\x09", "two\nlines\\x0d\\x09"},
        {"\xc2\xa0 no-break space, and a lone \xc2", "\xc2\xa0 no-break space, and a lone \xc2",
         "\xc2\xa0 no-break space, and a lone \xc2"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TerminalText(c.text, false), c.shown);
        EXPECT_EQ(TerminalText(c.text, true), c.shownKeepingLines);
    }
}

// A document named with escape sequences neither retitles a terminal nor
// colours it: on a terminal, the control characters of what is printed are
// shown escaped, on standard output and standard error alike. Elsewhere the
// bytes go out as they are.
TEST(CliRun, OnATerminalTheControlCharactersOfNamesAreShownEscaped) {
    TempDir dir;
    const std::string good = dir / "title\x1b]0;owned\x07\x1b[31mred.pdf", gone = dir / "gone\x1b[2J.pdf";
    WriteFile(good, testpdf::SampleDocument());
    const std::string shownGood = dir / "title\\x1b]0;owned\\x07\\x1b[31mred";
    const std::string shownGone = dir / "gone\\x1b[2J.pdf";

    Terminal out, err;
    ASSERT_GE(out.slave, 0);
    ASSERT_GE(err.slave, 0);
    const int status = RunProgram({"-f", "ppm", good, gone}, out.slave, err.slave, [] {});
    close(out.slave);
    close(err.slave);
    EXPECT_EQ(status, 1);
    const std::string printed = ReadToEnd(out.master), told = ReadToEnd(err.master);
    EXPECT_EQ(printed, shownGood + ".pdf: 11 images written to " + shownGood + "/\n");
    EXPECT_NE(told.find(shownGone + ": No such file or directory.\n"), std::string::npos) << told;
    EXPECT_EQ(told.find("\x1b[2J"), std::string::npos);
    EXPECT_EQ(told.find('\x07'), std::string::npos);

    const CliResult piped = RunCommand({"-f", "ppm", good.c_str(), gone.c_str()});
    EXPECT_EQ(piped.out, good + ": 11 images written to " + dir / "title\x1b]0;owned\x07\x1b[31mred/\n");
    EXPECT_EQ(piped.err, gone + ": No such file or directory.\n");
}

TEST(CliRun, PasswordsForTheRunDoNotShutDocumentsThatNeedNone) {
    const std::string nocopy = FixtureDir() + "/owner-nocopy.pdf", locked = FixtureDir() + "/user-password.pdf";
    CliResult extraction = RunCommand({"-f", "ppm", "--user-password", "user", nocopy.c_str()});
    EXPECT_EQ(extraction.err, nocopy + ": Copying of images from this document is not allowed.\n");
    CliResult summary = RunCommand({"--summary", "--user-password", "user", nocopy.c_str(), locked.c_str()});
    EXPECT_EQ(summary.status, 0) << summary.err;
    EXPECT_EQ(summary.err, "");
}

namespace {

// The six images people most often find in the wrong colours or without
// their transparency, each 8x8 on a page of its own.
std::string SixMaskAndPolarityImages() {
    testpdf::PdfWriter pdf;
    const std::string size = "/Width 8 /Height 8 ";
    auto bits = [](unsigned (*bit)(int, int)) {
        return testpdf::PackSamples(8, 8, 1, 1, [=](int x, int y, int) { return bit(x, y); });
    };
    const std::string red = testpdf::PackSamples(8, 8, 3, 8, [](int, int, int c) { return c == 0 ? 255u : 0u; });
    const std::string greenLeftRedRight =
        testpdf::PackSamples(8, 8, 3, 8, [](int x, int, int c) { return (x < 4 ? c == 1 : c == 0) ? 255u : 0u; });
    const int softMask = pdf.AddImage({size + "/ColorSpace /DeviceGray /BitsPerComponent 8",
                                       testpdf::PackSamples(8, 8, 1, 8, [](int x, int, int) { return x < 4 ? 0u : 255u; }),
                                       ""});
    const int images[] = {
        pdf.AddImage({size + "/ColorSpace /DeviceGray /BitsPerComponent 1 /Decode [1 0]",
                      bits([](int, int) { return 0u; }), ""}),
        pdf.AddImage({size + "/ColorSpace [/Indexed /DeviceRGB 1 <FF0000 0000FF>] /BitsPerComponent 1",
                      bits([](int, int y) { return y < 4 ? 0u : 1u; }), ""}),
        pdf.AddImage({size + "/ImageMask true /Decode [1 0]", bits([](int, int) { return 1u; }), ""}),
        pdf.AddImage({size + "/ImageMask true", bits([](int, int) { return 0u; }), ""}),
        pdf.AddImage({size + "/ColorSpace /DeviceRGB /BitsPerComponent 8 /SMask " + std::to_string(softMask) + " 0 R",
                      red, ""}),
        pdf.AddImage({size + "/ColorSpace /DeviceRGB /BitsPerComponent 8 /Mask [0 0 255 255 0 0]", greenLeftRedRight,
                      ""}),
    };
    for (int image : images)
        pdf.AddPage({{image}, "", "[0 0 100 100]"});
    return pdf.Build();
}

struct RgbaPixel {
    int r, g, b, a;
    bool operator==(const RgbaPixel& o) const { return r == o.r && g == o.g && b == o.b && a == o.a; }
};

// The pixels of a PNG file as RGBA, row by row from the top.
std::vector<RgbaPixel> ReadPngPixels(const std::string& path) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    std::vector<RgbaPixel> pixels;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        return pixels;
    image.format = PNG_FORMAT_RGBA;
    std::vector<png_byte> bytes(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, bytes.data(), 0, nullptr))
        return pixels;
    for (size_t i = 0; i + 3 < bytes.size(); i += 4)
        pixels.push_back({bytes[i], bytes[i + 1], bytes[i + 2], bytes[i + 3]});
    return pixels;
}

} // namespace

// -f png: one-bit images in the colours the page shows, stencil masks alike
// whatever their Decode array, and masked images with the page's transparency.
TEST(CliRun, PngFilesShowWhatThePageShowsAlphaIncluded) {
    TempDir dir;
    WriteFile(dir / "six.pdf", SixMaskAndPolarityImages());
    const std::string pdf = dir / "six.pdf", out = dir / "out";
    CliResult result = RunCommand({"-f", "png", "-o", out.c_str(), pdf.c_str()});
    ASSERT_EQ(result.status, 0) << result.err;
    const RgbaPixel white{255, 255, 255, 255}, red{255, 0, 0, 255}, blue{0, 0, 255, 255};
    std::vector<std::function<RgbaPixel(int, int)>> expected = {
        [&](int, int) { return white; },                   // Decode [1 0] over samples 0: white
        [&](int, int y) { return y < 4 ? red : blue; },    // the palette's colours
        [&](int, int) { return white; },                   // a stencil painting everywhere: all painted
        [&](int, int) { return white; },                   // the same pixels painted, the same file
        [&](int x, int) { return x < 4 ? RgbaPixel{255, 0, 0, 0} : red; },     // the soft mask as alpha
        [&](int x, int) { return x < 4 ? RgbaPixel{0, 255, 0, 0} : red; },     // green keyed out
    };
    for (size_t n = 0; n < expected.size(); ++n) {
        const std::string file = out + "/six-00" + std::to_string(n) + ".png";
        const std::vector<RgbaPixel> pixels = ReadPngPixels(file);
        ASSERT_EQ(pixels.size(), 64u) << file;
        for (int i = 0; i < 64; ++i)
            EXPECT_EQ(pixels[static_cast<size_t>(i)], expected[n](i % 8, i / 8)) << file << " pixel " << i;
    }
    EXPECT_EQ(ListOutputFiles(out).size(), 6u);
}

// Separate: each mask beside its image as NAME.mask.pgm at its own size,
// whatever the format; none and formats without alpha keep the image alone.
TEST(CliRun, MasksAsSeparateFilesOrNone) {
    TempDir dir;
    WriteFile(dir / "six.pdf", SixMaskAndPolarityImages());
    const std::string pdf = dir / "six.pdf", separate = dir / "separate", plain = dir / "plain";
    CliResult result = RunCommand({"-f", "jpg", "--masks", "separate", "-o", separate.c_str(), pdf.c_str()});
    ASSERT_EQ(result.status, 0) << result.err;
    const std::string leftClear = "P5\n8 8\n255\n" + [] {
        std::string rows;
        for (int i = 0; i < 64; ++i)
            rows += static_cast<char>(i % 8 < 4 ? 0 : 255);
        return rows;
    }();
    EXPECT_EQ(testing_support::ReadFile(separate + "/six-004.mask.pgm"), leftClear);
    EXPECT_EQ(testing_support::ReadFile(separate + "/six-005.mask.pgm"), leftClear);
    EXPECT_EQ(ListOutputFiles(separate), (std::vector<std::string>{"six-000.jpg", "six-001.jpg", "six-002.jpg", "six-003.jpg",
                                                "six-004.jpg", "six-004.mask.pgm", "six-005.jpg", "six-005.mask.pgm"}));

    result = RunCommand({"-f", "ppm", "-o", plain.c_str(), pdf.c_str()});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(ListOutputFiles(plain), (std::vector<std::string>{"six-000.pbm", "six-001.ppm", "six-002.pbm", "six-003.pbm",
                                                          "six-004.ppm", "six-005.ppm"}));
}

// A mask file takes its image's name, whatever names the images are given;
// an image left out for its size leaves out its mask too.
TEST(CliRun, AMaskFileTakesItsImagesNameAndLeavesWithIt) {
    TempDir dir;
    WriteFile(dir / "six.pdf", SixMaskAndPolarityImages());
    const std::string pdf = dir / "six.pdf", named = dir / "named", small = dir / "small";
    CliResult result =
        RunCommand({"-f", "jpg", "--masks", "separate", "--name", "p{page}{title}", "-o", named.c_str(), pdf.c_str()});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(ListOutputFiles(named),
              (std::vector<std::string>{"p1six.jpg", "p2six.jpg", "p3six.jpg", "p4six.jpg", "p5six.jpg",
                                        "p5six.mask.pgm", "p6six.jpg", "p6six.mask.pgm"}));
    for (const char* masks : {"separate", "alpha"}) {
        result = RunCommand({"-f", "png", "--masks", masks, "--min-size", "9", "-o", small.c_str(), pdf.c_str()});
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(ListOutputFiles(small), std::vector<std::string>{}) << masks;
    }
}

// An inline image's data lies in the page's content, and its colour key's
// mask is read from it a second time: the mask is the image's, and the
// content that follows the image is still read.
TEST(CliRun, AnInlineImagesColourKeyMaskLeavesThePageWhole) {
    TempDir dir;
    std::string greenLeftRedRight;
    for (int x = 0; x < 8; ++x)
        greenLeftRedRight += x < 4 ? std::string("\x00\xff\x00", 3) : std::string("\xff\x00\x00", 3);
    testpdf::PdfWriter pdf;
    pdf.AddPage({{}, testpdf::InlineImage("/W 8 /H 1 /CS /RGB /BPC 8 /Mask [0 0 255 255 0 0]", greenLeftRedRight) +
                         testpdf::InlineImage("/W 8 /H 4 /CS /G /BPC 8", std::string(32, 'a'))});
    const std::string document = dir / "inline.pdf", out = dir / "out";
    WriteFile(document, pdf.Build());
    const CliResult result = RunCommand({"-f", "ppm", "--masks", "separate", "-o", out.c_str(), document.c_str()});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(ListOutputFiles(out),
              (std::vector<std::string>{"inline-000.mask.pgm", "inline-000.ppm", "inline-001.ppm"}));
    EXPECT_EQ(testing_support::ReadFile(out + "/inline-000.ppm"), "P6\n8 1\n255\n" + greenLeftRedRight);
    EXPECT_EQ(testing_support::ReadFile(out + "/inline-000.mask.pgm"),
              "P5\n8 1\n255\n" + std::string(4, '\0') + std::string(4, '\xff'));
}

// The sample's inline image is 4 x 2 pixels, its others 48 x 32: a minimum
// leaves out the small one, and the others keep the numbers they had.
TEST(CliRun, AMinimumSizeLeavesSmallImagesOutAndKeepsTheOthersNumbers) {
    TempDir dir;
    const std::string document = dir / "sample.pdf", out = dir / "out", results = dir / "results.jsonl";
    WriteFile(document, testpdf::SampleDocument());
    CliResult result = RunCommand({"-f", "ppm", "--min-size", "5", "--results", results.c_str(), "-o", out.c_str(),
                                   document.c_str()});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, document + ": 10 images written to " + out + "/ (1 below the minimum size)\n");
    std::vector<std::string> files = ListOutputFiles(out);
    ASSERT_EQ(files.size(), 10u);
    EXPECT_EQ(files[8], "sample-008.ppm");
    EXPECT_EQ(files[9], "sample-010.ppm");
    EXPECT_NE(testing_support::ReadFile(results).find("\"below_minimum\":1"), std::string::npos);

    result = RunCommand({"--min-size", "48x33", "-o", out.c_str(), document.c_str()});
    EXPECT_EQ(result.out, document + ": 0 images written to " + out + "/ (11 below the minimum size)\n");
    result = RunCommand({"--list", "--csv", "--min-size", "48x32", document.c_str()});
    const size_t at = result.out.find(",below the minimum size");
    ASSERT_NE(at, std::string::npos) << result.out;
    EXPECT_EQ(result.out.find(",below the minimum size", at + 1), std::string::npos) << result.out;
    const size_t start = result.out.rfind('\n', at) + 1;
    EXPECT_EQ(result.out.substr(start, at - start).find("," + std::string("1,9,image,4,2,")), document.size())
        << result.out;
}

// Names from a template: the object number, "inline" for an inline image, and
// -2 for the second use of one object; in a folder of its own, pages alike.
TEST(CliRun, NameTemplatesNameTheFilesAndKeepNamesAlikeApart) {
    TempDir dir;
    const std::string document = dir / "sample.pdf", out = dir / "out";
    WriteFile(document, testpdf::SampleDocument());
    CliResult result = RunCommand({"-f", "png", "--name", "{title}-{obj:03}", "-o", out.c_str(), document.c_str()});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(ListOutputFiles(out),
              (std::vector<std::string>{"sample-001-2.jpg", "sample-001.jpg", "sample-002.png", "sample-003.png",
                                        "sample-004.png", "sample-005.png", "sample-006.png", "sample-007.png",
                                        "sample-008.png", "sample-010.png", "sample-inline.png"}));
    result = RunCommand({"-f", "ppm", "--name", "p{page}", document.c_str()});
    EXPECT_EQ(result.status, 0) << result.err;
    std::vector<std::string> files = ListOutputFiles(dir / "sample");
    EXPECT_EQ(files.size(), 11u);
    EXPECT_EQ(files.front(), "p1-10.ppm");
    EXPECT_EQ(files.back(), "p2.ppm");
    EXPECT_EQ(std::count_if(files.begin(), files.end(), [](const std::string& f) { return f.rfind("p1", 0) == 0; }), 10);
}

// A small inline image left out is still read to its end, so that data that
// looks like its end marker does not cut the page's content short.
TEST(CliRun, AnInlineImageLeftOutForItsSizeDoesNotCutThePageShort) {
    TempDir dir;
    testpdf::PdfWriter pdf;
    pdf.AddPage({{}, testpdf::InlineImage("/W 2 /H 2 /CS /G /BPC 8", "EI (") +
                         testpdf::InlineImage("/W 8 /H 4 /CS /G /BPC 8", std::string(32, 'a'))});
    const std::string document = dir / "inline.pdf", out = dir / "out";
    WriteFile(document, pdf.Build());
    const CliResult result = RunCommand({"-f", "ppm", "--min-size", "3", "-o", out.c_str(), document.c_str()});
    EXPECT_EQ(result.out, document + ": 1 image written to " + out + "/ (1 below the minimum size)\n") << result.err;
    EXPECT_EQ(ListOutputFiles(out), std::vector<std::string>{"inline-001.ppm"});
}
