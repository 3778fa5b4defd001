// Runs over lists of documents: lists read as a stream, shards, done markers
// and the results file.
#include "cli/json_lines_file.h"
#include "tests/support/cli_output.h"
#include "tests/support/pdf_writer.h"
#include "tests/support/sample_document.h"
#include "tests/support/test_support.h"

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using testing_support::CliResult;
using testing_support::FolderContents;
using testing_support::ListFiles;
using testing_support::ReadFile;
using testing_support::RunCliCommand;
using testing_support::TempDir;
using testing_support::WriteFile;

namespace {

// The results file's lines, parsed.
std::vector<nlohmann::json> ResultLines(const std::string& path) {
    std::vector<nlohmann::json> lines;
    std::istringstream in(ReadFile(path));
    for (std::string line; std::getline(in, line);)
        lines.push_back(nlohmann::json::parse(line));
    return lines;
}

std::string Joined(const std::vector<std::string>& paths, char separator) {
    std::string text;
    for (const std::string& path : paths)
        text += path + separator;
    return text;
}

// vellumin-cli in a process of its own, its output into two files.
pid_t StartCli(const std::vector<std::string>& arguments, const std::string& outPath, const std::string& errPath) {
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), STDOUT_FILENO);
        dup2(open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), STDERR_FILENO);
        std::vector<char*> argv{const_cast<char*>("vellumin-cli")};
        for (const std::string& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        execv(VELLUMIN_CLI_PATH, argv.data());
        _exit(127);
    }
    return pid;
}

bool HasFile(const std::string& folder, const std::string& name) {
    const std::vector<std::string> files = ListFiles(folder);
    return std::find(files.begin(), files.end(), name) != files.end();
}

} // namespace

TEST(FilesFrom, ListedDocumentsRunInOrderAndLinesThatNameNoDocumentAreReported) {
    TempDir dir;
    mkdir((dir / "sub").c_str(), 0777);
    WriteFile(dir / "a.pdf", testpdf::SampleDocument());
    WriteFile(dir / "b.pdf", testpdf::SampleDocument());
    const std::string a = dir / "a.pdf", b = dir / "b.pdf", missing = dir / "missing.pdf", sub = dir / "sub";
    const std::vector<std::string> entries = {a, missing, "", b, a, sub, std::string(100000, 'x'), b};
    for (const char separator : {'\n', '\0'}) {
        SCOPED_TRACE(separator == '\n' ? "lines" : "NUL-ended");
        const std::string list = dir / "list", out = dir / (separator == '\n' ? "out-lines" : "out-nul");
        WriteFile(list, Joined(entries, separator));
        std::vector<const char*> args = {"-f", "ppm", "-o", out.c_str(), "--files-from", list.c_str()};
        if (separator == '\0')
            args.push_back("--null");
        const CliResult result = RunCliCommand(args);
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.out, a + ": 11 images written to " + out + "/\n" + b + ": 11 images written to " + out + "/\n");
        EXPECT_EQ(result.err, missing + ": No such file or directory.\n" + list + ", line 3: Names no file.\n" +
                                  "File: " + a + " have been imported!\n" + sub +
                                  ": A folder: the list takes one PDF file per line.\n" + list +
                                  ", line 7: Too long to name a file.\nFile: " + b + " have been imported!\n");
    }
    const std::string nowhere = dir / "nowhere";
    const CliResult noList = RunCliCommand({"--files-from", nowhere.c_str()});
    EXPECT_EQ(noList.status, 1);
    EXPECT_EQ(noList.err, nowhere + ": Cannot read the list: No such file or directory.\n");
}

