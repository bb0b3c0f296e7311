#pragma once
// One native top-level window per host window. The platform owns every window from
// create() until destroy(), like the window system it stands in for: callers hold a
// WindowHandle, which is safe to test (find() answers nullptr once the window is gone)
// and is never reused within a process.
//
// The window presents a back buffer that its user composes (ARGB32 premultiplied,
// window-sized in device pixels: the logical size times the device pixel ratio, with
// that ratio set on the image so that a QPainter on it works in logical pixels).
// Geometry, messages, present() areas and the shape are logical pixels throughout. A layered window shows the buffer
// with per-pixel alpha when a compositor blends windows, and otherwise through a shape mask made from the buffer's
// alpha, so transparent parts stay see-through on a plain X server. Either way the mouse goes through its fully
// transparent parts to what lies below: with per-pixel alpha each present() updates an input region that follows the
// drawn pixels (platform/input_shape.h; X11 and Wayland).
//
// Where a compositor blends windows every window has an alpha channel, and a window that is not layered shows its
// shape by leaving the pixels outside it transparent (and opaque inside): a shape mask there leaves a dark rim where
// the composited X server (Xwayland) fills the shaped-away pixels. Its input region is then the shape. Without a
// compositor the shape is the window system's mask.
//
// Input, focus, geometry and timers arrive at the message handler as numbered
// messages (platform/messages.h). Everything here is UI-thread only; other threads
// use post()/send() of ui_thread.h.
//
// A close request (kClose) never closes the window by itself: the handler decides.
// So QGuiApplication::quit(), which first asks every window to close, is refused;
// the program ends its event loop with QCoreApplication::exit().

#include "platform/input_shape.h"
#include "platform/messages.h"

#include <QImage>
#include <QRect>
#include <QRegion>
#include <QString>

