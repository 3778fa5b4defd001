#include "engine/job_paths.h"

#include "platform/file_path_info.h"
#include "platform/file_system.h"

#include <algorithm>

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

void JobPaths::ImportDirectory(const std::string& dir, MessageSink& messages) {
    std::string prefix = platform::WithTrailingSlash(dir);
    for (const platform::DirectoryEntry& entry : platform::ListDirectory(dir)) {
        if (entry.isDirectory)
            ImportDirectory(prefix + entry.name, messages);
        else if (HasPdfExtension(entry.name))
            AddIfNew(prefix + entry.name, messages);
    }
}
