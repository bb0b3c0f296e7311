#pragma once
// System services for the UI thread: screen and work area, cursors, clipboard,
// modifier state, compositing, and the process-wide start-up of the platform layer.

#include "platform/native_window.h"

#include <QPoint>
#include <QRect>
#include <QString>

#include <optional>

namespace vamu::platform {

// Call once on the UI thread after the QGuiApplication exists: marks the calling
// thread as the UI thread for post()/send().
void initialize();
[[nodiscard]] bool isUiThread();
// Destroys every window that is left and frees them; call before the application
// object goes away.
void shutdown();

[[nodiscard]] QRect screenGeometry();
// The screen minus panels and docks.
[[nodiscard]] QRect workArea();
[[nodiscard]] QPoint cursorPosition();

// Modifier flags (platform::modifier) of the most recent input event.
[[nodiscard]] int keyModifiers();
void noteKeyModifiers(int modifiers);
// Modifier flags held on the keyboard now, asked of the window system: also while
// another program has the keyboard.
[[nodiscard]] int heldKeyModifiers();

// Whether a compositor blends translucent windows (always true on Wayland and on the
// offscreen platform; on X11 the compositing-manager selection decides, and Xwayland,
// whose windows a Wayland compositor always blends, counts as composited).
[[nodiscard]] bool compositingAvailable();

// The window system Qt runs on. Other: the offscreen platform of the tests and the
// like, which have no window manager.
enum class WindowSystem { X11, Wayland, Other };
[[nodiscard]] WindowSystem windowSystem();

// Cursors by the window system's numbers (32512 arrow, 32513 I-beam, 32649 hand,
// 32642..32645 sizing, 32514 wait, 32646 size-all, 32648 forbidden).
[[nodiscard]] std::optional<CursorShape> cursorFromSystemNumber(int number);

[[nodiscard]] QString clipboardText();
void setClipboardText(const QString& text);

[[nodiscard]] int doubleClickIntervalMs();

}  // namespace vamu::platform
