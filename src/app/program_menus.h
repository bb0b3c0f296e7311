#pragma once
// The program's life in the tray and its option switches: the tray icon (tooltip
// "VAMU") with its menu, the settings caption button's menu with the switches 弹幕,
// 最小化, 下载提示 and 通知, the item "弹幕设置..." right after the first that opens the
// comments' settings window and the item "清空缓存" that empties the song cache, the close
// button (hide to the tray or quit), and the skin button that cycles the five backgrounds.
//
// What the menus do to other features reaches them through ShellActions, which the
// program fills. UI thread only; the main window outlives this object.

#include "app/switches.h"
#include "toolkit/popup_menu.h"
#include "toolkit/tray_icon.h"

#include <QString>

#include <functional>
#include <string_view>

namespace vamu::app {

class MainWindow;

inline constexpr std::string_view kTrayTip = "VAMU";

// The switch captions of the settings menu.
namespace settings_caption {
inline constexpr std::string_view kCommentsOn = "点击关闭弹幕";   // shown while comments are on
inline constexpr std::string_view kCommentsOff = "点击开启弹幕";  // shown while they are off
inline constexpr std::string_view kCommentSettings = "弹幕设置...";
inline constexpr std::string_view kCloseToTrayOn = "退出到托盘开";
inline constexpr std::string_view kCloseToTrayOff = "退出到托盘关";
inline constexpr std::string_view kDownloadToneOn = "下载提示音开";
inline constexpr std::string_view kDownloadToneOff = "下载提示音关";
inline constexpr std::string_view kNotificationsOn = "通知开";
inline constexpr std::string_view kNotificationsOff = "通知关";
inline constexpr std::string_view kClearSongCache = "清空缓存";
}  // namespace settings_caption

struct ShellActions {
    std::function<void()> nextSong;
    std::function<void()> previousSong;
    std::function<void()> togglePause;
    std::function<void()> showMainWindow;  // restore, show, raise
    std::function<void()> exitProgram;
    // The comments go on or off.
    std::function<void(bool on)> setComments;
    // The settings menu's "弹幕设置...": the comments' settings window opens, or comes to
    // the front when it is open.
    std::function<void()> openCommentSettings;
    // Why the comments cannot be shown on this desktop; empty: they can. When set, the
    // comments switch and "弹幕设置..." are shown disabled with this text as their tooltip.
    QString commentsUnavailable;
    // The settings menu's "清空缓存": every kept song goes.
    std::function<void()> clearSongCache;
    // Whether a tray host shows the icon now; none: ask the tray icon.
    std::function<bool()> trayPresent;
};

class ProgramMenus {
public:
    // The tray menu's items, from 1.
    static constexpr int kTrayNextItem = 2;
    static constexpr int kTrayPauseItem = 3;
    static constexpr int kTrayShowItem = 4;
    static constexpr int kTrayPreviousItem = 5;

    // Adds the tray icon, builds both menus and binds the caption buttons. The switches
    // outlive the menus.
    ProgramMenus(MainWindow& window, Switches& switches, ShellActions actions);
    ~ProgramMenus();
    ProgramMenus(const ProgramMenus&) = delete;
    ProgramMenus& operator=(const ProgramMenus&) = delete;

    // A code of the tray icon (toolkit/tray_icon.h): 515 shows the main window, 517
    // opens the tray menu at the cursor, 1120 puts the icon back into a new tray host.
    void trayEvent(int code);
    // Takes the icon out of the tray (the first step of the shutdown).
    void removeTray();

    // The close button: by 最小化, "1" hides the window to the tray (minimises it while
    // no tray host shows the icon), "0" exits, anything else does nothing.
    void closeButton();
    // The desktop's close (Alt+F4, the task bar): hides to the tray when 最小化 is "1" and a
    // tray host shows the icon, and exits otherwise.
    void desktopClose();
    // The skin button: the next background (after 4 comes 0), written to 背景.
    void cycleSkin();
    void toggleComments();
    void toggleExitToTray();
    void toggleDownloadTone();
    void toggleNotifications();

    // 下载提示 as read at start and switched since: 1 on, 0 off, other values leave the
    // tone off and the switch out of the menu.
    [[nodiscard]] int downloadTone() const { return m_switches.downloadTone(); }
    // 通知 likewise: 1 on, 0 off, other values leave notifications off and the switch out.
    [[nodiscard]] int notifications() const { return m_switches.notifications(); }
    [[nodiscard]] toolkit::PopupMenu& trayMenu() { return m_trayMenu; }
    [[nodiscard]] toolkit::PopupMenu& settingsMenu() { return m_settingsMenu; }
    [[nodiscard]] const toolkit::TrayIcon& trayIcon() const { return m_tray; }
    // Positions of the settings menu's switches, from 1; 0 when left out.
    [[nodiscard]] int commentsItem() const { return m_commentsItem; }
    [[nodiscard]] int commentSettingsItem() const { return m_commentSettingsItem; }
    [[nodiscard]] int closeToTrayItem() const { return m_closeToTrayItem; }
    [[nodiscard]] int downloadToneItem() const { return m_downloadToneItem; }
    [[nodiscard]] int notificationsItem() const { return m_notificationsItem; }
    [[nodiscard]] int clearSongCacheItem() const { return m_clearSongCacheItem; }

private:
    void setupTray();
    void setupSettingsMenu();
    [[nodiscard]] bool trayPresent() const;

    MainWindow& m_window;
    Switches& m_switches;
    ShellActions m_actions;
    toolkit::TrayIcon m_tray;
    toolkit::PopupMenu m_trayMenu;
    toolkit::PopupMenu m_settingsMenu;
    int m_commentsItem = 0;
    int m_commentSettingsItem = 0;
    int m_closeToTrayItem = 0;
    int m_downloadToneItem = 0;
    int m_notificationsItem = 0;
    int m_clearSongCacheItem = 0;
    int m_background = 0;
};

}  // namespace vamu::app
