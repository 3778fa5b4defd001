// The desktop program end to end, in a real window (the suite runs it under
// Xvfb): documents dropped on the list, png chosen in the options, F5, and
// the same files as the command line; the choice is there at the next start.
#include "shell/desktop_program.h"
#include "shell/single_instance.h"
#include "tests/support/cli_output.h"
#include "tests/support/gui_support.h"
#include "tests/support/sample_document.h"
#include "tests/support/test_support.h"

#include <QApplication>
#include <QAbstractItemView>
#include <QComboBox>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QScreen>
#include <QProcess>
#include <QTextEdit>
#include <QTimer>
#include <QTest>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <utility>
#include <gtest/gtest.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using testing_support::CliOutput;
using testing_support::CorpusFiles;
using testing_support::FolderContents;
using testing_support::HaveCorpus;
using testing_support::ReadFile;
using testing_support::TempDir;

namespace {

// Every wait is a deadline that ends as soon as its condition holds: a loaded
// machine is only slower.
constexpr int kDeadlineMs = 60000;

// Clicks an option's value cell or its label.
void ClickOption(CMainFrame& frame, int id, bool onValue) {
    CChoiceTree& tree = frame.Options().Tree();
    const RECT& cell = tree.FindItem(id)->GetAttributeRect();
    const QPoint at(onValue ? cell.left + 10 : 40, (cell.top + cell.bottom) / 2);
    QTest::mouseClick(tree.GetListWindow()->ClientWidget(), Qt::LeftButton, {}, at);
    QCoreApplication::processEvents();
}

// Waits until the widget with the keyboard focus is one that reached says.
// A loaded X server may hand the window's activation back late, or to a
// window that just went (after a dialog, a second window, a start): while no
// window of the program is active, the main window asks for it again, as a
// user clicks on it before typing.
QWidget* FocusReaches(const std::function<bool(QWidget*)>& reached) {
    QTest::qWaitFor(
        [&] {
            if (!QApplication::activeWindow())
                for (QWidget* window : QApplication::topLevelWidgets())
                    if (dynamic_cast<CMainFrame*>(window) && window->isVisible())
                        window->activateWindow();
            return QApplication::focusWidget() && reached(QApplication::focusWidget());
        },
        kDeadlineMs);
    return QApplication::focusWidget();
}

// Clicks an option's value that is edited with a drop-down list, and waits
// until its editor has the keyboard focus, as a user waits to see it open.
// While the option is not being edited the value is clicked again: a layout
// that came late (the window's size settled by a loaded X server) may have
// moved the cell from under the first click.
void OpenDropDown(CMainFrame& frame, int id) {
    const CChoiceTreeItem* item = frame.Options().Tree().FindItem(id);
    ClickOption(frame, id, true);
    const auto isEditor = [&](QWidget* focus) {
        if (!item->IsEditing())
            ClickOption(frame, id, true);
        return qobject_cast<QComboBox*>(focus) != nullptr;
    };
    QWidget* focus = FocusReaches(isEditor);
    ASSERT_TRUE(isEditor(focus)) << "the drop-down editor did not take the focus; the option "
                                 << (item->IsEditing() ? "is" : "is not") << " being edited, the focus is in "
                                 << (focus ? focus->metaObject()->className() : "no widget");
}

// The widget with the keyboard focus.
QWidget* FocusWidget() {
    return FocusReaches([](QWidget*) { return true; });
}

void KeyOnFocus(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QWidget* focus = FocusWidget();
    ASSERT_NE(focus, nullptr) << "no widget has the keyboard focus";
    QTest::keyClick(focus, key, modifiers);
    QCoreApplication::processEvents();
}

// Starts the program on a fresh config folder, its window shown and active.
struct Started {
    ProgramArguments arguments;
    std::unique_ptr<CDesktopProgram> program;
    explicit Started(const std::string& settingsPath) {
        arguments.splash = false;
        arguments.settingsPath = settingsPath;
        program = std::make_unique<CDesktopProgram>(arguments, "/nowhere/help.html");
        Frame().resize(1024, 700);
        program->Show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&Frame(), kDeadlineMs));
        Frame().activateWindow();
    }
    CMainFrame& Frame() { return program->Frame(); }
    // Drops the documents on the list and picks the output folder in the
    // options, the dialog answered by the services.
    void ListAndChooseOutput(const std::vector<std::string>& documents, RecordingServices& services,
                             const std::string& folder) {
        DropFiles(&Frame().Form(), documents);
        services.folders = {folder};
        ClickOption(Frame(), CRightView::kOutputDirectory, true);
    }
    void WaitForTheRunToEnd() {
        QElapsedTimer clock;
        clock.start();
        while (Frame().Form().Run().IsConverting() && clock.elapsed() < kDeadlineMs)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        ASSERT_FALSE(Frame().Form().Run().IsConverting());
    }
};

} // namespace

