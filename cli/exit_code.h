#pragma once

// The statuses of vellumin-cli, from the best outcome to the worst but for
// 4, which ranks below 1: a lost image is less than a lost document.
enum class ExitCode {
    Success = 0,      // every document was extracted
    Skipped = 1,      // at least one document was skipped (missing, unreadable, invalid, forbidden, stopped,
                      // no output folder, held by another run)
    UsageError = 2,   // the command line could not be understood
    RangeError = 3,   // a page range lies beyond a document; the run stopped there
    ImagesLost = 4,   // documents were read, but some images could not be written or converted
};
