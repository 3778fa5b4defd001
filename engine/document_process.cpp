#include "engine/document_process.h"

#include "engine/pdf_engine.h"
#include "platform/output_file.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <new>
#include <sstream>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Records are lines: a letter, a number, a space and a text with '\' and
// line breaks escaped. M: a message; T, C: the Total and Current progress
// (position, text); R: the result (outcome, then "written failed converted
// conversion-failed" and the output directory as text).
std::string Escape(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out;
}

std::string Unescape(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            ++i;
            out += text[i] == 'n' ? '\n' : text[i];
        } else {
            out += text[i];
        }
    }
    return out;
}

// The child's side: everything it has to say goes into the pipe.
class PipeWriter : public DocumentEvents {
public:
    explicit PipeWriter(int fd) : fd_(fd) {}
    void ShowMessage(const std::string& text) override { Send('M', 0, text); }
    void SetTotal(const std::string& text, int position) override { Send('T', position, text); }
    void SetCurrent(const std::string& text, int position) override { Send('C', position, text); }
    void Send(char kind, long long number, const std::string& text) {
        const std::string record = kind + std::to_string(number) + " " + Escape(text) + "\n";
        for (size_t sent = 0; sent < record.size();) {
            const ssize_t n = write(fd_, record.data() + sent, record.size() - sent);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                _exit(1); // the parent is gone
            sent += static_cast<size_t>(n);
        }
    }

private:
    int fd_;
};

// Address-space limits cannot work under the address sanitizer, which
// reserves terabytes up front; there the time limit alone applies.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kCanLimitMemory = false;
#else
constexpr bool kCanLimitMemory = true;
#endif

// How a child ends when its work threw: out of memory, or anything else.
constexpr int kOutOfMemory = 3;
constexpr int kFailed = 4;

void SendResult(PipeWriter& pipe, const ExtractResult& result, const ConversionCounts& conversion) {
    std::ostringstream counts;
    counts << result.imagesWritten << ' ' << result.imagesFailed << ' ' << conversion.converted << ' '
           << conversion.failed << ' ' << result.outputDirectory;
    pipe.Send('R', static_cast<int>(result.outcome), counts.str());
}

void ExtractAndConvert(int fd, const ExtractRequest& request, const DocumentOutput& output,
                       const ConvertSettings& settings) {
    PipeWriter pipe(fd);
    const DocumentReport report = RunDocument(request, output, settings, pipe);
    SendResult(pipe, report.extraction, report.conversion);
}

// The child's whole life: nothing it throws may unwind into the code that
// forked it, which would then go on as a second copy of the parent.
[[noreturn]] void RunChild(pid_t parent, int fd, const ExtractRequest& request, const DocumentOutput& output,
                           const ConvertSettings& settings, const DocumentLimits& limits) {
    // The child ends with its parent, whatever ends the parent: no one else
    // would watch its time. The signal follows the thread that forked, which
    // waits for the child before it ends. A parent gone before the call left
    // the child to another process already.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent)
        _exit(kFailed);
    // A Ctrl+C reaches the whole process group; the parent ends its
    // children itself and cleans up after them.
    signal(SIGINT, SIG_IGN);
    signal(SIGTERM, SIG_DFL);
    if (kCanLimitMemory && limits.memoryMb > 0) {
        const rlim_t bytes = static_cast<rlim_t>(limits.memoryMb) * 1024 * 1024;
        rlimit memory{bytes, bytes};
        setrlimit(RLIMIT_AS, &memory);
    }
    try {
        ExtractAndConvert(fd, request, output, settings);
    } catch (const std::bad_alloc&) {
        _exit(kOutOfMemory);
    } catch (...) {
        _exit(kFailed);
    }
    _exit(0);
}

std::string SignalName(int number) {
    const char* name = strsignal(number);
    return name ? name : "unknown signal";
}

} // namespace

DocumentProcess::DocumentProcess(const ExtractRequest& request, const DocumentOutput& output,
                                 const ConvertSettings& settings, const DocumentLimits& limits)
    : request_(request), output_(output), limits_(limits), started_(std::chrono::steady_clock::now()) {
    PreparePdfEngine(); // once, in the parent, before any child exists
    int fds[2];
    if (pipe(fds) != 0) {
        report_.cutShort = std::string("Cannot start its work: ") + std::strerror(errno) + ".";
        return;
    }
    std::fflush(nullptr); // nothing buffered is written twice
    const pid_t parent = getpid();
    child_ = fork();
    if (child_ == 0) {
        close(fds[0]);
        RunChild(parent, fds[1], request, output, settings, limits);
    }
    close(fds[1]);
    if (child_ < 0) {
        report_.cutShort = std::string("Cannot start its work: ") + std::strerror(errno) + ".";
        close(fds[0]);
        return;
    }
    channel_ = fds[0];
}

