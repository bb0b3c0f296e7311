#pragma once
// A whole program in the test's process, against its own vamu-service: settings in a
// temporary XDG_CONFIG_HOME pointing at the service, the silent sound output, and a
// manual scheduler so the player's and the radio's timers run on the test's clock.

#include "app/main_window.h"
#include "app/program.h"
#include "net/song_entry.h"
#include "support/manual_scheduler.h"
#include "support/service_process.h"
#include "support/ui_driver.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vamu::test {

// A song of the service's hot list as the service describes it.
struct ServiceSong {
    net::SongEntry entry;
    int seconds = 0;
    int comments = 0;
};

// The message boxes the program's features asked for, in order, as the one watcher of
// every feature's messages.
class MessageLog {
public:
    void push_back(const toolkit::MessageRequest& request) { m_seen.push_back(request); }
    [[nodiscard]] const std::vector<toolkit::MessageRequest>& seen() const { return m_seen; }
    [[nodiscard]] std::size_t count() const { return m_seen.size(); }
    [[nodiscard]] std::size_t size() const { return m_seen.size(); }
    [[nodiscard]] bool empty() const { return m_seen.empty(); }
    [[nodiscard]] const toolkit::MessageRequest& front() const { return m_seen.front(); }
    [[nodiscard]] const toolkit::MessageRequest& back() const { return m_seen.back(); }
    // Pumps until `count` messages have been asked for.
    [[nodiscard]] bool waitFor(std::size_t count, std::chrono::milliseconds deadline = std::chrono::seconds(10)) const;
    void clear() { m_seen.clear(); }

private:
    std::vector<toolkit::MessageRequest> m_seen;
};
using SeenMessage = toolkit::MessageRequest;

class ProgramFixture : public ::testing::Test {
protected:
    ~ProgramFixture() override;

    // Starts the service (small catalogue, songs at their own byte rate unless the
    // arguments say otherwise) and writes the settings that point at it.
    void startService(std::vector<std::string> arguments = {"--throttle-streams"});
    // Starts the program; false when it did not come up.
    [[nodiscard]] bool startProgram();
    // Pumps until the channel grid shows (the first page arrived).
    [[nodiscard]] bool waitForGrid(std::chrono::milliseconds deadline = std::chrono::seconds(20));

    // The service's fault rules, in the text form of --fault and --stream, while it runs;
    // `clear` drops every rule first.
    void setFaults(const std::vector<std::string>& faults, const std::vector<std::string>& streams = {},
                   bool clear = false);
    void clearFaults() { setFaults({}, {}, true); }

    // Requests the service logged whose line holds `text` ("POST /sound/like", a query).
    [[nodiscard]] int requests(std::string_view text) const;

    // Settings of this test's folder.
    void writeSetting(std::string_view key, std::string_view value);
    [[nodiscard]] std::string readSetting(std::string_view key, std::string_view fallback = "");

    // The hot list's first three pages, read from the service directly.
    [[nodiscard]] std::vector<ServiceSong> hotSongs() const;
    // The longest song with at least `minimum` comments, the most commented first.
    [[nodiscard]] ServiceSong songWithComments(int minimum) const;

    [[nodiscard]] app::MainWindow& window() { return m_program->mainWindow(); }
    [[nodiscard]] toolkit::HostWindow& host() { return m_program->mainWindow().host(); }

    // Message boxes the features asked for, answered with m_messageAnswer (1: closed).
    MessageLog m_messages;
    int m_messageAnswer = 1;
    // Addresses the program opened with the desktop's handler.
    std::vector<std::string> m_opened;
    // Options of the next startProgram() (scheduler, output and the two recorders are set there).
    app::ProgramOptions m_options;

    std::filesystem::path m_home;
    std::unique_ptr<ServiceProcess> m_service;
    ManualScheduler m_scheduler;
    // Whether a tray host shows the icon, as the program sees it; none: ask the tray.
    std::function<bool()> m_trayPresent;
    std::unique_ptr<app::Program> m_program;
};

}  // namespace vamu::test
