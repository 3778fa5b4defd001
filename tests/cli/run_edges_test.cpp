// Runs of vellumin-cli ended from outside: whatever ends the command, no
// document process goes on without it, and a run that can clean up after
// itself leaves no unfinished file.
#include "tests/support/cli_output.h"
#include "tests/support/sample_document.h"
#include "tests/support/test_support.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
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

// The children of a process (of its main thread, which forks them).
std::vector<pid_t> ChildrenOf(pid_t parent) {
    std::ifstream file("/proc/" + std::to_string(parent) + "/task/" + std::to_string(parent) + "/children");
    std::vector<pid_t> children;
    for (pid_t child; file >> child;)
        children.push_back(child);
    return children;
}

// Gone, or a zombie that no one reaps: it runs no more either way.
bool HasEnded(pid_t process) {
    std::ifstream file("/proc/" + std::to_string(process) + "/stat");
    std::string line;
    if (!std::getline(file, line))
        return true;
    const size_t close = line.rfind(')');
    return close != std::string::npos && close + 2 < line.size() && line[close + 2] == 'Z';
}

// vellumin-cli in a process group of its own, as a shell starts a job.
pid_t StartCli(const std::vector<std::string>& arguments, const std::string& errPath) {
    const pid_t pid = fork();
    if (pid == 0) {
        setpgid(0, 0);
        const int null = open("/dev/null", O_WRONLY);
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(null, STDOUT_FILENO);
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

TEST_P(RunEndedFromOutside, LeavesNoProcessAndNoUnfinishedFile) {
    const SignalCase& given = GetParam();
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
    std::this_thread::sleep_for(std::chrono::milliseconds(300)); // well into the work
    kill(given.toGroup ? -cli : cli, given.signal);
    int status = 0;
    ASSERT_EQ(waitpid(cli, &status, 0), cli);
    for (pid_t child : children)
        EXPECT_TRUE(WaitUntil([&] { return HasEnded(child); }, 2000)) << "document process " << child << " goes on";
    if (given.signal == SIGKILL) {
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;
        return;
    }
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 128 + given.signal) << status;
    EXPECT_NE(ReadFile(err).find("The run was interrupted"), std::string::npos) << ReadFile(err);
    for (const std::string& name : ListFiles(out))
        EXPECT_EQ(name.find(".part"), std::string::npos) << name << " was left behind";
}

INSTANTIATE_TEST_SUITE_P(
    Signals, RunEndedFromOutside,
    testing::Values(SignalCase{"IntToGroup", SIGINT, true, 1, "ppm"}, SignalCase{"IntToGroup", SIGINT, true, 2, "png"},
                    SignalCase{"TermToCommand", SIGTERM, false, 1, "png"},
                    SignalCase{"TermToCommand", SIGTERM, false, 2, "ppm"},
                    SignalCase{"KillToCommand", SIGKILL, false, 1, "ppm"},
                    SignalCase{"KillToCommand", SIGKILL, false, 2, "png"}),
    CaseName);

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
// into the folder removes them, and only those whose process is gone.
TEST(RunTemporaries, ALaterRunRemovesWhatAnEndedRunLeft) {
    TempDir dir;
    const std::string document = dir / "good.pdf", out = dir / "out";
    WriteFile(document, testpdf::SampleDocument());
    mkdir(out.c_str(), 0777);
    const std::string left = ".vellumin-" + std::to_string(EndedProcessId()) + "-0000abcd.part";
    const std::string running = ".vellumin-" + std::to_string(getpid()) + "-0000abcd.part";
    const std::string unlike = ".vellumin-notes.part";
    for (const std::string& name : {left, running, unlike})
        WriteFile(out + "/" + name, "half");
    ASSERT_EQ(RunCliCommand({"-f", "ppm", "-o", out.c_str(), document.c_str()}).status, 0);
    const std::vector<std::string> files = ListFiles(out);
    EXPECT_EQ(std::count(files.begin(), files.end(), left), 0);
    EXPECT_EQ(std::count(files.begin(), files.end(), running), 1);
    EXPECT_EQ(std::count(files.begin(), files.end(), unlike), 1);
}
