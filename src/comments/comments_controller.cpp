#include "comments/comments_controller.h"

#include <QImage>

namespace vamu::comments {
namespace {

// The page is far wider than any strip: every comment is its child, so one move of the
// page moves them all.
constexpr int kPageWidth = 99'999;
constexpr int kPageHeight = 300;
constexpr int kPageStartGap = 10;  // right of the strip's edge
constexpr int kBubbleCorners = 12;
constexpr QRgb kBubbleWhite = 0xFFFFFFFF;
constexpr QRgb kNameBlue = 0xFF0088FF;  // red 0, green 136, blue 255
constexpr QRgb kContentBlack = 0xFF000000;

}  // namespace

CommentsController::CommentsController(CommentsSetup setup, net::ServiceContext context, platform::Scheduler& scheduler,
                                       CommentsHooks hooks)
    : m_strip(setup.strip),
      m_context(std::move(context)),
      m_scheduler(scheduler),
      m_hooks(std::move(hooks)),
      m_random(std::move(setup.random)),
      m_placeholder(std::move(setup.placeholder)),
      m_on(setup.on),
      m_avatars(setup.fetchAvatar ? std::move(setup.fetchAvatar) : AvatarFetcher::Fetch(&AvatarFetcher::httpFetch)) {}

CommentsController::~CommentsController() { stopAll(); }

void CommentsController::stopAll() { takeDown(); }

int CommentsController::stripWidth() const { return m_strip ? m_strip->width() : 0; }

void CommentsController::takeDown() {
    m_scheduler.stopTimer(kTimer);
    m_request.stop();
    m_avatars.stop();
    m_controls.clear();
    m_comments.clear();
    m_layout = {};
    if (m_page) m_page->destroy();  // its children go with it
    m_page = nullptr;
}

void CommentsController::startComments() {
    takeDown();
    if (!m_on || !m_strip) return;
    if (m_hooks.showStrip) m_hooks.showStrip(true);
    const int left = stripWidth() + kPageStartGap;
    m_page = toolkit::Page::create(*m_strip, QRect(left, 0, kPageWidth, kPageHeight));
    const std::string songId = player().song.id;
    m_request.start(
        [context = m_context, songId](std::stop_token stop) -> std::optional<std::vector<Comment>> {
            const net::ServiceReply reply =
                net::callService(context, net::endpoint::kBulletComments, {net::ParamValue::text(songId)}, stop);
            if (!reply.document) return std::nullopt;  // no reply, or not JSON: nothing shows
            return readComments(*reply.document);
        },
        [this](std::optional<std::vector<Comment>> comments) {
            if (comments && !comments->empty()) showComments(std::move(*comments));
        });
}

void CommentsController::showComments(std::vector<Comment> comments) {
    // A page holds one song's comments: one that has some already goes first.
    if (!m_controls.empty()) takeDown();
    if (!m_page)
        m_page = toolkit::Page::create(*m_strip, QRect(stripWidth() + kPageStartGap, 0, kPageWidth, kPageHeight));
    if (!m_page) return;
    m_comments = std::move(comments);
    m_layout = layoutComments(m_comments, m_random);
    m_controls.assign(m_comments.size(), {});
    std::vector<std::string> urls;
    urls.reserve(m_comments.size());
    for (std::size_t i = 0; i < m_comments.size(); ++i) {
        const Comment& comment = m_comments[i];
        const CommentPlace& place = m_layout.places[i];
        CommentControls& made = m_controls[i];
        toolkit::NewObjSetup avatar;
        avatar.picture = m_placeholder;
        avatar.ringWidth = 0;
        made.avatar = toolkit::NewObj::create(*m_page, QRect(place.left, place.top, kAvatarSize, kAvatarSize), avatar);
        toolkit::GroupBoxSetup bubble;
        bubble.background = kBubbleWhite;
        bubble.cornerDiameter = kBubbleCorners;
        made.bubble = toolkit::GroupBox::create(
            *m_page, QRect(place.bubbleLeft, place.top, place.bubbleWidth, kRowHeight), bubble);
        if (made.bubble) {
            toolkit::LabelSetup name;
            name.text = QString::fromStdString(comment.name);
            name.textColour = kNameBlue;
            made.name = toolkit::Label::create(*made.bubble, QRect(kNameLeft, 0, place.nameWidth, kRowHeight), name);
            toolkit::LabelSetup content;
            content.text = QString::fromStdString(comment.content);
            content.textColour = kContentBlack;
            made.content = toolkit::Label::create(*made.bubble,
                                                  QRect(place.contentLeft, 0, place.contentWidth, kRowHeight), content);
        }
        urls.push_back(comment.avatarUrl);
    }
    m_scroll.reset(m_page->left(), m_layout.extent);
    m_avatars.start(urls, [this](const std::string& url, const QByteArray& bytes) { avatarArrived(url, bytes); });
    m_scheduler.startTimer(kTimer, kTickPeriod, [this] { scrollComments(); });
}

void CommentsController::avatarArrived(const std::string& url, const QByteArray& bytes) {
    // Bytes that make no picture leave the placeholder in place.
    if (bytes.isEmpty() || QImage::fromData(bytes).isNull()) return;
    for (std::size_t i = 0; i < m_comments.size(); ++i) {
        if (m_comments[i].avatarUrl == url && m_controls[i].avatar) m_controls[i].avatar->setPicture(bytes);
    }
}

void CommentsController::scrollComments() {
    if (!m_page) {
        m_scheduler.stopTimer(kTimer);
        return;
    }
    const playback::ActivityState activity = player().activity;
    switch (m_scroll.tick(activity)) {
    case CommentScroll::Step::Moved:
        m_page->move(m_scroll.left(), std::nullopt);
        break;
    case CommentScroll::Step::Stood:
        break;
    case CommentScroll::Step::TakeDown:
        takeDown();
        if (m_hooks.showStrip) m_hooks.showStrip(false);
        break;
    }
}

void CommentsController::setOn(bool on) {
    if (on == m_on) return;
    m_on = on;
    if (!on) {
        if (m_hooks.showStrip) m_hooks.showStrip(false);
        takeDown();
        return;
    }
    // Switched on while a song plays: its comments come at once.
    if (player().activity == playback::ActivityState::Playing) startComments();
}

playback::PlayerSnapshot CommentsController::player() const {
    return m_hooks.player ? m_hooks.player() : playback::PlayerSnapshot{};
}

}  // namespace vamu::comments
