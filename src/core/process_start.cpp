#include "core/process_start.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <string>
#include <string_view>

namespace vamu::core {

std::optional<long long> processStartTime() {
    std::ifstream statFile("/proc/self/stat");
    std::string stat;
    std::getline(statFile, stat);
    const std::size_t nameEnd = stat.rfind(')');  // the command name may hold spaces and ')'
    if (nameEnd == std::string::npos) {
        return std::nullopt;
    }
    // Field 22, the start in clock ticks after boot, is the 20th after the name.
    std::string_view rest = std::string_view(stat).substr(nameEnd + 1);
    unsigned long long ticks = 0;
    for (int field = 0; field < 20; ++field) {
        const std::size_t start = rest.find_first_not_of(' ');
        if (start == std::string_view::npos) {
            return std::nullopt;
        }
        rest.remove_prefix(start);
        const std::size_t end = std::min(rest.find(' '), rest.size());
        if (field == 19) {
            ticks = std::strtoull(std::string(rest.substr(0, end)).c_str(), nullptr, 10);
        }
        rest.remove_prefix(end);
    }
    std::ifstream systemStat("/proc/stat");
    std::string label;
    long long bootTime = -1;
    while (systemStat >> label) {
        if (label == "btime") {
            systemStat >> bootTime;
            break;
        }
        systemStat.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
    }
    const long ticksPerSecond = ::sysconf(_SC_CLK_TCK);
    if (bootTime < 0 || ticksPerSecond <= 0) {
        return std::nullopt;
    }
    return bootTime + static_cast<long long>(ticks / static_cast<unsigned long long>(ticksPerSecond));
}

}  // namespace vamu::core
