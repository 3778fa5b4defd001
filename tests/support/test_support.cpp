#include "tests/support/test_support.h"

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testing_support {

TempDir::TempDir(const std::string& parent) {
    std::filesystem::path base = parent.empty() ? std::filesystem::temp_directory_path() : std::filesystem::path(parent);
    std::string pattern = (base / "vellumin-test-XXXXXX").string();
    path_ = mkdtemp(&pattern[0]) ? pattern : std::string();
}

TempDir::~TempDir() {
    std::error_code ignored;
    // Make read-only folders writable again so that they can be removed.
    for (auto& entry : std::filesystem::recursive_directory_iterator(path_, ignored))
        if (entry.is_directory(ignored))
            std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

bool WriteFile(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary);
    out << content;
    return static_cast<bool>(out);
}

std::vector<std::string> ListFiles(const std::string& dir) {
    std::vector<std::string> names;
    std::error_code ignored;
    for (auto& entry : std::filesystem::directory_iterator(dir, ignored))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string CorpusDir() {
    const char* chosen = std::getenv("VELLUMIN_CORPUS_DIR");
    return chosen && *chosen ? chosen : VELLUMIN_CORPUS_DIR;
}
std::string FixtureDir() { return VELLUMIN_FIXTURE_DIR; }

std::vector<std::string> CorpusFiles(std::initializer_list<const char*> names) {
    std::vector<std::string> paths;
    for (const char* name : names)
        paths.push_back(CorpusDir() + "/" + name);
    return paths;
}

bool HaveCorpus() { return !ListFiles(CorpusDir()).empty(); }

bool IsDoneMarker(const std::string& name) {
    const std::string end = "vellumin-done.json";
    return name[0] == '.' && name.size() > end.size() && name.compare(name.size() - end.size(), end.size(), end) == 0;
}

std::vector<std::string> ListOutputFiles(const std::string& dir) {
    std::vector<std::string> files = ListFiles(dir);
    files.erase(std::remove_if(files.begin(), files.end(), IsDoneMarker), files.end());
    return files;
}

std::map<std::string, std::string> FolderContents(const std::string& dir) {
    std::map<std::string, std::string> files;
    for (const std::string& name : ListFiles(dir))
        files[name] = ReadFile(dir + "/" + name);
    return files;
}

FileSizeLimit::FileSizeLimit(unsigned long long bytes, PastTheLimit past) {
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    previousSoft_ = limit.rlim_cur;
    hard_ = limit.rlim_max;
    previousAction_ = std::signal(SIGXFSZ, past == PastTheLimit::Fails ? SIG_IGN : SIG_DFL);
    limit.rlim_cur = std::min<rlim_t>(bytes, limit.rlim_max);
    setrlimit(RLIMIT_FSIZE, &limit);
}

FileSizeLimit::~FileSizeLimit() {
    const rlimit limit{previousSoft_, hard_};
    setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, previousAction_);
}

ScopedEnvironment::ScopedEnvironment(const char* name, const char* value) : name_(name) { setenv(name, value, 1); }

ScopedEnvironment::~ScopedEnvironment() { unsetenv(name_); }

int EndedProcessId() {
    const pid_t child = fork();
    if (child == 0)
        _exit(0);
    waitpid(child, nullptr, 0);
    return child;
}

} // namespace testing_support