TEST(DesktopProgram, DropChoosePngRunAndFindTheChoiceAtTheNextStart) {
    if (!HaveCorpus())
        GTEST_SKIP() << "the corpus of real PDFs (../shared/corpus) is not here";
    RecordingServices services;
    TempDir dir;
    const std::string window = dir / "window";
    mkdir(window.c_str(), 0777);
    mkdir((dir / "config").c_str(), 0777);
    const std::string settingsPath = dir / "config/Settings.ini";
    const std::vector<std::string> documents =
        CorpusFiles({"flate-gray-rgb-indexed-smask-colorkey.pdf", "runlength-cmyk-gray-rgb-dct.pdf"});
    {
        Started started(settingsPath);
        CMainFrame& frame = started.Frame();
        started.ListAndChooseOutput(documents, services, window);
        ASSERT_EQ(frame.Form().Jobs().Paths().size(), 2u);
        OpenDropDown(frame, CRightView::kOutputMode); // the drop-down list opens on "jpg"
        for (int i = 0; i < 3; ++i)
            KeyOnFocus(Qt::Key_Down); // bmp, gif, png
        ClickOption(frame, CRightView::kPageRange, false);
        ASSERT_NE(DumpChoiceTree(frame.Options().Tree()).find("    Output Mode = png\n"), std::string::npos);

        frame.Form().Grid().SetFocus();
        KeyOnFocus(Qt::Key_F5);
        started.WaitForTheRunToEnd();
        EXPECT_EQ(services.opened, std::vector<std::string>{window + "/"}); // the folder is opened at the end
        frame.close();
    }
    const auto fromWindow = FolderContents(window);
    EXPECT_GT(fromWindow.size(), 5u);
    EXPECT_TRUE(fromWindow == CliOutput(documents, dir / "cli", "png"));
    EXPECT_NE(ReadFile(settingsPath).find("Images Format=4"), std::string::npos); // png

    Started again(settingsPath);
    EXPECT_NE(DumpChoiceTree(again.Frame().Options().Tree()).find("    Output Mode = png\n"), std::string::npos);
}

