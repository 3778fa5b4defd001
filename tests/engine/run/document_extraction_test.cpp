#include "engine/run/document_extraction.h"
#include "engine/pdf/document_summary.h"
#include "platform/file_system.h"
#include "tests/support/pdf_writer.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <thread>

using namespace testpdf;
using testing_support::FixtureDir;
using testing_support::ListFiles;
using testing_support::RecordingMessages;
using testing_support::RecordingProgress;
using testing_support::TempDir;
using testing_support::WriteFile;

namespace {

// Page n holds n gray images of 1 x 1 pixel, so the files show which pages ran.
std::string PagesPdf(int pages) {
    PdfWriter pdf;
    int gray = pdf.AddImage({"/Width 1 /Height 1 /ColorSpace /DeviceGray /BitsPerComponent 8", "a", ""});
    for (int n = 1; n <= pages; ++n)
        pdf.AddPage({std::vector<int>(n, gray)});
    return pdf.Build();
}

std::string JpegPdf() {
    PdfWriter pdf;
    std::string jpeg = MakeJpeg(8, 8, 3, [](int x, int y, int c) { return static_cast<unsigned char>(x * y * c); });
    int image = pdf.AddImage({"/Width 8 /Height 8 /ColorSpace /DeviceRGB /BitsPerComponent 8", jpeg, "/DCTDecode"});
    pdf.AddPage({{image}});
    return pdf.Build();
}

struct Extraction {
    RecordingMessages messages;
    RecordingProgress progress;
    OutputPlanner planner;

    ExtractResult Extract(const std::string& path, const ConvertSettings& settings, int number = 1, int count = 1,
                          const std::string& owner = {}, const std::string& user = {}) {
        return ExtractDocument({path, owner, user, number, count}, settings, planner.Plan(path, settings), messages,
                               progress);
    }
};

} // namespace

TEST(DocumentExtraction, RangeIsClampedToTheDocument) {
    TempDir dir;
    WriteFile(dir / "four.pdf", PagesPdf(4));
    ConvertSettings settings;
    settings.pageRange = 1;
    settings.startPage = 3;
    settings.endPage = 5;
    Extraction run;
    ExtractResult result = run.Extract(dir / "four.pdf", settings);
    EXPECT_EQ(result.outcome, ExtractOutcome::Extracted);
    EXPECT_EQ(result.outputDirectory, dir / "four/");
    EXPECT_EQ(result.imagesWritten, 3 + 4);
    EXPECT_EQ(run.progress.total, std::vector<std::string>{"File 1 of 1, 0%@0"});
    EXPECT_EQ(run.progress.current, (std::vector<std::string>{"Page 1 of 2, 50%@50", "Page 2 of 2, 100%@100"}));
    EXPECT_TRUE(run.messages.messages.empty());
}

TEST(DocumentExtraction, AllPagesIgnoresTheSelectedRange) {
    TempDir dir;
    WriteFile(dir / "two.pdf", PagesPdf(2));
    ConvertSettings settings;
    settings.startPage = 5;
    settings.endPage = 1;
    Extraction run;
    EXPECT_EQ(run.Extract(dir / "two.pdf", settings, 2, 3).imagesWritten, 3);
    EXPECT_EQ(run.progress.total, std::vector<std::string>{"File 2 of 3, 33%@33"});
}

TEST(DocumentExtraction, RangeBeyondTheDocumentStopsWithAMessage) {
    TempDir dir;
    WriteFile(dir / "two.pdf", PagesPdf(2));
    ConvertSettings settings;
    settings.pageRange = 1;
    settings.startPage = 3;
    settings.endPage = 5;
    Extraction run;
    EXPECT_EQ(run.Extract(dir / "two.pdf", settings).outcome, ExtractOutcome::RangeError);
    EXPECT_EQ(run.messages.messages,
              std::vector<std::string>{"The '" + dir / "two.pdf" +
                                       "' file only contain 2 pages, please correct the page range in the "
                                       "setting dialog and try again."});
    EXPECT_FALSE(platform::PathExists(dir / "two"));
}

TEST(DocumentExtraction, RefusedDocuments) {
    TempDir dir;
    WriteFile(dir / "junk.pdf", "not a pdf");
    WriteFile(dir / "empty.pdf", PdfWriter().Build()); // a page tree without pages
    ASSERT_EQ(mkfifo((dir / "pipe.pdf").c_str(), 0666), 0);
    struct Case {
        std::string path, owner, user, message;
    } cases[] = {
        {dir / "junk.pdf", "", "", "Not a valid pdf file!"},
        {dir / "missing.pdf", "", "", "Cannot read this file: No such file or directory."},
        {dir / "pipe.pdf", "", "", "Not a regular file."},
        {dir / "empty.pdf", "", "", "The document has no pages."},
        {FixtureDir() + "/user-password.pdf", "", "", "Not a valid pdf file!"},
        {FixtureDir() + "/user-password.pdf", "", "wrong", "Not a valid pdf file!"},
        {FixtureDir() + "/owner-nocopy.pdf", "", "", "Copying of images from this document is not allowed."},
        // Passwords that do not fit a document that needs none are not held against it.
        {FixtureDir() + "/owner-nocopy.pdf", "wrong", "wrong", "Copying of images from this document is not allowed."},
    };
    for (const Case& c : cases) {
        Extraction run;
        ConvertSettings settings;
        settings.outputDirectory = dir.path();
        EXPECT_EQ(run.Extract(c.path, settings, 1, 1, c.owner, c.user).outcome, ExtractOutcome::Skipped) << c.path;
        EXPECT_EQ(run.messages.messages, std::vector<std::string>{c.message}) << c.path;
        EXPECT_TRUE(run.progress.total.empty());
    }
    EXPECT_EQ(ListFiles(dir.path()), (std::vector<std::string>{"empty.pdf", "junk.pdf", "pipe.pdf"}));
}