DocumentProcess::~DocumentProcess() {
    if (child_ > 0) { // a run that stops early stops the documents still running
        kill(child_, SIGKILL);
        waitpid(child_, nullptr, 0);
        platform::RemoveTemporaryFiles(output_.outputDirectory, child_);
    }
    if (channel_ >= 0)
        close(channel_);
}

bool DocumentProcess::Read(DocumentEvents& events) {
    if (channel_ < 0)
        return false;
    char buffer[4096];
    const ssize_t n = read(channel_, buffer, sizeof buffer);
    if (n < 0 && (errno == EINTR || errno == EAGAIN))
        return true;
    if (n <= 0)
        return false;
    pending_.append(buffer, static_cast<size_t>(n));
    for (size_t end; (end = pending_.find('\n')) != std::string::npos;) {
        Dispatch(pending_.substr(0, end), events);
        pending_.erase(0, end + 1);
    }
    return true;
}

void DocumentProcess::Dispatch(const std::string& record, DocumentEvents& events) {
    const size_t space = record.find(' ');
    if (record.empty() || space == std::string::npos)
        return;
    const long long number = std::atoll(record.substr(1, space - 1).c_str());
    const std::string text = Unescape(record.substr(space + 1));
    switch (record[0]) {
    case 'M': events.ShowMessage(text); break;
    case 'T': events.SetTotal(text, static_cast<int>(number)); break;
    case 'C': events.SetCurrent(text, static_cast<int>(number)); break;
    case 'R': {
        std::istringstream counts(text);
        ExtractResult& result = report_.extraction;
        counts >> result.imagesWritten >> result.imagesFailed >> report_.conversion.converted >>
            report_.conversion.failed;
        counts.get();
        std::getline(counts, result.outputDirectory);
        result.outcome = static_cast<ExtractOutcome>(number);
        reported_ = true;
        break;
    }
    default: break;
    }
}

long long DocumentProcess::MillisecondsLeft() const {
    if (limits_.seconds <= 0)
        return -1;
    const auto elapsed = std::chrono::steady_clock::now() - started_;
    const long long left =
        limits_.seconds * 1000ll - std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count();
    return std::max(left, 0ll);
}

void DocumentProcess::StopForTime() {
    if (child_ > 0 && !stoppedForTime_) {
        kill(child_, SIGKILL);
        stoppedForTime_ = true;
    }
}

DocumentReport DocumentProcess::Finish() {
    int status = 0;
    const pid_t child = child_;
    if (child_ > 0) {
        rusage usage{};
        while (wait4(child_, &status, 0, &usage) < 0 && errno == EINTR) {
        }
        report_.peakMemoryKb = usage.ru_maxrss;
        child_ = -1;
    }
    if (channel_ >= 0) {
        close(channel_);
        channel_ = -1;
    }
    if (reported_ || !report_.cutShort.empty())
        return report_;
    report_.extraction.outcome = ExtractOutcome::Skipped;
    // A file the child was writing stays under its hidden temporary name.
    if (child > 0)
        platform::RemoveTemporaryFiles(output_.outputDirectory, child);
    if (stoppedForTime_)
        report_.cutShort = "Stopped after " + std::to_string(limits_.seconds) +
                           " seconds, the time one document may take (--time-limit).";
    else if (WIFSIGNALED(status))
        report_.cutShort = "Stopped by signal " + std::to_string(WTERMSIG(status)) + " (" +
                           SignalName(WTERMSIG(status)) + ")" +
                           (kCanLimitMemory && limits_.memoryMb > 0
                                ? "; most often the document needed more than the " +
                                      std::to_string(limits_.memoryMb) + " MB one document may take (--memory-limit)."
                                : ".");
    else if (WEXITSTATUS(status) == kOutOfMemory)
        report_.cutShort = "Stopped: it needed more memory than " +
                           (limits_.memoryMb > 0 ? "the " + std::to_string(limits_.memoryMb) +
                                                       " MB one document may take (--memory-limit)."
                                                 : std::string("there is."));
    else
        report_.cutShort = "Stopped before its end (status " + std::to_string(WEXITSTATUS(status)) + ").";
    return report_;
}
