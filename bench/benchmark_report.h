#pragma once

#include <string>
#include <vector>

// One measured target: our figure, the peer's from the same run, and the goal for their ratio.
struct TargetResult {
    std::string name;
    std::string figureText;  // what was measured, with its unit
    double figure = 0;
    std::string peerText;
    double peer = 0;
    double goal = 0;
    bool valid = true;  // false when the results disagreed or the measurement failed

    double ratio() const { return peer > 0 ? figure / peer : 0; }
};

void printReport(const std::vector<TargetResult>& targets);
