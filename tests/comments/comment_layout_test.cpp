#include "comments/comment_layout.h"
#include "comments/comment_settings.h"

#include "core/text_encoding.h"

#include <gtest/gtest.h>

#include <deque>


namespace vamu::comments {
namespace {

// Answers the queued draws in order and records every range asked for.
struct ScriptedRandom {
    std::deque<int> answers;
    std::vector<std::pair<int, int>> ranges;

    RandomInt source() {
        return [this](int lowest, int highest) {
            ranges.emplace_back(lowest, highest);
            EXPECT_FALSE(answers.empty()) << "more draws than scripted";
            const int value = answers.empty() ? lowest : answers.front();
            if (!answers.empty()) answers.pop_front();
            EXPECT_GE(value, lowest);
            EXPECT_LE(value, highest);
            return value;
        };
    }
};

Comment comment(std::string name, std::string content) { return Comment{"", std::move(name), std::move(content)}; }

TEST(CommentLayout, BubbleAndLabelWidthsFollowTheGbkByteLengths) {
    struct Case {
        const char* name;
        const char* content;
        int bubbleWidth;
        int nameWidth;
        int contentLeft;
        int contentWidth;
    };
    const Case cases[] = {
        {"ab", "你好", 52, 17, 22, 33},                         // 7 x 2 + 7 x 4 + 10; the content label 5 + 17 in
        {"", "", 10, 3, 8, 5},                                  // nothing to say still makes a bubble
        {"听众A", "nice 歌!", 7 * 5 + 7 * 8 + 10, 38, 43, 61},  // mixed: 2 + 2 + 1 and 4 + 1 + 2 + 1
        {"é", "😀", 7 * 2 + 7 * 2 + 10, 17, 22, 19},  // any non-ASCII character counts 2, even outside the BMP
    };
    for (const Case& c : cases) {
        ScriptedRandom random{{1, 1, 1, 10}};
        const CommentLayout layout = layoutComments({comment(c.name, c.content)}, random.source());
        ASSERT_EQ(layout.places.size(), 1u);
        const CommentPlace& place = layout.places[0];
        EXPECT_EQ(place.bubbleWidth, c.bubbleWidth) << c.name << "|" << c.content;
        EXPECT_EQ(place.nameWidth, c.nameWidth) << c.name;
        EXPECT_EQ(place.contentLeft, c.contentLeft) << c.name;
        EXPECT_EQ(place.contentWidth, c.contentWidth) << c.content;
        EXPECT_EQ(place.bubbleLeft, place.left + kAvatarSize + kBubbleGap);
        EXPECT_EQ(layout.extent, place.right());
    }
}

TEST(CommentLayout, LanesTakeTurnsAndTheFourthFollowsTheFirstInItsLane) {
    // Start lefts of lanes 1, 2, 3, then one gap per comment placed.
    ScriptedRandom random{{90, 1, 45, 300, 10, 250, 123, 77}};
    const std::vector<Comment> comments{comment("ab", "你好"), comment("a", "b"), comment("", "xyz"),
                                        comment("cd", "ef"), comment("q", "")};
    const CommentLayout layout = layoutComments(comments, random.source());
    ASSERT_EQ(layout.places.size(), 5u);
    // Start lefts come first, from 1..90; each gap from 10 to the lane's own largest.
    const std::vector<std::pair<int, int>> ranges{{1, 90},   {1, 90},   {1, 90},   {10, 300},
                                                  {10, 160}, {10, 250}, {10, 300}, {10, 160}};
    EXPECT_EQ(random.ranges, ranges);

    const auto& p = layout.places;
    EXPECT_EQ((std::vector<int>{p[0].lane, p[1].lane, p[2].lane, p[3].lane, p[4].lane}),
              (std::vector<int>{1, 2, 3, 1, 2}));
    EXPECT_EQ((std::vector<int>{p[0].top, p[1].top, p[2].top, p[3].top, p[4].top}),
              (std::vector<int>{10, 50, 90, 10, 50}));
    EXPECT_EQ(p[0].left, 90);
    EXPECT_EQ(p[1].left, 1);
    EXPECT_EQ(p[2].left, 45);
    // Behind the first in its lane: its bubble's right edge, the gap drawn after it
    // (the fourth draw), plus 10.
    EXPECT_EQ(p[3].left, p[0].right() + 300 + 10);
    EXPECT_EQ(p[4].left, p[1].right() + 10 + 10);
    int extent = 0;
    for (const CommentPlace& place : p) extent = std::max(extent, place.right());
    EXPECT_EQ(layout.extent, extent);
}

TEST(CommentLayout, RepliesAreReadInOrderCappedAndBounded) {
    net::JsonDocument reply;
    ASSERT_TRUE(reply.load(R"({"state": 1, "result": {"data": [
        {"id": 1, "content": "第一", "user": {"name": "甲", "avatar_50": "http://a/1.png"}},
        {"id": 2, "content": 42, "user": {"name": "b"}},
        {"id": 3}]}})"));
    const std::vector<Comment> comments = readComments(reply);
    ASSERT_EQ(comments.size(), 3u);
    EXPECT_EQ(comments[0].name, "甲");
    EXPECT_EQ(comments[0].content, "第一");
    EXPECT_EQ(comments[0].avatarUrl, "http://a/1.png");
    EXPECT_EQ(comments[1].content, "42");
    EXPECT_TRUE(comments[1].avatarUrl.empty());
    EXPECT_TRUE(comments[2].name.empty() && comments[2].content.empty());

