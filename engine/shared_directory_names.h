#pragma once
// Titles of the documents of one run that write into a shared output
// directory: each document's files are named after it, and a document whose
// title was already used in the run gets a number added ("report-2").
#include <set>
#include <string>

class SharedDirectoryNames {
public:
    // A title not yet given out in this run, based on the document's title.
    std::string Claim(const std::string& title);

private:
    std::set<std::string> claimed_;
};
