#pragma once
// The window "弹幕设置" (300 x 390), owned by the main window: sliders for the comments'
// opacity, speed, lanes and number per song, the text size as three radio buttons,
// "合并重复弹幕" as a check box, the blocked words one a line in an edit box, and the
// buttons "恢复默认" and "关闭". Every change the user makes reaches `changed` at once
// with the whole new settings; the program stores and applies them.
//
// Every control has a name for screen readers. Closing destroys the native window; the
// owner lets the object go at the next opening. UI thread only.

#include "comments/comment_settings.h"
#include "panel/panel_types.h"
#include "platform/native_window.h"

#include <QPoint>

#include <array>
#include <functional>
#include <memory>
#include <string_view>

namespace vamu::comments {

namespace settings_text {
inline constexpr std::string_view kTitle = "弹幕设置";
inline constexpr std::string_view kOpacity = "透明度";
inline constexpr std::string_view kSpeed = "速度";
inline constexpr std::string_view kTextSize = "字号";
inline constexpr std::string_view kLanes = "行数";
inline constexpr std::string_view kCap = "数量";
inline constexpr std::array<std::string_view, 3> kSizes{"小", "标准", "大"};  // by TextSize
inline constexpr std::string_view kMerge = "合并重复弹幕";
inline constexpr std::string_view kBlocked = "屏蔽词（每行一个，匹配昵称和内容）";
inline constexpr std::string_view kDefaults = "恢复默认";
inline constexpr std::string_view kClose = "关闭";
// What screen readers call the controls that show no text of their own.
inline constexpr std::string_view kOpacityName = "弹幕透明度";
inline constexpr std::string_view kSpeedName = "弹幕速度";
inline constexpr std::string_view kLanesName = "弹幕行数";
inline constexpr std::string_view kCapName = "每首歌的弹幕数量";
inline constexpr std::string_view kBlockedName = "屏蔽词，每行一个";
}  // namespace settings_text

class CommentSettingsWindow {
public:
    static constexpr int kWidth = 300;
    static constexpr int kHeight = 390;
    using Changed = std::function<void(const CommentSettings& settings)>;

    CommentSettingsWindow(platform::WindowHandle owner, QPoint topLeft, const CommentSettings& settings,
                          Changed changed);
    ~CommentSettingsWindow();
    CommentSettingsWindow(const CommentSettingsWindow&) = delete;
    CommentSettingsWindow& operator=(const CommentSettingsWindow&) = delete;

    [[nodiscard]] bool valid() const;
    // The user closed the window; the object may go.
    [[nodiscard]] bool closed() const;
    // Shown, restored and raised above its owner: a second opening.
    void bringToFront();

    // "恢复默认": every setting back to its default, shown and reported.
    void restoreDefaults();
    [[nodiscard]] const CommentSettings& settings() const { return m_settings; }
    // Settings changed elsewhere (a comment's menu blocked its writer): shown, not reported.
    void setSettings(const CommentSettings& settings);

    // The controls, for tests and the screenshots.
    [[nodiscard]] toolkit::HostWindow& host() { return *m_host; }
    [[nodiscard]] panel::Slider* opacity() const { return m_opacity.slider; }
    [[nodiscard]] panel::Slider* speed() const { return m_speed.slider; }
    [[nodiscard]] panel::Slider* lanes() const { return m_lanes.slider; }
    [[nodiscard]] panel::Slider* cap() const { return m_cap.slider; }
    [[nodiscard]] panel::Label* speedValue() const { return m_speed.value; }
    [[nodiscard]] toolkit::RadioButton* textSize(TextSize size) const { return m_sizes[static_cast<int>(size)]; }
    [[nodiscard]] panel::CheckButton* merge() const { return m_merge; }
    [[nodiscard]] panel::Edit* blocked() const { return m_blocked; }
    [[nodiscard]] panel::Button* defaults() const { return m_defaults; }
    [[nodiscard]] panel::Button* closeButton() const { return m_close; }

private:
    // A slider over a whole-number range in steps, with the value shown beside it.
    struct Ranged {
        panel::Slider* slider = nullptr;
        panel::Label* value = nullptr;
        int lowest = 0;
        int highest = 0;
        int step = 1;
        int CommentSettings::* member = nullptr;
        QString (*text)(int value) = nullptr;
    };
    void build();
    void addRanged(Ranged& ranged, int top, std::string_view caption, std::string_view name);
    void showSettings();
    void report();

    std::unique_ptr<toolkit::HostWindow> m_host;
    CommentSettings m_settings;
    Changed m_changed;
    bool m_closed = false;
    bool m_showing = false;  // the program sets the controls: no reports
    Ranged m_opacity;
    Ranged m_speed;
    Ranged m_lanes;
    Ranged m_cap;
    std::array<toolkit::RadioButton*, 3> m_sizes{};
    panel::CheckButton* m_merge = nullptr;
    panel::Edit* m_blocked = nullptr;
    panel::Button* m_defaults = nullptr;
    panel::Button* m_close = nullptr;
};

}  // namespace vamu::comments
