#pragma once

enum class ExitCode {
    Success = 0,      // every document was extracted
    Skipped = 1,      // at least one document was skipped (invalid, forbidden, missing)
    UsageError = 2,   // the command line could not be understood
    RangeError = 3,   // a page range lies beyond a document; the run stopped there
};