    // A refusal or a reply without data places nothing.
    ASSERT_TRUE(reply.load(R"({"state": 0, "message": "no such song"})"));
    EXPECT_TRUE(readComments(reply).empty());

    // More than were asked for: the first 120. Texts far too long: cut, never split.
    std::string many = R"({"result": {"data": [)";
    const std::string longText(5000, 'x');
    std::string longChinese;
    for (int i = 0; i < 1000; ++i) longChinese += "长";
    for (int i = 0; i < 200; ++i) {
        if (i) many += ",";
        many += R"({"content": ")" + (i == 0 ? longText : longChinese) + R"(", "user": {"name": ")" + longChinese +
                R"("}})";
    }
    many += "]}}";
    ASSERT_TRUE(reply.load(many));
    const std::vector<Comment> capped = readComments(reply);
    ASSERT_EQ(capped.size(), static_cast<std::size_t>(kMaxComments));
    EXPECT_EQ(capped[0].content.size(), kMaxTextBytes);
    EXPECT_EQ(core::gbkByteLength(capped[1].content), kMaxTextBytes);
    EXPECT_EQ(core::gbkByteLength(capped[1].name), kMaxTextBytes);
    EXPECT_EQ(capped[1].name.size() % 3, 0u);  // whole three-byte characters only
}

// Draws the lowest value of every range, so that places follow from the widths alone.
int lowestDraw(int lowest, int) { return lowest; }

