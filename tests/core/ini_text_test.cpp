#include "core/ini_text.h"

#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "core/text_encoding.h"

namespace vamu::core {
namespace {

constexpr std::string_view kSection = "配置文件";

// A file as a user might leave it after editing it by hand, in GB18030 with CR LF endings.
std::string handWrittenFile() {
    return utf8ToGb18030(
        "; 用户手工编辑的文件\r\n"
        "[其它]\r\n"
        "音量=5\r\n"
        "\r\n"
        "  [ 配置文件 ]  \r\n"
        "  音量  =  80  \r\n"
        "音量=30\r\n"
        "# 注释=不是键\r\n"
        "Cookie = \"a=1; b=2\"\r\n"
        "提示顶边='  12 '\r\n"
        "引号=\"只有一边\r\n"
        "空值=\r\n"
        "没有等号的行\r\n"
        "\r\n"
        "[配置文件]\r\n"
        "版本=9\r\n");
}

TEST(IniText, ReadsHandWrittenFiles) {
    const std::string file = handWrittenFile();
    struct Case {
        std::string_view key;
        std::optional<std::string> value;
    };
    const Case cases[] = {
        {"音量", "80"},          // the first of duplicate keys, trimmed
        {"cookie", "a=1; b=2"},  // ASCII case ignored, quotes removed
        {"COOKIE", "a=1; b=2"},
        {"提示顶边", "  12 "},     // single quotes keep the spaces inside
        {"引号", "\"只有一边"},    // an unpaired quote stays
        {"空值", ""},              // present, empty
        {"# 注释", std::nullopt},  // comments are not keys
        {"没有等号的行", std::nullopt},
        {"版本", std::nullopt},  // only the first section of a name counts
        {"缺少", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(iniValue(file, kSection, c.key), c.value) << c.key;
    }
    EXPECT_EQ(iniValue(file, "其它", "音量"), "5");
    EXPECT_EQ(iniValue(file, "缺少", "音量"), std::nullopt);
    EXPECT_EQ(iniValue("", kSection, "音量"), std::nullopt);
}

TEST(IniText, MultiByteCharactersAreNotSplitIntoAsciiBytes) {
    // 丄 is 81 41 and 乤 is 81 61 in GBK: folding the case of their second bytes would make
    // them the same key. 乚 is 81 5D, whose second byte is "]".
    const std::string file = utf8ToGb18030("[配置文件]\n乤=lower\n[乚\n音量=7\n");
    EXPECT_EQ(iniValue(file, kSection, "丄"), std::nullopt);
    EXPECT_EQ(iniValue(file, kSection, "乤"), "lower");
    EXPECT_EQ(iniValue(file, kSection, "音量"), "7");  // "[乚" is no section header
}

TEST(IniText, ByteOrderMarksAreSkippedAndKeepTheFilesEncoding) {
    // An editor that saves "UTF-8 with BOM" writes the whole text as UTF-8.
    const std::string utf8Mark = "\xEF\xBB\xBF";
    const std::string utf8File = utf8Mark + "[配置文件]\r\n音量=80\r\n昵称=小明\r\n";
    EXPECT_EQ(iniValue(utf8File, kSection, "音量"), "80");
    EXPECT_EQ(iniValue(utf8File, kSection, "昵称"), "小明");
    EXPECT_EQ(iniWithValue(utf8File, kSection, "音量", "60"), utf8Mark + "[配置文件]\r\n音量=60\r\n昵称=小明\r\n");
    EXPECT_EQ(iniWithValue(utf8File, kSection, "背景", "蓝"),
              utf8Mark + "[配置文件]\r\n音量=80\r\n昵称=小明\r\n背景=蓝\r\n");
    EXPECT_EQ(iniWithValue(utf8Mark, kSection, "音量", "1"), utf8Mark + "[配置文件]\n音量=1\n");
    // A key in the first line, right after the mark.
    EXPECT_EQ(iniValue(utf8Mark + "k=1\n[配置文件]\nk=2\n", kSection, "k"), "2");
    EXPECT_EQ(iniValue(utf8Mark + "[配置文件]\nbad=\xFF\n", kSection, "bad"), "\xEF\xBF\xBD");

    // The GB18030 form of the mark: the text stays GB18030.
    const std::string gbMark = "\x84\x31\x95\x33";
    const std::string gbFile = gbMark + utf8ToGb18030("[配置文件]\n音量=80\n");
    EXPECT_EQ(iniValue(gbFile, kSection, "音量"), "80");
    EXPECT_EQ(iniWithValue(gbFile, kSection, "昵称", "小明"),
              gbMark + utf8ToGb18030("[配置文件]\n音量=80\n昵称=小明\n"));

    // A mark anywhere but at the front is text of the line it stands in.
    EXPECT_EQ(iniValue("\n" + utf8Mark + "[配置文件]\n音量=80\n", kSection, "音量"), std::nullopt);
}

TEST(IniText, RewritesOneLineAndKeepsEveryOtherByte) {
    const std::string file = handWrittenFile();
    const std::optional<std::string> updated = iniWithValue(file, kSection, "音量", "55");
    ASSERT_TRUE(updated);
    std::string expected = file;
    const std::string oldLine = utf8ToGb18030("  音量  =  80  ");
    expected.replace(expected.find(oldLine), oldLine.size(), utf8ToGb18030("音量=55"));
    EXPECT_EQ(*updated, expected);
    EXPECT_EQ(iniValue(*updated, kSection, "音量"), "55");
    EXPECT_EQ(iniValue(*updated, "其它", "音量"), "5");

    // The key keeps the spelling it has in the file.
    const std::optional<std::string> cookie = iniWithValue(file, kSection, "COOKIE", "x=1");
    ASSERT_TRUE(cookie);
    EXPECT_NE(cookie->find("\r\nCookie=x=1\r\n"), std::string::npos);
}

TEST(IniText, AddsKeysAtTheEndOfTheSectionWithTheFilesLineEnding) {
    const std::string file = handWrittenFile();
    const std::optional<std::string> updated = iniWithValue(file, kSection, "下载提示", "0");
    ASSERT_TRUE(updated);
    const std::string after = utf8ToGb18030("没有等号的行\r\n");
    std::string expected = file;
    expected.insert(expected.find(after) + after.size(), utf8ToGb18030("下载提示=0\r\n"));
    EXPECT_EQ(*updated, expected);

    struct Case {
        std::string_view before;
        std::string_view after;
    };
    const Case cases[] = {
        {"", "[配置文件]\nk=v\n"},
        {"[配置文件]", "[配置文件]\nk=v"},
        {"[配置文件]\r\na=1", "[配置文件]\r\na=1\r\nk=v"},
        {"[配置文件]\na=1\n\n[其它]\nb=2\n", "[配置文件]\na=1\nk=v\n\n[其它]\nb=2\n"},
        {"[其它]\r\nb=2\r\n", "[其它]\r\nb=2\r\n\r\n[配置文件]\r\nk=v\r\n"},
        {"[其它]\nb=2", "[其它]\nb=2\n\n[配置文件]\nk=v\n"},
        {"[其它]\nb=2\n\n", "[其它]\nb=2\n\n[配置文件]\nk=v\n"},
        {"a=outside\n", "a=outside\n\n[配置文件]\nk=v\n"},
    };
    for (const Case& c : cases) {
        const std::optional<std::string> result = iniWithValue(utf8ToGb18030(c.before), kSection, "k", "v");
        ASSERT_TRUE(result) << c.before;
        EXPECT_EQ(gb18030ToUtf8(*result), c.after) << c.before;
    }
}

TEST(IniText, ValuesReadBackAsWritten) {
    const std::string_view values[] = {
        "",  "plain", " leading", "trailing\t", "\"quoted\"",      "'single'",
        "'", "\"",    "a=b; c=d", "中文 值",    "; not a comment", "[not a section]",
    };
    for (std::string_view value : values) {
        const std::optional<std::string> file = iniWithValue("[配置文件]\n", kSection, "key", value);
        ASSERT_TRUE(file) << value;
        EXPECT_EQ(iniValue(*file, kSection, "key"), std::string(value)) << value;
    }
}

TEST(IniText, RefusesWhatCannotStandOnOneLine) {
    EXPECT_FALSE(iniWithValue("", kSection, "key", "line\nbreak"));
    EXPECT_FALSE(iniWithValue("", kSection, "key", "carriage\rreturn"));
    EXPECT_FALSE(iniWithValue("", kSection, "key", std::string_view("nul\0byte", 8)));
    EXPECT_FALSE(iniWithValue("", kSection, "a=b", "v"));
    EXPECT_FALSE(iniWithValue("", kSection, "", "v"));
    EXPECT_FALSE(iniWithValue("", kSection, " padded", "v"));
    EXPECT_FALSE(iniWithValue("", kSection, ";comment", "v"));
    EXPECT_FALSE(iniWithValue("", kSection, "[head", "v"));
    EXPECT_FALSE(iniWithValue("", "sec]tion", "key", "v"));
}

}  // namespace
}  // namespace vamu::core
