#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "library/download_tone.h"
#include "library/song_transfer.h"
#include "playback/capturing_output.h"
#include "support/loopback_http_server.h"
#include "support/raw_http_server.h"
#include "support/scaled_clock.h"
#include "support/tls_identity.h"
#include "support/wait_until.h"

namespace vamu::library {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

std::vector<std::byte> songBytes(std::size_t size) {
    std::vector<std::byte> bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<std::byte>(i * 7 + i / 251);
    }
    return bytes;
}

std::vector<std::byte> readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> chars{std::istreambuf_iterator<char>(in), {}};
    return {reinterpret_cast<const std::byte*>(chars.data()),
            reinterpret_cast<const std::byte*>(chars.data() + chars.size())};
}

class SongTransferTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_folder = fs::temp_directory_path() / ("vamu-transfer-" + std::to_string(::getpid()) + "-" +
                                                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(m_folder);
    }
    void TearDown() override {
        m_transfer.stop();
        fs::remove_all(m_folder);
    }
    bool finishes() {
        return test::waitUntil([&] { return !m_transfer.running(); }, 15s);
    }

    test::LoopbackHttpServer m_server;
    SongTransfer m_transfer;
    fs::path m_folder;
};

TEST_F(SongTransferTest, DownloadsUnderThePartialNameThenRenames) {
    const auto body = songBytes(300 * 1024);
    m_server.serve("/song.mp3", {.body = body, .bytesPerSecond = 400 * 1024});
    const fs::path target = m_folder / "a b.mp3";
    EXPECT_EQ(m_transfer.status().state, TransferState::Idle);
    m_transfer.start(m_server.url("/song.mp3"), target.string());
    EXPECT_TRUE(m_transfer.running());

    ASSERT_TRUE(test::waitUntil([&] { return m_transfer.status().state == TransferState::Receiving; }));
    const TransferStatus receiving = m_transfer.status();
    EXPECT_EQ(receiving.totalBytes, std::ssize(body));
    EXPECT_EQ(receiving.fileName, target.string() + ";");
    EXPECT_TRUE(fs::exists(target.string() + ";"));
    EXPECT_FALSE(fs::exists(target));

    ASSERT_TRUE(finishes());
    const TransferStatus done = m_transfer.status();
    EXPECT_EQ(done.state, TransferState::Finished);
    EXPECT_EQ(done.doneBytes, std::ssize(body));
    EXPECT_EQ(done.fileName, target.string());
    EXPECT_EQ(readFile(target), body);
    EXPECT_FALSE(fs::exists(target.string() + ";"));
}

TEST_F(SongTransferTest, MonitorReportsProgressWhileReceiving) {
    const auto body = songBytes(200 * 1024);
    m_server.serve("/slow.mp3", {.body = body, .bytesPerSecond = 64 * 1024});
    m_transfer.start(m_server.url("/slow.mp3"), (m_folder / "slow.mp3").string());
    ASSERT_TRUE(test::waitUntil([&] { return m_transfer.status().doneBytes > 0; }, 5s));
    const TransferStatus midway = m_transfer.status();
    EXPECT_EQ(midway.state, TransferState::Receiving);
    EXPECT_LT(midway.doneBytes, midway.totalBytes);
    ASSERT_TRUE(finishes());
    EXPECT_EQ(m_transfer.status().state, TransferState::Finished);
}

TEST_F(SongTransferTest, ChunkedReplyWithoutSizeIsKeptWhenItsClosingChunkArrives) {
    const auto body = songBytes(50 * 1024);
    m_server.serve("/chunked.mp3", {.body = body, .announceLength = false});
    const fs::path target = m_folder / "chunked.mp3";
    m_transfer.start(m_server.url("/chunked.mp3"), target.string());
    ASSERT_TRUE(finishes());
    EXPECT_EQ(m_transfer.status().state, TransferState::Finished);
    EXPECT_EQ(m_transfer.status().totalBytes, std::ssize(body));
    EXPECT_EQ(readFile(target), body);
}

