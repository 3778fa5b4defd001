#include "cli/cli_options.h"
#include "cli/cli_run.h"

#include <cstdio>
#include <unistd.h>

int main(int argc, char** argv) {
    ParsedCommandLine parsed = ParseCommandLine(argc, argv);
    if (!parsed.options) {
        std::fputs(parsed.output.c_str(), parsed.exitCode == 0 ? stdout : stderr);
        return parsed.exitCode;
    }
    return RunCli(*parsed.options, stdout, stderr, isatty(STDOUT_FILENO) != 0, isatty(STDERR_FILENO) != 0);
}
