#pragma once
// One document extracted and converted (RunDocument) in a child process of
// its own. The PDF library's decoders can take without bound the
// memory or the time of a damaged file; in a child, under a memory limit and
// watched for time, such a document is stopped and reported while the rest
// of the run goes on, and several documents can run side by side. The child
// is the worker program (document_worker.h), started afresh, so that a
// process with threads can run documents too. It tells its messages,
// progress and result through a pipe, so that only the parent writes to the
// terminal, one whole line at a time. What the child's libraries write to its
// standard output or error (warnings, the last words of a fatal error) comes
// through a second pipe and is kept with the document's report.
#include "engine/run/document_worker.h"

#include <chrono>
#include <ctime>
#include <string>
#include <sys/types.h>

// A worker built for tests (never shipped), which tries a forbidden act once
// confined; the act is its extra argument.
struct TrialWorker {
    std::string program;
    std::string act;
};

class DocumentProcess {
public:
    // Starts the child, which extracts the document to its planned place and,
    // unless the format is the raw dump, converts its images. The child ends
    // with the thread that starts it, which must therefore outlive it. The
    // child gets a short environment and no descriptor but its pipes; the
    // output folder is made here, since a confined child may write only
    // inside it.
    DocumentProcess(const ExtractRequest& request, const DocumentOutput& output, const ConvertSettings& settings,
                    const DocumentLimits& limits, const TrialWorker& trial = {});
    ~DocumentProcess();
    DocumentProcess(const DocumentProcess&) = delete;
    DocumentProcess& operator=(const DocumentProcess&) = delete;

    // The descriptor to wait on for what the child says or writes: readable
    // when either pipe is. -1 when the child could not be started.
    int Channel() const { return watch_; }
    // Reads what the child said and passes each complete message and progress
    // step on, and keeps what it wrote; false once the child has closed its
    // channel.
    bool Read(DocumentEvents& events);
    // Milliseconds left before the time limit; -1 without one. The time
    // counts while the run goes, not while it is suspended: callers look at
    // least every kLookAtLeastEvery milliseconds, and a longer gap between
    // two looks counts as twice that only.
    long long MillisecondsLeft();
    static constexpr long long kLookAtLeastEvery = 500;
    // Stops a child that ran out of time.
    void StopForTime();
    // Ends the child at once, when the person asks for it.
    void Cancel();
    // Waits for the child to end and tells how the document went. A child
    // stopped before its end (by a limit, a signal, a fault) leaves no
    // image: those it had written are removed.
    DocumentReport Finish();

    const ExtractRequest& Request() const { return request_; }

private:
    void Dispatch(const std::string& record, DocumentEvents& events);
    // Reads a bufferful of the child's output into the report's
    // errorOutput, line by line; true when more may be waiting. Closes the
    // pipe at its end.
    bool ReadOutput();
    void KeepOutputLine(const std::string& line);
    void CloseOutput();
    // A flood of output is cut short, and long lines are broken, so that a
    // document waiting for its turn to be reported holds little.
    static constexpr size_t kMostOutputLines = 500;
    static constexpr size_t kLongestOutputLine = 1024;
    void MakeOutputFolder();
    // Why a child that gave no result ended, from its exit status.
    std::string StopCause(int status) const;

    // Removes what a child that gave no result had written: the images of a
    // document stopped before its end do not stay, so that what its front
    // end tells of it (no image written) is what the disk holds.
    void RemoveUnfinishedOutput(pid_t child) const;

    ExtractRequest request_;
    DocumentOutput output_;
    std::string nameTemplate_;
    timespec startedAt_{}; // on the clock of file times
    DocumentLimits limits_;
    pid_t child_ = -1;
    int channel_ = -1;
    int childOutput_ = -1; // the child's standard output and error
    int watch_ = -1;  // an epoll set of both pipes, so that callers wait on one descriptor
    std::string pending_;
    std::string pendingOutput_;
    int outputLinesLeftOut_ = 0;
    std::string stopCause_; // what the child said stopped it
    bool stoppedForTime_ = false;
    bool cancelled_ = false;
    bool reported_ = false;
    // The folder did not exist before: a document that never opened leaves
    // none, as when the child made it once it had.
    bool madeFolder_ = false;
    DocumentReport report_;
    std::chrono::steady_clock::time_point lastLook_;
    std::chrono::steady_clock::duration counted_{}; // of the time limit
};
