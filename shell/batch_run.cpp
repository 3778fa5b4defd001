#include "shell/batch_run.h"
#include "shell/program_resources.h"

#include "engine/run/document_process.h"
#include "engine/run/repeated_content.h"
#include "engine/run/worker_sandbox.h"
#include "platform/file_path_info.h"
#include "platform/file_system.h"
#include "platform/output_file.h"
#include "platform/ui/ui_services.h"

#include <QMetaObject>

#include <algorithm>
#include <mutex>
#include <optional>
#include <poll.h>
#include <utility>
#include <vector>

namespace {

// What the document run says, shown on the two bars and in message boxes.
// The bars' steps are handed to the window's thread without waiting for it,
// so that the run goes on while the window draws: every step is shown, in
// order, those that came while the window was busy together. Once Stop was
// asked for, the Total bar says that the run stops after the current
// document instead of the run's progress texts. A document's messages are
// held until its outcome is known, and the bars' steps are shown before
// them, so that the bars say what happened (a page-range error ends the run)
// before the box shows.
class BarEvents : public DocumentEvents {
public:
    BarEvents(QWidget* owner, CPercentProgressCtrl* current, CPercentProgressCtrl* total,
              const std::atomic<bool>& stop)
        : messages_(owner), current_(current), total_(total), steps_(std::make_shared<Steps>(stop)) {}
    void ShowMessage(const std::string& text) override { Say(false, text); }
    void ShowError(const std::string& text) override { Say(true, text); }
    void Hold() { holding_ = true; }
    // Shows the bars' steps and the messages held, in order, and the
    // messages that come from now on.
    void Release() {
        holding_ = false;
        if (!held_.empty())
            Flush();
        for (const auto& [error, text] : held_)
            Say(error, text);
        held_.clear();
    }
    void SetTotal(const std::string& text, int position) override { Add({total_, text, position, true}); }
    void SetCurrent(const std::string& text, int position) override { Add({current_, text, position, false}); }
    // A text the run ends a document with; a position of the Total bar.
    void SetCurrentText(const std::string& text) { Add({current_, text, -1, false}); }
    void SetTotalPosition(int position) { Add({total_, std::nullopt, position, false}); }
    // Shows every step handed on so far before it returns.
    void Flush() {
        CallOnUiThread([steps = steps_] { steps->Show(); });
    }

private:
    struct Step {
        CPercentProgressCtrl* bar;
        std::optional<std::string> text;
        int position; // -1 keeps the bar's
        bool progress; // a progress text of the Total bar, which Stop replaces
    };
    struct Steps {
        explicit Steps(const std::atomic<bool>& stop) : stop(stop) {}
        const std::atomic<bool>& stop;
        std::mutex mutex;
        std::vector<Step> waiting;
        // On the window's thread.
        void Show() {
            std::vector<Step> steps;
            {
                std::lock_guard<std::mutex> lock(mutex);
                steps.swap(waiting);
            }
            for (const Step& step : steps) {
                if (step.position >= 0)
                    step.bar->SetPos(step.position);
                if (step.text)
                    step.bar->SetWindowText(step.progress && stop ? ResourceString("run.stopping") : *step.text);
            }
        }
    };

    void Add(Step step) {
        std::lock_guard<std::mutex> lock(steps_->mutex);
        steps_->waiting.push_back(std::move(step));
        if (steps_->waiting.size() == 1) // else a showing is on its way already
            QMetaObject::invokeMethod(current_, [steps = steps_] { steps->Show(); }, Qt::QueuedConnection);
    }
    void Say(bool error, const std::string& text) {
        if (holding_)
            held_.emplace_back(error, text);
        else if (error)
            messages_.ShowError(text);
        else
            messages_.ShowMessage(text);
    }
    bool holding_ = false;
    std::vector<std::pair<bool, std::string>> held_; // is an error, the text
    DialogMessages messages_;
    CPercentProgressCtrl* current_;
    CPercentProgressCtrl* total_;
    std::shared_ptr<Steps> steps_;
};

// The counts of a run's documents and what the command line would say of
// each, for the summary panel as the run goes and at its end.
struct RunTally {
    int extracted = 0; // documents whose pages were rendered
    int skipped = 0;
    int written = 0;
    int converted = 0;
    // Of each document, what its process wrote to its standard error; then,
    // of an extracted one, where its images went and what went wrong.
    std::vector<std::string> lines;
    std::vector<std::string> losses; // those of the documents that lost images
    // After a stop: the stopped document and the documents never started.
    std::vector<std::string> unfinished;
    int stopped = 0;
    int notStarted = 0;

