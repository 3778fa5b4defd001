#pragma once
// One document of a command-line run, extracted and converted in a child
// process of its own. The PDF library's decoders can take without bound the
// memory or the time of a damaged file; in a child, under a memory limit and
// watched for time, such a document is stopped and reported while the rest
// of the run goes on, and several documents can run side by side. The child
// tells its messages, progress and result through a pipe, so that only the
// parent writes to the terminal, one whole line at a time.
#include "engine/document_extraction.h"
#include "engine/format_conversion.h"

#include <chrono>
#include <string>
#include <sys/types.h>

struct DocumentLimits {
    int memoryMb = 0; // address space of the child; 0 for none
    int seconds = 0;  // 0 for none
};

// What the parent hears of a document while it runs.
class DocumentEvents : public MessageSink, public ProgressSink {};

struct DocumentReport {
    ExtractResult extraction;
    ConversionCounts conversion;
    std::string cutShort; // why the document stopped before its end; empty when it finished
    long long peakMemoryKb = 0; // the child's largest resident size
};

class DocumentProcess {
public:
    // Starts the child, which extracts the document to its planned place and,
    // unless the format is the raw dump, converts its images.
    DocumentProcess(const ExtractRequest& request, const DocumentOutput& output, const ConvertSettings& settings,
                    const DocumentLimits& limits);
    ~DocumentProcess();
    DocumentProcess(const DocumentProcess&) = delete;
    DocumentProcess& operator=(const DocumentProcess&) = delete;

    // The pipe to wait on for what the child says.
    int Channel() const { return channel_; }
    // Reads what the child said and passes each complete message and progress
    // step on; false once the child has closed its end.
    bool Read(DocumentEvents& events);
    // Milliseconds left before the time limit; -1 without one.
    long long MillisecondsLeft() const;
    // Stops a child that ran out of time.
    void StopForTime();
    // Waits for the child to end and tells how the document went.
    DocumentReport Finish();

    const ExtractRequest& Request() const { return request_; }

private:
    void Dispatch(const std::string& record, DocumentEvents& events);

    ExtractRequest request_;
    DocumentOutput output_;
    DocumentLimits limits_;
    pid_t child_ = -1;
    int channel_ = -1;
    std::string pending_;
    bool stoppedForTime_ = false;
    bool reported_ = false;
    DocumentReport report_;
    std::chrono::steady_clock::time_point started_;
};
