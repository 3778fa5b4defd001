#pragma once
// One document processed from start to end, the same way for both front
// ends: its pages rendered into the dump device and, unless the format is
// the raw dump, each image converted on a second thread as soon as it is
// complete, then the pass over what is left in its directory. Run inside a
// child process by DocumentProcess, or directly.
#include "engine/document_extraction.h"
#include "engine/format_conversion.h"
#include "engine/user_feedback.h"

#include <string>

// What a front end hears of a document while it runs.
class DocumentEvents : public MessageSink, public ProgressSink {};

// How one document went.
struct DocumentReport {
    ExtractResult extraction;
    ConversionCounts conversion;
    std::string cutShort; // why the document stopped before its end; empty when it finished
    long long peakMemoryKb = 0; // the child's largest resident size, when it ran in one
};

DocumentReport RunDocument(const ExtractRequest& request, const DocumentOutput& output,
                           const ConvertSettings& settings, DocumentEvents& events);
