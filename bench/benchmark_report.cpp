#include "benchmark_report.h"

#include <cstdio>

void printReport(const std::vector<TargetResult>& targets) {
    std::printf("\n%-16s %-56s %-48s %7s %5s\n", "target", "ours", "peer", "ratio", "goal");
    for (const TargetResult& target : targets) {
        std::printf("%-16s %-56s %-48s %7.3f %5.2f%s\n", target.name.c_str(), target.figureText.c_str(),
                    target.peerText.c_str(), target.ratio(), target.goal, target.valid ? "" : "  INVALID");
    }
    std::printf("\n");
    for (const TargetResult& target : targets) {
        std::printf("target %s: ratio %.3f (goal %.2f)%s\n", target.name.c_str(), target.ratio(), target.goal,
                    !target.valid ? " invalid" : target.ratio() <= target.goal ? "" : " missed");
    }
}
