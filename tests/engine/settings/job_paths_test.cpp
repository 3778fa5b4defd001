#include "engine/settings/job_paths.h"
#include "tests/support/test_support.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using testing_support::RecordingMessages;
using testing_support::TempDir;
using testing_support::WriteFile;

TEST(JobPaths, PdfExtensionTest) {
    struct Case {
        const char* name;
        bool pdf;
    } cases[] = {{"a.pdf", true}, {"A.PDF", true}, {"x.tar.Pdf", true}, {"mypdf", false},
                 {"a.pdf.bak", false}, {"dir.pdf/file", false}, {".pdf", true}};
    for (const Case& c : cases)
        EXPECT_EQ(HasPdfExtension(c.name), c.pdf) << c.name;
}

TEST(JobPaths, DuplicatesAreRefusedWithAMessageAndCaseMatters) {
    JobPaths jobs;
    RecordingMessages messages;
    EXPECT_TRUE(jobs.AddIfNew("/a/x.PDF", messages));
    EXPECT_TRUE(jobs.AddIfNew("/a/x.pdf", messages));
    EXPECT_FALSE(jobs.AddIfNew("/a/x.pdf", messages));
    EXPECT_EQ(jobs.Paths(), (std::vector<std::string>{"/a/x.PDF", "/a/x.pdf"}));
    EXPECT_EQ(messages.messages, std::vector<std::string>{"File: /a/x.pdf have been imported!"});
}

TEST(JobPaths, ImportDirectorySearchesSubfoldersForPdfFiles) {
    TempDir dir;
    mkdir((dir / "sub").c_str(), 0777);
    mkdir((dir / "sub/deeper").c_str(), 0777);
    mkdir((dir / "folder.pdf").c_str(), 0777);
    for (const char* name : {"top.pdf", "notes.txt", "mypdf", "sub/b.PDF", "sub/deeper/c.pdf", "folder.pdf/d.pdf"})
        WriteFile(dir / name, "");
    JobPaths jobs;
    RecordingMessages messages;
    jobs.ImportDirectory(dir.path(), messages);
    std::vector<std::string> found = jobs.Paths();
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, (std::vector<std::string>{dir / "folder.pdf/d.pdf", dir / "sub/b.PDF", dir / "sub/deeper/c.pdf",
                                               dir / "top.pdf"}));
    jobs.ImportDirectory(dir.path() + "/", messages); // the same files again, reached by another spelling
    EXPECT_EQ(jobs.Paths().size(), 4u);
    EXPECT_EQ(messages.messages.size(), 4u);
}

TEST(JobPaths, LinkedFoldersAreNotFollowedAndAFileReachedTwiceCountsOnce) {
    TempDir outside;
    WriteFile(outside / "elsewhere.pdf", "");
    TempDir dir;
    mkdir((dir / "sub").c_str(), 0777);
    WriteFile(dir / "sub/a.pdf", "");
    ASSERT_EQ(symlink("..", (dir / "sub/back").c_str()), 0);        // a loop
    ASSERT_EQ(symlink(".", (dir / "sub/here").c_str()), 0);         // two links to the folder itself
    ASSERT_EQ(symlink(".", (dir / "sub/again").c_str()), 0);
    ASSERT_EQ(symlink(outside.path().c_str(), (dir / "out").c_str()), 0); // out of the tree
    ASSERT_EQ(symlink("a.pdf", (dir / "sub/alias.pdf").c_str()), 0); // the same file by another name
    JobPaths jobs;
    RecordingMessages messages;
    EXPECT_EQ(jobs.ImportDirectory(dir.path(), messages), 1);
    EXPECT_EQ(jobs.Paths().size(), 1u);
    EXPECT_TRUE(messages.messages.empty());
    // A folder without PDF files finds none.
    mkdir((dir / "empty").c_str(), 0777);
    EXPECT_EQ(jobs.ImportDirectory(dir / "empty", messages), 0);
}

TEST(JobPaths, PipesAndUnreadableFoldersAreReportedAndLeftOut) {
    TempDir dir;
    ASSERT_EQ(mkfifo((dir / "pipe.pdf").c_str(), 0666), 0);
    WriteFile(dir / "real.pdf", "");
    JobPaths jobs;
    RecordingMessages messages;
    int leftOut = 0;
    EXPECT_EQ(jobs.ImportDirectory(dir.path(), messages, &leftOut), 1);
    EXPECT_EQ(jobs.Paths(), std::vector<std::string>{dir / "real.pdf"});
    EXPECT_EQ(messages.messages, std::vector<std::string>{dir / "pipe.pdf: not a regular file; it is left out."});
    // A folder that cannot be read (here a link to itself) names the system's reason.
    ASSERT_EQ(symlink("loop", (dir / "loop").c_str()), 0);
    messages.messages.clear();
    EXPECT_EQ(jobs.ImportDirectory(dir / "loop", messages, &leftOut), 0);
    EXPECT_EQ(leftOut, 2);
    EXPECT_EQ(messages.messages,
              std::vector<std::string>{"Cannot read the folder " + dir / "loop" + ": Too many levels of symbolic links."});
}

TEST(JobPaths, ImportDirectoryAddsFilesInNaturalNameOrder) {
    TempDir dir;
    for (const char* name : {"doc-10.pdf", "doc-2.pdf", "Doc-3.pdf", "doc-1.pdf"})
        WriteFile(dir / name, "");
    JobPaths jobs;
    RecordingMessages messages;
    jobs.ImportDirectory(dir.path(), messages);
    EXPECT_EQ(jobs.Paths(), (std::vector<std::string>{dir / "doc-1.pdf", dir / "doc-2.pdf", dir / "Doc-3.pdf",
                                                      dir / "doc-10.pdf"}));
}
