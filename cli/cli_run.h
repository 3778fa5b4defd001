#pragma once
// Running the command line's job: gather the documents, then print their
// summaries or extract their images.
#include "cli/cli_options.h"

#include <cstdio>

// Returns the process exit status (see exit_code.h). On a terminal, the
// control characters of what is printed are shown escaped (TerminalText).
int RunCli(const CliOptions& options, FILE* out, FILE* err, bool outIsTerminal, bool errIsTerminal);
