#include "comments/comment_settings.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <unordered_map>

namespace vamu::comments {
namespace {

std::string_view trimmed(std::string_view text) {
    const auto space = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && space(text.front())) text.remove_prefix(1);
    while (!text.empty() && space(text.back())) text.remove_suffix(1);
    return text;
}

// A whole number from lowest to highest, or nothing.
std::optional<int> whole(std::string_view text, int lowest, int highest) {
    text = trimmed(text);
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    if (value < lowest || value > highest) return std::nullopt;
    return value;
}

// "0.5".."2" as hundredths, or nothing.
std::optional<int> factor(std::string_view text) {
    text = trimmed(text);
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value,
                                              std::chars_format::fixed);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    const long percent = std::lround(value * 100);
    if (percent < kMinSpeed || percent > kMaxSpeed) return std::nullopt;
    return static_cast<int>(percent);
}

std::string formatFactor(int percent) {
    std::string text = std::to_string(percent / 100);
    const int hundredths = percent % 100;
    if (hundredths == 0) return text;
    text += '.';
    text += static_cast<char>('0' + hundredths / 10);
    if (hundredths % 10) text += static_cast<char>('0' + hundredths % 10);
    return text;
}

std::string lowerLatin(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return lower;
}

}  // namespace

CommentSettings parseCommentSettings(const CommentSettingTexts& texts) {
    CommentSettings settings;
    const CommentSettings defaults;
    settings.opacity = whole(texts.opacity, kMinOpacity, kMaxOpacity).value_or(defaults.opacity);
    settings.speed = factor(texts.speed).value_or(defaults.speed);
    settings.textSize = static_cast<TextSize>(whole(texts.textSize, 0, 2).value_or(static_cast<int>(defaults.textSize)));
    settings.lanes = whole(texts.lanes, 1, kLaneCount).value_or(defaults.lanes);
    settings.cap = whole(texts.cap, kMinCap, kMaxComments).value_or(defaults.cap);
    settings.merge = whole(texts.merge, 0, 1).value_or(defaults.merge ? 1 : 0) == 1;
    settings.blocked = splitBlockedWords(texts.blocked);
    return settings;
}

CommentSettingTexts formatCommentSettings(const CommentSettings& settings) {
    CommentSettingTexts texts;
    texts.opacity = std::to_string(settings.opacity);
    texts.speed = formatFactor(settings.speed);
    texts.textSize = std::to_string(static_cast<int>(settings.textSize));
    texts.lanes = std::to_string(settings.lanes);
    texts.cap = std::to_string(settings.cap);
    texts.merge = settings.merge ? "1" : "0";
    texts.blocked = joinBlockedWords(settings.blocked);
    return texts;
}

std::vector<std::string> splitBlockedWords(std::string_view stored) {
    std::vector<std::string> words;
    std::string word;
    const auto finish = [&] {
        if (!word.empty()) words.push_back(std::move(word));
        word.clear();
    };
    for (std::size_t i = 0; i < stored.size(); ++i) {
        const char c = stored[i];
        if (c == '\\' && i + 1 < stored.size() && (stored[i + 1] == '|' || stored[i + 1] == '\\')) {
            word += stored[++i];
        } else if (c == '|') {
            finish();
        } else {
            word += c;
        }
    }
    finish();
    return words;
}

std::string joinBlockedWords(const std::vector<std::string>& words) {
    std::string stored;
    for (const std::string& word : words) {
        if (word.empty()) continue;
        if (!stored.empty()) stored += '|';
        for (const char c : word) {
            if (c == '|' || c == '\\') stored += '\\';
            stored += c;
        }
    }
    return stored;
}

std::vector<std::string> wordsFromLines(std::string_view text) {
    std::vector<std::string> words;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        const std::string_view line = trimmed(text.substr(0, end));
        if (!line.empty()) words.emplace_back(line);
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    return words;
}

std::string linesFromWords(const std::vector<std::string>& words) {
    std::string text;
    for (const std::string& word : words) {
        if (!text.empty()) text += '\n';
        text += word;
    }
    return text;
}

bool isBlocked(const Comment& comment, const std::vector<std::string>& words) {
    if (words.empty()) return false;
    const std::string name = lowerLatin(comment.name);
    const std::string content = lowerLatin(comment.content);
    // UTF-8 never hides an ASCII byte inside another character, so byte search is exact.
    return std::any_of(words.begin(), words.end(), [&](const std::string& word) {
        const std::string lower = lowerLatin(word);
        return !lower.empty() && (name.find(lower) != std::string::npos || content.find(lower) != std::string::npos);
    });
}

std::vector<Comment> selectComments(const std::vector<Comment>& comments, const CommentSettings& settings) {
    std::vector<Comment> shown;
    std::unordered_map<std::string, std::size_t> firstOfText;  // shown index by trimmed text
    const std::size_t cap = static_cast<std::size_t>(std::clamp(settings.cap, 0, kMaxComments));
    for (const Comment& comment : comments) {
        if (isBlocked(comment, settings.blocked)) continue;
        if (settings.merge) {
            const auto [seen, first] = firstOfText.try_emplace(std::string(trimmed(comment.content)), shown.size());
            if (!first) {
                // A repeat adds to the first one even once the cap is reached: its count is
                // about the whole song.
                shown[seen->second].count += comment.count;
                continue;
            }
            if (shown.size() >= cap) {
                firstOfText.erase(seen);
                continue;
            }
        } else if (shown.size() >= cap) {
            break;
        }
        shown.push_back(comment);
    }
    return shown;
}

LayoutOptions layoutOptions(const CommentSettings& settings) {
    LayoutOptions options;
    options.lanes = settings.lanes;
    switch (settings.textSize) {
    case TextSize::Small:
        options.pixelsPerByte = 6;
        break;
    case TextSize::Normal:
        options.pixelsPerByte = kPixelsPerByte;
        break;
    case TextSize::Large:
        options.pixelsPerByte = 9;
        break;
    }
    return options;
}

int fontPixels(TextSize size) {
    switch (size) {
    case TextSize::Small:
        return 10;
    case TextSize::Normal:
        return 12;
    case TextSize::Large:
        return 15;
    }
    return 12;
}

}  // namespace vamu::comments
