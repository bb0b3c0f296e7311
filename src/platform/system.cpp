#include "platform/system.h"

#include <QClipboard>
#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QStyleHints>
#include <QThread>

#include <atomic>

#if VAMU_HAVE_XCB
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>
#include <cstdlib>
#include <string>
#endif

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

bool compositingAvailable() {
    const QString platform = QGuiApplication::platformName();
    if (platform != QLatin1String("xcb")) return platform != QLatin1String("linuxfb") && platform != QLatin1String("vnc");
#if VAMU_HAVE_XCB
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection) return false;
    // A compositing manager owns the selection _NET_WM_CM_S<screen>.
    const std::string name = "_NET_WM_CM_S0";
    const xcb_intern_atom_cookie_t atomCookie =
        xcb_intern_atom(connection, 1, static_cast<std::uint16_t>(name.size()), name.c_str());
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(connection, atomCookie, nullptr);
    if (!atom) return false;
    const xcb_atom_t selection = atom->atom;
    std::free(atom);
    if (selection == XCB_ATOM_NONE) return false;
    xcb_get_selection_owner_reply_t* owner =
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, selection), nullptr);
    if (!owner) return false;
    const bool composited = owner->owner != XCB_WINDOW_NONE;
    std::free(owner);
    return composited;
#else
    return false;
#endif
}

std::optional<CursorShape> cursorFromSystemNumber(int number) {
    switch (number) {
    case 32512: return CursorShape::Arrow;
    case 32513: return CursorShape::IBeam;
    case 32514: return CursorShape::Wait;
    case 32642: return CursorShape::SizeNWSE;
    case 32643: return CursorShape::SizeNESW;
    case 32644: return CursorShape::SizeWE;
    case 32645: return CursorShape::SizeNS;
    case 32646: return CursorShape::SizeAll;
    case 32648: return CursorShape::Forbidden;
    case 32649: return CursorShape::Hand;
    default: return std::nullopt;
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
