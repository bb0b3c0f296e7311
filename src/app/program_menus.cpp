#include "app/program_menus.h"
#include "toolkit/qt_text.h"

#include "app/backgrounds.h"
#include "app/main_window.h"
#include "app/window_settings.h"
#include "platform/native_window.h"

namespace vamu::app {
namespace {

// The tray menu's title item carries a state that no menu state tests: a normal item
// without a handler, so choosing it only closes the menu.
constexpr int kTitleItemState = 64;
constexpr int kMinimised = 1;

using toolkit::qText;

void bindClick(toolkit::BaseControl* control, std::function<void()> action) {
    if (!control) return;
    control->bindClick([action = std::move(action)](const toolkit::Event&) {
        action();
        return false;
    });
}

}  // namespace

ProgramMenus::ProgramMenus(MainWindow& window, Switches& switches, ShellActions actions)
    : m_window(window), m_switches(switches), m_actions(std::move(actions)), m_background(backgroundSetting()) {
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
    m_trayMenu.addAction(QStringLiteral("上一首"), call(m_actions.previousSong));
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
    m_commentsItem = m_settingsMenu.addAction(
        qText(m_switches.comments() ? settings_caption::kCommentsOn : settings_caption::kCommentsOff),
        [this] { toggleComments(); });
    m_commentSettingsItem = m_settingsMenu.addAction(qText(settings_caption::kCommentSettings), [this] {
        if (m_actions.openCommentSettings) m_actions.openCommentSettings();
    });
    if (!m_actions.commentsUnavailable.isEmpty()) {
        for (const int item : {m_commentsItem, m_commentSettingsItem}) {
            m_settingsMenu.setState(item, toolkit::menu_state::kDisabled);
            m_settingsMenu.setTips(item, m_actions.commentsUnavailable);
        }
    }
    const Switches::CloseToTray closeToTray = m_switches.closeToTray();
    if (closeToTray != Switches::CloseToTray::Other) {
        m_closeToTrayItem = m_settingsMenu.addAction(
            qText(closeToTray == Switches::CloseToTray::On ? settings_caption::kCloseToTrayOn
                                                           : settings_caption::kCloseToTrayOff),
            [this] { toggleExitToTray(); });
    }
    const int tone = m_switches.downloadTone();
    if (tone == 1 || tone == 0) {
        m_downloadToneItem = m_settingsMenu.addAction(
            qText(tone == 1 ? settings_caption::kDownloadToneOn : settings_caption::kDownloadToneOff),
            [this] { toggleDownloadTone(); });
    }
    const int notifications = m_switches.notifications();
    if (notifications == 1 || notifications == 0) {
        m_notificationsItem = m_settingsMenu.addAction(
            qText(notifications == 1 ? settings_caption::kNotificationsOn : settings_caption::kNotificationsOff),
            [this] { toggleNotifications(); });
    }
    m_clearSongCacheItem = m_settingsMenu.addAction(qText(settings_caption::kClearSongCache), [this] {
        if (m_actions.clearSongCache) m_actions.clearSongCache();
    });
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
    const Switches::CloseToTray closeToTray = m_switches.closeToTray();
    if (closeToTray == Switches::CloseToTray::Off) {
        if (m_actions.exitProgram) m_actions.exitProgram();
        return;
    }
    if (closeToTray != Switches::CloseToTray::On) return;
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
    if (m_switches.closeToTray() == Switches::CloseToTray::On && trayPresent()) {
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

void ProgramMenus::toggleComments() {
    const bool on = !m_switches.comments();
    m_switches.setComments(on);
    if (m_actions.setComments) m_actions.setComments(on);
    m_settingsMenu.setText(m_commentsItem, qText(on ? settings_caption::kCommentsOn : settings_caption::kCommentsOff));
}

void ProgramMenus::toggleExitToTray() {
    const Switches::CloseToTray closeToTray = m_switches.closeToTray();
    if (closeToTray == Switches::CloseToTray::Other) return;
    const bool on = closeToTray == Switches::CloseToTray::Off;
    m_switches.setCloseToTray(on);
    if (m_closeToTrayItem) {
        m_settingsMenu.setText(m_closeToTrayItem,
                               qText(on ? settings_caption::kCloseToTrayOn : settings_caption::kCloseToTrayOff));
    }
}

void ProgramMenus::toggleDownloadTone() {
    const int tone = m_switches.downloadTone();
    if (tone != 1 && tone != 0) return;
    m_switches.setDownloadTone(tone == 0);
    if (m_downloadToneItem) {
        m_settingsMenu.setText(m_downloadToneItem, qText(tone == 0 ? settings_caption::kDownloadToneOn
                                                                   : settings_caption::kDownloadToneOff));
    }
}

void ProgramMenus::toggleNotifications() {
    const int notifications = m_switches.notifications();
    if (notifications != 1 && notifications != 0) return;
    m_switches.setNotifications(notifications == 0);
    if (m_notificationsItem) {
        m_settingsMenu.setText(m_notificationsItem, qText(notifications == 0 ? settings_caption::kNotificationsOn
                                                                             : settings_caption::kNotificationsOff));
    }
}

}  // namespace vamu::app
