#include "shell/recent_documents.h"

#include "platform/ini_profile.h"

#include <algorithm>

namespace {

const char kSection[] = "Recent Documents";

std::string Key(size_t index) { return "File" + std::to_string(index + 1); }

} // namespace

void RecentDocuments::Add(const std::string& path) {
    paths_.erase(std::remove(paths_.begin(), paths_.end(), path), paths_.end());
    paths_.insert(paths_.begin(), path);
    if (paths_.size() > kCount)
        paths_.resize(kCount);
}

void RecentDocuments::Load(const std::string& settingsPath) {
    std::vector<std::string> stored;
    for (size_t i = 0; i < kCount; ++i)
        if (const std::string path = platform::GetPrivateProfileString(kSection, Key(i), "", settingsPath); !path.empty())
            stored.push_back(path);
    paths_.clear();
    for (auto path = stored.rbegin(); path != stored.rend(); ++path)
        Add(*path);
}

void RecentDocuments::Save(const std::string& settingsPath) const {
    for (size_t i = 0; i < kCount; ++i)
        platform::WritePrivateProfileString(kSection, Key(i), i < paths_.size() ? paths_[i] : "", settingsPath);
}
