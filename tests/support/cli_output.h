#pragma once
// What vellumin-cli writes: the windows' runs are compared with it.
#include <map>
#include <string>
#include <vector>

namespace testing_support {

// Runs "vellumin-cli -f FORMAT -o FOLDER DOCUMENT..." in this process and
// answers the folder's files by relative path, with their bytes.
std::map<std::string, std::string> CliOutput(const std::vector<std::string>& documents, const std::string& folder,
                                             const char* format);

} // namespace testing_support
