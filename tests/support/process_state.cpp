#include "support/process_state.h"

#include <fstream>
#include <string>

bool processRunning(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("State:", 0) == 0) return line.find('Z') == std::string::npos;
    }
    return false;
}
