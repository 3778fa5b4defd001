#pragma once
// What vellumin-cli writes: the windows' runs are compared with it.
#include <map>
#include <string>
#include <vector>

namespace testing_support {

struct CliResult {
    int status;
    std::string out, err;
};

// Runs vellumin-cli with the arguments (the program's name left out) in this
// process and answers its status and what it printed.
CliResult RunCliCommand(std::vector<const char*> args);

// Runs "vellumin-cli --no-markers -f FORMAT -o FOLDER DOCUMENT..." in this process and
// answers the folder's files by relative path, with their bytes.
std::map<std::string, std::string> CliOutput(const std::vector<std::string>& documents, const std::string& folder,
                                             const char* format);

} // namespace testing_support
