#include "platform/native_window.h"

#include "platform/modal.h"
#include "platform/qt_window.h"
#include "platform/system.h"
#include "platform/x11_shm_presenter.h"
#include "platform/x11_window_hints.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QCursor>
#include <QIcon>
#include <QInputMethod>
#include <QPainter>
#include <QPixmap>
#include <QTimer>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <unordered_map>
#include <utility>
#include <vector>

namespace vamu::platform {
namespace {

struct Registry {
    std::unordered_map<std::uint32_t, std::unique_ptr<NativeWindow>> windows;
    std::vector<std::unique_ptr<NativeWindow>> graveyard;
    std::uint32_t nextId = 1;
};

Registry& registry() {
    static Registry instance;
    return instance;
}

// Frees destroyed windows whose deliveries have all returned. Runs from the event
// loop, never from inside a delivery to the window being freed.
void scheduleGraveyardSweep() {
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [] {
            // Moved out first: freeing a window may destroy others.
            auto dead = std::move(registry().graveyard);
            registry().graveyard.clear();
            for (auto& window : dead) {
                if (window && window->busy()) registry().graveyard.push_back(std::move(window));
            }
        },
        Qt::QueuedConnection);
}

// The device pixels a logical rectangle covers, rounded outwards.
QRect toDevice(const QRect& rect, qreal ratio) {
    if (ratio == 1.0) return rect;
    const int left = static_cast<int>(std::floor(rect.x() * ratio));
    const int top = static_cast<int>(std::floor(rect.y() * ratio));
    const int right = static_cast<int>(std::ceil((rect.x() + rect.width()) * ratio));
    const int bottom = static_cast<int>(std::ceil((rect.y() + rect.height()) * ratio));
    return QRect(left, top, right - left, bottom - top);
}

// VAMU_TRACE_FRAMES=1: a line on stderr for every frame a window presents, with the
// time (for measuring the comment strip's frame pacing: tools/measure_comments.sh).
void traceFrame(WindowHandle window) {
    static const bool on = qEnvironmentVariable("VAMU_TRACE_FRAMES") == QLatin1String("1");
    if (!on) return;
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    std::fprintf(stderr, "vamu: frame %u %.3f\n", window.value, std::chrono::duration<double, std::milli>(now).count());
}

QRegion toDevice(const QRegion& region, qreal ratio) {
    if (ratio == 1.0) return region;
    QRegion result;
    for (const QRect& rect : region) result += toDevice(rect, ratio);
    return result;
}

Qt::CursorShape qtCursor(CursorShape shape) {
    switch (shape) {
    case CursorShape::Arrow:
        return Qt::ArrowCursor;
    case CursorShape::IBeam:
        return Qt::IBeamCursor;
    case CursorShape::Hand:
        return Qt::PointingHandCursor;
    case CursorShape::Wait:
        return Qt::WaitCursor;
    case CursorShape::SizeWE:
        return Qt::SizeHorCursor;
    case CursorShape::SizeNS:
        return Qt::SizeVerCursor;
    case CursorShape::SizeNWSE:
        return Qt::SizeFDiagCursor;
    case CursorShape::SizeNESW:
        return Qt::SizeBDiagCursor;
    case CursorShape::SizeAll:
        return Qt::SizeAllCursor;
    case CursorShape::Forbidden:
        return Qt::ForbiddenCursor;
    }
    return Qt::ArrowCursor;
}

}  // namespace

WindowHandle NativeWindow::create(const NativeWindowOptions& options) {
    auto& reg = registry();
    const WindowHandle handle{reg.nextId++};
    std::unique_ptr<NativeWindow> window(new NativeWindow(options, handle));
    reg.windows.emplace(handle.value, std::move(window));
    return handle;
}

NativeWindow* NativeWindow::fromQtWindow(const QWindow* window) {
    if (!window) return nullptr;
    for (const auto& [id, native] : registry().windows) {
        if (native && native->qtWindow() == window) return native.get();
    }
    return nullptr;
}

