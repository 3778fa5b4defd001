#pragma once
// The documents of a run in the order given: those named on the command line
// (folders searched before the run starts), then those of a list file, read
// one path at a time as the run asks for them, so that a list of any length
// neither waits to be read whole nor is held in memory. Reading never
// blocks: a list that comes from a pipe is waited for beside the documents
// that run.
#include "engine/settings/user_feedback.h"

#include <string>
#include <unordered_set>
#include <vector>

struct ListedDocument {
    long long place = 0;  // position in the run's list, counted from 0
    std::string path;     // the full path
    std::string problem;  // why the entry cannot run ("No such file or directory."), else empty
    bool repeated = false; // the path was listed before: nothing to do
};

class DocumentList {
public:
    // The documents gathered from the command line come first.
    explicit DocumentList(std::vector<std::string> gathered);
    ~DocumentList();
    DocumentList(const DocumentList&) = delete;
    DocumentList& operator=(const DocumentList&) = delete;

    // Reads the list after the gathered documents: one path per line, or per
    // NUL-ended string; "-" reads standard input. False, with the system's
    // reason in error, when the list cannot be opened.
    bool OpenList(const std::string& listPath, bool nullSeparated, std::string* error);
    enum class State { Ready, Waiting, Ended };
    // The next entry when one is ready; Waiting while the list's writer has
    // not written the next path yet (wait on Channel()); Ended at the end.
    State Next(ListedDocument* entry);
    // The same, waiting as long as it takes: true with an entry, false at the end.
    bool NextWaiting(ListedDocument* entry);
    // The list's descriptor, to wait on while Next answers Waiting.
    int Channel() const { return fd_; }
    // False once a read of the list failed; error says why.
    bool ReadFailed(std::string* error) const;

private:
    // tooLong: the line was longer than a path can be; it is not kept.
    State NextLine(std::string* line, bool* tooLong);

    std::vector<std::string> gathered_;
    size_t nextGathered_ = 0;
    int fd_ = -1;
    bool ownsList_ = false;
    bool listEnded_ = false;
    bool skippingLongLine_ = false;
    char separator_ = '\n';
    std::string listName_;
    long long lineNumber_ = 0;
    int readError_ = 0;
    std::string buffer_;    // read and not yet taken, from bufferStart_
    size_t bufferStart_ = 0;
    long long place_ = 0;
    std::unordered_set<std::string> seen_;
};
