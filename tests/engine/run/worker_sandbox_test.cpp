// The worker's confinement, shown by a worker built for tests that tries a
// forbidden act once confined: each act fails or ends the worker, and the
// run says so. Unconfined, the same worker shows that the acts are real.
#include "engine/run/document_process.h"
#include "engine/settings/job_paths.h"
#include "engine/run/worker_sandbox.h"
#include "tests/support/cli_output.h"
#include "tests/support/sample_document.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

using testing_support::FolderContents;
using testing_support::ListFiles;
using testing_support::TempDir;
using testing_support::WriteFile;

namespace {

class RecordingEvents : public DocumentEvents {
public:
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    void SetTotal(const std::string&, int) override {}
    void SetCurrent(const std::string&, int) override {}
    std::vector<std::string> messages;
};

struct Trial {
    DocumentReport report;
    std::string said; // what the worker said of the act, when it lived to say it
};

// Runs the sample document in the test worker, which tries the act.
Trial RunTrial(const TempDir& dir, const std::string& act, bool confined) {
    WriteFile(dir / "sample.pdf", testpdf::SampleDocument());
    ConvertSettings settings;
    settings.imagesFormat = OUTPUT_PPM_PBM;
    const DocumentOutput output = OutputPlanner().Plan(dir / "sample.pdf", settings);
    DocumentLimits limits{0, 60};
    limits.confined = confined;
    RecordingEvents events;
    DocumentProcess process(ExtractRequest{dir / "sample.pdf"}, output, settings, limits,
                            TrialWorker{VELLUMIN_TRIAL_WORKER_PATH, act});
    while (process.Channel() >= 0) {
        pollfd channel{process.Channel(), POLLIN, 0};
        poll(&channel, 1, 1000);
        if (!process.Read(events))
            break;
    }
    Trial trial{process.Finish(), {}};
    for (const std::string& message : events.messages)
        if (message.rfind(act + ": ", 0) == 0)
            trial.said = message.substr(act.size() + 2);
    return trial;
}

} // namespace

TEST(WorkerSandbox, ThisKernelCanConfineWorkers) {
    // The tests below show the confinement only where it exists; a machine
    // without it would run them to no purpose.
    EXPECT_EQ(SandboxUnavailable(), "");
}

TEST(WorkerSandbox, FilesOutsideTheDocumentAndItsFolderAreRefused) {
    TempDir dir;
    WriteFile(dir / "secret.txt", "the caller's secret");
    for (const std::string& act : {"read:" + dir / "secret.txt", "write:" + dir / "planted.txt",
                                   std::string("read:/etc/passwd"), "write:" + dir / "sample/../planted.txt"}) {
        SCOPED_TRACE(act);
        const Trial trial = RunTrial(dir, act, true);
        EXPECT_EQ(trial.said, "refused (Permission denied)");
        EXPECT_EQ(trial.report.cutShort, "");
        EXPECT_EQ(trial.report.images.written, 11) << "the document itself is done as ever";
    }
    EXPECT_EQ(ListFiles(dir.path()), (std::vector<std::string>{"sample", "sample.pdf", "secret.txt"}));
}

TEST(WorkerSandbox, ForbiddenSystemCallsEndTheWorkerAndTheRunNamesTheSandbox) {
    for (const char* act : {"socket", "exec", "ptrace", "signal"}) {
        SCOPED_TRACE(act);
        TempDir dir;
        const Trial trial = RunTrial(dir, act, true);
        EXPECT_EQ(trial.said, "");
        EXPECT_EQ(trial.report.cutShort,
                  "Stopped by its sandbox: it made a system call that a worker may not make (signal 31, Bad "
                  "system call).");
        EXPECT_EQ(ListFiles(dir.path()), std::vector<std::string>{"sample.pdf"})
            << "the folder made for it goes with it, empty";
    }
}

TEST(WorkerSandbox, UnconfinedTheSameActsSucceed) {
    TempDir dir;
    WriteFile(dir / "secret.txt", "the caller's secret");
    for (const std::string& act : {"read:" + dir / "secret.txt", "write:" + dir / "planted.txt", std::string("socket")}) {
        SCOPED_TRACE(act);
        EXPECT_EQ(RunTrial(dir, act, false).said, "allowed");
    }
}

