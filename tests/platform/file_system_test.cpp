#include "platform/file_system.h"
#include "tests/support/test_support.h"

#include <algorithm>
#include <gtest/gtest.h>

using namespace platform;
using testing_support::TempDir;

TEST(FileSystem, CreatesDirectoriesOneLevelOrWithParents) {
    TempDir dir;
    EXPECT_FALSE(CreateDirectory(dir / "a/b"));
    EXPECT_TRUE(CreateDirectoryPath(dir / "a/b/c"));
    EXPECT_TRUE(DirectoryExists(dir / "a/b/c"));
    EXPECT_TRUE(CreateDirectory(dir / "d"));
    EXPECT_TRUE(CreateDirectoryPath(dir / "d")); // already there
    testing_support::WriteFile(dir / "file", "");
    EXPECT_FALSE(CreateDirectoryPath(dir / "file/x"));
    EXPECT_TRUE(PathExists(dir / "file"));
    EXPECT_FALSE(DirectoryExists(dir / "file"));
}

TEST(FileSystem, ListsEntriesWithoutDotEntries) {
    TempDir dir;
    CreateDirectory(dir / "sub");
    testing_support::WriteFile(dir / "x.pdf", "");
    std::vector<DirectoryEntry> entries = ListDirectory(dir.path());
    std::sort(entries.begin(), entries.end(), [](auto& a, auto& b) { return a.name < b.name; });
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].name, "sub");
    EXPECT_TRUE(entries[0].isDirectory);
    EXPECT_EQ(entries[1].name, "x.pdf");
    EXPECT_FALSE(entries[1].isDirectory);
    EXPECT_TRUE(ListDirectory(dir / "missing").empty());
}

TEST(FileSystem, TrailingSlashIsAddedOnce) {
    EXPECT_EQ(WithTrailingSlash("/out"), "/out/");
    EXPECT_EQ(WithTrailingSlash("/out/"), "/out/");
}
