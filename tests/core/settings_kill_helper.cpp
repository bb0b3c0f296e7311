// Writes the settings file over and over until it is killed: write w sets "计数" to
// killValue(w), w counting on from the value already stored, and reports "saved w" on
// standard output once writeSetting has returned ("ready" before the first write). The
// kill test holds it to every report.
// With "clean" it removes stale temporary files as the program does at start and reports
// "removed N". The settings folder comes from XDG_CONFIG_HOME, as in the program.
//
//   settings_kill_helper write|clean

#include <unistd.h>

#include <string>
#include <string_view>

#include "core/settings.h"
#include "settings_kill_value.h"

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    using namespace vamu::core;
    const std::string_view mode = argv[1];
    std::string report;
    if (mode == "clean") {
        report = "removed " + std::to_string(removeStaleSettingsFiles()) + "\n";
        return ::write(STDOUT_FILENO, report.data(), report.size()) < 0 ? 1 : 0;
    }
    if (mode != "write") return 2;
    const int stored = readSettingInt(kKillKey, 0);
    // The kill test starts its clock here, so the start-up time does not eat its delays.
    if (::write(STDOUT_FILENO, "ready\n", 6) < 0) return 1;
    for (int w = stored + 1;; ++w) {
        if (!writeSetting(kKillKey, killValue(w))) return 1;
        report = "saved " + std::to_string(w) + "\n";
        if (::write(STDOUT_FILENO, report.data(), report.size()) < 0) return 1;
    }
}
