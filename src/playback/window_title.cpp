#include "playback/window_title.h"

#include "core/text_encoding.h"

namespace vamu::playback {

namespace {

// The UTF-8 text after its first `bytes` GBK bytes (`bytes` lies on a character boundary).
std::string_view afterGbkBytes(std::string_view text, std::size_t bytes) {
    return text.substr(core::gbkPrefix(text, bytes).size());
}

}  // namespace

std::optional<std::string> TitleMarquee::step(std::string_view titleLine) {
    if (m_position >= m_length) {
        m_text = std::string(kMarqueeGap) + std::string(titleLine);
        m_length = core::gbkByteLength(m_text);
        m_position = 0;
        return std::nullopt;
    }
    // One byte on, and one more when that byte starts a double-byte character: a prefix
    // one byte longer that does not grow means the next character is two bytes wide.
    const std::size_t start = m_position;
    const bool oneByte = core::gbkByteLength(core::gbkPrefix(m_text, start + 1)) == start + 1;
    m_position = start + (oneByte ? 1 : 2);
    const bool firstStep = start == 0;
    std::string title(kMarqueeLead);
    title += firstStep ? std::string_view(m_text) : afterGbkBytes(m_text, m_position);
    return title;
}

std::optional<std::string> WindowTitle::tick(WindowState state, ActivityState activity, std::string_view prefix,
                                             std::string_view titleLine) {
    switch (state) {
    case WindowState::Normal:
        return std::string(prefix) + std::string(kTitleSeparator) + std::string(titleLine);
    case WindowState::Minimized:
        if (activity == ActivityState::Paused) {
            return std::string(kPausedTitle);
        }
        return m_marquee.step(titleLine);
    case WindowState::Maximized:
        return std::nullopt;
    }
    return std::nullopt;
}

std::string songWindowTitle(std::string_view prefix, SongOrigin origin, std::string_view name) {
    std::string title(prefix);
    switch (origin) {
    case SongOrigin::HotList:
        title += "  -  ";
        title += name;
        title += " - ";
        title += kHotListName;
        break;
    case SongOrigin::ById:
        title += "  -  ";
        title += name;
        break;
    case SongOrigin::Channel:
    case SongOrigin::List:
        title += kTitleSeparator;
        title += name;
        break;
    }
    return title;
}

std::string loadingWindowTitle(std::string_view prefix, std::string_view listName) {
    return std::string(prefix) + "  --  " + std::string(listName);
}

}  // namespace vamu::playback
