// The recipe examples/parallel-extract.sh under GNU parallel: killed midway
// and resumed, it leaves what one plain vellumin-cli run leaves.
#include "tests/support/cli_output.h"
#include "tests/support/sample_document.h"
#include "tests/support/test_support.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using testing_support::TempDir;

namespace {

// Starts the recipe with the arguments in its own process, output to a file.
// GNU parallel keeps its own files beside that file, not in the home folder.
pid_t StartRecipe(const std::vector<std::string>& args, const std::string& log) {
    const std::string parallelHome = log.substr(0, log.rfind('/')) + "/.parallel-home";
    const pid_t child = fork();
    if (child == 0) {
        mkdir(parallelHome.c_str(), 0777);
        setenv("PARALLEL_HOME", parallelHome.c_str(), 1);
        const int fd = open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0666);
        dup2(fd, STDOUT_FILENO);
        dup2(fd, STDERR_FILENO);
        const int null = open("/dev/null", O_RDONLY);
        dup2(null, STDIN_FILENO);
        setenv("VELLUMIN_CLI", VELLUMIN_CLI_PATH, 1);
        std::vector<char*> argv{const_cast<char*>("bash"), const_cast<char*>(VELLUMIN_RECIPE_PATH)};
        for (const std::string& arg : args)
            argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        execvp("bash", argv.data());
        _exit(127);
    }
    return child;
}

int WaitFor(pid_t child) {
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// The job log's lines but its header, as columns.
std::vector<std::vector<std::string>> JobLog(const std::string& path) {
    std::vector<std::vector<std::string>> jobs;
    std::istringstream in(testing_support::ReadFile(path));
    std::string line;
    std::getline(in, line);
    while (std::getline(in, line)) {
        std::vector<std::string> columns;
        std::istringstream fields(line);
        for (std::string field; std::getline(fields, field, '\t');)
            columns.push_back(field);
        jobs.push_back(columns);
    }
    return jobs;
}

// The processes whose command line names something under the folder.
std::vector<std::string> ProcessesWorkingIn(const std::string& folder) {
    std::vector<std::string> found;
    for (const std::string& entry : testing_support::ListFiles("/proc")) {
        if (entry.find_first_not_of("0123456789") != std::string::npos)
            continue;
        std::string command = testing_support::ReadFile("/proc/" + entry + "/cmdline");
        std::replace(command.begin(), command.end(), '\0', ' ');
        if (command.find(folder) != std::string::npos)
            found.push_back(entry + ": " + command);
    }
    return found;
}

bool HaveParallel() { return std::system("parallel --version >/dev/null 2>&1") == 0; }

} // namespace

