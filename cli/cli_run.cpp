#include "cli/cli_run.h"

#include "cli/document_list.h"
#include "cli/document_lock.h"
#include "cli/document_outcome.h"
#include "engine/run/document_process.h"
#include "cli/done_marker.h"
#include "cli/exit_code.h"
#include "cli/image_list.h"
#include "cli/image_report.h"
#include "cli/json_lines_file.h"
#include "cli/output_plan.h"
#include "cli/run_interruption.h"
#include "cli/terminal_progress.h"
#include "cli/terminal_text.h"
#include "engine/pdf/document_summary.h"
#include "engine/settings/job_paths.h"
#include "engine/run/repeated_content.h"
#include "engine/run/worker_sandbox.h"
#include "platform/file_path_info.h"
#include "platform/file_system.h"
#include "platform/output_file.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <deque>
#include <filesystem>
#include <memory>
#include <optional>
#include <csignal>
#include <poll.h>

namespace {

// Prints one line, its control characters escaped on a terminal.
void PrintLine(FILE* out, bool terminal, const std::string& line) {
    std::fprintf(out, "%s\n", (terminal ? TerminalText(line, false) : line).c_str());
}

// Prints text of several lines, its control characters but line breaks
// escaped on a terminal.
void PrintLines(FILE* out, bool terminal, const std::string& text) {
    std::fputs((terminal ? TerminalText(text, true) : text).c_str(), out);
}

// Messages go to standard error, one whole line each, naming the document
// when the text does not.
class StderrMessages : public MessageSink {
public:
    StderrMessages(FILE* err, bool terminal, TerminalProgress* progress)
        : err_(err), terminal_(terminal), progress_(progress) {}

    void SetDocument(const std::string& path) { document_ = path; }

