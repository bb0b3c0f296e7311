#include "app/switches.h"

#include "core/settings.h"

namespace vamu::app {

using namespace vamu::core;  // the settings file

namespace {

// Every switch writes "1" or "0", making the settings folder when it is missing.
void store(const SettingKey& key, bool on) { writeSetting(key, on ? "1" : "0", CreateFolder::Yes); }

}  // namespace

Switches::Switches()
    : m_comments(readSettingInt(setting::kBulletComments) != 0),
      m_downloadTone(readSettingInt(setting::kDownloadSound)),
      m_notifications(readSettingInt(setting::kNotifications)),
      m_volume(readSettingInt(setting::kVolume)) {}

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

Switches::CloseToTray Switches::closeToTray() const {
    const std::string value = readSetting(setting::kCloseToTray);
    if (value == "1") return CloseToTray::On;
    if (value == "0") return CloseToTray::Off;
    return CloseToTray::Other;
}

void Switches::setCloseToTray(bool on) { store(setting::kCloseToTray, on); }

}  // namespace vamu::app
