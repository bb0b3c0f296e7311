#pragma once
// The program's on/off settings, the volume, the song cache's limit and the comments'
// settings: one home that
// reads each key of the settings file once at start and writes every change through.
// Features are handed the values, never the keys.
//
// 最小化 is the exception: it is compared as text and read anew at every close and every
// switch, so a value edited while the program runs in the tray holds from the next close.
//
// UI thread only.

#include "comments/comment_settings.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace vamu::app {

class Switches {
public:
    // 最小化: "1" hides to the tray, "0" exits, any other value leaves its switch out.
    enum class CloseToTray { On, Off, Other };

    Switches();  // reads 弹幕, 下载提示, 通知, 音量, 缓存上限 and the seven comment keys

    // 弹幕, read as an integer: anything but 0 is on.
    [[nodiscard]] bool comments() const { return m_comments; }
    void setComments(bool on);
    // 下载提示 and 通知, read as integers: 1 on, 0 off; other values leave the switch out of
    // the settings menu and off.
    [[nodiscard]] int downloadTone() const { return m_downloadTone; }
    [[nodiscard]] bool downloadToneOn() const { return m_downloadTone == 1; }
    void setDownloadTone(bool on);
    [[nodiscard]] int notifications() const { return m_notifications; }
    [[nodiscard]] bool notificationsOn() const { return m_notifications == 1; }
    void setNotifications(bool on);
    // 音量, the volume bar's position 0..100.
    [[nodiscard]] int volume() const { return m_volume; }
    void setVolume(int value);

    // 缓存上限 in bytes (songCacheBytes below); 0: no cache.
    [[nodiscard]] std::int64_t songCacheLimit() const { return m_songCacheLimit; }

    // 弹幕透明度, 弹幕速度, 弹幕字号, 弹幕行数, 弹幕数量, 弹幕合并 and 弹幕屏蔽; a change writes
    // the keys whose text changed.
    [[nodiscard]] const comments::CommentSettings& commentSettings() const { return m_commentSettings; }
    void setCommentSettings(const comments::CommentSettings& settings);

    [[nodiscard]] CloseToTray closeToTray() const;
    void setCloseToTray(bool on);

private:
    bool m_comments = true;
    int m_downloadTone = 1;
    int m_notifications = 1;
    int m_volume = 100;
    std::int64_t m_songCacheLimit = 0;
    comments::CommentSettings m_commentSettings;
};

// 缓存上限's text as bytes: a whole number of megabytes, 0 and up (past what 64 bits hold:
// the most they hold); anything else, a negative number too, gives the default 1024.
[[nodiscard]] std::int64_t songCacheBytes(std::string_view megabytes);

}  // namespace vamu::app
