#include "service_log.h"

#include <cstdio>
#include <mutex>
#include <string>

namespace vamu::service {

void logLine(std::string_view text) {
    static std::mutex mutex;
    std::string line(kLogPrefix);
    line.append(text);
    line.push_back('\n');
    std::lock_guard lock(mutex);
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fflush(stdout);
}

}  // namespace vamu::service
