#include "cli/image_list.h"
#include "tests/support/cli_output.h"
#include "tests/support/pdf_writer.h"
#include "tests/support/sample_document.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sstream>

using testing_support::CliResult;
using testing_support::ListFiles;
using testing_support::TempDir;
using testing_support::WriteFile;

namespace {

CliResult RunList(std::vector<const char*> args) { return testing_support::RunCliCommand(std::move(args)); }

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

} // namespace

// The sample holds 11 images and a soft mask: 12 entries per document, in the
// dump's order, and the JSON lines parse back to the same facts.
TEST(CliList, JsonLinesParseBackInTheOrderOfTheDocuments) {
    TempDir dir;
    const std::string first = dir / "first.pdf", second = dir / "second.pdf", out = dir / "out";
    WriteFile(first, testpdf::SampleDocument());
    WriteFile(second, testpdf::SampleDocument());
    const CliResult result = RunList({"--list", "--json", "-j", "2", "-o", out.c_str(), first.c_str(), second.c_str()});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    const std::vector<std::string> lines = Lines(result.out);
    ASSERT_EQ(lines.size(), 24u) << result.out;
    std::vector<int> numbers;
    for (size_t i = 0; i < lines.size(); ++i) {
        const nlohmann::json line = nlohmann::json::parse(lines[i]);
        EXPECT_EQ(line.at("path"), i < 12 ? first : second);
        if (line.at("type") != "smask")
            numbers.push_back(line.at("image").get<int>());
    }
    EXPECT_EQ(numbers, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    const nlohmann::json jpeg = nlohmann::json::parse(lines[0]);
    EXPECT_EQ(jpeg.at("encoding"), "jpeg");
    EXPECT_EQ(jpeg.at("colour_space"), "DeviceRGB");
    EXPECT_EQ(jpeg.at("object"), 1);
    EXPECT_EQ(jpeg.at("generation"), 0);
    const nlohmann::json inlineImage = nlohmann::json::parse(lines[10]);
    EXPECT_EQ(inlineImage.at("inline"), true);
    EXPECT_TRUE(inlineImage.at("object").is_null());
    EXPECT_TRUE(inlineImage.at("stored_bytes").is_null());
    // Nothing is extracted: no output folder, no marker, nothing beside the documents.
    EXPECT_EQ(ListFiles(dir.path()), (std::vector<std::string>{"first.pdf", "second.pdf"}));
}

TEST(CliList, CsvHasOneHeaderAndQuotesWhatNeedsIt) {
    TempDir dir;
    const std::string document = dir / "a, \"b\".pdf";
    WriteFile(document, testpdf::SampleDocument());
    const CliResult result = RunList({"--list", "--csv", document.c_str()});
    EXPECT_EQ(result.status, 0) << result.err;
    const std::vector<std::string> lines = Lines(result.out);
    ASSERT_EQ(lines.size(), 13u) << result.out;
    EXPECT_EQ(lines[0] + "\n", CsvHeader(false));
    EXPECT_EQ(lines[0].rfind("path,page,image,type,width,height,", 0), 0u) << lines[0];
    const std::string quoted = "\"" + dir.path() + "/a, \"\"b\"\".pdf\",";
    EXPECT_EQ(lines[1].rfind(quoted + "1,0,image,48,32,DeviceRGB,3,8,jpeg,false,false,1,0,100.0,100.0,", 0), 0u)
        << lines[1];
    EXPECT_NE(lines[10].find(",masks are not written"), std::string::npos) << lines[10];
}

TEST(CliList, TheTableAlignsItsColumnsAndBadDocumentsKeepTheirMessageAndStatus) {
    TempDir dir;
    const std::string good = dir / "good.pdf", bad = dir / "bad.pdf";
    WriteFile(good, testpdf::SampleDocument());
    WriteFile(bad, "not a PDF");
    const CliResult result = RunList({"--list", bad.c_str(), good.c_str()});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, bad + ": Not a valid pdf file!\n");
    const std::vector<std::string> lines = Lines(result.out);
    ASSERT_EQ(lines.size(), 15u) << result.out;
    EXPECT_EQ(lines[0], good + ": 11 images");
    EXPECT_EQ(lines[1].rfind("page  image  type     width  height  colour", 0), 0u) << lines[1];
    // Every column starts where its header starts, or ends where it ends.
    const size_t typeColumn = lines[1].find("type"), encodingColumn = lines[1].find("encoding");
    for (size_t i = 2; i < 14; ++i) {
        EXPECT_NE(lines[i][typeColumn], ' ') << lines[i];
        EXPECT_EQ(lines[i][typeColumn - 1], ' ') << lines[i];
        EXPECT_NE(lines[i][encodingColumn], ' ') << lines[i];
    }
    EXPECT_NE(lines[12].find("inline"), std::string::npos) << lines[12];
    EXPECT_EQ(lines[14], "");
}

