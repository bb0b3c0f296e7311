#include "core/text_encoding.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>

namespace vamu::core {
namespace {

using namespace std::string_literals;

const std::string kFffd = "\xEF\xBF\xBD";

TEST(ReplyBodyToText, PassesValidUtf8AndReplacesEachIllFormedPart) {
    const struct {
        std::string body;
        std::string text;
    } cases[] = {
        {"", ""},
        {"{\"state\":1}", "{\"state\":1}"},
        {"\xE4\xB8\xAD\xE6\x96\x87", "\xE4\xB8\xAD\xE6\x96\x87"},
        {"\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"},  // outside the BMP
        {"\xEF\xBB\xBFx", "\xEF\xBB\xBFx"},        // a byte-order mark is a character like any other
        // The text ends at the first zero byte.
        {"a\0b"s, "a"},
        {"\0abc"s, ""},
        // Ill-formed input: one U+FFFD per maximal subpart.
        {"\xFF", kFffd},
        {"a\xC3", "a" + kFffd},
        {"\xE4\xB8"
         "a",
         kFffd + "a"},
        {"\xC0\xAF", kFffd + kFffd},                          // overlong "/"
        {"\xE0\x80\xAF", kFffd + kFffd + kFffd},              // overlong, three bytes
        {"\xED\xA0\x80", kFffd + kFffd + kFffd},              // a surrogate
        {"\xF4\x90\x80\x80", kFffd + kFffd + kFffd + kFffd},  // above U+10FFFF
        {"\xE2\x82"
         "\xE2\x82\xAC",
         kFffd + "\xE2\x82\xAC"},
        {"\x80\x80", kFffd + kFffd},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(replyBodyToText(c.body), c.text) << testing::PrintToString(c.body);
    }
}

TEST(Gb18030, RoundTripsChineseAndFourByteCharacters) {
    const struct {
        std::string utf8;
        std::string gb;
    } cases[] = {
        {"\xE4\xB8\xAD\xE6\x96\x87"
         "ABC",
         "\xD6\xD0\xCE\xC4"
         "ABC"},                                   // 中文ABC
        {"\xE2\x82\xAC", "\x80"},                  // €, as code page 936 writes it
        {"\xE3\x80\x80", "\xA1\xA1"},              // full-width space
        {"\xC2\x80", "\x81\x30\x81\x30"},          // U+0080, four bytes
        {"\xF0\xA0\x80\x80", "\x95\x32\x82\x36"},  // U+20000
        {"\xF0\x9F\x98\x80", "\x94\x39\xFC\x36"},  // U+1F600
        {"\xF4\x8F\xBF\xBF", "\xE3\x32\x9A\x35"},  // U+10FFFF
        {"\xEF\xBF\xBD", "\x84\x31\xA4\x37"},      // U+FFFD
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(utf8ToGb18030(c.utf8), c.gb) << testing::PrintToString(c.utf8);
        EXPECT_EQ(gb18030ToUtf8(c.gb), c.utf8) << testing::PrintToString(c.gb);
    }
    EXPECT_EQ(gb18030ToUtf8("\xA2\xE3"), "\xE2\x82\xAC");  // GB18030's own code for € still reads
}

TEST(Gb18030, LongMixedTextSurvivesTheRoundTrip) {
    std::string text;
    for (int i = 0; i < 20000; ++i) {
        text +=
            "\xE6\xAD\x8C"
            "a\xF0\x9F\x8E\xB5\xC3\xA9";  // 歌 a 🎵 é
    }
    EXPECT_EQ(gb18030ToUtf8(utf8ToGb18030(text)), text);
}

std::string utf8Of(char32_t c) {
    std::string out;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
    return out;
}

// Private-use code points whose GB18030 codes read back as standard characters.
bool isLegacyPrivateUse(char32_t c) {
    return (c >= 0xE78D && c <= 0xE796) ||
           (c >= 0xE816 && c <= 0xE864 &&
            std::u32string_view(U"\uE816\uE817\uE818\uE81E\uE826\uE82B\uE82C\uE831\uE832\uE83B\uE843\uE854"
                                U"\uE855\uE864")
                    .find(c) != std::u32string_view::npos);
}

TEST(Gb18030, EveryUnicodeCharacterSurvivesTheRoundTrip) {
    // Every scalar value from U+0001 to U+10FFFF, surrogates excepted.
    std::string text;
    for (char32_t c = 1; c <= 0x10FFFF; ++c) {
        if ((c < 0xD800 || c > 0xDFFF) && !isLegacyPrivateUse(c)) {
            text += utf8Of(c);
        }
    }
    // A character that the way out could not encode would come back as U+FFFD.
    EXPECT_TRUE(gb18030ToUtf8(utf8ToGb18030(text)) == text);
}

TEST(Gb18030, OldPrivateUseCodePointsLeaveInTheirOldCodes) {
    const struct {
        char32_t codePoint;
        std::string gb;
        char32_t readBack;
    } cases[] = {
        {0xE78D, "\xA6\xD9", 0xFE10},  // vertical comma
        {0xE796, "\xA6\xF3", 0xFE19},  {0xE81E, "\xFE\x59", 0x9FB4},
        {0xE816, "\xFE\x51", 0x20087}, {0xE864, "\xFE\xA0", 0x9FBB},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(utf8ToGb18030("a" + utf8Of(c.codePoint) + "b"), "a" + c.gb + "b");
        EXPECT_EQ(gb18030ToUtf8(c.gb), utf8Of(c.readBack));
    }
    std::size_t legacy = 0;
    for (char32_t c = 0xE000; c <= 0xF8FF; ++c) {
        if (isLegacyPrivateUse(c)) {
            ++legacy;
            EXPECT_NE(utf8ToGb18030(utf8Of(c)), "\x84\x31\xA4\x37") << std::hex << static_cast<unsigned>(c);
        }
    }
    EXPECT_EQ(legacy, 24u);
}

TEST(Gb18030, InvalidInputIsReplacedWithoutLosingWhatFollows) {
    EXPECT_EQ(gb18030ToUtf8("\xFF"
                            "a"),
              kFffd + "a");
    EXPECT_EQ(gb18030ToUtf8("a\x81"), "a" + kFffd);  // cut off at the end
    EXPECT_EQ(gb18030ToUtf8("\xD6\xD0\x81\x30"
                            "b"),
              "\xE4\xB8\xAD" + kFffd + "0b");
    // Invalid UTF-8 leaves as the GB18030 form of U+FFFD.
    EXPECT_EQ(utf8ToGb18030("x\xFFy"), "x\x84\x31\xA4\x37y");
}

// Stored data must decode whole: where the lenient conversions replace, these refuse.
TEST(ConvertStrictly, RefusesWhatTheLenientConversionsWouldReplace) {
    const struct {
        const char* what;
        std::string input;
        const char* to;
        const char* from;
        std::optional<std::string> expected;
    } cases[] = {
        {"GB to UTF-8",
         "\xD6\xD0"
         "a",
         "UTF-8", "GB18030",
         "\xE4\xB8\xAD"
         "a"},
        {"empty", "", "UTF-8", "GB18030", ""},
        {"undecodable byte",
         "a\xFF"
         "b",
         "UTF-8", "GB18030", std::nullopt},
        {"cut off at the end", "a\xD6", "UTF-8", "GB18030", std::nullopt},
        {"ill-formed UTF-8", "x\xFFy", "GB2312", "UTF-8", std::nullopt},
        {"beyond GB2312", "\xF0\x9F\x98\x80", "GB2312", "UTF-8", std::nullopt},
        {"unknown encoding", "a", "NO-SUCH-ENCODING", "UTF-8", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(convertStrictly(c.input, c.to, c.from), c.expected) << c.what;
    }
    // Output four times the input, well past the first guess of its size.
    const auto wide = convertStrictly(std::string(4000, 'a'), "UTF-32LE", "UTF-8");
    ASSERT_TRUE(wide.has_value());
    EXPECT_EQ(wide->size(), 16000u);
    EXPECT_EQ(wide->substr(15996), "a\0\0\0"s);
}

TEST(GbkByteLength, CountsAsciiOneAndEveryOtherCharacterTwo) {
    EXPECT_EQ(gbkByteLength(""), 0u);
    EXPECT_EQ(gbkByteLength("abc"), 3u);
    EXPECT_EQ(gbkByteLength("\xE4\xB8\xAD\xE6\x96\x87"), 4u);
    EXPECT_EQ(gbkByteLength("a\xE4\xB8\xAD"), 3u);
    EXPECT_EQ(gbkByteLength("\xF0\x9F\x98\x80"), 2u);
    EXPECT_EQ(gbkByteLength("\xC3\xA9"), 2u);
    EXPECT_EQ(gbkByteLength("\xFF"), 2u);  // a stray byte stands for one replaced character
}

TEST(GbkPrefix, NeverSplitsACharacter) {
    const std::string text =
        "a\xE4\xB8\xAD"
        "b\xF0\x9F\x98\x80";  // a 中 b 😀: 1 + 2 + 1 + 2
    const struct {
        std::size_t maxBytes;
        std::string prefix;
    } cases[] = {
        {0, ""},
        {1, "a"},
        {2, "a"},
        {3, "a\xE4\xB8\xAD"},
        {4,
         "a\xE4\xB8\xAD"
         "b"},
        {5,
         "a\xE4\xB8\xAD"
         "b"},
        {6, text},
        {100, text},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(gbkPrefix(text, c.maxBytes), c.prefix) << c.maxBytes;
    }
    EXPECT_EQ(gbkPrefix("\xE4\xB8", 2), "\xE4\xB8");  // a cut-off character counts as one
    EXPECT_EQ(gbkPrefix("\xE4\xB8", 1), "");
}

}  // namespace
}  // namespace vamu::core
