#pragma once
// The command line of vellumin-cli.
#include "engine/settings/convert_settings.h"

#include <optional>
#include <string>
#include <vector>

// Which documents of the list a run takes: those whose place, counted from
// 0, is index modulo count.
struct Shard {
    long long index = 0;
    long long count = 1;
    bool Takes(long long place) const { return place % count == index; }
};

// What --list prints: nothing (the images are extracted), a table, JSON lines
// or CSV.
enum class ListFormat { None, Table, Json, Csv };

struct CliOptions {
    std::vector<std::string> inputs; // PDF files and folders, as given
    std::string filesFrom;           // a file listing documents, one per line; "-" for standard input
    bool nullSeparated = false;      // the list's paths end with NUL, not with a line break
    Shard shard;
    bool skipDone = false;           // skip documents whose done marker matches
    bool writeMarkers = true;        // leave a done marker beside each finished document
    std::string resultsPath;         // one JSON line per document, when given
    std::string reportPath;          // a report of every image (.jsonl or .csv), when given
    ConvertSettings settings;        // output directory, format, quality, gray, pages
    std::string ownerPassword;
    std::string userPassword;
    bool summaryOnly = false;
    bool plan = false;               // print where each document's images would go instead of extracting
    ListFormat list = ListFormat::None;
    bool forceProgress = false;
    int jobs = 1;              // documents processed at the same time
    int memoryLimitMb = 4096;  // per document; 0 for none
    int timeLimitSeconds = 600; // per document; 0 for none
    bool sandbox = true;        // each document's worker confines itself
};

struct ParsedCommandLine {
    std::optional<CliOptions> options; // nothing when the program should stop
    int exitCode = 0;                  // for that stop: 0 after --help/--version
    std::string output;                // text to print for that stop
};

// The text of --help.
std::string HelpText();

ParsedCommandLine ParseCommandLine(int argc, const char* const* argv);
