#include "platform/output_file.h"

#include "platform/file_system.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <random>
#include <unistd.h>

namespace platform {

namespace {

// A short name of fixed form in the target's folder, so that it fits
// wherever the target's name fits: hidden, with no image extension so that no
// pass over the folder takes it for an image, and with the id of the process
// that writes it, so that a later run knows when it was left behind:
// ".vellumin-PID-TAG.part", TAG eight hexadecimal digits.
const char kTemporaryPrefix[] = ".vellumin-";
const char kTemporaryEnd[] = ".part";

std::string TemporaryName(const std::string& target, unsigned long tag) {
    const size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    char name[64];
    std::snprintf(name, sizeof name, "%s%ld-%08lx%s", kTemporaryPrefix, static_cast<long>(getpid()), tag & 0xffffffffUL,
                  kTemporaryEnd);
    return folder + name;
}

// The id of the process that wrote a temporary file of this name; 0 for
// any other name.
long WriterOfTemporary(const std::string& name) {
    const std::string prefix = kTemporaryPrefix, end = kTemporaryEnd;
    if (name.size() < prefix.size() + 10 + end.size() || name.compare(0, prefix.size(), prefix) != 0 ||
        name.compare(name.size() - end.size(), end.size(), end) != 0)
        return 0;
    const std::string middle = name.substr(prefix.size(), name.size() - prefix.size() - end.size());
    const size_t dash = middle.size() - 9;
    const std::string pid = middle.substr(0, dash), tag = middle.substr(dash + 1);
    if (middle[dash] != '-' || pid.find_first_not_of("0123456789") != std::string::npos ||
        tag.find_first_not_of("0123456789abcdef") != std::string::npos)
        return 0;
    return std::atol(pid.c_str());
}

// A file being written is locked by its writer; the lock is seen from any
// process, even on another machine sharing the folder, where the writer's id
// means nothing.
void LockWhileWritten(int fd) {
    struct flock whole {};
    whole.l_type = F_WRLCK;
    whole.l_whence = SEEK_SET;
    fcntl(fd, F_OFD_SETLK, &whole);
}

// Whether no process holds the lock of a temporary file; false when this
// cannot be known.
bool Unlocked(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct flock whole {};
    whole.l_type = F_WRLCK;
    whole.l_whence = SEEK_SET;
    const bool known = fcntl(fd, F_OFD_GETLK, &whole) == 0;
    close(fd);
    return known && whole.l_type == F_UNLCK;
}

template <typename Condition> void RemoveTemporaryFilesIf(const std::string& folder, Condition writtenBy) {
    for (const DirectoryEntry& entry : ListDirectory(folder))
        if (entry.isRegularFile && !entry.isLink)
            if (const long writer = WriterOfTemporary(entry.name); writer > 0)
                if (const std::string path = WithTrailingSlash(folder) + entry.name; writtenBy(writer, path))
                    unlink(path.c_str());
}

} // namespace

OutputFile::OutputFile(std::string targetPath) : target_(std::move(targetPath)) {
    static std::atomic<unsigned long> counter{std::random_device{}()};
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary_ = TemporaryName(target_, counter++);
        int fd = open(temporary_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0) {
            LockWhileWritten(fd);
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

std::string OutputFile::ErrorText() const {
    std::string text = SystemErrorText(error_);
    if (error_ != ENAMETOOLONG)
        return text;
    const size_t slash = target_.rfind('/');
    const std::string folder = slash == std::string::npos ? "./" : target_.substr(0, slash + 1);
    const size_t nameLength = target_.size() - folder.size();
    const long nameLimit = pathconf(folder.c_str(), _PC_NAME_MAX);
    if (static_cast<long>(nameLength) > (nameLimit > 0 ? nameLimit : NAME_MAX))
        return text + " (a name in " + folder + " may have at most " +
               std::to_string(nameLimit > 0 ? nameLimit : NAME_MAX) + " bytes)";
    return text + " (a path may have at most " + std::to_string(PATH_MAX) + " bytes)";
}

void RemoveTemporaryFiles(const std::string& folder, int processId) {
    RemoveTemporaryFilesIf(folder, [processId](long writer, const std::string&) { return writer == processId; });
}

void RemoveStaleTemporaryFiles(const std::string& folder) {
    RemoveTemporaryFilesIf(folder, [](long writer, const std::string& path) {
        return kill(static_cast<pid_t>(writer), 0) != 0 && errno == ESRCH && Unlocked(path);
    });
}

void StaleTemporarySweep::Before(const std::string& folder) {
    if (folder == sweptLast_)
        return;
    RemoveStaleTemporaryFiles(folder);
    sweptLast_ = folder;
}

} // namespace platform
