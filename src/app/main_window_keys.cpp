#include "app/main_window_keys.h"

#include "app/main_window.h"
#include "platform/keys.h"
#include "platform/messages.h"

namespace vamu::app {
namespace {

namespace vk = platform::vk;
constexpr int kVolumeStep = 5;

bool editHasFocus(toolkit::HostWindow& window) {
    const toolkit::BaseControl* focused = toolkit::resolveControl(window.controls().focused());
    return focused && focused->className() == "Edit";
}

// Runs the action of a key; false when the key is not one of them (it goes on as before).
bool runKey(const KeyActions& actions, int key, int modifiers) {
    const auto run = [](const std::function<void()>& action) {
        if (action) action();
        return true;
    };
    if (modifiers == 0 && key == vk::kSpace) return run(actions.togglePause);
    if (modifiers != platform::modifier::kControl) return false;
    switch (key) {
    case vk::kRight:
        return run(actions.nextSong);
    case vk::kLeft:
        return run(actions.previousSong);
    case vk::kUp:
    case vk::kDown:
        if (actions.changeVolume) actions.changeVolume(key == vk::kUp ? kVolumeStep : -kVolumeStep);
        return true;
    case 'F':
        return run(actions.search);
    case 'D':
        return run(actions.download);
    case 'S':
        return run(actions.collect);
    default:
        return false;
    }
}

void addTip(toolkit::BaseControl* control, const QString& key) {
    if (control) control->setTips(control->tips().isEmpty() ? key : control->tips() + QStringLiteral(" (") + key + ')');
}

}  // namespace

void bindKeys(MainWindow& window, KeyActions actions) {
    toolkit::HostWindow& host = window.host();
    const playback::PlayerPanel& player = window.playerPanel();
    // The keys of buttons act as a click would: not while the button is off.
    const auto whenEnabled = [](toolkit::BaseControl* button, std::function<void()> action) {
        return [button, action = std::move(action)] {
            if (action && !button->isDisabled()) action();
        };
    };
    actions.download = whenEnabled(window.libraryPanel().download, std::move(actions.download));
    actions.collect = whenEnabled(player.collect, std::move(actions.collect));
    host.bindKeyDown([&host, actions = std::move(actions)](const toolkit::Event& event) {
        if (editHasFocus(host)) return false;
        return runKey(actions, event.key, event.modifiers);
    });
    addTip(player.play, QStringLiteral("空格"));
    addTip(player.changeSong, QStringLiteral("Ctrl+→, 上一首 Ctrl+←"));
    addTip(player.volume, QStringLiteral("Ctrl+↑/Ctrl+↓"));
    addTip(player.collect, QStringLiteral("Ctrl+S"));
    addTip(window.libraryPanel().download, QStringLiteral("Ctrl+D"));
    addTip(window.searchPanel().keyword, QStringLiteral("Ctrl+F"));
}

}  // namespace vamu::app
