// A worker for the sandbox's tests only, never shipped: once confined, and
// before its document, it tries the act named by its second argument and
// says how that went, as a message "ACT: allowed" or "ACT: refused (why)".
// Acts the system call filter forbids end the worker instead.
//   read:PATH   read a file        write:PATH  make a file
//   socket      open a TCP socket  exec        start a program
//   ptrace      trace its parent   signal      signal its parent
//   inherited   name the variables and descriptors it was given
#include "engine/run/allocation_failure.h"
#include "engine/run/document_worker.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <csignal>
#include <netinet/in.h>
#include <sys/ptrace.h>
#include <sys/socket.h>
#include <unistd.h>

extern char** environ;

namespace {

std::string Outcome(bool allowed) { return allowed ? "allowed" : std::string("refused (") + std::strerror(errno) + ")"; }

std::string Inherited() {
    std::string text = "variables";
    for (char** entry = environ; *entry; ++entry)
        text += " " + std::string(*entry, std::strcspn(*entry, "="));
    text += "; descriptors";
    for (int fd = 0; fd < 1024; ++fd)
        if (fcntl(fd, F_GETFD) >= 0)
            text += " " + std::to_string(fd);
    return text;
}

std::string Try(const std::string& act) {
    const std::string path = act.substr(act.find(':') + 1);
    if (act.rfind("read:", 0) == 0) {
        const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
        char byte;
        return Outcome(fd >= 0 && read(fd, &byte, 1) >= 0);
    }
    if (act.rfind("write:", 0) == 0)
        return Outcome(open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600) >= 0);
    if (act == "socket")
        return Outcome(socket(AF_INET, SOCK_STREAM, 0) >= 0);
    if (act == "exec") {
        char* const argv[] = {const_cast<char*>("/bin/true"), nullptr};
        return Outcome(execve(argv[0], argv, environ) == 0);
    }
    if (act == "ptrace")
        return Outcome(ptrace(PTRACE_ATTACH, getppid(), nullptr, nullptr) == 0);
    if (act == "signal")
        return Outcome(kill(getppid(), 0) == 0);
    if (act == "inherited")
        return Inherited();
    return "unknown act";
}

} // namespace

// The arguments: the parent's id, as for the shipped worker, then the act.
int main(int argc, char** argv) {
    if (argc != 3 || !EndWithParent(std::atol(argv[1])))
        return kWorkerFailed;
    EndFaultsAfterFailedAllocationWith(kWorkerOutOfMemory);
    const std::string act = argv[2];
    return RunDocumentWorker(STDIN_FILENO, kWorkerChannel, AllocationFailed,
                             [&act](MessageSink& messages) { messages.ShowMessage(act + ": " + Try(act)); });
}