TEST(DocumentExtraction, PasswordsOpenProtectedDocuments) {
    TempDir dir;
    ConvertSettings settings;
    settings.outputDirectory = dir.path();
    Extraction run;
    EXPECT_EQ(run.Extract(FixtureDir() + "/user-password.pdf", settings, 1, 1, "", "user").outcome,
              ExtractOutcome::Extracted);
    EXPECT_EQ(run.Extract(FixtureDir() + "/owner-nocopy.pdf", settings, 1, 1, "owner", "").outcome,
              ExtractOutcome::Extracted);
    EXPECT_TRUE(run.messages.messages.empty());
    EXPECT_GT(ListFiles(dir.path()).size(), 10u);
}

TEST(DocumentExtraction, SharedOutputDirectoryNamesFilesAfterEachDocument) {
    TempDir dir;
    mkdir((dir / "a").c_str(), 0777);
    mkdir((dir / "b").c_str(), 0777);
    mkdir((dir / "out").c_str(), 0777);
    WriteFile(dir / "a/report.pdf", JpegPdf());
    WriteFile(dir / "b/report.pdf", JpegPdf());
    WriteFile(dir / "b/report-2.pdf", JpegPdf());
    ConvertSettings settings;
    settings.outputDirectory = dir / "out";
    Extraction run;
    EXPECT_EQ(run.Extract(dir / "a/report.pdf", settings).imageRoot, dir / "out/report");
    run.Extract(dir / "b/report.pdf", settings);
    run.Extract(dir / "b/report-2.pdf", settings);
    EXPECT_EQ(ListFiles(dir / "out"),
              (std::vector<std::string>{"report-000.jpg", "report-2-000.jpg", "report-2-2-000.jpg"}));
}

TEST(DocumentExtraction, MissingOutputDirectoryFallsBackBesideTheDocument) {
    TempDir dir;
    WriteFile(dir / "report.pdf", JpegPdf());
    ConvertSettings settings;
    settings.outputDirectory = dir / "deleted";
    Extraction run;
    ExtractResult result = run.Extract(dir / "report.pdf", settings);
    EXPECT_EQ(result.outputDirectory, dir / "report/");
    EXPECT_EQ(ListFiles(dir / "report"), std::vector<std::string>{"-000.jpg"});
}

TEST(DocumentExtraction, RawModeDecodesJpegImages) {
    TempDir dir;
    WriteFile(dir / "report.pdf", JpegPdf());
    ConvertSettings settings;
    settings.imagesFormat = OUTPUT_PPM_PBM;
    Extraction run;
    run.Extract(dir / "report.pdf", settings);
    EXPECT_EQ(ListFiles(dir / "report"), std::vector<std::string>{"-000.ppm"});
}

// The folder's own cause is told, not what writing an image into it would say.
TEST(DocumentExtraction, UncreatableOutputDirectorySkipsTheDocumentWithItsCause) {
    TempDir dir;
    WriteFile(dir / "report.pdf", JpegPdf());
    WriteFile(dir / "report", "a file where the folder should be");
    ConvertSettings settings;
    Extraction run;
    ExtractResult result = run.Extract(dir / "report.pdf", settings);
    EXPECT_EQ(result.outcome, ExtractOutcome::Skipped);
    EXPECT_EQ(result.imagesWritten, 0);
    EXPECT_EQ(result.imagesFailed, 0);
    EXPECT_EQ(run.messages.messages,
              std::vector<std::string>{"Cannot make the output folder '" + dir / "report/': File exists."});
}

TEST(DocumentExtraction, SummariesCanBeBuiltWhileARunExtracts) {
    TempDir dir;
    WriteFile(dir / "a.pdf", PagesPdf(30));
    WriteFile(dir / "b.pdf", JpegPdf());
    RecordingMessages quiet;
    const std::string expected = SummaryPlainText(BuildDocumentSummary(dir / "b.pdf", quiet));

    std::atomic<bool> running{true};
    std::atomic<int> mismatches{0};
    std::thread summaries([&] {
        while (running) {
            RecordingMessages messages;
            if (SummaryPlainText(BuildDocumentSummary(dir / "b.pdf", messages)) != expected)
                ++mismatches;
        }
    });
    for (int round = 0; round < 5; ++round) {
        Extraction run;
        EXPECT_EQ(run.Extract(dir / "a.pdf", ConvertSettings()).imagesWritten, 30 * 31 / 2);
    }
    running = false;
    summaries.join();
    EXPECT_EQ(mismatches, 0);
}
