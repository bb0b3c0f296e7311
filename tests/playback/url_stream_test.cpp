// Streams from a loopback HTTP server that is fast, slow, stalling, cut off or refusing.

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "playback/engine_fixture.h"
#include "playback/stream_time.h"
#include "support/audio_fixture.h"
#include "playback/url_source.h"
#include "support/loopback_http_server.h"
#include "support/raw_http_server.h"
#include "support/tls_identity.h"
#include "support/wait_until.h"

namespace vamu::test {
namespace {

using namespace std::chrono_literals;
using playback::ActivityState;
using playback::Restart;
using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// A loopback port with nothing listening on it.
// Reads a source to its end; the bytes, or nullopt when it failed.
std::optional<std::string> readAll(playback::ByteSource& source) {
    std::string bytes;
    std::array<std::byte, 4096> buffer{};
    for (;;) {
        const auto result = source.read(buffer, {});
        if (result.status == playback::ReadStatus::Data) {
            bytes.append(reinterpret_cast<const char*>(buffer.data()), result.bytes);
        } else if (result.status == playback::ReadStatus::End) {
            return bytes;
        } else if (result.status != playback::ReadStatus::Interrupted) {
            return std::nullopt;
        }
    }
}

int closedPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), size);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
    ::close(fd);
    return ntohs(address.sin_port);
}

struct RefusalCase {
    const char* name;
    Route route;
};

class UrlStreamTest : public EngineTest {
protected:
    // Streams first, so their connections are closed before the server stops.
    void TearDown() override { m_engine.free(); }

    playback::StreamHandle open(const std::string& path) { return m_engine.createStream({.url = m_server.url(path)}); }

    // Records each change of the activity state until `until` holds or the deadline passes.
    std::vector<ActivityState> watchStates(playback::StreamHandle handle,
                                           const std::function<bool(const std::vector<ActivityState>&)>& until,
                                           std::chrono::seconds deadline) {
        std::vector<ActivityState> seen;
        waitUntil(
            [&] {
                const auto state = m_engine.isActive(handle);
                if (seen.empty() || seen.back() != state) {
                    seen.push_back(state);
                }
                return until(seen);
            },
            deadline);
        return seen;
    }

    LoopbackHttpServer m_server;
};

TEST_F(UrlStreamTest, OpensOnceTheFormatIsKnownWithoutWaitingForTheWholeSong) {
    startEngine();
    const std::int64_t frames = 30 * 44100;
    m_server.serve("/song.mp3", {.body = encodeMp3({.frames = frames}), .bytesPerSecond = 64 * 1024});  // ~7 s in all

    const auto started = Clock::now();
    const auto handle = open("/song.mp3");
    ASSERT_NE(handle, 0u);
    EXPECT_LT(secondsSince(started), 3.5);              // the whole song takes about 7 s to arrive
    EXPECT_EQ(m_engine.getLength(handle), frames * 4);  // from the Info header
    EXPECT_EQ(playback::lengthText(m_engine, handle), "00:30");

    ASSERT_TRUE(m_engine.play(handle, Restart::No));
    EXPECT_TRUE(waitUntil([&] { return m_engine.isActive(handle) == ActivityState::Playing; }, 3s));
    // The state turns to playing just before the mixer's first write.
    EXPECT_TRUE(waitUntil([&] { return m_capture->firstWriteTime().has_value(); }, 3s));
}

