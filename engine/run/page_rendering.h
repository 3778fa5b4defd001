#pragma once
// Rendering the chosen pages of a document into image dump devices, in order
// on the calling thread, or on several threads side by side with the same
// files: a first pass counts the images of each page without decoding them,
// so that every page knows the number its first image takes.
#include "engine/dump/image_dump_dev.h"
#include "engine/catalogue/image_entry.h"
#include "engine/dump/image_handoff.h"
#include "engine/settings/user_feedback.h"

#include <string>
#include <vector>

class PDFDoc;

struct PageRange {
    int first = 1;
    int last = 1;
};

struct ImageDestination {
    std::string root;             // prefix of every file name
    bool passJpeg = true;         // stored JPEG data is copied
    ImageHandoff* handoff = nullptr;
    ImageSelection selection;
    bool record = false;          // an entry of the catalogue is kept for each image
    int masks = MASKS_NONE;       // what becomes of the masks that images are drawn through
    bool asShown = false;         // files are turned as the page shows them
    bool keepStored = false;      // images keep their stored encodings (see ImageDumpDev)
};

// What the dump devices counted (see ImageDumpDev).
struct RenderedImages {
    int written = 0;
    int failed = 0;
    std::string failureReason; // of the first failed image
    int damaged = 0;
    int belowMinimum = 0;
    int repeated = 0;
    int keptStored = 0;
    std::vector<ImageEntry> images; // when recorded, in the order of their numbers

    void Add(RenderedImages more);
};

// Renders the pages, reporting "Page k of m, q%" to the Current indicator
// after each. With threads > 1 (and default names and every repeat written:
// templated names and first uses are settled in the order of the images), the other threads open the document at path
// with the passwords on their own; there are no more threads than processors
// this process may use, and a thread the system refuses leaves its pages to
// the others.
RenderedImages RenderPages(PDFDoc& document, const std::string& path, const std::string& ownerPassword,
                           const std::string& userPassword, PageRange pages, const ImageDestination& destination,
                           ProgressSink& progress, int threads);