// Shards cut the list by place; every shard places every document as a run
// over the whole list would, so two documents of one title keep their names.
TEST(Shard, ThreeShardsCoverTheListExactlyOnceWithTheWholeRunsPlaces) {
    TempDir dir;
    mkdir((dir / "x").c_str(), 0777);
    std::vector<std::string> entries;
    for (const char* name : {"report.pdf", "x/report.pdf", "one.pdf", "two.pdf", "x/one.pdf", "three.pdf", "four.pdf"}) {
        WriteFile(dir / name, testpdf::SampleDocument());
        entries.push_back(dir / name);
    }
    entries.insert(entries.begin() + 3, dir / "missing.pdf");
    entries.push_back(entries[0]); // listed twice: run once, by one shard
    const std::string list = dir / "list", whole = dir / "whole", sharded = dir / "sharded";
    WriteFile(list, Joined(entries, '\n'));
    ASSERT_EQ(RunCliCommand({"-f", "png", "-o", whole.c_str(), "--files-from", list.c_str()}).status, 1);

    std::map<std::string, int> runs;
    for (const char* shard : {"0/3", "1/3", "2/3"}) {
        const std::string results = dir / (std::string("results-") + shard[0]);
        RunCliCommand({"-f", "png", "-o", sharded.c_str(), "--files-from", list.c_str(), "--shard", shard,
                       "--results", results.c_str()});
        for (const nlohmann::json& line : ResultLines(results))
            ++runs[line["path"].get<std::string>()];
    }
    std::map<std::string, int> once;
    for (size_t i = 0; i + 1 < entries.size(); ++i)
        once[entries[i]] = 1;
    EXPECT_EQ(runs, once);
    EXPECT_EQ(FolderContents(sharded), FolderContents(whole));
    EXPECT_TRUE(HasFile(whole, "report-2-000.jpg"));
}

// What --skip-done reruns and what it passes over, in one table: each case
// changes one thing after a first run of three documents.
TEST(SkipDone, RerunsADocumentWhoseMarkerIsMissingOrDoesNotMatchAndSkipsTheOthers) {
    const struct {
        const char* name;
        const char* change;       // what is done between the runs
        std::vector<const char*> rerunOptions;
        int rerun;                // which documents run again: bits 0..2
    } cases[] = {
        {"all done", "", {"--skip-done"}, 0},
        {"marker removed", "remove a's marker", {"--skip-done"}, 1},
        {"document changed", "touch b", {"--skip-done"}, 2},
        {"quality changed", "", {"--skip-done", "-q", "50"}, 7},
        {"pages changed", "", {"--skip-done", "-p", "2"}, 7},
        {"without --skip-done", "", {}, 7},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string out = dir / "out";
        const std::string halfWritten = ".vellumin-" + std::to_string(testing_support::EndedProcessId()) + "-00000001.part";
        std::vector<std::string> paths;
        for (const char* name : {"a.pdf", "b.pdf", "c.pdf"}) {
            WriteFile(dir / name, testpdf::SampleDocument());
            paths.push_back(dir / name);
        }
        std::vector<const char*> args = {"-o", out.c_str(), paths[0].c_str(), paths[1].c_str(), paths[2].c_str()};
        ASSERT_EQ(RunCliCommand(args).status, 0);
        ASSERT_TRUE(HasFile(out, ".a.vellumin-done.json"));
        if (std::string(c.change) == "remove a's marker") {
            unlink((out + "/.a.vellumin-done.json").c_str());
            // What a run stopped midway leaves: a file half written and one
            // that a later image would have replaced.
            WriteFile(out + "/" + halfWritten, "half");
            WriteFile(out + "/a-003.jpg", "stale");
        } else if (std::string(c.change) == "touch b") {
            const timespec times[2] = {{0, UTIME_NOW}, {1000000000, 0}};
            utimensat(AT_FDCWD, paths[1].c_str(), times, 0);
        }
        const std::map<std::string, std::string> before = FolderContents(out);
        args.insert(args.begin(), c.rerunOptions.begin(), c.rerunOptions.end());
        const CliResult rerun = RunCliCommand(args);
        EXPECT_EQ(rerun.status, 0) << rerun.err;
        std::string expected;
        for (int i = 0; i < 3; ++i) {
            const bool runs = (c.rerun >> i & 1) != 0;
            const int images = std::string(c.name) == "pages changed" ? 1 : 11;
            expected += paths[i] + (runs ? ": " + std::to_string(images) + " image" + (images == 1 ? "" : "s") +
                                                " written to " + out + "/\n"
                                         : std::string(": already done\n"));
        }
        EXPECT_EQ(rerun.out, expected);
        if (std::string(c.change) == "remove a's marker") {
            std::map<std::string, std::string> after = FolderContents(out);
            EXPECT_EQ(after.count(halfWritten), 0u);
            after.erase(".a.vellumin-done.json");
            std::map<std::string, std::string> whole = before;
            whole.erase(halfWritten);
            whole["a-003.jpg"] = after["a-003.jpg"];
            EXPECT_NE(after["a-003.jpg"], "stale");
            EXPECT_EQ(after, whole);
            EXPECT_TRUE(HasFile(out, ".a.vellumin-done.json"));
        }
    }
}

