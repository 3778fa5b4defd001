#include "platform/file_system.h"

#include <cerrno>
#include <dirent.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

bool PathExists(const std::string& path) {
    struct stat info;
    return !path.empty() && stat(path.c_str(), &info) == 0;
}

bool DirectoryExists(const std::string& path) {
    struct stat info;
    return !path.empty() && stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool CreateDirectory(const std::string& path) { return mkdir(path.c_str(), 0777) == 0; }

bool CreateDirectoryPath(const std::string& path) {
    for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1))
        mkdir(path.substr(0, slash).c_str(), 0777);
    mkdir(path.c_str(), 0777);
    return DirectoryExists(path);
}

bool DeleteFile(const std::string& path) { return unlink(path.c_str()) == 0; }

bool IsDirectoryWritable(const std::string& path) {
    return DirectoryExists(path) && access(path.c_str(), W_OK | X_OK) == 0;
}

std::vector<DirectoryEntry> ListDirectory(const std::string& path) {
    std::vector<DirectoryEntry> entries;
    DIR* dir = opendir(path.c_str());
    if (!dir)
        return entries;
    std::string prefix = WithTrailingSlash(path);
    while (dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        bool isDirectory = entry->d_type == DT_DIR;
        if (entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK)
            isDirectory = DirectoryExists(prefix + name);
        entries.push_back({name, isDirectory});
    }
    closedir(dir);
    return entries;
}

FileIdentity IdentityOf(const std::string& path) {
    struct stat info;
    if (stat(path.c_str(), &info) != 0)
        return FileIdentity{};
    return FileIdentity{static_cast<unsigned long long>(info.st_dev), static_cast<unsigned long long>(info.st_ino)};
}

std::string ModuleDirectory() {
    char buffer[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length <= 0)
        return "./";
    std::string path(buffer, static_cast<size_t>(length));
    return path.substr(0, path.rfind('/') + 1);
}

std::string WithTrailingSlash(const std::string& path) {
    return (!path.empty() && path.back() == '/') ? path : path + "/";
}

} // namespace platform
