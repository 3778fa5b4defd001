// The desktop program end to end, in a real window (the suite runs it under
// Xvfb): documents dropped on the list, png chosen in the options, F5, and
// the same files as the command line; the choice is there at the next start.
#include "cli/cli_options.h"
#include "cli/cli_run.h"
#include "shell/desktop_program.h"
#include "tests/support/gui_support.h"
#include "tests/support/test_support.h"

#include <QApplication>
#include <QComboBox>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QMimeData>
#include <QTest>
#include <QUrl>
#include <gtest/gtest.h>
#include <sys/stat.h>

using testing_support::CorpusFiles;
using testing_support::FolderContents;
using testing_support::HaveCorpus;
using testing_support::ReadFile;
using testing_support::TempDir;

namespace {

void Drop(QWidget* target, const std::vector<std::string>& paths) {
    QMimeData data;
    QList<QUrl> urls;
    for (const std::string& path : paths)
        urls.push_back(QUrl::fromLocalFile(QString::fromStdString(path)));
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
}

// Clicks an option's value cell or its label.
void ClickOption(CMainFrame& frame, int id, bool onValue) {
    CChoiceTree& tree = frame.Options().Tree();
    const RECT& cell = tree.FindItem(id)->GetAttributeRect();
    const QPoint at(onValue ? cell.left + 10 : 40, (cell.top + cell.bottom) / 2);
    QTest::mouseClick(tree.GetListWindow()->ClientWidget(), Qt::LeftButton, {}, at);
    QCoreApplication::processEvents();
}

void KeyOnFocus(Qt::Key key) {
    QTest::keyClick(QApplication::focusWidget(), key);
    QCoreApplication::processEvents();
}

std::map<std::string, std::string> CliOutput(const std::vector<std::string>& documents, const std::string& folder) {
    std::vector<const char*> args{"vellumin-cli", "-f", "png", "-o", folder.c_str()};
    for (const std::string& document : documents)
        args.push_back(document.c_str());
    ParsedCommandLine parsed = ParseCommandLine(static_cast<int>(args.size()), args.data());
    FILE* sink = std::tmpfile();
    RunCli(*parsed.options, sink, sink, false);
    std::fclose(sink);
    return FolderContents(folder);
}

} // namespace

TEST(DesktopProgram, DropChoosePngRunAndFindTheChoiceAtTheNextStart) {
    if (!HaveCorpus())
        GTEST_SKIP() << "the corpus of real PDFs (../shared/corpus) is not here";
    RecordingServices services;
    TempDir dir;
    const std::string window = dir / "window";
    mkdir(window.c_str(), 0777);
    mkdir((dir / "config").c_str(), 0777);
    ProgramArguments arguments;
    arguments.splash = false;
    arguments.settingsPath = dir / "config/Settings.ini"; // a fresh config folder
    const std::vector<std::string> documents =
        CorpusFiles({"flate-gray-rgb-indexed-smask-colorkey.pdf", "runlength-cmyk-gray-rgb-dct.pdf"});
    {
        CDesktopProgram program(arguments, "/nowhere/help.html");
        CMainFrame& frame = program.Frame();
        frame.resize(1024, 700);
        program.Show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
        frame.activateWindow();

        Drop(&frame.Form(), documents);
        ASSERT_EQ(frame.Form().Jobs().Paths().size(), 2u);

        services.folders = {window};
        ClickOption(frame, CRightView::kOutputDirectory, true);
        ClickOption(frame, CRightView::kOutputMode, true); // the drop-down list opens on "jpg"
        for (int i = 0; i < 3; ++i)
            KeyOnFocus(Qt::Key_Down); // bmp, gif, png
        ClickOption(frame, CRightView::kPageRange, false);
        ASSERT_NE(DumpChoiceTree(frame.Options().Tree()).find("    Output Mode = png\n"), std::string::npos);

        frame.Form().Grid().SetFocus();
        KeyOnFocus(Qt::Key_F5);
        QElapsedTimer clock;
        clock.start();
        while (frame.Form().Run().IsConverting() && clock.elapsed() < 60000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        ASSERT_FALSE(frame.Form().Run().IsConverting());
        EXPECT_EQ(services.opened, std::vector<std::string>{window + "/"}); // the folder is opened at the end
        frame.close();
    }
    const auto fromWindow = FolderContents(window);
    EXPECT_GT(fromWindow.size(), 5u);
    EXPECT_TRUE(fromWindow == CliOutput(documents, dir / "cli"));
    EXPECT_NE(ReadFile(arguments.settingsPath).find("Images Format=4"), std::string::npos); // png

    CDesktopProgram again(arguments, "/nowhere/help.html");
    EXPECT_NE(DumpChoiceTree(again.Frame().Options().Tree()).find("    Output Mode = png\n"), std::string::npos);
}
