#include "platform/status_icon.h"

#include "platform/application.h"
#include "platform/ui_thread.h"
#include "platform/x11_selection.h"

#include <QIcon>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QTimer>

#include <algorithm>
#include <array>
#include <vector>

namespace vamu::platform {

struct StatusIcon::Impl {
    std::unique_ptr<QSystemTrayIcon> tray;
};

namespace {

constexpr std::chrono::milliseconds kDefaultWatchInterval{2000};
constexpr std::string_view kTraySelection = "_NET_SYSTEM_TRAY_S0";
constexpr std::uint64_t kOtherHost = 1;  // a host found without an owner window

// Looks for tray hosts while any status icon has a target window, and tells those
// windows when a new host appears. On X11 an XEmbed tray announces itself by its
// selection broadcast, which catches even a restart quicker than any poll; the poll
// covers the hosts that announce nothing (StatusNotifierItem hosts) and tests'
// scripted probes.
class TrayWatch {
public:
    static TrayWatch& instance() {
        static TrayWatch watch;
        return watch;
    }

    void add(StatusIcon* icon) {
        if (std::find(m_icons.begin(), m_icons.end(), icon) == m_icons.end()) m_icons.push_back(icon);
        if (!m_timer && QCoreApplication::instance()) start();
    }

    void remove(StatusIcon* icon) {
        std::erase(m_icons, icon);
        if (!m_icons.empty()) return;
        m_timer.reset();
        m_selectionWatch.reset();
    }

    void configure(TrayHostProbe probe, std::chrono::milliseconds interval) {
        m_probe = std::move(probe);
        m_interval = interval.count() > 0 ? interval : kDefaultWatchInterval;
        if (m_timer) start();
    }

private:
    std::optional<std::uint64_t> probe() const { return m_probe ? m_probe() : defaultTrayHostProbe(); }

    void start() {
        m_selectionWatch.reset();
        if (!m_probe) m_selectionWatch = detail::watchSelection(kTraySelection, [this] { xembedHostTook(); });
        m_host = probe();
        m_timer = std::make_unique<QTimer>();
        QObject::connect(m_timer.get(), &QTimer::timeout, [this] { tick(); });
        m_timer->start(static_cast<int>(m_interval.count()));
    }

    void xembedHostTook() {
        m_host = probe();
        notify();
    }

    void tick() {
        const std::optional<std::uint64_t> host = probe();
        bool appeared = host && host != m_host;
        // XEmbed hosts (identified by their owner window) are announced by their broadcast.
        if (m_selectionWatch && host && *host != kOtherHost) appeared = false;
        m_host = host;
        if (appeared) notify();
    }

    void notify() {
        // One notice per window, however many icons it owns.
        std::vector<WindowHandle> windows;
        for (const StatusIcon* icon : m_icons) {
            if (std::find(windows.begin(), windows.end(), icon->target()) == windows.end()) {
                windows.push_back(icon->target());
            }
        }
        for (const WindowHandle window : windows) post(window, Message{msg::kTrayHostCreated, 0, 0});
    }

