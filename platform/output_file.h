#pragma once
// A file written under a temporary name beside its target and renamed into
// place once it is complete. A link planted at the target name is replaced,
// never followed, and a run cut short leaves no partial file under the final
// name. The temporary name is hidden and short (".vellumin-PID-N.part"), so
// that it fits wherever the target's name fits, and its writer holds a lock
// on it while writing, which tells a sweep that it is still alive.
#include <cstdio>
#include <set>
#include <string>

namespace platform {

class OutputFile {
public:
    // Creates the temporary file (exclusively, never through a link).
    explicit OutputFile(std::string targetPath);
    // Removes the temporary file unless it was committed.
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // The open stream, or null when the file could not be created.
    FILE* Stream() const { return file_; }
    // Flushes and closes the stream and renames the file into place. False,
    // with nothing left behind, when a write, the close or the rename failed.
    bool Commit();
    // The system's error number of the first failure, 0 while there is none.
    int Error() const { return error_; }
    // The system's text for it; a name too long says the limit it passed.
    std::string ErrorText() const;
    // Drops the file unwritten.
    void Discard();

private:
    void Unlock();

    std::string target_;
    std::string temporary_;
    FILE* file_ = nullptr;
    int locked_ = -1; // holds the file's lock until it is renamed or removed
    int error_ = 0;
};

// Removes the temporary files that the process with this id left in the
// folder when it was stopped before it could finish them.
void RemoveTemporaryFiles(const std::string& folder, int processId);
// Removes the temporary files that no writer holds locked: those that a
// process ended before it could clean up left behind. Their lock alone
// tells, whatever process their name gives: an ended process whose parent
// has not yet reaped it still has an id, and a writer on another machine
// sharing the folder has an id that means nothing here, but holds its lock.
void RemoveStaleTemporaryFiles(const std::string& folder);

// The stale temporary files removed from each output folder of a run: once
// before its first document writes there, and again when the run is over,
// for those whose writer still held them at first (the process of a run
// killed just before, not yet ended).
class StaleTemporarySweep {
public:
    void Before(const std::string& folder);
    void AfterRun();

private:
    std::set<std::string> folders_;
};

} // namespace platform
