#include "cli/document_lock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A holder removes the file before it lets go: the file this run opened is
// the lock only while the path still names it.
bool StillNamed(int fd, const std::string& path) {
    struct stat opened, named;
    return fstat(fd, &opened) == 0 && stat(path.c_str(), &named) == 0 && opened.st_dev == named.st_dev &&
           opened.st_ino == named.st_ino;
}

} // namespace

DocumentLock::DocumentLock(std::string path) : path_(std::move(path)) {
    for (int attempt = 0; attempt < 16; ++attempt) {
        const int fd = open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd < 0)
            return;
        if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
            heldElsewhere_ = errno == EWOULDBLOCK;
            close(fd);
            return;
        }
        if (StillNamed(fd, path_)) {
            fd_ = fd;
            return;
        }
        close(fd);
    }
}

DocumentLock::~DocumentLock() {
    if (fd_ < 0)
        return;
    unlink(path_.c_str());
    close(fd_);
}
