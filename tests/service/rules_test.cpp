// The text rules of vamu-service: fault and stream rules, the fault table, Range
// headers, request heads and the command line.

#include "faults.h"
#include "http_range.h"
#include "request_head.h"
#include "service_options.h"

#include <gtest/gtest.h>

namespace vamu::service {
namespace {

TEST(ServiceFaultRules, ParseEveryModeAndRefuseNonsense) {
    struct Case {
        const char* text;
        bool valid;
        const char* key;
        FaultKind kind;
        std::int64_t argument;
        int remaining;
    };
    const Case cases[] = {
        {"/sound/hot=html", true, "/sound/hot", FaultKind::HtmlPage, 0, -1},
        {"/channel/get=broken-json*2", true, "/channel/get", FaultKind::BrokenJson, 0, 2},
        {"/user/info=empty", true, "/user/info", FaultKind::EmptyBody, 0, -1},
        {"/vamu.php?do=xt=drop", true, "/vamu.php?do=xt", FaultKind::Drop, 0, -1},
        {"/bullet/get=oversized", true, "/bullet/get", FaultKind::Oversized, kDefaultOversizedBytes, -1},
        {"/bullet/get=oversized:5000*1", true, "/bullet/get", FaultKind::Oversized, 5000, 1},
        {"*=delay:250", true, "*", FaultKind::Delay, 250, -1},
        {"/info.php=status:503", true, "/info.php", FaultKind::Status, 503, -1},
        {"/sound/search=state-text", true, "/sound/search", FaultKind::StateText, 0, -1},
        {"*=state-missing*3", true, "*", FaultKind::StateMissing, 0, 3},
        {"/player/likes=no-sources", true, "/player/likes", FaultKind::NoSources, 0, -1},
        {"/sound/hot=state-text:1", false, "", FaultKind::StateText, 0, 0},
        {"/sound/hot=state", false, "", FaultKind::StateText, 0, 0},
        {"/sound/hot=teapot", false, "", FaultKind::HtmlPage, 0, 0},
        {"/sound/hot=delay", false, "", FaultKind::Delay, 0, 0},
        {"/sound/hot=delay:-5", false, "", FaultKind::Delay, 0, 0},
        {"/sound/hot=delay:999999999", false, "", FaultKind::Delay, 0, 0},
        {"/sound/hot=status:99", false, "", FaultKind::Status, 0, 0},
        {"/sound/hot=html:3", false, "", FaultKind::HtmlPage, 0, 0},
        {"/sound/hot=html*0", false, "", FaultKind::HtmlPage, 0, 0},
        {"/sound/hot=html*x", false, "", FaultKind::HtmlPage, 0, 0},
        {"sound/hot=html", false, "", FaultKind::HtmlPage, 0, 0},
        {"=html", false, "", FaultKind::HtmlPage, 0, 0},
        {"/sound/hot", false, "", FaultKind::HtmlPage, 0, 0},
    };
    for (const auto& c : cases) {
        std::string error;
        const auto rule = parseEndpointRule(c.text, error);
        ASSERT_EQ(rule.has_value(), c.valid) << c.text << ": " << error;
        if (!c.valid) {
            EXPECT_FALSE(error.empty()) << c.text;
            continue;
        }
        EXPECT_EQ(rule->key, c.key) << c.text;
        ASSERT_TRUE(rule->fault) << c.text;
        EXPECT_EQ(rule->fault->kind, c.kind) << c.text;
        EXPECT_EQ(rule->fault->argument, c.argument) << c.text;
        EXPECT_EQ(rule->fault->remaining, c.remaining) << c.text;
        // The description reads back as the same rule.
        const auto again = parseEndpointRule(rule->key + "=" + describeFault(*rule->fault), error);
        ASSERT_TRUE(again && again->fault) << c.text;
        EXPECT_EQ(again->fault->kind, c.kind) << c.text;
        EXPECT_EQ(again->fault->argument, c.argument) << c.text;
        EXPECT_EQ(again->fault->remaining, c.remaining) << c.text;
    }
    std::string error;
    const auto removal = parseEndpointRule("/sound/hot=none", error);
    ASSERT_TRUE(removal);
    EXPECT_FALSE(removal->fault);
}

TEST(ServiceStreamRules, ParseEveryModeAndRefuseNonsense) {
    struct Case {
        const char* text;
        bool valid;
        Id song;
        StreamFaultKind kind;
        std::int64_t bytes;
    };
    const Case cases[] = {
        {"all=throttle:16000", true, 0, StreamFaultKind::Throttle, 16000},
        {"20001=throttle:real", true, 20001, StreamFaultKind::ThrottleReal, 0},
        {"20002=stall:65536", true, 20002, StreamFaultKind::Stall, 65536},
        {"all=stall:0", true, 0, StreamFaultKind::Stall, 0},
        {"20003=drop:40000", true, 20003, StreamFaultKind::Drop, 40000},
        {"all=drop:x", false, 0, StreamFaultKind::Drop, 0},
        {"all=throttle:0", false, 0, StreamFaultKind::Throttle, 0},
        {"all=throttle", false, 0, StreamFaultKind::Throttle, 0},
        {"some=stall:5", false, 0, StreamFaultKind::Stall, 0},
        {"0=stall:5", false, 0, StreamFaultKind::Stall, 0},
        {"all=jitter:5", false, 0, StreamFaultKind::Stall, 0},
        {"all", false, 0, StreamFaultKind::Stall, 0},
    };
    for (const auto& c : cases) {
        std::string error;
        const auto rule = parseStreamRule(c.text, error);
        ASSERT_EQ(rule.has_value(), c.valid) << c.text << ": " << error;
        if (!c.valid) continue;
        EXPECT_EQ(rule->song, c.song) << c.text;
        ASSERT_TRUE(rule->fault) << c.text;
        EXPECT_EQ(rule->fault->kind, c.kind) << c.text;
        EXPECT_EQ(rule->fault->bytes, c.bytes) << c.text;
    }
}

TEST(ServiceFaultTable, MostSpecificKeyWinsCountedRulesRunOutAndStarCatchesTheRest) {
    FaultTable table;
    std::string error;
    for (const char* text : {"/vamu.php=empty", "/vamu.php?do=xt=drop*2", "*=status:500"}) {
        table.apply(*parseEndpointRule(text, error));
    }
    const std::vector<std::string> report = {"/vamu.php?do=xt", "/vamu.php"};
    const std::vector<std::string> notice = {"/vamu.php?do=zt", "/vamu.php"};
    const std::vector<std::string> hot = {"/sound/hot"};
    EXPECT_EQ(table.take(report)->kind, FaultKind::Drop);
    EXPECT_EQ(table.take(notice)->kind, FaultKind::EmptyBody);
    EXPECT_EQ(table.take(report)->kind, FaultKind::Drop);
    EXPECT_EQ(table.take(report)->kind, FaultKind::EmptyBody);  // the counted rule is spent
    EXPECT_EQ(table.take(hot)->kind, FaultKind::Status);

    table.apply(*parseEndpointRule("*=none", error));
    EXPECT_FALSE(table.take(hot));
    table.apply(*parseStreamRule("all=throttle:1000", error));
    table.apply(*parseStreamRule("7=stall:10", error));
    EXPECT_EQ(table.stream(7)->kind, StreamFaultKind::Stall);
    EXPECT_EQ(table.stream(8)->kind, StreamFaultKind::Throttle);
    EXPECT_EQ(table.describe(), "fault /vamu.php=empty\nstream all=throttle:1000\nstream 7=stall:10\n");
    table.clear();
    EXPECT_FALSE(table.take(report));
    EXPECT_FALSE(table.stream(7));
}

TEST(ServiceRangeHeader, ResolvesAgainstTheSize) {
    struct Case {
        const char* header;
        std::int64_t size;
        RangeOutcome outcome;
        std::int64_t first;
        std::int64_t last;
    };
    const Case cases[] = {
        {"", 100, RangeOutcome::Whole, 0, -1},
        {"bytes=0-9", 100, RangeOutcome::Partial, 0, 9},
        {"bytes=90-", 100, RangeOutcome::Partial, 90, 99},
        {"bytes=90-500", 100, RangeOutcome::Partial, 90, 99},  // clamped, not misreported
        {"bytes=-10", 100, RangeOutcome::Partial, 90, 99},
        {"bytes=-500", 100, RangeOutcome::Partial, 0, 99},
        {"bytes=99-99", 100, RangeOutcome::Partial, 99, 99},
        {"bytes=100-", 100, RangeOutcome::Unsatisfiable, 0, -1},
        {"bytes=-0", 100, RangeOutcome::Unsatisfiable, 0, -1},
        {"bytes=0-", 0, RangeOutcome::Unsatisfiable, 0, -1},
        {"bytes=9-2", 100, RangeOutcome::Whole, 0, -1},
        {"bytes=0-1,5-6", 100, RangeOutcome::Whole, 0, -1},
        {"items=0-1", 100, RangeOutcome::Whole, 0, -1},
        {"bytes=a-b", 100, RangeOutcome::Whole, 0, -1},
        {"bytes=99999999999999999999-", 100, RangeOutcome::Whole, 0, -1},
    };
    for (const auto& c : cases) {
        const auto range = resolveRange(c.header, c.size);
        EXPECT_EQ(range.outcome, c.outcome) << c.header;
        if (c.outcome == RangeOutcome::Partial) {
            EXPECT_EQ(range.first, c.first) << c.header;
            EXPECT_EQ(range.last, c.last) << c.header;
        }
    }
}

TEST(ServiceRequestHead, FramingIsUnambiguousOrRefusedAndRangeIsRenamed) {
    const RequestHeadLimits limits{.maxHeadBytes = 1024, .maxBodyBytes = 1000};
    EXPECT_EQ(requestHeadLength("GET / HTTP/1.1\r\nHost: x\r\n\r\nGET"), 27u);
    EXPECT_EQ(requestHeadLength("GET / HTTP/1.1\r\nHost: x\r\n"), std::string_view::npos);

    struct Case {
        const char* headers;
        int refusal;
        std::int64_t bodyBytes;
        bool streamed;
    };
    const Case cases[] = {
        {"", 0, 0, false},
        {"content-length: 12\r\n", 0, 12, false},
        {"Content-Length:  1000 \r\n", 0, 1000, false},
        {"Content-Length: 1001\r\n", 413, 0, false},
        {"Content-Length: 184467440737095516160\r\n", 413, 0, false},
        {"Content-Length: -1\r\n", 400, 0, false},
        {"Content-Length: +1\r\n", 400, 0, false},
        {"Content-Length: 1e3\r\n", 400, 0, false},
        {"Content-Length:\r\n", 400, 0, false},
        {"Content-Length: 3, 3\r\n", 400, 0, false},
        {"Content-Length: 3\r\nContent-Length: 3\r\n", 400, 0, false},
        {"Transfer-Encoding: chunked\r\nContent-Length: 3\r\n", 400, 0, false},
        {"Transfer-Encoding: chunked\r\nTransfer-Encoding: chunked\r\n", 400, 0, false},
        {"Transfer-Encoding: gzip\r\n", 400, 0, false},
        {"Transfer-Encoding: Chunked\r\n", 0, 0, true},
        {"Expect: 100-continue\r\nContent-Length: 10\r\n", 0, 10, true},
    };
    for (const auto& c : cases) {
        const std::string head = std::string("POST /index/login HTTP/1.1\r\nHost: x\r\n") + c.headers + "\r\n";
        const auto checked = checkRequestHead(head, limits);
        EXPECT_EQ(checked.refusal, c.refusal) << c.headers;
        if (c.refusal == 0) {
            EXPECT_EQ(checked.bodyBytes, c.bodyBytes) << c.headers;
            EXPECT_EQ(checked.bodyStreamed, c.streamed) << c.headers;
            EXPECT_EQ(checked.head, head) << c.headers;
        }
    }

    // Range reaches the handlers under its own name, whatever its form; a client's own
    // header of that name never does.
    const auto ranged =
        checkRequestHead("GET /a HTTP/1.1\r\nrange: bytes=abc\r\nX-Vamu-Range: bytes=0-1\r\nHost: x\r\n\r\n", limits);
    EXPECT_EQ(ranged.refusal, 0);
    EXPECT_EQ(ranged.head, "GET /a HTTP/1.1\r\nX-Vamu-Range: bytes=abc\r\nHost: x\r\n\r\n");
}

TEST(ServiceCommandLine, ReadsEveryOptionInBothForms) {
    const std::vector<std::string_view> arguments = {"--data",
                                                     "/tmp/x",
                                                     "--api-port=0",
                                                     "--companion-port",
                                                     "9001",
                                                     "--bind",
                                                     "0.0.0.0",
                                                     "--small-catalogue",
                                                     "--generator-threads=0",
                                                     "--rotate-session",
                                                     "3",
                                                     "--session-lifetime=60",
                                                     "--fault",
                                                     "/sound/hot=html*1",
                                                     "--stream=all=stall:100",
                                                     "--throttle-streams",
                                                     "--update",
                                                     "2.40,http://x/u,notes, more",
                                                     "--notice=2,7,hello",
                                                     "--log-requests"};
    const auto line = parseCommandLine(arguments);
    ASSERT_TRUE(line.options) << line.error;
    const auto& o = *line.options;
    EXPECT_EQ(o.dataDirectory, "/tmp/x");
    EXPECT_EQ(o.apiPort, 0);
    EXPECT_EQ(o.companionPort, 9001);
    EXPECT_EQ(o.bindAddress, "0.0.0.0");
    EXPECT_EQ(o.catalogueSize, CatalogueSize::Small);
    EXPECT_EQ(o.generatorThreads, 0);
    EXPECT_EQ(o.accountRules.rotateEvery, 3);
    EXPECT_EQ(o.accountRules.sessionLifetime, 60);
    ASSERT_EQ(o.faults.size(), 1u);
    EXPECT_EQ(o.faults[0].fault->remaining, 1);
    ASSERT_EQ(o.streamFaults.size(), 2u);
    EXPECT_EQ(o.streamFaults[1].fault->kind, StreamFaultKind::ThrottleReal);
    ASSERT_TRUE(o.update);
    EXPECT_EQ(o.update->notes, "notes, more");
    ASSERT_TRUE(o.notice);
    EXPECT_EQ(o.notice->text, "hello");
    EXPECT_TRUE(o.logRequests);

    const auto defaults = parseCommandLine({});
    ASSERT_TRUE(defaults.options);
    EXPECT_EQ(defaults.options->apiPort, 8960);
    EXPECT_EQ(defaults.options->companionPort, 8961);
    EXPECT_EQ(defaults.options->bindAddress, "127.0.0.1");
    EXPECT_EQ(defaults.options->dataDirectory, defaultDataDirectory());
}

TEST(ServiceCommandLine, RefusesBadInputWithAReason) {
    const std::vector<std::vector<std::string_view>> bad = {
        {"--api-port", "70000"}, {"--api-port"},
        {"--api-port", "x"},     {"--frobnicate"},
        {"--fault", "/x=nope"},  {"--stream", "all=throttle:0"},
        {"--update", "2.40"},    {"--small-catalogue=yes"},
    };
    for (const auto& arguments : bad) {
        const auto line = parseCommandLine(arguments);
        EXPECT_FALSE(line.options) << arguments.front();
        EXPECT_FALSE(line.error.empty()) << arguments.front();
    }
    const std::vector<std::string_view> help = {"--help"};
    EXPECT_TRUE(parseCommandLine(help).help);
}

}  // namespace
}  // namespace vamu::service