    std::vector<StatusIcon*> m_icons;
    std::unique_ptr<QTimer> m_timer;
    std::unique_ptr<detail::SelectionWatch> m_selectionWatch;
    TrayHostProbe m_probe;
    std::chrono::milliseconds m_interval = kDefaultWatchInterval;
    std::optional<std::uint64_t> m_host;
};

QSystemTrayIcon::MessageIcon qtBalloonIcon(BalloonIcon icon) {
    switch (icon) {
    case BalloonIcon::Information:
        return QSystemTrayIcon::Information;
    case BalloonIcon::Warning:
        return QSystemTrayIcon::Warning;
    case BalloonIcon::Critical:
        return QSystemTrayIcon::Critical;
    case BalloonIcon::None:
        break;
    }
    return QSystemTrayIcon::NoIcon;
}

}  // namespace

StatusIcon::StatusIcon() : m_impl(std::make_unique<Impl>()) {
    if (!statusIconsSupported()) return;
    m_impl->tray = std::make_unique<QSystemTrayIcon>();
    QObject::connect(m_impl->tray.get(), &QSystemTrayIcon::activated, m_impl->tray.get(),
                     [this](QSystemTrayIcon::ActivationReason reason) { activated(static_cast<int>(reason)); });
}

StatusIcon::~StatusIcon() {
    TrayWatch::instance().remove(this);
    if (m_impl->tray) m_impl->tray->hide();
}

void StatusIcon::setTarget(WindowHandle window, MessageId callback, std::uintptr_t id) {
    m_target = window;
    m_callback = callback;
    m_id = id;
    if (window)
        TrayWatch::instance().add(this);
    else
        TrayWatch::instance().remove(this);
}

bool StatusIcon::show() {
    m_shown = true;
    QSystemTrayIcon* tray = m_impl->tray.get();
    // Without a picture the tray would show an empty slot: the icon waits for one.
    if (!tray || m_icon.isNull()) return false;
    // Hiding first makes a visible icon dock again, into whatever host runs now.
    if (tray->isVisible()) tray->hide();
    tray->show();
    return trayHostAvailable();
}

void StatusIcon::hide() {
    m_shown = false;
    if (m_impl->tray) m_impl->tray->hide();
}

void StatusIcon::setToolTip(const QString& text) {
    m_toolTip = text;
    if (m_impl->tray) m_impl->tray->setToolTip(text);
}

void StatusIcon::setIcon(const QImage& icon) {
    m_icon = icon;
    QSystemTrayIcon* tray = m_impl->tray.get();
    if (!tray || icon.isNull()) return;
    tray->setIcon(QIcon(QPixmap::fromImage(icon)));
    if (m_shown && !tray->isVisible()) tray->show();
}

bool StatusIcon::showMessage(const QString& title, const QString& text, BalloonIcon icon,
                             std::chrono::milliseconds timeout) {
    if (!inTray()) return false;
    m_impl->tray->showMessage(title, text, qtBalloonIcon(icon), static_cast<int>(timeout.count()));
    return true;
}

bool StatusIcon::inTray() const {
    const QSystemTrayIcon* tray = m_impl->tray.get();
    return tray && tray->isVisible() && !m_icon.isNull() && trayHostAvailable();
}

QObject* StatusIcon::qtObject() const { return m_impl->tray.get(); }

bool StatusIcon::hostReportsDoubleClicks() const {
    // An icon embedded in the tray (XEmbed) is a window of ours that sees the real
    // clicks, double clicks included, and only such an icon has a place on the
    // screen; a StatusNotifierItem host draws the icon itself and reports activations.
    const QSystemTrayIcon* tray = m_impl->tray.get();
    return tray && !tray->geometry().isEmpty();
}

void StatusIcon::activated(int reason) {
    std::array<MessageId, 2> codes{};
    switch (static_cast<QSystemTrayIcon::ActivationReason>(reason)) {
    case QSystemTrayIcon::Trigger:
        // A host that never reports double clicks reports the activation meant to
        // bring the window back as a single one: it stands for the double click.
        if (hostReportsDoubleClicks())
            codes = {msg::kLeftDown, msg::kLeftUp};
        else
            codes = {msg::kLeftDoubleClick, msg::kLeftUp};
        break;
    case QSystemTrayIcon::DoubleClick:
        codes = {msg::kLeftDoubleClick, msg::kLeftUp};
        break;
    case QSystemTrayIcon::Context:
        codes = {msg::kRightDown, msg::kRightUp};
        break;
    case QSystemTrayIcon::MiddleClick:
        codes = {msg::kMiddleDown, msg::kMiddleUp};
        break;
    case QSystemTrayIcon::Unknown:
        return;
    }
    if (!m_target) return;
    // Posted, like the window system's notifications: the handler may open a menu
    // with a loop of its own, which must not run inside Qt's signal.
    for (const MessageId code : codes) {
        post(m_target, Message{m_callback, m_id, static_cast<std::intptr_t>(code)});
    }
}

bool trayHostAvailable() { return QCoreApplication::instance() != nullptr && QSystemTrayIcon::isSystemTrayAvailable(); }

std::optional<std::uint64_t> defaultTrayHostProbe() {
    if (const std::optional<std::uint32_t> owner = detail::selectionOwner(kTraySelection); owner && *owner != 0) {
        return *owner;
    }
    if (trayHostAvailable()) return kOtherHost;
    return std::nullopt;
}

void setTrayHostWatch(TrayHostProbe probe, std::chrono::milliseconds interval) {
    TrayWatch::instance().configure(std::move(probe), interval);
}

}  // namespace vamu::platform
