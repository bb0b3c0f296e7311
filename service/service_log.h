#pragma once
// The service's log: whole lines on standard output, each prefixed with "vamu-service: "
// and flushed at once, so a parent process reading the pipe sees every line as it comes.
// Any thread may call.

#include <string_view>

namespace vamu::service {

inline constexpr std::string_view kLogPrefix = "vamu-service: ";

void logLine(std::string_view text);

}  // namespace vamu::service
