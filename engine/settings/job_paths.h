#pragma once
// The paths of a job list and the ways PDF files enter it.
#include "engine/settings/user_feedback.h"

#include <functional>
#include <string>
#include <vector>

// True when the name's extension (from its last '.') is ".pdf" in any case.
bool HasPdfExtension(const std::string& name);

class JobPaths {
public:
    const std::vector<std::string>& Paths() const { return paths_; }

    // Compares byte for byte (case matters); on a match tells the person
    // "File: <path> have been imported!" and answers true.
    bool IsAlreadyListed(const std::string& path, MessageSink& messages) const;

    // Appends the path unless it is already listed; true when it was added.
    bool AddIfNew(const std::string& path, MessageSink& messages);
    void RemoveAt(size_t index) { paths_.erase(paths_.begin() + static_cast<std::ptrdiff_t>(index)); }
    void Clear() { paths_.clear(); }

    // Searches dir depth first, in the order the file system lists it, and
    // adds every regular file with a ".pdf" extension that is not listed yet.
    // Links to folders are not followed, so the search never leaves the tree
    // it was given, and a file reached through several links counts once.
    // Folders that cannot be read and ".pdf" names that are no regular file
    // (a pipe, a device) are reported and, when leftOut is given, counted
    // there. Returns how many PDF files it found (listed before or not).
    int ImportDirectory(const std::string& dir, MessageSink& messages, int* leftOut = nullptr);

private:
    struct Visited;
    int ImportDirectory(const std::string& dir, MessageSink& messages, Visited& visited);
    std::vector<std::string> paths_;
};