    void ShowMessage(const std::string& text) override {
        if (progress_)
            progress_->Break();
        if (document_.empty() || text.find(document_) != std::string::npos)
            PrintLine(err_, terminal_, text);
        else
            PrintLine(err_, terminal_, document_ + ": " + text);
        std::fflush(err_);
    }

private:
    FILE* err_;
    bool terminal_;
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

// What a run says of a document another run holds (see DocumentLock).
const char* const kHeldByAnotherRun =
    "Another run is extracting this document into the same place; it is left to that run.";

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

ExitCode PrintSummaries(DocumentList& list, const CliOptions& options, FILE* out, bool outIsTerminal,
                        StderrMessages& messages) {
    ExitCode status = ExitCode::Success;
    for (ListedDocument entry; list.NextWaiting(&entry);) {
        if (!options.shard.Takes(entry.place) || entry.repeated)
            continue;
        messages.SetDocument(entry.path);
        if (!entry.problem.empty()) {
            messages.ShowMessage(entry.problem);
            status = ExitCode::Skipped;
            continue;
        }
        DocumentSummary summary =
            BuildDocumentSummary(entry.path, messages, options.ownerPassword, options.userPassword);
        PrintLines(out, outIsTerminal, SummaryPlainText(summary) + "\n\n");
        std::fflush(out);
        if (summary.pageCount == 0)
            status = ExitCode::Skipped;
    }
    return status;
}

// Prints where each document of the list that the shard takes would go,
// placing every document as the run does.
ExitCode PrintPlan(DocumentList& list, const CliOptions& options, FILE* out, StderrMessages& messages) {
    ExitCode status = ExitCode::Success;
    OutputPlan plan(options.settings);
    for (ListedDocument entry; list.NextWaiting(&entry);) {
        const bool taken = options.shard.Takes(entry.place);
        if (!entry.problem.empty() && taken) {
            messages.SetDocument(entry.path);
            messages.ShowMessage(entry.problem);
            status = ExitCode::Skipped;
        }
        if (!entry.problem.empty() || entry.repeated)
            continue;
        const nlohmann::json line = plan.Place(entry.path);
        if (taken) {
            std::fprintf(out, "%s\n", line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace).c_str());
            std::fflush(out);
        }
    }
    if (std::string error; list.ReadFailed(&error)) {
        messages.SetDocument({});
        messages.ShowMessage(error);
        status = ExitCode::Skipped;
    }
    return status;
}

// One document of the run, from the moment it is taken from the list until
// it is reported: its process while it runs, what it said, and how it ended.
// A document that needs no run (not found, already done) is settled at once.
struct DocumentSlot {
    ListedDocument entry;
    DocumentOutput output;
    nlohmann::json markerKey;
    std::unique_ptr<DocumentLock> lock; // let go after the process has ended
    std::unique_ptr<DocumentProcess> process;
    std::unique_ptr<DocumentLog> log;
    bool ended = false;
    DocumentReport report;
    std::optional<DocumentOutcome> settled;  // known without a run: not found, unreadable
    std::optional<DocumentOutcome> done;     // what its matching marker recorded
    std::chrono::steady_clock::time_point started;
    timespec startedAt{}; // on the clock of file times
    double seconds = 0;
};

// Waits until one of the running documents says something or runs out of
// time, the list (when listChannel is not -1) has more, or the run is
// interrupted, and handles what the documents said.
void WaitForDocuments(std::deque<DocumentSlot>& slots, int listChannel, int interruptChannel) {
    std::vector<pollfd> channels;
    std::vector<DocumentSlot*> running;
    long long timeout = -1;
    if (interruptChannel >= 0)
        channels.push_back({interruptChannel, POLLIN, 0});
    if (listChannel >= 0)
        channels.push_back({listChannel, POLLIN, 0});
    const size_t firstDocument = channels.size();
    for (DocumentSlot& slot : slots) {
        if (slot.ended)
            continue;
        running.push_back(&slot);
        channels.push_back({slot.process->Channel(), POLLIN, 0});
        if (slot.process->Channel() < 0)
            timeout = 0; // a document that could not start ends at once
        const long long left = slot.process->MillisecondsLeft();
        if (left >= 0)
            timeout = std::min({timeout < 0 ? left : timeout, left, DocumentProcess::kLookAtLeastEvery});
    }
    if (poll(channels.data(), channels.size(), static_cast<int>(std::min(timeout, 1ll << 30))) < 0 && errno != EINTR)
        return;
    if (interruptChannel >= 0 && channels[0].revents != 0)
        return; // the run ends: what the documents said no longer counts
    for (size_t i = 0; i < running.size(); ++i) {
        DocumentSlot& slot = *running[i];
        bool open = slot.process->Channel() >= 0;
        if (open && channels[firstDocument + i].revents != 0)
            open = slot.process->Read(*slot.log);
        if (open && slot.process->MillisecondsLeft() == 0)
            slot.process->StopForTime();
        if (!open) {
            slot.report = slot.process->Finish();
            slot.ended = true;
            slot.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - slot.started).count();
        }
    }
}

// Extracts the documents of the list that the shard takes, up to
// options.jobs at once, and reports each in the order of the list.
class ExtractionRun {
public:
    ExtractionRun(const CliOptions& options, int knownCount, FILE* out, bool outIsTerminal, StderrMessages& messages,
                  TerminalProgress& progress, JsonLinesFile& results, ImageReport& report)
        : options_(options), settings_(options.settings), knownCount_(knownCount), out_(out),
          outIsTerminal_(outIsTerminal), messages_(messages), progress_(progress), results_(results),
          report_(report) {}

