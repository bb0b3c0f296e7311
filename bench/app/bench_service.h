#pragma once
// What the whole-program benchmarks share: a home of their own, waiting until the loopback
// service has made every song file, and the figures of a series of timings.

#include "net/http_request.h"
#include "net/json_document.h"
#include "support/service_process.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace vamu::bench {

// A fresh home with its XDG folders for the program under test, set in the environment
// before Qt starts (offscreen unless a platform is named); the caller removes it.
inline std::filesystem::path useFreshHome(const char* binaryDirectory) {
    ::setenv("VAMU_BINARY_DIR", binaryDirectory, 0);
    if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const auto home = std::filesystem::temp_directory_path() / ("vamu-bench-" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(home / "config");
    std::filesystem::create_directories(home / "data");
    ::setenv("HOME", home.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
    ::setenv("XDG_CACHE_HOME", (home / "cache").c_str(), 1);
    return home;
}

inline std::optional<net::JsonDocument> getAdminJson(const std::string& url) {
    net::HttpRequestArgs args;
    args.url = url;
    args.extraHeaders = std::string(test::kAdminHeader);
    net::JsonDocument document;
    if (!document.load(net::httpRequest(args).body)) return std::nullopt;
    return document;
}

// Waits until the service has made every song file, so that no measurement includes
// making one.
inline bool waitForSongs(const test::ServiceProcess& service) {
    using namespace std::chrono_literals;
    std::string last;
    for (const auto deadline = std::chrono::steady_clock::now() + 15min; std::chrono::steady_clock::now() < deadline;
         std::this_thread::sleep_for(1s)) {
        const auto status = getAdminJson(service.apiUrl("/admin/status"));
        if (!status) continue;
        const std::string ready = status->getText("songs_ready");
        const std::string files = status->getText("mp3_files");
        if (!ready.empty() && ready == files) return true;
        if (ready != last) std::fprintf(stderr, "making songs: %s of %s\n", ready.c_str(), files.c_str());
        last = ready;
    }
    return false;
}

struct Stats {
    double median = 0, p90 = 0, min = 0, max = 0;
};

inline Stats stats(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    if (n == 0) return {};
    const double median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    const std::size_t p90 = std::min(n - 1, static_cast<std::size_t>(std::ceil(0.9 * static_cast<double>(n))) - 1);
    return {median, values[p90], values.front(), values.back()};
}

// One line of a table headed by printStatsHeader().
inline void printStatsHeader() {
    std::printf("%-40s %4s %8s %8s %8s %8s\n", "", "n", "median", "p90", "min", "max");
}
inline void printStatsRow(const char* name, const std::vector<double>& values) {
    const Stats s = stats(values);
    std::printf("%-40s %4zu %8.1f %8.1f %8.1f %8.1f\n", name, values.size(), s.median, s.p90, s.min, s.max);
}

}  // namespace vamu::bench
