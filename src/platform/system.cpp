#include "platform/system.h"

#include "platform/messages.h"
#include "platform/x11_selection.h"

#include <QClipboard>
#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QStyleHints>
#include <QThread>

#include <atomic>

namespace vamu::platform {
namespace {
std::atomic<int> g_modifiers{0};
}

void initialize() {
    // Nothing to set up beyond the application object itself; kept as the one place
    // where the platform layer could grow process-wide state.
    (void)isUiThread();
}

bool isUiThread() {
    const QCoreApplication* app = QCoreApplication::instance();
    return app != nullptr && QThread::currentThread() == app->thread();
}

QRect screenGeometry() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry() : QRect(0, 0, 1024, 768);
}

QRect workArea() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

QPoint cursorPosition() { return QCursor::pos(); }

int keyModifiers() { return g_modifiers.load(std::memory_order_relaxed); }
void noteKeyModifiers(int modifiers) { g_modifiers.store(modifiers, std::memory_order_relaxed); }

int heldKeyModifiers() {
    const Qt::KeyboardModifiers held = QGuiApplication::queryKeyboardModifiers();
    return (held & Qt::ControlModifier ? modifier::kControl : 0) | (held & Qt::ShiftModifier ? modifier::kShift : 0) |
           (held & Qt::AltModifier ? modifier::kAlt : 0);
}

bool compositingAvailable() {
    const QString platform = QGuiApplication::platformName();
    if (platform != QLatin1String("xcb"))
        return platform != QLatin1String("linuxfb") && platform != QLatin1String("vnc");
    // A compositing manager owns the selection _NET_WM_CM_S<screen>; Xwayland's windows
    // are blended by the Wayland compositor, whatever owns the selection.
    static const bool xwayland = detail::xwaylandServer();
    return xwayland || detail::selectionOwner("_NET_WM_CM_S0").value_or(0) != 0;
}

WindowSystem windowSystem() {
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("xcb")) return WindowSystem::X11;
    if (platform.startsWith(QLatin1String("wayland"))) return WindowSystem::Wayland;
    return WindowSystem::Other;
}

std::optional<CursorShape> cursorFromSystemNumber(int number) {
    switch (number) {
    case 32512:
        return CursorShape::Arrow;
    case 32513:
        return CursorShape::IBeam;
    case 32514:
        return CursorShape::Wait;
    case 32642:
        return CursorShape::SizeNWSE;
    case 32643:
        return CursorShape::SizeNESW;
    case 32644:
        return CursorShape::SizeWE;
    case 32645:
        return CursorShape::SizeNS;
    case 32646:
        return CursorShape::SizeAll;
    case 32648:
        return CursorShape::Forbidden;
    case 32649:
        return CursorShape::Hand;
    default:
        return std::nullopt;
    }
}

QString clipboardText() {
    const QClipboard* clipboard = QGuiApplication::clipboard();
    return clipboard ? clipboard->text() : QString();
}

void setClipboardText(const QString& text) {
    if (QClipboard* clipboard = QGuiApplication::clipboard()) clipboard->setText(text);
}

int doubleClickIntervalMs() { return QGuiApplication::styleHints()->mouseDoubleClickInterval(); }

}  // namespace vamu::platform