TEST(SkipDone, AnInvalidDocumentIsDoneWithItsStatusAndNoMarkersMeansNone) {
    TempDir dir;
    WriteFile(dir / "junk.pdf", "junk");
    WriteFile(dir / "good.pdf", testpdf::SampleDocument());
    const std::string junk = dir / "junk.pdf", good = dir / "good.pdf", out = dir / "out", bare = dir / "bare";
    const CliResult first = RunCliCommand({"-o", out.c_str(), junk.c_str(), good.c_str()});
    EXPECT_EQ(first.status, 1);
    const CliResult again = RunCliCommand({"--skip-done", "-o", out.c_str(), junk.c_str(), good.c_str()});
    EXPECT_EQ(again.status, 1);
    EXPECT_EQ(again.out, junk + ": already done\n" + good + ": already done\n");
    EXPECT_EQ(again.err, junk + ": Not a valid pdf file!\n");

    ASSERT_EQ(RunCliCommand({"--no-markers", "-o", bare.c_str(), good.c_str()}).status, 0);
    const std::vector<std::string> files = ListFiles(bare);
    EXPECT_EQ(files.size(), 11u);
    EXPECT_EQ(std::count_if(files.begin(), files.end(), [](const std::string& f) { return f[0] == '.'; }), 0);
}

TEST(Results, OneLinePerDocumentWithItsOutcomeCountsAndCosts) {
    TempDir dir;
    WriteFile(dir / "good.pdf", testpdf::SampleDocument());
    WriteFile(dir / "slow.pdf", testpdf::SlowDocument());
    const std::string good = dir / "good.pdf", slow = dir / "slow.pdf", missing = dir / "missing.pdf",
                      out = dir / "out", results = dir / "results.jsonl";
    const CliResult run = RunCliCommand({"-f", "png", "--time-limit", "1", "-o", out.c_str(), "--results",
                                         results.c_str(), good.c_str(), slow.c_str(), missing.c_str()});
    EXPECT_EQ(run.status, 1);
    const std::vector<nlohmann::json> lines = ResultLines(results);
    ASSERT_EQ(lines.size(), 2u) << "a path missing on the command line is no document of the run";
    const nlohmann::json& extracted = lines[0];
    EXPECT_EQ(extracted["path"], good);
    EXPECT_EQ(extracted["output"], out + "/good");
    EXPECT_EQ(extracted["outcome"], "extracted");
    EXPECT_EQ(extracted["exit_status"], 0);
    EXPECT_EQ(extracted["counts"], nlohmann::json({{"written", 11}, {"failed", 0}, {"converted", 9},
                                                   {"conversion_failed", 0}, {"damaged", 0}}));
    EXPECT_GT(extracted["seconds"].get<double>(), 0);
    EXPECT_GT(extracted["peak_memory_kb"].get<long long>(), 1000);
    const nlohmann::json& stopped = lines[1];
    EXPECT_EQ(stopped["outcome"], "stopped");
    EXPECT_EQ(stopped["exit_status"], 1);
    EXPECT_EQ(stopped["reason"], "Stopped after 1 seconds, the time one document may take (--time-limit).");
    EXPECT_GE(stopped["seconds"].get<double>(), 1.0);
    // No marker for a document stopped midway: a run with --skip-done does it again.
    EXPECT_FALSE(HasFile(out, ".slow.vellumin-done.json"));
    EXPECT_TRUE(HasFile(out, ".good.vellumin-done.json"));

    // A second run appends its lines to the same file.
    RunCliCommand({"--skip-done", "-f", "png", "-o", out.c_str(), "--results", results.c_str(), good.c_str()});
    const std::vector<nlohmann::json> more = ResultLines(results);
    ASSERT_EQ(more.size(), 3u);
    EXPECT_EQ(more[2]["outcome"], "already done");
    EXPECT_EQ(more[2]["counts"], extracted["counts"]);
}

