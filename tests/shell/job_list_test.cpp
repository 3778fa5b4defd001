// The job list and the batch run through a form of the left pane's pieces:
// the grid, the two bars and the buttons' enabled state.
#include "controls/util/wnd_hook.h"
#include "shell/about_box.h"
#include "shell/batch_run.h"
#include "platform/ui/folder_chooser.h"
#include "shell/summary_panel.h"
#include "tests/support/cli_output.h"
#include "tests/support/gui_support.h"
#include "tests/support/test_support.h"
#include "tests/support/sample_document.h"
#include "engine/settings/settings_store.h"

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <QTextCursor>
#include <QTextEdit>
#include <algorithm>
#include <gtest/gtest.h>
#include <cerrno>
#include <sys/stat.h>
#include <sys/wait.h>

using testing_support::CliOutput;
using testing_support::CorpusDir;
using testing_support::CorpusFiles;
using testing_support::FolderContents;
using testing_support::HaveCorpus;
using testing_support::FixtureDir;
using testing_support::ListFiles;
using testing_support::ReadFile;
using testing_support::TempDir;
using testing_support::WriteFile;

namespace {

using Lines = std::vector<std::string>;

struct Form {
    CWnd window;
    CDataGrid grid;
    CPercentProgressCtrl current{&window}, total{&window};
    CJobList jobs{grid, &window};
    ConvertSettings settings;
    Lines buttons; // "enabled" / "disabled" as the run switches them
    std::string report; // the last text shown in the summary: the counts at the end of a run
    Lines reports;      // every text shown there, in order
    CBatchRun run{jobs, settings,
                  CBatchRun::Controls{&current, &total,
                                      [this](bool on) { buttons.push_back(on ? "enabled" : "disabled"); }, {},
                                      [this](const std::string& text) {
                                          report = text;
                                          reports.push_back(text);
                                      }},
                  &window};

    Form() {
        window.resize(700, 400);
        grid.Create(RECT{0, 0, 660, 300}, &window, 1021);
        current.setGeometry(0, 310, 300, 20);
        total.setGeometry(0, 340, 300, 20);
        jobs.SetUpGrid();
        ShowExposed(&window);
    }
    std::string Text(CPercentProgressCtrl& bar) { return bar.GetWindowText(); }
};

// Calls back once when a bar shows a text beginning with the given one (a
// stop or a close in the middle of a run).
class OnText : public CWndHook {
public:
    OnText(CWnd* bar, std::string text, std::function<void()> action)
        : text_(std::move(text)), action_(std::move(action)) {
        HookWindow(bar);
    }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        const LRESULT result = CWndHook::WindowProc(message, wParam, lParam);
        if (message == WM_SETTEXT && lParam && std::string(reinterpret_cast<const char*>(lParam)).rfind(text_, 0) == 0 &&
            action_) {
            auto action = std::move(action_);
            action_ = nullptr;
            action();
        }
        return result;
    }

private:
    std::string text_;
    std::function<void()> action_;
};

// Writes down every text a bar shows, with its position at that moment.
class BarTexts : public CWndHook {
public:
    explicit BarTexts(CPercentProgressCtrl* bar) : bar_(bar) { HookWindow(bar); }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        const LRESULT result = CWndHook::WindowProc(message, wParam, lParam);
        if (message == WM_SETTEXT && lParam)
            texts.push_back(std::string(reinterpret_cast<const char*>(lParam)) + "@" + std::to_string(bar_->GetPos()));
        return result;
    }
    Lines texts;

private:
    CPercentProgressCtrl* bar_;
};

// Copies of the project's two-page sample under the given names.
Lines SampleCopies(const TempDir& dir, const Lines& names) {
    const std::string sample = ReadFile(std::string(VELLUMIN_SOURCE_DIR) + "/resources/sample.pdf");
    Lines paths;
    for (const std::string& name : names) {
        WriteFile(dir / name, sample);
        paths.push_back(dir / name);
    }
    return paths;
}

} // namespace

TEST(JobList, FilesComeFromTheDialogOnceEachAndInOrder) {
    RecordingServices services;
    Form form;
    services.files = {"/docs/b.pdf", "/docs/a.PDF", "/docs/notes.txt", "/docs/mypdf"};
    form.jobs.OpenFile();
    EXPECT_EQ(form.jobs.Paths(), (Lines{"/docs/b.pdf", "/docs/a.PDF"}));
    EXPECT_EQ(form.grid.GetItemText(1, 1), "b.pdf");
    EXPECT_EQ(form.grid.GetItemText(2, 1), "a.PDF");
    EXPECT_EQ(form.grid.GetItemText(1, 2), "0 KB"); // unreadable: no size
    EXPECT_TRUE(form.jobs.IsChecked(1));
    services.files = {"/docs/b.pdf"};
    form.jobs.OpenFile();
    EXPECT_EQ(services.messages, Lines{"File: /docs/b.pdf have been imported!"});
    EXPECT_EQ(form.jobs.Paths().size(), 2u);

    // Thousands of files: every one arrives, in the order given.
    RecordingServices many;
    Form big;
    for (int i = 0; i < 5000; ++i)
        many.files.push_back("/scans/page-" + std::to_string(i) + ".pdf");
    big.jobs.OpenFile();
    ASSERT_EQ(big.jobs.Paths(), many.files);
    EXPECT_EQ(big.grid.GetRowCount(), 5001);
    EXPECT_EQ(big.grid.GetItemText(5000, 1), "page-4999.pdf");
}

