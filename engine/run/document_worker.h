#pragma once
// The worker side of DocumentProcess: `vellumin-worker` is started as a fresh
// program for each document (a process with threads must not fork), reads
// its job from standard input and answers on descriptor kWorkerChannel.
//
// The job is lines, a name, a space and a value: the request, the planned
// output, the settings, the memory limit and whether to confine itself. The answer is lines: a letter, a number, a space and
// a text with '\' and line breaks escaped. M: a message; T, C: the Total and
// Current progress (position, text); I: an image of the catalogue (its
// JSON); R: the result (the outcome, then the text of EncodeDocumentResult);
// S: why the work stopped before its end, when it knows.
#include "engine/run/document_run.h"

#include <functional>
#include <string>

struct DocumentLimits {
    int memoryMb = 0; // address space of the child; 0 for none
    int seconds = 0;  // 0 for none
    // Where each limit is set, named when a document is stopped by it.
    std::string memorySetting = "--memory-limit";
    std::string timeSetting = "--time-limit";
    // Whether the worker confines itself (worker_sandbox.h); off only to
    // diagnose a document.
    bool confined = true;
};

constexpr int kWorkerChannel = 3;

// How a worker ends when its work threw: out of memory, or anything else.
constexpr int kWorkerOutOfMemory = 3;
constexpr int kWorkerFailed = 4;

std::string EncodeDocumentJob(const ExtractRequest& request, const DocumentOutput& output,
                              const ConvertSettings& settings, const DocumentLimits& limits);

// The counts, the output directory and the reasons of a report, as lines.
std::string EncodeDocumentResult(const DocumentReport& report);
void DecodeDocumentResult(const std::string& text, DocumentReport* report);

std::string EscapeRecordText(const std::string& text);
std::string UnescapeRecordText(const std::string& text);

// Ties the worker's life to its parent's, whatever ends the parent: no one
// else would watch its time. The kernel kills the worker when the thread
// that started it ends, so that thread must outlive its DocumentProcess.
// False when the parent, given by its id, is gone already.
bool EndWithParent(long parent);

// The worker's whole life: reads the job from input, confines itself unless
// the job says not to or the kernel cannot, runs the document and answers on
// channel; answers the exit status. Tests pass afterConfinement to try what
// a confined worker may not do. allocationFailed, when given, tells whether
// an allocation of the worker failed: under a memory limit, images that could
// then not be converted or written mean the document needed more memory than
// the limit, and it ends as kWorkerOutOfMemory rather than with images said to
// be kept or lost.
int RunDocumentWorker(int input, int channel, bool (*allocationFailed)() = nullptr,
                      const std::function<void(MessageSink&)>& afterConfinement = nullptr);
