#include "engine/settings/job_paths.h"
#include "engine/settings/natural_order.h"

#include "platform/file_path_info.h"
#include "platform/file_system.h"

#include <algorithm>
#include <cstring>
#include <set>

bool HasPdfExtension(const std::string& name) { return platform::LowerCaseExtension(name) == ".pdf"; }

bool JobPaths::IsAlreadyListed(const std::string& path, MessageSink& messages) const {
    if (std::find(paths_.begin(), paths_.end(), path) == paths_.end())
        return false;
    messages.ShowMessage("File: " + path + " have been imported!");
    return true;
}

bool JobPaths::AddIfNew(const std::string& path, MessageSink& messages) {
    if (IsAlreadyListed(path, messages))
        return false;
    paths_.push_back(path);
    return true;
}

struct JobPaths::Visited {
    std::set<platform::FileIdentity> files;
    int leftOut = 0;
};

int JobPaths::ImportDirectory(const std::string& dir, MessageSink& messages, int* leftOut) {
    Visited visited;
    const int found = ImportDirectory(dir, messages, visited);
    if (leftOut)
        *leftOut += visited.leftOut;
    return found;
}

int JobPaths::ImportDirectory(const std::string& dir, MessageSink& messages, Visited& visited) {
    int error = 0;
    std::vector<platform::DirectoryEntry> entries = platform::ListDirectory(dir, &error);
    if (error != 0) {
        messages.ShowError("Cannot read the folder " + dir + ": " + std::strerror(error) + ".");
        ++visited.leftOut;
        return 0;
    }
    // In the order of their names, as people number them (doc-2 before doc-10).
    std::sort(entries.begin(), entries.end(), [](const platform::DirectoryEntry& a, const platform::DirectoryEntry& b) {
        return NaturalLess(a.name, b.name);
    });
    const std::string prefix = platform::WithTrailingSlash(dir);
    int found = 0;
    for (const platform::DirectoryEntry& entry : entries) {
        const std::string path = prefix + entry.name;
        if (entry.isDirectory) {
            if (!entry.isLink)
                found += ImportDirectory(path, messages, visited);
        } else if (HasPdfExtension(entry.name)) {
            if (!entry.isRegularFile) {
                messages.ShowError(path + ": not a regular file; it is left out.");
                ++visited.leftOut;
            } else if (visited.files.insert(platform::IdentityOf(path)).second) {
                ++found;
                AddIfNew(path, messages);
            }
        }
    }
    return found;
}
