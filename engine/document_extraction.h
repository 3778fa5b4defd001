#pragma once
// Extracting the images of one document into its output directory.
#include "engine/convert_settings.h"
#include "engine/shared_directory_names.h"
#include "engine/user_feedback.h"

#include <string>

enum class ExtractOutcome {
    Extracted,  // pages rendered; outputDirectory says where the files went
    Skipped,    // not a valid document, or copying forbidden (a message was shown)
    RangeError, // the page range lies beyond the document (a message was shown)
};

struct ExtractRequest {
    std::string path;
    std::string ownerPassword;
    std::string userPassword;
    int fileNumber = 1; // 1-based position in the run, for the progress texts
    int fileCount = 1;
};

struct ExtractResult {
    ExtractOutcome outcome = ExtractOutcome::Skipped;
    std::string outputDirectory; // ends with '/'
    std::string imageRoot;       // prefix of every file name
    std::string imageTitle;      // the document's title in a shared directory, else empty
    int imagesWritten = 0;
    int imagesFailed = 0;
};

// Renders the chosen pages of one document into image files. When
// settings.outputDirectory names an existing directory, documents share it and
// each one's files are named after it (sharedNames keeps titles apart within a
// run); otherwise a directory named after the document is made beside it.
ExtractResult ExtractDocument(const ExtractRequest& request, const ConvertSettings& settings,
                              SharedDirectoryNames& sharedNames, MessageSink& messages, ProgressSink& progress);
