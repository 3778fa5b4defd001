#include "engine/run/allocation_failure.h"

#include <csignal>
#include <cstddef>
#include <initializer_list>
#include <unistd.h>

namespace {

volatile sig_atomic_t allocationFailed = 0;
volatile sig_atomic_t statusAfterFailure = 1;

void EndFault(int number) {
    if (allocationFailed)
        _exit(statusAfterFailure);
    raise(number); // the handler was reset: the fault's own end
}

} // namespace

// The sanitizers put allocators of their own in place of these, and no
// memory limit is set under them.
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* block, size_t size);

// This program's allocator, ahead of the C library's for every library it
// uses: the C library's own, noting failures.
void* malloc(size_t size) {
    void* block = __libc_malloc(size);
    if (!block)
        allocationFailed = 1;
    return block;
}

void* calloc(size_t count, size_t size) {
    void* block = __libc_calloc(count, size);
    if (!block)
        allocationFailed = 1;
    return block;
}

void* realloc(void* block, size_t size) {
    void* moved = __libc_realloc(block, size);
    if (!moved && size > 0)
        allocationFailed = 1;
    return moved;
}
}
#endif

bool AllocationFailed() { return allocationFailed != 0; }

void EndFaultsAfterFailedAllocationWith(int exitStatus) {
    statusAfterFailure = exitStatus;
    struct sigaction action {};
    action.sa_handler = EndFault;
    action.sa_flags = SA_RESETHAND | SA_NODEFER;
    sigemptyset(&action.sa_mask);
    for (int number : {SIGABRT, SIGSEGV, SIGBUS})
        sigaction(number, &action, nullptr);
}
