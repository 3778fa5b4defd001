#include "platform/output_file.h"

#include "platform/file_system.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <random>
#include <unistd.h>

namespace platform {

namespace {

// A name in the target's folder that starts with a dot (hidden, and with no
// image extension, so that no pass over the folder takes it for an image):
// ".NAME.PID-TAG.part".
std::string TemporaryName(const std::string& target, unsigned long tag) {
    const size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    return folder + "." + name + "." + std::to_string(getpid()) + "-" + std::to_string(tag) + ".part";
}

bool IsTemporaryOf(const std::string& name, int processId) {
    const std::string marker = "." + std::to_string(processId) + "-";
    const std::string end = ".part";
    return name.size() > end.size() && name[0] == '.' && name.find(marker) != std::string::npos &&
           name.compare(name.size() - end.size(), end.size(), end) == 0;
}

} // namespace

OutputFile::OutputFile(std::string targetPath) : target_(std::move(targetPath)) {
    static std::atomic<unsigned long> counter{std::random_device{}()};
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary_ = TemporaryName(target_, counter++);
        int fd = open(temporary_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0) {
            file_ = fdopen(fd, "w+b"); // readable too: some writers look at what the file holds
            if (!file_) {
                error_ = errno;
                close(fd);
                unlink(temporary_.c_str());
            }
            return;
        }
        if (errno != EEXIST) {
            error_ = errno;
            return;
        }
    }
    error_ = EEXIST;
}

OutputFile::~OutputFile() { Discard(); }

void OutputFile::Discard() {
    if (!file_)
        return;
    std::fclose(file_);
    file_ = nullptr;
    unlink(temporary_.c_str());
}

bool OutputFile::Commit() {
    if (!file_)
        return false;
    if (std::ferror(file_) && !error_)
        error_ = errno ? errno : EIO;
    if (std::fflush(file_) != 0 && !error_)
        error_ = errno;
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (!closed && !error_)
        error_ = errno;
    if (!error_ && std::rename(temporary_.c_str(), target_.c_str()) != 0)
        error_ = errno;
    if (error_) {
        unlink(temporary_.c_str());
        return false;
    }
    return true;
}

void RemoveTemporaryFiles(const std::string& folder, int processId) {
    for (const DirectoryEntry& entry : ListDirectory(folder))
        if (entry.isRegularFile && !entry.isLink && IsTemporaryOf(entry.name, processId))
            unlink((WithTrailingSlash(folder) + entry.name).c_str());
}

} // namespace platform