    // Answers the worst status, or 128 plus the number of the signal that
    // interrupted the run.
    int Run(DocumentList& list) {
        const int status = TakeAndReport(list);
        staleTemporaries_.AfterRun();
        return status;
    }

private:
    int TakeAndReport(DocumentList& list) {
        // Documents whose report waits for a slow one before them are held
        // back at a bound, so that memory stays small on any list.
        const size_t mostWaiting = 64 + 4 * static_cast<size_t>(options_.jobs);
        DocumentList::State state = DocumentList::State::Ready;
        while (true) {
            if (interruption_.Signal())
                return Interrupted();
            state = state == DocumentList::State::Ended ? state : DocumentList::State::Ready;
            while (state == DocumentList::State::Ready && Running() < options_.jobs && slots_.size() < mostWaiting)
                state = TakeNext(list);
            // Reported in the order of the list, before any wait, so that
            // what is known is told while a list from a pipe is waited for.
            for (; !slots_.empty() && slots_.front().ended; slots_.pop_front()) {
                const DocumentOutcome outcome = Report(slots_.front());
                status_ = Worse(status_, outcome.status);
                if (outcome.status == ExitCode::RangeError) {
                    EndLaterDocuments();
                    return static_cast<int>(status_);
                }
            }
            if (slots_.empty() && state == DocumentList::State::Ended)
                break;
            const bool listWaiting = state == DocumentList::State::Waiting;
            if (Running() > 0 || listWaiting)
                WaitForDocuments(slots_, listWaiting ? list.Channel() : -1, interruption_.Channel());
        }
        if (std::string error; list.ReadFailed(&error)) {
            messages_.SetDocument({});
            messages_.ShowMessage(error);
            status_ = Worse(status_, ExitCode::Skipped);
        }
        return static_cast<int>(status_);
    }

    bool Listing() const { return options_.list != ListFormat::None; }

    // Ends the documents still running, which removes their unfinished
    // files, and says so.
    int Interrupted() {
        const int number = interruption_.Signal();
        slots_.clear();
        progress_.Break();
        messages_.SetDocument({});
        const char* name = sigabbrev_np(number);
        messages_.ShowMessage(std::string("The run was interrupted (SIG") + (name ? name : "?") +
                              "); documents not reported were not finished.");
        return 128 + number;
    }

    // The run stops at a range error as one job at a time would: documents
    // after it that had started are ended, unreported, and the files they
    // wrote are removed.
    void EndLaterDocuments() {
        for (auto slot = std::next(slots_.begin()); slot != slots_.end(); ++slot) {
            if (!slot->process)
                continue;
            slot->process.reset();
            RemoveOutputWrittenSince(slot->output, settings_.nameTemplate, slot->startedAt,
                                     settings_.outputDirectory.empty());
        }
    }

    long Running() const {
        return std::count_if(slots_.begin(), slots_.end(), [](const DocumentSlot& s) { return !s.ended; });
    }

    // Takes the next entry of the list when there is one. Every document is
    // placed, taken by the shard or not, so that each gets the place a run
    // over the whole list would give it.
    DocumentList::State TakeNext(DocumentList& list) {
        ListedDocument entry;
        if (const DocumentList::State state = list.Next(&entry); state != DocumentList::State::Ready)
            return state;
        DocumentOutput output;
        if (entry.problem.empty() && !entry.repeated)
            output = planner_.Plan(entry.path, settings_);
        if (!options_.shard.Takes(entry.place))
            return DocumentList::State::Ready;
        DocumentSlot& slot = slots_.emplace_back();
        slot.entry = entry;
        slot.output = output;
        if (!entry.problem.empty() || entry.repeated) {
            if (entry.problem.empty())
                slot.ended = true; // told in its turn, and nothing more
            else
                Settle(slot, "skipped", ExitCode::Skipped, entry.problem);
            return DocumentList::State::Ready;
        }
        slot.markerKey = MarkerKey(entry.path, settings_);
        if (!Listing()) {
            slot.lock = std::make_unique<DocumentLock>(LockPath(output));
            if (slot.lock->HeldElsewhere()) {
                Settle(slot, "held", ExitCode::Skipped, kHeldByAnotherRun);
                return DocumentList::State::Ready;
            }
        }
        if (options_.skipDone) {
            if ((slot.done = MatchingMarker(output, slot.markerKey))) {
                slot.ended = true;
                return DocumentList::State::Ready;
            }
            RemovePartialOutput(output, settings_.nameTemplate); // what an earlier run left
        }
        if (!Listing())
            RemoveMarker(output);
        Start(slot);
        return DocumentList::State::Ready;
    }

    void Settle(DocumentSlot& slot, const std::string& outcome, ExitCode status, const std::string& reason) {
        slot.settled = DocumentOutcome{};
        slot.settled->outcome = outcome;
        slot.settled->status = status;
        slot.settled->reason = reason;
        slot.ended = true;
    }

