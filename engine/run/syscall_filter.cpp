#include "engine/run/syscall_filter.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <linux/seccomp.h>
#include <sched.h>
#include <seccomp.h>
#include <sys/prctl.h>
#include <unistd.h>

namespace {

// The calls the worker makes once confined, as measured on the corpus in
// every format and mode (see the README's section on the sandbox), and those
// of paths the corpus did not take: a folder to make, a file or folder to
// remove, a link to read, the longest name a folder takes (statfs), the
// abort of a library out of memory (gettid) and the C library's last words
// (writev). Calls on paths need no filter of their own: Landlock decides
// which paths they reach.
constexpr const char* kAllowed[] = {
    // files and folders
    "read", "write", "writev", "pread64", "lseek", "close", "openat", "newfstatat", "fstat", "fcntl", "getdents64",
    "rename", "unlink", "rmdir", "mkdir", "access", "readlink", "statfs",
    // memory
    "mmap", "munmap", "mremap", "mprotect", "madvise", "brk",
    // threads; the clock, where the kernel cannot answer it without a call
    "futex", "set_robust_list", "rseq", "exit", "exit_group", "sched_getaffinity", "getpid", "gettid",
    "clock_gettime",
    // signals of its own
    "rt_sigaction", "rt_sigprocmask", "rt_sigreturn",
    // what the C library asks of the system: limits, memory size, randomness
    "prlimit64", "sysinfo", "getrandom",
};

// A sanitizer build's runtime makes calls of its own in the worker: pipe2
// to test whether memory can be read (the vptr check), sigaltstack for each
// new thread, sched_yield in its allocator's locks, open and ioctl as it
// prints a report.
#if defined(__SANITIZE_ADDRESS__)
constexpr std::array<const char*, 5> kSanitizerAllowed = {"pipe2", "sigaltstack", "sched_yield", "open", "ioctl"};
#else
constexpr std::array<const char*, 0> kSanitizerAllowed = {};
#endif

} // namespace

bool SyscallFilterAvailable() {
    // The call answers EFAULT when filters exist and EINVAL when not.
    return prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, nullptr) < 0 && errno == EFAULT;
}

std::string AllowOnlyWorkerCalls() {
    scmp_filter_ctx filter = seccomp_init(SCMP_ACT_KILL_PROCESS);
    if (!filter)
        return "cannot make a system call filter";
    int error = 0;
    auto allow = [&](int call, unsigned count, const scmp_arg_cmp* conditions) {
        if (error == 0 && call != __NR_SCMP_ERROR)
            error = seccomp_rule_add_array(filter, SCMP_ACT_ALLOW, call, count, conditions);
    };
    for (const char* name : kAllowed)
        allow(seccomp_syscall_resolve_name(name), 0, nullptr);
    for (const char* name : kSanitizerAllowed)
        allow(seccomp_syscall_resolve_name(name), 0, nullptr);
    // Threads, not processes: clone3 passes its flags where no filter can
    // see them, so it is answered as missing and the C library falls back
    // to clone.
    const scmp_arg_cmp thread = SCMP_A0(SCMP_CMP_MASKED_EQ, CLONE_THREAD, CLONE_THREAD);
    allow(SCMP_SYS(clone), 1, &thread);
    if (error == 0)
        error = seccomp_rule_add(filter, SCMP_ACT_ERRNO(ENOSYS), SCMP_SYS(clone3), 0);
    // Signals to itself only: abort and the threads' own signals.
    const scmp_arg_cmp self = SCMP_A0(SCMP_CMP_EQ, static_cast<scmp_datum_t>(getpid()));
    allow(SCMP_SYS(kill), 1, &self);
    allow(SCMP_SYS(tgkill), 1, &self);
    if (error == 0)
        error = seccomp_load(filter);
    seccomp_release(filter);
    return error == 0 ? std::string() : std::string("system call filter: ") + std::strerror(-error);
}