// The sample's soft mask is listed with what the run would do with it: a
// file of its own, its image's alpha in a format that carries one, or
// nothing; a mask follows its image below the minimum size.
TEST(CliList, AMaskSaysWhatTheRunDoesWithIt) {
    TempDir dir;
    const std::string document = dir / "sample.pdf";
    WriteFile(document, testpdf::SampleDocument());
    const struct {
        std::vector<const char*> options;
        const char* reason; // nullptr: the mask gets a file
    } cases[] = {
        {{}, "masks are not written"},
        {{"-f", "png"}, "kept as its image's alpha"},
        {{"-f", "jpg", "--masks", "alpha"}, "masks are not written"},
        {{"-f", "png", "--masks", "none"}, "masks are not written"},
        {{"-f", "bmp", "--masks", "separate"}, nullptr},
        {{"-f", "png", "--masks", "separate", "--min-size", "100000"}, "below the minimum size"},
    };
    for (const auto& c : cases) {
        std::vector<const char*> args = {"--list", "--json"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        args.push_back(document.c_str());
        const CliResult result = RunList(args);
        ASSERT_EQ(result.status, 0) << result.err;
        int masks = 0;
        for (const std::string& line : Lines(result.out)) {
            const nlohmann::json entry = nlohmann::json::parse(line);
            if (entry.at("type") != "smask")
                continue;
            ++masks;
            if (c.reason)
                EXPECT_EQ(entry.value("reason", ""), c.reason) << line;
            else
                EXPECT_FALSE(entry.contains("reason")) << line;
        }
        EXPECT_EQ(masks, 1) << result.out;
    }
}

// Each drawing of an image has its place: the box on the page as shown, in
// points from its top-left corner, and the matrix, in the JSON lines, the CSV
// and the table, where a turned image's box is marked.
TEST(CliList, EachDrawingHasItsPlaceOnThePage) {
    TempDir dir;
    testpdf::PdfWriter pdf;
    const int image = pdf.AddImage({"/Width 2 /Height 1 /ColorSpace /DeviceGray /BitsPerComponent 8", "ab", ""});
    testpdf::PageSpec page{{image}}; // upright, 100 points from the page's lower-left corner
    page.extraContent = "q 0 64 -32 0 100 100 cm /Im0 Do Q\n"; // again, its first row up the page
    pdf.AddPage(page);
    const std::string document = dir / "doc.pdf";
    WriteFile(document, pdf.Build());

    const std::vector<std::string> json = Lines(RunList({"--list", "--json", document.c_str()}).out);
    ASSERT_EQ(json.size(), 2u);
    const nlohmann::json upright = nlohmann::json::parse(json[0]), turned = nlohmann::json::parse(json[1]);
    EXPECT_EQ(upright.at("bbox_pt"), nlohmann::json({0, 692, 100, 792}));
    EXPECT_EQ(upright.at("matrix"), nlohmann::json({100, 0, 0, -100, 0, 792}));
    EXPECT_EQ(turned.at("bbox_pt"), nlohmann::json({68, 628, 100, 692}));
    EXPECT_EQ(turned.at("matrix"), nlohmann::json({0, -64, -32, 0, 100, 692}));

    const std::vector<std::string> csv = Lines(RunList({"--list", "--csv", document.c_str()}).out);
    ASSERT_EQ(csv.size(), 3u);
    EXPECT_NE(csv[0].find(",bbox_pt,matrix,"), std::string::npos) << csv[0];
    EXPECT_NE(csv[2].find(",\"[68.0,628.0,100.0,692.0]\",\"[0.0,-64.0,-32.0,0.0,100.0,692.0]\""), std::string::npos)
        << csv[2];

    const std::vector<std::string> table = Lines(RunList({"--list", document.c_str()}).out);
    ASSERT_EQ(table.size(), 5u); // and an empty line after the table
    const size_t column = table[1].find("position");
    ASSERT_NE(column, std::string::npos);
    EXPECT_EQ(table[2].substr(column), "0.0,692.0,100.0,792.0");
    EXPECT_EQ(table[3].substr(column), "68.0,628.0,100.0,692.0*");
}
