#include "engine/run/document_process.h"

#include "engine/run/document_worker.h"
#include "platform/file_system.h"
#include "platform/output_file.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <pthread.h>
#include <spawn.h>
#include <csignal>
#include <cstring>
#include <sys/epoll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

std::string Folder(const std::string& path) { return path.substr(0, path.rfind('/') + 1); }

bool IsProgram(const std::string& path) { return access(path.c_str(), X_OK) == 0; }

// The worker program: beside the running one (a build tree, or the installed
// programs when the worker was put there), in the installed libexec folder,
// else where this build made it.
std::string WorkerProgram() {
    char self[4096];
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n > 0) {
        const std::string folder = Folder(std::string(self, static_cast<size_t>(n)));
        for (const std::string& candidate :
             {folder + "vellumin-worker", folder + "../libexec/vellumin/vellumin-worker"})
            if (IsProgram(candidate))
                return candidate;
    }
    return VELLUMIN_WORKER_BUILD_PATH;
}

// Writes the whole job into the worker's input. A worker that ended before
// reading it is told by how it ended, so the SIGPIPE that the write may raise
// is held on this thread and taken back, leaving the process's handling alone.
void SendJob(int fd, const std::string& job) {
    sigset_t pipeSignal, previous;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSignal, &previous);
    bool broken = false;
    for (size_t sent = 0; sent < job.size();) {
        const ssize_t n = write(fd, job.data() + sent, job.size() - sent);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            broken = errno == EPIPE;
            break;
        }
        sent += static_cast<size_t>(n);
    }
    if (broken) {
        const timespec none{0, 0};
        sigtimedwait(&pipeSignal, nullptr, &none);
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
}

std::string SignalName(int number) {
    const char* name = strsignal(number);
    return name ? name : "unknown signal";
}

// The worker's environment: the locale and time zone, what the engine and a
// sanitizer build read, and nothing else of the caller's (its secrets).
bool PassedToWorker(const std::string& name) {
    static const char* const kNames[] = {"LANG",         "LANGUAGE",      "TZ",          "TZDIR", "VELLUMIN_ENGINE_ERRORS",
                                         "ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"};
    return name.rfind("LC_", 0) == 0 || std::find(std::begin(kNames), std::end(kNames), name) != std::end(kNames);
}

std::vector<std::string> WorkerEnvironment() {
    std::vector<std::string> kept;
    for (char** entry = environ; *entry; ++entry)
        if (PassedToWorker(std::string(*entry, std::strcspn(*entry, "="))))
            kept.emplace_back(*entry);
    return kept;
}

// Signals that a process gets for a fault of its own, not from another.
bool IsFault(int number) {
    return number == SIGSEGV || number == SIGBUS || number == SIGILL || number == SIGFPE || number == SIGABRT ||
           number == SIGSYS || number == SIGTRAP;
}

} // namespace