// A song that arrives no faster than it plays: createStream hands it out with the start
// buffered, so it is playing at once and keeps playing on that buffer.
TEST_F(UrlStreamTest, SongArrivingAtItsOwnRateIsPlayingRightAfterPlay) {
    startEngine();
    const std::int64_t bytesPerSecond = 128 * 1000 / 8;
    m_server.serve("/paced.mp3", {.body = encodeMp3({.frames = 20 * 44100}), .bytesPerSecond = bytesPerSecond});

    const auto created = Clock::now();
    const auto handle = open("/paced.mp3");
    const double createSeconds = secondsSince(created);
    ASSERT_NE(handle, 0u);
    EXPECT_LT(createSeconds, static_cast<double>(playback::AudioEngine::kOpenTimeout.count()));
    const auto played = Clock::now();
    ASSERT_TRUE(m_engine.play(handle, Restart::No));
    EXPECT_EQ(m_engine.isActive(handle), ActivityState::Playing);

    // The buffered start alone covers the first second, however the network keeps up.
    bool stalled = false;
    while (secondsSince(played) < 1.0) {
        stalled = stalled || m_engine.isActive(handle) != ActivityState::Playing;
        std::this_thread::sleep_for(20ms);
    }
    EXPECT_FALSE(stalled);
    EXPECT_GT(m_engine.getPosition(handle), 0);
    // Figures for the record (the capture's clock runs at the steady clock's pace here).
    ASSERT_TRUE(waitUntil([&] { return m_capture->firstWriteTime().has_value(); }, 5s));
    const auto firstWrite = m_capture->firstWriteTime();
    const auto milliseconds = [](auto duration) {
        return static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(duration).count());
    };
    RecordProperty("create_ms", static_cast<int>(createSeconds * 1000));
    RecordProperty("create_to_sound_ms", milliseconds(*firstWrite - created));
    RecordProperty("play_to_sound_ms", milliseconds(*firstWrite - played));
}

TEST_F(UrlStreamTest, SongShorterThanTheStartBufferIsHandedOutWhole) {
    startEngine(4.0);
    const std::int64_t frames = 44100 / 2;
    m_server.serve("/short.mp3", {.body = encodeMp3({.frames = frames}), .bytesPerSecond = 8 * 1024});
    const auto handle = open("/short.mp3");
    ASSERT_NE(handle, 0u);
    ASSERT_TRUE(m_engine.play(handle, Restart::No));
    EXPECT_EQ(m_engine.isActive(handle), ActivityState::Playing);
    ASSERT_TRUE(waitUntil([&] { return m_engine.isActive(handle) == ActivityState::Stopped; }));
    EXPECT_EQ(m_engine.getPosition(handle), frames * 4);
}

