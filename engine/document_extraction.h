#pragma once
// Extracting the images of one document into its output directory.
#include "engine/convert_settings.h"
#include "engine/document_output.h"
#include "engine/image_handoff.h"
#include "engine/user_feedback.h"

#include <string>

enum class ExtractOutcome {
    Extracted,  // pages rendered; outputDirectory says where the files went
    Skipped,    // unreadable, not a valid document, no pages, or copying forbidden (a message was shown)
    RangeError, // the page range lies beyond the document (a message was shown)
};

struct ExtractRequest {
    std::string path;
    std::string ownerPassword;
    std::string userPassword;
    int fileNumber = 1; // 1-based position in the run, for the progress texts
    int fileCount = 1;
    int pageThreads = 1; // pages rendered side by side; 1 renders them in order on the calling thread
};

struct ExtractResult {
    ExtractOutcome outcome = ExtractOutcome::Skipped;
    std::string outputDirectory; // ends with '/'
    std::string imageRoot;       // prefix of every file name
    std::string imageTitle;      // the document's title in a shared directory, else empty
    // As the dump device counted them (see ImageDumpDev).
    int imagesWritten = 0;
    int imagesFailed = 0;
    std::string failureReason;
    int imagesDamaged = 0;
};

// The share of the run finished when this document starts, in percent: the
// documents before it.
int FinishedPercent(const ExtractRequest& request);

// Renders the chosen pages of one document into image files at the place
// planned for it (see OutputPlanner), making its directory when missing.
// The images go to the handoff too, when one is given (see ImageDumpDev).
ExtractResult ExtractDocument(const ExtractRequest& request, const ConvertSettings& settings,
                              const DocumentOutput& output, MessageSink& messages, ProgressSink& progress,
                              ImageHandoff* handoff = nullptr);
