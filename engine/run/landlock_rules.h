#pragma once
// The worker's file system and network rights under Landlock: it may read
// the paths it is given, make, write, read back, rename and remove files
// inside its output folder, and nothing else; no TCP at all; no signals to
// and no abstract sockets of processes outside its own.
#include <string>
#include <vector>

// The newest Landlock ABI the kernel offers; 0 without Landlock.
int LandlockAbi();

// Restricts the calling process and its future threads for good. Paths that
// do not exist are left out (the worker then cannot reach them, which is
// what it would find anyway). Needs PR_SET_NO_NEW_PRIVS. Empty on success,
// else what failed.
std::string RestrictPaths(const std::vector<std::string>& readable, const std::string& writableFolder);
