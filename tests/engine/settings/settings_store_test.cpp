#include "engine/settings/settings_store.h"
#include "tests/support/test_support.h"

#include <cstdlib>
#include <gtest/gtest.h>

using testing_support::ReadFile;
using testing_support::TempDir;
using testing_support::WriteFile;

TEST(SettingsStore, FirstStartUsesDefaultsAndExitWritesEveryKey) {
    TempDir dir;
    ConvertSettings settings;
    settings.pageRange = 9;
    LoadSettings(dir / "Settings.ini", settings);
    EXPECT_EQ(settings.pageRange, 0);
    EXPECT_EQ(settings.startPage, 1);
    EXPECT_EQ(settings.endPage, 1000);
    EXPECT_EQ(settings.openResult, 0);
    EXPECT_EQ(settings.imagesFormat, OUTPUT_JPG);
    EXPECT_EQ(settings.jpegQuality, 70);
    EXPECT_EQ(settings.jpegGrayScale, 1);
    EXPECT_EQ(settings.masks, MASKS_ALPHA);
    EXPECT_EQ(settings.orientation, ORIENT_STORED);
    EXPECT_EQ(settings.memoryLimitMb, 4096);
    EXPECT_EQ(settings.timeLimitSeconds, 600);
    EXPECT_EQ(settings.minimumWidth, 0);
    EXPECT_EQ(settings.minimumHeight, 0);
    EXPECT_EQ(settings.skipRepeated, REPEATS_KEPT);

    SaveSettings(dir / "Settings.ini", settings);
    EXPECT_EQ(ReadFile(dir / "Settings.ini"),
              "[Output General]\nPage Range=0\nStart Page=1\nEnd Page=1000\nOpen Result=0\n\n"
              "[Output Images]\nImages Format=1\nJpeg Quality=70\nJpeg Gray Scale=1\nTransparency=0\nOrientation=0\nKeep Original Encoding=0\n\n"
              "[Document Limits]\nMemory Limit MB=4096\nTime Limit Seconds=600\n\n"
              "[Image Selection]\nMinimum Width=0\nMinimum Height=0\nSkip Repeated Images=0\n");
}

TEST(SettingsStore, TheDocumentLimitsHaveKeysOfTheirOwn) {
    TempDir dir;
    WriteFile(dir / "Settings.ini", "[Document Limits]\nMemory Limit MB=512\nTime Limit Seconds=3\n");
    ConvertSettings settings;
    LoadSettings(dir / "Settings.ini", settings);
    EXPECT_EQ(settings.memoryLimitMb, 512);
    EXPECT_EQ(settings.timeLimitSeconds, 3);
}

// The mask choice has a key of its own; a file written before it existed
// lacks the key and gets the default.
TEST(SettingsStore, TheTransparencyChoiceHasAKeyOfItsOwn) {
    TempDir dir;
    WriteFile(dir / "Settings.ini", "[Output Images]\nImages Format=4\nTransparency=1\n");
    ConvertSettings settings;
    LoadSettings(dir / "Settings.ini", settings);
    EXPECT_EQ(settings.masks, MASKS_SEPARATE);
    WriteFile(dir / "Settings.ini", "[Output Images]\nImages Format=4\n");
    LoadSettings(dir / "Settings.ini", settings);
    EXPECT_EQ(settings.masks, MASKS_ALPHA);
}

// The orientation is kept under the images' options and read back as saved.
TEST(SettingsStore, TheOrientationIsKept) {
    TempDir dir;
    ConvertSettings saved;
    saved.orientation = ORIENT_SHOWN;
    SaveSettings(dir / "Settings.ini", saved);
    EXPECT_NE(ReadFile(dir / "Settings.ini").find("[Output Images]\nImages Format=1\nJpeg Quality=70\nJpeg Gray "
                                                  "Scale=1\nTransparency=0\nOrientation=1\n"),
              std::string::npos);
    ConvertSettings loaded;
    LoadSettings(dir / "Settings.ini", loaded);
    EXPECT_EQ(loaded.orientation, ORIENT_SHOWN);
}

// The selection has keys of its own, read back as written.
TEST(SettingsStore, TheImageSelectionHasKeysOfItsOwn) {
    TempDir dir;
    ConvertSettings settings;
    settings.minimumWidth = 32;
    settings.minimumHeight = 16;
    settings.skipRepeated = REPEATS_SAME_PIXELS;
    SaveSettings(dir / "Settings.ini", settings);
    EXPECT_NE(ReadFile(dir / "Settings.ini")
                  .find("[Image Selection]\nMinimum Width=32\nMinimum Height=16\nSkip Repeated Images=2\n"),
              std::string::npos)
        << ReadFile(dir / "Settings.ini");
    ConvertSettings loaded;
    LoadSettings(dir / "Settings.ini", loaded);
    EXPECT_EQ(loaded.minimumWidth, 32);
    EXPECT_EQ(loaded.minimumHeight, 16);
    EXPECT_EQ(loaded.skipRepeated, REPEATS_SAME_PIXELS);
}

TEST(SettingsStore, LoadsValuesUnchangedAndNeverTheOutputDirectory) {
    TempDir dir;
    WriteFile(dir / "Settings.ini", "[Output General]\nStart Page=0\nEnd Page=5000\nOutput Directory=/x\n"
                                    "[Output Images]\nImages Format=0\nJpeg Gray Scale=0\nJpeg Quality=-5\n");
    ConvertSettings settings;
    LoadSettings(dir / "Settings.ini", settings);
    EXPECT_EQ(settings.startPage, 0);
    EXPECT_EQ(settings.endPage, 5000);
    EXPECT_EQ(settings.imagesFormat, OUTPUT_PPM_PBM);
    EXPECT_EQ(settings.jpegGrayScale, 0);
    EXPECT_EQ(settings.jpegQuality, -5);
    EXPECT_EQ(settings.outputDirectory, "");

    settings.outputDirectory = "/chosen";
    SaveSettings(dir / "Settings.ini", settings);
    EXPECT_EQ(ReadFile(dir / "Settings.ini").find("/chosen"), std::string::npos);
    EXPECT_NE(ReadFile(dir / "Settings.ini").find("Jpeg Quality=-5"), std::string::npos);
}

TEST(SettingsStore, ResetRestoresDefaultsButKeepsTheOutputDirectory) {
    ConvertSettings settings;
    settings.pageRange = 1;
    settings.startPage = 3;
    settings.imagesFormat = OUTPUT_PNG;
    settings.jpegQuality = 5;
    settings.outputDirectory = "/out";
    ResetSettings(settings);
    ConvertSettings defaults;
    EXPECT_EQ(settings.pageRange, defaults.pageRange);
    EXPECT_EQ(settings.startPage, defaults.startPage);
    EXPECT_EQ(settings.imagesFormat, defaults.imagesFormat);
    EXPECT_EQ(settings.jpegQuality, defaults.jpegQuality);
    EXPECT_EQ(settings.outputDirectory, "/out");
}

TEST(SettingsStore, FileLivesBesideTheProgramOrInTheUserConfigFolder) {
    TempDir dir;
    EXPECT_EQ(SettingsFilePath(dir.path()), dir / "Settings.ini");

    setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
    EXPECT_EQ(SettingsFilePath("/nonexistent/program/"), dir / "config/vellumin/Settings.ini");
    unsetenv("XDG_CONFIG_HOME");
}
