#include "comments/comments_controller.h"

#include <QImage>

#include <algorithm>
#include <utility>

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
      m_settings(std::move(setup.settings)),
      m_avatars(setup.fetchAvatar ? std::move(setup.fetchAvatar) : AvatarFetcher::Fetch(&AvatarFetcher::httpFetch)) {
    m_scroll.setSpeed(m_settings.speed);
    // A click reaches the strip only over a comment while Ctrl is held (followPointer):
    // wherever on the comment it lands (its labels take no mouse), it opens its menu.
    if (m_strip) {
        m_strip->setMessageHook([this](const platform::Message& message) -> std::optional<std::intptr_t> {
            if (message.id != platform::msg::kLeftUp && message.id != platform::msg::kRightUp) return std::nullopt;
            const QPoint at(platform::pointX(message.lParam), platform::pointY(message.lParam));
            for (std::size_t i = 0; i < m_controls.size(); ++i) {
                if (m_controls[i].bubble && m_controls[i].bubble->isVisible() && commentRect(i).contains(at)) {
                    showCommentMenu(i);
                    break;
                }
            }
            return std::nullopt;  // the release still ends the press where it began
        });
    }
}

CommentsController::~CommentsController() {
    if (m_strip) m_strip->setMessageHook({});
    stopAll();
}

void CommentsController::stopAll() { takeDown(); }

int CommentsController::stripWidth() const { return m_strip ? m_strip->width() : 0; }

void CommentsController::takeDown() {
    m_scheduler.stopTimer(kTimer);
    m_request.stop();
    m_avatars.stop();
    m_controls.clear();
    m_comments.clear();
    m_received.clear();
    m_draws.clear();
    m_pictures.clear();
    m_asked.clear();
    m_hidden.clear();
    m_layout = {};
    if (!m_stripInput.isEmpty() && m_hooks.setStripInput) m_hooks.setStripInput(QRegion());
    m_stripInput = QRegion();
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
    if (!m_received.empty()) takeDown();
    if (!m_page)
        m_page = toolkit::Page::create(*m_strip, QRect(stripWidth() + kPageStartGap, 0, kPageWidth, kPageHeight));
    if (!m_page) return;
    m_received = std::move(comments);
    buildPage();
    fetchMissingAvatars();
    m_scheduler.startTimer(kTimer, kTickPeriod, [this] { scrollComments(); });
}

void CommentsController::buildPage() {
    for (const CommentControls& made : m_controls) {
        if (made.avatar) made.avatar->destroy();
        if (made.bubble) made.bubble->destroy();  // its labels with it
    }
    m_controls.clear();
    m_comments = selectComments(m_received, m_settings);
    std::erase_if(m_comments, [this](const Comment& c) { return m_hidden.contains({c.name, c.content}); });
    std::size_t next = 0;
    const RandomInt replay = [this, &next](int lowest, int highest) {
        if (next == m_draws.size()) m_draws.push_back(m_random ? m_random(lowest, highest) : lowest);
        return std::clamp(m_draws[next++], lowest, highest);
    };
    m_layout = layoutComments(m_comments, replay, layoutOptions(m_settings));
    const int fontSize = fontPixels(m_settings.textSize);
    m_controls.assign(m_comments.size(), {});
    for (std::size_t i = 0; i < m_comments.size(); ++i) {
        const Comment& comment = m_comments[i];
        const CommentPlace& place = m_layout.places[i];
        CommentControls& made = m_controls[i];
        toolkit::NewObjSetup avatar;
        const auto picture = m_pictures.find(comment.avatarUrl);
        avatar.picture = picture != m_pictures.end() && !picture->second.isEmpty() ? picture->second : m_placeholder;
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
            name.fontSize = fontSize;
            made.name = toolkit::Label::create(*made.bubble, QRect(kNameLeft, 0, place.nameWidth, kRowHeight), name);
            toolkit::LabelSetup content;
            content.text = QString::fromStdString(shownContent(comment));
            content.textColour = kContentBlack;
            content.fontSize = fontSize;
            made.content = toolkit::Label::create(*made.bubble,
                                                  QRect(place.contentLeft, 0, place.contentWidth, kRowHeight), content);
        }
    }
    applyOpacity();
    m_scroll.reset(m_page->left(), m_layout.extent);
}

void CommentsController::applyOpacity() {
    const int alpha = (m_settings.opacity * 255 + 50) / 100;
    for (const CommentControls& made : m_controls) {
        for (toolkit::BaseControl* control : std::initializer_list<toolkit::BaseControl*>{
                 made.avatar, made.bubble, made.name, made.content}) {
            if (control) control->setAlpha(alpha);
        }
    }
}

