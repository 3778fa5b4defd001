#include "cli/json_lines_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

JsonLinesFile::~JsonLinesFile() {
    if (fd_ >= 0)
        close(fd_);
}

bool JsonLinesFile::Open(const std::string& path, std::string* error, bool fresh) {
    fd_ = open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | (fresh ? O_TRUNC : 0), 0666);
    if (fd_ < 0)
        *error = std::strerror(errno);
    return fd_ >= 0;
}

bool JsonLinesFile::Write(const nlohmann::json& value, std::string* error) {
    // Paths are bytes: a name that is no valid UTF-8 is written with U+FFFD
    // rather than stopping the run.
    return WriteText(value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n", error);
}

bool JsonLinesFile::WriteText(const std::string& line, std::string* error) {
    for (;;) {
        const ssize_t n = write(fd_, line.data(), line.size());
        if (n == static_cast<ssize_t>(line.size()))
            return true;
        if (n < 0 && errno == EINTR)
            continue;
        *error = n < 0 ? std::strerror(errno) : "the line was written in part";
        return false;
    }
}
