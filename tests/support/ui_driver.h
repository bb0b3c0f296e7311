#pragma once
// Drives host windows as a user does, through the same numbered input messages the
// platform delivers: mouse moves, presses and releases at a control's place, double
// and right clicks, keys and typed characters to the focused control. Reads what a
// user would see of a control: text, visibility (its own and its ancestors'), enabled
// state and tooltip. UI thread only; needs the application object (offscreen is fine).

#include "toolkit/controls/control.h"
#include "toolkit/host_window.h"
#include "toolkit/qt_text.h"

#include <QPoint>
#include <QString>

#include <chrono>
#include <functional>
#include <string_view>

namespace vamu::test {

using toolkit::qText;

class UiDriver {
public:
    // Clicks land in the middle of a control unless a point inside it is given.
    static QPoint centreOf(const toolkit::BaseControl& control);

    static void moveTo(toolkit::HostWindow& window, QPoint windowPoint);
    static void click(toolkit::HostWindow& window, QPoint windowPoint);
    static void doubleClick(toolkit::HostWindow& window, QPoint windowPoint);
    static void rightClick(toolkit::HostWindow& window, QPoint windowPoint);

    // At the control's place in its window; false (nothing sent) when the control is
    // not where a user could click it: hidden, disabled, or covered by another control.
    static bool click(toolkit::BaseControl& control);
    static bool click(toolkit::BaseControl& control, QPoint local);
    static bool doubleClick(toolkit::BaseControl& control);
    static bool rightClick(toolkit::BaseControl& control);

    // A popup menu runs a loop of its own until it closes, so a pick is armed before the
    // click that opens the menu: within `deadline` the mouse moves over the item reading
    // `text` in the menu that opened and clicks it. A menu without that item is closed,
    // so that a test fails instead of waiting.
    static void pickInNextMenu(const QString& text, std::chrono::milliseconds deadline = std::chrono::seconds(3));

    // Drags the window as a user does: a press at the point (window coordinates, on a
    // part that moves the window), a move by `delta` and a release, through the Qt
    // window's own mouse events so that the platform's drag path runs.
    static void dragWindow(toolkit::HostWindow& window, QPoint windowPoint, QPoint delta);

    // Keys (virtual key numbers of platform/keys.h) and characters to the window's
    // focused control.
    static void key(toolkit::HostWindow& window, int virtualKey);
    static void type(toolkit::HostWindow& window, const QString& text);

    // What a user sees.
    static QString text(const toolkit::BaseControl& control);  // labels, buttons, edits, group boxes
    static bool visible(const toolkit::BaseControl& control);  // itself and every ancestor
    static bool enabled(const toolkit::BaseControl& control);  // itself and every ancestor
    static QString tooltip(const toolkit::BaseControl& control) { return control.tips(); }

    // Runs the event loop for about this long.
    static void pump(std::chrono::milliseconds duration);
    // Runs it until the condition holds; false when the deadline passed first.
    static bool pumpUntil(const std::function<bool()>& condition,
                          std::chrono::milliseconds deadline = std::chrono::seconds(5));
};

}  // namespace vamu::test
