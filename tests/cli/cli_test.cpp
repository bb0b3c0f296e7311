// Runs the vamu-cli binary and checks what it prints and how it exits.

#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/settings_fixture.h"
#include "net/fake_service.h"
#include "support/audio_fixture.h"
#include "support/loopback_http_server.h"

namespace vamu::cli {
namespace {

struct Result {
    int exitCode = -1;
    std::string output;  // stdout and stderr together
};

std::string quoted(const std::string& argument) {
    std::string out = "'";
    for (char c : argument) {
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return out + "'";
}

Result runCli(const std::vector<std::string>& arguments) {
    std::string command = quoted(VAMU_CLI_PATH);
    for (const std::string& argument : arguments) {
        command += ' ' + quoted(argument);
    }
    command += " 2>&1";
    Result result;
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return result;
    }
    char buffer[4096];
    std::size_t count = 0;
    while ((count = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        result.output.append(buffer, count);
    }
    const int status = ::pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

using CliTest = core::SettingsTest;

TEST_F(CliTest, UsageAndExitCodes) {
    const Result none = runCli({});
    EXPECT_EQ(none.exitCode, 2);
    for (const char* name : {"http", "json", "settings", "scramble", "unscramble"}) {
        EXPECT_NE(none.output.find(std::string("  ") + name + ' '), std::string::npos) << name;
    }
    EXPECT_EQ(runCli({"help"}).exitCode, 0);
    EXPECT_EQ(runCli({"nonsense"}).exitCode, 2);
    EXPECT_EQ(runCli({"json", "only-one"}).exitCode, 2);
    EXPECT_EQ(runCli({"settings", "get"}).exitCode, 2);
    EXPECT_EQ(runCli({"http", "--bogus", "http://x"}).exitCode, 2);
    EXPECT_EQ(runCli({"http", "--method", "PUT", "http://x"}).exitCode, 2);
}

TEST_F(CliTest, SettingsGetAndSet) {
    EXPECT_EQ(runCli({"settings", "get", "server"}).output, "http://127.0.0.1:8960\n");
    EXPECT_EQ(runCli({"settings", "get", "音量", "7"}).output, "7\n");
    EXPECT_EQ(runCli({"settings", "set", "音量", "35"}).exitCode, 0);
    EXPECT_EQ(runCli({"settings", "get", "音量"}).output, "35\n");
    EXPECT_EQ(runCli({"settings", "path"}).output, file().string() + "\n");
    EXPECT_EQ(fileBytes(), "[\xC5\xE4\xD6\xC3\xCE\xC4\xBC\xFE]\n\xD2\xF4\xC1\xBF=35\n");  // GB18030 on disk
    EXPECT_EQ(runCli({"settings", "set", "k", "two\nlines"}).exitCode, 1);
}

TEST_F(CliTest, JsonReadsAPath) {
    const std::string path = m_home + "/reply.json";
    std::ofstream(path) << R"({"state":1,"result":{"data":[{"name":"歌"},{"name":"b"}]}})";
    EXPECT_EQ(runCli({"json", path, "result.data"}).output,
              "text: [{\"name\":\"歌\"},{\"name\":\"b\"}]\ncount: 2\ntype: 4 (array)\n");
    EXPECT_EQ(runCli({"json", path, "result.data[0].name"}).output, "text: 歌\ncount: 0\ntype: 6 (string)\n");
    EXPECT_EQ(runCli({"json", path, "result.data[2].name"}).output, "text: \ncount: 0\ntype: 0 (absent)\n");
    EXPECT_EQ(runCli({"json", m_home + "/missing.json", "state"}).exitCode, 1);
}

TEST_F(CliTest, ScrambleRoundTrip) {
    EXPECT_EQ(runCli({"scramble", "A"}).output, "5177A929B82\n");
    EXPECT_EQ(runCli({"unscramble", "5177A929B82"}).output, "A\n");
    const Result chinese = runCli({"scramble", "中文"});
    EXPECT_EQ(runCli({"unscramble", chinese.output.substr(0, chinese.output.size() - 1)}).output, "中文\n");
    EXPECT_EQ(runCli({"unscramble", "51"}).exitCode, 1);
    EXPECT_EQ(runCli({"unscramble", "77A929B82"}).exitCode, 0);
}

TEST_F(CliTest, HttpPrintsBodyAndCookies) {
    net::FakeService service;
    service.answer("/page", {.body = R"({"state":1})", .setCookies = {"b=2; Path=/"}});
    const std::string url = "http://127.0.0.1:" + std::to_string(service.port()) + "/page?x=1";
    const Result result = runCli({"http", "--method", "POST", "--body", "k=v", "--cookies", "a=1", url});
    EXPECT_EQ(result.exitCode, 0) << result.output;
    EXPECT_EQ(result.output,
              "{\"state\":1}\n-- status: 200 (completed)\n-- response cookies: b=2\n-- merged cookies: b=2; a=1\n");
    EXPECT_EQ(service.lastRequest().body, "k=v");
    EXPECT_EQ(service.lastRequest().cookie, "a=1");
}

TEST_F(CliTest, PlayPrintsStatusUntilTheSongEnds) {
    const std::string song = test::writeTempFile(test::encodeMp3({.frames = 44100}), ".mp3");
    const Result played = runCli({"play", song, "--silent", "--volume", "0.5"});
    std::remove(song.c_str());
    EXPECT_EQ(played.exitCode, 0) << played.output;
    EXPECT_TRUE(played.output.starts_with("output=silent\n")) << played.output;
    EXPECT_TRUE(played.output.ends_with("state=0 time=00:01/00:01 position=176400\n")) << played.output;

    test::LoopbackHttpServer server;
    EXPECT_EQ(runCli({"play", server.url("/missing.mp3"), "--silent"}).exitCode, 1);
    EXPECT_EQ(runCli({"play", "x.mp3", "--volume", "2"}).exitCode, 2);
    EXPECT_EQ(runCli({"play"}).exitCode, 2);
}

TEST_F(CliTest, DownloadSavesTheSongOrFails) {
    test::LoopbackHttpServer server;
    const auto body = test::encodeMp3({.frames = 44100});
    server.serve("/song.mp3", {.body = body});
    const std::string target = m_home + "/song.mp3";
    const Result done = runCli({"download", server.url("/song.mp3"), target});
    EXPECT_EQ(done.exitCode, 0) << done.output;
    EXPECT_NE(done.output.find("state=3 progress=%100"), std::string::npos) << done.output;
    std::ifstream saved(target, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(saved), {}};
    EXPECT_EQ(bytes.size(), body.size());

    EXPECT_EQ(runCli({"download", server.url("/missing.mp3"), m_home + "/missing.mp3"}).exitCode, 1);
    EXPECT_EQ(runCli({"download", server.url("/song.mp3")}).exitCode, 2);
}

}  // namespace
}  // namespace vamu::cli
