#include "platform/file_path_info.h"

#include <cctype>
#include <fcntl.h>
#include <sys/stat.h>

namespace platform {

std::string LowerCaseExtension(const std::string& name) {
    size_t dot = name.rfind('.');
    if (dot == std::string::npos || name.find('/', dot) != std::string::npos)
        return {};
    std::string extension = name.substr(dot);
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension;
}

FilePathInfo::FilePathInfo(const std::string& path) : path_(path) {
    if (path_.size() >= 2 && path_.front() == '"' && path_.back() == '"')
        path_ = path_.substr(1, path_.size() - 2);
    size_t slash = path_.rfind('/');
    std::string name = path_;
    if (slash != std::string::npos) {
        folder_ = path_.substr(0, slash + 1);
        name = path_.substr(slash + 1);
    }
    size_t dot = name.rfind('.');
    if (dot == std::string::npos) {
        title_ = name;
    } else {
        title_ = name.substr(0, dot);
        extension_ = name.substr(dot + 1);
    }
}

std::string FilePathInfo::FileName() const { return extension_.empty() ? title_ : title_ + "." + extension_; }

std::uint64_t FilePathInfo::FileSize() const {
    struct stat info;
    if (stat(path_.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return 0;
    return static_cast<std::uint64_t>(info.st_size);
}

std::optional<std::time_t> FilePathInfo::CreationTime() const {
    struct statx info;
    if (statx(AT_FDCWD, path_.c_str(), 0, STATX_BTIME | STATX_MTIME, &info) != 0)
        return std::nullopt;
    if (info.stx_mask & STATX_BTIME)
        return static_cast<std::time_t>(info.stx_btime.tv_sec);
    return static_cast<std::time_t>(info.stx_mtime.tv_sec);
}

} // namespace platform