    void Add(const std::string& path, const DocumentReport& report, int format) {
        for (const std::string& line : report.errorOutput)
            lines.push_back(path + ": " + line);
        if (report.extraction.outcome != ExtractOutcome::Extracted) {
            ++skipped;
            return;
        }
        ++extracted;
        written += report.images.written;
        converted += report.images.converted;
        lines.push_back(DescribeWritten(path, report));
        for (const std::string& problem : DescribeImageProblems(report.images, format)) {
            lines.push_back(path + ": " + problem);
            if (LostImages(report.images))
                losses.push_back(lines.back());
        }
    }

    // A document ended midway: the images it left on the disk (normally none,
    // as its process removes them) count with the run's.
    void AddStopped(const std::string& path, const std::vector<std::string>& left, const std::string& folder) {
        ++stopped;
        written += static_cast<int>(left.size());
        unfinished.push_back(path + ": " + ResourceString("run.document_stopped") + " " +
                             (left.empty() ? ResourceString("run.nothing_left")
                                           : std::to_string(left.size()) + " " + ResourceString("run.images_left") +
                                                 " " + folder));
    }

    void AddNotStarted(const std::string& path) {
        ++notStarted;
        unfinished.push_back(path + ": " + ResourceString("run.not_started"));
    }

    // In list order: the documents that ran, then the stopped one, then
    // those never started.
    std::string Lines() const {
        std::string text;
        for (const auto* group : {&lines, &unfinished})
            for (const std::string& line : *group)
                text += (text.empty() ? "" : "\n") + line;
        return text;
    }

    std::string Summary(const std::string& end, int format) const {
        std::string text =
            end + "\n" + std::to_string(extracted) + " document(s) extracted, " + std::to_string(skipped) + " skipped";
        if (stopped > 0)
            text += ", " + std::to_string(stopped) + " stopped";
        if (notStarted > 0)
            text += ", " + std::to_string(notStarted) + " not started";
        text += ".\n" + std::to_string(written) + " image(s) written";
        if (format != OUTPUT_PPM_PBM)
            text += ", " + std::to_string(converted) + " converted to " + OutputFormatLabel(format);
        text += ".";
        const std::string told = Lines();
        return told.empty() ? text : text + "\n" + told;
    }
};

// Runs one document in a worker process under the limits of the settings,
// passing on what it says, until it ends, runs out of time, or endNow asks
// for it to end at once.
DocumentReport RunInWorker(const ExtractRequest& request, const DocumentOutput& output,
                           const ConvertSettings& settings, DocumentEvents& events,
                           const std::atomic<bool>& endNow) {
    DocumentProcess process(request, output, settings,
                            DocumentLimits{settings.memoryLimitMb, settings.timeLimitSeconds,
                                           "Memory Limit MB in Settings.ini", "Time Limit Seconds in Settings.ini"});
    // endNow is looked at every tenth of a second.
    constexpr long long kLookAtEndNow = 100;
    for (bool open = process.Channel() >= 0; open;) {
        if (endNow) {
            process.Cancel();
            break;
        }
        const long long left = process.MillisecondsLeft();
        pollfd channel{process.Channel(), POLLIN, 0};
        if (poll(&channel, 1, static_cast<int>(left < 0 ? kLookAtEndNow : std::min(left, kLookAtEndNow))) > 0)
            open = process.Read(events);
        if (open && process.MillisecondsLeft() == 0)
            process.StopForTime();
    }
    return process.Finish();
}

// The folder that opens at the end of a run: the chosen output folder when
// it exists; without one, the folder of a lone document's images, or, for
// several documents, the first one's folder, beside which theirs are.
std::string FolderToOpen(const ConvertSettings& settings, const std::vector<JobEntry>& entries,
                         const std::string& firstImagesFolder) {
    if (platform::DirectoryExists(settings.outputDirectory))
        return settings.outputDirectory;
    if (entries.size() == 1 && platform::DirectoryExists(firstImagesFolder))
        return firstImagesFolder;
    return platform::FilePathInfo(entries.front().path).Folder();
}

} // namespace

CBatchRun::CBatchRun(CJobList& jobs, ConvertSettings& settings, Controls controls, QWidget* owner)
    : jobs_(jobs), settings_(settings), controls_(std::move(controls)), owner_(owner) {}

CBatchRun::~CBatchRun() { StopAndWait(); }

void CBatchRun::StartConvert() {
    if (WorkerRunning())
        return; // the last run's worker is still finishing its document
    if (worker_.joinable())
        worker_.join();
    controls_.enableButtons(false);
    converting_ = true;
    stop_ = false;
    endNow_ = false;
    workerDone_ = false;
    worker_ = std::thread(&CBatchRun::Worker, this, jobs_.CheckedEntries());
    PumpMessagesUntil([this] { return workerDone_.load(); });
}

void CBatchRun::StopConvert() {
    controls_.enableButtons(true);
    converting_ = false;
    // A second Stop while the current document is finished ends it at once.
    if (stop_ && WorkerRunning())
        endNow_ = true;
    stop_ = true;
    // The current document is finished first; the bars say so until the
    // worker ends.
    if (WorkerRunning())
        controls_.total->SetWindowText(ResourceString("run.stopping"));
    else
        ShowEnd(ResourceString("run.stopped"), 0);
}

