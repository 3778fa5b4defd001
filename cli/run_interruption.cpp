#include "cli/run_interruption.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int kCaught[] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE};

volatile sig_atomic_t caught = 0;
int wakeUp[2] = {-1, -1};
struct sigaction previous[sizeof kCaught / sizeof kCaught[0]];

void Catch(int number) {
    if (!caught)
        caught = number;
    const char byte = 1;
    const int saved = errno;
    [[maybe_unused]] const ssize_t n = write(wakeUp[1], &byte, 1);
    errno = saved;
}

} // namespace

RunInterruption::RunInterruption() {
    caught = 0;
    if (pipe2(wakeUp, O_CLOEXEC | O_NONBLOCK) != 0)
        wakeUp[0] = wakeUp[1] = -1;
    struct sigaction action {};
    action.sa_handler = Catch;
    sigemptyset(&action.sa_mask);
    for (size_t i = 0; i < sizeof kCaught / sizeof kCaught[0]; ++i)
        sigaction(kCaught[i], &action, &previous[i]);
}

RunInterruption::~RunInterruption() {
    for (size_t i = 0; i < sizeof kCaught / sizeof kCaught[0]; ++i)
        sigaction(kCaught[i], &previous[i], nullptr);
    for (int& fd : wakeUp)
        if (fd >= 0) {
            close(fd);
            fd = -1;
        }
}

int RunInterruption::Channel() const { return wakeUp[0]; }

int RunInterruption::Signal() const { return caught; }
