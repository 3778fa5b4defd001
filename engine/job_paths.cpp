#include "engine/job_paths.h"

#include "platform/file_path_info.h"
#include "platform/file_system.h"

#include <algorithm>
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
    std::set<platform::FileIdentity> folders, files;
};

int JobPaths::ImportDirectory(const std::string& dir, MessageSink& messages) {
    Visited visited;
    return ImportDirectory(dir, messages, visited);
}

int JobPaths::ImportDirectory(const std::string& dir, MessageSink& messages, Visited& visited) {
    // Unreadable identities (zero) are never taken for one another.
    auto firstVisit = [](std::set<platform::FileIdentity>& seen, const std::string& path) {
        const platform::FileIdentity identity = platform::IdentityOf(path);
        return identity.inode == 0 || seen.insert(identity).second;
    };
    if (!firstVisit(visited.folders, dir))
        return 0; // a link back into the search
    const std::string prefix = platform::WithTrailingSlash(dir);
    int found = 0;
    for (const platform::DirectoryEntry& entry : platform::ListDirectory(dir)) {
        const std::string path = prefix + entry.name;
        if (entry.isDirectory) {
            found += ImportDirectory(path, messages, visited);
        } else if (HasPdfExtension(entry.name) && firstVisit(visited.files, path)) {
            ++found;
            AddIfNew(path, messages);
        }
    }
    return found;
}