NativeWindow* NativeWindow::find(WindowHandle handle) {
    if (!handle) return nullptr;
    auto& windows = registry().windows;
    const auto it = windows.find(handle.value);
    return it == windows.end() ? nullptr : it->second.get();
}

void NativeWindow::destroy(WindowHandle handle) {
    NativeWindow* window = find(handle);
    if (!window || window->m_destroyed) return;
    window->m_destroyed = true;
    window->deliver(Message{msg::kDestroy, 0, 0});
    window->m_window->hide();
    if (window->m_target) window->m_target->hide();
    auto& reg = registry();
    auto node = reg.windows.extract(handle.value);
    if (node.empty()) return;
    reg.graveyard.push_back(std::move(node.mapped()));
    if (window->m_deliveryDepth == 0) scheduleGraveyardSweep();
}

NativeWindow::NativeWindow(const NativeWindowOptions& options, WindowHandle handle)
    : m_handle(handle), m_owner(options.owner), m_flags(options.flags) {
    m_window = std::make_unique<detail::QtWindow>(*this);
    Qt::WindowFlags qtFlags = Qt::Window;
    if (m_flags & window_flag::kBorderless) qtFlags |= Qt::FramelessWindowHint;
    if (m_flags & window_flag::kToolWindow) qtFlags = (qtFlags & ~Qt::Window) | Qt::Tool;
    if (m_flags & window_flag::kTopmost) qtFlags |= Qt::WindowStaysOnTopHint;
    if (m_flags & window_flag::kPopup) qtFlags = (qtFlags & ~Qt::Window) | Qt::Popup;
    if (m_flags & window_flag::kNoActivate) {
        qtFlags = (qtFlags & ~(Qt::Window | Qt::Tool | Qt::Popup)) | Qt::ToolTip | Qt::WindowDoesNotAcceptFocus;
    }
    if (m_flags & window_flag::kOverlay) {
        // Not a tool window: window managers frame the utility type that Qt gives those.
        qtFlags = Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus;
        // A window manager that cannot keep a window above (weston's for Xwayland) frames
        // it, moves it and takes its clicks: the overlay passes it by.
        if (windowSystem() == WindowSystem::X11 && !detail::windowManagerKeepsAbove())
            qtFlags |= Qt::X11BypassWindowManagerHint;
        detail::setOverlayWindowType(*m_window);
    }
    m_window->setFlags(qtFlags);
    if (NativeWindow* owner = find(m_owner)) m_window->setTransientParent(owner->m_window.get());
    m_alphaSurface = compositingAvailable();
    if (m_alphaSurface) {
        QSurfaceFormat format = m_window->format();
        format.setAlphaBufferSize(8);
        m_window->setFormat(format);
        m_perPixelAlpha = m_flags & window_flag::kLayered;
    }
    m_window->setTitle(options.title);
    m_window->setGeometry(options.geometry);
    m_window->create();
    m_ratio = m_window->devicePixelRatio();
    m_window->reportGeometry(options.geometry);
    resizeBackBuffer(options.geometry.size());
    // Nothing is drawn yet: nothing takes the mouse until something is presented.
    updateInputShape(QRegion());
    applyShapeInput();
}

NativeWindow::~NativeWindow() {
    m_shmPresenter.reset();  // its buffers are attached to the window
}

void NativeWindow::setLayered(bool on) {
    const bool layered = m_flags & window_flag::kLayered;
    if (layered == on) return;
    if (on)
        m_flags |= window_flag::kLayered;
    else
        m_flags &= ~window_flag::kLayered;
    // The surface already has its alpha channel where a compositor runs: only what
    // takes input changes.
    const bool perPixel = on && m_alphaSurface;
    if (perPixel == m_perPixelAlpha) return;
    m_perPixelAlpha = perPixel;
    m_drawnCells.reset();
    m_inputShape.reset();
    if (m_inputShapeTimer) m_inputShapeTimer->stop();  // read it now, not at the interval's end
    updateInputShape(QRegion(QRect(QPoint(), m_backBufferSize)));
    applyShapeInput();
}

