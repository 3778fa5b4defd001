#include "cli/json_lines_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The appenders of one file take turns, so that each sees the end the
// others left; a file that takes no lock is appended to all the same.
class AppendTurn {
public:
    explicit AppendTurn(int fd) : fd_(fd) { Set(F_WRLCK); }
    ~AppendTurn() { Set(F_UNLCK); }
    AppendTurn(const AppendTurn&) = delete;
    AppendTurn& operator=(const AppendTurn&) = delete;

private:
    void Set(short type) {
        struct flock whole {};
        whole.l_type = type;
        whole.l_whence = SEEK_SET;
        while (fcntl(fd_, F_OFD_SETLKW, &whole) != 0 && errno == EINTR) {
        }
    }
    int fd_;
};

// The size of a regular file; -1 for anything else (a pipe, a terminal).
off_t RegularFileSize(int fd) {
    struct stat info;
    return fstat(fd, &info) == 0 && S_ISREG(info.st_mode) ? info.st_size : -1;
}

// Whether the file's last byte is there and is no line break.
bool EndsInsideALine(int fd, off_t size) {
    char last = '\n';
    return size > 0 && pread(fd, &last, 1, size - 1) == 1 && last != '\n';
}

} // namespace

JsonLinesFile::~JsonLinesFile() {
    if (fd_ >= 0)
        close(fd_);
}

bool JsonLinesFile::Open(const std::string& path, std::string* error, bool fresh) {
    // Read too, to see how the file ends; write-only where it can only be written.
    const int flags = O_APPEND | O_CREAT | O_CLOEXEC | (fresh ? O_TRUNC : 0);
    fd_ = open(path.c_str(), O_RDWR | flags, 0666);
    if (fd_ < 0)
        fd_ = open(path.c_str(), O_WRONLY | flags, 0666);
    if (fd_ < 0)
        *error = std::strerror(errno);
    return fd_ >= 0;
}

bool JsonLinesFile::Write(const nlohmann::json& value, std::string* error) {
    // Paths are bytes: a name that is no valid UTF-8 is written with U+FFFD
    // rather than stopping the run.
    return WriteText(value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n", error);
}

bool JsonLinesFile::WriteText(const std::string& text, std::string* error) {
    const AppendTurn turn(fd_);
    const off_t size = RegularFileSize(fd_);
    const std::string block = EndsInsideALine(fd_, size) ? "\n" + text : text;
    for (size_t sent = 0; sent < block.size();) {
        const ssize_t n = write(fd_, block.data() + sent, block.size() - sent);
        if (n > 0) {
            sent += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        *error = n < 0 ? std::strerror(errno) : "the line was written in part";
        // What went in is taken back, unless another writer appended since.
        if (sent > 0 && size >= 0 && RegularFileSize(fd_) == size + static_cast<off_t>(sent)) {
            [[maybe_unused]] const int taken = ftruncate(fd_, size);
        }
        return false;
    }
    return true;
}
