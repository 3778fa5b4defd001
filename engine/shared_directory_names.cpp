#include "engine/shared_directory_names.h"

std::string SharedDirectoryNames::Claim(const std::string& title) {
    std::string candidate = title;
    for (int n = 2; claimed_.count(candidate); ++n)
        candidate = title + "-" + std::to_string(n);
    claimed_.insert(candidate);
    return candidate;
}
