#include "comments/comment_layout.h"

#include "core/text_encoding.h"

#include <algorithm>

namespace vamu::comments {
namespace {

std::string bounded(std::string text) {
    const std::string_view kept = core::gbkPrefix(text, kMaxTextBytes);
    if (kept.size() != text.size()) text.resize(kept.size());
    return text;
}

int pixelsOf(const std::string& text, int pixelsPerByte) {
    return static_cast<int>(core::gbkByteLength(text)) * pixelsPerByte;
}

}  // namespace

std::string shownContent(const Comment& comment) {
    if (comment.count <= 1) return comment.content;
    std::string text = comment.content;
    text += " ×";
    text += std::to_string(comment.count);
    return text;
}

std::vector<Comment> readComments(const net::JsonDocument& reply) {
    const int count = std::min(reply.countMembers("result.data"), kMaxComments);
    std::vector<Comment> comments;
    comments.reserve(static_cast<std::size_t>(std::max(count, 0)));
    for (int k = 0; k < count; ++k) {
        const std::string item = "result.data[" + std::to_string(k) + "]";
        comments.push_back(Comment{reply.getText(item + ".user.avatar_50"), bounded(reply.getText(item + ".user.name")),
                                   bounded(reply.getText(item + ".content"))});
    }
    return comments;
}

CommentLayout layoutComments(const std::vector<Comment>& comments, const RandomInt& random,
                             const LayoutOptions& options) {
    const std::size_t lanes = static_cast<std::size_t>(std::clamp(options.lanes, 1, kLaneCount));
    // Every lane's start is drawn, used or not: the draws of a song line up whatever
    // the number of lanes.
    std::array<int, kLaneCount> nextLeft{};
    for (int& left : nextLeft) left = random(kFirstLeftMin, kFirstLeftMax);
    CommentLayout layout;
    layout.places.reserve(comments.size());
    std::size_t lane = 0;
    for (const Comment& comment : comments) {
        CommentPlace place;
        place.lane = static_cast<int>(lane) + 1;
        place.left = nextLeft[lane];
        place.top = kLaneTops[lane];
        place.bubbleLeft = place.left + kAvatarSize + kBubbleGap;
        const int name = pixelsOf(comment.name, options.pixelsPerByte);
        const int content = pixelsOf(shownContent(comment), options.pixelsPerByte);
        place.bubbleWidth = name + content + 10;
        place.nameWidth = name + 3;
        place.contentLeft = kNameLeft + place.nameWidth;
        place.contentWidth = content + 5;
        nextLeft[lane] = place.right() + random(kSmallestGap, kLaneGaps[lane]) + 10;
        layout.extent = std::max(layout.extent, place.right());
        layout.places.push_back(place);
        lane = (lane + 1) % lanes;
    }
    return layout;
}

CommentScroll::Step CommentScroll::tick(playback::ActivityState activity) {
    switch (activity) {
    case playback::ActivityState::Stopped:
        return Step::TakeDown;
    case playback::ActivityState::Stalled:
    case playback::ActivityState::Paused:
        return Step::Stood;
    case playback::ActivityState::Playing:
        break;
    }
    if (passed()) return Step::Stood;
    m_carry += kStepPixels * m_speed;
    m_left -= m_carry / 100;
    m_carry %= 100;
    return Step::Moved;
}

}  // namespace vamu::comments