    void Start(DocumentSlot& slot) {
        staleTemporaries_.Before(slot.output.outputDirectory);
        slot.started = std::chrono::steady_clock::now();
        clock_gettime(CLOCK_REALTIME_COARSE, &slot.startedAt); // the clock file times are taken from
        ++started_;
        const int count = std::max(knownCount_, started_);
        ExtractRequest request{slot.entry.path, options_.ownerPassword, options_.userPassword, started_, count};
        request.listOnly = Listing() ? 1 : 0;
        // The run compares pixels across documents from the records of each.
        request.recordImages = report_.IsOpen() || settings_.skipRepeated == REPEATS_SAME_PIXELS ? 1 : 0;
        // In the raw dump, processors that documents leave free render
        // pages side by side; a converting run has its second thread
        // converting already, and counting the pages' images first would
        // only add to its work.
        if (settings_.imagesFormat == OUTPUT_PPM_PBM && !Listing())
            request.pageThreads = std::max(1, options_.jobs / std::min(options_.jobs, count));
        DocumentLimits limits{options_.memoryLimitMb, options_.timeLimitSeconds};
        limits.confined = options_.sandbox;
        slot.process = std::make_unique<DocumentProcess>(request, slot.output, settings_, limits);
        slot.log = std::make_unique<DocumentLog>(progress_);
    }

    // Prints what became of the document, leaves its marker and its results
    // line, and answers its outcome.
    DocumentOutcome Report(DocumentSlot& slot) {
        DocumentOutcome outcome;
        if (slot.entry.repeated) {
            messages_.SetDocument({});
            messages_.ShowMessage("File: " + slot.entry.path + " have been imported!");
            return outcome;
        }
        messages_.SetDocument(slot.entry.path);
        if (slot.settled) {
            outcome = *slot.settled;
            messages_.ShowMessage(outcome.reason);
        } else if (slot.done) {
            outcome = ReportDone(slot);
        } else {
            outcome = ReportRun(slot);
            slot.process.reset();
            if (options_.writeMarkers && !Listing() && IsFinal(outcome) &&
                !WriteMarker(slot.output, slot.markerKey, outcome,
                             FilesWrittenSince(slot.output, settings_.nameTemplate, slot.startedAt)) &&
                outcome.outcome == "extracted")
                messages_.ShowMessage("Cannot write its done marker; a run with --skip-done will extract it again.");
        }
        outcome.path = slot.entry.path;
        outcome.output = slot.output.imageRoot;
        outcome.seconds = slot.seconds;
        WriteResult(outcome);
        WriteReport(outcome, slot.settled || slot.done ? std::vector<ImageEntry>() : slot.report.catalogue);
        return outcome;
    }

    // A document passed over because its marker matches. The recorded status
    // stands, so that a rerun answers what the run that did it answered.
    DocumentOutcome ReportDone(const DocumentSlot& slot) {
        DocumentOutcome outcome = *slot.done;
        if (!outcome.reason.empty())
            messages_.ShowMessage(outcome.reason);
        outcome.outcome = "already done";
        progress_.Break();
        PrintLine(out_, outIsTerminal_, slot.entry.path + ": already done");
        std::fflush(out_);
        return outcome;
    }

