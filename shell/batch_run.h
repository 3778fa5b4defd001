#pragma once
// A batch run: the checked documents of the job list, one after another on
// a worker thread, each processed by the engine's document run in a worker
// process under the limits of the settings, with both progress bars moving
// from what it says; Stop ends the run between documents, a second Stop or
// the window's close ends the current document at once. At the end both
// bars say how it ended; the summary shows what the command line says of
// each document as it ends, then the run's counts; a message names the documents
// that lost images, and the output folder opens when the settings ask. The worker reaches the windows only
// through messages; the entries and their passwords are taken at Start.
#include "controls/util/percent_progress_ctrl.h"
#include "engine/settings/convert_settings.h"
#include "shell/job_list.h"

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

class CBatchRun {
public:
    struct Controls {
        CPercentProgressCtrl* current; // pages of the document
        CPercentProgressCtrl* total;   // documents of the run
        std::function<void(bool)> enableButtons;
        std::function<void()> readOptions; // copies the option tree into the settings
        std::function<void(const std::string&)> showReport; // what each document gave, then the run's counts at its end
    };
    CBatchRun(CJobList& jobs, ConvertSettings& settings, Controls controls, QWidget* owner);
    // Waits for a worker that is still finishing a document.
    ~CBatchRun();

    // Starts a run and returns once its worker has ended, serving this
    // thread's events meanwhile. Refused while an earlier worker still runs.
    void StartConvert();
    // The run stops before its next document; the current one is finished.
    // Called again while that document runs, it ends the document at once.
    void StopConvert();
    bool IsConverting() const { return converting_; }
    bool WorkerRunning() const { return worker_.joinable() && !workerDone_; }
    // Ends the run and its current document at once and waits for its
    // worker: before the windows go away.
    void StopAndWait();

private:
    void Worker(std::vector<JobEntry> entries);
    // Both bars say how the run ended.
    void ShowEnd(const std::string& text, int totalPosition);
    // Gives the buttons back and opens the folder named (none when empty).
    void Finish(const std::string& folderToOpen);

    CJobList& jobs_;
    ConvertSettings& settings_;
    Controls controls_;
    QWidget* owner_;
    std::atomic<bool> converting_{false};
    std::atomic<bool> stop_{false};   // stop before the next document
    std::atomic<bool> endNow_{false}; // end the current document at once
    std::atomic<bool> workerDone_{true};
    std::thread worker_;
};