void NativeWindow::setMessageHandler(MessageHandler handler) { m_handler = std::move(handler); }

void NativeWindow::translate(const Message& message) {
    if (swallowedByModal(m_handle, message)) return;
    deliver(message);
}

std::intptr_t NativeWindow::deliver(const Message& message) {
    ++m_deliveryDepth;
    std::intptr_t result = 0;
    if (m_handler) {
        // A copy keeps the handler alive when it replaces itself.
        MessageHandler handler = m_handler;
        result = handler(message);
    } else {
        result = defaultProc(message);
    }
    if (--m_deliveryDepth == 0 && m_destroyed) scheduleGraveyardSweep();
    return result;
}

std::intptr_t NativeWindow::defaultProc(const Message& message) {
    if (message.id == msg::kClose) hide();
    return 0;
}

QRect NativeWindow::geometry() const { return m_window->geometry(); }

void NativeWindow::setGeometry(const QRect& geometry) {
    if (geometry == m_window->geometry()) return;
    m_window->setGeometry(geometry);
    m_window->reportGeometry(geometry);
}

void NativeWindow::setMinimumSize(QSize size) { m_window->setMinimumSize(size); }
void NativeWindow::setMaximumSize(QSize size) {
    m_window->setMaximumSize(size.isEmpty() ? QSize((1 << 24) - 1, (1 << 24) - 1) : size);
}

void NativeWindow::show() {
    if (m_target) {
        m_target->show();
        return;
    }
    // The window manager drops these states when the window is withdrawn.
    if ((m_flags & window_flag::kOverlay) && !m_window->isVisible()) detail::keepOffTaskBar(*m_window);
    if (m_showState == ShowState::Minimized) {
        m_showState = m_normalGeometry.isValid() && m_window->geometry() != m_normalGeometry ? ShowState::Maximized
                                                                                             : ShowState::Normal;
    }
    m_window->setVisible(true);
    if (!(m_flags & (window_flag::kNoActivate | window_flag::kOverlay))) m_window->requestActivate();
}

void NativeWindow::hide() {
    if (m_target)
        m_target->hide();
    else
        m_window->setVisible(false);
}

bool NativeWindow::isVisible() const { return m_target ? m_target->isVisible() : m_window->isVisible(); }

void NativeWindow::setPresentationTarget(std::unique_ptr<PresentationTarget> target) {
    m_window->setVisible(false);
    if (m_target) m_target->hide();
    m_target = std::move(target);
}

void NativeWindow::minimize() {
    m_showState = ShowState::Minimized;
    m_window->showMinimized();
    deliver(Message{msg::kSize, static_cast<std::uintptr_t>(SizeType::Minimized),
                    packPoint(m_window->width(), m_window->height())});
}

void NativeWindow::maximizeTo(const QRect& geometry) {
    if (m_showState != ShowState::Maximized) m_normalGeometry = m_window->geometry();
    m_showState = ShowState::Maximized;
    if (m_window->windowStates() & Qt::WindowMinimized) m_window->showNormal();
    setGeometry(geometry);
}

void NativeWindow::restore() {
    if (m_showState == ShowState::Minimized) {
        // Wayland has no request that brings a minimised window back; a window mapped
        // anew comes back.
        if (windowSystem() == WindowSystem::Wayland) m_window->hide();
        m_window->showNormal();
        m_showState = ShowState::Normal;
        if (m_normalGeometry.isValid() && m_normalGeometry != m_window->geometry()) m_showState = ShowState::Maximized;
        deliver(Message{
            msg::kSize,
            static_cast<std::uintptr_t>(m_showState == ShowState::Maximized ? SizeType::Maximized : SizeType::Restored),
            packPoint(m_window->width(), m_window->height())});
        return;
    }
    if (m_showState != ShowState::Maximized) return;
    m_showState = ShowState::Normal;
    const QRect normal = m_normalGeometry;
    m_normalGeometry = QRect();
    setGeometry(normal);
}

