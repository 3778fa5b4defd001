#pragma once
// Path information of one file: its parts, size and creation time.
#include <cstdint>
#include <ctime>
#include <optional>
#include <string>

namespace platform {

class FilePathInfo {
public:
    // Surrounding double quotes are removed; the rest is split at the last '/'
    // (directory) and the last '.' of the file name (extension).
    explicit FilePathInfo(const std::string& path);

    const std::string& FullPath() const { return path_; }
    // Directory part as written, ending with '/', or empty for a bare file name.
    const std::string& Folder() const { return folder_; }
    // File name without its extension.
    const std::string& Title() const { return title_; }
    // Extension without its dot, empty when there is none.
    const std::string& Extension() const { return extension_; }
    // Title plus ".extension" when there is one.
    std::string FileName() const;

    // Size in bytes, 0 when the file cannot be read.
    std::uint64_t FileSize() const;
    // Birth time where the file system records one, otherwise the modification
    // time; nothing when the file cannot be read.
    std::optional<std::time_t> CreationTime() const;

private:
    std::string path_;
    std::string folder_;
    std::string title_;
    std::string extension_;
};

// The name's extension from its last '.' (the dot included), in lower case;
// empty when the last path component has no dot.
std::string LowerCaseExtension(const std::string& name);

} // namespace platform
