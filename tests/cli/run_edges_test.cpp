// Runs of vellumin-cli ended from outside: whatever ends the command, no
// document process goes on without it, and a run that can clean up after
// itself leaves no unfinished file.
#include "engine/run/document_output.h"
#include "engine/run/document_worker.h"
#include "tests/support/cli_output.h"
#include "tests/support/pdf_writer.h"
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
#include <map>
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
using testing_support::kMemoryLimitsApply;
using testing_support::RunCliCommand;
using testing_support::ScopedEnvironment;
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

namespace {

// The sample document in dir, under a title of `length` bytes.
std::string SampleTitled(TempDir& dir, size_t length) {
    const std::string document = dir / (std::string(length, 't') + ".pdf");
    WriteFile(document, testpdf::SampleDocument());
    return document;
}

// Extracts the document in the format into an output folder made anew.
CliResult RunIntoFreshFolder(const std::string& document, const std::string& out, const char* format) {
    std::filesystem::remove_all(out);
    return RunCliCommand({"--no-markers", "-f", format, "-o", out.c_str(), document.c_str()});
}

} // namespace

// The temporary name is short and of fixed length: wherever an image's name
// fits, so does the name it is written under.
TEST(RunTemporaries, ALongTitleFitsWithAnOutputFolder) {
    TempDir dir;
    const std::string document = SampleTitled(dir, 240), out = dir / "out";
    for (const char* format : {"ppm", "png"}) {
        SCOPED_TRACE(format);
        const CliResult result = RunIntoFreshFolder(document, out, format);
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(result.out, document + ": 11 images written to " + out + "/\n");
        EXPECT_EQ(testing_support::ListOutputFiles(out).size(), 11u);
    }
}

// An image name longer than a folder takes ("TITLE-000.ppm" from a title of
// 250 bytes) is refused, and the loss says why, naming the limit; no image is
// said to be written or kept that is not there.
TEST(RunTemporaries, ANameTooLongForTheFolderIsToldWithTheLimit) {
    TempDir dir;
    const std::string document = SampleTitled(dir, 250), out = dir / "out";
    for (const char* format : {"ppm", "png"}) {
        SCOPED_TRACE(format);
        const CliResult result = RunIntoFreshFolder(document, out, format);
        EXPECT_EQ(result.status, 4);
        EXPECT_EQ(result.out, document + ": 0 images written to " + out + "/\n");
        EXPECT_EQ(result.err, document + ": 11 image(s) could not be written: File name too long (a name in " + out +
                                  "/ may have at most 255 bytes).\n");
        EXPECT_EQ(ListFiles(out), std::vector<std::string>{});
    }
}

// A run killed before it could clean up leaves its temporaries; the next run
// into the folder removes those that no writer holds locked, whatever process
// their name gives (an ended one, or one still running: this one), but not
// one still being written by a process of another machine (whose id means
// nothing here, but which holds its lock).
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
    EXPECT_EQ(std::count(files.begin(), files.end(), running), 0);
    EXPECT_EQ(std::count(files.begin(), files.end(), elsewhere), 1);
    EXPECT_EQ(std::count(files.begin(), files.end(), unlike), 1);
}

