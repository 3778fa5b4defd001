#include "engine/pdf/document_summary.h"
#include "engine/settings/text_format.h"
#include "platform/file_path_info.h"
#include "tests/support/pdf_writer.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

using testing_support::FixtureDir;
using testing_support::RecordingMessages;
using testing_support::TempDir;
using testing_support::WriteFile;

namespace {

std::string OnePagePdf(const std::string& version, const std::string& mediaBox, const std::string& cropBox = {}) {
    testpdf::PdfWriter pdf(version);
    testpdf::PageSpec page;
    page.mediaBox = mediaBox;
    page.cropBox = cropBox;
    pdf.AddPage(page);
    pdf.AddPage({});
    return pdf.Build();
}

std::string Describe(const DocumentSummary& summary) {
    std::string text;
    for (const SummaryBlock& b : summary.blocks)
        text += std::string(b.bold ? "B" : "-") + (b.underline ? "U" : "-") + FormatText("%06X|", b.colour) +
                b.text + "\n";
    return text;
}

} // namespace

TEST(DocumentSummary, BlocksOfAValidDocument) {
    TempDir dir;
    std::string path = dir / "letter.pdf";
    WriteFile(path, OnePagePdf("1.4", "[0 0 612 792]"));
    platform::FilePathInfo info(path);
    std::uint64_t size = info.FileSize();

    RecordingMessages messages;
    DocumentSummary summary = BuildDocumentSummary(path, messages);
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_EQ(summary.pageCount, 2);
    std::string expected =
        "B-0000C0|" + path + "\n\n" +
        "BU000000|Summary:\n\n"
        "--000000|\tFile Size: " + FormatThousands(size / 1024) + " KB (" + FormatThousands(size) + " Bytes)\n\n" +
        "--000000|\tCreation Time: " + FormatLocalTime(*info.CreationTime()) + "\n\n" +
        "BU000000|PDF Description:\n\n"
        "--000000|\tPDF Version: 1.4 (Acrobat 5.x) \n\tPage Size: 816 x 1056 Pixel\n\tNumber of Pages: 2\n\n"
        "BU000000|PDF Security:\n\n"
        "--000000|\tPrinting: Allowed\n\tDocument Assembly: Allowed\n"
        "\tContent Copying or Extraction: Allowed\n\tCommenting: Allowed\n";
    EXPECT_EQ(Describe(summary), expected);
}

TEST(DocumentSummary, VersionNamesAndPageSizes) {
    struct Case {
        const char* version;
        const char* mediaBox;
        const char* cropBox;
        const char* expected;
    } cases[] = {
        {"1.0", "[0 0 612 792]", "", "\tPDF Version: 1.0 (Acrobat 1.x) \n\tPage Size: 816 x 1056 Pixel\n"},
        {"1.6", "[0 0 595 842]", "", "\tPDF Version: 1.6 (Acrobat 7.x) \n\tPage Size: 793 x 1123 Pixel\n"},
        {"1.7", "[0 0 612 792]", "", "\tPDF Version: 1.7 (Unknown Acrobat Version) \n"},
        {"2.0", "[0 0 612 792]", "", "(Unknown Acrobat Version) "},
        {"1.3", "[0 0 612 792]", "[100 100 400 700]", "\tPage Size: 400 x 800 Pixel\n"},
    };
    TempDir dir;
    for (const Case& c : cases) {
        std::string path = dir / "doc.pdf";
        WriteFile(path, OnePagePdf(c.version, c.mediaBox, c.cropBox));
        RecordingMessages messages;
        std::string text = SummaryPlainText(BuildDocumentSummary(path, messages));
        EXPECT_NE(text.find(c.expected), std::string::npos) << c.version << "\n" << text;
    }
}

TEST(DocumentSummary, InvalidFileStopsAfterTheDescriptionHeading) {
    struct Case {
        size_t bytes;
        const char* sizeLine;
    } cases[] = {{1536, "\tFile Size: 1 KB (1,536 Bytes)\n"}, {999, "\tFile Size: 0 KB (999 Bytes)\n"}};
    TempDir dir;
    for (const Case& c : cases) {
        WriteFile(dir / "junk.pdf", std::string(c.bytes, 'x'));
        RecordingMessages messages;
        DocumentSummary summary = BuildDocumentSummary(dir / "junk.pdf", messages);
        EXPECT_EQ(messages.messages, std::vector<std::string>{"Not a valid pdf file!"});
        EXPECT_EQ(summary.pageCount, 0);
        ASSERT_EQ(summary.blocks.size(), 5u);
        EXPECT_EQ(summary.blocks[2].text, c.sizeLine);
        EXPECT_EQ(summary.blocks[4].text, "PDF Description:\n");
    }
}

TEST(DocumentSummary, MissingFileShowsZeroSize) {
    RecordingMessages messages;
    DocumentSummary summary = BuildDocumentSummary("/nonexistent/gone.pdf", messages);
    EXPECT_EQ(messages.messages, std::vector<std::string>{"Cannot read this file: No such file or directory."});
    ASSERT_EQ(summary.blocks.size(), 5u);
    EXPECT_EQ(summary.blocks[2].text, "\tFile Size: 0 KB (0 Bytes)\n");
}

TEST(DocumentSummary, EncryptedDocuments) {
    // Owner password only, copying forbidden: a full summary.
    RecordingMessages messages;
    std::string text = SummaryPlainText(BuildDocumentSummary(FixtureDir() + "/owner-nocopy.pdf", messages));
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_NE(text.find("\tContent Copying or Extraction: Not Allowed\n"), std::string::npos);
    EXPECT_NE(text.find("\tPrinting: Allowed\n"), std::string::npos);

    // Without its user password the document stays closed; with it, it opens.
    RecordingMessages locked;
    DocumentSummary summary = BuildDocumentSummary(FixtureDir() + "/user-password.pdf", locked);
    EXPECT_EQ(locked.messages, std::vector<std::string>{"Not a valid pdf file!"});
    EXPECT_EQ(summary.blocks.size(), 5u);
    RecordingMessages opened;
    EXPECT_GT(BuildDocumentSummary(FixtureDir() + "/user-password.pdf", opened, "", "user").pageCount, 0);
    EXPECT_TRUE(opened.messages.empty());
}
