#pragma once
// A file written under a temporary name beside its target and renamed into
// place once it is complete. A link planted at the target name is replaced,
// never followed, and a run cut short leaves no partial file under the final
// name. The temporary name is hidden and short (".vellumin-PID-N.part"), so
// that it fits wherever the target's name fits, and its writer holds a lock
// on it while writing, which tells a sweep that it is still alive.
#include <cstdio>
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
    std::string target_;
    std::string temporary_;
    FILE* file_ = nullptr;
    int error_ = 0;
};

// Removes the temporary files that the process with this id left in the
// folder when it was stopped before it could finish them.
void RemoveTemporaryFiles(const std::string& folder, int processId);
// Removes the temporary files of processes that are gone: those a run
// killed before it could clean up left behind. A file still locked by its
// writer (a process of another machine sharing the folder) stays.
void RemoveStaleTemporaryFiles(const std::string& folder);

// The stale temporary files removed from each output folder of a run before
// its documents write there. The documents of a run share one folder or have
// one each, so the folder swept last is not swept again: a run into one
// folder looks once, however many documents it holds.
class StaleTemporarySweep {
public:
    void Before(const std::string& folder);

private:
    std::string sweptLast_;
};

} // namespace platform
