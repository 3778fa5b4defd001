#include "engine/worker_sandbox.h"

#include "engine/landlock_rules.h"
#include "engine/pdf_engine.h"
#include "engine/sha256_digest.h"
#include "engine/syscall_filter.h"
#include "platform/file_path_info.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <openssl/crypto.h>
#include <sys/prctl.h>
#include <sys/resource.h>

namespace {

// Where the PDF library finds its character maps and encodings (Debian's
// poppler-data); it opens them lazily, for the fonts of a page.
constexpr const char* kPdfLibraryData = "/usr/share/poppler";

// Enough descriptors for the document, the images being written and read
// back, and the page threads' own views of the document.
constexpr rlim_t kMostDescriptors = 128;

// What the worker would otherwise load later, from files it may no longer read.
void LoadWhatTheWorkerNeeds() {
    tzset();
    OPENSSL_init_crypto(OPENSSL_INIT_LOAD_CONFIG, nullptr);
    Sha256Hex({}); // the digest's provider, found and loaded once
    PreparePdfEngine();
}

std::string Failure(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

} // namespace

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
    const rlimit descriptors{kMostDescriptors, kMostDescriptors};
    if (setrlimit(RLIMIT_NOFILE, &descriptors) != 0)
        return Failure("descriptor limit");
    // The document as the engine will name it (quotes taken off).
    const std::string document = platform::FilePathInfo(documentPath).FullPath();
    std::string failure = RestrictPaths({document, kPdfLibraryData}, outputFolder);
    if (failure.empty())
        failure = AllowOnlyWorkerCalls();
    return failure;
}
