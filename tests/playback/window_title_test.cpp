#include "playback/window_title.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/text_encoding.h"

namespace vamu::playback {
namespace {

struct Character {
    std::string utf8;
    std::size_t gbkBytes;
};

// The marquee text of a round, spelled out character by character.
std::vector<Character> roundText(const std::vector<Character>& title) {
    std::vector<Character> text(11, Character{" ", 1});
    text.insert(text.end(), title.begin(), title.end());
    return text;
}

std::string joined(const std::vector<Character>& text, std::size_t from) {
    std::string result;
    for (std::size_t i = from; i < text.size(); ++i) {
        result += text[i].utf8;
    }
    return result;
}

// Each step moves over one whole character (1 byte for ASCII, 2 otherwise) and shows the
// text after the bytes passed, the whole text at the first step; every title is valid UTF-8.
TEST(TitleMarquee, StepsOverWholeCharacters) {
    const std::vector<Character> title = {{"a", 1}, {"中", 2}, {"b", 1}, {"文", 2}, {"字", 2}, {"c", 1}, {"—", 2}};
    std::string titleLine;
    for (const auto& c : title) {
        titleLine += c.utf8;
    }
    const auto text = roundText(title);

    TitleMarquee marquee;
    for (int round = 0; round < 2; ++round) {
        EXPECT_EQ(marquee.step(titleLine), std::nullopt);  // a round starts; the title stays
        EXPECT_EQ(marquee.text(), joined(text, 0));
        EXPECT_EQ(marquee.position(), 0u);
        std::size_t position = 0;
        for (std::size_t k = 0; k < text.size(); ++k) {
            const auto shown = marquee.step(titleLine);
            ASSERT_TRUE(shown.has_value()) << k;
            position += text[k].gbkBytes;
            EXPECT_EQ(marquee.position(), position) << k;
            EXPECT_EQ(*shown, std::string(kMarqueeLead) + joined(text, k == 0 ? 0 : k + 1)) << k;
            EXPECT_EQ(core::replyBodyToText(*shown), *shown) << "broken UTF-8 at step " << k;
        }
        EXPECT_EQ(marquee.position(), marquee.byteLength());
    }
}

TEST(WindowTitle, FollowsTheWindowState) {
    WindowTitle title;
    EXPECT_EQ(title.tick(WindowState::Normal, ActivityState::Playing, "VAMU", "歌名"), "VAMU  - 歌名");
    EXPECT_EQ(title.tick(WindowState::Maximized, ActivityState::Playing, "VAMU", "歌名"), std::nullopt);
    EXPECT_EQ(title.tick(WindowState::Minimized, ActivityState::Paused, "VAMU", "歌名"), "VAMU 暂停播放");
    EXPECT_EQ(title.tick(WindowState::Minimized, ActivityState::Playing, "VAMU", "歌名"), std::nullopt);
    EXPECT_EQ(title.tick(WindowState::Minimized, ActivityState::Playing, "VAMU", "歌名"), "正在播放:            歌名");
    // Pausing while minimised shows the paused title at the next tick.
    EXPECT_EQ(title.tick(WindowState::Minimized, ActivityState::Paused, "VAMU", "歌名"), "VAMU 暂停播放");
}

}  // namespace
}  // namespace vamu::playback
