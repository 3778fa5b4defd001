#include "cli/cli_options.h"
#include "cli/cli_run.h"

#include <csignal>
#include <cstdio>
#include <unistd.h>

int main(int argc, char** argv) {
    // A report or results line past the file-size limit (ulimit -f) fails
    // its write with EFBIG and is told as such, instead of ending the run.
    signal(SIGXFSZ, SIG_IGN);
    ParsedCommandLine parsed = ParseCommandLine(argc, argv);
    if (!parsed.options) {
        std::fputs(parsed.output.c_str(), parsed.exitCode == 0 ? stdout : stderr);
        return parsed.exitCode;
    }
    return RunCli(*parsed.options, stdout, stderr, isatty(STDOUT_FILENO) != 0, isatty(STDERR_FILENO) != 0);
}