// The writer of a temporary file still held it when the run first swept the
// folder (as the document process of a run killed a moment before may), and
// ends while the run goes on: the run removes the file at its end.
TEST(RunTemporaries, OnesWhoseWriterEndsDuringTheRunAreRemovedAtItsEnd) {
    AdoptedOrphans orphans;
    TempDir dir;
    WriteFile(dir / "slow.pdf", testpdf::SlowDocument());
    const std::string out = dir / "out", err = dir / "err.txt";
    mkdir(out.c_str(), 0777);
    const std::string left = out + "/.vellumin-" + std::to_string(EndedProcessId()) + "-0000abcd.part";
    WriteFile(left, "half an image");
    const int writer = open(left.c_str(), O_RDWR | O_CLOEXEC);
    struct flock whole {};
    whole.l_type = F_WRLCK;
    ASSERT_EQ(fcntl(writer, F_OFD_SETLK, &whole), 0);
    const pid_t cli = StartCli({"--no-markers", "--time-limit", "60", "-o", out, dir / "slow.pdf"}, err);
    std::vector<pid_t> documents;
    // The document starts after the first sweep.
    ASSERT_TRUE(WaitUntil([&] { return !(documents = ChildrenOf(cli)).empty(); }, 10000));
    EXPECT_TRUE(std::filesystem::exists(left));
    close(writer);
    kill(documents.front(), SIGKILL); // which ends the run
    int status = 0;
    ASSERT_EQ(waitpid(cli, &status, 0), cli);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status << "\n" << ReadFile(err);
    EXPECT_EQ(Temporaries(out), std::vector<std::string>{});
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

// Under any memory limit a document is either extracted as without one, or
// stopped with the limit named and exit status 1: never a guess, a bare
// status or images said to be lost.
TEST(StopCauses, AMemoryLimitLetsTheDocumentThroughOrIsNamed) {
    TempDir dir;
    const std::string document = dir / "sample.pdf";
    WriteFile(document, testpdf::SampleDocument());
    for (const char* format : {"ppm", "png"}) {
        const std::map<std::string, std::string> whole =
            testing_support::CliOutput({document}, dir / (std::string("whole-") + format), format);
        for (const char* limit : {"1", "16", "24"}) {
            SCOPED_TRACE(std::string(format) + " under " + limit + " MB");
            const std::string out = dir / (std::string(format) + "-" + limit);
            const CliResult result =
                RunCliCommand({"--no-markers", "-j", "1", "-f", format, "--memory-limit", limit, "-o", out.c_str(),
                               document.c_str()});
            if (result.status == 0) {
                EXPECT_EQ(testing_support::FolderContents(out), whole);
                continue;
            }
            EXPECT_EQ(result.status, 1) << result.err;
            EXPECT_NE(result.err.find(document + ": Stopped: it needed more memory than the " + std::string(limit) +
                                      " MB one document may take (--memory-limit).\n"),
                      std::string::npos)
                << result.err;
            EXPECT_EQ(testing_support::ListOutputFiles(out).size() < whole.size(), true);
        }
        if (kMemoryLimitsApply) {
            EXPECT_NE(RunCliCommand({"-j", "1", "-f", format, "--memory-limit", "1", document.c_str()}).status, 0)
                << "1 MB is too little for any document";
        }
    }
}

// More jobs than documents give a document more page threads, no more than
// the processors and only those the system grants: the files are those of
// one job, under a memory limit too.
TEST(PageThreads, MoreJobsThanDocumentsGiveTheFilesOfOneJob) {
    TempDir dir;
    const std::string document = dir / "sample.pdf";
    WriteFile(document, testpdf::SampleDocument());
    for (const char* limit : {"24", "64", "0"}) {
        SCOPED_TRACE(std::string("under ") + limit + " MB");
        const std::string one = dir / (std::string("j1-") + limit), eight = dir / (std::string("j8-") + limit);
        const CliResult alone = RunCliCommand(
            {"--no-markers", "-j", "1", "-f", "ppm", "--memory-limit", limit, "-o", one.c_str(), document.c_str()});
        const CliResult beside = RunCliCommand(
            {"--no-markers", "-j", "8", "-f", "ppm", "--memory-limit", limit, "-o", eight.c_str(), document.c_str()});
        EXPECT_EQ(beside.status, alone.status) << beside.err;
        EXPECT_EQ(testing_support::FolderContents(eight), testing_support::FolderContents(one));
    }
}

// A document process killed from outside is reported with that cause, and
// the run goes on with the next document.
TEST(StopCauses, ADocumentProcessKilledFromOutsideIsToldSoAndTheRunGoesOn) {
    for (const char* jobs : {"1", "2"}) {
        SCOPED_TRACE(std::string("-j ") + jobs);
        AdoptedOrphans orphans;
        TempDir dir;
        WriteFile(dir / "slow.pdf", testpdf::SlowDocument());
        WriteFile(dir / "sample.pdf", testpdf::SampleDocument());
        const std::string out = dir / "out", err = dir / "err.txt";
        const pid_t cli = StartCli({"-j", jobs, "-f", "png", "--time-limit", "60", "--no-markers", "-o", out,
                                    dir / "slow.pdf", dir / "sample.pdf"},
                                   err);
        std::vector<pid_t> children;
        ASSERT_TRUE(WaitUntil([&] { return !(children = ChildrenOf(cli)).empty(); }, 10000));
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        kill(children.front(), SIGKILL); // the slow document's, started first
        int status = 0;
        ASSERT_EQ(waitpid(cli, &status, 0), cli);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
        const std::string said = ReadFile(err);
        EXPECT_NE(said.find(dir / "slow.pdf" + ": Stopped by signal 9 (Killed) from outside the run.\n"),
                  std::string::npos)
            << said;
        EXPECT_EQ(said.find("most often"), std::string::npos) << said;
        const std::vector<std::string> files = testing_support::ListOutputFiles(out);
        EXPECT_EQ(std::count_if(files.begin(), files.end(), [](const std::string& name) { return name.rfind("sample-", 0) == 0; }),
                  11)
            << said;
        EXPECT_EQ(Temporaries(out), std::vector<std::string>{});
    }
}

// Any byte of a path passes between the document's process and the command:
// a line break in a folder's name does not cut the folder the line names.
TEST(RunPaths, ALineBreakInAFoldersNameIsKeptWhole) {
    TempDir dir;
    const std::string folder = dir / "a\nb";
    mkdir(folder.c_str(), 0777);
    const std::string document = folder + "/sample.pdf";
    WriteFile(document, testpdf::SampleDocument());
    const CliResult result = RunCliCommand({"--no-markers", "-f", "ppm", document.c_str()});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, document + ": 11 images written to " + folder + "/sample/\n");
    EXPECT_EQ(testing_support::ListOutputFiles(folder + "/sample").size(), 11u);
}

