#include "toolkit/host_window.h"

#include "platform/system.h"
#include "platform/ui_thread.h"
#include "toolkit/accessibility.h"
#include "toolkit/controls/control.h"
#include "toolkit/controls/control_internal.h"
#include "toolkit/controls/surface.h"
#include "toolkit/engine.h"
#include "toolkit/theme_pack.h"
#include "toolkit/tooltip_window.h"

#include <unordered_map>

namespace vamu::toolkit {
namespace {

std::unordered_map<std::uint32_t, HostWindow*>& hosts() {
    static std::unordered_map<std::uint32_t, HostWindow*> instance;
    return instance;
}

}  // namespace

platform::WindowHandle createNativeWindow(const WindowSetup& setup) {
    const QRect area = platform::workArea();
    const QSize size = setup.size.value_or(QSize(380, 250));
    const int left = setup.left.value_or(area.x() + (area.width() - size.width()) / 2);
    const int top = setup.top.value_or(area.y() + (area.height() - size.height()) / 2);
    platform::NativeWindowOptions options;
    options.owner = setup.owner;
    options.title = setup.title;
    options.geometry = QRect(QPoint(left, top), size);
    options.flags = platform::window_flag::kBorderless;
    const bool inTaskBar = setup.owner ? setup.inTaskBar.value_or(false) : setup.inTaskBar.value_or(true);
    if (!inTaskBar) options.flags |= platform::window_flag::kToolWindow;
    if (setup.topmost) options.flags |= platform::window_flag::kTopmost;
    if (setup.overlay) options.flags |= platform::window_flag::kOverlay;
    if (setup.popup) options.flags |= platform::window_flag::kPopup;
    const platform::WindowHandle handle = platform::NativeWindow::create(options);
    if (platform::NativeWindow* window = platform::NativeWindow::find(handle)) {
        window->setStyle(setup.style | (setup.sizable ? style::kThickFrame : 0));
    }
    return handle;
}

HostWindow::HostWindow() : m_root(std::make_unique<ControlRoot>(*this)) {}

HostWindow::~HostWindow() {
    if (m_window) destroyWindow();
    m_root.reset();
}

HostWindow* HostWindow::fromWindow(platform::WindowHandle window) {
    const auto it = hosts().find(window.value);
    return it == hosts().end() ? nullptr : it->second;
}

platform::NativeWindow* HostWindow::nativeWindow() const { return platform::NativeWindow::find(m_window); }

bool HostWindow::attach(platform::WindowHandle window, const AttachOptions& options) {
    platform::NativeWindow* native = platform::NativeWindow::find(window);
    if (!native || m_window || fromWindow(window)) return false;
    const HostWindow* ownerHost = fromWindow(options.owner);
    m_owner = options.owner;
    const ThemePack* theme = options.theme;
    if (!theme && ownerHost) theme = ownerHost->theme();
    m_alpha = options.alpha.value_or(ownerHost ? ownerHost->alpha() : -1);
    m_cornerRadiusSetting = options.cornerRadius;
    if (m_cornerRadiusSetting == -1 && ownerHost) m_cornerRadiusSetting = ownerHost->m_cornerRadiusSetting;
    unsigned flags = options.captionFlags;
    if (flags & caption::kAuto) {
        flags = caption::kIcon | caption::kTitle | caption::kClose;
        if (native->style() & style::kMaximizeBox) flags |= caption::kMax;
        if (native->style() & style::kMinimizeBox) flags |= caption::kMin;
    }
    m_captionFlags = flags;
    m_fillType = options.fillType;
    m_backgroundGrid = options.backgroundGrid;
    m_movable = options.movable;
    m_shadow = options.shadow;
    m_sizeBox = native->style() & style::kThickFrame;
    m_window = window;
    native->setLayered(m_alpha != -1);
    m_size = native->geometry().size();
    native->resizeBackBuffer(m_size);
    m_background = surface::make(m_size, native->devicePixelRatio());
    hosts()[window.value] = this;
    std::weak_ptr<int> alive = m_alive;
    native->setMessageHandler([this, alive](const Message& message) -> std::intptr_t {
        if (alive.expired()) return 0;
        return windowProc(message);
    });
    setTheme(theme, options.borderColours, Layout::Skip);
    if (m_captionFlags != 0) buildCaption();
    QImage picture = options.backgroundPicture;
    long long colour = options.backgroundColour;
    if (ownerHost && colour == -1 && picture.isNull()) {
        // The owner's skin as it lays it out: a nine-grid picture keeps its bands.
        picture = ownerHost->m_backgroundPicture;
        colour = ownerHost->m_backgroundColour;
        m_fillType = ownerHost->m_fillType;
        m_backgroundGrid = ownerHost->m_backgroundGrid;
    }
    setBackground(picture, colour, Redraw::No);
    return true;
}

void HostWindow::destroyWindow() {
    if (m_window) platform::NativeWindow::destroy(m_window);
}

void HostWindow::destroyed() {
    detail::DispatchScope scope;
    raise(windowEvent(Message{msg::kDestroy, 0, 0}));
    m_root->destroyAll();
    m_tooltip.reset();
    m_captionControls.clear();
    m_ownTheme.reset();
    hosts().erase(m_window.value);
    if (platform::NativeWindow* native = nativeWindow()) native->setMessageHandler({});
    m_window = {};
    m_paintReady = false;
    m_shown = false;
}

Event HostWindow::windowEvent(const Message& message) const {
    Event event;
    event.message = message.id;
    event.window = m_window;
    event.wParam = message.wParam;
    event.lParam = message.lParam;
    event.modifiers = platform::keyModifiers();
    event.x = platform::pointX(message.lParam);
    event.y = platform::pointY(message.lParam);
    event.width = m_size.width();
    event.height = m_size.height();
    event.key = static_cast<int>(message.wParam);
    return event;
}

QImage& HostWindow::backBuffer() {
    static QImage none;
    platform::NativeWindow* native = nativeWindow();
    return native ? native->backBuffer() : none;
}

qreal HostWindow::devicePixelRatio() const {
    platform::NativeWindow* native = nativeWindow();
    return native ? native->devicePixelRatio() : 1.0;
}

void HostWindow::present(const QRegion& area) {
    if (platform::NativeWindow* native = nativeWindow()) native->present(area);
}

TooltipWindow& HostWindow::tooltip() {
    if (!m_tooltip) m_tooltip = std::make_unique<TooltipWindow>(*this);
    return *m_tooltip;
}

void HostWindow::show(platform::WindowAnimation animation, std::chrono::milliseconds duration) {
    platform::NativeWindow* native = nativeWindow();
    if (!native) return;
    m_paintReady = true;
    m_shown = true;
    // The region first: on a display without a compositor a layered window's shape
    // comes from the composed alpha, which presentWhole() sets and the region must
    // not clear again.
    updateRegion();
    presentWhole();
    windowProc(Message{tkm::kAnimationStart, 0, 0});
    std::weak_ptr<int> alive = m_alive;
    platform::animateShow(m_window, animation, duration, [this, alive] {
        if (!alive.expired()) windowProc(Message{tkm::kAnimationEnd, 0, 0});
    });
}

void HostWindow::setCloseAnimation(platform::WindowAnimation animation, std::chrono::milliseconds duration) {
    m_closeAnimation = animation;
    m_closeDuration = duration;
}

void HostWindow::close() { post(Message{msg::kClose, 0, 0}); }

void HostWindow::move(std::optional<int> left, std::optional<int> top, std::optional<int> width,
                      std::optional<int> height) {
    platform::NativeWindow* native = nativeWindow();
    if (!native) return;
    const QRect current = native->geometry();
    native->setGeometry(QRect(left.value_or(current.x()), top.value_or(current.y()), width.value_or(current.width()),
                              height.value_or(current.height())));
}

QRect HostWindow::geometry() const {
    platform::NativeWindow* native = nativeWindow();
    return native ? native->geometry() : QRect();
}

QString HostWindow::title() const {
    platform::NativeWindow* native = nativeWindow();
    return native ? native->title() : QString();
}

void HostWindow::setTitle(const QString& title) {
    platform::NativeWindow* native = nativeWindow();
    if (!native) return;
    native->setTitle(title);
    if (BaseControl* label = captionControl(caption::kTitle)) label->redraw();
    accessibility::titleChanged(*this);
}

int HostWindow::showState() const {
    platform::NativeWindow* native = nativeWindow();
    return native ? static_cast<int>(native->showState()) : 0;
}

void HostWindow::setShowState(int state) {
    platform::NativeWindow* native = nativeWindow();
    if (!native) return;
    switch (state) {
    case 0:
        native->restore();
        native->show();
        break;
    case 1:
        native->minimize();
        break;
    case 2:
        native->maximizeTo(maximizedGeometry());
        native->show();
        break;
    case 3: {
        const QRect screen = platform::screenGeometry();
        move(screen.x() + (screen.width() - m_size.width()) / 2, screen.y() + (screen.height() - m_size.height()) / 2);
        break;
    }
    default:
        break;
    }
}

QRect HostWindow::maximizedGeometry() const {
    const QRect area = platform::workArea();
    const int dx = m_frame.marginLeft - m_frame.marginRight;
    const int dy = m_frame.marginTop - m_frame.marginBottom;
    QSize size(area.width() + dx + 2, area.height() + dy + 2);
    if (m_maxTrack.width() > 0 && m_maxTrack.height() > 0) size = size.boundedTo(m_maxTrack);
    return QRect(area.x() - m_frame.marginLeft - 1, area.y() - m_frame.marginTop - 1, size.width(), size.height());
}

void HostWindow::setTopmost(bool on) {
    if (platform::NativeWindow* native = nativeWindow()) native->setTopmost(on);
}

void HostWindow::setIcon(const QImage& icon) {
    if (platform::NativeWindow* native = nativeWindow()) native->setIcon(icon);
    windowProc(Message{msg::kSetIcon, 0, 0});
}

BaseControl* HostWindow::captionControl(unsigned flag) const {
    for (const auto& [element, handle] : m_captionControls) {
        if (element == flag) return resolveControl(handle);
    }
    return nullptr;
}

void HostWindow::setTrackSizes(QSize minimum, QSize maximum) {
    m_minTrack = minimum;
    m_maxTrack = maximum;
    if (platform::NativeWindow* native = nativeWindow()) {
        native->setMinimumSize(minimumTrackSize());
        native->setMaximumSize(maximumTrackSize());
    }
}

std::intptr_t HostWindow::send(const Message& message) { return platform::send(m_window, message); }
void HostWindow::post(const Message& message) { platform::post(m_window, message); }

}  // namespace vamu::toolkit
