#include "net/cookie_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>

#include "net/http_request.h"

namespace vamu::net {
namespace {

TEST(CollectResponseCookies, TakesTheFirstPairOfEverySetCookieLine) {
    const struct {
        const char* block;
        const char* cookies;
    } cases[] = {
        {"HTTP/1.1 200 OK\r\nSet-Cookie: a=1; path=/\r\nset-cookie: b=2\r\n\r\n", "a=1; b=2"},
        {"HTTP/1.1 200 OK\r\nSET-COOKIE:c=3;Path=/;HttpOnly\r\n\r\n", "c=3"},
        {"HTTP/1.1 200 OK\r\nSet-Cookie:   d=4   \r\n\r\n", "d=4"},
        {"HTTP/1.1 200 OK\r\nSet-Cookie:\td=4\t;x\r\n\r\n", "d=4"},
        {"HTTP/1.1 200 OK\r\nSet-Cookie: q=a=b; Max-Age=3\r\n\r\n", "q=a=b"},
        {"HTTP/1.1 200 OK\r\nSet-Cookie: token\r\n\r\n", "token"},
        {"HTTP/1.1 200 OK\r\nSet-Cookie: a=1\r\nSet-Cookie: a=2\r\n\r\n", "a=1; a=2"},
        {"HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n", ""},
        {"", ""},
        // A name that merely contains the marker sets no cookie.
        {"HTTP/1.1 200 OK\r\nX-Set-Cookie-Hint: e=5\r\nX: Set-Cookie: f=6\r\n\r\n", ""},
        // Empty pairs are no cookies.
        {"HTTP/1.1 200 OK\r\nSet-Cookie: ; path=/\r\nSet-Cookie:\r\nSet-Cookie: g=7\r\n\r\n", "g=7"},
        // Non-ASCII values pass unchanged.
        {"HTTP/1.1 200 OK\r\nSet-Cookie: n=\xE5\x80\xBC; path=/\r\n\r\n", "n=\xE5\x80\xBC"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(collectResponseCookies(c.block), c.cookies) << c.block;
    }
}

TEST(CollectResponseCookies, ReadsEveryLineOfAVeryLongBlock) {
    std::string block = "HTTP/1.1 200 OK\r\n";
    std::string expected;
    for (int i = 0; i < 5000; ++i) {
        block += "Set-Cookie: c" + std::to_string(i) + "=v; path=/\r\n";
        expected += (i == 0 ? "" : "; ") + ("c" + std::to_string(i) + "=v");
    }
    block += "\r\n";
    EXPECT_EQ(collectResponseCookies(block), expected);
}

TEST(MergeCookies, NewFirstThenSurvivingOldOnes) {
    const struct {
        const char* oldText;
        const char* newText;
        const char* merged;
    } cases[] = {
        {"a=1; b=2; c=3", "b=9; c=deleted", "b=9; a=1"},
        {"", "", ""},
        {"a=1", "", "a=1"},
        {"", "a=1; b=2", "a=1; b=2"},
        {"a=1; b=2", "c=3", "c=3; a=1; b=2"},
        // Spaces, ASCII and full-width, go wherever they are.
        {" a = 1 ;b=2", "", "a=1; b=2"},
        {"a=1\xE3\x80\x80;\xE3\x80\x80"
         "b=2",
         "", "a=1; b=2"},
        {"v=x y", "", "v=xy"},
        // Exact duplicates collapse to the first; same names with other values stay.
        {"a=1; a=1; b=2", "", "a=1; b=2"},
        {"a=1", "a=1", "a=1"},
        {"", "a=1; a=2", "a=1; a=2"},
        // Empty pairs are dropped.
        {"a=1;;; b=2;", ";", "a=1; b=2"},
        {";", ";;", ""},
        // A pair without "=" is named by all of it.
        {"flag; a=1", "flag", "flag; a=1"},
        {"=x; a=1", "=y", "=y; a=1"},
        // Deletion: only pairs that end in "=deleted".
        {"a=deleted; b=2", "", "b=2"},
        {"deleted; x=undeleted", "", "deleted; x=undeleted"},
        {"a=1", "a=deleted", ""},
        // Names compare in exact case; other text passes unchanged.
        {"A=1", "a=2", "a=2; A=1"},
        {"\xE5\x90\x8D=\xE5\x80\xBC", "", "\xE5\x90\x8D=\xE5\x80\xBC"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(mergeCookies(c.oldText, c.newText), c.merged) << '"' << c.oldText << "\" + \"" << c.newText << '"';
    }
}

TEST(MergeCookies, HandlesVeryLongTextsInLinearTime) {
    std::string oldText;
    std::string newText;
    constexpr int kPairs = 100'000;
    for (int i = 0; i < kPairs; ++i) {
        oldText += "o" + std::to_string(i) + "=1; ";
        newText += "n" + std::to_string(i) + "=2; ";
    }
    const auto start = std::chrono::steady_clock::now();
    const std::string merged = mergeCookies(oldText + "o0=1", newText + "o1=9");
    const auto elapsed = std::chrono::steady_clock::now() - start;

    EXPECT_TRUE(merged.starts_with("n0=2; n1=2; "));
    EXPECT_TRUE(merged.ends_with("; o99999=1"));
    EXPECT_NE(merged.find("; o1=9; o0=1; o2=1; "), std::string::npos);  // new o1 replaced old o1
    EXPECT_EQ(std::count(merged.begin(), merged.end(), ';'), 2 * kPairs - 1);
    // A quadratic merge takes minutes here; generous for sanitizer builds.
    EXPECT_LT(elapsed, std::chrono::seconds(20));
}

}  // namespace
}  // namespace vamu::net