    DocumentOutcome ReportRun(DocumentSlot& slot) {
        DocumentReport& report = slot.report;
        for (const std::string& text : slot.log->messages)
            messages_.ShowMessage(text);
        for (const std::string& line : report.errorOutput)
            messages_.ShowMessage(line);
        const ExtractResult& result = report.extraction;
        if (settings_.skipRepeated == REPEATS_SAME_PIXELS && report.cutShort.empty() &&
            result.outcome == ExtractOutcome::Extracted)
            repeats_.Settle(report);
        DocumentOutcome outcome;
        outcome.peakMemoryKb = report.peakMemoryKb;
        outcome.written = report.images.written;
        outcome.failed = report.images.lost;
        outcome.converted = report.images.converted;
        outcome.conversionFailed = report.images.kept;
        outcome.damaged = report.images.damaged;
        outcome.belowMinimum = report.images.belowMinimum;
        outcome.repeated = report.images.repeated;
        const std::string lastMessage = slot.log->messages.empty() ? "" : slot.log->messages.back();
        if (!report.cutShort.empty()) {
            messages_.ShowMessage(report.cutShort);
            outcome.outcome = "stopped";
            outcome.status = ExitCode::Skipped;
            outcome.reason = report.cutShort;
        } else if (result.outcome == ExtractOutcome::RangeError) {
            outcome.outcome = "range error";
            outcome.status = ExitCode::RangeError;
            outcome.reason = lastMessage;
        } else if (result.outcome == ExtractOutcome::Skipped) {
            outcome.outcome = "skipped";
            outcome.status = ExitCode::Skipped;
            outcome.reason = lastMessage;
        } else if (Listing()) {
            PrintList(slot.entry.path, report.catalogue);
            outcome.outcome = "listed";
        } else {
            PrintExtracted(slot.entry.path, report);
            const bool lost = LostImages(report.images);
            outcome.outcome = lost ? "images lost" : "extracted";
            outcome.status = lost ? ExitCode::ImagesLost : ExitCode::Success;
        }
        return outcome;
    }

    void PrintExtracted(const std::string& path, const DocumentReport& report) {
        progress_.Break();
        PrintLine(out_, outIsTerminal_, DescribeWritten(path, report));
        std::fflush(out_); // the line stays even when the run is stopped later
        for (const std::string& problem : DescribeImageProblems(report.images, settings_.imagesFormat))
            messages_.ShowMessage(problem);
    }

    void PrintList(const std::string& path, const std::vector<ImageEntry>& images) {
        progress_.Break();
        std::string text;
        if (options_.list == ListFormat::Table) {
            text = ImageTable(path, images, settings_.keepStored != 0) + "\n";
        } else {
            for (const ImageEntry& image : images)
                text += options_.list == ListFormat::Csv
                            ? CsvRow(path, image, false, settings_.keepStored != 0)
                            : ImageLine(path, image).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) +
                                  "\n";
        }
        PrintLines(out_, outIsTerminal_, text);
        std::fflush(out_);
    }

    void WriteResult(const DocumentOutcome& outcome) {
        if (!results_.IsOpen())
            return;
        nlohmann::json line = {{"path", outcome.path}, {"output", outcome.output}};
        line.update(OutcomeFields(outcome));
        line["seconds"] = outcome.seconds;
        line["peak_memory_kb"] = outcome.peakMemoryKb;
        if (std::string error; !results_.Write(line, &error) && !resultsFailed_) {
            resultsFailed_ = true;
            messages_.SetDocument(options_.resultsPath);
            messages_.ShowMessage("Cannot write the results: " + error + ".");
            status_ = Worse(status_, ExitCode::Skipped);
        }
    }

    void WriteReport(const DocumentOutcome& outcome, const std::vector<ImageEntry>& images) {
        if (!report_.IsOpen())
            return;
        if (std::string error; !report_.Write(outcome, images, &error) && !reportFailed_) {
            reportFailed_ = true;
            messages_.SetDocument(options_.reportPath);
            messages_.ShowMessage("Cannot write the report: " + error + ".");
            status_ = Worse(status_, ExitCode::Skipped);
        }
    }

    const CliOptions& options_;
    const ConvertSettings& settings_;
    const int knownCount_;
    FILE* out_;
    const bool outIsTerminal_;
    StderrMessages& messages_;
    TerminalProgress& progress_;
    JsonLinesFile& results_;
    ImageReport& report_;
    RunWideRepeats repeats_;
    RunInterruption interruption_;
    platform::StaleTemporarySweep staleTemporaries_;
    OutputPlanner planner_;
    std::deque<DocumentSlot> slots_; // taken and not yet reported, in the order of the list
    int started_ = 0;
    bool resultsFailed_ = false;
    bool reportFailed_ = false;
    ExitCode status_ = ExitCode::Success;
};

