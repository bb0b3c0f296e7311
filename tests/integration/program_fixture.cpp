#include "integration/program_fixture.h"

#include "catalogue/radio_controller.h"
#include "core/settings.h"
#include "net/json_document.h"
#include "net/http_request.h"

#include <algorithm>
#include <cstdlib>
#include <random>

namespace vamu::test {

bool MessageLog::waitFor(std::size_t count, std::chrono::milliseconds deadline) const {
    return UiDriver::pumpUntil([&] { return m_seen.size() >= count; }, deadline);
}

ProgramFixture::~ProgramFixture() {
    m_program.reset();
    m_service.reset();
    std::error_code ignored;
    if (!m_home.empty()) std::filesystem::remove_all(m_home, ignored);
}

void ProgramFixture::startService(std::vector<std::string> arguments) {
    ServiceProcessOptions options;
    options.arguments = std::move(arguments);
    options.arguments.emplace_back("--log-requests");  // tests count what reached the service
    m_service = std::make_unique<ServiceProcess>(options);
    ASSERT_TRUE(m_service->running()) << m_service->startError();

    m_home = std::filesystem::temp_directory_path() / ("vamu-program-" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(m_home / "config");
    std::filesystem::create_directories(m_home / "data");
    ::setenv("HOME", m_home.c_str(), 1);
    ::setenv("XDG_CACHE_HOME", (m_home / "cache").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (m_home / "config").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (m_home / "data").c_str(), 1);
    ASSERT_TRUE(core::writeSetting(core::setting::kServer, m_service->apiBase(), core::CreateFolder::Yes));
    ASSERT_TRUE(core::writeSetting(core::setting::kCompanion, m_service->companionHost(), core::CreateFolder::Yes));
}

bool ProgramFixture::startProgram() {
    app::ProgramOptions options = m_options;
    options.messages = [this](const toolkit::MessageRequest& request) {
        m_messages.push_back(request);
        return m_messageAnswer;
    };
    options.openAddress = [this](const std::string& address) { m_opened.push_back(address); };
    options.silentOutput = true;
    options.scheduler = &m_scheduler;
    options.trayPresent = m_trayPresent;
    m_program = std::make_unique<app::Program>(options);
    return m_program->start() == app::Program::StartResult::Started;
}

bool ProgramFixture::waitForGrid(std::chrono::milliseconds deadline) {
    return UiDriver::pumpUntil([&] { return m_program->radio().gridShown(); }, deadline);
}

int ProgramFixture::requests(std::string_view text) const {
    const auto count = [&] {
        int found = 0;
        for (const std::string& line : m_service->logLines()) {
            found += line.find(text) != std::string::npos ? 1 : 0;
        }
        return found;
    };
    // The service logs a request after its reply went out, so a reply the program has
    // already acted on may not be counted yet: wait until the count holds still.
    int last = count();
    for (int i = 0; i < 20; ++i) {
        UiDriver::pump(std::chrono::milliseconds(50));
        const int now = count();
        if (now == last) return now;
        last = now;
    }
    return last;
}

void ProgramFixture::setFaults(const std::vector<std::string>& faults, const std::vector<std::string>& streams,
                               bool clear) {
    ASSERT_TRUE(m_service->setFaults(faults, streams, clear));
}

void ProgramFixture::writeSetting(std::string_view key, std::string_view value) {
    core::writeSetting(key, value, core::CreateFolder::Yes);
}

std::string ProgramFixture::readSetting(std::string_view key, std::string_view fallback) {
    return core::readSetting(key, fallback);
}

std::vector<ServiceSong> ProgramFixture::hotSongs() const {
    std::vector<ServiceSong> songs;
    for (int page = 1; page <= 3; ++page) {
        net::HttpRequestArgs args;
        args.url = m_service->apiUrl("/sound/hot?page=" + std::to_string(page));
        net::JsonDocument reply;
        if (!reply.load(net::httpRequest(args).body)) continue;
        for (int k = 0; k < reply.countMembers("result.data"); ++k) {
            const std::string item = "result.data[" + std::to_string(k) + "]";
            ServiceSong song;
            song.entry.source = reply.getText(item + ".source");
            song.entry.name = reply.getText(item + ".name");
            song.entry.id = reply.getText(item + ".id");
            song.entry.uploader = reply.getText(item + ".user.name");
            song.seconds = std::stoi(reply.getText(item + ".duration"));
            song.comments = std::stoi(reply.getText(item + ".comment_count"));
            songs.push_back(song);
        }
    }
    return songs;
}

ServiceSong ProgramFixture::songWithComments(int minimum) const {
    std::vector<ServiceSong> songs = hotSongs();
    std::erase_if(songs, [&](const ServiceSong& song) { return song.comments < minimum; });
    EXPECT_FALSE(songs.empty());
    if (songs.empty()) return {};
    return *std::max_element(songs.begin(), songs.end(), [](const auto& a, const auto& b) {
        return std::pair(a.seconds, a.comments) < std::pair(b.seconds, b.comments);
    });
}

}  // namespace vamu::test
