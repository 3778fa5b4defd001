#include "shell/batch_run.h"
#include "shell/program_resources.h"

#include "engine/document_extraction.h"
#include "engine/format_conversion.h"
#include "platform/file_path_info.h"
#include "platform/file_system.h"
#include "platform/ui/ui_services.h"

namespace {

// The engine's two indicators, shown on the bars through their messages.
class BarProgress : public ProgressSink {
public:
    BarProgress(CPercentProgressCtrl* current, CPercentProgressCtrl* total) : current_(current), total_(total) {}
    void SetTotal(const std::string& text, int position) override { Show(total_, text, position); }
    void SetCurrent(const std::string& text, int position) override { Show(current_, text, position); }

private:
    static void Show(CPercentProgressCtrl* bar, const std::string& text, int position) {
        bar->SetPos(position);
        bar->SetWindowText(text);
    }
    CPercentProgressCtrl* current_;
    CPercentProgressCtrl* total_;
};

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
    workerDone_ = false;
    worker_ = std::thread(&CBatchRun::Worker, this, jobs_.CheckedEntries());
    PumpMessagesUntil([this] { return workerDone_.load(); });
}

void CBatchRun::StopConvert() {
    controls_.enableButtons(true);
    converting_ = false;
    for (CPercentProgressCtrl* bar : {controls_.current, controls_.total}) {
        bar->SetPos(0);
        bar->SetWindowText(ResourceString("run.stopped"));
    }
    stop_ = true;
}

void CBatchRun::StopAndWait() {
    if (WorkerRunning())
        StopConvert();
    PumpMessagesUntil([this] { return workerDone_.load(); });
    if (worker_.joinable())
        worker_.join();
}

void CBatchRun::Finish(bool openFolder, const std::vector<JobEntry>& entries, const ConvertSettings& settings) {
    CallOnUiThread([&] { controls_.enableButtons(true); });
    converting_ = false;
    if (!openFolder || entries.empty())
        return;
    // The chosen folder when it exists, else the first document's folder.
    const std::string folder = platform::DirectoryExists(settings.outputDirectory)
                                   ? settings.outputDirectory
                                   : platform::FilePathInfo(entries.front().path).Folder();
    Services().OpenWithDesktop(folder);
}

void CBatchRun::Worker(std::vector<JobEntry> entries) {
    ConvertSettings settings;
    CallOnUiThread([&] {
        if (controls_.readOptions)
            controls_.readOptions();
        settings = settings_;
    });
    DialogMessages messages(owner_);
    BarProgress progress(controls_.current, controls_.total);
    OutputPlanner planner;
    const int count = static_cast<int>(entries.size());
    if (count == 0)
        Finish(false, entries, settings);
    for (int i = 1; i <= count; ++i) {
        if (stop_)
            break;
        const JobEntry& entry = entries[static_cast<size_t>(i - 1)];
        ExtractRequest request{entry.path, entry.ownerPassword, entry.userPassword, i, count};
        const ExtractResult result = ExtractDocument(request, settings, planner.Plan(entry.path, settings), messages, progress);
        if (result.outcome == ExtractOutcome::RangeError) {
            Finish(false, entries, settings);
            break;
        }
        if (result.outcome == ExtractOutcome::Extracted && settings.imagesFormat != OUTPUT_PPM_PBM) {
            controls_.total->SetWindowText(ResourceString("run.converting_images"));
            ConvertDirectory(result.outputDirectory, settings, result.imageTitle);
        }
        controls_.current->SetWindowText(ResourceString("run.finished"));
        if (i == count) {
            controls_.total->SetWindowText(ResourceString("run.finished"));
            Finish(true, entries, settings);
        }
    }
    workerDone_ = true;
}
