#pragma once
// Every key of the settings file with the default that a read gives when the key is
// missing. The names are stored in the file and shared with earlier versions: keep them
// exactly as they are.

#include <string_view>

namespace vamu::core {

struct SettingKey {
    std::string_view name;
    std::string_view defaultValue;
};

namespace setting {

// The file's one section.
inline constexpr std::string_view kSection = "配置文件";

// Integer: window handle of the main window of the instance that started last.
inline constexpr SettingKey kWindowHandle{"句柄", "0"};
// Integer 0 to 4: the main window's background picture; other values mean none.
inline constexpr SettingKey kBackground{"背景", "0"};
// Integer 0 to 100: the volume slider; playback volume is value / 100.
inline constexpr SettingKey kVolume{"音量", "100"};
// Flag read as integer: bullet comments shown.
inline constexpr SettingKey kBulletComments{"弹幕", "1"};
// Integer, pixels: top of the now-playing window; 0 means screen height - 160.
inline constexpr SettingKey kNowPlayingTop{"提示顶边", "0"};
// Flag compared as text: "1" closing the main window hides it to the tray, "0" ends the program.
inline constexpr SettingKey kCloseToTray{"最小化", "1"};
// Flag read as integer: a sound is played when a download finishes.
inline constexpr SettingKey kDownloadSound{"下载提示", "1"};
// Flag read as integer: desktop notifications (a song starting while the main window
// is hidden, a download that ends).
inline constexpr SettingKey kNotifications{"通知", "1"};
// Flag: log in automatically at start.
inline constexpr SettingKey kAutoLogin{"自动登陆", "0"};
// Scrambled account and password (account/scramble.h).
inline constexpr SettingKey kUserData{"userdata", ""};
// The service's login cookies.
inline constexpr SettingKey kCookie{"cookie", ""};
// Version of the program that ran last.
inline constexpr SettingKey kVersion{"版本", "0"};
// Run directory of the program that ran last.
inline constexpr SettingKey kProgramFolder{"程序目录", "0"};
// Flag compared as text: the first-start work is pending.
inline constexpr SettingKey kFirstStart{"首次启动", "1"};
// Integer: administrator switch of the notices.
inline constexpr SettingKey kAdministrator{"管理员", "0"};
// Client id that the companion server issued.
inline constexpr SettingKey kClientId{"id", ""};
// Ids of the notices already shown, each followed by ",".
inline constexpr SettingKey kShownNotices{"信息编号", ""};
// Flag compared as text: "1" the song that played at the last exit comes back, paused.
inline constexpr SettingKey kResume{"恢复播放", "1"};
// That song, where it stood and where it came from (app/resume_record.h); empty: none.
inline constexpr SettingKey kLastSong{"上次播放", ""};
// Integer, megabytes: what the song cache may hold; 0 turns it off and empties it. A value
// that is not a whole number, or is negative, means the default.
inline constexpr SettingKey kSongCacheLimit{"缓存上限", "1024"};
// The bullet comments' look and choice (comments/comment_settings.h); a value out of range
// or not a number means the default.
// Integer 20 to 100: percent opacity of the comments.
inline constexpr SettingKey kCommentOpacity{"弹幕透明度", "100"};
// Decimal 0.5 to 2: the comments' speed as a factor of 2 pixels every 30 ms.
inline constexpr SettingKey kCommentSpeed{"弹幕速度", "1"};
// Integer: the comments' text size, 0 small, 1 normal, 2 large.
inline constexpr SettingKey kCommentTextSize{"弹幕字号", "1"};
// Integer 1 to 3: the lanes used, from the top.
inline constexpr SettingKey kCommentLanes{"弹幕行数", "3"};
// Integer 10 to 120: the most comments shown per song (the request always asks for 120).
inline constexpr SettingKey kCommentCap{"弹幕数量", "120"};
// Flag "1" or "0": a comment repeating an earlier text of the song shows once, counted.
inline constexpr SettingKey kCommentMerge{"弹幕合并", "0"};
// Blocked words joined by "|" ("\|" a "|" inside a word, "\\" a backslash).
inline constexpr SettingKey kCommentBlocked{"弹幕屏蔽", ""};
// Base address of the music service.
inline constexpr SettingKey kServer{"server", "http://127.0.0.1:8960"};
// host[:port] of the companion server.
inline constexpr SettingKey kCompanion{"companion", "127.0.0.1:8961"};

inline constexpr SettingKey kAll[] = {
    kWindowHandle,  kBackground,    kVolume,   kBulletComments, kNowPlayingTop, kCloseToTray,
    kDownloadSound, kAutoLogin,     kUserData, kCookie,         kVersion,       kProgramFolder,
    kFirstStart,    kAdministrator, kClientId, kShownNotices,   kServer,        kCompanion,
    kNotifications, kResume,        kLastSong, kSongCacheLimit, kCommentOpacity, kCommentSpeed,
    kCommentTextSize, kCommentLanes, kCommentCap, kCommentMerge, kCommentBlocked,
};

}  // namespace setting
}  // namespace vamu::core