TEST(CommentSettings, LanesCapMergingAndBlockedWordsShapeWhatTheStripShows) {
    std::vector<Comment> all;
    for (int i = 0; i < 8; ++i) all.push_back(comment("u" + std::to_string(i), "text" + std::to_string(i)));

    // Lanes: only the first ones from the top, in turn; the fourth comment of two lanes
    // goes behind the second in lane 2.
    for (const int lanes : {1, 2, 3}) {
        const CommentLayout layout = layoutComments(all, lowestDraw, {.lanes = lanes});
        for (std::size_t i = 0; i < all.size(); ++i) {
            EXPECT_EQ(layout.places[i].lane, static_cast<int>(i) % lanes + 1) << lanes << " lanes, comment " << i;
            EXPECT_EQ(layout.places[i].top, kLaneTops[i % static_cast<std::size_t>(lanes)]);
        }
        if (lanes == 2) {
            EXPECT_EQ(layout.places[3].left, layout.places[1].right() + 10 + 10);
        }
    }
    // Text size: every byte is wider, merged counts included.
    Comment merged = comment("ab", "你好");
    merged.count = 3;
    EXPECT_EQ(shownContent(merged), "你好 ×3");
    EXPECT_EQ(layoutComments({merged}, lowestDraw, {.pixelsPerByte = 9}).places[0].bubbleWidth, 9 * 2 + 9 * 8 + 10);
    EXPECT_GT(layoutOptions({.textSize = TextSize::Large}).pixelsPerByte, kPixelsPerByte);
    EXPECT_LT(layoutOptions({.textSize = TextSize::Small}).pixelsPerByte, kPixelsPerByte);

    // The cap counts what is shown, after blocked and merged comments.
    EXPECT_EQ(selectComments(all, {.cap = 10}).size(), 8u);
    const std::vector<Comment> five = selectComments(all, {.cap = 5, .blocked = {"TEXT1", "u3"}});
    std::vector<std::string> names;
    for (const Comment& c : five) names.push_back(c.name);
    EXPECT_EQ(names, (std::vector<std::string>{"u0", "u2", "u4", "u5", "u6"}));

    // Merging: the first of a text shows, counting its repeats (past the cap too); texts
    // differing in case or only in surrounding spaces.
    const std::vector<Comment> song{comment("a", "好听"), comment("b", "Nice"),  comment("c", "好听 "),
                                    comment("d", "nice"), comment("e", "再来"), comment("f", "好听")};
    const std::vector<Comment> once = selectComments(song, {.cap = 10, .merge = true});
    ASSERT_EQ(once.size(), 4u);
    EXPECT_EQ(once[0].name, "a");
    EXPECT_EQ(once[0].count, 3);
    EXPECT_EQ(once[1].count, 1);
    EXPECT_EQ(once[2].content, "nice");
    const std::vector<Comment> capped = selectComments(song, {.cap = 10, .merge = true, .blocked = {"再"}});
    EXPECT_EQ(capped.size(), 3u);
    EXPECT_EQ(selectComments(song, {.cap = 10}).size(), song.size());  // merging off: every one

    // Blocked words: Latin letters in either case, in the name or the text; Chinese as written.
    const Comment spam{"", "SpamBot", "买 CHEAP 票 a|b"};
    EXPECT_TRUE(isBlocked(spam, {"spambot"}));
    EXPECT_TRUE(isBlocked(spam, {"cheap"}));
    EXPECT_TRUE(isBlocked(spam, {"买"}));
    EXPECT_TRUE(isBlocked(spam, {"A|B"}));
    EXPECT_FALSE(isBlocked(spam, {"a|c", "卖", "chap"}));
    EXPECT_FALSE(isBlocked(spam, {}));

    // Their stored form: "|" between words, "\|" inside one, "\\" a backslash; a lone
    // backslash of a hand-written value stays; empty words go.
    const std::vector<std::string> words{"a|b", "c:\\d", "end\\", "广告"};
    const std::string stored = joinBlockedWords(words);
    EXPECT_EQ(stored, "a\\|b|c:\\\\d|end\\\\|广告");
    EXPECT_EQ(splitBlockedWords(stored), words);
    EXPECT_EQ(splitBlockedWords("||x\\y|\\||"), (std::vector<std::string>{"x\\y", "|"}));
    EXPECT_EQ(wordsFromLines(" spam \r\n\n广告\n"), (std::vector<std::string>{"spam", "广告"}));
    EXPECT_EQ(wordsFromLines(linesFromWords(words)), words);
}

TEST(CommentScroll, MovesWhilePlayingStandsWhilePausedOrStalledAndStopsOnceThePagePassed) {
    CommentScroll scroll;
    scroll.reset(100, 10);
    EXPECT_EQ(scroll.tick(playback::ActivityState::Playing), CommentScroll::Step::Moved);
    EXPECT_EQ(scroll.left(), 98);
    EXPECT_EQ(scroll.tick(playback::ActivityState::Paused), CommentScroll::Step::Stood);
    EXPECT_EQ(scroll.tick(playback::ActivityState::Stalled), CommentScroll::Step::Stood);
    EXPECT_EQ(scroll.left(), 98);
    EXPECT_EQ(scroll.tick(playback::ActivityState::Playing), CommentScroll::Step::Moved);
    EXPECT_EQ(scroll.left(), 96);

    // Once the page's right edge has passed the strip's left, ticks change nothing more.
    int moves = 0;
    while (scroll.tick(playback::ActivityState::Playing) == CommentScroll::Step::Moved) ++moves;
    EXPECT_EQ(moves, 53);  // 96 + 10 = 106 px, 2 px a tick
    EXPECT_TRUE(scroll.passed());
    EXPECT_EQ(scroll.left(), -10);
    EXPECT_EQ(scroll.tick(playback::ActivityState::Playing), CommentScroll::Step::Stood);
    // A stopped stream still takes the passed page down.
    EXPECT_EQ(scroll.tick(playback::ActivityState::Stopped), CommentScroll::Step::TakeDown);

    // Other speeds: parts of a pixel add up, so 0.75x moves 1, 2, 1, 2 ... and 2x 4 a tick.
    for (const auto& [speed, moved] : {std::pair{75, 15}, std::pair{50, 10}, std::pair{200, 40}, std::pair{130, 26}}) {
        scroll.reset(1000, 10);
        scroll.setSpeed(speed);
        for (int tick = 0; tick < 10; ++tick) ASSERT_EQ(scroll.tick(playback::ActivityState::Playing), CommentScroll::Step::Moved);
        EXPECT_EQ(scroll.left(), 1000 - moved) << speed;
    }
}

}  // namespace
}  // namespace vamu::comments
