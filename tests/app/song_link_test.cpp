// `vamu:` links on the command line and the request that carries their song id to a
// running instance: text from outside, so everything but a short run of digits is refused.
#include "app/song_link.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace vamu::app {
namespace {

TEST(SongLinkTest, TheLinkFormsADesktopHandsOverGiveTheirId) {
    const std::vector<std::pair<std::string_view, std::string_view>> accepted = {
        {"vamu:song/123", "123"},           {"vamu://song/123", "123"}, {"vamu:song/123/", "123"},
        {"vamu://song/20001/", "20001"},    {"VAMU:song/7", "7"},  // schemes are case-insensitive
        {"vamu:song/12345678", "12345678"},                        // as many digits as the id box takes
        {"vamu:song/00042", "00042"},                              // the box takes leading zeros too
    };
    for (const auto& [link, id] : accepted) {
        const std::optional<std::string> found = songIdFromLink(link);
        ASSERT_TRUE(found.has_value()) << link;
        EXPECT_EQ(*found, id) << link;
    }
}

TEST(SongLinkTest, AnythingButOneShortRunOfDigitsIsNoLink) {
    const std::vector<std::string_view> refused = {
        "",
        "vamu:",
        "vamu:song/",
        "vamu://song/",
        "vamu:song//",
        "vamu:song/123//",
        "vamu:song/123456789",  // longer than any id the box takes
        "vamu:song/12a",
        "vamu:song/-12",
        "vamu:song/+12",
        "vamu:song/ 12",
        "vamu:song/12 ",
        "vamu:song/1%32",
        "vamu:song/12?x=1",
        "vamu:song/12#x",
        "vamu:song/１２",  // full-width digits
        "vamu:Song/12",
        "vamu:user/12",
        "vamu:/song/12",
        "vamu:///song/12",
        "http://song/12",
        "vamux:song/12",
        "xvamu:song/12",
        "song/12",
        "12",
        "--play=vamu:song/12",
    };
    for (const std::string_view link : refused) EXPECT_FALSE(songIdFromLink(link).has_value()) << link;
    // An embedded NUL is not the end of the text.
    EXPECT_FALSE(songIdFromLink(std::string_view("vamu:song/12\0"
                                                 "3",
                                                 14))
                     .has_value());
}

TEST(SongLinkTest, TheFirstValidLinkAmongTheArgumentsCounts) {
    const std::array<std::string_view, 4> arguments = {"--verbose", "vamu:song/x", "vamu:song/5", "vamu:song/6"};
    EXPECT_EQ(songIdFromArguments(arguments), "5");
    const std::array<std::string_view, 2> none = {"vamu:song/", "-platform"};
    EXPECT_FALSE(songIdFromArguments(none).has_value());
    EXPECT_FALSE(songIdFromArguments({}).has_value());
}

TEST(SongLinkTest, TheRequestRoundTripsAndRefusesWhatNoLinkCouldHaveMade) {
    EXPECT_EQ(playIdRequest("20001"), "play-id:20001");
    EXPECT_EQ(songIdFromRequest(*playIdRequest("20001")), "20001");
    EXPECT_FALSE(playIdRequest("").has_value());
    EXPECT_FALSE(playIdRequest("123456789").has_value());
    EXPECT_FALSE(playIdRequest("1;raise").has_value());

    const std::vector<std::string_view> refused = {
        "raise",       "play-id:",   "play-id:abc",       "play-id:123456789",    "play-id:12 ",
        "play-id: 12", "PLAY-ID:12", "play-id:12\nraise", "play-id:vamu:song/12", "xplay-id:12",
    };
    for (const std::string_view request : refused) EXPECT_FALSE(songIdFromRequest(request).has_value()) << request;
}

}  // namespace
}  // namespace vamu::app
