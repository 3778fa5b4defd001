#pragma once
// The system calls a confined worker may make: those it was seen to make on
// documents of every kind, in every format and mode. Any other call ends the
// process at once (SIGSYS), which the parent reports as the sandbox's doing.
#include <string>

// Whether the kernel can filter system calls (seccomp filters).
bool SyscallFilterAvailable();

// Installs the filter on the calling process and its future threads for
// good. Needs PR_SET_NO_NEW_PRIVS. Empty on success, else what failed.
std::string AllowOnlyWorkerCalls();

