#include "engine/run/worker_sandbox.h"

#include "engine/run/landlock_rules.h"
#include "engine/pdf/pdf_engine.h"
#include "engine/dump/sha256_digest.h"
#include "engine/run/syscall_filter.h"
#include "platform/file_path_info.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <openssl/crypto.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <thread>

namespace {

// Where the PDF library finds its character maps and encodings (Debian's
// poppler-data); it opens them lazily, for the fonts of a page.
constexpr const char* kPdfLibraryData = "/usr/share/poppler";
// The C library's memory allocator reads it before it gives memory back.
constexpr const char* kOvercommitSetting = "/proc/sys/vm/overcommit_memory";

// Enough descriptors for the document, the images being written and read
// back, and each page thread's own view of the document with the image it
// writes: one page thread at most per processor.
rlim_t MostDescriptors() { return 64 + 2 * static_cast<rlim_t>(std::thread::hardware_concurrency()); }

// What the worker would otherwise load later, from files it may no longer read.
void LoadWhatTheWorkerNeeds() {
    tzset();
    OPENSSL_init_crypto(OPENSSL_INIT_LOAD_CONFIG, nullptr);
    Sha256Hex({}); // the digest's provider, found and loaded once
    PreparePdfEngine();
}

std::string Failure(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

bool confined = false;

} // namespace

#if defined(__SANITIZE_ADDRESS__)
// The leak check at exit stops the process's threads by tracing them from a
// helper process, which a confined worker may not start nor trace; its leaks
// show in the tests that run the engine in their own process.
extern "C" int __lsan_is_turned_off() { return confined ? 1 : 0; }
#endif

std::string SandboxUnavailable() {
    if (LandlockAbi() == 0)
        return "the kernel offers no Landlock";
    if (!SyscallFilterAvailable())
        return "the kernel offers no seccomp filters";
    return {};
}

std::string UnconfinedRunNotice(const std::string& reason) {
    return "Documents run without their sandbox: " + reason + ".";
}

std::string ConfineWorker(const std::string& documentPath, const std::string& outputFolder) {
    LoadWhatTheWorkerNeeds();
    if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0)
        return Failure("no new privileges");
    if (prctl(PR_SET_DUMPABLE, 0, 0, 0, 0) != 0)
        return Failure("not dumpable");
    const rlimit noCore{0, 0};
    if (setrlimit(RLIMIT_CORE, &noCore) != 0)
        return Failure("core size limit");
    const rlimit descriptors{MostDescriptors(), MostDescriptors()};
    if (setrlimit(RLIMIT_NOFILE, &descriptors) != 0)
        return Failure("descriptor limit");
    // The document as the engine will name it (quotes taken off).
    const std::string document = platform::FilePathInfo(documentPath).FullPath();
    std::string failure = RestrictPaths({document, kPdfLibraryData, kOvercommitSetting}, outputFolder);
    if (failure.empty())
        failure = AllowOnlyWorkerCalls();
    confined = failure.empty();
    return failure;
}