// A results line cut short (a full disk, a run killed while writing it) is
// left alone on its line: the next run's line starts on a line of its own,
// so that a reader leaves out the cut line only.
TEST(Results, ALineCutShortStaysAloneAndTheNextRunsLineIsWhole) {
    TempDir dir;
    WriteFile(dir / "good.pdf", testpdf::SampleDocument());
    const std::string good = dir / "good.pdf", out = dir / "out", results = dir / "results.jsonl";
    const std::string cut = "{\"path\":\"" + dir / "earlier.pdf" + "\",\"outp";
    WriteFile(results, cut);
    EXPECT_EQ(RunCliCommand({"-f", "ppm", "-o", out.c_str(), "--results", results.c_str(), good.c_str()}).status, 0);
    const std::string text = ReadFile(results);
    ASSERT_EQ(text.rfind(cut + "\n", 0), 0u) << text;
    const nlohmann::json line = nlohmann::json::parse(text.substr(cut.size() + 1), nullptr, false);
    EXPECT_EQ(line.value("path", ""), good) << text;
}

// A write the disk cuts short is taken back, so that the results and the
// report, which write through the same file, end with whole lines.
TEST(JsonLines, AWriteCutShortIsTakenBack) {
    TempDir dir;
    const std::string path = dir / "lines.jsonl";
    JsonLinesFile file;
    std::string error;
    ASSERT_TRUE(file.Open(path, &error, true));
    ASSERT_TRUE(file.Write({{"first", 1}}, &error));
    {
        testing_support::FileSizeLimit limit(ReadFile(path).size() + 8);
        EXPECT_FALSE(file.Write({{"second", std::string(64, 'x')}}, &error));
    }
    EXPECT_EQ(error, "File too large");
    EXPECT_EQ(ReadFile(path), "{\"first\":1}\n");
    ASSERT_TRUE(file.Write({{"third", 3}}, &error));
    EXPECT_EQ(ReadFile(path), "{\"first\":1}\n{\"third\":3}\n");
}

// --plan prints the places the run gives, without making anything, and names
// the documents it places apart from the place their name gives, whose
// title is one the run derives: "...pdf" is "untitled", as is "untitled.pdf".
TEST(Plan, PrintsThePlacesOfTheRunAndNamesTheDocumentsPlacedApart) {
    TempDir dir;
    for (const char* folder : {"a", "b", "c"})
        mkdir((dir / folder).c_str(), 0777);
    const std::vector<std::string> documents = {dir / "a/report.pdf", dir / "b/report.pdf", dir / "c/...pdf",
                                                dir / "c/untitled.pdf", dir / "c/other.pdf"};
    for (const std::string& document : documents)
        WriteFile(document, testpdf::SampleDocument());
    struct Case {
        std::vector<std::string> options;
        std::vector<std::string> outputs;
        std::vector<int> apartFrom; // the place in the list of the document named, or -1
    };
    const std::string out = dir / "out";
    const std::vector<Case> cases = {
        {{"-o", out},
         {out + "/report", out + "/report-2", out + "/untitled", out + "/untitled-2", out + "/other"},
         {-1, 0, -1, 2, -1}},
        {{},
         {dir / "a/report/", dir / "b/report/", dir / "c/untitled/", dir / "c/untitled-2/", dir / "c/other/"},
         {-1, -1, -1, 2, -1}},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.options.empty() ? "beside the documents" : "with -o");
        std::vector<const char*> args{"--plan"};
        for (const std::string& option : test.options)
            args.push_back(option.c_str());
        for (const std::string& document : documents)
            args.push_back(document.c_str());
        const CliResult plan = RunCliCommand(args);
        EXPECT_EQ(plan.status, 0) << plan.err;
        EXPECT_EQ(plan.err, "");
        std::istringstream lines(plan.out);
        std::vector<nlohmann::json> planned;
        for (std::string line; std::getline(lines, line);)
            planned.push_back(nlohmann::json::parse(line));
        ASSERT_EQ(planned.size(), documents.size()) << plan.out;
        for (size_t i = 0; i < documents.size(); ++i) {
            EXPECT_EQ(planned[i]["path"], documents[i]);
            EXPECT_EQ(planned[i]["output"], test.outputs[i]);
            const int apart = test.apartFrom[i];
            EXPECT_EQ(planned[i].value("apart_from", ""), apart < 0 ? "" : documents[static_cast<size_t>(apart)]);
        }
        EXPECT_FALSE(std::filesystem::exists(out)) << "a plan makes nothing";
        EXPECT_FALSE(std::filesystem::exists(dir / "a/report")) << "a plan makes nothing";

        // A shard prints its own documents with the places of the whole list.
        args.insert(args.begin() + 1, {"--shard", "1/2"});
        const CliResult shard = RunCliCommand(args);
        EXPECT_EQ(shard.out, planned[1].dump() + "\n" + planned[3].dump() + "\n");

        // The run writes where the plan says.
        const std::string results = dir / "results.jsonl";
        std::filesystem::remove(results);
        args.erase(args.begin(), args.begin() + 3);
        args.insert(args.begin(), {"--no-markers", "-f", "ppm", "--results", results.c_str()});
        EXPECT_EQ(RunCliCommand(args).status, 0);
        const std::vector<nlohmann::json> ran = ResultLines(results);
        ASSERT_EQ(ran.size(), documents.size());
        for (size_t i = 0; i < documents.size(); ++i)
            EXPECT_EQ(ran[i]["output"], planned[i]["output"]);
        std::filesystem::remove_all(out);
        for (const std::string& output : test.outputs)
            if (output.back() == '/')
                std::filesystem::remove_all(output);
    }
}