// A drop takes the files whose names end in "pdf", dot or not, and imports a
// dropped folder as Import Directory does, subfolders included (a folder
// named like a document too); Import Directory then refuses what is listed.
TEST(JobList, DroppedFilesAndImportedFolders) {
    const struct {
        Lines dropped;
        Lines listed; // in order, but sorted within the folders a drop imports
        size_t refusedBySubImport; // of the two documents under sub
    } cases[] = {
        {{"folder.pdf", "mypdf", "one.pdf", "notes.txt"}, {"mypdf", "one.pdf"}, 0},
        {{"one.pdf", "sub"}, {"one.pdf", "sub/deeper/three.pdf", "sub/two.pdf"}, 2},
    };
    for (const auto& c : cases) {
        RecordingServices services;
        TempDir dir;
        for (const char* folder : {"sub", "sub/deeper", "folder.pdf"})
            mkdir((dir / folder).c_str(), 0777);
        for (const char* file : {"one.pdf", "sub/two.pdf", "sub/deeper/three.pdf", "mypdf"})
            WriteFile(dir / file, "x");
        Form form;
        Lines dropped, listed;
        for (const std::string& name : c.dropped)
            dropped.push_back(dir / name);
        for (const std::string& name : c.listed)
            listed.push_back(dir / name);
        form.jobs.Drop(dropped);
        Lines paths = form.jobs.Paths();
        std::sort(paths.begin() + 1, paths.end());
        EXPECT_EQ(paths, listed);
        EXPECT_EQ(form.grid.GetRowCount(), static_cast<int>(listed.size()) + 1);

        services.folders = {dir / "sub"};
        form.jobs.ImportDirectoryCommand();
        EXPECT_EQ(form.jobs.Paths().size(), listed.size() + 2 - c.refusedBySubImport);
        EXPECT_EQ(services.messages.size(), c.refusedBySubImport) << "one message per document listed again";
    }
}

TEST(JobList, RemovingARowKeepsEveryRowWithItsEntry) {
    RecordingServices services;
    Form form;
    for (int i = 1; i <= 5; ++i)
        services.files.push_back("/d/" + std::to_string(i) + ".pdf");
    form.jobs.OpenFile();
    for (int row = 1; row <= 5; ++row)
        form.grid.SetItemText(row, 4, "pw" + std::to_string(row));
    static_cast<CGridCellCheck*>(form.grid.GetCell(3, 0))->SetCheck(false);
    QTest::mouseClick(form.grid.ClientWidget(), Qt::LeftButton, {}, QPoint(100, 18 * 2 + 9)); // row 2
    bool cleared = false;
    form.jobs.onClearSummary = [&] { cleared = true; };
    form.jobs.RemoveSelected();
    EXPECT_TRUE(cleared);
    EXPECT_EQ(form.jobs.Paths(), (Lines{"/d/1.pdf", "/d/3.pdf", "/d/4.pdf", "/d/5.pdf"}));
    const std::vector<JobEntry> checked = form.jobs.CheckedEntries();
    ASSERT_EQ(checked.size(), 3u); // 3 was unchecked
    EXPECT_EQ(checked[1].path, "/d/4.pdf");
    EXPECT_EQ(checked[1].ownerPassword, "pw4");

    form.jobs.InvertSelect();
    EXPECT_EQ(form.jobs.CheckedEntries().size(), 1u);
    form.jobs.SelectAllItems();
    EXPECT_EQ(form.jobs.CheckedEntries().size(), 4u);
    form.jobs.ClearAllSelected();
    EXPECT_EQ(form.jobs.CheckedEntries().size(), 0u);
    QTest::mouseClick(form.grid.ClientWidget(), Qt::LeftButton, {}, QPoint(100, 18 * 4 + 9)); // row 4
    form.jobs.SelectCurrentItem();
    EXPECT_TRUE(form.jobs.IsChecked(4));
    form.jobs.OpenFileDirectory();
    form.jobs.OpenWithAssociatedApp();
    EXPECT_EQ(services.opened, (Lines{"/d/", "/d/5.pdf"}));
    form.jobs.RemoveAll();
    EXPECT_TRUE(form.jobs.Paths().empty());
    EXPECT_EQ(form.grid.GetRowCount(), 1);
    EXPECT_EQ(form.grid.GetItemText(0, 1), "File Name");
}

TEST(JobList, RemoveSelectedTakesEverySelectedRowWithItsEntry) {
    // Ways of selecting several rows at once; the removal must take all of
    // them, although deleting the first row clears the grid's selection.
    struct Case {
        const char* how;
        std::function<void(Form&)> select;
        Lines left;
    } cases[] = {
        {"Ctrl+A",
         [](Form& form) {
             QTest::mouseClick(form.grid.ClientWidget(), Qt::LeftButton, {}, QPoint(100, 18 + 9)); // row 1
             QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
         },
         {}},
        {"a click on column 0's header",
         [](Form& form) { QTest::mouseClick(form.grid.ClientWidget(), Qt::LeftButton, {}, QPoint(12, 9)); }, {}},
        {"rows 2 to 4", [](Form& form) { form.grid.SetSelectedRange(2, 0, 4, 5); }, {"/d/1.pdf", "/d/5.pdf"}},
    };
    for (const Case& c : cases) {
        RecordingServices services;
        Form form;
        for (int i = 1; i <= 5; ++i)
            services.files.push_back("/d/" + std::to_string(i) + ".pdf");
        form.jobs.OpenFile();
        for (int row = 1; row <= 5; ++row)
            form.grid.SetItemText(row, 4, "pw" + std::to_string(row));
        c.select(form);
        form.jobs.RemoveSelected();
        EXPECT_EQ(form.jobs.Paths(), c.left) << c.how;
        EXPECT_EQ(form.grid.GetRowCount(), static_cast<int>(c.left.size()) + 1) << c.how;
        for (size_t i = 0; i < c.left.size(); ++i) // each row still beside its own entry
            EXPECT_EQ(form.grid.GetItemText(static_cast<int>(i) + 1, 4), "pw" + c.left[i].substr(3, 1)) << c.how;
    }
}

