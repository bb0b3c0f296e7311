#include "app/switches.h"

#include "core/settings.h"

#include <charconv>
#include <limits>
#include <optional>
#include <utility>

namespace vamu::app {

using namespace vamu::core;  // the settings file

namespace {

// The largest limit whose bytes 64 bits hold.
constexpr std::int64_t kMostMegabytes = std::numeric_limits<std::int64_t>::max() >> 20;

// Every switch writes "1" or "0", making the settings folder when it is missing.
void store(const SettingKey& key, bool on) { writeSetting(key, on ? "1" : "0", CreateFolder::Yes); }

// The comment keys with their texts, in one order for reading and writing.
using CommentTextMember = std::string comments::CommentSettingTexts::*;
constexpr std::pair<const SettingKey*, CommentTextMember> kCommentKeys[] = {
    {&setting::kCommentOpacity, &comments::CommentSettingTexts::opacity},
    {&setting::kCommentSpeed, &comments::CommentSettingTexts::speed},
    {&setting::kCommentTextSize, &comments::CommentSettingTexts::textSize},
    {&setting::kCommentLanes, &comments::CommentSettingTexts::lanes},
    {&setting::kCommentCap, &comments::CommentSettingTexts::cap},
    {&setting::kCommentMerge, &comments::CommentSettingTexts::merge},
    {&setting::kCommentBlocked, &comments::CommentSettingTexts::blocked},
};

comments::CommentSettings readCommentSettings() {
    comments::CommentSettingTexts texts;
    for (const auto& [key, member] : kCommentKeys) texts.*member = readSetting(*key);
    return comments::parseCommentSettings(texts);
}

}  // namespace

Switches::Switches()
    : m_comments(readSettingInt(setting::kBulletComments) != 0),
      m_downloadTone(readSettingInt(setting::kDownloadSound)),
      m_notifications(readSettingInt(setting::kNotifications)),
      m_volume(readSettingInt(setting::kVolume)),
      m_songCacheLimit(songCacheBytes(readSetting(setting::kSongCacheLimit))),
      m_commentSettings(readCommentSettings()) {}

std::int64_t songCacheBytes(std::string_view megabytes) {
    const auto whole = [](std::string_view text) -> std::optional<std::int64_t> {
        while (text.starts_with(' ')) text.remove_prefix(1);
        while (text.ends_with(' ')) text.remove_suffix(1);
        if (text.empty() || text.front() < '0' || text.front() > '9') return std::nullopt;
        std::int64_t value = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (end != text.data() + text.size()) return std::nullopt;
        return error == std::errc::result_out_of_range ? kMostMegabytes : std::min(value, kMostMegabytes);
    };
    const std::optional<std::int64_t> value = whole(megabytes);
    return (value ? *value : whole(setting::kSongCacheLimit.defaultValue).value_or(0)) << 20;
}

void Switches::setComments(bool on) {
    m_comments = on;
    store(setting::kBulletComments, on);
}

void Switches::setDownloadTone(bool on) {
    m_downloadTone = on ? 1 : 0;
    store(setting::kDownloadSound, on);
}

void Switches::setNotifications(bool on) {
    m_notifications = on ? 1 : 0;
    store(setting::kNotifications, on);
}

void Switches::setVolume(int value) {
    m_volume = value;
    writeSetting(setting::kVolume, std::to_string(value), CreateFolder::Yes);
}

void Switches::setCommentSettings(const comments::CommentSettings& settings) {
    const comments::CommentSettingTexts before = comments::formatCommentSettings(m_commentSettings);
    const comments::CommentSettingTexts after = comments::formatCommentSettings(settings);
    m_commentSettings = settings;
    for (const auto& [key, member] : kCommentKeys) {
        if (before.*member != after.*member) writeSetting(*key, after.*member, CreateFolder::Yes);
    }
}

Switches::CloseToTray Switches::closeToTray() const {
    const std::string value = readSetting(setting::kCloseToTray);
    if (value == "1") return CloseToTray::On;
    if (value == "0") return CloseToTray::Off;
    return CloseToTray::Other;
}

void Switches::setCloseToTray(bool on) { store(setting::kCloseToTray, on); }

}  // namespace vamu::app
