#include "cli/document_list.h"

#include "platform/file_path_info.h"
#include "platform/file_system.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace {

// Longer than any path the system takes: such a line is passed over as it
// is read rather than held, so that a list without separators (a list of
// lines read with --null) cannot take the memory.
constexpr size_t kLongestLine = 65536;

} // namespace

DocumentList::DocumentList(std::vector<std::string> gathered) : gathered_(std::move(gathered)) {
    seen_.insert(gathered_.begin(), gathered_.end());
}

DocumentList::~DocumentList() {
    if (ownsList_)
        close(fd_);
}

bool DocumentList::OpenList(const std::string& listPath, bool nullSeparated, std::string* error) {
    separator_ = nullSeparated ? '\0' : '\n';
    if (listPath == "-") {
        fd_ = STDIN_FILENO;
        listName_ = "standard input";
        return true;
    }
    fd_ = open(listPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) {
        *error = std::strerror(errno);
        return false;
    }
    ownsList_ = true;
    listName_ = listPath;
    return true;
}

DocumentList::State DocumentList::NextLine(std::string* line, bool* tooLong) {
    for (;;) {
        const size_t end = buffer_.find(separator_, bufferStart_);
        if (end != std::string::npos || (listEnded_ && (bufferStart_ < buffer_.size() || skippingLongLine_))) {
            const size_t stop = end == std::string::npos ? buffer_.size() : end;
            line->assign(buffer_, bufferStart_, stop - bufferStart_);
            *tooLong = skippingLongLine_ || line->size() > kLongestLine;
            skippingLongLine_ = false;
            bufferStart_ = stop + 1;
            ++lineNumber_;
            return State::Ready;
        }
        if (bufferStart_ < buffer_.size() && buffer_.size() - bufferStart_ > kLongestLine) {
            skippingLongLine_ = true;
            bufferStart_ = buffer_.size();
        }
        if (fd_ < 0 || listEnded_)
            return State::Ended;
        // Only what was taken is dropped, so the buffer holds at most one
        // path and one read.
        buffer_.erase(0, std::min(bufferStart_, buffer_.size()));
        bufferStart_ = 0;
        pollfd ready{fd_, POLLIN, 0};
        if (poll(&ready, 1, 0) == 0)
            return State::Waiting;
        char chunk[65536];
        const ssize_t n = read(fd_, chunk, sizeof chunk);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            return State::Waiting;
        if (n < 0)
            readError_ = errno;
        if (n <= 0)
            listEnded_ = true;
        else
            buffer_.append(chunk, static_cast<size_t>(n));
    }
}

DocumentList::State DocumentList::Next(ListedDocument* entry) {
    if (nextGathered_ < gathered_.size()) {
        *entry = {place_++, gathered_[nextGathered_++], {}, false};
        if (nextGathered_ == gathered_.size())
            std::vector<std::string>().swap(gathered_); // only the list's bookkeeping stays
        return State::Ready;
    }
    std::string line;
    bool tooLong = false;
    if (const State state = NextLine(&line, &tooLong); state != State::Ready)
        return state;
    entry->place = place_++;
    entry->problem.clear();
    entry->repeated = false;
    if (line.empty() || tooLong) {
        entry->path = listName_ + ", line " + std::to_string(lineNumber_);
        entry->problem = tooLong ? "Too long to name a file." : "Names no file.";
        return State::Ready;
    }
    entry->path = platform::FilePathInfo(line).FullPath();
    if (const std::string missing = platform::ReasonNotFound(entry->path); !missing.empty())
        entry->problem = missing + ".";
    else if (platform::DirectoryExists(entry->path))
        entry->problem = "A folder: the list takes one PDF file per line.";
    else if (const std::string unreadable = platform::ReasonNotReadable(entry->path); !unreadable.empty())
        entry->problem = unreadable;
    else
        entry->repeated = !seen_.insert(entry->path).second;
    return State::Ready;
}

bool DocumentList::NextWaiting(ListedDocument* entry) {
    for (;;) {
        const State state = Next(entry);
        if (state != State::Waiting)
            return state == State::Ready;
        pollfd ready{fd_, POLLIN, 0};
        poll(&ready, 1, -1);
    }
}

bool DocumentList::ReadFailed(std::string* error) const {
    if (readError_ == 0)
        return false;
    *error = "Cannot read the list " + listName_ + ": " + std::strerror(readError_) + ".";
    return true;
}
