#include "engine/run/repeated_content.h"

#include <unistd.h>

void RunWideRepeats::Settle(DocumentReport& report) {
    std::map<std::string, std::string> removed; // a file of this document, the earlier one that replaces it
    for (ImageEntry& entry : report.catalogue) {
        const bool repeat = entry.noFile == kRepeatedImage;
        if (entry.pixelsHash.empty()) {
            // A use of an object repeated within the document: its first use may have gone.
            if (const auto first = removed.find(entry.duplicateOf); repeat && first != removed.end())
                entry.duplicateOf = first->second;
            continue;
        }
        if (entry.file.empty() && !repeat)
            continue; // nothing written to compare with
        const auto first = firstFiles_.find(entry.pixelsHash);
        if (first == firstFiles_.end()) {
            firstFiles_.emplace(entry.pixelsHash, entry.file);
            continue;
        }
        if (!entry.file.empty() && entry.file != first->second) {
            unlink(entry.file.c_str());
            removed.emplace(entry.file, first->second);
            entry.file.clear();
            entry.fileBytes = -1;
            entry.sha256.clear();
            entry.noFile = kRepeatedImage;
            --report.images.written;
            ++report.images.repeated;
        }
        if (entry.noFile == kRepeatedImage)
            entry.duplicateOf = first->second;
    }
}
