#pragma once
// The worker's confinement. A worker parses untrusted documents with a large
// library; should a document take it over, it reaches nothing but its
// document, the library's data and its output folder. Once it has read its
// job, and before it opens the document, the worker loads what it needs while
// it still may, then gives up for good: new privileges, core dumps and being
// traced, most descriptors, every path but those (Landlock), TCP, signals and
// abstract sockets outside itself, and every system call it does not make
// (a seccomp allow-list, see syscall_filter.h).
#include <string>

// Why this kernel cannot confine workers (it lacks Landlock or seccomp
// filters); empty when it can. Workers then run unconfined, and a run says
// so once.
std::string SandboxUnavailable();

// Confines the calling worker, which reads the document at documentPath and
// writes inside outputFolder (none for a listing). Empty on success, else
// what failed: the worker must then not go on.
std::string ConfineWorker(const std::string& documentPath, const std::string& outputFolder);

// The message a run shows once when its workers cannot be confined.
std::string UnconfinedRunNotice(const std::string& reason);