void CommentsController::fetchMissingAvatars() {
    // Each picture is fetched once a song; a run starts again only when comments that
    // were not shown before need one.
    std::vector<std::string> needed;
    bool unasked = false;
    for (const Comment& comment : m_comments) {
        if (comment.avatarUrl.empty() || m_pictures.contains(comment.avatarUrl)) continue;
        needed.push_back(comment.avatarUrl);
        unasked = unasked || !m_asked.contains(comment.avatarUrl);
    }
    if (!unasked) return;
    m_asked = std::set<std::string>(needed.begin(), needed.end());
    m_avatars.start(needed, [this](const std::string& url, const QByteArray& bytes) { avatarArrived(url, bytes); });
}

void CommentsController::avatarArrived(const std::string& url, const QByteArray& bytes) {
    // Bytes that make no picture leave the placeholder in place.
    const bool picture = !bytes.isEmpty() && !QImage::fromData(bytes).isNull();
    m_pictures[url] = picture ? bytes : QByteArray();
    if (!picture) return;
    for (std::size_t i = 0; i < m_comments.size(); ++i) {
        if (m_comments[i].avatarUrl == url && m_controls[i].avatar) m_controls[i].avatar->setPicture(bytes);
    }
}

void CommentsController::setSettings(const CommentSettings& settings) {
    if (settings == m_settings) return;
    const CommentSettings before = std::exchange(m_settings, settings);
    m_scroll.setSpeed(m_settings.speed);
    const bool layoutChanged = before.textSize != m_settings.textSize || before.lanes != m_settings.lanes ||
                               before.cap != m_settings.cap || before.merge != m_settings.merge ||
                               before.blocked != m_settings.blocked;
    if (layoutChanged && m_page && !m_received.empty()) {
        buildPage();
        fetchMissingAvatars();
    } else if (before.opacity != m_settings.opacity) {
        applyOpacity();
    }
}

void CommentsController::scrollComments() {
    if (!m_page) {
        m_scheduler.stopTimer(kTimer);
        return;
    }
    followPointer();
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

QRect CommentsController::commentRect(std::size_t index) const {
    const CommentPlace& place = m_layout.places[index];
    return QRect(place.left, place.top, place.right() - place.left, kRowHeight)
        .translated(m_page ? m_page->rect().topLeft() : QPoint());
}

void CommentsController::followPointer() {
    if (!m_hooks.setStripInput) return;
    QRegion input;
    const std::optional<QPoint> pointer = m_hooks.ctrlPointer ? m_hooks.ctrlPointer() : std::nullopt;
    if (pointer && m_page) {
        for (std::size_t i = 0; i < m_controls.size(); ++i) {
            const CommentControls& made = m_controls[i];
            if (made.bubble && made.bubble->isVisible() && commentRect(i).contains(*pointer)) {
                input = commentRect(i);
                break;
            }
        }
    }
    if (input == m_stripInput) return;
    m_stripInput = input;
    m_hooks.setStripInput(input);
}

void CommentsController::showCommentMenu(std::size_t index) {
    if (index >= m_comments.size() || !m_strip) return;
    // Chosen by writer and text: the page may be laid out again while the menu is open.
    const std::pair<std::string, std::string> target{m_comments[index].name, m_comments[index].content};
    const auto indexOf = [this, target]() -> std::optional<std::size_t> {
        for (std::size_t i = 0; i < m_comments.size(); ++i) {
            if (m_comments[i].name == target.first && m_comments[i].content == target.second) return i;
        }
        return std::nullopt;
    };
    toolkit::PopupMenu menu;
    menu.addAction(QString::fromUtf8(kHideComment.data(), static_cast<qsizetype>(kHideComment.size())), [this, indexOf] {
        if (const auto i = indexOf()) hideComment(*i);
    });
    menu.addAction(QString::fromUtf8(kBlockWriter.data(), static_cast<qsizetype>(kBlockWriter.size())), [this, indexOf] {
        if (const auto i = indexOf()) blockWriter(*i);
    });
    menu.popup(m_strip->windowHandle());
}

void CommentsController::hideComment(std::size_t index) {
    if (index >= m_controls.size()) return;
    m_hidden.insert({m_comments[index].name, m_comments[index].content});
    // In place: the comments around it keep their places.
    if (m_controls[index].avatar) m_controls[index].avatar->setVisible(false);
    if (m_controls[index].bubble) m_controls[index].bubble->setVisible(false);
}

void CommentsController::blockWriter(std::size_t index) {
    if (index >= m_comments.size() || m_comments[index].name.empty()) return;
    CommentSettings settings = m_settings;
    const std::string& name = m_comments[index].name;
    if (std::find(settings.blocked.begin(), settings.blocked.end(), name) == settings.blocked.end())
        settings.blocked.push_back(name);
    setSettings(settings);
    if (m_hooks.settingsChanged) m_hooks.settingsChanged(m_settings);
}

playback::PlayerSnapshot CommentsController::player() const {
    return m_hooks.player ? m_hooks.player() : playback::PlayerSnapshot{};
}

}  // namespace vamu::comments
