#pragma once
// Files and directories: existence tests, creation, listing, deletion.
#include <string>
#include <vector>

namespace platform {

bool PathExists(const std::string& path);
bool DirectoryExists(const std::string& path);
// Creates one directory level; false when it could not be made.
bool CreateDirectory(const std::string& path);
// Creates the directory with every missing parent; true when it exists
// afterwards. Otherwise error, when given, receives the system's error number.
bool CreateDirectoryPath(const std::string& path, int* error = nullptr);
bool DeleteFile(const std::string& path);
// True when a file can be created in the directory.
bool IsDirectoryWritable(const std::string& path);

// Empty when the path names a regular file (links followed) that this
// process may read; otherwise a sentence that says why not, with the
// system's reason ("Cannot read this file: Permission denied.").
std::string ReasonNotReadable(const std::string& path);
// The system's reason why the path cannot be looked at ("No such file or
// directory"), or empty when it can.
std::string ReasonNotFound(const std::string& path);
// The system's text for an error number ("No space left on device"), safe
// on any thread.
std::string SystemErrorText(int error);

struct DirectoryEntry {
    std::string name;
    bool isDirectory = false; // links followed
    bool isLink = false;
    bool isRegularFile = false; // links followed
};

// The entries of a directory in the order the file system returns them,
// without "." and "..". Empty when the directory cannot be read; then error,
// when given, receives the system's error number.
std::vector<DirectoryEntry> ListDirectory(const std::string& path, int* error = nullptr);

// What a path names after links are followed: the same device and inode is
// the same file or directory, whatever the spelling. Zero when it cannot be read.
struct FileIdentity {
    unsigned long long device = 0, inode = 0;
    bool operator<(const FileIdentity& o) const { return device != o.device ? device < o.device : inode < o.inode; }
};
FileIdentity IdentityOf(const std::string& path);

// The directory of the running executable, ending with '/'.
std::string ModuleDirectory();

// path with a '/' appended unless it already ends with one.
std::string WithTrailingSlash(const std::string& path);

} // namespace platform
