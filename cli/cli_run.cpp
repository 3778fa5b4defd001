#include "cli/cli_run.h"

#include "cli/document_process.h"
#include "cli/exit_code.h"
#include "cli/terminal_progress.h"
#include "engine/document_summary.h"
#include "engine/job_paths.h"
#include "platform/file_path_info.h"
#include "platform/file_system.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <poll.h>

namespace {

// Messages go to standard error, one whole line each, naming the document
// when the text does not.
class StderrMessages : public MessageSink {
public:
    StderrMessages(FILE* err, TerminalProgress* progress) : err_(err), progress_(progress) {}

    void SetDocument(const std::string& path) { document_ = path; }

    void ShowMessage(const std::string& text) override {
        if (progress_)
            progress_->Break();
        if (document_.empty() || text.find(document_) != std::string::npos)
            std::fprintf(err_, "%s\n", text.c_str());
        else
            std::fprintf(err_, "%s: %s\n", document_.c_str(), text.c_str());
        std::fflush(err_);
    }

private:
    FILE* err_;
    TerminalProgress* progress_;
    std::string document_;
};

// What one running document says: its messages are kept until the
// documents before it have been reported, so that the output is the same
// whether documents run one after another or side by side; its progress
// steps show at once.
class DocumentLog : public DocumentEvents {
public:
    explicit DocumentLog(TerminalProgress& progress) : progress_(progress) {}
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    void SetTotal(const std::string& text, int position) override { progress_.SetTotal(text, position); }
    void SetCurrent(const std::string& text, int position) override { progress_.SetCurrent(text, position); }
    std::vector<std::string> messages;

private:
    TerminalProgress& progress_;
};

// Files and folders from the command line, each path once. A path in double
// quotes means the path inside them. Inputs that are missing, unreadable or
// no regular file, and folders that cannot be read, are reported and counted.
std::vector<std::string> GatherDocuments(const std::vector<std::string>& inputs, StderrMessages& messages,
                                         int* leftOut) {
    JobPaths jobs;
    for (const std::string& given : inputs) {
        const std::string input = platform::FilePathInfo(given).FullPath();
        messages.SetDocument(input);
        const std::string missing = platform::ReasonNotFound(input);
        if (!missing.empty()) {
            messages.ShowMessage(missing + ".");
            ++*leftOut;
        } else if (platform::DirectoryExists(input)) {
            messages.SetDocument({});
            if (jobs.ImportDirectory(input, messages, leftOut) == 0) {
                messages.SetDocument(input);
                messages.ShowMessage("No PDF file in this folder.");
                ++*leftOut;
            }
        } else if (const std::string unreadable = platform::ReasonNotReadable(input); !unreadable.empty()) {
            messages.ShowMessage(unreadable);
            ++*leftOut;
        } else {
            messages.SetDocument({});
            jobs.AddIfNew(input, messages);
        }
    }
    messages.SetDocument({});
    return jobs.Paths();
}

ExitCode PrintSummaries(const std::vector<std::string>& documents, const CliOptions& options, FILE* out,
                        StderrMessages& messages) {
    bool anyInvalid = false;
    for (const std::string& path : documents) {
        messages.SetDocument(path);
        DocumentSummary summary = BuildDocumentSummary(path, messages, options.ownerPassword, options.userPassword);
        std::fprintf(out, "%s\n\n", SummaryPlainText(summary).c_str());
        std::fflush(out);
        anyInvalid = anyInvalid || summary.pageCount == 0;
    }
    return anyInvalid ? ExitCode::Skipped : ExitCode::Success;
}

// The worse of two statuses: a stopped run, then a skipped document, then
// lost images.
ExitCode Worse(ExitCode a, ExitCode b) {
    auto rank = [](ExitCode code) {
        switch (code) {
        case ExitCode::RangeError: return 3;
        case ExitCode::Skipped: return 2;
        case ExitCode::ImagesLost: return 1;
        default: return 0;
        }
    };
    return rank(b) > rank(a) ? b : a;
}

// Prints what became of one document and answers its status.
ExitCode ReportDocument(const std::string& path, const DocumentReport& report, const ConvertSettings& settings,
                        FILE* out, StderrMessages& messages, TerminalProgress& progress) {
    messages.SetDocument(path);
    if (!report.cutShort.empty()) {
        messages.ShowMessage(report.cutShort);
        return ExitCode::Skipped;
    }
    const ExtractResult& result = report.extraction;
    if (result.outcome == ExtractOutcome::RangeError)
        return ExitCode::RangeError;
    if (result.outcome == ExtractOutcome::Skipped)
        return ExitCode::Skipped;
    progress.Break();
    std::fprintf(out, "%s: %d image%s written to %s\n", path.c_str(), result.imagesWritten,
                 result.imagesWritten == 1 ? "" : "s", result.outputDirectory.c_str());
    std::fflush(out); // the line stays even when the run is stopped later
    if (result.imagesFailed > 0)
        messages.ShowMessage(std::to_string(result.imagesFailed) + " image(s) could not be written.");
    if (report.conversion.failed > 0)
        messages.ShowMessage(std::to_string(report.conversion.failed) + " image(s) could not be converted to " +
                             OutputFormatLabel(settings.imagesFormat) + "; their PBM/PGM/PPM files were kept.");
    return result.imagesFailed > 0 || report.conversion.failed > 0 ? ExitCode::ImagesLost : ExitCode::Success;
}

// One document of the run: its process while it runs, what it said, and how
// it ended.
struct DocumentSlot {
    std::unique_ptr<DocumentProcess> process;
    std::unique_ptr<DocumentLog> log;
    bool ended = false;
    DocumentReport report;
};

// Waits until one of the running documents among slots[first, end) says
// something or runs out of time, and handles that.
void WaitForDocuments(std::vector<DocumentSlot>& slots, int first, int end) {
    std::vector<pollfd> channels;
    std::vector<DocumentSlot*> running;
    long long timeout = -1;
    for (int i = first; i < end; ++i) {
        DocumentSlot& slot = slots[static_cast<size_t>(i)];
        if (slot.ended)
            continue;
        running.push_back(&slot);
        channels.push_back({slot.process->Channel(), POLLIN, 0});
        if (slot.process->Channel() < 0)
            timeout = 0; // a document that could not start ends at once
        const long long left = slot.process->MillisecondsLeft();
        if (left >= 0)
            timeout = timeout < 0 ? left : std::min(timeout, left);
    }
    if (poll(channels.data(), channels.size(), static_cast<int>(std::min(timeout, 1ll << 30))) < 0 && errno != EINTR)
        return;
    for (size_t i = 0; i < running.size(); ++i) {
        DocumentSlot& slot = *running[i];
        bool open = slot.process->Channel() >= 0;
        if (open && channels[i].revents != 0)
            open = slot.process->Read(*slot.log);
        if (open && slot.process->MillisecondsLeft() == 0)
            slot.process->StopForTime();
        if (!open) {
            slot.report = slot.process->Finish();
            slot.ended = true;
        }
    }
}

// Extracts the documents, up to options.jobs at once, and reports each in
// the order given; answers the worst status.
ExitCode ExtractDocuments(const std::vector<std::string>& documents, const CliOptions& options, FILE* out,
                          StderrMessages& messages, TerminalProgress& progress) {
    const ConvertSettings& settings = options.settings;
    // Every document's place is settled in the order given, before any runs.
    OutputPlanner planner;
    std::vector<DocumentOutput> outputs;
    for (const std::string& path : documents)
        outputs.push_back(planner.Plan(path, settings));

    ExitCode status = ExitCode::Success;
    const DocumentLimits limits{options.memoryLimitMb, options.timeLimitSeconds};
    const int count = static_cast<int>(documents.size());
    std::vector<DocumentSlot> slots(static_cast<size_t>(count));
    int next = 0, reported = 0;
    // Only documents started and not yet reported can still be running.
    auto running = [&] {
        return std::count_if(slots.begin() + reported, slots.begin() + next,
                             [](const DocumentSlot& s) { return !s.ended; });
    };
    while (reported < next || next < count) {
        for (; next < count && running() < options.jobs; ++next) {
            ExtractRequest request{documents[next], options.ownerPassword, options.userPassword, next + 1, count};
            // In the raw dump, processors that documents leave free render
            // pages side by side; a converting run has its second thread
            // converting already, and counting the pages' images first would
            // only add to its work.
            if (settings.imagesFormat == OUTPUT_PPM_PBM)
                request.pageThreads = std::max(1, options.jobs / std::min(options.jobs, count));
            slots[next].process = std::make_unique<DocumentProcess>(request, outputs[next], settings, limits);
            slots[next].log = std::make_unique<DocumentLog>(progress);
        }
        WaitForDocuments(slots, reported, next);
        // Reported in the order given.
        for (; reported < next && slots[reported].ended; ++reported) {
            DocumentSlot& slot = slots[reported];
            messages.SetDocument(documents[reported]);
            for (const std::string& text : slot.log->messages)
                messages.ShowMessage(text);
            const ExitCode outcome = ReportDocument(documents[reported], slot.report, settings, out, messages, progress);
            status = Worse(status, outcome);
            slot.process.reset();
            if (outcome == ExitCode::RangeError)
                return status; // the documents after it are stopped unreported
        }
    }
    return status;
}

} // namespace

int RunCli(const CliOptions& options, FILE* out, FILE* err, bool errIsTerminal) {
    TerminalProgress progress(err, errIsTerminal || options.forceProgress, errIsTerminal);
    StderrMessages messages(err, &progress);

    int leftOut = 0;
    const std::vector<std::string> documents = GatherDocuments(options.inputs, messages, &leftOut);
    const ExitCode gathered = leftOut ? ExitCode::Skipped : ExitCode::Success;
    if (options.summaryOnly)
        return static_cast<int>(Worse(gathered, PrintSummaries(documents, options, out, messages)));

    const ConvertSettings& settings = options.settings;
    int error = 0;
    if (!settings.outputDirectory.empty() && !platform::CreateDirectoryPath(settings.outputDirectory, &error)) {
        messages.SetDocument(settings.outputDirectory);
        messages.ShowMessage(std::string("Cannot make the output folder: ") + std::strerror(error) + ".");
        return static_cast<int>(ExitCode::Skipped);
    }
    return static_cast<int>(Worse(gathered, ExtractDocuments(documents, options, out, messages, progress)));
}
