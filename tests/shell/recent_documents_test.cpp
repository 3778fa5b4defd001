// File > Recent Documents: the list of the documents added last, its
// submenu and its commands, and its place in Settings.ini.
#include "shell/commands.h"
#include "shell/recent_documents.h"
#include "tests/support/gui_support.h"
#include "tests/support/shown_frame.h"
#include "tests/support/test_support.h"

#include <filesystem>
#include <gtest/gtest.h>

using testing_support::TempDir;
using Lines = std::vector<std::string>;

TEST(RecentDocuments, TheLastEightAddedMostRecentFirst) {
    struct Case {
        Lines added;
        Lines expected;
    } cases[] = {
        {{}, {}},
        {{"/a.pdf", "/b.pdf"}, {"/b.pdf", "/a.pdf"}},
        {{"/a.pdf", "/b.pdf", "/a.pdf"}, {"/a.pdf", "/b.pdf"}}, // added again: to the top, once
        {{"/1", "/2", "/3", "/4", "/5", "/6", "/7", "/8", "/9"}, {"/9", "/8", "/7", "/6", "/5", "/4", "/3", "/2"}},
    };
    for (const Case& c : cases) {
        RecentDocuments recent;
        for (const std::string& path : c.added)
            recent.Add(path);
        EXPECT_EQ(recent.Paths(), c.expected);
        // Kept in Settings.ini as they are, beside what else is there.
        TempDir dir;
        testing_support::WriteFile(dir / "Settings.ini", "[Output Images]\nImages Format=4\n");
        recent.Save(dir / "Settings.ini");
        RecentDocuments loaded;
        loaded.Load(dir / "Settings.ini");
        EXPECT_EQ(loaded.Paths(), c.expected);
        EXPECT_NE(testing_support::ReadFile(dir / "Settings.ini").find("Images Format=4"), std::string::npos);
    }
}

TEST(RecentDocuments, TheFileMenuListsThemAndAChoiceAddsItAgain) {
    RecordingServices services;
    TempDir dir;
    Lines paths;
    for (const char* name : {"doc-1.pdf", "doc-2.pdf"}) {
        std::filesystem::copy_file(std::string(VELLUMIN_SOURCE_DIR) + "/resources/sample.pdf", dir / name);
        paths.push_back(dir / name);
    }
    ShownFrame f;
    EXPECT_FALSE(f.frame.IsCommandEnabled(ID_RECENT_DOCUMENTS)); // none yet
    services.files = paths;
    f.frame.OnCommand(ID_OPEN_FILE);
    const MenuItem* recent = nullptr;
    for (const MenuItem& item : f.frame.MenuBar().GetMenu()->items.front().submenu->items)
        if (item.command == ID_RECENT_DOCUMENTS)
            recent = &item;
    ASSERT_TRUE(recent && recent->submenu);
    EXPECT_EQ(recent->text, "Recen&t Documents");
    Lines shown;
    for (const MenuItem& item : recent->submenu->items)
        shown.push_back(item.text);
    EXPECT_EQ(shown, (Lines{"&1 " + paths[1], "&2 " + paths[0]}));
    EXPECT_TRUE(f.frame.IsCommandEnabled(ID_RECENT_DOCUMENTS));
    EXPECT_FALSE(f.frame.IsCommandEnabled(ID_RECENT_FIRST + 2));

    f.frame.OnCommand(ID_REMOVE_ALL);
    f.frame.OnCommand(ID_RECENT_FIRST + 1); // doc-1, the older one
    EXPECT_EQ(f.Form().Jobs().Paths(), Lines{paths[0]});
    EXPECT_EQ(recent->submenu->items.front().text, "&1 " + paths[0]);
}