// Fails with a message when a file the run needs cannot be opened.
bool OpenRunFiles(const CliOptions& options, DocumentList& list, JsonLinesFile& results, ImageReport& report,
                  StderrMessages& messages) {
    std::string error;
    if (!options.filesFrom.empty() && !list.OpenList(options.filesFrom, options.nullSeparated, &error)) {
        messages.SetDocument(options.filesFrom);
        messages.ShowMessage("Cannot read the list: " + error + ".");
        return false;
    }
    if (!options.resultsPath.empty() && !options.summaryOnly && !results.Open(options.resultsPath, &error)) {
        messages.SetDocument(options.resultsPath);
        messages.ShowMessage("Cannot open the results file: " + error + ".");
        return false;
    }
    if (!options.reportPath.empty() && !report.Open(options.reportPath, &error, options.settings.keepStored != 0)) {
        messages.SetDocument(options.reportPath);
        messages.ShowMessage("Cannot write the report: " + error + ".");
        return false;
    }
    return true;
}

// The options with the output folder as the path names it when the run
// starts: a path through a link is replaced by the folder it leads to, so
// that the run writes into that folder wherever the link is pointed later.
// A path without a link keeps its spelling.
CliOptions WithOutputFolderResolved(const CliOptions& options) {
    CliOptions resolved = options;
    const std::string& given = options.settings.outputDirectory;
    std::error_code error;
    const std::filesystem::path real = std::filesystem::canonical(given, error);
    if (given.empty() || error)
        return resolved;
    std::string spelled = std::filesystem::absolute(given, error).lexically_normal().string();
    if (spelled.size() > 1 && spelled.back() == '/')
        spelled.pop_back();
    if (spelled != real.string())
        resolved.settings.outputDirectory = real.string();
    return resolved;
}

} // namespace

int RunCli(const CliOptions& options, FILE* out, FILE* err, bool outIsTerminal, bool errIsTerminal) {
    TerminalProgress progress(err, errIsTerminal || options.forceProgress, errIsTerminal);
    StderrMessages messages(err, errIsTerminal, &progress);

    int leftOut = 0;
    std::vector<std::string> gathered = GatherDocuments(options.inputs, messages, &leftOut);
    const ExitCode gatheredStatus = leftOut ? ExitCode::Skipped : ExitCode::Success;
    // The whole count is known only without a list and a shard.
    const int knownCount = options.filesFrom.empty() && options.shard.count == 1 ? static_cast<int>(gathered.size()) : 0;
    DocumentList list(std::move(gathered));
    JsonLinesFile results;
    ImageReport report;
    if (!OpenRunFiles(options, list, results, report, messages))
        return static_cast<int>(ExitCode::Skipped);
    if (options.summaryOnly)
        return static_cast<int>(
            Worse(gatheredStatus, PrintSummaries(list, options, out, outIsTerminal, messages)));
    if (options.plan)
        return static_cast<int>(Worse(gatheredStatus, PrintPlan(list, options, out, messages)));

    const ConvertSettings& settings = options.settings;
    int error = 0;
    if (options.list == ListFormat::Csv)
        std::fputs(CsvHeader(false, settings.keepStored != 0).c_str(), out);
    if (options.list == ListFormat::None && !settings.outputDirectory.empty() && !platform::CreateDirectoryPath(settings.outputDirectory, &error)) {
        messages.SetDocument(settings.outputDirectory);
        messages.ShowMessage(std::string("Cannot make the output folder: ") + std::strerror(error) + ".");
        return static_cast<int>(ExitCode::Skipped);
    }
    if (const std::string unavailable = options.sandbox ? SandboxUnavailable() : ""; !unavailable.empty()) {
        messages.SetDocument({});
        messages.ShowMessage(UnconfinedRunNotice(unavailable));
    }
    const CliOptions resolved = WithOutputFolderResolved(options);
    ExtractionRun run(resolved, knownCount, out, outIsTerminal, messages, progress, results, report);
    const int status = run.Run(list);
    return status > static_cast<int>(ExitCode::ImagesLost) ? status
                                                           : static_cast<int>(Worse(gatheredStatus, ExitCode(status)));
}
