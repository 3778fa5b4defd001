#pragma once
// The worker knows when it ran out of memory even where the PDF library
// does not throw but aborts, or goes on with a null pointer and crashes:
// every failed allocation is noted, and a fault after one ends the worker
// with the given exit status instead of the fault's signal.
void EndFaultsAfterFailedAllocationWith(int exitStatus);

// Whether an allocation of this process has failed.
bool AllocationFailed();
