#pragma once

#include <cstdlib>
#include <fstream>
#include <string>

namespace tav::bench {

// Resident set size in MiB from /proc/self/status; -1 where it cannot be read.
inline double ResidentMiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::strtod(line.c_str() + 6, nullptr) / 1024.0;
    return -1;
}

} // namespace tav::bench