void NativeWindow::setTitle(const QString& title) { m_window->setTitle(title); }
QString NativeWindow::title() const { return m_window->title(); }
void NativeWindow::setIcon(const QImage& icon) {
    m_icon = icon;
    m_window->setIcon(QIcon(QPixmap::fromImage(icon)));
}

void NativeWindow::setTopmost(bool on) {
    m_window->setFlag(Qt::WindowStaysOnTopHint, on);
    if (on)
        m_flags |= window_flag::kTopmost;
    else
        m_flags &= ~window_flag::kTopmost;
}

void NativeWindow::raise() { m_window->raise(); }
void NativeWindow::activate() { m_window->requestActivate(); }
bool NativeWindow::isActive() const { return m_window->isActive(); }
bool NativeWindow::hasFocus() const { return QGuiApplication::focusWindow() == m_window.get(); }

void NativeWindow::setOpacity(double opacity) {
    m_opacity = std::clamp(opacity, 0.0, 1.0);
    if (m_perPixelAlpha)
        present(QRegion(QRect(QPoint(), m_backBufferSize)));
    else
        m_window->setOpacity(m_opacity);
}

void NativeWindow::resizeBackBuffer(QSize size) {
    size = size.expandedTo(QSize(1, 1));
    if (m_backBufferSize == size && !m_backBuffer.isNull()) return;
    m_backBufferSize = size;
    allocateBackBuffer();
    applyShapeInput();
}

void NativeWindow::allocateBackBuffer() {
    const QSize device(static_cast<int>(std::ceil(m_backBufferSize.width() * m_ratio)),
                       static_cast<int>(std::ceil(m_backBufferSize.height() * m_ratio)));
    m_backBuffer = QImage(device, QImage::Format_ARGB32_Premultiplied);
    m_backBuffer.setDevicePixelRatio(m_ratio);
    m_backBuffer.fill(Qt::transparent);
}

void NativeWindow::screenChanged() {
    const qreal ratio = m_window->devicePixelRatio();
    if (ratio == m_ratio || ratio <= 0) return;
    m_ratio = ratio;
    allocateBackBuffer();
    m_drawnCells.reset();
    deliver(Message{msg::kDpiChanged, static_cast<std::uintptr_t>(std::lround(ratio * 100)), 0});
}

void NativeWindow::present(const QRegion& region) {
    const QRegion area = region & QRect(QPoint(), m_backBufferSize);
    if (m_target) {
        // Also while hidden: the target shows the latest frame once it can.
        if (area.isEmpty()) return;
        m_target->present(m_backBuffer, area);
        ++m_presentCount;
        traceFrame(m_handle);
        return;
    }
    // Also while hidden: the region must be right the moment the window shows.
    updateInputShape(area);
    if (!m_window->isExposed() || area.isEmpty()) return;
    // The back buffer's pixels go to the server as they are, unless the surface needs
    // them changed on the way (no alpha of its own, or a window opacity to apply).
    if ((!m_alphaSurface || m_perPixelAlpha) && m_opacity >= 1.0) {
        if (!std::exchange(m_shmTried, true)) m_shmPresenter = X11ShmPresenter::create(*m_window);
        if (m_shmPresenter && m_shmPresenter->present(m_backBuffer, toDevice(area, m_ratio))) {
            ++m_presentCount;
            traceFrame(m_handle);
            return;
        }
        m_shmPresenter.reset();
    }
    QBackingStore& store = m_window->store();
    if (store.size() != m_backBufferSize) store.resize(m_backBufferSize);
    store.beginPaint(area);
    {
        QPainter painter(store.paintDevice());
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        if (m_alphaSurface && !m_perPixelAlpha) {
            // No alpha of its own: opaque inside the shape, transparent outside it.
            for (const QRect& rect : area) painter.fillRect(rect, Qt::transparent);
            const QRegion inside = m_shape.isEmpty() ? area : area & m_shape;
            painter.setClipRegion(inside);
            for (const QRect& rect : inside) painter.fillRect(rect, Qt::black);
            painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        } else if (m_perPixelAlpha && m_opacity < 1.0) {
            for (const QRect& rect : area) painter.fillRect(rect, Qt::transparent);
            painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
            painter.setOpacity(m_opacity);
        }
        // The store's own device has the screen's ratio too: device pixels land 1:1.
        for (const QRect& rect : area) {
            if (m_ratio == 1.0)
                painter.drawImage(rect.topLeft(), m_backBuffer, rect);
            else
                painter.drawImage(QRectF(rect), m_backBuffer, QRectF(toDevice(rect, m_ratio)));
        }
    }
    store.endPaint();
    store.flush(area);
    ++m_presentCount;
    traceFrame(m_handle);
}