// Servers that answer but never deliver the first seconds of audio are given up after
// the open time-out, not held as a stream that would sit silent at position 0.
TEST_F(UrlStreamTest, ServerThatStopsBeforeTheStartBufferGivesNoHandleAfterTheOpenTimeout) {
    startEngine();
    const auto mp3 = encodeMp3({.frames = 20 * 44100});
    const double timeout = static_cast<double>(playback::AudioEngine::kOpenTimeout.count());
    const RefusalCase cases[] = {
        {"no data at all", {.body = mp3, .stallAt = 0}},
        {"one second, then nothing", {.body = mp3, .stallAt = 16000}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m_server.serve("/stops.mp3", c.route);
        const auto started = Clock::now();
        EXPECT_EQ(open("/stops.mp3"), 0u);
        const double seconds = secondsSince(started);
        EXPECT_GT(seconds, timeout - 0.5);
        EXPECT_LT(seconds, timeout + 5.0);
    }
}

TEST_F(UrlStreamTest, LengthWithoutHeaderComesFromContentLengthThenTheExactEnd) {
    startEngine(16.0);
    const auto mp3 = encodeMp3({.frames = 4 * 44100, .infoTag = false});
    m_server.serve("/plain.mp3", {.body = mp3});
    const auto handle = open("/plain.mp3");
    ASSERT_NE(handle, 0u);
    const std::int64_t estimate = m_engine.getLength(handle);
    EXPECT_NEAR(static_cast<double>(estimate), 4 * 44100 * 4.0, 4 * 44100 * 4 * 0.02);

    ASSERT_TRUE(m_engine.play(handle, Restart::No));
    ASSERT_TRUE(waitUntil([&] { return m_engine.isActive(handle) == ActivityState::Stopped; }));
    EXPECT_EQ(m_engine.getLength(handle), m_engine.getPosition(handle));
}

TEST_F(UrlStreamTest, LengthIsUnknownUntilTheWholeSongArrivedWhenNothingAnnouncesIt) {
    startEngine();
    // Longer than the decoded-ahead ring, so the decoder is waiting (nothing plays) when
    // the download ends: the length must not depend on decoding going on.
    const auto mp3 = encodeMp3({.frames = 6 * 44100, .kbps = 64, .infoTag = false});  // ~48 KB
    m_server.serve("/unsized.mp3", {.body = mp3, .announceLength = false, .bytesPerSecond = 24 * 1024});

    const auto started = Clock::now();
    const auto handle = open("/unsized.mp3");
    ASSERT_NE(handle, 0u);
    EXPECT_EQ(m_engine.getLength(handle), -1);
    EXPECT_EQ(playback::lengthSeconds(m_engine, handle), -1);
    EXPECT_EQ(playback::lengthText(m_engine, handle), "--:--");
    ASSERT_TRUE(waitUntil([&] { return m_engine.getLength(handle) != -1; }));
    EXPECT_GT(secondsSince(started), 1.5);  // the body takes about 2 s to arrive
    EXPECT_NEAR(static_cast<double>(m_engine.getLength(handle)), 6 * 44100 * 4.0, 6 * 44100 * 4 * 0.02);
    EXPECT_EQ(m_engine.isActive(handle), ActivityState::Stopped);
}

TEST_F(UrlStreamTest, SlowServerStallsThePlaybackWhichThenRecovers) {
    startEngine(4.0);  // the output drains four times faster than the network delivers
    m_server.serve("/slow.mp3", {.body = encodeMp3({.frames = 40 * 44100, .kbps = 64}), .bytesPerSecond = 12 * 1024});
    const auto handle = open("/slow.mp3");
    ASSERT_NE(handle, 0u);
    ASSERT_TRUE(m_engine.play(handle, Restart::No));

    const auto seen = watchStates(
        handle,
        [](const auto& states) {
            return states.size() >= 4 && states[states.size() - 3] == ActivityState::Playing &&
                   states[states.size() - 2] == ActivityState::Stalled && states.back() == ActivityState::Playing;
        },
        20s);
    ASSERT_GE(seen.size(), 4u);
    EXPECT_EQ(seen.front(), ActivityState::Playing);  // createStream buffered the start
    EXPECT_EQ(seen.back(), ActivityState::Playing);
    EXPECT_EQ(seen[seen.size() - 2], ActivityState::Stalled);
}

TEST_F(UrlStreamTest, ServerClosingMidSongEndsTheSongAfterResumptionsFail) {
    startEngine(16.0);
    const auto mp3 = encodeMp3({.frames = 20 * 44100});
    const auto cut = static_cast<std::int64_t>(mp3.size() * 2 / 5);
    m_server.serve("/cut.mp3", {.body = mp3, .closeAt = cut});
    const auto handle = open("/cut.mp3");
    ASSERT_NE(handle, 0u);
    ASSERT_TRUE(m_engine.play(handle, Restart::No));
    ASSERT_TRUE(waitUntil([&] { return m_engine.isActive(handle) == ActivityState::Stopped; }, 20s));
    const double playedSeconds = m_engine.bytesToSeconds(handle, m_engine.getPosition(handle));
    EXPECT_GT(playedSeconds, 6.0);
    EXPECT_LT(playedSeconds, 10.0);
    EXPECT_GE(m_server.requestCount("/cut.mp3"), 2);  // it tried to resume with a Range
    EXPECT_FALSE(m_server.rangeHeaders("/cut.mp3").empty());
}

TEST_F(UrlStreamTest, StalledServerKeepsTheStreamStalledAndFreeingItIsPrompt) {
    startEngine(16.0);
    const auto mp3 = encodeMp3({.frames = 20 * 44100});
    m_server.serve("/stall.mp3", {.body = mp3, .stallAt = static_cast<std::int64_t>(mp3.size() / 4)});
    const auto handle = open("/stall.mp3");
    ASSERT_NE(handle, 0u);
    ASSERT_TRUE(m_engine.play(handle, Restart::No));
    ASSERT_TRUE(waitUntil([&] { return m_engine.getPosition(handle) > secondsToBytes(4.0); }));
    ASSERT_TRUE(waitUntil([&] { return m_engine.isActive(handle) == ActivityState::Stalled; }));
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(m_engine.isActive(handle), ActivityState::Stalled);

    const auto started = Clock::now();
    ASSERT_TRUE(m_engine.freeStream(handle));
    EXPECT_LT(secondsSince(started), 0.5);
    EXPECT_TRUE(waitUntil([&] { return m_server.activeBodies() == 0; }, 3s));  // the connection is gone
}

TEST_F(UrlStreamTest, FreeingWhileDownloadingReturnsPromptly) {
    startEngine();
    m_server.serve("/long.mp3", {.body = encodeMp3({.frames = 60 * 44100}), .bytesPerSecond = 32 * 1024});
    const auto handle = open("/long.mp3");
    ASSERT_NE(handle, 0u);
    ASSERT_TRUE(m_engine.play(handle, Restart::No));
    std::this_thread::sleep_for(300ms);
    ASSERT_GT(m_server.activeBodies(), 0);

    const auto started = Clock::now();
    ASSERT_TRUE(m_engine.freeStream(handle));
    EXPECT_LT(secondsSince(started), 0.5);
    EXPECT_EQ(m_engine.isActive(handle), ActivityState::Stopped);
    EXPECT_TRUE(waitUntil([&] { return m_server.activeBodies() == 0; }, 3s));
}

TEST_F(UrlStreamTest, CreateCanBeCancelledWhileWaitingForData) {
    startEngine();
    const auto mp3 = encodeMp3({.frames = 10 * 44100});
    // Before the format is known, and after it while the first seconds are still missing.
    for (const std::int64_t stallAt : {std::int64_t{0}, std::int64_t{16000}}) {
        SCOPED_TRACE(stallAt);
        m_server.serve("/silent.mp3", {.body = mp3, .stallAt = stallAt});
        std::stop_source cancel;
        std::jthread canceller([&] {
            std::this_thread::sleep_for(200ms);
            cancel.request_stop();
        });
        const auto started = Clock::now();
        EXPECT_EQ(m_engine.createStream({.url = m_server.url("/silent.mp3")}, cancel.get_token()), 0u);
        EXPECT_LT(secondsSince(started), 1.5);
    }
}

TEST_F(UrlStreamTest, ErrorsAndPagesThatAreNotAudioGiveNoHandle) {
    startEngine();
    const std::string page = "<!DOCTYPE html><html><body>Please log in</body></html>";
    const std::vector<std::byte> pageBytes(reinterpret_cast<const std::byte*>(page.data()),
                                           reinterpret_cast<const std::byte*>(page.data() + page.size()));
    const auto mp3 = encodeMp3({.frames = 44100});
    const RefusalCase cases[] = {
        {"not found", {.body = mp3, .status = 404}},
        {"server error", {.body = pageBytes, .contentType = "text/html", .status = 500}},
        {"html page", {.body = pageBytes, .contentType = "text/html; charset=utf-8"}},
        {"html sent as audio", {.body = pageBytes}},
        {"empty body", {.body = {}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m_server.serve("/refuse", c.route);
        const auto started = Clock::now();
        EXPECT_EQ(open("/refuse"), 0u);
        EXPECT_LT(secondsSince(started), 5.0);
    }
    EXPECT_EQ(m_engine.createStream({.url = "http://127.0.0.1:" + std::to_string(closedPort()) + "/song.mp3"}), 0u);
    EXPECT_EQ(m_engine.createStream({.url = "file:///etc/passwd"}), 0u);
}

TEST_F(UrlStreamTest, SeekWithinTheDownloadStaysLocal) {
    startEngine(2.0);
    m_server.serve("/whole.mp3", {.body = encodeMp3({.frames = 10 * 44100})});
    const auto handle = open("/whole.mp3");
    ASSERT_NE(handle, 0u);
    std::this_thread::sleep_for(200ms);  // the whole song arrives
    ASSERT_TRUE(m_engine.setPosition(handle, secondsToBytes(6.5)));
    ASSERT_TRUE(m_engine.play(handle, Restart::No));
    ASSERT_TRUE(waitUntil([&] { return m_engine.getPosition(handle) > secondsToBytes(6.9); }));
    const auto samples = m_capture->samples();
    ASSERT_GE(samples.size(), 2u * 44100 / 5);
    EXPECT_EQ(secondFromLevel(leftRms(std::span(samples).first(2 * 44100 / 5))), 6);
    EXPECT_EQ(m_server.requestCount("/whole.mp3"), 1);
}

TEST_F(UrlStreamTest, SeekBeyondTheDownloadReconnectsWithARange) {
    startEngine(2.0);
    m_server.serve("/far.mp3", {.body = encodeMp3({.frames = 60 * 44100}), .bytesPerSecond = 40 * 1024});
    const auto handle = open("/far.mp3");
    ASSERT_NE(handle, 0u);
    ASSERT_TRUE(m_engine.setPosition(handle, secondsToBytes(45.5)));
    ASSERT_TRUE(m_engine.play(handle, Restart::No));
    ASSERT_TRUE(waitUntil([&] { return m_engine.isActive(handle) == ActivityState::Playing; }));
    ASSERT_TRUE(waitUntil([&] { return m_capture->samples().size() >= 2u * 44100 / 5; }));
    const auto samples = m_capture->samples();
    EXPECT_EQ(secondFromLevel(leftRms(std::span(samples).first(2 * 44100 / 5))), 45 % 20);
    EXPECT_NEAR(m_engine.bytesToSeconds(handle, m_engine.getPosition(handle)), 45.5, 1.0);
    const auto ranges = m_server.rangeHeaders("/far.mp3");
    ASSERT_EQ(ranges.size(), 1u);
    EXPECT_TRUE(ranges[0].starts_with("bytes=")) << ranges[0];
}

TEST_F(UrlStreamTest, OffsetStartsTheFetchWithARange) {
    startEngine();
    const auto mp3 = encodeMp3({.frames = 44100});
    std::vector<std::byte> padded;
    padded.reserve(1000 + mp3.size());
    padded.resize(1000, std::byte{'x'});
    padded.insert(padded.end(), mp3.begin(), mp3.end());
    m_server.serve("/padded.mp3", {.body = padded});
    const auto handle = m_engine.createStream({.url = m_server.url("/padded.mp3"), .offset = 1000});
    ASSERT_NE(handle, 0u);
    EXPECT_EQ(m_engine.getLength(handle), 44100 * 4);
    ASSERT_EQ(m_server.rangeHeaders("/padded.mp3").size(), 1u);
    EXPECT_EQ(m_server.rangeHeaders("/padded.mp3")[0], "bytes=1000-");
}

// The stream reader follows the redirect rule of every transfer: a song asked for over
// HTTPS never continues over plain HTTP.
TEST(UrlSourcePolicy, RedirectsNeverLeaveHttpsForPlainHttp) {
    TlsIdentity identity;
    const std::string song(20'000, 's');
    RawHttpServer plain([&](const std::string&, std::size_t) { return RawHttpServer::reply(song); });
    RawHttpServer secure(
        [&](const std::string& request, std::size_t) {
            if (request.starts_with("GET /down ")) {
                return RawHttpServer::reply("", "Location: " + plain.url("/song.mp3") + "\r\n", 302);
            }
            return RawHttpServer::reply(song);
        },
        identity.serverContext());
    const playback::UrlSourceLimits limits{.transfer = {.caFile = identity.certificateFile()}};

    playback::UrlSource redirected(secure.url("/down"), 0, limits);
    EXPECT_FALSE(readAll(redirected).has_value());
    EXPECT_TRUE(plain.requests().empty());

    playback::UrlSource direct(secure.url("/song.mp3"), 0, limits);
    EXPECT_EQ(readAll(direct), song);
}

// A song may take minutes to arrive: no overall deadline cuts it while data flows.
TEST(UrlSourcePolicy, SlowSongIsNotCutByADeadline) {
    LoopbackHttpServer server;
    const auto body = encodeMp3({.frames = 44100});
    server.serve("/slow.mp3", {.body = body, .bytesPerSecond = 20 * 1024});
    playback::UrlSource source(server.url("/slow.mp3"), 0, {.transfer = {.deadline = std::chrono::milliseconds(200)}});
    const auto bytes = readAll(source);
    ASSERT_TRUE(bytes.has_value());
    EXPECT_EQ(bytes->size(), body.size());
}

}  // namespace
}  // namespace vamu::test