TEST(BatchRun, ARunGivesTheFilesTheCommandLineGives) {
    if (!HaveCorpus())
        GTEST_SKIP() << "the corpus of real PDFs (../shared/corpus) is not here";
    RecordingServices services;
    TempDir dir;
    const std::vector<std::string> documents =
        CorpusFiles({"flate-gray-rgb-indexed-smask-colorkey.pdf", "runlength-cmyk-gray-rgb-dct.pdf",
                     "ccitt-g3-1d-g3-2d-g4.pdf"});
    Form form;
    form.settings.imagesFormat = 4; // png
    form.settings.outputDirectory = dir / "window";
    mkdir(form.settings.outputDirectory.c_str(), 0777);
    services.files = documents;
    form.jobs.OpenFile();
    form.run.StartConvert();
    EXPECT_EQ(form.buttons, (Lines{"disabled", "enabled"}));
    EXPECT_FALSE(form.run.IsConverting());
    EXPECT_EQ(form.Text(form.total), "Convert Finished");
    EXPECT_EQ(form.Text(form.current), "Convert Finished");
    EXPECT_EQ(services.opened, Lines{dir / "window"});

    const auto fromWindow = FolderContents(dir / "window"), fromCli = CliOutput(documents, dir / "cli", "png");
    EXPECT_GT(fromWindow.size(), 5u);
    EXPECT_TRUE(fromWindow == fromCli) << fromWindow.size() << " files against " << fromCli.size();
}

TEST(BatchRun, StopEndsTheRunAfterTheCurrentDocument) {
    if (!HaveCorpus())
        GTEST_SKIP() << "the corpus of real PDFs (../shared/corpus) is not here";
    RecordingServices services;
    TempDir dir;
    Form form;
    form.settings.imagesFormat = 0;
    form.settings.outputDirectory = dir.path();
    services.files = CorpusFiles({"dct-gray-pdf20.pdf", "jpx-rgb.pdf", "ccitt-g4-pdf11.pdf"});
    form.jobs.OpenFile();
    BarTexts total(&form.total);
    OnText stop(&form.current, "Page", [&] { form.run.StopConvert(); }); // during the first document's pages
    form.run.StartConvert();
    // While the document is finished the Total bar says the run stops after
    // it; at the end both bars say it stopped.
    EXPECT_NE(std::find(total.texts.begin(), total.texts.end(), "Convert stops after this document.@0"),
              total.texts.end());
    EXPECT_EQ(form.Text(form.total), "Convert stopped.");
    EXPECT_EQ(form.Text(form.current), "Convert stopped.");
    const Lines written = ListFiles(dir.path());
    ASSERT_FALSE(written.empty());
    for (const std::string& name : written)
        EXPECT_EQ(name.rfind("dct-gray-pdf20-", 0), 0u) << name; // only the first document
    // The summary's totals are what the disk holds, and it names the
    // documents that never started.
    EXPECT_NE(form.report.find("1 document(s) extracted, 0 skipped, 2 not started.\n" +
                               std::to_string(written.size()) + " image(s) written."),
              std::string::npos)
        << form.report;
    for (const std::string& later : CorpusFiles({"jpx-rgb.pdf", "ccitt-g4-pdf11.pdf"}))
        EXPECT_NE(form.report.find(later + ": not started."), std::string::npos) << form.report;
    EXPECT_TRUE(services.opened.empty());
}

TEST(BatchRun, ARefusedDocumentIsReportedAndTheRunGoesOn) {
    RecordingServices services;
    TempDir dir;
    Form form;
    form.settings.imagesFormat = 0;
    form.settings.outputDirectory = dir / "out";
    mkdir(form.settings.outputDirectory.c_str(), 0777);
    services.files = {FixtureDir() + "/owner-nocopy.pdf"};
    form.jobs.OpenFile();
    form.run.StartConvert();
    EXPECT_EQ(services.messages, Lines{"Copying of images from this document is not allowed."});
    EXPECT_EQ(services.types, std::vector<int>{MB_OK | MB_ICONERROR});
    // The last document was refused: the run still ends and opens the folder.
    EXPECT_EQ(form.Text(form.total), "Convert Finished");
    EXPECT_EQ(services.opened, Lines{dir / "out"});

    // No checked document: the buttons come back at once, nothing opens.
    form.jobs.ClearAllSelected();
    services.opened.clear();
    form.run.StartConvert();
    EXPECT_EQ(form.buttons.back(), "enabled");
    EXPECT_TRUE(services.opened.empty());
}

// Without an output folder each document's images go to a folder beside it:
// the end of a run of one document opens that folder, of several their
// documents' folder.
TEST(BatchRun, WithoutAnOutputFolderTheEndOpensWhereTheImagesAre) {
    for (const Lines& names : {Lines{"one.pdf"}, Lines{"one.pdf", "two.pdf"}}) {
        RecordingServices services;
        TempDir dir;
        services.files = SampleCopies(dir, names);
        Form form;
        form.settings.imagesFormat = 0;
        form.settings.outputDirectory.clear();
        form.jobs.OpenFile();
        form.run.StartConvert();
        EXPECT_EQ(form.Text(form.total), "Convert Finished");
        EXPECT_FALSE(ListFiles(dir / "one").empty());
        EXPECT_EQ(services.opened, Lines{names.size() == 1 ? dir / "one/" : dir / ""}) << names.size();
    }
}