void NativeWindow::updateInputShape(const QRegion& area) {
    if (!m_perPixelAlpha || m_inputShapeUnavailable || m_inputOverride) return;
    m_inputShapeArea += toDevice(area, m_ratio);
    if (area.isEmpty()) {
        // Nothing presented: only a window without a region yet needs one (none drawn).
        if (!m_inputShape) applyInputShape();
        return;
    }
    if (!m_inputShapeTimer) {
        m_inputShapeTimer = std::make_unique<QTimer>();
        m_inputShapeTimer->setSingleShot(true);
        QObject::connect(m_inputShapeTimer.get(), &QTimer::timeout, [this] {
            if (m_inputShapeArea.isEmpty()) return;
            applyInputShape();
            m_inputShapeTimer->start(kInputShapeInterval);
        });
    }
    // Within the interval of the last reading: the timer reads it at the end.
    if (m_inputShapeTimer->isActive()) return;
    applyInputShape();
    m_inputShapeTimer->start(kInputShapeInterval);
}

void NativeWindow::applyInputShape() {
    if (!m_perPixelAlpha || m_inputShapeUnavailable || m_inputOverride) return;
    const QRegion area = std::exchange(m_inputShapeArea, QRegion());
    const bool changed = m_drawnCells.update(m_backBuffer, area);
    if (!changed && m_inputShape) return;
    giveInputShape(m_drawnCells.rectangles());
}

void NativeWindow::applyShapeInput() {
    if (!m_alphaSurface || m_perPixelAlpha || m_inputShapeUnavailable || m_inputOverride) return;
    const QRegion shape = m_shape.isEmpty() ? QRegion(QRect(QPoint(), m_backBufferSize)) : m_shape;
    const QRegion device = toDevice(shape, m_ratio);
    std::vector<QRect> rectangles(device.begin(), device.end());
    if (m_inputShape == rectangles) return;
    giveInputShape(std::move(rectangles));
}

void NativeWindow::setInputOverride(std::optional<QRegion> region) {
    if (region == m_inputOverride) return;
    m_inputOverride = std::move(region);
    if (m_inputShapeUnavailable) return;
    if (m_inputOverride) {
        const QRegion device = toDevice(*m_inputOverride, m_ratio);
        giveInputShape(std::vector<QRect>(device.begin(), device.end()));
        return;
    }
    // Back to what is drawn: read the whole window again.
    m_drawnCells.reset();
    m_inputShape.reset();
    updateInputShape(QRegion(QRect(QPoint(), m_backBufferSize)));
    applyShapeInput();
}

void NativeWindow::giveInputShape(std::vector<QRect> rectangles) {
    if (detail::setInputShape(*m_window, rectangles, m_ratio))
        m_inputShape = std::move(rectangles);
    else
        m_inputShapeUnavailable = true;  // no input region here: no reading of alpha for nothing
}

void NativeWindow::setShape(const QRegion& shape) {
    if (shape == m_shape) return;
    m_shape = shape;
    if (m_alphaSurface) {
        // present() cuts the shape out of the surface; the mask would leave a rim.
        applyShapeInput();
        return;
    }
    m_window->setMask(shape);
}

