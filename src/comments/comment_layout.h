#pragma once
// The comment page as numbers: which comments a reply holds, where each one's avatar,
// bubble and labels go on the page, and how the page moves with the stream. Qt-free;
// the controller (comments_controller.h) turns it into controls.
//
// Page coordinates: x grows to the right from the page's left edge, y down from its
// top. The page itself starts right of the strip and moves left.

#include "net/json_document.h"
#include "playback/activity_state.h"

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vamu::comments {

// What a song's request asks for, and the most a reply may place on the page.
inline constexpr int kMaxComments = 120;
// Names and texts longer than this (GBK bytes) are cut: every label owns a surface as
// wide as its text, and a hostile reply must not make one of a million pixels.
inline constexpr std::size_t kMaxTextBytes = 256;

inline constexpr int kLaneCount = 3;
inline constexpr std::array<int, kLaneCount> kLaneTops{10, 50, 90};
// The largest extra gap after a comment, per lane.
inline constexpr std::array<int, kLaneCount> kLaneGaps{300, 160, 250};
inline constexpr int kSmallestGap = 10;
inline constexpr int kFirstLeftMin = 1;
inline constexpr int kFirstLeftMax = 90;
inline constexpr int kAvatarSize = 30;
inline constexpr int kRowHeight = 30;
inline constexpr int kBubbleGap = 5;      // between avatar and bubble
inline constexpr int kPixelsPerByte = 7;  // a Latin letter 7 px, a Chinese character 14
inline constexpr int kNameLeft = 5;       // inside the bubble
inline constexpr int kStepPixels = 2;     // per tick while the stream plays

struct Comment {
    std::string avatarUrl;  // may be empty
    std::string name;       // the writer
    std::string content;
    int count = 1;          // more than 1: repeats of this text merged into it
};

// The text a comment's bubble shows: its content, followed by " ×N" for merged repeats.
[[nodiscard]] std::string shownContent(const Comment& comment);

// The comments of a reply, at most kMaxComments, in the reply's order (JSON index 0
// first). An object without "result.data" gives none.
[[nodiscard]] std::vector<Comment> readComments(const net::JsonDocument& reply);

// A uniformly drawn integer from lowest to highest, both included.
using RandomInt = std::function<int(int lowest, int highest)>;

// Where one comment goes. Avatar and bubble in page coordinates; the labels in the
// bubble's coordinates (the name label at kNameLeft, 0). Every row is kRowHeight high.
struct CommentPlace {
    int lane = 1;  // 1..3
    int left = 0;  // the avatar's left
    int top = 0;
    int bubbleLeft = 0;
    int bubbleWidth = 0;
    int nameWidth = 0;
    int contentLeft = 0;
    int contentWidth = 0;

    [[nodiscard]] int right() const { return bubbleLeft + bubbleWidth; }
};

struct CommentLayout {
    std::vector<CommentPlace> places;  // one per comment, same order
    int extent = 0;                    // the rightmost bubble edge: the page's drawn width
};

struct LayoutOptions {
    int lanes = kLaneCount;                // the first 1..kLaneCount lanes from the top
    int pixelsPerByte = kPixelsPerByte;  // the text size's width of one GBK byte
};

// Lanes 1, 2, 3, 1, ... (or the first `lanes` of them in turn) each starting at a random
// left of 1..90 (drawn for lanes 1, 2, 3 in that order, however many are used); each
// comment is followed in its lane by a gap of 10 + 10..G (G per lane, kLaneGaps).
// Widths count the shown content.
[[nodiscard]] CommentLayout layoutComments(const std::vector<Comment>& comments, const RandomInt& random,
                                           const LayoutOptions& options = {});

// The stream as the page's movement sees it.

// The page's left edge over the ticks of one song.
class CommentScroll {
public:
    enum class Step {
        Moved,     // the page moved kStepPixels to the left
        Stood,     // paused, stalled, or the page has passed the strip: nothing changes
        TakeDown,  // the stream stopped: the page goes and the strip hides
    };

    // A new page: its left edge in the strip and the width of what it draws.
    void reset(int left, int extent) {
        m_left = left;
        m_extent = extent;
        m_carry = 0;
    }
    // Percent of kStepPixels a tick, 50..200; parts of a pixel add up over the ticks.
    void setSpeed(int percent) { m_speed = percent; }
    [[nodiscard]] Step tick(playback::ActivityState activity);
    [[nodiscard]] int left() const { return m_left; }
    // Everything on the page lies left of the strip: moving it would compose nothing.
    [[nodiscard]] bool passed() const { return m_left + m_extent <= 0; }

private:
    int m_left = 0;
    int m_extent = 0;
    int m_speed = 100;
    int m_carry = 0;  // hundredths of a pixel not moved yet
};

}  // namespace vamu::comments
