#pragma once
// Marks memory handed from one thread to another through Qt's event queue.
// Qt's own locks are invisible to ThreadSanitizer, so a build with it would
// report every such hand-off as a data race; these marks tell it what the
// queue guarantees. They do nothing in other builds.
#if defined(__SANITIZE_THREAD__)
#include <sanitizer/tsan_interface.h>
// What this thread wrote so far is published with token...
inline void HandOffRelease(const void* token) { __tsan_release(const_cast<void*>(token)); }
// ...and seen by the thread that takes the token.
inline void HandOffAcquire(const void* token) { __tsan_acquire(const_cast<void*>(token)); }
#else
inline void HandOffRelease(const void*) {}
inline void HandOffAcquire(const void*) {}
#endif