// What went wrong comes with the error icon; what is only said, with none
// (the information icon of a box with one button).
TEST(Messages, ErrorsCarryTheErrorIcon) {
    RecordingServices services;
    TempDir dir;
    WriteFile(dir / "broken.pdf", "not a document");
    Form form;
    form.settings.outputDirectory = dir / "out";
    mkdir(form.settings.outputDirectory.c_str(), 0777);
    form.jobs.ImportDirectory(dir / "missing");
    services.files = {dir / "broken.pdf"};
    form.jobs.OpenFile();
    form.jobs.OpenFile(); // listed already
    form.run.StartConvert();
    EXPECT_EQ(services.messages, (Lines{"Cannot read the folder " + dir / "missing" + ": No such file or directory.",
                                        "File: " + dir / "broken.pdf" + " have been imported!",
                                        "Not a valid pdf file!"}));
    EXPECT_EQ(services.types, (std::vector<int>{MB_OK | MB_ICONERROR, MB_OK, MB_OK | MB_ICONERROR}));
}

// The selection rows reach the run: the sample's 4 x 2 inline image is under
// the minimum, its second use of object 1 repeats the first, and the second
// copy repeats the first copy's pixels, so that it is left no file at all.
TEST(BatchRun, TheSelectionChosenInTheOptionsShapesTheRun) {
    RecordingServices services;
    TempDir dir;
    Form form;
    form.settings.imagesFormat = 0;
    form.settings.minimumWidth = 5;
    form.settings.skipRepeated = REPEATS_SAME_PIXELS;
    form.settings.outputDirectory = dir / "out";
    mkdir(form.settings.outputDirectory.c_str(), 0777);
    services.files = SampleCopies(dir, {"a.pdf", "b.pdf"});
    form.jobs.OpenFile();
    form.run.StartConvert();
    EXPECT_EQ(form.Text(form.total), "Convert Finished");
    const Lines written = ListFiles(dir / "out");
    ASSERT_FALSE(written.empty());
    for (const std::string& name : written)
        EXPECT_EQ(name.rfind("a-", 0), 0u) << name;
    for (const char* left : {"a-009.ppm", "a-010.ppm"})
        EXPECT_EQ(std::count(written.begin(), written.end(), left), 0) << left;
    EXPECT_NE(form.report.find(dir / "b.pdf" + ": 0 images written to " + dir / "out" + "/ (1 below the minimum size, 10 duplicates)"),
              std::string::npos)
        << form.report;
}

// No child process of the test is left, running or unwaited for.
bool NoChildProcessLeft() { return waitpid(-1, nullptr, WNOHANG) == -1 && errno == ECHILD; }

// The files whose names begin with prefix, with their contents.
std::map<std::string, std::string> FilesOf(const std::string& prefix, const std::map<std::string, std::string>& files) {
    std::map<std::string, std::string> chosen;
    for (const auto& file : files)
        if (file.first.rfind(prefix, 0) == 0)
            chosen.insert(file);
    return chosen;
}

// Files under a hidden temporary name: what a document cut short might leave.
Lines TemporaryFiles(const std::string& folder) {
    Lines hidden;
    for (const std::string& name : ListFiles(folder))
        if (name[0] == '.')
            hidden.push_back(name);
    return hidden;
}

TEST(BatchRun, ClosingTheWindowMidRunEndsTheDocumentAtOnce) {
    RecordingServices services;
    TempDir dir;
    services.files = SampleCopies(dir, {"first.pdf"});
    WriteFile(dir / "slow.pdf", testpdf::SlowDocument());
    services.files.push_back(dir / "slow.pdf");
    auto form = std::make_unique<Form>();
    form->settings.imagesFormat = 0;
    form->settings.outputDirectory = dir / "out";
    mkdir(form->settings.outputDirectory.c_str(), 0777);
    form->jobs.OpenFile();
    // The window closes while the slow second document runs: its worker
    // ends at once and the windows go.
    // (From a timer: the bar's hook runs while the worker waits for it.)
    OnText close(&form->total, "File 2 of 2", [&] { QTimer::singleShot(200, [&] { form->run.StopAndWait(); }); });
    form->run.StartConvert();
    form.reset();
    EXPECT_TRUE(NoChildProcessLeft());
    EXPECT_TRUE(TemporaryFiles(dir / "out").empty());
    EXPECT_EQ(FilesOf("first-", FolderContents(dir / "out")), CliOutput({dir / "first.pdf"}, dir / "cli", "ppm"));
}