void CBatchRun::ShowEnd(const std::string& text, int totalPosition) {
    controls_.current->SetWindowText(text);
    controls_.total->SetPos(totalPosition);
    controls_.total->SetWindowText(text);
}

void CBatchRun::StopAndWait() {
    if (WorkerRunning()) {
        StopConvert();
        endNow_ = true;
    }
    PumpMessagesUntil([this] { return workerDone_.load(); });
    if (worker_.joinable())
        worker_.join();
}

void CBatchRun::Finish(const std::string& folderToOpen) {
    CallOnUiThread([&] { controls_.enableButtons(true); });
    converting_ = false;
    if (!folderToOpen.empty())
        CallOnUiThread([&] { Services().OpenWithDesktop(folderToOpen); });
}

void CBatchRun::Worker(std::vector<JobEntry> entries) {
    ConvertSettings settings;
    CallOnUiThread([&] {
        if (controls_.readOptions)
            controls_.readOptions();
        settings = settings_;
    });
    BarEvents events(owner_, controls_.current, controls_.total, stop_);
    OutputPlanner planner;
    platform::StaleTemporarySweep staleTemporaries;
    RunTally tally;
    RunWideRepeats repeats;
    const bool comparePixels = settings.skipRepeated == REPEATS_SAME_PIXELS;
    const int count = static_cast<int>(entries.size());
    std::string end = ResourceString("run.finished");
    bool openFolder = count > 0 && settings.openResult == 0;
    int finished = 0;
    std::string firstImagesFolder;
    if (const std::string unavailable = count > 0 ? SandboxUnavailable() : ""; !unavailable.empty())
        events.ShowMessage(UnconfinedRunNotice(unavailable));
    for (; finished < count; ++finished) {
        if (stop_) {
            end = ResourceString("run.stopped");
            openFolder = false;
            break;
        }
        const JobEntry& entry = entries[static_cast<size_t>(finished)];
        ExtractRequest request{entry.path, entry.ownerPassword, entry.userPassword, finished + 1, count};
        request.recordImages = comparePixels ? 1 : 0; // the run compares pixels across documents from the records
        const DocumentOutput output = planner.Plan(entry.path, settings);
        if (finished == 0)
            firstImagesFolder = output.outputDirectory;
        staleTemporaries.Before(output.outputDirectory);
        events.Hold();
        timespec startedAt{};
        clock_gettime(CLOCK_REALTIME_COARSE, &startedAt); // the clock file times are taken from
        DocumentReport report = RunInWorker(request, output, settings, events, endNow_);
        if (endNow_) {
            tally.AddStopped(entry.path, FilesWrittenSince(output, settings.nameTemplate, startedAt),
                             output.outputDirectory);
            end = ResourceString("run.stopped");
            openFolder = false;
            break;
        }
        if (report.extraction.outcome == ExtractOutcome::RangeError)
            ShowEnd(ResourceString("run.range_error"), 100 * finished / count);
        events.Release();
        if (!report.cutShort.empty())
            events.ShowError(entry.path + ": " + report.cutShort);
        if (report.extraction.outcome == ExtractOutcome::RangeError) {
            end = ResourceString("run.range_error");
            openFolder = false;
            break;
        }
        if (comparePixels && report.cutShort.empty() && report.extraction.outcome == ExtractOutcome::Extracted)
            repeats.Settle(report);
        tally.Add(entry.path, report, settings.imagesFormat);
        if (controls_.showReport && report.extraction.outcome == ExtractOutcome::Extracted) {
            const std::string lines = tally.Lines(); // what the command line would have said so far
            CallOnUiThread([&] { controls_.showReport(lines); });
        }
        events.SetCurrentText(ResourceString("run.finished"));
        events.SetTotalPosition(100 * (finished + 1) / count);
    }
    if (end == ResourceString("run.stopped"))
        for (int next = finished + tally.stopped; next < count; ++next)
            tally.AddNotStarted(entries[static_cast<size_t>(next)].path);
    staleTemporaries.AfterRun();
    events.Flush();
    CallOnUiThread([&] { ShowEnd(end, count > 0 ? 100 * finished / count : 0); });
    if (count > 0 && controls_.showReport) {
        const std::string summary = tally.Summary(end, settings.imagesFormat);
        CallOnUiThread([&] { controls_.showReport(summary); });
    }
    if (!tally.losses.empty()) {
        std::string text = ResourceString("run.losses");
        for (const std::string& loss : tally.losses)
            text += "\n" + loss;
        events.ShowError(text);
    }
    Finish(openFolder ? FolderToOpen(settings, entries, firstImagesFolder) : std::string());
    workerDone_ = true;
}