TEST(Plan, ChoicesThatExtractOrRecordAreRefused) {
    for (const std::vector<const char*>& args :
         {std::vector<const char*>{"--plan", "--list", "a.pdf"}, {"--plan", "--summary", "a.pdf"},
          {"--plan", "--skip-done", "a.pdf"}, {"--plan", "--results", "r.jsonl", "a.pdf"},
          {"--plan", "--report", "r.jsonl", "a.pdf"}}) {
        const CliResult result = RunCliCommand(args);
        EXPECT_EQ(result.status, 2) << args[1];
        EXPECT_NE(result.err.find("--plan"), std::string::npos) << result.err;
    }
}

// The list comes from a pipe that stays open: the first document is done,
// marked and in the results file before the list has ended.
TEST(FilesFrom, StandardInputIsReadAsTheRunGoes) {
    TempDir dir;
    WriteFile(dir / "first.pdf", testpdf::SampleDocument());
    WriteFile(dir / "second.pdf", testpdf::SampleDocument());
    const std::string out = dir / "out", results = dir / "results.jsonl";
    int input[2];
    ASSERT_EQ(pipe(input), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        dup2(input[0], STDIN_FILENO);
        close(input[0]);
        close(input[1]);
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
        execl(VELLUMIN_CLI_PATH, "vellumin-cli", "--null", "--files-from", "-", "-o", out.c_str(), "--results",
              results.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(input[0]);
    const std::string missing = dir / "missing.pdf", first = dir / "first.pdf", second = dir / "second.pdf";
    auto waitUntil = [](const std::function<bool()>& condition) {
        for (int i = 0; i < 600; ++i) {
            if (condition())
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    };
    // A path that names nothing is told at once, though no document runs.
    ASSERT_EQ(write(input[1], missing.c_str(), missing.size() + 1), static_cast<ssize_t>(missing.size() + 1));
    EXPECT_TRUE(waitUntil([&] { return ResultLines(results).size() == 1; }))
        << "the missing path waited for the rest of the list";
    ASSERT_EQ(write(input[1], first.c_str(), first.size() + 1), static_cast<ssize_t>(first.size() + 1));
    EXPECT_TRUE(waitUntil([&] { return HasFile(out, ".first.vellumin-done.json") && ResultLines(results).size() == 2; }))
        << "the first document waited for the end of the list";
    ASSERT_EQ(write(input[1], second.c_str(), second.size() + 1), static_cast<ssize_t>(second.size() + 1));
    close(input[1]);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
    EXPECT_EQ(ResultLines(results).size(), 3u);
    EXPECT_TRUE(HasFile(out, "second-010.jpg"));
}

// A marker tells of the files that the last run of the document left: a run
// that loses images leaves no marker of an earlier run that did not.
TEST(SkipDone, ARunThatLosesImagesTakesAwayTheMarkerOfAnEarlierRun) {
    TempDir dir;
    WriteFile(dir / "good.pdf", testpdf::SampleDocument());
    const std::string good = dir / "good.pdf", out = dir / "out";
    ASSERT_EQ(RunCliCommand({"-f", "tga", "-o", out.c_str(), good.c_str()}).status, 0);
    ASSERT_TRUE(HasFile(out, ".good.vellumin-done.json"));
    for (const char* name : {"/good-006.tga", "/good-007.tga"}) {
        unlink((out + name).c_str());
        mkdir((out + name).c_str(), 0777); // where the converted file would go
    }
    EXPECT_EQ(RunCliCommand({"-f", "tga", "-o", out.c_str(), good.c_str()}).status, 4);
    EXPECT_FALSE(HasFile(out, ".good.vellumin-done.json"));
    const CliResult rerun = RunCliCommand({"--skip-done", "-f", "tga", "-o", out.c_str(), good.c_str()});
    EXPECT_EQ(rerun.status, 4);
    // Two of the eleven images are on the disk as PBM files only.
    EXPECT_EQ(rerun.out, good + ": 9 images written to " + out + "/\n");
}

// A folder that is both input and output, with the user's own files beside
// the images: a run removes what an earlier run of a document made and
// nothing else, by the list its marker keeps or, without a marker, by the
// names its own naming gives.
TEST(SkipDone, RemovesOnlyWhatAnEarlierRunMadeNeverTheUsersFilesOrDocuments) {
    TempDir dir;
    const std::string out = dir.path();
    for (const char* name : {"scan.pdf", "scan-1.pdf", "scan-2.pdf"})
        WriteFile(dir / name, testpdf::SampleDocument());
    const std::vector<std::string> users = {"report-2023.csv", "scan-2024.txt", "scan-999.txt", "scan-1.pdf",
                                            "scan-2.pdf", "scan.pdf"};
    WriteFile(dir / "report-2023.csv", "year,total\n");
    WriteFile(dir / "scan-2024.txt", "notes");
    WriteFile(dir / "scan-999.txt", "notes");
    const std::string first = dir / "scan-1.pdf", second = dir / "scan.pdf", third = dir / "scan-2.pdf";
    auto run = [&](const char* format) {
        return RunCliCommand({"--skip-done", "-j", "1", "-f", format, "-o", out.c_str(), first.c_str(), second.c_str(),
                              third.c_str()});
    };
    auto usersFilesKept = [&](const char* when) {
        for (const std::string& name : users)
            EXPECT_TRUE(HasFile(out, name)) << name << " was removed " << when;
    };
    auto filesOf = [&](const std::string& prefix, const std::string& extension) {
        std::vector<std::string> names;
        for (const std::string& name : ListFiles(out))
            if (name.rfind(prefix, 0) == 0 && name.size() == prefix.size() + 3 + extension.size() &&
                name.compare(name.size() - extension.size(), extension.size(), extension) == 0)
                names.push_back(name);
        return names;
    };

    ASSERT_EQ(run("png").status, 0);
    usersFilesKept("by the first run");
    const std::vector<std::string> pngs = filesOf("scan-", ".png"), jpegs = filesOf("scan-", ".jpg");
    ASSERT_EQ(pngs.size() + jpegs.size(), 11u);
    EXPECT_EQ(filesOf("scan-1-", ".png").size(), pngs.size());
    // The marker lists what the run wrote.
    std::vector<std::string> written = pngs;
    written.insert(written.end(), jpegs.begin(), jpegs.end());
    std::sort(written.begin(), written.end());
    const nlohmann::json marker = nlohmann::json::parse(ReadFile(dir / ".scan.vellumin-done.json"));
    EXPECT_EQ(marker["files"].get<std::vector<std::string>>(), written);

    // A run that never finished left no marker: the names of the images tell
    // what it made, and the user's files of other extensions stay.
    unlink((dir / ".scan.vellumin-done.json").c_str());
    WriteFile(dir / "scan-999.png", "left by a run that was killed");
    ASSERT_EQ(run("png").status, 0);
    usersFilesKept("after a run without a marker");
    EXPECT_FALSE(HasFile(out, "scan-999.png"));

    // With a marker, exactly the files it lists go: a file the user named
    // like an image since then stays.
    WriteFile(dir / "scan-500.png", "the user's");
    ASSERT_EQ(run("tga").status, 0);
    usersFilesKept("by a run with other options");
    EXPECT_TRUE(HasFile(out, "scan-500.png"));
    EXPECT_EQ(filesOf("scan-", ".png"), std::vector<std::string>{"scan-500.png"});
    EXPECT_EQ(filesOf("scan-", ".tga").size(), pngs.size());
}

// A run that finds the document held by another run (the lock taken here, as
// a running vellumin-cli holds it, in the -o folder or beside the
// document's own folder) leaves it to that run: it says so, removes nothing
// of it, writes no marker and counts it as skipped. Once the other run has
// let go, the document runs, and its lock file goes with the run.
TEST(SkipDone, ADocumentAnotherRunHoldsIsLeftToItWithNothingOfItRemoved) {
    struct Case {
        const char* name;
        bool shared; // with -o
    };
    for (const Case& c : {Case{"-o folder", true}, Case{"own folder", false}}) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        WriteFile(dir / "good.pdf", testpdf::SampleDocument());
        const std::string good = dir / "good.pdf", out = dir / "out", results = dir / "results.jsonl";
        const std::string place = c.shared ? out : dir / "good";
        const std::string lockPath = c.shared ? out + "/.good.vellumin-lock" : dir / ".good.vellumin-lock";
        const std::string partial = c.shared ? out + "/good-003.ppm" : place + "/-003.ppm";
        mkdir(place.c_str(), 0777);
        WriteFile(partial, "P6\n1 1\n255\nabc"); // the other run's, not yet converted
        const int lock = open(lockPath.c_str(), O_RDWR | O_CREAT, 0600);
        ASSERT_EQ(flock(lock, LOCK_EX), 0);
        std::vector<const char*> args = {"--skip-done", "--results", results.c_str(), good.c_str()};
        if (c.shared)
            args.insert(args.begin(), {"-o", out.c_str()});

        const CliResult held = RunCliCommand(args);
        EXPECT_EQ(held.status, 1);
        EXPECT_EQ(held.out, "");
        EXPECT_EQ(held.err,
                  good + ": Another run is extracting this document into the same place; it is left to that run.\n");
        EXPECT_EQ(ReadFile(partial), "P6\n1 1\n255\nabc");
        const std::vector<std::string> left = c.shared
                                                  ? std::vector<std::string>{".good.vellumin-lock", "good-003.ppm"}
                                                  : std::vector<std::string>{"-003.ppm"};
        EXPECT_EQ(ListFiles(place), left) << "no marker, no image";
        const std::vector<nlohmann::json> lines = ResultLines(results);
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0]["outcome"], "held");
        EXPECT_EQ(lines[0]["exit_status"], 1);

        close(lock);
        EXPECT_EQ(RunCliCommand(args).status, 0);
        EXPECT_FALSE(std::ifstream(lockPath).good());
        EXPECT_TRUE(HasFile(place, c.shared ? ".good.vellumin-done.json" : ".vellumin-done.json"));
        EXPECT_FALSE(std::ifstream(partial).good()) << "the unfinished file of a run that ended is removed";
    }
}

