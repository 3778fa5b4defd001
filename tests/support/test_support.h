#pragma once
// Helpers shared by the tests: temporary folders, file contents, and sinks
// that record what the engine shows.
#include "engine/settings/user_feedback.h"

#include <initializer_list>
#include <map>
#include <string>
#include <vector>

namespace testing_support {

// A fresh directory removed with everything in it at the end of the scope.
class TempDir {
public:
    // Made under parent, by default the system's temporary folder.
    explicit TempDir(const std::string& parent = {});
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    // path() + "/" + name
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

std::string ReadFile(const std::string& path);
bool WriteFile(const std::string& path, const std::string& content);
// Names of the files in a directory, sorted.
std::vector<std::string> ListFiles(const std::string& dir);
// The id of a process that has just ended, such as a killed run's.
int EndedProcessId();
// Whether a file name is that of a document's done marker.
bool IsDoneMarker(const std::string& name);
// The same without the done markers: the files a run wrote for the person.
std::vector<std::string> ListOutputFiles(const std::string& dir);

// What a write past a FileSizeLimit does: fail with "File too large", as a
// full disk refuses it, or also raise SIGXFSZ, as under "ulimit -f" in a
// shell, which ends a process that does not ignore it.
enum class PastTheLimit { Fails, RaisesTheSignal };

// While it lives, no file of this process or of the processes it starts may
// grow past the given size.
class FileSizeLimit {
public:
    explicit FileSizeLimit(unsigned long long bytes, PastTheLimit past = PastTheLimit::Fails);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    unsigned long long previousSoft_, hard_;
    void (*previousAction_)(int);
};

// While it lives, an environment variable is set, which the processes this
// one starts inherit.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const char* value);
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    const char* name_;
};

// Whether a document process's memory limit applies: address-space limits
// cannot, under the sanitizers that reserve terabytes up front.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kMemoryLimitsApply = false;
#else
constexpr bool kMemoryLimitsApply = true;
#endif

class RecordingMessages : public MessageSink {
public:
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    std::vector<std::string> messages;
};

class RecordingProgress : public ProgressSink {
public:
    void SetTotal(const std::string& text, int position) override {
        total.push_back(text + "@" + std::to_string(position));
    }
    void SetCurrent(const std::string& text, int position) override {
        current.push_back(text + "@" + std::to_string(position));
    }
    std::vector<std::string> total;
    std::vector<std::string> current;
};

// Folder of the read-only corpus of real PDFs (VELLUMIN_CORPUS_DIR in the
// environment overrides the built-in place), and of the committed fixtures.
std::string CorpusDir();
std::string FixtureDir();
// Paths of the named corpus documents; whether the corpus is here at all.
std::vector<std::string> CorpusFiles(std::initializer_list<const char*> names);
bool HaveCorpus();
// Byte-for-byte contents of every file below a folder, by relative path.
std::map<std::string, std::string> FolderContents(const std::string& dir);

} // namespace testing_support
