#pragma once
// How one document of a command-line run ended, as the results file and the
// done marker record it.
#include "cli/exit_code.h"

#include <nlohmann/json.hpp>
#include <string>

struct DocumentOutcome {
    std::string path;
    std::string output;  // the prefix of its files' names: its folder, or a shared folder and its title
    std::string outcome; // "extracted", "images lost", "skipped", "stopped", "range error", "not found", "already done"
    ExitCode status = ExitCode::Success;
    std::string reason;  // why it was skipped or stopped, else empty
    int written = 0;          // images on the disk in their final form
    int failed = 0;           // images lost: on the disk in no form
    int converted = 0;        // images converted to the chosen format
    int conversionFailed = 0; // images kept as PBM/PGM/PPM files
    int damaged = 0;          // images passed over: their data in the document is damaged
    int belowMinimum = 0;     // images left without a file for their size
    int repeated = 0;         // images left without a file for repeating one written before
    double seconds = 0;
    long long peakMemoryKb = 0; // of the process that ran it; 0 when none ran
};

// The outcome, the exit-status class, the reason and the counts: what a
// results line and a marker share.
nlohmann::json OutcomeFields(const DocumentOutcome& outcome);