TEST(ParallelExtract, KilledMidwayAndResumedItLeavesWhatOnePlainRunLeaves) {
    if (!testing_support::HaveCorpus())
        GTEST_SKIP() << "the corpus is not here: " << testing_support::CorpusDir();
    if (!HaveParallel())
        GTEST_SKIP() << "GNU parallel is not installed (scripts/test.sh installs it)";
    TempDir dir;
    // 30 entries: corpus documents under three names each, two documents
    // that outlast the time limit, and a path that names nothing.
    std::vector<std::string> list;
    const std::vector<std::string> corpus = testing_support::CorpusFiles(
        {"dct-gray-pdf20.pdf", "dct-progressive-flate-chained.pdf", "jpx-rgb.pdf", "jbig2-generic-mmr.pdf",
         "ccitt-g3-1d-g3-2d-g4.pdf", "flate-rgb-explicit-mask-and-stencil.pdf", "inline-in-nested-forms.pdf",
         "indexed-lab.pdf", "jpx-icc.pdf"});
    for (const char* name : {"first", "second", "third"})
        for (const std::string& source : corpus) {
            list.push_back(dir / (name + ("-" + source.substr(source.rfind('/') + 1))));
            ASSERT_TRUE(testing_support::WriteFile(list.back(), testing_support::ReadFile(source)));
        }
    for (const size_t place : {5, 17}) {
        const std::string slow = dir / ("slow-" + std::to_string(place) + ".pdf");
        testing_support::WriteFile(slow, testpdf::SlowDocument());
        list.insert(list.begin() + static_cast<long>(place), slow);
    }
    const std::string missing = dir / "missing.pdf";
    list.insert(list.begin() + 11, missing);
    ASSERT_EQ(list.size(), 30u);
    std::string listText;
    for (const std::string& path : list)
        listText += path + "\n";
    const std::string listFile = dir / "list.txt", out = dir / "out", plain = dir / "plain", log = dir / "log";
    testing_support::WriteFile(listFile, listText);

    const std::vector<std::string> args = {"-j", "2", "--time-limit", "2", "-f", "png", "-o", out, listFile};
    const std::string joblog = out + "/.parallel-extract.joblog";
    pid_t recipe = StartRecipe(args, log);
    // Killed once a few documents are done: the first slow one holds a slot.
    for (int i = 0; i < 3000 && JobLog(joblog).size() < 8; ++i) // up to a minute on a loaded machine
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    kill(recipe, SIGTERM);
    WaitFor(recipe);
    EXPECT_EQ(ProcessesWorkingIn(dir.path()), std::vector<std::string>{});
    const size_t doneBeforeKill = JobLog(joblog).size();
    EXPECT_GE(doneBeforeKill, 8u);
    EXPECT_LT(doneBeforeKill, 30u) << "the run ended before it could be stopped midway";

    recipe = StartRecipe(args, log);
    const int failed = WaitFor(recipe);
    // The missing path and the two slow documents.
    EXPECT_EQ(failed, 3) << testing_support::ReadFile(log);

    const testing_support::CliResult reference = testing_support::RunCliCommand(
        {"-j", "1", "--time-limit", "2", "-f", "png", "-o", plain.c_str(), "--files-from", listFile.c_str()});
    EXPECT_EQ(reference.status, 1);
    std::map<std::string, std::string> resumed = testing_support::FolderContents(out);
    EXPECT_EQ(resumed.erase(".parallel-extract.joblog"), 1u);
    EXPECT_EQ(resumed.erase(".parallel-extract.list"), 1u);
    const std::map<std::string, std::string> expected = testing_support::FolderContents(plain);
    EXPECT_EQ(resumed, expected);
    for (const auto& [name, bytes] : resumed)
        EXPECT_EQ(name.find(".part"), std::string::npos) << name;

    // Each document's last job tells its status as the plain run does.
    std::map<std::string, std::string> lastStatus;
    for (const std::vector<std::string>& job : JobLog(joblog)) {
        ASSERT_GE(job.size(), 9u);
        lastStatus[job[8].substr(job[8].rfind(' ') + 1)] = job[6];
    }
    ASSERT_EQ(lastStatus.size(), 30u);
    EXPECT_EQ(lastStatus[missing], "1");
    EXPECT_EQ(lastStatus[dir / "slow-5.pdf"], "1");
    EXPECT_EQ(lastStatus[dir / "slow-17.pdf"], "1");
    EXPECT_EQ(lastStatus[list[0]], "0");
}

// Run alone, two documents that one run would place apart (one title in one
// output folder, the title as the command line gives it: "...pdf" has the
// title "untitled") would write over each other's files: the recipe refuses
// such a list and runs nothing.
TEST(ParallelExtract, RefusesDocumentsThatWouldWriteToOnePlace) {
    if (!HaveParallel())
        GTEST_SKIP() << "GNU parallel is not installed (scripts/test.sh installs it)";
    TempDir dir;
    for (const char* folder : {"a", "b", "c"})
        mkdir((dir / folder).c_str(), 0777);
    for (const char* name : {"a/report.pdf", "a/report.PDF", "b/report.pdf", "c/...pdf", "c/untitled.pdf"})
        testing_support::WriteFile(dir / name, testpdf::SampleDocument());
    struct Case {
        const char* first;
        const char* second;
        bool withOutputFolder;
    };
    const std::string out = dir / "out";
    int run = 0;
    for (const Case& test : {Case{"a/report.pdf", "b/report.pdf", true}, Case{"c/...pdf", "c/untitled.pdf", true},
                             Case{"a/report.pdf", "a/report.PDF", false}, Case{"c/...pdf", "c/untitled.pdf", false}}) {
        SCOPED_TRACE(std::string(test.first) + ", " + test.second + (test.withOutputFolder ? " with -o" : ""));
        const std::string log = dir / ("log" + std::to_string(++run));
        testing_support::WriteFile(dir / "list", dir / test.first + "\n" + dir / test.second + "\n");
        std::vector<std::string> args{dir / "list"};
        if (test.withOutputFolder)
            args.insert(args.begin(), {"-o", out});
        EXPECT_EQ(WaitFor(StartRecipe(args, log)), 2);
        EXPECT_NE(testing_support::ReadFile(log).find(dir / test.first + " and " + dir / test.second +
                                                      " would write to the same place"),
                  std::string::npos)
            << testing_support::ReadFile(log);
        EXPECT_EQ(testing_support::ListFiles(out), std::vector<std::string>{});
        EXPECT_FALSE(std::filesystem::exists(dir / "c/untitled"));
        EXPECT_FALSE(std::filesystem::exists(dir / "a/report"));
    }

    // One title in two folders, each document in its own: no clash.
    testing_support::WriteFile(dir / "list", dir / "a/report.pdf\n" + dir / "b/report.pdf\n");
    WaitFor(StartRecipe({dir / "list"}, dir / "log"));
    EXPECT_EQ(JobLog(dir / ".parallel-extract.joblog").size(), 2u) << testing_support::ReadFile(dir / "log");
}
