#include "engine/dump/image_names.h"

#include <gtest/gtest.h>

TEST(ImageNameTemplate, ExpandsItsPlaceholdersWithTheirPadding) {
    const struct {
        const char* text;
        const char* name; // for title "report", page 7, image 12, object 40
        const char* inlineName; // the same image inline
    } cases[] = {
        {"{title}-{n:03}", "report-012", "report-012"},
        {"p{page:04}_{n}", "p0007_12", "p0007_12"},
        {"{obj:05} {title}", "00040 report", "inline report"},
        {"img", "img", "img"},
        {"{n:01}{page}", "127", "127"},
        {"a.b{n}", "a.b12", "a.b12"},
    };
    for (const auto& c : cases) {
        std::string error;
        const std::optional<ImageNameTemplate> parsed = ImageNameTemplate::Parse(c.text, &error);
        ASSERT_TRUE(parsed) << c.text << ": " << error;
        EXPECT_EQ(parsed->Expand("report", 7, 12, 40), c.name) << c.text;
        EXPECT_EQ(parsed->Expand("report", 7, 12, 0), c.inlineName) << c.text;
    }
}

TEST(ImageNameTemplate, RefusesWhatCouldLeaveTheFolderOrCannotBeRead) {
    for (const char* text : {"", "sub/{n}", "../{n}", "{title}..{n}", "..", ".{n}", "{n", "n}", "{name}", "{page:4}",
                             "{page:00}", "{page:0x}", "{}", "{n}{", "{{n}}"}) {
        std::string error;
        EXPECT_FALSE(ImageNameTemplate::Parse(text, &error)) << text;
        EXPECT_FALSE(error.empty()) << text;
    }
    std::string error;
    EXPECT_TRUE(ImageNameTemplate::Parse("{title}-{n}", &error)->UsesTitle());
    EXPECT_FALSE(ImageNameTemplate::Parse("{page}-{n}", &error)->UsesTitle());
}

// Names alike get -2, -3... in the order they are claimed.
TEST(ImageNames, NamesAlikeGetNumberedSuffixes) {
    std::string error;
    ImageNames names(*ImageNameTemplate::Parse("p{page}", &error), "/out/", "doc");
    EXPECT_EQ(names.Claim(1, 0, 5), "/out/p1");
    EXPECT_EQ(names.Claim(1, 1, 6), "/out/p1-2");
    EXPECT_EQ(names.Claim(2, 2, 5), "/out/p2");
    EXPECT_EQ(names.Claim(1, 3, 7), "/out/p1-3");
    ImageNames tricky(*ImageNameTemplate::Parse("{obj}", &error), "/out/", "doc");
    EXPECT_EQ(tricky.Claim(1, 0, 1), "/out/1");
    EXPECT_EQ(tricky.Claim(1, 1, 1), "/out/1-2");
    EXPECT_EQ(tricky.Claim(1, 2, 0), "/out/inline");
    // "1-2" was given as a suffix: the image whose own name it is goes on.
    ImageNames suffixed(*ImageNameTemplate::Parse("{page}-{n}", &error), "/out/", "doc");
    EXPECT_EQ(suffixed.Claim(1, 0, 0), "/out/1-0");
    EXPECT_EQ(suffixed.Claim(1, 0, 0), "/out/1-0-2");
    EXPECT_EQ(suffixed.Claim(1, 0, 0), "/out/1-0-3");
}

// What a run that finds no marker of an earlier one may take as that run's
// files: only names its naming gives, with an image file's extension.
TEST(ImageNames, OnlyNamesTheRunCouldGiveCountAsImageFiles) {
    const struct {
        const char* name;
        const char* nameTemplate; // "" for the default names
        const char* root;         // "scan" in a shared folder, "" in the document's own
        bool image;
    } cases[] = {
        {"scan-000.png", "", "scan", true},
        {"scan-1234.jpg", "", "scan", true},
        {"scan-004.mask.pgm", "", "scan", true},
        {"scan-004.pam", "", "scan", true},
        {"-007.ppm", "", "", true},
        {"scan-1.pdf", "", "scan", false},      // a document beside its images
        {"scan-2.pdf", "", "scan", false},
        {"report-2023.csv", "", "report", false},
        {"scan-2024.txt", "", "scan", false},
        {"scan-12.png", "", "scan", false},      // fewer digits than the default gives
        {"scan-2-000.png", "", "scan", false},   // another document's
        {"scan-000.PNG", "", "scan", false},
        {"scan-000.png.bak", "", "scan", false},
        {"p0003_12.png", "p{page:04}_{n}", "scan", true},
        {"p0003_12-2.tif", "p{page:04}_{n}", "scan", true}, // a second image of the same name
        {"p0003_12.pdf", "p{page:04}_{n}", "scan", false},
        {"scan_inline.jpg", "{title}_{obj}", "scan", true},
        {"scan_40.jpg", "{title}_{obj}", "scan", true},
        {"other_40.jpg", "{title}_{obj}", "scan", false},
        {"a.b7.gif", "a.b{n}", "scan", true},
        {"axb7.gif", "a.b{n}", "scan", false},  // the template's dot is no wildcard
    };
    for (const auto& c : cases)
        EXPECT_EQ(CouldBeImageFile(c.name, c.nameTemplate, "scan", c.root), c.image) << c.name << " " << c.nameTemplate;
}