class QTimer;
class QWindow;

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace vamu::platform {

struct WindowHandle {
    std::uint32_t value = 0;
    explicit operator bool() const { return value != 0; }
    bool operator==(const WindowHandle&) const = default;
};

namespace window_flag {
inline constexpr unsigned kBorderless = 0x1;
inline constexpr unsigned kToolWindow = 0x2;  // no task-bar entry
inline constexpr unsigned kTopmost = 0x4;
inline constexpr unsigned kPopup = 0x8;        // grabs the pointer while shown (menus)
inline constexpr unsigned kLayered = 0x10;     // per-pixel alpha
inline constexpr unsigned kNoActivate = 0x20;  // tooltips: never takes the focus
// The comment strip and the now-playing window: above every other window, off the task
// bar and the pager, never framed by a window manager (which would move it and take
// the clicks its input region lets through), never focused. On X11 its window type is
// a notification's.
inline constexpr unsigned kOverlay = 0x40;
}  // namespace window_flag

enum class ShowState { Normal = 0, Minimized = 1, Maximized = 2 };

enum class CursorShape { Arrow, IBeam, Hand, Wait, SizeWE, SizeNS, SizeNWSE, SizeNESW, SizeAll, Forbidden };

// Edges for a system resize: any combination of these bits.
namespace edge {
inline constexpr unsigned kLeft = 1;
inline constexpr unsigned kTop = 2;
inline constexpr unsigned kRight = 4;
inline constexpr unsigned kBottom = 8;
}  // namespace edge

using TimerId = std::uint64_t;
using MessageHandler = std::function<std::intptr_t(const Message&)>;

struct NativeWindowOptions {
    WindowHandle owner;
    QString title;
    QRect geometry{0, 0, 380, 250};  // screen coordinates
    unsigned flags = window_flag::kBorderless;
};

namespace detail {
class QtWindow;
}
class X11ShmPresenter;

// Where a window's frames go instead of its Qt window (platform/layer_surface.h: the
// comment strip on a Wayland compositor with layer surfaces). A window given one never
// shows its Qt window: show, hide, isVisible and present() go to the target.
class PresentationTarget {
public:
    virtual ~PresentationTarget() = default;
    virtual void show() = 0;
    virtual void hide() = 0;
    [[nodiscard]] virtual bool isVisible() const = 0;
    // `frame` is the window's whole back buffer and stays valid while the window
    // lives; `area` is what changed, in its logical pixels.
    virtual void present(const QImage& frame, const QRegion& area) = 0;
};

class NativeWindow {
public:
    [[nodiscard]] static WindowHandle create(const NativeWindowOptions& options);
    [[nodiscard]] static NativeWindow* find(WindowHandle handle);
    [[nodiscard]] static bool isWindow(WindowHandle handle) { return find(handle) != nullptr; }
    // The window whose Qt window this is, or nullptr (accessibility glue starts from Qt's side).
    [[nodiscard]] static NativeWindow* fromQtWindow(const QWindow* window);
    // Delivers kDestroy, forgets the handle at once and frees the window once no
    // delivery to it is running any more.
    static void destroy(WindowHandle handle);

    ~NativeWindow();
    NativeWindow(const NativeWindow&) = delete;
    NativeWindow& operator=(const NativeWindow&) = delete;

    [[nodiscard]] WindowHandle handle() const { return m_handle; }
    [[nodiscard]] WindowHandle owner() const { return m_owner; }
    [[nodiscard]] unsigned flags() const { return m_flags; }
    // Makes the window layered (per-pixel alpha) or not; takes effect before it is shown.
    void setLayered(bool on);
    // Style bits the window was created with (kept for its users, not interpreted here).
    [[nodiscard]] unsigned style() const { return m_style; }
    void setStyle(unsigned style) { m_style = style; }

    // The handler sees every message; what it leaves goes to defaultProc().
    void setMessageHandler(MessageHandler handler);
    // The current handler, so that a wrapper can take its place and hand on to it.
    [[nodiscard]] const MessageHandler& messageHandler() const { return m_handler; }
    std::intptr_t deliver(const Message& message);
    // What an unhandled message does: kClose hides the window; everything else is 0.
    std::intptr_t defaultProc(const Message& message);

    [[nodiscard]] QRect geometry() const;
    void setGeometry(const QRect& geometry);
    void setMinimumSize(QSize size);
    void setMaximumSize(QSize size);
    void show();
    void hide();
    [[nodiscard]] bool isVisible() const;
    [[nodiscard]] ShowState showState() const { return m_showState; }
    void minimize();
    // Maximising is geometry based, so the window's own margin can lie off screen.
    void maximizeTo(const QRect& geometry);
    void restore();
    void setTitle(const QString& title);
    [[nodiscard]] QString title() const;
    void setIcon(const QImage& icon);
    [[nodiscard]] const QImage& icon() const { return m_icon; }
    void setTopmost(bool on);
    void raise();
    void activate();
    [[nodiscard]] bool isActive() const;
    // This very window has the keyboard focus (isActive() also answers true while a
    // window it owns has it).
    [[nodiscard]] bool hasFocus() const;
    // While this window has the focus: asks the handler for the input method's state
    // again (kImeRequest, platform/input_method.h) after focus, caret or text
    // changes; or ends a composition by committing what has been composed. Without
    // an answer to kImeRequest, setInputMethodEnabled and setInputMethodRect hold.
    void updateInputMethod();
    void commitInputMethod();
    // Whole-window opacity for fades, 0..1.
    void setOpacity(double opacity);
    [[nodiscard]] double opacity() const { return m_opacity; }

    // Window-sized ARGB32 premultiplied in device pixels (devicePixelRatio() set on
    // it); resizeBackBuffer() follows size changes, given in logical pixels.
    [[nodiscard]] QImage& backBuffer() { return m_backBuffer; }
    void resizeBackBuffer(QSize size);
    // The back buffer's size in logical pixels.
    [[nodiscard]] QSize backBufferSize() const { return m_backBufferSize; }
    // Device pixels per logical pixel of the screen the window is on (1 on an
    // ordinary screen, 2 with QT_SCALE_FACTOR=2). When it changes (the window moved
    // to another screen) the back buffer is made again, blank, and the handler gets
    // kDpiChanged (wParam = the new ratio in hundredths) to compose it anew.
    [[nodiscard]] qreal devicePixelRatio() const { return m_ratio; }
    // Copies the region (window coordinates) of the back buffer to the screen.
    void present(const QRegion& region);
    // From now on the window shows through this target (hidden first if shown). The
    // window's opacity and input region do not apply to it: the target has its own.
    void setPresentationTarget(std::unique_ptr<PresentationTarget> target);
    [[nodiscard]] PresentationTarget* presentationTarget() const { return m_target.get(); }
    // The X11 shared-memory presenter, once a frame went through it (none elsewhere).
    [[nodiscard]] const X11ShmPresenter* shmPresenter() const { return m_shmPresenter.get(); }
    // The visible shape: empty = the whole rectangle.
    void setShape(const QRegion& shape);
    // Rebuilds the shape of a layered window from the back buffer's alpha when no
    // compositor blends it; does nothing otherwise.
    void updateShapeFromAlpha();
    [[nodiscard]] bool perPixelAlpha() const { return m_perPixelAlpha; }
    // The surface has an alpha channel (a compositor blends windows), layered or not.
    [[nodiscard]] bool alphaSurface() const { return m_alphaSurface; }
    // The input region last given to the window system, for tests: empty while none
    // was set. In device pixels, as the X server takes it (logical pixels times
    // devicePixelRatio()).
    [[nodiscard]] const std::optional<std::vector<QRect>>& inputShape() const { return m_inputShape; }
    // A fixed input region (logical pixels) in place of the drawn pixels: an empty region
    // lets every click through to what lies below. None: the region follows what is
    // drawn again.
    void setInputOverride(std::optional<QRegion> region);
    [[nodiscard]] const std::optional<QRegion>& inputOverride() const { return m_inputOverride; }
    // How often, at most, the input region follows presented frames (a comment moves
    // 2 pixels a frame: less than one of the region's cells in this time).
    static constexpr std::chrono::milliseconds kInputShapeInterval{100};
    [[nodiscard]] int presentCount() const { return m_presentCount; }
    // True while a delivery to this window is running.
    [[nodiscard]] bool busy() const { return m_deliveryDepth > 0; }

    // A timer delivers kTimer (wParam = id) or calls the callback, on the UI thread.
    // Setting a running id restarts it with the new interval.
    void setTimer(TimerId id, std::chrono::milliseconds interval, std::function<void()> callback = {});
    void killTimer(TimerId id);
    [[nodiscard]] bool hasTimer(TimerId id) const;

    void setCursor(CursorShape shape);
    void setCursor(const QImage& image, QPoint hotSpot);
    [[nodiscard]] CursorShape cursor() const { return m_cursor; }
    void setCapture(bool on);
    // Moves or resizes through the window manager when it offers that; otherwise the
    // window follows the mouse itself until the button is released.
    void startSystemMove();
    void startSystemResize(unsigned edges);
    [[nodiscard]] bool inManualDrag() const;

    // The Qt window behind this one, for platform glue and tests that feed it events.
    [[nodiscard]] QWindow* qtWindow() const;

    // Whether files dragged over the window are accepted (delivered as kDropFiles).
    void setAcceptDrops(bool on);

    void setInputMethodEnabled(bool on);
    void setInputMethodRect(const QRect& rect);

private:
    friend class detail::QtWindow;
    explicit NativeWindow(const NativeWindowOptions& options, WindowHandle handle);
    // Input from the window system: dropped while a modal window keeps it (modal.h).
    void translate(const Message& message);
    // With per-pixel alpha: reads the presented area's alpha into the input region.
    // At most once per kInputShapeInterval: an animation presents every frame, and
    // reading a wide strip's alpha each time costs more than drawing it. What comes
    // within the interval is read once at its end.
    void updateInputShape(const QRegion& area);
    void applyInputShape();
    // On a surface with alpha that is not layered: the shape (or the whole window) takes input.
    void applyShapeInput();
    void giveInputShape(std::vector<QRect> rectangles);
    // Follows a move to a screen of another device pixel ratio (qt_window.cpp).
    void screenChanged();
    void allocateBackBuffer();

    WindowHandle m_handle;
    WindowHandle m_owner;
    unsigned m_flags = 0;
    unsigned m_style = 0;
    std::unique_ptr<detail::QtWindow> m_window;
    std::unique_ptr<PresentationTarget> m_target;
    // X11's way to present without waiting for the server; none elsewhere, or once it failed.
    std::unique_ptr<X11ShmPresenter> m_shmPresenter;
    bool m_shmTried = false;
    MessageHandler m_handler;
    QImage m_backBuffer;
    QSize m_backBufferSize;  // logical pixels
    qreal m_ratio = 1.0;
    QImage m_icon;
    QRegion m_shape;
    ShowState m_showState = ShowState::Normal;
    QRect m_normalGeometry;
    double m_opacity = 1.0;
    bool m_perPixelAlpha = false;
    bool m_alphaSurface = false;
    detail::DrawnCells m_drawnCells;
    std::optional<std::vector<QRect>> m_inputShape;
    bool m_inputShapeUnavailable = false;
    std::optional<QRegion> m_inputOverride;
    QRegion m_inputShapeArea;  // device pixels presented since the region was last read
    std::unique_ptr<QTimer> m_inputShapeTimer;
    CursorShape m_cursor = CursorShape::Arrow;
    int m_deliveryDepth = 0;
    bool m_destroyed = false;
    int m_presentCount = 0;
};

}  // namespace vamu::platform
