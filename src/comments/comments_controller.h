#pragma once
// Bullet comments on the UI thread: the request for the playing song's comments, the
// comment page in the comment strip (avatar, white rounded bubble, blue name, black
// text per comment), its 30 ms movement "弹幕" while the stream plays, its removal when
// the stream stops, the avatars as they arrive, and the comments' switch (whose setting
// the program keeps).
//
// The request runs in a task and the avatars in AvatarFetcher's bounded set of tasks;
// a new song, the switch-off and stopAll() drop every late result. What the comments
// need of the player reaches them through CommentsHooks, which the program wires.
//
// UI thread only. The strip's host window and the scheduler outlive the controller.

#include "comments/avatar_fetcher.h"
#include "comments/comment_layout.h"
#include "comments/comment_settings.h"
#include "net/service_call.h"
#include "platform/scheduler.h"
#include "playback/player_snapshot.h"
#include "platform/task_slot.h"
#include "panel/panel_types.h"

#include <QByteArray>
#include <QPoint>
#include <QRegion>
#include <QString>

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vamu::comments {

inline constexpr std::string_view kTimer = "弹幕";
// A comment's menu.
inline constexpr std::string_view kHideComment = "隐藏此条";
inline constexpr std::string_view kBlockWriter = "屏蔽此用户";
inline constexpr std::chrono::milliseconds kTickPeriod{30};

struct CommentsHooks {
    // The player as it is now: its song and its stream's activity.
    std::function<playback::PlayerSnapshot()> player;
    // Shows or hides the comment strip.
    std::function<void(bool shown)> showStrip;
    // The pointer in the strip's coordinates while Ctrl is held; none otherwise.
    std::function<std::optional<QPoint>()> ctrlPointer;
    // The part of the strip that takes the mouse (strip coordinates); empty lets every
    // click through.
    std::function<void(const QRegion& region)> setStripInput;
    // A comment's menu blocked its writer: the settings to store.
    std::function<void(const CommentSettings& settings)> settingsChanged;
};

struct CommentsSetup {
    panel::HostWindow* strip = nullptr;  // the comment strip's host window
    bool on = true;                      // the switch as read from 弹幕 at start
    QByteArray placeholder;              // picture shown until an avatar arrives (icon file bytes)
    RandomInt random;                    // lane starts and gaps
    CommentSettings settings;            // as read at start
    AvatarFetcher::Fetch fetchAvatar;    // none: AvatarFetcher::httpFetch
};

class CommentsController {
public:
    CommentsController(CommentsSetup setup, net::ServiceContext context, platform::Scheduler& scheduler,
                       CommentsHooks hooks);
    ~CommentsController();
    CommentsController(const CommentsController&) = delete;
    CommentsController& operator=(const CommentsController&) = delete;

    // The song has played for 2 s: take the old page down and, while comments are on,
    // request this song's comments and lay them out.
    void startComments();
    // The comments switch: off takes the page and the strip down at once; on while a song
    // plays requests its comments at once.
    void setOn(bool on);
    [[nodiscard]] bool on() const { return m_on; }
    // The listener's settings, applied at once to the page on the strip: opacity and
    // speed as they are; size, lanes, cap, merging and blocked words lay the song's
    // comments out again where the page stands, each lane keeping its drawn gaps.
    void setSettings(const CommentSettings& settings);
    [[nodiscard]] const CommentSettings& settings() const { return m_settings; }
    // Everything stops and goes; the strip keeps its visibility (shutdown).
    void stopAll();

    // One tick of "弹幕": the page moves, stands or goes by the stream; public so the
    // benchmark drives it. The strip takes the mouse only over the comment under the
    // pointer while Ctrl is held (read each tick).
    void scrollComments();

    // A comment's menu (Ctrl and a click on it): "隐藏此条" takes it off the strip for the
    // song, "屏蔽此用户" adds its writer to the blocked words. Index from 0 into controls().
    void hideComment(std::size_t index);
    void blockWriter(std::size_t index);
    [[nodiscard]] const QRegion& stripInput() const { return m_stripInput; }

    // For tests and the benchmark: the page (null while none), its comments' controls
    // by index from 0, and the layout they follow.
    struct CommentControls {
        panel::NewObj* avatar = nullptr;
        panel::GroupBox* bubble = nullptr;
        panel::Label* name = nullptr;
        panel::Label* content = nullptr;
    };
    [[nodiscard]] panel::Page* page() const { return m_page; }
    [[nodiscard]] const std::vector<CommentControls>& controls() const { return m_controls; }
    [[nodiscard]] const CommentLayout& layout() const { return m_layout; }
    // The comments shown (after the settings), and all the reply brought.
    [[nodiscard]] const std::vector<Comment>& comments() const { return m_comments; }
    [[nodiscard]] const std::vector<Comment>& received() const { return m_received; }
    [[nodiscard]] bool requesting() const { return m_request.running(); }
    [[nodiscard]] bool fetchingAvatars() const { return m_avatars.running(); }
    [[nodiscard]] const QByteArray& placeholder() const { return m_placeholder; }
    // Lays out comments as a reply would have brought them (the benchmark's page).
    void showComments(std::vector<Comment> comments);

private:
    [[nodiscard]] playback::PlayerSnapshot player() const;
    void takeDown();
    void avatarArrived(const std::string& url, const QByteArray& bytes);
    // Lays m_received out by the settings and makes the page's controls anew.
    void buildPage();
    void fetchMissingAvatars();
    void applyOpacity();
    void followPointer();
    [[nodiscard]] QRect commentRect(std::size_t index) const;  // strip coordinates
    void showCommentMenu(std::size_t index);
    [[nodiscard]] int stripWidth() const;

    panel::HostWindow* m_strip = nullptr;
    net::ServiceContext m_context;
    platform::Scheduler& m_scheduler;
    CommentsHooks m_hooks;
    RandomInt m_random;
    QByteArray m_placeholder;
    bool m_on = true;
    CommentSettings m_settings;

    panel::Page* m_page = nullptr;
    std::vector<Comment> m_received;
    std::vector<Comment> m_comments;
    // The song's random draws in order, replayed by every layout of it, so that settings
    // changed while it plays do not scatter the comments anew.
    std::vector<int> m_draws;
    // Pictures that arrived for the song (empty: the fetch failed), and the URLs the
    // current fetch run was given.
    std::map<std::string, QByteArray> m_pictures;
    std::set<std::string> m_asked;
    // Comments hidden for the song, by writer and text.
    std::set<std::pair<std::string, std::string>> m_hidden;
    QRegion m_stripInput;
    CommentLayout m_layout;
    std::vector<CommentControls> m_controls;
    CommentScroll m_scroll;

    platform::TaskSlot<std::optional<std::vector<Comment>>> m_request;
    AvatarFetcher m_avatars;
};

}  // namespace vamu::comments