// Without an announced size, only the closing chunk of a chunked reply proves the end.
TEST_F(SongTransferTest, ReplyWithoutSizeWhoseEndIsUncertainFails) {
    const std::string body(30'000, 'm');
    struct Case {
        const char* name;
        std::string reply;
    };
    const Case cases[] = {
        {"ends with the connection", "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n" + body},
        {"chunked, cut before the closing chunk",
         "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n7530\r\n" + body + "\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::RawHttpServer server([&](const std::string&, std::size_t) {
            return test::RawHttpServer::Response{test::RawHttpServer::Action::Close, c.reply};
        });
        const fs::path target = m_folder / "unsized.mp3";
        m_transfer.start(server.url("/unsized.mp3"), target.string());
        ASSERT_TRUE(finishes());
        EXPECT_EQ(m_transfer.status().state, TransferState::Failed);
        EXPECT_EQ(m_transfer.status().doneBytes, std::ssize(body));
        EXPECT_FALSE(fs::exists(target));
        EXPECT_FALSE(fs::exists(target.string() + ";"));
    }
}

// Names the system refuses end as a failed transfer, not as an exception on the
// transfer's thread (which would end the program).
TEST_F(SongTransferTest, NamesTheSystemRefusesFailWithoutThrowing) {
    m_server.serve("/song.mp3", {.body = songBytes(10 * 1024)});
    std::string longTitle;
    for (int i = 0; i < 86; ++i) {
        longTitle += "歌";  // 3 bytes each: 258 bytes, over the 255 a file name may have
    }
    std::ofstream(m_folder / "plain").put('x');
    const fs::path targets[] = {
        m_folder / (longTitle + ".mp3"),
        m_folder / "plain" / "song.mp3",  // a folder in the path is a regular file
    };
    for (const fs::path& target : targets) {
        SCOPED_TRACE(target.string());
        m_transfer.start(m_server.url("/song.mp3"), target.string());
        ASSERT_TRUE(finishes());
        EXPECT_EQ(m_transfer.status().state, TransferState::Failed);
    }
}

TEST_F(SongTransferTest, FolderThatCannotBeSearchedFailsWithoutThrowing) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "permissions do not bind root; the other refused names cover this path";
    }
    m_server.serve("/song.mp3", {.body = songBytes(10 * 1024)});
    const fs::path locked = m_folder / "locked";
    fs::create_directories(locked);
    fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_write);
    m_transfer.start(m_server.url("/song.mp3"), (locked / "song.mp3").string());
    ASSERT_TRUE(finishes());
    EXPECT_EQ(m_transfer.status().state, TransferState::Failed);
    fs::permissions(locked, fs::perms::owner_all);
}

// The download follows the same redirect rule as every other transfer: HTTPS never
// continues over plain HTTP.
TEST_F(SongTransferTest, RedirectsNeverLeaveHttpsForPlainHttp) {
    test::TlsIdentity identity;
    const auto song = songBytes(20 * 1024);
    const std::string songText(reinterpret_cast<const char*>(song.data()), song.size());
    test::RawHttpServer plain([&](const std::string&, std::size_t) { return test::RawHttpServer::reply(songText); });
    test::RawHttpServer secure(
        [&](const std::string& request, std::size_t) {
            if (request.starts_with("GET /down ")) {
                return test::RawHttpServer::reply("", "Location: " + plain.url("/song.mp3") + "\r\n", 302);
            }
            return test::RawHttpServer::reply(songText);
        },
        identity.serverContext());
    SongTransfer transfer(net::TransferPolicy{.caFile = identity.certificateFile()});

    transfer.start(secure.url("/down"), (m_folder / "down.mp3").string());
    ASSERT_TRUE(test::waitUntil([&] { return !transfer.running(); }, 15s));
    EXPECT_EQ(transfer.status().state, TransferState::Failed);
    EXPECT_TRUE(plain.requests().empty());

    transfer.start(secure.url("/song.mp3"), (m_folder / "direct.mp3").string());
    ASSERT_TRUE(test::waitUntil([&] { return !transfer.running(); }, 15s));
    EXPECT_EQ(transfer.status().state, TransferState::Finished);
    EXPECT_EQ(readFile(m_folder / "direct.mp3"), song);
}

// A download may take as long as it needs while data flows: no overall deadline applies.
TEST_F(SongTransferTest, SlowDownloadIsNotCutByADeadline) {
    const auto body = songBytes(60 * 1024);
    m_server.serve("/slow.mp3", {.body = body, .bytesPerSecond = 40 * 1024});
    SongTransfer transfer(net::TransferPolicy{.deadline = std::chrono::milliseconds(300)});
    transfer.start(m_server.url("/slow.mp3"), (m_folder / "slow.mp3").string());
    ASSERT_TRUE(test::waitUntil([&] { return !transfer.running(); }, 15s));
    EXPECT_EQ(transfer.status().state, TransferState::Finished);
    EXPECT_EQ(readFile(m_folder / "slow.mp3"), body);
}