TEST(DesktopProgram, ShiftF5DuringARunLeavesWholeDocumentsOnly) {
    if (!HaveCorpus())
        GTEST_SKIP() << "the corpus of real PDFs (../shared/corpus) is not here";
    RecordingServices services;
    TempDir dir;
    const std::string window = dir / "window";
    mkdir(window.c_str(), 0777);
    const std::vector<std::string> documents =
        CorpusFiles({"runlength-cmyk-gray-rgb-dct.pdf", "flate-gray-rgb-indexed-smask-colorkey.pdf",
                     "ccitt-g3-1d-g3-2d-g4.pdf"});
    Started started(dir / "Settings.ini");
    CMainFrame& frame = started.Frame();
    started.ListAndChooseOutput(documents, services, window);
    frame.Form().Grid().SetFocus();

    // Shift+F5 as soon as the first image is written.
    QTimer watch;
    watch.setInterval(1);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (testing_support::ListFiles(window).empty())
            return;
        watch.stop();
        KeyOnFocus(Qt::Key_F5, Qt::ShiftModifier);
    });
    watch.start();
    KeyOnFocus(Qt::Key_F5);
    started.WaitForTheRunToEnd();

    // Each document written is written whole: its files are those the command
    // line writes for it alone.
    const auto written = FolderContents(window);
    ASSERT_FALSE(written.empty());
    size_t documentsWritten = 0;
    for (size_t i = 0; i < documents.size(); ++i) {
        const std::string stem = std::filesystem::path(documents[i]).stem().string() + "-";
        std::map<std::string, std::string> ofThisOne;
        for (const auto& [name, bytes] : written)
            if (name.rfind(stem, 0) == 0)
                ofThisOne[name] = bytes;
        if (ofThisOne.empty())
            continue;
        ++documentsWritten;
        EXPECT_TRUE(ofThisOne == CliOutput({documents[i]}, dir / ("cli" + std::to_string(i)), "jpg")) << stem;
    }
    EXPECT_GE(documentsWritten, 1u);
    EXPECT_LT(documentsWritten, documents.size()) << "the stop came too late to leave a document out";
    EXPECT_TRUE(services.opened.empty()); // a stopped run does not open the folder
}

// The Open dialog and the folder chooser start where each was last used,
// in the same run and in the next, from Settings.ini.
TEST(DesktopProgram, TheDialogsStartInTheFoldersUsedLast) {
    RecordingServices services;
    TempDir dir;
    std::filesystem::create_directories(dir / "docs/more");
    std::filesystem::copy_file(std::string(VELLUMIN_SOURCE_DIR) + "/resources/sample.pdf", dir / "docs/a.pdf");
    ProgramArguments arguments;
    arguments.splash = false;
    arguments.settingsPath = dir / "Settings.ini";
    const std::string chooser = "Please Select a Folder | ";
    {
        CDesktopProgram program(arguments, "/nowhere/help.html");
        program.Show();
        CJobList& jobs = program.Frame().Form().Jobs();
        services.files = {dir / "docs/a.pdf"};
        jobs.OpenFile();
        services.files.clear(); // Cancel: the folder stays
        jobs.OpenFile();
        services.folders = {dir / "docs/more"};
        jobs.ImportDirectoryCommand();
        jobs.ImportDirectoryCommand();
    }
    EXPECT_EQ(services.openStarts, (std::vector<std::string>{"", dir / "docs/"}));
    ASSERT_EQ(services.folderDialogs.size(), 2u);
    EXPECT_EQ(services.folderDialogs[0].rfind(chooser + " | ", 0), 0u) << services.folderDialogs[0];
    EXPECT_EQ(services.folderDialogs[1].rfind(chooser + dir / "docs/more | ", 0), 0u) << services.folderDialogs[1];
    {
        CDesktopProgram program(arguments, "/nowhere/help.html");
        program.Show();
        program.Frame().Form().Jobs().OpenFile();
        program.Frame().Form().Jobs().ImportDirectoryCommand();
    }
    EXPECT_EQ(services.openStarts.back(), dir / "docs/");
    EXPECT_EQ(services.folderDialogs.back().rfind(chooser + dir / "docs/more | ", 0), 0u) << services.folderDialogs.back();
}

