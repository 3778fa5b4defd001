#include "platform/file_system.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
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

bool CreateDirectoryPath(const std::string& path, int* error) {
    for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1))
        mkdir(path.substr(0, slash).c_str(), 0777);
    const bool made = mkdir(path.c_str(), 0777) == 0;
    const int reason = made ? 0 : errno;
    if (DirectoryExists(path))
        return true;
    if (error)
        *error = reason ? reason : ENOTDIR;
    return false;
}

bool DeleteFile(const std::string& path) { return unlink(path.c_str()) == 0; }

bool IsDirectoryWritable(const std::string& path) {
    return DirectoryExists(path) && access(path.c_str(), W_OK | X_OK) == 0;
}

std::string ReasonNotFound(const std::string& path) {
    struct stat info;
    if (stat(path.c_str(), &info) == 0)
        return {};
    return std::strerror(errno);
}

std::string SystemErrorText(int error) {
    char buffer[256];
    return strerror_r(error, buffer, sizeof buffer); // the GNU form answers the text
}

std::string ReasonNotReadable(const std::string& path) {
    struct stat info;
    if (stat(path.c_str(), &info) != 0)
        return std::string("Cannot read this file: ") + std::strerror(errno) + ".";
    if (!S_ISREG(info.st_mode))
        return "Not a regular file.";
    // Opened without waiting, as a check only: the PDF engine opens it again.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return std::string("Cannot read this file: ") + std::strerror(errno) + ".";
    close(fd);
    return {};
}

std::vector<DirectoryEntry> ListDirectory(const std::string& path, int* error) {
    std::vector<DirectoryEntry> entries;
    DIR* dir = opendir(path.c_str());
    if (!dir) {
        if (error)
            *error = errno;
        return entries;
    }
    std::string prefix = WithTrailingSlash(path);
    while (dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        DirectoryEntry listed{name, entry->d_type == DT_DIR, entry->d_type == DT_LNK, entry->d_type == DT_REG};
        if (entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK) {
            struct stat info;
            const bool known = stat((prefix + name).c_str(), &info) == 0;
            listed.isDirectory = known && S_ISDIR(info.st_mode);
            listed.isRegularFile = known && S_ISREG(info.st_mode);
            if (entry->d_type == DT_UNKNOWN) {
                struct stat own;
                listed.isLink = lstat((prefix + name).c_str(), &own) == 0 && S_ISLNK(own.st_mode);
            }
        }
        entries.push_back(listed);
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
