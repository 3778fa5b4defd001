#pragma once
// Extracting the images of one document into its output directory.
#include "engine/settings/convert_settings.h"
#include "engine/run/document_output.h"
#include "engine/dump/image_handoff.h"
#include "engine/run/page_rendering.h"
#include "engine/settings/user_feedback.h"

#include <memory>
#include <string>
#include <vector>

class PDFDoc;

enum class ExtractOutcome {
    Extracted,  // pages rendered; outputDirectory says where the files went
    Skipped,    // unreadable, not a valid document, no pages, copying forbidden, or an output folder
                // that cannot be made (a message was shown)
    RangeError, // the page range lies beyond the document (a message was shown)
};

struct ExtractRequest {
    std::string path;
    std::string ownerPassword;
    std::string userPassword;
    int fileNumber = 1; // 1-based position in the run, for the progress texts
    int fileCount = 1;
    int pageThreads = 1; // pages rendered side by side; 1 renders them in order on the calling thread
    int listOnly = 0;    // 1: the images are listed (DocumentReport::images), nothing is written
    int recordImages = 0; // 1: the extraction keeps an entry of the catalogue for each image (see RunDocument)
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
    int imagesBelowMinimum = 0; // left without a file for their size
    int imagesRepeated = 0;     // left without a file for repeating another
    int imagesKeptStored = 0;   // written in their stored encodings
    std::vector<ImageEntry> images; // with recordImages: what the dump did with each image
};

// The share of the run finished when this document starts, in percent: the
// documents before it.
int FinishedPercent(const ExtractRequest& request);

// The document's path as opened and the pages a run takes.
struct ChosenPages {
    std::string path;
    PageRange pages;
    ExtractOutcome refusal = ExtractOutcome::Skipped; // why the document was not opened
};

// Opens the document with the request's passwords and settles the pages the
// settings choose. Null, with the message shown and the refusal in chosen,
// when it is unreadable, not a valid document, forbids copying, has no pages
// or lies short of the range.
std::unique_ptr<PDFDoc> OpenChosenPages(const ExtractRequest& request, const ConvertSettings& settings,
                                        MessageSink& messages, ChosenPages* chosen);

// Renders the chosen pages of one document into image files at the place
// planned for it (see OutputPlanner), making its directory when missing.
// The images go to the handoff too, when one is given (see ImageDumpDev).
ExtractResult ExtractDocument(const ExtractRequest& request, const ConvertSettings& settings,
                              const DocumentOutput& output, MessageSink& messages, ProgressSink& progress,
                              ImageHandoff* handoff = nullptr);
