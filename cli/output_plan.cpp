#include "cli/output_plan.h"

nlohmann::json OutputPlan::Place(const std::string& path) {
    const std::string output = planner_.Plan(path, settings_).imageRoot;
    // The place the document would take in a run of its own.
    const std::string alone = OutputPlanner(true).Plan(path, settings_).imageRoot;
    nlohmann::json line = {{"path", path}, {"output", output}};
    if (output != alone)
        line["apart_from"] = placedThere_[alone];
    placedThere_[output] = path;
    return line;
}