TEST(BatchRun, ASecondStopEndsTheCurrentDocumentAtOnce) {
    RecordingServices services;
    TempDir dir;
    services.files = SampleCopies(dir, {"first.pdf"});
    WriteFile(dir / "slow.pdf", testpdf::SlowDocument());
    services.files.push_back(dir / "slow.pdf");
    services.files.push_back(SampleCopies(dir, {"third.pdf"})[0]);
    Form form;
    form.settings.imagesFormat = 4; // png
    form.settings.outputDirectory = dir / "out";
    form.settings.timeLimitSeconds = 60; // a run that ignores the second Stop fails, it does not hang
    mkdir(form.settings.outputDirectory.c_str(), 0777);
    form.jobs.OpenFile();
    QTimer again;
    again.setSingleShot(true);
    QObject::connect(&again, &QTimer::timeout, [&] { form.run.StopConvert(); });
    OnText stop(&form.total, "File 2 of 3", [&] {
        form.run.StopConvert();
        again.start(300);
    });
    form.run.StartConvert();
    EXPECT_EQ(form.Text(form.total), "Convert stopped.");
    EXPECT_EQ(form.Text(form.current), "Convert stopped.");
    EXPECT_TRUE(services.messages.empty()) << services.messages[0];
    EXPECT_TRUE(NoChildProcessLeft());
    EXPECT_TRUE(TemporaryFiles(dir / "out").empty());
    for (const std::string& name : ListFiles(dir / "out"))
        EXPECT_EQ(name.rfind("third", 0), std::string::npos) << name; // the third was not started
    EXPECT_EQ(FilesOf("first-", FolderContents(dir / "out")), CliOutput({dir / "first.pdf"}, dir / "cli", "png"));
    // The summary names the stopped document with what it left (its images
    // are removed), the one never started, and totals equal to the disk's.
    const size_t onDisk = ListFiles(dir / "out").size();
    EXPECT_NE(form.report.find("1 document(s) extracted, 0 skipped, 1 stopped, 1 not started.\n" +
                               std::to_string(onDisk) + " image(s) written, "),
              std::string::npos)
        << form.report;
    EXPECT_NE(form.report.find(dir / "slow.pdf" + ": stopped before its end; none of its images is left on the disk.\n" +
                               dir / "third.pdf" + ": not started."),
              std::string::npos)
        << form.report;
}

TEST(BatchRun, ADocumentOverTheTimeLimitOfTheSettingsIsReportedAndTheRunGoesOn) {
    RecordingServices services;
    TempDir dir;
    WriteFile(dir / "slow.pdf", testpdf::SlowDocument());
    services.files = {dir / "slow.pdf"};
    services.files.push_back(SampleCopies(dir, {"next.pdf"})[0]);
    WriteFile(dir / "Settings.ini", "[Document Limits]\nTime Limit Seconds=3\n");
    Form form;
    LoadSettings(dir / "Settings.ini", form.settings);
    form.settings.imagesFormat = 4; // png
    form.settings.outputDirectory = dir / "out";
    mkdir(form.settings.outputDirectory.c_str(), 0777);
    form.jobs.OpenFile();
    form.run.StartConvert();
    EXPECT_EQ(services.messages,
              Lines{dir / "slow.pdf" +
                    ": Stopped after 3 seconds, the time one document may take (Time Limit Seconds in Settings.ini)."});
    EXPECT_EQ(form.Text(form.total), "Convert Finished");
    EXPECT_TRUE(TemporaryFiles(dir / "out").empty());
    // The image the stopped document had written is removed, as the command line does.
    EXPECT_TRUE(FilesOf("slow-", FolderContents(dir / "out")).empty());
    EXPECT_EQ(FilesOf("next-", FolderContents(dir / "out")), CliOutput({dir / "next.pdf"}, dir / "cli", "png"));
    EXPECT_NE(form.report.find("1 document(s) extracted, 1 skipped."), std::string::npos) << form.report;
}

