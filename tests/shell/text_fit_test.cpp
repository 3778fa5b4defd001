// The desktop program's texts at the desktop's own font, as a user sees
// them: run in a real X server (the suite runs it under Xvfb) at the default
// resolution and at a 1.5x font (QT_FONT_DPI=144), nothing pinned. Every
// label, bar text, grid header and row, option row and About box line must
// hold its text; the failures are listed as text.
#include "shell/about_box.h"
#include "shell/desktop_program.h"
#include "tests/support/gui_support.h"
#include "tests/support/sample_document.h"
#include "tests/support/test_support.h"
#include "tests/support/text_fit.h"

#include <QApplication>
#include <QFontInfo>
#include <QTest>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>

using testing_support::TempDir;

namespace {

std::string Listed(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines)
        text += "  " + line + "\n";
    return text;
}

std::string FontInUse() {
    const QFontInfo font(QApplication::font());
    return font.family().toStdString() + " " + std::to_string(font.pixelSize()) + " px";
}

} // namespace

TEST(TextFit, TheMainWindowHoldsItsTexts) {
    TempDir dir;
    const std::string document = dir / "a-report-whose-name-is-longer-than-the-file-name-column.pdf";
    std::ofstream(document, std::ios::binary) << testpdf::SampleDocument();
    ProgramArguments arguments;
    arguments.splash = false;
    arguments.settingsPath = dir / "Settings.ini";
    arguments.documents = {document};
    CDesktopProgram program(arguments, "/nowhere/help.html");
    CMainFrame& frame = program.Frame();
    program.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    // A long output folder, chosen in the options.
    RecordingServices services;
    services.folders = {dir / "an output folder/with a long path/that goes on and on/to its very end/"};
    frame.Options().Tree().FindItem(CRightView::kOutputDirectory)->OnActivate();
    QCoreApplication::processEvents();
    ASSERT_EQ(frame.Form().Grid().GetRowCount(), 2);
    const std::vector<std::string> failures = MainWindowTextsThatDoNotFit(frame);
    EXPECT_TRUE(failures.empty()) << "with " << FontInUse() << ":\n" << Listed(failures);
    // The list's entries in the desktop's font, at its size on this screen.
    const LOGFONT* entryFont = frame.Form().Grid().GetCell(1, 1)->GetFont();
    EXPECT_EQ(QFontInfo(CFont(*entryFont).Font()).pixelSize(), QFontInfo(QApplication::font()).pixelSize());
}

TEST(TextFit, TheAboutBoxHoldsItsTexts) {
    CAboutBox about;
    about.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&about));
    const std::vector<std::string> failures = AboutBoxTextsThatDoNotFit(about);
    EXPECT_TRUE(failures.empty()) << "with " << FontInUse() << ":\n" << Listed(failures);
}

// The desktop's font and resolution as they are: only the platform is chosen.
int main(int argc, char** argv) {
    const char* platform = std::getenv("VELLUMIN_TEST_PLATFORM");
    setenv("QT_QPA_PLATFORM", platform ? platform : "offscreen", 1);
    setenv("QT_ENABLE_HIGHDPI_SCALING", "0", 1);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