// Two identical runs at once into one folder: each either extracts the
// document whole or says that the other holds it; neither removes what the
// other is converting.
TEST(SkipDone, TwoRunsAtOnceIntoOneFolderEachFinishOrLeaveTheDocumentToTheOther) {
    TempDir dir;
    // Images too large to be converted in memory: each passes through a PPM
    // file that the other run's removal, or its own conversion, took away.
    testpdf::PdfWriter pdf;
    for (int page = 0; page < 12; ++page)
        pdf.AddPage({{pdf.AddFlateImage("/Width 700 /Height 700 /ColorSpace /DeviceRGB /BitsPerComponent 8",
                                        testpdf::PackSamples(700, 700, 3, 8, [page](int x, int y, int c) {
                                            return static_cast<unsigned>(x * 7 + y * 3 + c * 50 + page);
                                        }))}});
    ASSERT_TRUE(pdf.Save(dir / "good.pdf"));
    const std::string good = dir / "good.pdf", out = dir / "out";
    const std::string line = good + ": 12 images written to " + out + "/\n";
    const std::string heldLine =
        good + ": Another run is extracting this document into the same place; it is left to that run.\n";
    const std::vector<std::string> args = {"--skip-done", "-f", "png", "-o", out, good};
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        const std::string outs[2] = {dir / "out0.txt", dir / "out1.txt"};
        const std::string errs[2] = {dir / "err0.txt", dir / "err1.txt"};
        pid_t runs[2];
        for (int i = 0; i < 2; ++i)
            runs[i] = StartCli(args, outs[i], errs[i]);
        for (int i = 0; i < 2; ++i) {
            int status = 0;
            ASSERT_EQ(waitpid(runs[i], &status, 0), runs[i]);
            ASSERT_TRUE(WIFEXITED(status));
            if (WEXITSTATUS(status) == 0)
                EXPECT_TRUE(ReadFile(outs[i]) == line || ReadFile(outs[i]) == good + ": already done\n")
                    << ReadFile(outs[i]) << ReadFile(errs[i]);
            else
                EXPECT_EQ(std::make_pair(WEXITSTATUS(status), ReadFile(errs[i])), std::make_pair(1, heldLine));
        }
        unlink((out + "/.good.vellumin-done.json").c_str()); // the next round runs it again
    }
}

