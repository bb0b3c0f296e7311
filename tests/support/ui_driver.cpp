#include "support/ui_driver.h"

#include "platform/messages.h"
#include "platform/system.h"
#include "platform/ui_thread.h"
#include "support/ui_span.h"
#include "toolkit/controls/button.h"
#include "toolkit/controls/edit.h"
#include "toolkit/controls/group_box.h"
#include "toolkit/controls/label.h"
#include "toolkit/menu_window.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QTimer>
#include <QWindow>

#include <memory>

namespace vamu::test {

namespace msg = platform::msg;
using toolkit::BaseControl;
using toolkit::HostWindow;

namespace {

std::intptr_t send(HostWindow& window, platform::MessageId id, std::uintptr_t wParam, QPoint point) {
    platform::NativeWindow* native = window.nativeWindow();
    if (!native) return 0;
    const UiSpan span("input");
    return native->deliver(platform::Message{id, wParam, platform::packPoint(point.x(), point.y())});
}

// The window point a user would aim at, if the control is the one under it there.
std::optional<QPoint> aim(BaseControl& control, QPoint local) {
    HostWindow* window = control.host();
    if (!window || !UiDriver::visible(control) || !UiDriver::enabled(control)) return std::nullopt;
    const QPoint point = control.absoluteRect().topLeft() + local;
    if (window->controls().hitTest(point).control != &control) return std::nullopt;
    return point;
}

void sendMouse(QWindow* window, QEvent::Type type, QPoint local, QPoint global, Qt::MouseButtons buttons) {
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, QPointF(local), QPointF(global), button, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(window, &event);
}

}  // namespace

QPoint UiDriver::centreOf(const BaseControl& control) { return QPoint(control.width() / 2, control.height() / 2); }

void UiDriver::moveTo(HostWindow& window, QPoint point) { send(window, msg::kMouseMove, 0, point); }

void UiDriver::click(HostWindow& window, QPoint point) {
    moveTo(window, point);
    send(window, msg::kLeftDown, platform::mouse_keys::kLeft, point);
    send(window, msg::kLeftUp, 0, point);
}

void UiDriver::doubleClick(HostWindow& window, QPoint point) {
    click(window, point);
    send(window, msg::kLeftDoubleClick, platform::mouse_keys::kLeft, point);
    send(window, msg::kLeftUp, 0, point);
}

void UiDriver::rightClick(HostWindow& window, QPoint point) {
    moveTo(window, point);
    send(window, msg::kRightDown, platform::mouse_keys::kRight, point);
    send(window, msg::kRightUp, 0, point);
}

bool UiDriver::click(BaseControl& control) { return click(control, centreOf(control)); }

bool UiDriver::click(BaseControl& control, QPoint local) {
    const auto point = aim(control, local);
    if (!point) return false;
    click(*control.host(), *point);
    return true;
}

bool UiDriver::doubleClick(BaseControl& control) {
    const auto point = aim(control, centreOf(control));
    if (!point) return false;
    doubleClick(*control.host(), *point);
    return true;
}

bool UiDriver::rightClick(BaseControl& control) {
    const auto point = aim(control, centreOf(control));
    if (!point) return false;
    rightClick(*control.host(), *point);
    return true;
}

void UiDriver::pickInNextMenu(const QString& text, std::chrono::milliseconds deadline) {
    auto* poll = new QTimer();
    auto started = std::make_shared<QElapsedTimer>();
    started->start();
    QObject::connect(poll, &QTimer::timeout, [poll, started, text, deadline] {
        const auto& chains = toolkit::detail::runningMenuChains();
        if (chains.empty()) {
            if (started->elapsed() > deadline.count()) poll->deleteLater();
            return;
        }
        poll->stop();
        poll->deleteLater();
        for (toolkit::detail::MenuWindow* menu : chains.back()->openWindows()) {
            for (toolkit::detail::MenuItem* item : menu->items()) {
                if (item->entry().text != text) continue;
                const QPoint point = item->absoluteRect().center();
                send(menu->host(), msg::kMouseMove, 0, point);
                send(menu->host(), msg::kLeftDown, platform::mouse_keys::kLeft, point);
                send(menu->host(), msg::kLeftUp, 0, point);
                return;
            }
        }
        chains.back()->closeAll();
    });
    poll->start(10);
}

void UiDriver::dragWindow(HostWindow& window, QPoint point, QPoint delta) {
    platform::NativeWindow* native = window.nativeWindow();
    if (!native) return;
    QWindow* qt = native->qtWindow();
    // A press soon after another at the same place is a double click, which does not
    // drag: wait as long as a hand would between two drags.
    static QElapsedTimer lastDrag;
    const qint64 interval = platform::doubleClickIntervalMs() + 20;
    if (lastDrag.isValid() && lastDrag.elapsed() < interval) {
        pump(std::chrono::milliseconds(interval - lastDrag.elapsed()));
    }
    lastDrag.start();
    const QPoint origin = native->geometry().topLeft();
    sendMouse(qt, QEvent::MouseButtonPress, point, origin + point, Qt::LeftButton);
    // The window follows in steps, as under a hand.
    for (int step = 1; step <= 4; ++step) {
        const QPoint along = delta * step / 4;
        sendMouse(qt, QEvent::MouseMove, point + along, origin + point + along, Qt::LeftButton);
        pump(std::chrono::milliseconds(5));
    }
    sendMouse(qt, QEvent::MouseButtonRelease, point + delta, origin + point + delta, Qt::NoButton);
    pump(std::chrono::milliseconds(10));
}

void UiDriver::key(HostWindow& window, int virtualKey) {
    platform::NativeWindow* native = window.nativeWindow();
    if (!native) return;
    const UiSpan span("key");
    native->deliver(platform::Message{msg::kKeyDown, static_cast<std::uintptr_t>(virtualKey), 1});
    native->deliver(platform::Message{msg::kKeyUp, static_cast<std::uintptr_t>(virtualKey), 1});
}

void UiDriver::type(HostWindow& window, const QString& text) {
    platform::NativeWindow* native = window.nativeWindow();
    if (!native) return;
    const UiSpan span("typing");
    for (const QChar unit : text) native->deliver(platform::Message{msg::kChar, unit.unicode(), 1});
}

QString UiDriver::text(const BaseControl& control) {
    if (const auto* label = dynamic_cast<const toolkit::Label*>(&control)) return label->text();
    if (const auto* button = dynamic_cast<const toolkit::Button*>(&control)) return button->text();
    if (const auto* edit = dynamic_cast<const toolkit::Edit*>(&control)) return edit->text();
    if (const auto* group = dynamic_cast<const toolkit::GroupBox*>(&control)) return group->text();
    return {};
}

bool UiDriver::visible(const BaseControl& control) {
    for (const BaseControl* at = &control; at; at = at->parent()) {
        if (!at->isVisible()) return false;
    }
    return true;
}

bool UiDriver::enabled(const BaseControl& control) {
    for (const BaseControl* at = &control; at; at = at->parent()) {
        if (at->isDisabled()) return false;
    }
    return true;
}

void UiDriver::pump(std::chrono::milliseconds duration) {
    const UiSpan span("pump");
    platform::waitPumping(duration);
    QCoreApplication::processEvents();
}

bool UiDriver::pumpUntil(const std::function<bool()>& condition, std::chrono::milliseconds deadline) {
    const UiSpan span("pumpUntil");
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > deadline.count()) return false;
        platform::waitPumping(std::chrono::milliseconds(5));
    }
    return true;
}

}  // namespace vamu::test
