// vellumin-worker: processes one document for DocumentProcess; not meant to
// be started by hand.
#include "engine/document_worker.h"

#include <unistd.h>

int main() { return RunDocumentWorker(STDIN_FILENO, kWorkerChannel); }
