#pragma once
// A file written under a temporary name beside its target and renamed into
// place once it is complete. A link planted at the target name is replaced,
// never followed, and a run cut short leaves no partial file under the final
// name.
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
// killed before it could clean up left behind.
void RemoveStaleTemporaryFiles(const std::string& folder);

} // namespace platform