namespace {

// A page with an image of noise that no small file-size limit lets through,
// and a small gray image that any does.
std::string LargeAndSmallImageDocument() {
    testpdf::PdfWriter pdf;
    unsigned state = 1;
    const std::string noise = testpdf::PackSamples(200, 200, 3, 8, [&](int, int, int) {
        state = state * 1103515245u + 12345u;
        return state >> 24;
    });
    const int large = pdf.AddFlateImage("/Width 200 /Height 200 /ColorSpace /DeviceRGB /BitsPerComponent 8", noise);
    const int small =
        pdf.AddFlateImage("/Width 4 /Height 4 /ColorSpace /DeviceGray /BitsPerComponent 8", std::string(16, '\x80'));
    pdf.AddPage({{large, small}});
    return pdf.Build();
}

struct FileLimitCase {
    const char* name;
    unsigned long long bytes;
    int status;
    const char* reportSays; // on standard error, when the report cannot be written
};

} // namespace

// Under "ulimit -f" neither the command nor a document's process dies of
// SIGXFSZ: the image past the limit is lost with its reason while the
// document goes on, and a report past it is told as such, with a documented
// status.
TEST(FileSizeLimit, AWritePastItFailsAndIsToldWithItsReason) {
    TempDir dir;
    const std::string document = dir / "mixed.pdf";
    WriteFile(document, LargeAndSmallImageDocument());
    for (const FileLimitCase& test : {FileLimitCase{"room for the report", 64 * 1024, 4, nullptr},
                                      FileLimitCase{"no room for the report", 1024, 1, "Cannot write the report"}}) {
        SCOPED_TRACE(test.name);
        const std::string place = dir / std::to_string(test.bytes), out = place + "-out", report = place + ".jsonl";
        const int said = open((place + ".out.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        pid_t cli = -1;
        {
            testing_support::FileSizeLimit limit(test.bytes, testing_support::PastTheLimit::RaisesTheSignal);
            cli = StartCli({"--no-markers", "-f", "png", "--report", report, "-o", out, document}, place + ".err.txt",
                           said);
        }
        close(said);
        int status = 0;
        ASSERT_EQ(waitpid(cli, &status, 0), cli);
        const std::string err = ReadFile(place + ".err.txt");
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == test.status) << status << "\n" << err;
        EXPECT_EQ(ReadFile(place + ".out.txt"), document + ": 1 image written to " + out + "/\n");
        EXPECT_NE(err.find(document + ": 1 image(s) could not be written: File too large.\n"), std::string::npos) << err;
        EXPECT_EQ(testing_support::ListOutputFiles(out), std::vector<std::string>{"mixed-001.png"});
        if (test.reportSays)
            EXPECT_NE(err.find(report + ": " + test.reportSays + ": File too large.\n"), std::string::npos) << err;
        else
            EXPECT_NE(ReadFile(report).find("could not be written: File too large"), std::string::npos);
    }
}

// A run suspended (Ctrl+Z) and resumed: the time it spent suspended does not
// count against the time limit, so the document is not stopped on resume.
TEST(TimeLimit, ASuspendedRunDoesNotCountTheTimeItWasSuspended) {
    AdoptedOrphans orphans;
    TempDir dir;
    WriteFile(dir / "slow.pdf", testpdf::SlowDocument());
    const std::string err = dir / "err.txt";
    const pid_t cli = StartCli({"--time-limit", "3", "--no-markers", "-o", dir / "out", dir / "slow.pdf"}, err);
    ASSERT_TRUE(WaitUntil([&] { return !ChildrenOf(cli).empty(); }, 10000));
    kill(-cli, SIGTSTP); // as the terminal does for Ctrl+Z
    std::this_thread::sleep_for(std::chrono::seconds(3));
    const auto resumed = std::chrono::steady_clock::now();
    kill(-cli, SIGCONT);
    int status = 0;
    ASSERT_EQ(waitpid(cli, &status, 0), cli);
    const double ranAfter = std::chrono::duration<double>(std::chrono::steady_clock::now() - resumed).count();
    EXPECT_GT(ranAfter, 1.0) << "the document was stopped on resume";
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
    EXPECT_NE(ReadFile(err).find("Stopped after 3 seconds"), std::string::npos) << ReadFile(err);
}

// A page range beyond document 2 of 3 stops the run there. With -j 2 the
// third document has started beside the first two; it is ended and its files
// removed, so that the disk holds what -j 1 leaves, with -o or beside the
// documents.
TEST(RangeError, ADocumentStartedAfterItLeavesNoFiles) {
    for (const bool sharedFolder : {true, false}) {
        SCOPED_TRACE(sharedFolder ? "with -o" : "beside the documents");
        TempDir dir;
        std::map<std::string, std::map<std::string, std::string>> disks;
        for (const char* jobs : {"1", "2"}) {
            const std::string place = dir / (std::string("j") + jobs), out = place + "/out";
            mkdir(place.c_str(), 0777);
            // The first is stopped at the time limit, long after the third
            // has written its image.
            WriteFile(place + "/a.pdf", testpdf::SlowDocument(2));
            WriteFile(place + "/b.pdf", testpdf::SlowDocument(1));
            WriteFile(place + "/c.pdf", testpdf::SampleDocument());
            std::vector<std::string> arguments{"--no-markers", "-j", jobs, "-f", "ppm", "-p", "2", "--time-limit", "2"};
            if (sharedFolder)
                arguments.insert(arguments.end(), {"-o", out});
            for (const char* name : {"/a.pdf", "/b.pdf", "/c.pdf"})
                arguments.push_back(place + name);
            std::vector<const char*> argv;
            for (const std::string& argument : arguments)
                argv.push_back(argument.c_str());
            const CliResult result = RunCliCommand(argv);
            EXPECT_EQ(result.status, 3) << result.err;
            disks[jobs] = testing_support::FolderContents(place);
        }
        EXPECT_EQ(disks["2"], disks["1"]);
    }
}

namespace {

struct WrittenLinesCase {
    const char* name;
    std::string document;
    std::vector<const char*> options;
    std::string line; // what the document's process writes to its standard error
};

} // namespace

// What a document's process writes to its standard error (the PDF library's
// errors when asked for, the last words of a failed allocation) comes in the
// document's turn, named with it: after the lines of a slower document before
// it at -j 2, and none of it left without a document's name.
TEST(ChildOutput, LinesADocumentsProcessWritesComeInItsTurnWithItsName) {
    ScopedEnvironment engineErrors("VELLUMIN_ENGINE_ERRORS", "1");
    std::vector<WrittenLinesCase> cases{
        {"damaged Flate data", testpdf::DamagedFlateDocument(), {},
         "engine: Unknown compression method in flate stream"}};
    if (kMemoryLimitsApply)
        cases.push_back(
            {"a failed allocation", testpdf::HugePredictorRowDocument(), {"--memory-limit", "64"}, "Out of memory"});
    for (const WrittenLinesCase& test : cases) {
        SCOPED_TRACE(test.name);
        TempDir dir;
        const std::string slow = dir / "slow.pdf", writing = dir / "writing.pdf", out = dir / "out";
        WriteFile(slow, testpdf::SlowDocument());
        WriteFile(writing, test.document);
        std::vector<const char*> arguments{"--no-markers", "-j", "2", "-f", "png", "--time-limit", "2", "-o",
                                           out.c_str()};
        arguments.insert(arguments.end(), test.options.begin(), test.options.end());
        arguments.insert(arguments.end(), {slow.c_str(), writing.c_str()});
        const CliResult result = RunCliCommand(arguments);
        EXPECT_EQ(result.status, 1) << result.err;
        const size_t slowStopped = result.err.find(slow + ": Stopped after 2 seconds");
        const size_t written = result.err.find(writing + ": " + test.line);
        ASSERT_NE(slowStopped, std::string::npos) << result.err;
        ASSERT_NE(written, std::string::npos) << result.err;
        EXPECT_LT(slowStopped, written) << result.err;
        std::istringstream lines(result.err);
        for (std::string line; std::getline(lines, line);)
            EXPECT_TRUE(line.rfind(slow + ": ", 0) == 0 || line.rfind(writing + ": ", 0) == 0) << line;
    }
}

// A flood of lines from a document's process is cut after 500, and what was
// left out is counted, so that a document waiting for its turn holds little.
TEST(ChildOutput, AFloodOfLinesIsCutShortAndCounted) {
    ScopedEnvironment engineErrors("VELLUMIN_ENGINE_ERRORS", "1");
    TempDir dir;
    const std::string document = dir / "damaged.pdf", out = dir / "out";
    WriteFile(document, testpdf::DamagedFlateDocument(400)); // two lines each
    const CliResult result = RunCliCommand({"--no-markers", "-f", "ppm", "-o", out.c_str(), document.c_str()});
    EXPECT_EQ(result.status, 0) << result.err;
    std::istringstream lines(result.err);
    int engineLines = 0;
    std::string leftOut;
    for (std::string line; std::getline(lines, line);) {
        ASSERT_EQ(line.rfind(document + ": ", 0), 0u) << line;
        if (line.rfind(document + ": engine: ", 0) == 0)
            ++engineLines;
        else if (line.find("more line(s) of its output left out.") != std::string::npos)
            leftOut = line;
    }
    EXPECT_EQ(engineLines, 500);
    EXPECT_EQ(leftOut, document + ": 300 more line(s) of its output left out.");
}
