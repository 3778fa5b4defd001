#pragma once
// A run's hold on one document's output place while it runs it: the lock
// file (LockPath) is locked before anything of the document is removed and
// kept until its marker is written, so that a second run at the same time
// into the same place, or a job left over from an earlier run, neither
// removes the first one's files nor writes over them. The lock ends with the
// process that holds it, whatever ends that process.
#include <string>

class DocumentLock {
public:
    explicit DocumentLock(std::string path);
    ~DocumentLock();
    DocumentLock(const DocumentLock&) = delete;
    DocumentLock& operator=(const DocumentLock&) = delete;

    // Another process holds the lock. When the lock file cannot be made (a
    // folder that cannot be written), the run goes on without a lock and
    // meets the folder's own problem.
    bool HeldElsewhere() const { return heldElsewhere_; }

private:
    std::string path_;
    int fd_ = -1;
    bool heldElsewhere_ = false;
};
