#pragma once
// An icon in the desktop's status area (the tray), shown by a tray host: an XEmbed
// tray on X11 or a StatusNotifierItem host over D-Bus, whichever Qt finds.
//
// Pointer actions on the icon reach the target window as messages: the callback
// message given to setTarget(), wParam = the icon id, lParam = a mouse message number.
// What the tray host reports is mapped to the messages a click would have made:
//   single click        513 then 514 (left down, left up)
//   double click        515 then 514
//   context request     516 then 517 (right down, right up)
//   middle click        519 then 520
// Tray hosts report clicks, not button transitions: there is no 512 (move), no right
// double click (518), no pointer position, and the two messages of a pair arrive
// together after the action. An XEmbed tray reports single and double clicks as
// such. StatusNotifierItem hosts decide themselves which button activates and never
// report a double click: their activation (a single click there) arrives as the
// double click, 515 then 514, since it is what such a host offers to bring the
// program's window back.
//
// When a tray host appears (a host starts, or restarts after a crash), every window
// that owns a status icon receives msg::kTrayHostCreated, once per appearance, so
// that it can show its icon again. An XEmbed tray on X11 is seen the moment it takes
// its selection; other hosts by a look every 2 s, so a StatusNotifierItem host that
// restarts within one look goes unnoticed. UI thread only.

#include "platform/native_window.h"

#include <QImage>
#include <QString>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class QObject;

namespace vamu::platform {

enum class BalloonIcon { None, Information, Warning, Critical };

class StatusIcon {
public:
    StatusIcon();
    ~StatusIcon();
    StatusIcon(const StatusIcon&) = delete;
    StatusIcon& operator=(const StatusIcon&) = delete;

    // Where pointer actions and tray host notices go; an empty window sends nothing.
    void setTarget(WindowHandle window, MessageId callback, std::uintptr_t id);
    [[nodiscard]] WindowHandle target() const { return m_target; }

    // Puts the icon into the status area (again, when it is there already): false when
    // no tray host takes it, when the application object carries no status icons, or
    // while the icon has no picture (it then appears with its first picture).
    bool show();
    void hide();
    // Meant to be shown (show() was called and hide() was not).
    [[nodiscard]] bool isShown() const { return m_shown; }
    // Shown in a tray host right now.
    [[nodiscard]] bool inTray() const;

    void setToolTip(const QString& text);
    [[nodiscard]] const QString& toolTip() const { return m_toolTip; }
    void setIcon(const QImage& icon);
    [[nodiscard]] const QImage& icon() const { return m_icon; }
    // A balloon message next to the icon; false when the icon is not in a tray.
    bool showMessage(const QString& title, const QString& text, BalloonIcon icon,
                     std::chrono::milliseconds timeout = std::chrono::seconds(10));

    // The Qt tray object behind the icon (a QSystemTrayIcon), nullptr without one: for
    // platform glue and tests that feed it activations.
    [[nodiscard]] QObject* qtObject() const;
    // The tray host tells single from double clicks (the icon is embedded in an
    // XEmbed tray); false while the icon is in no tray or in a host that only reports
    // activations.
    [[nodiscard]] bool hostReportsDoubleClicks() const;

private:
    struct Impl;
    void activated(int reason);

    std::unique_ptr<Impl> m_impl;
    WindowHandle m_target;
    MessageId m_callback = 0;
    std::uintptr_t m_id = 0;
    bool m_shown = false;
    QString m_toolTip;
    QImage m_icon;
};

// Whether a tray host runs now.
[[nodiscard]] bool trayHostAvailable();

// The identity of the running tray host (its selection owner window on X11, 1 for a
// host found otherwise); nullopt when none runs. A new identity means a new host.
using TrayHostProbe = std::function<std::optional<std::uint64_t>()>;
[[nodiscard]] std::optional<std::uint64_t> defaultTrayHostProbe();
// Replaces how and how often the tray host is looked for while status icons have
// targets (default: defaultTrayHostProbe every 2 s, and on X11 the XEmbed tray's own
// announcement, which catches restarts at once). An empty probe restores the
// default; a probe of the caller's replaces the announcement too. For tests and for
// hosts that need a closer watch.
void setTrayHostWatch(TrayHostProbe probe, std::chrono::milliseconds interval);

}  // namespace vamu::platform