TEST(WorkerSandbox, TheWorkerGetsAShortEnvironmentAndOnlyItsPipes) {
    testing_support::ScopedEnvironment secret("VELLUMIN_TEST_SECRET", "hunter2");
    testing_support::ScopedEnvironment locale("LC_ALL", "C");
    const int leaked = open("/dev/null", O_RDONLY); // no close-on-exec
    TempDir dir;
    const Trial trial = RunTrial(dir, "inherited", false);
    close(leaked);
    EXPECT_EQ(trial.said.find("VELLUMIN_TEST_SECRET"), std::string::npos) << trial.said;
    EXPECT_NE(trial.said.find(" LC_ALL"), std::string::npos) << trial.said;
    EXPECT_NE(trial.said.find("; descriptors 0 1 2 3"), std::string::npos) << trial.said;
    EXPECT_EQ(trial.said.substr(trial.said.find("; descriptors")), "; descriptors 0 1 2 3");
}

// Confinement changes nothing a document gives: every corpus document in the
// raw dump, and documents of every kind of image converted.
TEST(WorkerSandbox, CorpusDocumentsGiveTheSameFilesConfinedOrNot) {
    if (!testing_support::HaveCorpus())
        GTEST_SKIP() << "no corpus";
    std::vector<std::string> everyDocument;
    for (const std::string& name : ListFiles(testing_support::CorpusDir()))
        if (HasPdfExtension(name))
            everyDocument.push_back(testing_support::CorpusDir() + "/" + name);
    const std::vector<std::string> kinds = testing_support::CorpusFiles(
        {"ccitt-g3-1d-g3-2d-g4.pdf", "dct-cmyk-adobe.pdf", "flate-16bit-rgb-smask.pdf", "indexed-lab.pdf",
         "jbig2-halftone.pdf", "jpx-smaskindata.pdf", "type3-images-softmask-dct-gray.pdf",
         "separation-cmyk-softmask-forms.pdf", "enc-rc4-128-images.pdf"});
    for (const auto& [format, documents] : {std::pair{"ppm", everyDocument}, std::pair{"png", kinds}}) {
        SCOPED_TRACE(format);
        std::map<std::string, std::map<std::string, std::string>> files;
        for (const char* sandbox : {"on", "off"}) {
            TempDir folder;
            std::vector<const char*> args{"--no-markers", "--sandbox", sandbox, "-f", format, "-o",
                                          folder.path().c_str()};
            for (const std::string& document : documents)
                args.push_back(document.c_str());
            const testing_support::CliResult result = testing_support::RunCliCommand(args);
            EXPECT_EQ(result.err.find("Stopped"), std::string::npos) << result.err;
            files[sandbox] = FolderContents(folder.path());
        }
        EXPECT_GT(files["on"].size(), documents.size());
        EXPECT_TRUE(files["on"] == files["off"]) << files["on"].size() << " files confined, " << files["off"].size()
                                                 << " not";
    }
}

// The run makes each document's folder before its worker starts, since a
// confined worker may write only inside it; a document that never opens
// leaves none, as when the worker made it.
TEST(WorkerSandbox, AFolderMadeForADocumentThatNeverOpensIsRemoved) {
    TempDir dir;
    WriteFile(dir / "broken.pdf", "no PDF at all");
    WriteFile(dir / "sample.pdf", testpdf::SampleDocument());
    const std::string broken = dir / "broken.pdf", sample = dir / "sample.pdf";
    const testing_support::CliResult result =
        testing_support::RunCliCommand({"--no-markers", "-f", "ppm", broken.c_str(), sample.c_str()});
    EXPECT_NE(result.err.find(broken + ": Not a valid pdf file!"), std::string::npos) << result.err;
    EXPECT_EQ(ListFiles(dir.path()), (std::vector<std::string>{"broken.pdf", "sample", "sample.pdf"}));
}