// The window's place, size and maximised state and the splitter's position
// come back in the next run, within the screen.
TEST(DesktopProgram, TheWindowsPlacementIsKeptWithinTheScreen) {
    TempDir dir;
    ProgramArguments arguments;
    arguments.splash = false;
    arguments.settingsPath = dir / "Settings.ini";
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    {
        CDesktopProgram program(arguments, "/nowhere/help.html");
        program.Show();
        program.Frame().setGeometry(area.left() + 30, area.top() + 40, 950, 640);
        program.Frame().Splitter().setSizes({700, 250});
    }
    {
        CDesktopProgram program(arguments, "/nowhere/help.html");
        program.Show();
        EXPECT_EQ(program.Frame().geometry(), QRect(area.left() + 30, area.top() + 40, 950, 640));
        EXPECT_EQ(program.Frame().Splitter().sizes().value(0), 700);
        EXPECT_FALSE(program.Frame().isMaximized());
    }
    // Kept off the screen and larger than it: moved and shrunk into it; maximised again.
    const std::string ini = ReadFile(dir / "Settings.ini");
    ASSERT_NE(ini.find("[Window]\nLeft="), std::string::npos) << ini;
    testing_support::WriteFile(dir / "Settings.ini", "[Window]\nLeft=30000\nTop=-500\nWidth=" +
                                                         std::to_string(area.width() + 400) +
                                                         "\nHeight=700\nMaximized=1\n");
    CDesktopProgram program(arguments, "/nowhere/help.html");
    program.Show();
    EXPECT_TRUE(program.Frame().windowState() & Qt::WindowMaximized);
    EXPECT_TRUE(area.contains(program.Frame().normalGeometry()))
        << program.Frame().normalGeometry().x() << "," << program.Frame().normalGeometry().y() << " "
        << program.Frame().normalGeometry().width();
}

// The documents of File > Recent Documents come back in the next run.
TEST(DesktopProgram, RecentDocumentsAreKept) {
    RecordingServices services;
    TempDir dir;
    std::filesystem::copy_file(std::string(VELLUMIN_SOURCE_DIR) + "/resources/sample.pdf", dir / "a.pdf");
    ProgramArguments arguments;
    arguments.splash = false;
    arguments.settingsPath = dir / "Settings.ini";
    arguments.documents = {dir / "a.pdf"};
    {
        CDesktopProgram program(arguments, "/nowhere/help.html");
        program.Show();
    }
    arguments.documents.clear();
    CDesktopProgram program(arguments, "/nowhere/help.html");
    program.Show();
    EXPECT_EQ(program.Frame().Recent().Paths(), std::vector<std::string>{dir / "a.pdf"});
    program.Frame().OnCommand(ID_RECENT_FIRST);
    EXPECT_EQ(program.Frame().Form().Jobs().Paths(), std::vector<std::string>{dir / "a.pdf"});
}

TEST(DesktopProgram, DocumentsNamedOnTheCommandLineComeInAsDroppedFiles) {
    RecordingServices services;
    TempDir dir;
    std::filesystem::copy_file(std::string(VELLUMIN_SOURCE_DIR) + "/resources/sample.pdf", dir / "sample.pdf");
    testing_support::WriteFile(dir / "notes.txt", "not a document");
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    std::vector<std::string> args{"vellumin", "--no-splash", "--settings", dir / "Settings.ini",
                                  "sample.pdf", "./sample.pdf", "notes.txt"};
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    const ProgramArguments arguments = ParseProgramArguments(static_cast<int>(argv.size()), argv.data());
    std::filesystem::current_path(before);
    EXPECT_FALSE(arguments.splash);

    CDesktopProgram program(arguments, "/nowhere/help.html");
    EXPECT_TRUE(program.Frame().Form().Jobs().Paths().empty()); // not before the window shows
    program.Show();
    // Relative names are made absolute against the folder the program started in.
    EXPECT_EQ(program.Frame().Form().Jobs().Paths(), std::vector<std::string>{dir / "sample.pdf"});
    EXPECT_EQ(services.messages, std::vector<std::string>{"File: " + (dir / "sample.pdf") + " have been imported!"});
}