TEST(SummaryPanel, StyledBlocksContextMenuAndSelectAll) {
    RecordingServices services;
    CWnd window;
    window.resize(300, 200);
    CContextRichEdit panel(&window);
    panel.setGeometry(0, 0, 300, 200);
    ShowExposed(&window);
    DocumentSummary summary;
    summary.blocks = {{"PDF Description:\n", true, true, 0x000080}, {"Pages: 2\n", false, false, 0}};
    panel.ShowSummary(summary);
    EXPECT_EQ(panel.GetPlainText(), "PDF Description:\nPages: 2\n");
    QTextCursor cursor(panel.TextEdit()->document());
    cursor.setPosition(2);
    EXPECT_TRUE(cursor.charFormat().font().bold());
    EXPECT_TRUE(cursor.charFormat().fontUnderline());
    EXPECT_EQ(cursor.charFormat().foreground().color(), QColor(0, 0, 0x80));

    // Nothing selected: Copy is disabled; Select All selects everything.
    services.menuAnswer = ID_SUMMARY_SELECT_ALL;
    QTest::mouseClick(panel.TextEdit()->viewport(), Qt::RightButton, {}, QPoint(10, 10));
    EXPECT_EQ(services.menu, (Lines{"(C&opy)", "Select &All"}));
    EXPECT_EQ(panel.GetSelectedText(), "PDF Description:\nPages: 2\n");
    services.menuAnswer = ID_SUMMARY_COPY;
    QTest::mouseClick(panel.TextEdit()->viewport(), Qt::RightButton, {}, QPoint(10, 10));
    EXPECT_EQ(services.menu, (Lines{"C&opy", "Select &All"}));
    EXPECT_EQ(services.clipboard, "PDF Description:\nPages: 2\n");
    // Ctrl+A selects all too.
    panel.TextEdit()->moveCursor(QTextCursor::Start);
    QTest::keyClick(panel.TextEdit(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(panel.GetSelectedText(), "PDF Description:\nPages: 2\n");
    // Read-only: typing changes nothing.
    QTest::keyClicks(panel.TextEdit(), "xyz");
    EXPECT_EQ(panel.GetPlainText(), "PDF Description:\nPages: 2\n");
}

TEST(FolderChooser, ConfirmationOfTheTypedFolder) {
    RecordingServices services;
    TempDir dir;
    // An existing folder, typed with or without its slash, or the one shown.
    EXPECT_EQ(ConfirmFolder(dir.path(), "/elsewhere", nullptr), dir.path() + "/");
    EXPECT_EQ(ConfirmFolder(dir.path() + "/", "/elsewhere", nullptr), dir.path() + "/");
    EXPECT_EQ(ConfirmFolder("", dir.path(), nullptr), dir.path() + "/");
    EXPECT_TRUE(services.messages.empty());
    // Two slashes in a row: refused.
    EXPECT_EQ(ConfirmFolder(dir.path() + "//x", "", nullptr), std::nullopt);
    EXPECT_EQ(services.messages.back(), "Invalid directory");
    EXPECT_EQ(services.types.back(), MB_OK | MB_ICONERROR);
    // A missing folder: made on Yes (with its parents), taken as it is on No.
    const std::string missing = dir / "new/deeper";
    services.answer = IDYES;
    EXPECT_EQ(ConfirmFolder(missing, "", nullptr), missing + "/");
    EXPECT_EQ(services.messages.back(), missing + "\n\nThe selected path isn't exist, create it?");
    EXPECT_EQ(services.types.back(), MB_YESNO | MB_ICONQUESTION);
    struct stat info;
    EXPECT_EQ(stat(missing.c_str(), &info), 0);
    services.answer = IDNO;
    EXPECT_EQ(ConfirmFolder(dir / "other", "", nullptr), (dir / "other") + "/");
    EXPECT_NE(stat((dir / "other").c_str(), &info), 0);
    // One that cannot be made: said, and the dialog stays.
    WriteFile(dir / "file", "x");
    services.answer = IDYES;
    EXPECT_EQ(ConfirmFolder(dir / "file/sub", "", nullptr), std::nullopt);
    EXPECT_EQ(services.messages.back(), "Can not create directory\n" + (dir / "file/sub"));
    EXPECT_EQ(services.types.back(), MB_OK | MB_ICONERROR);
}

TEST(AboutBox, NameLinksAndAClickThatEndsIt) {
    RecordingServices services;
    CAboutBox about;
    EXPECT_EQ(about.ProductLine().GetWindowText(), "Vellumin 1.5");
    EXPECT_EQ(about.GetWindowText(), "Vellumin 1.5");
    EXPECT_EQ(about.WebsiteLink().GetDlgCtrlID(), 1015u);
    // A press on the support link opens a mail; any press ends the box.
    QTimer::singleShot(0, [&] {
        QTest::mouseClick(about.SupportLink().ClientWidget(), Qt::LeftButton);
        QTest::mouseClick(about.WebsiteLink().ClientWidget(), Qt::LeftButton);
        QTest::mousePress(about.ClientWidget(), Qt::RightButton, {}, QPoint(5, 5));
    });
    about.DoModal(nullptr);
    EXPECT_FALSE(about.isVisible());
    ASSERT_EQ(services.opened.size(), 2u);
    EXPECT_EQ(services.opened[0].rfind("mailto:support@", 0), 0u);
    EXPECT_EQ(services.opened[1].rfind("https://", 0), 0u);
    const QImage picture = about.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(picture.pixel(200, 140), qRgb(227, 246, 253)); // the band colour behind it all
}

// Every way of closing the box ends its loop and hides it: Escape, and a
// close as the window manager's (Alt+F4, its close button) sends it.
TEST(AboutBox, EscapeAndACloseEndIt) {
    const std::pair<const char*, std::function<void(CAboutBox&)>> ways[] = {
        {"Escape", [](CAboutBox& about) { QTest::keyClick(&about, Qt::Key_Escape); }},
        {"a close", [](CAboutBox& about) { about.close(); }},
    };
    for (const auto& [way, close] : ways) {
        CAboutBox about;
        bool shown = false;
        QTimer::singleShot(0, [&, close = close] {
            shown = about.isVisible();
            close(about);
        });
        about.DoModal(nullptr);
        EXPECT_TRUE(shown) << way;
        EXPECT_FALSE(about.isVisible()) << way;
    }
}

TEST(HyperLink, TargetsTextsAndFailures) {
    RecordingServices services;
    CHyperLink noTarget, noText;
    noTarget.SetWindowText("https://example.org/a");
    noTarget.SetURL("");
    EXPECT_EQ(noTarget.GetURL(), "https://example.org/a"); // the text is the target
    noText.SetURL("https://example.org/b");
    EXPECT_EQ(noText.GetWindowText(), "https://example.org/b"); // the target is shown
    EXPECT_EQ("Unable to open hyperlink:\n\n" + CHyperLink::ErrorText(2),
              "Unable to open hyperlink:\n\nThe specified file was not found.");
    EXPECT_EQ(CHyperLink::ErrorText(77), "Unknown Error (77) occurred.");
    services.openSucceeds = false; // nothing on the desktop opens it
    EXPECT_FALSE(noText.GotoURL());
    EXPECT_EQ(services.messages,
              Lines{"Unable to open hyperlink:\n\nThere is no application associated\nwith the given filename extension."});
    EXPECT_EQ(services.types, std::vector<int>{MB_OK | MB_ICONEXCLAMATION});
}

TEST(BatchRun, AWorkerUnderLoadWhileTheGridIsEdited) {
    // Twenty documents while the window keeps editing passwords and painting:
    // the worker reads only what Start took, and every document comes out whole.
    RecordingServices services;
    TempDir dir;
    const std::string sample = testing_support::ReadFile(std::string(VELLUMIN_SOURCE_DIR) + "/resources/sample.pdf");
    for (int i = 0; i < 20; ++i) {
        WriteFile(dir / ("doc" + std::to_string(i) + ".pdf"), sample);
        services.files.push_back(dir / ("doc" + std::to_string(i) + ".pdf"));
    }
    Form form;
    form.settings.imagesFormat = 2; // bmp: extraction and conversion
    form.settings.outputDirectory = dir / "out";
    mkdir(form.settings.outputDirectory.c_str(), 0777);
    form.jobs.OpenFile();
    int edits = 0;
    QTimer editing;
    QObject::connect(&editing, &QTimer::timeout, [&] {
        const int row = 1 + edits % 20;
        form.grid.SetItemText(row, 4, "pw" + std::to_string(edits++));
        form.window.repaint();
    });
    editing.start(1);
    form.run.StartConvert();
    editing.stop();
    EXPECT_GT(edits, 0);
    EXPECT_EQ(form.Text(form.total), "Convert Finished");
    std::map<std::string, int> perDocument;
    for (const std::string& name : ListFiles(dir / "out"))
        ++perDocument[name.substr(0, name.find('-'))];
    ASSERT_EQ(perDocument.size(), 20u);
    for (const auto& document : perDocument)
        EXPECT_EQ(document.second, perDocument.begin()->second) << document.first;
}

TEST(BatchRun, ARangeErrorEndsTheRunWithoutOpeningTheFolder) {
    if (!HaveCorpus())
        GTEST_SKIP() << "the corpus of real PDFs (../shared/corpus) is not here";
    // What the Total bar says while the error's box shows.
    struct : RecordingServices {
        std::function<std::string()> totalBar;
        std::vector<std::string> barsAtMessages;
        int MessageBox(QWidget* owner, const std::string& text, const std::string& title, int type) override {
            barsAtMessages.push_back(totalBar());
            return RecordingServices::MessageBox(owner, text, title, type);
        }
    } services;
    TempDir dir;
    const std::string sample = std::string(VELLUMIN_SOURCE_DIR) + "/resources/sample.pdf"; // two pages
    services.files = {sample, CorpusDir() + "/dct-gray-pdf20.pdf", CorpusDir() + "/jpx-rgb.pdf"}; // one page each
    Form form;
    form.settings.imagesFormat = 0;
    form.settings.pageRange = 1;
    form.settings.startPage = form.settings.endPage = 2;
    form.settings.outputDirectory = dir.path();
    services.totalBar = [&form] { return form.Text(form.total); };
    form.jobs.OpenFile();
    form.run.StartConvert();
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_NE(services.messages[0].find("dct-gray-pdf20"), std::string::npos) << services.messages[0];
    EXPECT_EQ(services.types, std::vector<int>{MB_OK | MB_ICONERROR});
    EXPECT_TRUE(services.opened.empty());
    EXPECT_EQ(form.buttons.back(), "enabled");
    EXPECT_EQ(form.Text(form.total), "Convert stopped: page range error.");
    EXPECT_EQ(form.Text(form.current), "Convert stopped: page range error.");
    EXPECT_EQ(services.barsAtMessages, std::vector<std::string>{"Convert stopped: page range error."});
    for (const std::string& name : ListFiles(dir.path()))
        EXPECT_EQ(name.rfind("sample-", 0), 0u) << name; // the third document was not started
}

TEST(BatchRun, TheTotalBarCountsFinishedDocuments) {
    RecordingServices services;
    TempDir dir;
    services.files = SampleCopies(dir, {"one.pdf", "two.pdf"});
    Form form;
    form.settings.imagesFormat = 2; // bmp
    form.settings.outputDirectory = dir / "out";
    mkdir(form.settings.outputDirectory.c_str(), 0777);
    form.jobs.OpenFile();
    BarTexts total(&form.total), current(&form.current);
    form.run.StartConvert();
    EXPECT_EQ(total.texts, (Lines{"File 1 of 2, 0%@0", "Images Converting@0", "File 2 of 2, 50%@50",
                                  "Images Converting@50", "Convert Finished@100"}));
    EXPECT_EQ(current.texts.back(), "Convert Finished@100");
    EXPECT_EQ(form.report, "Convert Finished\n2 document(s) extracted, 0 skipped.\n"
                           "22 image(s) written, 18 converted to bmp.\n" +
                               dir / "one.pdf: 11 images written to " + dir / "out/\n" + dir /
                               "two.pdf: 11 images written to " + dir / "out/");
    EXPECT_TRUE(services.messages.empty());
}

TEST(BatchRun, OpenResultsNoLeavesTheFolderClosed) {
    RecordingServices services;
    TempDir dir;
    services.files = SampleCopies(dir, {"one.pdf"});
    Form form;
    form.settings.imagesFormat = 0;
    form.settings.outputDirectory = dir / "out";
    form.settings.openResult = 1; // "No"
    mkdir(form.settings.outputDirectory.c_str(), 0777);
    form.jobs.OpenFile();
    form.run.StartConvert();
    EXPECT_EQ(form.Text(form.total), "Convert Finished");
    EXPECT_FALSE(ListFiles(dir / "out").empty());
    EXPECT_TRUE(services.opened.empty());
}

namespace {

// What the command line said of each document, in the order of the run: its
// line on standard output, then its lines on standard error.
Lines CliLinesByDocument(const testing_support::CliResult& cli, const Lines& documents) {
    auto linesOf = [](const std::string& text, const std::string& document) {
        Lines lines;
        size_t start = 0;
        for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
            if (text.compare(start, document.size() + 2, document + ": ") == 0)
                lines.push_back(text.substr(start, end - start));
        return lines;
    };
    Lines lines;
    for (const std::string& document : documents)
        for (const std::string* stream : {&cli.out, &cli.err})
            for (const std::string& line : linesOf(*stream, document))
                lines.push_back(line);
    return lines;
}

std::string Joined(const Lines& lines) {
    std::string text;
    for (const std::string& line : lines)
        text += "\n" + line;
    return text;
}

} // namespace

TEST(BatchRun, TheSummaryAndTheMessagesSayWhatTheCommandLineSays) {
    RecordingServices services;
    TempDir dir;
    services.files = SampleCopies(dir, {"kept.pdf"});
    WriteFile(dir / "damaged.pdf", testpdf::DamagedImageDocument());
    services.files.push_back(dir / "damaged.pdf");
    // Folders where two TGA files of the first document would go, in both
    // runs' folders, so that two of its images stay PBM files.
    for (const char* folder : {"window", "cli"}) {
        mkdir((dir / folder).c_str(), 0777);
        for (const char* number : {"-006.tga", "-007.tga"})
            mkdir((dir / folder + "/kept" + number).c_str(), 0777);
    }
    Form form;
    form.settings.imagesFormat = 6; // tga
    form.settings.outputDirectory = dir / "window";
    form.settings.openResult = 1;
    form.jobs.OpenFile();
    form.run.StartConvert();

    const std::string cliFolder = dir / "cli";
    const testing_support::CliResult cli = testing_support::RunCliCommand(
        {"--no-markers", "-f", "tga", "-o", cliFolder.c_str(), services.files[0].c_str(), services.files[1].c_str()});
    ASSERT_EQ(cli.status, 4) << cli.err;
    Lines cliLines = CliLinesByDocument(cli, services.files);
    ASSERT_EQ(cliLines.size(), 4u) << cli.out << cli.err;
    // The same lines, but for the folder named.
    for (std::string& line : cliLines)
        if (const size_t at = line.find(cliFolder); at != std::string::npos)
            line.replace(at, cliFolder.size(), dir / "window");

    EXPECT_EQ(form.report, "Convert Finished\n2 document(s) extracted, 0 skipped.\n10 image(s) written, 8 converted "
                           "to tga." + Joined(cliLines));
    // After each document, what was said of the documents so far.
    ASSERT_EQ(form.reports.size(), 3u);
    EXPECT_EQ(form.reports[0], cliLines[0] + Joined({cliLines[1]}));
    EXPECT_EQ(form.reports[1], cliLines[0] + Joined({cliLines[1], cliLines[2], cliLines[3]}));
    // A message for the document that lost images.
    EXPECT_EQ(services.messages, Lines{"Some images were lost:" + Joined({cliLines[1]})});
}

TEST(BatchRun, LostImagesAreNamedWithTheirCauseAtTheEnd) {
    // Folders stand where the first document's image files go, so none of
    // its eleven images can be written; the refused second loses none.
    RecordingServices services;
    TempDir dir;
    mkdir((dir / "out").c_str(), 0777);
    for (int i = 0; i < 11; ++i)
        for (const char* extension : {"jpg", "ppm", "pbm"})
            mkdir((dir / "out/lost-0" + (i < 10 ? "0" : "") + std::to_string(i) + "." + extension).c_str(), 0777);
    services.files = SampleCopies(dir, {"lost.pdf"});
    services.files.push_back(FixtureDir() + "/owner-nocopy.pdf");
    Form form;
    form.settings.imagesFormat = 0;
    form.settings.outputDirectory = dir / "out";
    form.jobs.OpenFile();
    form.run.StartConvert();
    const std::string loss = dir / "lost.pdf" + ": 11 image(s) could not be written: Is a directory.";
    EXPECT_EQ(services.messages,
              (Lines{"Copying of images from this document is not allowed.", "Some images were lost:\n" + loss}));
    EXPECT_EQ(form.report, "Convert Finished\n1 document(s) extracted, 1 skipped.\n0 image(s) written.\n" +
                               dir / "lost.pdf" + ": 0 images written to " + dir / "out/\n" + loss);
}

// What a document's process writes to its standard error is in the summary
// with the document's other lines, whether the document was extracted or
// stopped at the memory limit by a failed allocation.
TEST(BatchRun, WhatADocumentsProcessWritesIsInTheSummary) {
    RecordingServices services;
    TempDir dir;
    WriteFile(dir / "damaged.pdf", testpdf::DamagedFlateDocument());
    WriteFile(dir / "huge.pdf", testpdf::HugePredictorRowDocument());
    services.files = {dir / "damaged.pdf", dir / "huge.pdf"};
    testing_support::ScopedEnvironment engineErrors("VELLUMIN_ENGINE_ERRORS", "1");
    Form form;
    form.settings.imagesFormat = 0;
    form.settings.outputDirectory = dir / "out";
    form.settings.memoryLimitMb = 64;
    form.jobs.OpenFile();
    form.run.StartConvert();
    const std::string damaged = dir / "damaged.pdf" + ": engine: Unknown compression method in flate stream";
    const size_t damagedAt = form.report.find(damaged);
    EXPECT_NE(damagedAt, std::string::npos) << form.report;
    EXPECT_LT(damagedAt, form.report.find(dir / "damaged.pdf" + ": 0 images written")) << form.report;
    if (testing_support::kMemoryLimitsApply) {
        EXPECT_NE(form.report.find(dir / "huge.pdf: Out of memory"), std::string::npos) << form.report;
        EXPECT_EQ(services.messages,
                  Lines{dir / "huge.pdf" +
                        ": Stopped: it needed more memory than the 64 MB one document may take (Memory Limit MB in "
                        "Settings.ini)."});
    }
}
