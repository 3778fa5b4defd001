#pragma once
// One document processed from start to end, the same way for both front
// ends: its pages rendered into the dump device and, unless the format is
// the raw dump, each image converted on a second thread as soon as it is
// complete, then the pass over what is left in its directory. Run inside a
// child process by DocumentProcess, or directly.
#include "engine/document_extraction.h"
#include "engine/image_entry.h"
#include "engine/format_conversion.h"
#include "engine/user_feedback.h"

#include <string>
#include <vector>

// What a front end hears of a document while it runs.
class DocumentEvents : public MessageSink, public ProgressSink {};

// How one document went.
struct DocumentReport {
    ExtractResult extraction;
    ConversionCounts conversion;
    std::string cutShort; // why the document stopped before its end; empty when it finished
    long long peakMemoryKb = 0; // the child's largest resident size, when it ran in one
    std::vector<ImageEntry> images; // the catalogue of a listing run
};

// The losses of a finished document, one sentence each: images that could
// not be written, and images kept as PBM/PGM/PPM files because they could not
// be converted to the format; none when nothing was lost.
std::vector<std::string> DescribeLosses(const DocumentReport& report, int format);

// Extracts the document, or lists its images when the request says so.
DocumentReport RunDocument(const ExtractRequest& request, const DocumentOutput& output,
                           const ConvertSettings& settings, DocumentEvents& events);
