#pragma once
// The main window's title at each clock tick, with the marquee that scrolls the playing
// song's title while the window is minimised. Widths are GBK byte counts (ASCII 1, any
// other character 2); a step never splits a character. UI thread only.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "playback/activity_state.h"

namespace vamu::playback {

inline constexpr std::string_view kTitleSeparator = "  - ";
inline constexpr std::string_view kHotListName = "热门推荐";

// Where a song that starts came from, as its window title tells it.
enum class SongOrigin {
    HotList,  // prefix + "  -  " + name + " - 热门推荐"
    Channel,  // prefix + "  - " + name
    List,     // prefix + "  - " + name (the collection, the likes, the song list)
    ById,     // prefix + "  -  " + name (a song played by id)
};
[[nodiscard]] std::string songWindowTitle(std::string_view prefix, SongOrigin origin, std::string_view name);
// While a page of the hot list or a channel loads: prefix + "  --  " + the list's name.
[[nodiscard]] std::string loadingWindowTitle(std::string_view prefix, std::string_view listName);
inline constexpr std::string_view kPausedTitle = "VAMU 暂停播放";
inline constexpr std::string_view kMarqueeLead = "正在播放: ";
inline constexpr std::string_view kMarqueeGap = "           ";  // 11 spaces before each round

enum class WindowState { Normal, Minimized, Maximized };

class TitleMarquee {
public:
    // One step. While the position is below the text's byte length it moves over one
    // character (1 or 2 bytes) and the title is kMarqueeLead + the text from there on (the
    // whole text at the first step). At the end a new round starts: the text becomes
    // kMarqueeGap + `titleLine`, the position 0, and the title stays (nullopt).
    std::optional<std::string> step(std::string_view titleLine);

    [[nodiscard]] const std::string& text() const { return m_text; }   // UTF-8
    [[nodiscard]] std::size_t byteLength() const { return m_length; }  // GBK bytes
    [[nodiscard]] std::size_t position() const { return m_position; }  // GBK bytes

private:
    std::string m_text;
    std::size_t m_length = 0;
    std::size_t m_position = 0;
};

class WindowTitle {
public:
    // Normal: prefix + "  - " + title line; minimised and paused: "VAMU 暂停播放";
    // minimised otherwise: the marquee; maximised: unchanged (nullopt).
    std::optional<std::string> tick(WindowState state, ActivityState activity, std::string_view prefix,
                                    std::string_view titleLine);

private:
    TitleMarquee m_marquee;
};

}  // namespace vamu::playback
