#pragma once
// The report of a run (--report FILE): every image of every document, with
// what became of it, written as each document is reported, in one write per
// document, so that a run stopped midway leaves a whole report of the
// documents it finished. FILE.jsonl has one JSON object per image and one
// per document after its images; FILE.csv has the images only, after a
// header line.
#include "cli/document_outcome.h"
#include "cli/json_lines_file.h"
#include "engine/catalogue/image_entry.h"

#include <string>
#include <vector>

class ImageReport {
public:
    // Whether the name says a format the report can be written in.
    static bool KnownFormat(const std::string& path);
    // Makes the file afresh (and writes the CSV header); false, with the
    // system's reason, when it cannot.
    // withKept: the run keeps stored encodings, and the CSV has their columns.
    bool Open(const std::string& path, std::string* error, bool withKept = false);
    bool IsOpen() const { return file_.IsOpen(); }
    // Appends the document's images and, in JSON lines, its own line.
    bool Write(const DocumentOutcome& outcome, const std::vector<ImageEntry>& images, std::string* error);

private:
    JsonLinesFile file_;
    bool csv_ = false;
    bool withKept_ = false;
};
