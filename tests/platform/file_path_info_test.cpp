#include "platform/file_path_info.h"
#include "tests/support/test_support.h"

#include <ctime>
#include <gtest/gtest.h>

using platform::FilePathInfo;

TEST(FilePathInfo, SplitsPaths) {
    struct Case {
        const char* path;
        const char* folder;
        const char* title;
        const char* extension;
        const char* fileName;
    } cases[] = {
        {"/in/report.pdf", "/in/", "report", "pdf", "report.pdf"},
        {"\"/in/My Report.PDF\"", "/in/", "My Report", "PDF", "My Report.PDF"},
        {"report.tar.pdf", "", "report.tar", "pdf", "report.tar.pdf"},
        {"/in/dir.v2/README", "/in/dir.v2/", "README", "", "README"},
        {"/in/", "/in/", "", "", ""},
    };
    for (const Case& c : cases) {
        FilePathInfo info(c.path);
        EXPECT_EQ(info.Folder(), c.folder) << c.path;
        EXPECT_EQ(info.Title(), c.title) << c.path;
        EXPECT_EQ(info.Extension(), c.extension) << c.path;
        EXPECT_EQ(info.FileName(), c.fileName) << c.path;
    }
}

TEST(FilePathInfo, SizeAndCreationTimeOfAFile) {
    testing_support::TempDir dir;
    testing_support::WriteFile(dir / "a.pdf", std::string(1536, 'x'));
    FilePathInfo info(dir / "a.pdf");
    EXPECT_EQ(info.FileSize(), 1536u);
    ASSERT_TRUE(info.CreationTime().has_value());
    EXPECT_LE(std::labs(static_cast<long>(*info.CreationTime() - std::time(nullptr))), 60);
}

TEST(FilePathInfo, UnreadableFileHasNoSizeOrTime) {
    FilePathInfo info("/nonexistent/vellumin/a.pdf");
    EXPECT_EQ(info.FileSize(), 0u);
    EXPECT_FALSE(info.CreationTime().has_value());
}
