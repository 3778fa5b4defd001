#pragma once
// One document processed from start to end, the same way for both front
// ends: its pages rendered into the dump device and, unless the format is
// the raw dump, each image converted on a second thread as soon as it is
// complete, then the pass over what is left in its directory. Run inside a
// child process by DocumentProcess, or directly.
#include "engine/run/document_extraction.h"
#include "engine/catalogue/image_entry.h"
#include "engine/dump/format_conversion.h"
#include "engine/settings/user_feedback.h"

#include <string>
#include <vector>

// What a front end hears of a document while it runs.
class DocumentEvents : public MessageSink, public ProgressSink {};

// What became of a document's images, as its folder shows them.
struct ImageCounts {
    int written = 0;   // in their final form: JPEG copies, converted files, or the PBM/PPM files of the raw dump
    int converted = 0; // converted to the format (other PBM/PGM/PPM files of its folder included)
    int kept = 0;      // could not be converted: their PBM/PGM/PPM files were kept
    int lost = 0;      // on the disk in no form
    int damaged = 0;   // passed over: their data in the document cannot be decoded
    int belowMinimum = 0; // left without a file for their size
    int repeated = 0;     // left without a file for repeating an image written before
    int keptStored = 0;   // written in their stored encodings, counted in written too
    std::string keptReason; // why the first kept image could not be converted
    std::string lostReason; // why the first lost image could not be written
};

// How one document went.
struct DocumentReport {
    ExtractResult extraction;
    ImageCounts images;
    std::string cutShort; // why the document stopped before its end; empty when it finished
    long long peakMemoryKb = 0; // the child's largest resident size, when it ran in one
    std::vector<ImageEntry> catalogue; // of a listing run, or of a run that records its images
    // What the child process's libraries wrote to its standard output or
    // error (their warnings, a fatal error's last words), line by line.
    std::vector<std::string> errorOutput;
};

// Whether images were lost or kept unconverted: what a rerun on a disk with
// room would put right, unlike damaged images.
bool LostImages(const ImageCounts& images);

// The line that says where a finished document's images went, the same in
// both front ends: "PATH: N images written to FOLDER", N counting the images
// on the disk in the format asked for, then in brackets "S images kept in
// their stored encoding" when some were, "M below the minimum size" and "K
// duplicates" when a minimum size or skipped repeats left some out.
std::string DescribeWritten(const std::string& path, const DocumentReport& report);

// What went wrong with a finished document's images, one sentence each, the
// same in both front ends: images that could not be written, images kept as
// PBM/PGM/PPM files because they could not be converted to the format, and
// images passed over because their data is damaged; none when all is well.
std::vector<std::string> DescribeImageProblems(const ImageCounts& images, int format);

// Extracts the document, or lists its images when the request says so. With
// recordImages, the catalogue holds what became of each image, its file
// settled as the disk shows it after the conversion (see SettleImageFiles).
DocumentReport RunDocument(const ExtractRequest& request, const DocumentOutput& output,
                           const ConvertSettings& settings, DocumentEvents& events);
