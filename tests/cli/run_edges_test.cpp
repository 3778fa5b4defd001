// Runs of vellumin-cli ended from outside: whatever ends the command, no
// document process goes on without it, and a run that can clean up after
// itself leaves no unfinished file.
#include "engine/document_output.h"
#include "engine/document_worker.h"
#include "tests/support/cli_output.h"
#include "tests/support/sample_document.h"
#include "tests/support/test_support.h"

#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <sys/prctl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

using testing_support::CliResult;
using testing_support::EndedProcessId;
using testing_support::ListFiles;
using testing_support::RunCliCommand;
using testing_support::ReadFile;
using testing_support::TempDir;
using testing_support::WriteFile;

namespace {

bool WaitUntil(const std::function<bool()>& condition, int milliseconds) {
    for (int waited = 0; waited <= milliseconds; waited += 20) {
        if (condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

// The children of a process, whichever of its threads started them.
std::vector<pid_t> ChildrenOf(pid_t parent) {
    std::vector<pid_t> children;
    const std::string tasks = "/proc/" + std::to_string(parent) + "/task";
    std::error_code error;
    for (const auto& task : std::filesystem::directory_iterator(tasks, error)) {
        std::ifstream file(task.path() / "children");
        for (pid_t child; file >> child;)
            children.push_back(child);
    }
    return children;
}

// Gone, or a zombie: it runs no more either way.
bool HasEnded(pid_t process) {
    std::ifstream file("/proc/" + std::to_string(process) + "/stat");
    std::string line;
    if (!std::getline(file, line))
        return true;
    const size_t close = line.rfind(')');
    return close != std::string::npos && close + 2 < line.size() && line[close + 2] == 'Z';
}

// This test process adopts whatever the command leaves behind, so that an
// orphaned document process is seen among its own children.
class AdoptedOrphans {
public:
    AdoptedOrphans() { prctl(PR_SET_CHILD_SUBREAPER, 1); }
    ~AdoptedOrphans() {
        for (pid_t child : ChildrenOf(getpid()))
            kill(child, SIGKILL);
        while (waitpid(-1, nullptr, 0) > 0) {
        }
        prctl(PR_SET_CHILD_SUBREAPER, 0);
    }
    // Whether every process left behind has ended within two seconds.
    static bool NoneRunning() {
        return WaitUntil(
            [] {
                const std::vector<pid_t> children = ChildrenOf(getpid());
                return std::all_of(children.begin(), children.end(), HasEnded);
            },
            2000);
    }
};

// vellumin-cli in a process group of its own, as a shell starts a job, its
// output into out (a descriptor, or -1 for nowhere).
pid_t StartCli(const std::vector<std::string>& arguments, const std::string& errPath, int out = -1) {
    const pid_t pid = fork();
    if (pid == 0) {
        setpgid(0, 0);
        const int null = open("/dev/null", O_WRONLY);
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(out >= 0 ? out : null, STDOUT_FILENO);
        dup2(err, STDERR_FILENO);
        std::vector<char*> argv{const_cast<char*>("vellumin-cli")};
        for (const std::string& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        execv(VELLUMIN_CLI_PATH, argv.data());
        _exit(127);
    }
    setpgid(pid, pid);
    return pid;
}

std::vector<std::string> Temporaries(const std::string& folder) {
    std::vector<std::string> left;
    for (const std::string& name : ListFiles(folder))
        if (name.find(".part") != std::string::npos)
            left.push_back(name);
    return left;
}

struct SignalCase {
    const char* name;
    int signal;
    bool toGroup;
    int jobs;
    const char* format;
};

std::string CaseName(const testing::TestParamInfo<SignalCase>& info) {
    return std::string(info.param.name) + "_j" + std::to_string(info.param.jobs) + "_" + info.param.format;
}

class RunEndedFromOutside : public testing::TestWithParam<SignalCase> {};

} // namespace

// Each running document has an unfinished file when the signal comes (one
// of the temporary name its process writes under), which a run that can
// clean up must remove.
TEST_P(RunEndedFromOutside, LeavesNoProcessAndNoUnfinishedFile) {
    const SignalCase& given = GetParam();
    AdoptedOrphans orphans;
    TempDir dir;
    WriteFile(dir / "slow1.pdf", testpdf::SlowDocument());
    WriteFile(dir / "slow2.pdf", testpdf::SlowDocument());
    const std::string out = dir / "out", err = dir / "err.txt";
    const pid_t cli = StartCli({"-j", std::to_string(given.jobs), "-f", given.format, "--time-limit", "60", "-o", out,
                                dir / "slow1.pdf", dir / "slow2.pdf"},
                               err);
    std::vector<pid_t> children;
    ASSERT_TRUE(WaitUntil(
        [&] {
            children = ChildrenOf(cli);
            return static_cast<int>(children.size()) == given.jobs;
        },
        10000))
        << "the documents did not start";
    for (pid_t child : children)
        WriteFile(out + "/.vellumin-" + std::to_string(child) + "-00000001.part", "half an image");
    std::this_thread::sleep_for(std::chrono::milliseconds(300)); // well into the work
    kill(given.toGroup ? -cli : cli, given.signal);
    int status = 0;
    ASSERT_EQ(waitpid(cli, &status, 0), cli);
    EXPECT_TRUE(AdoptedOrphans::NoneRunning()) << "a document process goes on without the command";
    if (given.signal == SIGKILL) {
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;
        return;
    }
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 128 + given.signal) << status;
    EXPECT_NE(ReadFile(err).find("The run was interrupted (" + std::string(given.name, std::strchr(given.name, '_'))),
              std::string::npos)
        << ReadFile(err);
    EXPECT_EQ(Temporaries(out), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(
    Signals, RunEndedFromOutside,
    testing::Values(SignalCase{"SIGINT_ToGroup", SIGINT, true, 1, "ppm"},
                    SignalCase{"SIGINT_ToGroup", SIGINT, true, 2, "png"},
                    SignalCase{"SIGTERM_ToCommand", SIGTERM, false, 1, "png"},
                    SignalCase{"SIGTERM_ToCommand", SIGTERM, false, 2, "ppm"},
                    SignalCase{"SIGHUP_ToCommand", SIGHUP, false, 2, "png"},
                    SignalCase{"SIGKILL_ToCommand", SIGKILL, false, 1, "ppm"},
                    SignalCase{"SIGKILL_ToCommand", SIGKILL, false, 2, "png"}),
    CaseName);

// The reader of the output goes away (vellumin-cli ... | head -n 1): the
// next line the command writes ends the run as a signal from outside does.
TEST(Signals, ABrokenOutputPipeEndsTheRunAndItsDocuments) {
    AdoptedOrphans orphans;
    TempDir dir;
    WriteFile(dir / "quick.pdf", testpdf::SampleDocument());
    WriteFile(dir / "slow.pdf", testpdf::SlowDocument());
    const std::string out = dir / "out", err = dir / "err.txt";
    int output[2];
    ASSERT_EQ(pipe2(output, O_CLOEXEC), 0);
    const pid_t cli =
        StartCli({"-j", "2", "--time-limit", "60", "-o", out, dir / "quick.pdf", dir / "slow.pdf"}, err, output[1]);
    close(output[1]);
    close(output[0]); // read nothing: the quick document's line breaks the pipe
    int status = 0;
    ASSERT_EQ(waitpid(cli, &status, 0), cli);
    EXPECT_TRUE(AdoptedOrphans::NoneRunning()) << "a document process goes on without the command";
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 128 + SIGPIPE) << status;
    EXPECT_NE(ReadFile(err).find("The run was interrupted (SIGPIPE)"), std::string::npos) << ReadFile(err);
    EXPECT_EQ(Temporaries(out), std::vector<std::string>{});
}

// The temporary name is short and of fixed length: wherever an image's name
// fits, so does the name it is written under.
TEST(RunTemporaries, ALongTitleFitsWithAnOutputFolder) {
    TempDir dir;
    const std::string title(240, 't');
    const std::string document = dir / (title + ".pdf"), out = dir / "out";
    WriteFile(document, testpdf::SampleDocument());
    for (const char* format : {"ppm", "png"}) {
        SCOPED_TRACE(format);
        std::filesystem::remove_all(out);
        const CliResult result = RunCliCommand({"--no-markers", "-f", format, "-o", out.c_str(), document.c_str()});
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(result.out, document + ": 11 images written to " + out + "/\n");
        EXPECT_EQ(testing_support::ListOutputFiles(out).size(), 11u);
    }
}

// A run killed before it could clean up leaves its temporaries; the next run
// into the folder removes them, and only those whose process is gone: not
// those of a running process, nor one still being written by a process of
// another machine (whose id means nothing here, but which holds its lock).
TEST(RunTemporaries, ALaterRunRemovesWhatAnEndedRunLeft) {
    TempDir dir;
    const std::string document = dir / "good.pdf", out = dir / "out";
    WriteFile(document, testpdf::SampleDocument());
    mkdir(out.c_str(), 0777);
    const std::string left = ".vellumin-" + std::to_string(EndedProcessId()) + "-0000abcd.part";
    const std::string running = ".vellumin-" + std::to_string(getpid()) + "-0000abcd.part";
    const std::string elsewhere = ".vellumin-" + std::to_string(EndedProcessId()) + "-00001234.part";
    const std::string unlike = ".vellumin-notes.part";
    for (const std::string& name : {left, running, elsewhere, unlike})
        WriteFile(out + "/" + name, "half");
    const int written = open((out + "/" + elsewhere).c_str(), O_RDWR | O_CLOEXEC);
    struct flock whole {};
    whole.l_type = F_WRLCK;
    ASSERT_EQ(fcntl(written, F_OFD_SETLK, &whole), 0);
    ASSERT_EQ(RunCliCommand({"-f", "ppm", "-o", out.c_str(), document.c_str()}).status, 0);
    close(written);
    const std::vector<std::string> files = ListFiles(out);
    EXPECT_EQ(std::count(files.begin(), files.end(), left), 0);
    EXPECT_EQ(std::count(files.begin(), files.end(), running), 1);
    EXPECT_EQ(std::count(files.begin(), files.end(), elsewhere), 1);
    EXPECT_EQ(std::count(files.begin(), files.end(), unlike), 1);
}

// A worker whose parent ended before the worker could ask to end with it
// (its parent is then another process) does no work at all.
TEST(Signals, AWorkerWhoseParentIsAlreadyGoneDoesNothing) {
    TempDir dir;
    const std::string document = dir / "good.pdf";
    WriteFile(document, testpdf::SampleDocument());
    ConvertSettings settings;
    settings.imagesFormat = OUTPUT_PPM_PBM;
    const DocumentOutput output = OutputPlanner().Plan(document, settings);
    const std::string job = EncodeDocumentJob(ExtractRequest{document}, output, settings, DocumentLimits{});
    int input[2];
    ASSERT_EQ(pipe2(input, O_CLOEXEC), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input[0], STDIN_FILENO);
    std::string program = VELLUMIN_WORKER_PATH, parent = std::to_string(EndedProcessId());
    char* argv[] = {program.data(), parent.data(), nullptr};
    pid_t worker = -1;
    ASSERT_EQ(posix_spawn(&worker, program.c_str(), &actions, nullptr, argv, environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    close(input[0]);
    ASSERT_EQ(write(input[1], job.data(), job.size()), static_cast<ssize_t>(job.size()));
    close(input[1]);
    int status = 0;
    ASSERT_EQ(waitpid(worker, &status, 0), worker);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == kWorkerFailed) << status;
    EXPECT_FALSE(std::filesystem::exists(output.outputDirectory)) << "the worker extracted the document";
}
