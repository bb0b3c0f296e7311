#include "net/url_parts.h"

#include <gtest/gtest.h>

namespace vamu::net {
namespace {

struct SplitCase {
    const char* url;
    bool https;
    const char* host;
    int port;
    const char* path;
};

class SplitUrl : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitUrl, GivesHostPortAndPath) {
    const auto& c = GetParam();
    const auto parts = splitUrl(c.url);
    ASSERT_TRUE(parts.has_value()) << c.url;
    EXPECT_EQ(parts->https, c.https) << c.url;
    EXPECT_EQ(parts->host, c.host) << c.url;
    EXPECT_EQ(parts->port, c.port) << c.url;
    EXPECT_EQ(parts->path, c.path) << c.url;
}

INSTANTIATE_TEST_SUITE_P(
    Urls, SplitUrl,
    testing::Values(
        // Without a scheme: plain HTTP on port 80.
        SplitCase{"vamu.example.net/vamu.php", false, "vamu.example.net", 80, "/vamu.php"},
        SplitCase{"127.0.0.1:8961/vamu.php?a=1", false, "127.0.0.1", 8961, "/vamu.php?a=1"},
        SplitCase{"example.com:8080", false, "example.com", 8080, "/"},
        SplitCase{"example.com", false, "example.com", 80, "/"},
        // The host is lower-cased; the path keeps its case and its query.
        SplitCase{"http://Example.COM:8080/a?b=1", false, "example.com", 8080, "/a?b=1"},
        SplitCase{"HTTP://Example.com/Index/Login", false, "example.com", 80, "/Index/Login"},
        SplitCase{"http://example.com", false, "example.com", 80, "/"},
        SplitCase{"http://example.com/", false, "example.com", 80, "/"},
        SplitCase{"https://example.com/x", true, "example.com", 443, "/x"},
        SplitCase{"HTTPS://Example.com/X?Y=Z", true, "example.com", 443, "/X?Y=Z"},
        SplitCase{"https://example.com:8443", true, "example.com", 8443, "/"},
        // Hosts whose text also occurs in the scheme still get the path after the host.
        SplitCase{"http://h/x", false, "h", 80, "/x"}, SplitCase{"https://s/x/y", true, "s", 443, "/x/y"},
        SplitCase{"http://http/p", false, "http", 80, "/p"}, SplitCase{"http://t:81", false, "t", 81, "/"},
        // The port is the number after the last colon; an empty one is the default.
        SplitCase{"http://a:1:2/x", false, "a", 2, "/x"}, SplitCase{"http://host:/x", false, "host", 80, "/x"},
        SplitCase{"http://host:65535/", false, "host", 65535, "/"},
        // A host that merely starts with "https" is no scheme.
        SplitCase{"httpsbin.example/get", false, "httpsbin.example", 80, "/get"},
        // Slashes and colons inside the query do not move the path.
        SplitCase{"http://h:9/a?u=http://x:1/y", false, "h", 9, "/a?u=http://x:1/y"}));

TEST(SplitUrl, RejectsUrlsWithoutUsableHostOrPort) {
    for (const char* url : {"", "/", "http://", "https://", "http:///x", "http://:80/x", "http://exa mple.com/",
                            "http://host:abc/", "http://host:0/", "http://host:65536/", "http://host:123456/",
                            "http://user@host/", "http://host?x=1", "http://ho\r\nst/"}) {
        EXPECT_FALSE(splitUrl(url).has_value()) << url;
    }
}

TEST(TransferUrl, NamesPortAndEncodesOnlyBytesThatCannotTravelRaw) {
    UrlParts parts;
    parts.host = "example.com";
    parts.port = 80;
    parts.path = "/a b#c?d=\xC3\xA9&e=%41&f=/../g\r\n";
    EXPECT_EQ(transferUrl(parts), "http://example.com:80/a%20b%23c?d=%C3%A9&e=%41&f=/../g%0D%0A");

    parts.https = true;
    parts.port = 443;
    parts.path = "/";
    EXPECT_EQ(transferUrl(parts), "https://example.com:443/");
}

}  // namespace
}  // namespace vamu::net
