#include "platform/ini_profile.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

using platform::GetPrivateProfileInt;
using platform::GetPrivateProfileString;
using platform::WritePrivateProfileString;
using testing_support::ReadFile;
using testing_support::TempDir;
using testing_support::WriteFile;

TEST(IniProfile, MissingFileSectionOrKeyGivesTheDefault) {
    TempDir dir;
    EXPECT_EQ(GetPrivateProfileInt("S", "K", 42, dir / "none.ini"), 42);
    WriteFile(dir / "a.ini", "[Other]\nK=1\n[S]\nJ=2\n");
    EXPECT_EQ(GetPrivateProfileInt("S", "K", 42, dir / "a.ini"), 42);
    EXPECT_EQ(GetPrivateProfileInt("Missing", "J", 7, dir / "a.ini"), 7);
}

TEST(IniProfile, ReadsValuesAsDecimalIntegers) {
    TempDir dir;
    WriteFile(dir / "a.ini", "; comment\n[Output General]\r\nStart Page = 0\r\nend page=5000\nText=abc\n"
                             "Lead=12px\nNeg=-3\nHuge=99999999999\n");
    struct Case {
        const char* key;
        int expected;
    } cases[] = {{"Start Page", 0}, {"End Page", 5000}, {"Text", 0}, {"Lead", 12}, {"Neg", -3}, {"Huge", 0}};
    for (const Case& c : cases)
        EXPECT_EQ(GetPrivateProfileInt("output general", c.key, 1, dir / "a.ini"), c.expected) << c.key;
}

TEST(IniProfile, ReadsValuesAsTrimmedText) {
    TempDir dir;
    WriteFile(dir / "a.ini", "[Last Folders]\r\nOpen = /home/me/my docs/ \r\nImport=\n");
    EXPECT_EQ(GetPrivateProfileString("last folders", "open", "-", dir / "a.ini"), "/home/me/my docs/");
    EXPECT_EQ(GetPrivateProfileString("Last Folders", "Import", "-", dir / "a.ini"), "");
    EXPECT_EQ(GetPrivateProfileString("Last Folders", "Missing", "-", dir / "a.ini"), "-");
    EXPECT_EQ(GetPrivateProfileString("Last Folders", "Open", "-", dir / "none.ini"), "-");
}

TEST(IniProfile, WritingCreatesFileAndSections) {
    TempDir dir;
    ASSERT_TRUE(WritePrivateProfileString("A", "x", "1", dir / "n.ini"));
    ASSERT_TRUE(WritePrivateProfileString("B", "y", "2", dir / "n.ini"));
    ASSERT_TRUE(WritePrivateProfileString("A", "z", "3", dir / "n.ini"));
    EXPECT_EQ(ReadFile(dir / "n.ini"), "[A]\nx=1\nz=3\n\n[B]\ny=2\n");
}

TEST(IniProfile, WritingReplacesInPlaceAndKeepsForeignContent) {
    TempDir dir;
    WriteFile(dir / "a.ini", "; keep me\n[Mine]\nColour=blue\n\n[Output Images]\nJPEG QUALITY=10\nOther=x\n");
    ASSERT_TRUE(WritePrivateProfileString("Output Images", "Jpeg Quality", "70", dir / "a.ini"));
    EXPECT_EQ(ReadFile(dir / "a.ini"), "; keep me\n[Mine]\nColour=blue\n\n[Output Images]\nJpeg Quality=70\nOther=x\n");
}

TEST(IniProfile, FailedWriteReportsFalseAndLeavesNothing) {
    TempDir dir;
    WriteFile(dir / "file", "");
    EXPECT_FALSE(WritePrivateProfileString("A", "x", "1", dir / "file/sub.ini"));
}
