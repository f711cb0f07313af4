#pragma once

#include <cstdlib>
#include <fstream>
#include <string>

namespace orvane::test {

// "VmRSS", "VmHWM" or another field of this process's /proc status, in kB (-1 if unreadable).
inline long statusKb(const char *field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string prefix = std::string(field) + ":";
    while (std::getline(status, line)) {
        if (line.rfind(prefix, 0) == 0) {
            return std::strtol(line.c_str() + prefix.size(), nullptr, 10);
        }
    }
    return -1;
}

// Starts VmHWM again from the current RSS; false where the system does not allow it.
inline bool resetPeakMemory()
{
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
    clear.flush();
    return clear.good();
}

// The first field of /proc/loadavg: other work on the machine skews every benchmark figure.
inline std::string loadAverage()
{
    std::ifstream file("/proc/loadavg");
    std::string first;
    file >> first;
    return first;
}

} // namespace orvane::test
