#pragma once
// Repeats across the documents of a run, when repeats are compared by their
// pixels. Each document's process settles the repeats within it; the
// documents of a run may run side by side, so the run itself settles those
// across documents, taking each document's images in the order of the list
// once it has ended: the first image of the run keeps its file, as it would
// if the documents ran one after another.
#include "engine/run/document_run.h"

#include <map>
#include <string>

class RunWideRepeats {
public:
    // Removes the files of the document's images whose pixels an image of an
    // earlier document has, and lists them as its repeats; remembers the
    // document's other images. Takes the documents in the order of the run.
    void Settle(DocumentReport& report);

private:
    std::map<std::string, std::string> firstFiles_; // the pixels' hash, the file that holds them
};
