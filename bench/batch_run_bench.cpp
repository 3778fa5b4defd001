// The desktop program's batch run against vellumin-cli -j 1 on the same
// documents, to PNG. The window's side is the run that Start Convert runs
// (CBatchRun over a job list, its bars and the worker thread, offscreen),
// not the window driven by input; the command line runs as a child process.
// The two take turns, RUNS times, and the best time of each counts. Prints
// both times, their ratio (batch run / command line) and whether the two
// folders hold the same files, byte for byte.
//
// usage: batch_run_bench VELLUMIN-CLI RUNS OUTPUT-PARENT PDF...
#include "controls/grid/data_grid.h"
#include "controls/util/percent_progress_ctrl.h"
#include "platform/ui/ui_services.h"
#include "shell/batch_run.h"
#include "shell/job_list.h"
#include "tests/support/test_support.h"

#include <QApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace {

// Message boxes are counted, not shown; nothing opens on the desktop.
class QuietServices : public UiServices {
public:
    int messages = 0;
    int MessageBox(QWidget*, const std::string&, const std::string&, int) override {
        ++messages;
        return IDOK;
    }
    bool OpenWithDesktop(const std::string&) override { return true; }
    std::string GetClipboardText() override { return {}; }
    void SetClipboardText(const std::string&) override {}
    std::vector<std::string> OpenFileDialog(QWidget*, const std::string&, const std::string&) override { return {}; }
    std::string FolderDialog(QWidget*, const std::string&, const std::string&, const std::string&) override {
        return {};
    }
    unsigned TrackPopupMenu(QWidget*, const std::vector<PopupMenuEntry>&, int, int) override { return 0; }
};

double SecondsOf(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The window's batch run over the documents into folder.
double BatchRunSeconds(const std::vector<std::string>& documents, const std::string& folder) {
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    CWnd window;
    CDataGrid grid;
    CPercentProgressCtrl current{&window}, total{&window};
    CJobList jobs{grid, &window};
    ConvertSettings settings;
    settings.imagesFormat = OUTPUT_PNG;
    settings.outputDirectory = folder;
    settings.openResult = 1; // No
    CBatchRun run{jobs, settings, CBatchRun::Controls{&current, &total, [](bool) {}, {}, {}}, &window};
    grid.Create(RECT{0, 0, 660, 300}, &window, 1021);
    jobs.SetUpGrid();
    for (const std::string& document : documents)
        jobs.AddJob(document);
    window.show();
    return SecondsOf([&] { run.StartConvert(); });
}

double CliSeconds(const std::string& cli, const std::vector<std::string>& documents, const std::string& folder) {
    std::filesystem::remove_all(folder);
    std::vector<std::string> args = {cli, "-j", "1", "-f", "png", "--no-markers", "-o", folder};
    args.insert(args.end(), documents.begin(), documents.end());
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    return SecondsOf([&] {
        pid_t child = -1;
        if (posix_spawn(&child, cli.c_str(), &actions, nullptr, argv.data(), environ) == 0)
            waitpid(child, nullptr, 0);
    });
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fprintf(stderr, "usage: %s VELLUMIN-CLI RUNS OUTPUT-PARENT PDF...\n", argv[0]);
        return 2;
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    QuietServices services;
    SetServices(&services);
    const std::string cli = argv[1];
    const int runs = std::max(1, std::atoi(argv[2]));
    testing_support::TempDir work(argv[3]);
    const std::vector<std::string> documents(argv + 4, argv + argc);

    double batchBest = 1e300, cliBest = 1e300;
    for (int i = 0; i < runs; ++i) {
        cliBest = std::min(cliBest, CliSeconds(cli, documents, work / "cli"));
        batchBest = std::min(batchBest, BatchRunSeconds(documents, work / "window"));
    }
    const bool same = testing_support::FolderContents(work / "cli") == testing_support::FolderContents(work / "window");
    std::printf("%zu document(s) to png, best of %d\n", documents.size(), runs);
    std::printf("  vellumin-cli -j 1  %8.2f s\n", cliBest);
    std::printf("  batch run          %8.2f s   ratio %.2f   %s\n", batchBest, batchBest / cliBest,
                same ? "same files" : "DIFFERENT FILES");
    SetServices(nullptr);
    return same ? 0 : 1;
}
