#include "platform/output_file.h"

#include "platform/file_system.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
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

// A file being written is locked by its writer from the moment it is made
// until it is renamed into place or removed; the lock is seen from any
// process, even on another machine sharing the folder, where the writer's id
// means nothing, and it goes with its writer, however that ends. False when
// a sweep took the file first: it holds the file's lock, or has removed it
// already. A file system without locks leaves the file written unlocked.
bool LockForWriting(int fd) {
    struct flock whole {};
    whole.l_type = F_WRLCK;
    whole.l_whence = SEEK_SET;
    if (fcntl(fd, F_OFD_SETLK, &whole) != 0)
        return errno != EAGAIN && errno != EACCES;
    struct stat info;
    return fstat(fd, &info) != 0 || info.st_nlink > 0;
}

// Removes a temporary file whose lock no writer holds. The sweep holds the
// lock itself while it removes the file, so that a writer that has only
// just made it cannot take it (LockForWriting) and writes under another name.
void RemoveIfAbandoned(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return;
    struct flock whole {};
    whole.l_type = F_RDLCK;
    whole.l_whence = SEEK_SET;
    if (fcntl(fd, F_OFD_SETLK, &whole) == 0)
        unlink(path.c_str());
    close(fd);
}

template <typename Action> void ForEachTemporaryFile(const std::string& folder, Action action) {
    for (const DirectoryEntry& entry : ListDirectory(folder))
        if (entry.isRegularFile && !entry.isLink)
            if (const long writer = WriterOfTemporary(entry.name); writer > 0)
                action(writer, WithTrailingSlash(folder) + entry.name);
}

} // namespace

OutputFile::OutputFile(std::string targetPath) : target_(std::move(targetPath)) {
    static std::atomic<unsigned long> counter{std::random_device{}()};
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary_ = TemporaryName(target_, counter++);
        const int fd = open(temporary_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0 && errno == EEXIST)
            continue;
        if (fd < 0) {
            error_ = errno;
            return;
        }
        if (!LockForWriting(fd)) {
            close(fd);
            unlink(temporary_.c_str());
            continue;
        }
        // The stream has a descriptor of its own, so that closing it leaves
        // the lock held until the file is renamed.
        const int streamFd = fcntl(fd, F_DUPFD_CLOEXEC, 0);
        file_ = streamFd >= 0 ? fdopen(streamFd, "w+b") : nullptr; // readable too: some writers look at what the file holds
        if (!file_) {
            error_ = errno;
            if (streamFd >= 0)
                close(streamFd);
            close(fd);
            unlink(temporary_.c_str());
            return;
        }
        locked_ = fd;
        return;
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
    Unlock();
}

void OutputFile::Unlock() {
    close(locked_);
    locked_ = -1;
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
    if (error_)
        unlink(temporary_.c_str());
    Unlock();
    return !error_;
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
    ForEachTemporaryFile(folder, [processId](long writer, const std::string& path) {
        if (writer == processId)
            unlink(path.c_str());
    });
}

void RemoveStaleTemporaryFiles(const std::string& folder) {
    ForEachTemporaryFile(folder, [](long, const std::string& path) { RemoveIfAbandoned(path); });
}

void StaleTemporarySweep::Before(const std::string& folder) {
    if (folders_.insert(folder).second)
        RemoveStaleTemporaryFiles(folder);
}

void StaleTemporarySweep::AfterRun() {
    for (const std::string& folder : folders_)
        RemoveStaleTemporaryFiles(folder);
}

} // namespace platform