// A title of 236 to 250 bytes with -o would give a marker name longer than a
// folder takes: the name is shortened with a digest of the title, so that
// --skip-done passes over the document, and two such titles alike but for
// their ends keep markers of their own.
TEST(SkipDone, ALongTitleGetsAShortenedMarkerThatStillMatches) {
    TempDir dir;
    const std::string out = dir / "out";
    const std::string stem(236, 'a');
    std::vector<std::string> documents;
    for (const std::string& title : {stem + "-one", stem + "-two", std::string(247, 'b')}) {
        documents.push_back(dir / (title + ".pdf"));
        WriteFile(documents.back(), testpdf::SampleDocument());
    }
    std::vector<const char*> args = {"--skip-done", "-o", out.c_str()};
    for (const std::string& document : documents)
        args.push_back(document.c_str());
    ASSERT_EQ(RunCliCommand(args).status, 0);
    std::vector<std::string> markers;
    for (const std::string& name : ListFiles(out))
        if (testing_support::IsDoneMarker(name))
            markers.push_back(name);
    ASSERT_EQ(markers.size(), 3u);
    for (const std::string& name : markers)
        EXPECT_LE(name.size(), 255u) << name;

    const CliResult again = RunCliCommand(args);
    EXPECT_EQ(again.status, 0);
    std::string lines;
    for (const std::string& document : documents)
        lines += document + ": already done\n";
    EXPECT_EQ(again.out, lines);
}

