// vellumin-worker: processes one document for DocumentProcess; not meant to
// be started by hand.
#include "engine/run/allocation_failure.h"
#include "engine/run/document_worker.h"

#include <csignal>
#include <cstdlib>
#include <unistd.h>

// The one argument is the id of the process that started the worker.
int main(int argc, char** argv) {
    if (argc != 2 || !EndWithParent(std::atol(argv[1])))
        return kWorkerFailed;
    EndFaultsAfterFailedAllocationWith(kWorkerOutOfMemory);
    // An image past the file-size limit (ulimit -f) fails its write with
    // EFBIG and is reported lost with that reason; the document goes on.
    signal(SIGXFSZ, SIG_IGN);
    return RunDocumentWorker(STDIN_FILENO, kWorkerChannel, AllocationFailed);
}
