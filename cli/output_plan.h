#pragma once
// What --plan prints: where each document of the run would write, placed as
// the run places it (OutputPlanner), one JSON object per document, without
// extracting anything. A document that the run places apart from the place
// its name gives, because an earlier document of the list has that place
// (one title in one folder: "report-2"), names that document, so that a
// script that runs each document alone (examples/parallel-extract.sh) can
// refuse such a list.
#include "engine/run/document_output.h"

#include <map>
#include <nlohmann/json.hpp>
#include <string>

class OutputPlan {
public:
    explicit OutputPlan(const ConvertSettings& settings) : settings_(settings) {}

    // Places the next document of the list and answers its line: "path",
    // "output" (the prefix of its files' names, as in the results) and, when
    // it is placed apart, "apart_from". Every document of the list is placed
    // in order, printed or not, as the run does.
    nlohmann::json Place(const std::string& path);

private:
    const ConvertSettings& settings_;
    OutputPlanner planner_{true}; // the command line makes its -o folder before its run
    std::map<std::string, std::string> placedThere_; // an output, and the document placed there
};
