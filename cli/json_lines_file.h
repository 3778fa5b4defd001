#pragma once
// A file of JSON values, one per line, each line (or block of lines)
// appended with a single write so that a line is on disk as soon as it is
// written, and processes that append to the same file never mix their lines.
// A write the disk cuts short (full, or past the file-size limit) is taken
// back; a last line left without its line break all the same (a run killed
// while writing it) stays alone: the next block starts on a line of its own.
#include <nlohmann/json.hpp>
#include <string>

class JsonLinesFile {
public:
    JsonLinesFile() = default;
    ~JsonLinesFile();
    JsonLinesFile(const JsonLinesFile&) = delete;
    JsonLinesFile& operator=(const JsonLinesFile&) = delete;

    // Opens the file for appending, making it when missing, or emptied
    // first when fresh is set. False, with the system's reason in error,
    // when it cannot.
    bool Open(const std::string& path, std::string* error, bool fresh = false);
    bool IsOpen() const { return fd_ >= 0; }
    // Appends the value as one line; false, with the reason, when the write failed.
    bool Write(const nlohmann::json& value, std::string* error);
    // Appends text (whole lines) with one write.
    bool WriteText(const std::string& text, std::string* error);

private:
    int fd_ = -1;
};
