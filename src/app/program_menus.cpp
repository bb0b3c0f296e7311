#include "app/program_menus.h"

#include "app/backgrounds.h"
#include "app/main_window.h"
#include "app/window_settings.h"
#include "core/settings.h"
#include "core/settings_keys.h"
#include "platform/native_window.h"

namespace vamu::app {
namespace {

// The tray menu's title item carries a state that no menu state tests: a normal item
// without a handler, so choosing it only closes the menu.
constexpr int kTitleItemState = 64;
constexpr int kMinimised = 1;

QString qText(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

void bindClick(toolkit::BaseControl* control, std::function<void()> action) {
    if (!control) return;
    control->bindClick([action = std::move(action)](const toolkit::Event&) {
        action();
        return false;
    });
}

}  // namespace

ProgramMenus::ProgramMenus(MainWindow& window, ShellActions actions)
    : m_window(window), m_actions(std::move(actions)), m_background(backgroundSetting()) {
    setupTray();
    setupSettingsMenu();
    m_window.host().bindClose([this](const toolkit::Event& event) {
        if (event.wParam == platform::close_source::kDesktop) {
            desktopClose();
        } else {
            closeButton();
        }
        return true;  // the window stays; the rule decides what happens to it
    });
    bindClick(m_window.captionButton(toolkit::caption::kSkin), [this] { cycleSkin(); });
}

ProgramMenus::~ProgramMenus() { removeTray(); }

void ProgramMenus::setupTray() {
    m_tray.add(m_window.handle(), qText(kTrayTip), programIconBytes());
    m_tray.setEventHandler([this](int code) { trayEvent(code); });
    toolkit::MenuEntry title;
    title.text = qText(kTrayTip);
    title.state = kTitleItemState;
    m_trayMenu.addItem(std::move(title));
    const auto call = [](const std::function<void()>& action) {
        return [action] {
            if (action) action();
        };
    };
    m_trayMenu.addAction(QStringLiteral(" 下一首 "), call(m_actions.nextSong));
    m_trayMenu.addAction(QStringLiteral("播放暂停"), call(m_actions.togglePause));
    m_trayMenu.addAction(QStringLiteral("显示窗口"), call(m_actions.showMainWindow));
    m_trayMenu.addAction(QStringLiteral("退出程序"), call(m_actions.exitProgram));
}

void ProgramMenus::setupSettingsMenu() {
    toolkit::BaseControl* button = m_window.captionButton(toolkit::caption::kSetting);
    if (!button) return;
    button->setTips(QStringLiteral("设置"));
    bindClick(button, [this] {
        // Found again by its flag: the window may have rebuilt its caption meanwhile.
        if (m_window.captionButton(toolkit::caption::kSetting)) m_settingsMenu.popup(m_window.handle());
    });
    const QString comments = m_actions.commentsCaption ? m_actions.commentsCaption() : QString();
    m_commentsItem = m_settingsMenu.addAction(comments, [this] {
        if (!m_actions.toggleComments) return;
        m_settingsMenu.setText(m_commentsItem, m_actions.toggleComments());
    });
    const std::string closeToTray = core::readSetting(core::setting::kCloseToTray);
    if (closeToTray == "1" || closeToTray == "0") {
        m_closeToTrayItem = m_settingsMenu.addAction(
            qText(closeToTray == "1" ? settings_caption::kCloseToTrayOn : settings_caption::kCloseToTrayOff),
            [this] { toggleExitToTray(); });
    }
    m_downloadTone = core::readSettingInt(core::setting::kDownloadSound);
    if (m_downloadTone == 1 || m_downloadTone == 0) {
        m_downloadToneItem = m_settingsMenu.addAction(
            qText(m_downloadTone == 1 ? settings_caption::kDownloadToneOn : settings_caption::kDownloadToneOff),
            [this] { toggleDownloadTone(); });
    }
    m_notifications = core::readSettingInt(core::setting::kNotifications);
    if (m_notifications == 1 || m_notifications == 0) {
        m_notificationsItem = m_settingsMenu.addAction(
            qText(m_notifications == 1 ? settings_caption::kNotificationsOn : settings_caption::kNotificationsOff),
            [this] { toggleNotifications(); });
    }
}

bool ProgramMenus::trayPresent() const {
    if (m_actions.trayPresent) return m_actions.trayPresent();
    return m_tray.statusIcon().inTray();
}

void ProgramMenus::trayEvent(int code) {
    switch (code) {
    case platform::msg::kLeftDoubleClick:
        if (m_actions.showMainWindow) m_actions.showMainWindow();
        break;
    case platform::msg::kRightUp:
        m_trayMenu.popup(m_window.handle());
        break;
    case toolkit::tray::kTrayHostCreated:
        m_tray.add(m_window.handle(), qText(kTrayTip), programIconBytes());
        break;
    default:
        break;
    }
}

void ProgramMenus::removeTray() { m_tray.remove(); }

void ProgramMenus::closeButton() {
    const std::string closeToTray = core::readSetting(core::setting::kCloseToTray);
    if (closeToTray == "0") {
        if (m_actions.exitProgram) m_actions.exitProgram();
        return;
    }
    if (closeToTray != "1") return;
    // Without a tray host a hidden window could never be brought back: it goes to the
    // task bar instead.
    if (!trayPresent()) {
        m_window.host().setShowState(kMinimised);
        return;
    }
    if (platform::NativeWindow* native = m_window.host().nativeWindow()) native->hide();
}

void ProgramMenus::desktopClose() {
    // A close the desktop asked for must always do something: a window that refuses it
    // could not be closed at all with an odd 最小化.
    if (core::readSetting(core::setting::kCloseToTray) == "1" && trayPresent()) {
        if (platform::NativeWindow* native = m_window.host().nativeWindow()) native->hide();
        return;
    }
    if (m_actions.exitProgram) m_actions.exitProgram();
}

void ProgramMenus::cycleSkin() {
    m_background = m_background >= 0 && m_background < kBackgroundCount - 1 ? m_background + 1 : 0;
    m_window.setBackground(m_background);
    storeBackground(m_background);
}

void ProgramMenus::toggleExitToTray() {
    const std::string closeToTray = core::readSetting(core::setting::kCloseToTray);
    if (closeToTray != "1" && closeToTray != "0") return;
    const bool on = closeToTray == "0";
    core::writeSetting(core::setting::kCloseToTray, on ? "1" : "0", core::CreateFolder::Yes);
    if (m_closeToTrayItem) {
        m_settingsMenu.setText(m_closeToTrayItem,
                               qText(on ? settings_caption::kCloseToTrayOn : settings_caption::kCloseToTrayOff));
    }
}

void ProgramMenus::toggleDownloadTone() {
    if (m_downloadTone != 1 && m_downloadTone != 0) return;
    m_downloadTone = m_downloadTone == 1 ? 0 : 1;
    core::writeSetting(core::setting::kDownloadSound, m_downloadTone == 1 ? "1" : "0", core::CreateFolder::Yes);
    if (m_downloadToneItem) {
        m_settingsMenu.setText(m_downloadToneItem, qText(m_downloadTone == 1 ? settings_caption::kDownloadToneOn
                                                                             : settings_caption::kDownloadToneOff));
    }
}

void ProgramMenus::toggleNotifications() {
    if (m_notifications != 1 && m_notifications != 0) return;
    m_notifications = m_notifications == 1 ? 0 : 1;
    core::writeSetting(core::setting::kNotifications, m_notifications == 1 ? "1" : "0", core::CreateFolder::Yes);
    if (m_notificationsItem) {
        m_settingsMenu.setText(m_notificationsItem, qText(m_notifications == 1 ? settings_caption::kNotificationsOn
                                                                               : settings_caption::kNotificationsOff));
    }
}

}  // namespace vamu::app