// A second start of the real program, as a file manager starts it with a
// document named relative to its folder, hands the document's absolute path
// to the first instance (played here by the test) and ends.
TEST(DesktopProgram, ASecondStartHandsItsDocumentsToTheFirstWindow) {
    TempDir work;
    const QByteArray savedTmp = qgetenv("TMPDIR");
    qputenv("TMPDIR", QByteArray::fromStdString(work.path())); // where both look for the instance socket
    std::filesystem::create_directory(work / "docs");
    std::filesystem::copy_file(std::string(VELLUMIN_SOURCE_DIR) + "/resources/sample.pdf", work / "docs/a b.pdf");

    CSingleInstance first("vellumin");
    std::vector<std::vector<std::string>> handoffs;
    first.Listen([&](const std::vector<std::string>& documents) { handoffs.push_back(documents); });
    QProcess second;
    second.setWorkingDirectory(QString::fromStdString(work / "docs"));
    second.start(VELLUMIN_PROGRAM, {"--no-splash", "--settings", QString::fromStdString(work / "second.ini"), "a b.pdf"});
    QElapsedTimer clock;
    clock.start();
    while ((second.state() != QProcess::NotRunning || handoffs.empty()) && clock.elapsed() < kDeadlineMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    if (savedTmp.isNull())
        qunsetenv("TMPDIR");
    else
        qputenv("TMPDIR", savedTmp);
    EXPECT_EQ(second.state(), QProcess::NotRunning) << "the second start ended by itself";
    EXPECT_EQ(second.exitCode(), 0);
    ASSERT_EQ(handoffs.size(), 1u);
    EXPECT_EQ(handoffs[0], (std::vector<std::string>{work / "docs/a b.pdf"}));
    EXPECT_FALSE(std::filesystem::exists(work / "second.ini"));
}

// A value chosen in a drop-down is kept without a click elsewhere: when the
// window closes with the editor still open, and when the focus goes from the
// editor to the list.
TEST(DesktopProgram, AChoiceInADropDownIsKeptAtExitAndWhenTheFocusLeaves) {
    RecordingServices services;
    for (bool focusToTheList : {false, true}) {
        TempDir dir;
        const std::string settingsPath = dir / "Settings.ini";
        {
            Started started(settingsPath);
            CMainFrame& frame = started.Frame();
            ClickOption(frame, CRightView::kPageRange, false);
            OpenDropDown(frame, CRightView::kOutputMode); // the drop-down list opens on "jpg"
            for (int i = 0; i < 3; ++i)
                KeyOnFocus(Qt::Key_Down); // bmp, gif, png
            if (focusToTheList) {
                frame.Form().Grid().SetFocus();
                QCoreApplication::processEvents();
                EXPECT_EQ(started.program->Settings().imagesFormat, 4) << "when the focus left the options";
            }
            frame.close();
        }
        EXPECT_NE(ReadFile(settingsPath).find("Images Format=4"), std::string::npos)
            << (focusToTheList ? "after the focus went to the list" : "closed from the editor");
    }
}

// At start the focus is in the list, not in the read-only summary, which
// shows no caret.
TEST(DesktopProgram, TheListHasTheFocusAtStartAndTheSummaryNoCaret) {
    TempDir dir;
    Started started(dir / "Settings.ini");
    QCoreApplication::processEvents();
    CFileListForm& form = started.Frame().Form();
    ASSERT_NE(FocusWidget(), nullptr);
    EXPECT_TRUE(QApplication::focusWidget() == &form.Grid() || form.Grid().isAncestorOf(QApplication::focusWidget()))
        << QApplication::focusWidget()->metaObject()->className();
    EXPECT_EQ(form.Summary().TextEdit()->cursorWidth(), 0);
}

// In the real window: F5 runs the batch once from the summary, where the
// focus sits after a click on a document, and from the list; during the run
// Delete and Ctrl+Del leave the list alone.
TEST(DesktopProgram, F5RunsOnceAndTheListKeepsItsDocumentsDuringTheRun) {
    struct Services : RecordingServices {
        std::function<void()> duringTheRun;
        int MessageBox(QWidget* owner, const std::string& text, const std::string& title, int type) override {
            if (duringTheRun)
                std::exchange(duringTheRun, nullptr)();
            return RecordingServices::MessageBox(owner, text, title, type);
        }
    } services;
    TempDir dir;
    const std::vector<std::string> broken = {dir / "one.pdf", dir / "two.pdf"};
    for (const std::string& path : broken)
        std::ofstream(path) << "not a document";
    Started started(dir / "Settings.ini");
    ASSERT_TRUE(QTest::qWaitForWindowActive(&started.Frame(), kDeadlineMs));
    CFileListForm& form = started.Frame().Form();
    DropFiles(&form, broken);
    ASSERT_EQ(form.Jobs().Paths().size(), 2u);
    for (bool fromTheSummary : {true, false}) {
        services.messages.clear();
        if (fromTheSummary)
            form.Summary().TextEdit()->setFocus();
        else
            form.Grid().SetFocus();
        QCoreApplication::processEvents();
        ASSERT_NE(FocusWidget(), nullptr);
        services.duringTheRun = [&] {
            // The keys go to the list, as a user would send them after a click on it.
            form.Grid().SetFocus();
            KeyOnFocus(Qt::Key_Delete);
            KeyOnFocus(Qt::Key_Delete, Qt::ControlModifier);
        };
        KeyOnFocus(Qt::Key_F5);
        started.WaitForTheRunToEnd();
        EXPECT_EQ(services.messages.size(), 2u) << (fromTheSummary ? "from the summary" : "from the list");
        EXPECT_EQ(form.Jobs().Paths(), broken);
    }
}

namespace {

// The processes whose parent is this one, zombies included.
std::vector<int> ChildProcesses() {
    std::vector<int> children;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        std::ifstream stat(entry.path() / "stat");
        std::string line;
        std::getline(stat, line);
        const size_t afterName = line.rfind(')'); // the name may hold spaces and parentheses
        if (afterName == std::string::npos)
            continue;
        char state = 0;
        int parent = 0;
        if (std::sscanf(line.c_str() + afterName + 1, " %c %d", &state, &parent) == 2 && parent == getpid())
            children.push_back(std::stoi(name));
    }
    return children;
}

} // namespace

