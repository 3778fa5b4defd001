#pragma once
// The documents added to the list last, most recent first, for File >
// Recent Documents: a document added again moves to the top, and only the
// last kCount stay. Kept in Settings.ini under [Recent Documents].
#include <string>
#include <vector>

class RecentDocuments {
public:
    static constexpr size_t kCount = 8;

    void Add(const std::string& path);
    const std::vector<std::string>& Paths() const { return paths_; }

    void Load(const std::string& settingsPath);
    void Save(const std::string& settingsPath) const;

private:
    std::vector<std::string> paths_;
};
