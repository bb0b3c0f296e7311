#include "account/scramble.h"

#include <gtest/gtest.h>

namespace vamu::account {
namespace {

// md5("hxbtqez") = 3277a929b82c6634ffc02ca608fc01ac; the check is its characters 3 to 11.
constexpr std::string_view kCheck = "77A929B82";

std::string withCheck(std::string_view hex) { return std::string(hex) + std::string(kCheck); }

TEST(Scramble, Md5OfKnownTexts) {
    EXPECT_EQ(md5Hex(""), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(md5Hex("abc"), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(md5Hex(kCredentialKey), "3277a929b82c6634ffc02ca608fc01ac");
}

TEST(Scramble, KnownForms) {
    struct Case {
        std::string_view text;
        std::string_view hex;
    };
    const Case cases[] = {
        {"", ""},          {"A", "51"}, {"\x10", "00"},  // a byte below 0x10 after XOR keeps its leading zero
        {"中", "C6C0"},                                  // GB18030 (and GBK) D6 D0
        {"ab1", "717221"}, {"€", "90"},  // the single byte 0x80 of code page 936, as a stored password holds it
    };
    for (const Case& c : cases) {
        EXPECT_EQ(scrambleText(c.text, kCredentialKey), withCheck(c.hex)) << c.text;
        EXPECT_EQ(unscrambleText(withCheck(c.hex), kCredentialKey), c.text) << c.text;
    }
}

TEST(Scramble, RoundTrips) {
    const std::string_view texts[] = {
        "13800138000", "p@ss&word=1;x", "密码 含 空格", "\x01\x7f controls", "🎵 outside GBK", "逗,号",
    };
    for (std::string_view text : texts) {
        const std::string scrambled = scrambleText(text, kCredentialKey);
        EXPECT_EQ(scrambled.find_first_not_of("0123456789ABCDEF"), std::string::npos) << text;
        EXPECT_EQ(unscrambleText(scrambled, kCredentialKey), text);
    }
}

TEST(Scramble, RejectsOtherKeysAndBrokenText) {
    const std::string_view broken[] = {
        "",             // shorter than the check
        "77A929B8",     // likewise
        "5177a929b82",  // the check is compared as written, upper case
        "5G77A929B82",  // not hexadecimal
        "577A929B82",   // odd number of digits
        " 5177A929B82",
    };
    for (std::string_view text : broken) {
        EXPECT_EQ(unscrambleText(text, kCredentialKey), "") << text;
    }
    EXPECT_EQ(unscrambleText(withCheck("c6c0"), kCredentialKey), "中");  // either case of digits
    EXPECT_EQ(unscrambleText(scrambleText("secret", "otherkey"), kCredentialKey), "");
}

TEST(Scramble, RememberedCredentialsSplitAtTheComma) {
    const std::string stored = scrambleText(
        scrambleText("13800138000", kCredentialKey) + "," + scrambleText("密,码", kCredentialKey), kCredentialKey);
    const std::string inner = unscrambleText(stored, kCredentialKey);
    const std::size_t comma = inner.find(',');
    ASSERT_NE(comma, std::string::npos);
    EXPECT_EQ(inner.find(',', comma + 1), std::string::npos);
    EXPECT_EQ(unscrambleText(inner.substr(0, comma), kCredentialKey), "13800138000");
    EXPECT_EQ(unscrambleText(inner.substr(comma + 1), kCredentialKey), "密,码");
}

}  // namespace
}  // namespace vamu::account