// The -o folder is a link pointed elsewhere while the run goes on: the run
// stays in the folder the link named when it started, and its lines, results
// and report name that folder.
TEST(FilesFrom, AnOutputLinkPointedElsewhereDuringTheRunLeavesItWhereItBegan) {
    TempDir dir;
    WriteFile(dir / "first.pdf", testpdf::SampleDocument());
    WriteFile(dir / "second.pdf", testpdf::SampleDocument());
    const std::string began = dir / "began", later = dir / "later", link = dir / "out";
    const std::string results = dir / "results.jsonl", report = dir / "report.jsonl";
    mkdir(began.c_str(), 0777);
    mkdir(later.c_str(), 0777);
    ASSERT_EQ(symlink("began", link.c_str()), 0);
    int input[2];
    ASSERT_EQ(pipe(input), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        dup2(input[0], STDIN_FILENO);
        close(input[0]);
        close(input[1]);
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
        execl(VELLUMIN_CLI_PATH, "vellumin-cli", "--files-from", "-", "-o", link.c_str(), "--results",
              results.c_str(), "--report", report.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(input[0]);
    const std::string first = dir / "first.pdf\n", second = dir / "second.pdf\n";
    auto waitUntil = [](const std::function<bool()>& condition) {
        for (int i = 0; i < 600; ++i) {
            if (condition())
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    };
    ASSERT_EQ(write(input[1], first.c_str(), first.size()), static_cast<ssize_t>(first.size()));
    EXPECT_TRUE(waitUntil([&] { return ResultLines(results).size() == 1; }));
    const std::string moved = dir / "moved";
    ASSERT_EQ(symlink("later", moved.c_str()), 0);
    ASSERT_EQ(rename(moved.c_str(), link.c_str()), 0);
    ASSERT_EQ(write(input[1], second.c_str(), second.size()), static_cast<ssize_t>(second.size()));
    close(input[1]);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;

    EXPECT_EQ(ListFiles(later), std::vector<std::string>{});
    EXPECT_TRUE(HasFile(began, "first-010.jpg"));
    EXPECT_TRUE(HasFile(began, "second-010.jpg"));
    const std::vector<nlohmann::json> lines = ResultLines(results);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0]["output"], began + "/first");
    EXPECT_EQ(lines[1]["output"], began + "/second");
    for (const nlohmann::json& line : ResultLines(report))
        if (line["record"] == "image")
            EXPECT_TRUE(std::ifstream(line["file"].get<std::string>()).good()) << line["file"];
}