DocumentProcess::DocumentProcess(const ExtractRequest& request, const DocumentOutput& output,
                                 const ConvertSettings& settings, const DocumentLimits& limits,
                                 const TrialWorker& trial)
    : request_(request), output_(output), nameTemplate_(settings.nameTemplate), limits_(limits),
      lastLook_(std::chrono::steady_clock::now()) {
    clock_gettime(CLOCK_REALTIME_COARSE, &startedAt_); // the clock file times are taken from
    // The pipes close on exec in every other child that starts meanwhile;
    // the worker gets its ends as standard input, as its channel, and as its
    // standard output and error, so that nothing it writes reaches the
    // terminal unordered or without its document's name.
    int job[2] = {-1, -1}, answer[2] = {-1, -1}, written[2] = {-1, -1};
    auto closeAll = [&] {
        for (int fd : {job[0], job[1], answer[0], answer[1], written[0], written[1], watch_})
            if (fd >= 0)
                close(fd);
        watch_ = -1;
    };
    if (pipe2(job, O_CLOEXEC) != 0 || pipe2(answer, O_CLOEXEC) != 0 || pipe2(written, O_CLOEXEC) != 0 ||
        (watch_ = epoll_create1(EPOLL_CLOEXEC)) < 0) {
        report_.cutShort = std::string("Cannot start its work: ") + std::strerror(errno) + ".";
        closeAll();
        return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, job[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, answer[1], kWorkerChannel);
    posix_spawn_file_actions_adddup2(&actions, written[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, written[1], STDERR_FILENO);
    // No other descriptor of the caller's reaches the worker, even one
    // opened without close-on-exec.
    posix_spawn_file_actions_addclosefrom_np(&actions, kWorkerChannel + 1);
    const std::string program = trial.program.empty() ? WorkerProgram() : trial.program;
    std::string parent = std::to_string(getpid());
    std::string act = trial.act;
    std::vector<char*> argv = {const_cast<char*>(program.c_str()), parent.data()};
    if (!act.empty())
        argv.push_back(act.data());
    argv.push_back(nullptr);
    std::vector<std::string> environment = WorkerEnvironment();
    std::vector<char*> envp;
    for (std::string& variable : environment)
        envp.push_back(variable.data());
    envp.push_back(nullptr);
    MakeOutputFolder();
    const int error = posix_spawn(&child_, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) {
        child_ = -1;
        report_.cutShort = "Cannot start its work (" + program + "): " + std::strerror(error) + ".";
        closeAll();
        return;
    }
    close(job[0]);
    close(answer[1]);
    close(written[1]);
    SendJob(job[1], EncodeDocumentJob(request, output, settings, limits));
    close(job[1]);
    channel_ = answer[0];
    childOutput_ = written[0];
    for (const int fd : {channel_, childOutput_}) {
        fcntl(fd, F_SETFL, O_NONBLOCK);
        epoll_event event{};
        event.events = EPOLLIN;
        event.data.fd = fd;
        epoll_ctl(watch_, EPOLL_CTL_ADD, fd, &event);
    }
}

void DocumentProcess::MakeOutputFolder() {
    if (!request_.listOnly && !platform::PathExists(output_.outputDirectory))
        madeFolder_ = platform::CreateDirectory(output_.outputDirectory);
}

DocumentProcess::~DocumentProcess() {
    if (child_ > 0) { // a run that stops early stops the documents still running
        kill(child_, SIGKILL);
        waitpid(child_, nullptr, 0);
        platform::RemoveTemporaryFiles(output_.outputDirectory, child_);
    }
    for (const int fd : {channel_, childOutput_, watch_})
        if (fd >= 0)
            close(fd);
}

bool DocumentProcess::Read(DocumentEvents& events) {
    if (channel_ < 0)
        return false;
    ReadOutput();
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

bool DocumentProcess::ReadOutput() {
    if (childOutput_ < 0)
        return false;
    char buffer[4096];
    const ssize_t n = read(childOutput_, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR)
        return true;
    if (n < 0 && errno == EAGAIN)
        return false;
    if (n <= 0) {
        CloseOutput();
        return false;
    }
    pendingOutput_.append(buffer, static_cast<size_t>(n));
    for (size_t end; (end = pendingOutput_.find('\n')) != std::string::npos;) {
        KeepOutputLine(pendingOutput_.substr(0, end));
        pendingOutput_.erase(0, end + 1);
    }
    if (pendingOutput_.size() >= kLongestOutputLine) { // a line without end yet is kept in pieces
        KeepOutputLine(pendingOutput_);
        pendingOutput_.clear();
    }
    return true;
}

void DocumentProcess::KeepOutputLine(const std::string& line) {
    for (size_t at = 0; at < line.size(); at += kLongestOutputLine) {
        if (report_.errorOutput.size() < kMostOutputLines)
            report_.errorOutput.push_back(line.substr(at, kLongestOutputLine));
        else
            ++outputLinesLeftOut_;
    }
}

void DocumentProcess::CloseOutput() {
    if (childOutput_ < 0)
        return;
    epoll_ctl(watch_, EPOLL_CTL_DEL, childOutput_, nullptr);
    close(childOutput_);
    childOutput_ = -1;
    KeepOutputLine(pendingOutput_); // a last line without its line break
    pendingOutput_.clear();
    if (outputLinesLeftOut_ > 0)
        report_.errorOutput.push_back(std::to_string(outputLinesLeftOut_) + " more line(s) of its output left out.");
}

void DocumentProcess::Dispatch(const std::string& record, DocumentEvents& events) {
    const size_t space = record.find(' ');
    if (record.empty() || space == std::string::npos)
        return;
    const long long number = std::atoll(record.substr(1, space - 1).c_str());
    const std::string text = UnescapeRecordText(record.substr(space + 1));
    switch (record[0]) {
    case 'M': // an error's number is 1
        if (number == 1)
            events.ShowError(text);
        else
            events.ShowMessage(text);
        break;
    case 'T': events.SetTotal(text, static_cast<int>(number)); break;
    case 'C': events.SetCurrent(text, static_cast<int>(number)); break;
    case 'I': {
        const nlohmann::json image = nlohmann::json::parse(text, nullptr, false);
        if (image.is_object())
            report_.catalogue.push_back(ImageEntryFromJson(image));
        break;
    }
    case 'R':
        DecodeDocumentResult(text, &report_);
        report_.extraction.outcome = static_cast<ExtractOutcome>(number);
        reported_ = true;
        break;
    case 'S': stopCause_ = text; break;
    default: break;
    }
}

std::string DocumentProcess::StopCause(int status) const {
    if (cancelled_)
        return "Stopped on request.";
    if (stoppedForTime_)
        return "Stopped after " + std::to_string(limits_.seconds) + " seconds, the time one document may take (" +
               limits_.timeSetting + ").";
    if (WIFEXITED(status) && WEXITSTATUS(status) == kWorkerOutOfMemory)
        return "Stopped: it needed more memory than " +
               (limits_.memoryMb > 0 ? "the " + std::to_string(limits_.memoryMb) + " MB one document may take (" +
                                           limits_.memorySetting + ")."
                                     : std::string("there is."));
    if (!stopCause_.empty())
        return "Stopped: " + stopCause_ + ".";
    if (WIFSIGNALED(status)) {
        const int number = WTERMSIG(status);
        if (number == SIGSYS && limits_.confined)
            return "Stopped by its sandbox: it made a system call that a worker may not make (signal " +
                   std::to_string(number) + ", " + SignalName(number) + ").";
        return IsFault(number) ? "Stopped: the work failed (signal " + std::to_string(number) + ", " +
                                     SignalName(number) + ")."
                               : "Stopped by signal " + std::to_string(number) + " (" + SignalName(number) +
                                     ") from outside the run.";
    }
    return "Stopped before its end (status " + std::to_string(WEXITSTATUS(status)) + ").";
}

long long DocumentProcess::MillisecondsLeft() {
    if (limits_.seconds <= 0)
        return -1;
    // A longer gap between two looks than callers leave is a time the run
    // was suspended (Ctrl+Z): the document did not run either.
    const auto now = std::chrono::steady_clock::now();
    counted_ += std::min<std::chrono::steady_clock::duration>(now - lastLook_,
                                                              std::chrono::milliseconds(2 * kLookAtLeastEvery));
    lastLook_ = now;
    const long long left =
        limits_.seconds * 1000ll - std::chrono::duration_cast<std::chrono::milliseconds>(counted_).count();
    return std::max(left, 0ll);
}

void DocumentProcess::StopForTime() {
    if (child_ > 0 && !stoppedForTime_) {
        kill(child_, SIGKILL);
        stoppedForTime_ = true;
    }
}

void DocumentProcess::Cancel() {
    if (child_ > 0 && !cancelled_) {
        kill(child_, SIGKILL);
        cancelled_ = true;
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
    // The child is gone: all it wrote is waiting in the pipe.
    while (ReadOutput()) {
    }
    CloseOutput();
    if (channel_ >= 0) {
        close(channel_);
        channel_ = -1;
    }
    if (!reported_ && report_.cutShort.empty()) {
        report_.extraction.outcome = ExtractOutcome::Skipped;
        if (child > 0)
            RemoveUnfinishedOutput(child);
        report_.cutShort = StopCause(status);
    }
    if (madeFolder_ && !(reported_ && report_.extraction.outcome == ExtractOutcome::Extracted))
        rmdir(output_.outputDirectory.c_str()); // only when empty
    return report_;
}

void DocumentProcess::RemoveUnfinishedOutput(pid_t child) const {
    // A file the child was writing stays under its hidden temporary name.
    platform::RemoveTemporaryFiles(output_.outputDirectory, child);
    if (!request_.listOnly)
        RemoveOutputWrittenSince(output_, nameTemplate_, startedAt_, output_.imageTitle.empty());
}
