#include "net/request_headers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vamu::net {
namespace {

constexpr const char* kUrl = "http://127.0.0.1:8960/index/login";

TEST(CompleteHeaderBlock, EmptyExtraHeadersGiveTheFourDefaultsInOrder) {
    EXPECT_EQ(completeHeaderBlock("", kUrl, ""),
              "Accept: */*\r\n"
              "Referer: http://127.0.0.1:8960/index/login\r\n"
              "Accept-Language: zh-cn\r\n"
              "Content-Type: application/x-www-form-urlencoded");
}

struct BlockCase {
    const char* name;
    const char* extra;
    const char* cookies;
    const char* expected;
};

class CompleteHeaderBlockCases : public testing::TestWithParam<BlockCase> {};

TEST_P(CompleteHeaderBlockCases, AddsOnlyWhatIsMissing) {
    const auto& c = GetParam();
    EXPECT_EQ(completeHeaderBlock(c.extra, "http://h/p", c.cookies), c.expected) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Blocks, CompleteHeaderBlockCases,
    testing::Values(BlockCase{"agent line stays first", "User-Agent: X/1.0", "",
                              "User-Agent: X/1.0\r\nAccept: */*\r\nReferer: http://h/p\r\nAccept-Language: zh-cn\r\n"
                              "Content-Type: application/x-www-form-urlencoded"},
                    BlockCase{"cookie line last", "", "a=1; b=2",
                              "Accept: */*\r\nReferer: http://h/p\r\nAccept-Language: zh-cn\r\n"
                              "Content-Type: application/x-www-form-urlencoded\r\nCookie: a=1; b=2"},
                    BlockCase{"present headers are kept, not repeated",
                              "Accept: text/html\r\nContent-Type: application/json", "",
                              "Accept: text/html\r\nContent-Type: application/json\r\nReferer: http://h/p\r\n"
                              "Accept-Language: zh-cn"},
                    BlockCase{"all present", "Referer: r\r\nAccept: a\r\nAccept-Language: en\r\nContent-Type: t", "c=1",
                              "Referer: r\r\nAccept: a\r\nAccept-Language: en\r\nContent-Type: t\r\nCookie: c=1"},
                    // The probes compare names in exact case.
                    BlockCase{"other case is not a match", "accept: x", "",
                              "accept: x\r\nAccept: */*\r\nReferer: http://h/p\r\nAccept-Language: zh-cn\r\n"
                              "Content-Type: application/x-www-form-urlencoded"}));

TEST(UserAgentFor, TakesTheValueOfTheAgentLineOrTheDefault) {
    const struct {
        const char* extra;
        const char* agent;
    } cases[] = {
        {"", "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)"},
        {"Accept: text/html", "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)"},
        {"User-Agent: X/1.0", "X/1.0"},
        {"Accept: a\r\nUser-Agent:  Y/2 (x; y) \r\nX-Other: z", "Y/2 (x; y)"},
        // The last line, or a name in another case, still yields only that line's value.
        {"Accept: a\r\nUser-Agent: Z/3", "Z/3"},
        {"user-agent: lower/1", "lower/1"},
        {"Accept: a\r\nUSER-AGENT: q\r\nB: c", "q"},
        {"User-Agent:", ""},
        {"User-Agent:\r\nAccept: a", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(userAgentFor(c.extra), c.agent) << c.extra;
    }
}

TEST(HeaderLines, SplitsAtEveryLineBreakAndDropsEmptyLines) {
    EXPECT_EQ(headerLines("A: 1\r\n\r\nB: 2\nC: 3\rD: 4\r\n"),
              (std::vector<std::string>{"A: 1", "B: 2", "C: 3", "D: 4"}));
    EXPECT_TRUE(headerLines("").empty());
    EXPECT_TRUE(headerLines("\r\n\r\n").empty());
}

}  // namespace
}  // namespace vamu::net