struct FailureCase {
    const char* name;
    test::Route route;
};

TEST_F(SongTransferTest, FailuresLeaveNoFileBehind) {
    const auto body = songBytes(100 * 1024);
    const FailureCase cases[] = {
        {"not found", {.body = body, .status = 404}},
        {"cut off", {.body = body, .closeAt = 40 * 1024}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m_server.serve("/fail.mp3", c.route);
        const fs::path target = m_folder / "fail.mp3";
        m_transfer.start(m_server.url("/fail.mp3"), target.string());
        ASSERT_TRUE(finishes());
        EXPECT_EQ(m_transfer.status().state, TransferState::Failed);
        EXPECT_FALSE(fs::exists(target));
        EXPECT_FALSE(fs::exists(target.string() + ";"));
    }
    m_transfer.start("http://127.0.0.1:1/none.mp3", (m_folder / "none.mp3").string());
    ASSERT_TRUE(finishes());
    EXPECT_EQ(m_transfer.status().state, TransferState::Failed);
    EXPECT_TRUE(fs::is_empty(m_folder));
}

TEST_F(SongTransferTest, StopCancelsAndDeletesThePartialFile) {
    m_server.serve("/stall.mp3", {.body = songBytes(100 * 1024), .stallAt = 10 * 1024});
    const fs::path target = m_folder / "stall.mp3";
    m_transfer.start(m_server.url("/stall.mp3"), target.string());
    ASSERT_TRUE(test::waitUntil([&] { return m_transfer.status().state == TransferState::Receiving; }));
    const auto started = std::chrono::steady_clock::now();
    m_transfer.stop();
    EXPECT_LT(std::chrono::steady_clock::now() - started, 500ms);  // not at the next progress call
    EXPECT_FALSE(m_transfer.running());
    EXPECT_EQ(m_transfer.status().state, TransferState::Failed);
    EXPECT_FALSE(fs::exists(target.string() + ";"));
    EXPECT_FALSE(fs::exists(target));
}

TEST_F(SongTransferTest, StartingAgainSupersedesTheRunningTransfer) {
    m_server.serve("/stall.mp3", {.body = songBytes(100 * 1024), .stallAt = 10 * 1024});
    m_server.serve("/quick.mp3", {.body = songBytes(1000)});
    m_transfer.start(m_server.url("/stall.mp3"), (m_folder / "first.mp3").string());
    ASSERT_TRUE(test::waitUntil([&] { return m_transfer.status().state == TransferState::Receiving; }));
    m_transfer.start(m_server.url("/quick.mp3"), (m_folder / "second.mp3").string());
    ASSERT_TRUE(finishes());
    EXPECT_EQ(m_transfer.status().state, TransferState::Finished);
    EXPECT_FALSE(fs::exists(m_folder / "first.mp3;"));
    EXPECT_TRUE(fs::exists(m_folder / "second.mp3"));
}

TEST(DownloadTone, IsAShortWaveThatPlaysFromMemory) {
    playback::AudioEngine engine;
    auto output = std::make_unique<playback::CapturingOutput>(std::make_shared<test::ScaledClock>(8.0));
    const auto* capture = output.get();
    engine.init(std::move(output));
    const auto handle = playDownloadTone(engine);
    ASSERT_NE(handle, 0u);
    const double seconds = engine.bytesToSeconds(handle, engine.getLength(handle));
    EXPECT_GT(seconds, 0.5);
    EXPECT_LE(seconds, 1.5);  // the song stays muted for 1.5 s while it plays
    ASSERT_TRUE(test::waitUntil([&] { return engine.isActive(handle) == playback::ActivityState::Stopped; }));
    int loud = 0;
    for (const std::int16_t sample : capture->samples()) {
        loud += std::abs(sample) > 4000 ? 1 : 0;
    }
    EXPECT_GT(loud, 1000);
    EXPECT_TRUE(engine.freeStream(handle));
}

}  // namespace
}  // namespace vamu::library