void NativeWindow::updateShapeFromAlpha() {
    if (!(m_flags & window_flag::kLayered) || m_perPixelAlpha) return;
    // Pixels at least half opaque belong to the window; soft shadow edges are dropped
    // because without a compositor they would show as solid dark bands. The mask is
    // logical (the window system scales it): each logical pixel is judged by the
    // device pixel at its centre.
    QRegion shape;
    const int width = m_backBufferSize.width();
    const int height = m_backBufferSize.height();
    const auto device = [this](int logical, int limit) {
        return std::min(static_cast<int>((logical + 0.5) * m_ratio), limit - 1);
    };
    std::vector<int> columns(static_cast<std::size_t>(width));
    for (int x = 0; x < width; ++x) columns[static_cast<std::size_t>(x)] = device(x, m_backBuffer.width());
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(m_backBuffer.constScanLine(device(y, m_backBuffer.height())));
        const auto opaque = [&](int x) { return qAlpha(row[columns[static_cast<std::size_t>(x)]]) >= 128; };
        int x = 0;
        while (x < width) {
            while (x < width && !opaque(x)) ++x;
            const int start = x;
            while (x < width && opaque(x)) ++x;
            if (x > start) shape += QRect(start, y, x - start, 1);
        }
    }
    setShape(shape);
}

void NativeWindow::setTimer(TimerId id, std::chrono::milliseconds interval, std::function<void()> callback) {
    m_window->setTimer(id, static_cast<int>(std::max<long long>(interval.count(), 0)), std::move(callback));
}
void NativeWindow::killTimer(TimerId id) { m_window->killTimer(id); }
bool NativeWindow::hasTimer(TimerId id) const { return m_window->hasTimer(id); }

void NativeWindow::setCursor(CursorShape shape) {
    m_cursor = shape;
    m_window->setCursor(QCursor(qtCursor(shape)));
}

void NativeWindow::setCursor(const QImage& image, QPoint hotSpot) {
    m_window->setCursor(QCursor(QPixmap::fromImage(image), hotSpot.x(), hotSpot.y()));
}

void NativeWindow::setCapture(bool on) { m_window->setMouseGrabEnabled(on); }

void NativeWindow::startSystemMove() {
    if (!m_window->startSystemMove()) m_window->startManualDrag(0);
}

void NativeWindow::startSystemResize(unsigned edges) {
    Qt::Edges qtEdges;
    if (edges & edge::kLeft) qtEdges |= Qt::LeftEdge;
    if (edges & edge::kTop) qtEdges |= Qt::TopEdge;
    if (edges & edge::kRight) qtEdges |= Qt::RightEdge;
    if (edges & edge::kBottom) qtEdges |= Qt::BottomEdge;
    if (!m_window->startSystemResize(qtEdges)) m_window->startManualDrag(edges);
}

QWindow* NativeWindow::qtWindow() const { return m_window.get(); }

bool NativeWindow::inManualDrag() const { return m_window->inManualDrag(); }
void NativeWindow::setAcceptDrops(bool on) { m_window->setAcceptDrops(on); }
void NativeWindow::setInputMethodEnabled(bool on) { m_window->setInputMethodEnabled(on); }
void NativeWindow::setInputMethodRect(const QRect& rect) { m_window->setInputMethodRect(rect); }

void NativeWindow::updateInputMethod() {
    if (hasFocus()) QGuiApplication::inputMethod()->update(Qt::ImQueryAll);
}

void NativeWindow::commitInputMethod() {
    if (hasFocus()) QGuiApplication::inputMethod()->commit();
}

void shutdown() {
    std::vector<WindowHandle> handles;
    for (const auto& [id, window] : registry().windows) handles.push_back(WindowHandle{id});
    for (const WindowHandle handle : handles) NativeWindow::destroy(handle);
    registry().windows.clear();
    registry().graveyard.clear();
}

}  // namespace vamu::platform