TEST(DesktopProgram, ClosingTheWindowDuringASlowDocumentLeavesNoProcessWithinTwoSeconds) {
    RecordingServices services;
    TempDir dir;
    const std::string window = dir / "window";
    mkdir(window.c_str(), 0777);
    testing_support::WriteFile(dir / "slow.pdf", testpdf::SlowDocument());
    Started started(dir / "Settings.ini");
    CMainFrame& frame = started.Frame();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frame, kDeadlineMs));
    started.ListAndChooseOutput({dir / "slow.pdf"}, services, window);
    ASSERT_TRUE(ChildProcesses().empty());

    // The window is closed once the document's worker process runs.
    QElapsedTimer sinceTheClose;
    QTimer watch;
    watch.setInterval(5);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (ChildProcesses().empty())
            return;
        watch.stop();
        // Well into the document: once it is open and its page being drawn.
        QTest::qWaitFor([&] { return frame.Form().TotalBar().GetWindowText().rfind("File 1 of 1", 0) == 0; },
                        kDeadlineMs);
        sinceTheClose.start();
        frame.close();
    });
    watch.start();
    frame.Form().Grid().SetFocus();
    QCoreApplication::processEvents();
    ASSERT_NE(QApplication::focusWidget(), nullptr);
    KeyOnFocus(Qt::Key_F5);
    ASSERT_TRUE(sinceTheClose.isValid()) << "the run ended before its worker was seen";
    while (!ChildProcesses().empty() && sinceTheClose.elapsed() < kDeadlineMs)
        QTest::qWait(10);
    EXPECT_TRUE(ChildProcesses().empty());
    EXPECT_LT(sinceTheClose.elapsed(), 2000);
    EXPECT_FALSE(frame.isVisible());
    EXPECT_FALSE(frame.Form().Run().WorkerRunning());
    // The images the document completed stay; nothing half-written does.
    for (const std::string& name : testing_support::ListFiles(window))
        EXPECT_NE(name[0], '.') << "a temporary file is left: " << name;
}
