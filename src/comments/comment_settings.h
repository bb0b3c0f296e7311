#pragma once
// How the listener wants the bullet comments: their opacity, speed and text size, how
// many lanes and comments a song may fill, whether repeated texts merge, and the words
// that keep a comment off the strip. Qt-free.
//
// The values come from and go to the settings file as texts (the keys 弹幕透明度,
// 弹幕速度, 弹幕字号, 弹幕行数, 弹幕数量, 弹幕合并 and 弹幕屏蔽, core/settings_keys.h); a text
// that is not a value in range gives that setting's default.

#include "comments/comment_layout.h"

#include <string>
#include <string_view>
#include <vector>

namespace vamu::comments {

// Stored as "0", "1" and "2".
enum class TextSize { Small = 0, Normal = 1, Large = 2 };

inline constexpr int kMinOpacity = 20;  // percent
inline constexpr int kMaxOpacity = 100;
inline constexpr int kMinSpeed = 50;  // percent of kStepPixels a tick
inline constexpr int kMaxSpeed = 200;
inline constexpr int kMinCap = 10;  // comments per song; the most is kMaxComments

struct CommentSettings {
    int opacity = kMaxOpacity;  // of the avatars, bubbles and texts, kMinOpacity..kMaxOpacity
    int speed = 100;            // kMinSpeed..kMaxSpeed
    TextSize textSize = TextSize::Normal;
    int lanes = kLaneCount;  // the first 1..kLaneCount lanes from the top
    int cap = kMaxComments;  // kMinCap..kMaxComments shown per song
    bool merge = false;      // a text that repeats an earlier one shows once, with "×N"
    std::vector<std::string> blocked;  // none empty; a comment whose name or text holds one never shows

    bool operator==(const CommentSettings&) const = default;
};

// The settings file's texts of the seven keys, in the order above.
struct CommentSettingTexts {
    std::string opacity;
    std::string speed;
    std::string textSize;
    std::string lanes;
    std::string cap;
    std::string merge;
    std::string blocked;

    bool operator==(const CommentSettingTexts&) const = default;
};

// Whole numbers for opacity, text size, lanes, cap and merge ("0" or "1"); speed a decimal
// factor 0.5..2 ("1.25"), kept to hundredths. Surrounding spaces are allowed.
[[nodiscard]] CommentSettings parseCommentSettings(const CommentSettingTexts& texts);
[[nodiscard]] CommentSettingTexts formatCommentSettings(const CommentSettings& settings);

// The stored form of the blocked words: joined by "|", a "|" inside a word written "\|"
// and a backslash "\\" (so a word ending in one reads back whole). Reading takes "\|" and
// "\\" back, keeps any other backslash as it is, and drops empty words.
[[nodiscard]] std::vector<std::string> splitBlockedWords(std::string_view stored);
[[nodiscard]] std::string joinBlockedWords(const std::vector<std::string>& words);
// The edit box's form: one word a line; lines are trimmed and empty ones dropped.
[[nodiscard]] std::vector<std::string> wordsFromLines(std::string_view text);
[[nodiscard]] std::string linesFromWords(const std::vector<std::string>& words);

// Whether the name or the text holds one of the words; Latin letters match either case.
[[nodiscard]] bool isBlocked(const Comment& comment, const std::vector<std::string>& words);

// What of a song's comments shows, in the reply's order: blocked ones left out; with
// merge, a text seen before adds to the first one's count instead; then the first `cap`.
[[nodiscard]] std::vector<Comment> selectComments(const std::vector<Comment>& comments,
                                                  const CommentSettings& settings);

// The layout and the labels for a text size: pixels per GBK byte and the font's pixels.
[[nodiscard]] LayoutOptions layoutOptions(const CommentSettings& settings);
[[nodiscard]] int fontPixels(TextSize size);

}  // namespace vamu::comments
