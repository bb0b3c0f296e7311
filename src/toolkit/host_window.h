#pragma once
// A skinned, borderless top-level window: it binds to a native window (attach),
// paints its skin and shadow frame into a background picture once, composes its
// windowless controls over it into the back buffer and presents the result; it draws
// its own caption, moves and sizes itself through its border zones and routes input
// to its controls (host_input.cpp). Window-level events are bound like a control's.
//
// The object belongs to the application; the native window belongs to the platform.
// Destroying the native window (destroyWindow) destroys every control of the host.
// UI thread only.

#include "platform/native_window.h"
#include "platform/window_animation.h"
#include "toolkit/controls/control_root.h"
#include "toolkit/host_types.h"

#include <QImage>
#include <QRegion>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace vamu::toolkit {

class ThemePack;
class TooltipWindow;

// What createNativeWindow makes: a borderless window, by default 380 x 250 and
// centred in the work area.
struct WindowSetup {
    platform::WindowHandle owner;
    QString title;
    std::optional<int> left;
    std::optional<int> top;
    std::optional<QSize> size;
    bool sizable = false;
    std::optional<bool> inTaskBar;  // unowned: on unless false; owned: off unless true
    unsigned style = style::kDefault;
    bool topmost = false;
    // A desktop overlay (platform::window_flag::kOverlay): above everything, unframed.
    bool overlay = false;
    // A real popup of its owner (menus on Wayland, where only a popup opens beside its
    // opener and closes on a click elsewhere).
    bool popup = false;
};

// Creates the native window a host window attaches to; an empty handle on failure.
[[nodiscard]] platform::WindowHandle createNativeWindow(const WindowSetup& setup);

class HostWindow : public EventControl {
public:
    HostWindow();
    ~HostWindow() override;
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;

    // Binds to the native window; false when it is not a window or already bound.
    bool attach(platform::WindowHandle window, const AttachOptions& options = {});
    [[nodiscard]] static HostWindow* fromWindow(platform::WindowHandle window);
    [[nodiscard]] platform::WindowHandle windowHandle() const { return m_window; }
    [[nodiscard]] platform::NativeWindow* nativeWindow() const;
    [[nodiscard]] ControlRoot& controls() { return *m_root; }
    [[nodiscard]] const Frame& frame() const { return m_frame; }

    // Theme and frame (host_frame.cpp).
    void setTheme(const ThemePack* theme, std::optional<std::vector<QRgb>> borderColours = {},
                  Layout layout = Layout::Apply);
    [[nodiscard]] const ThemePack* theme() const { return m_theme; }
    // The skin: picture (null = none) and Windows colour value (-1 = none given).
    void setBackground(const QImage& picture, long long colour = -1, Redraw redraw = Redraw::Yes);
    void repaintBackground(Redraw redraw = Redraw::Yes);
    [[nodiscard]] QRgb backgroundArgb() const;
    [[nodiscard]] long long backgroundColour() const { return m_backgroundColour; }
    void setFillType(int fillType) { m_fillType = fillType; }
    void setBackgroundGrid(const QRect& grid) { m_backgroundGrid = grid; }
    void setBackgroundOffset(QPoint offset) { m_backgroundOffset = offset; }
    void setMargin(int left, int top, int right, int bottom, Redraw redraw = Redraw::Yes);
    void setCornerRadius(int radius);
    void setPaintHook(std::function<void(QPainter&, QSize)> hook) { m_paintHook = std::move(hook); }
    void updateRegion();
    void presentWhole();

    void show(platform::WindowAnimation animation = platform::WindowAnimation::None,
              std::chrono::milliseconds duration = {});
    void setCloseAnimation(platform::WindowAnimation animation, std::chrono::milliseconds duration);
    // Asks the window to close (the close event may refuse).
    void close();
    void destroyWindow();

    void move(std::optional<int> left, std::optional<int> top, std::optional<int> width = {},
              std::optional<int> height = {});
    [[nodiscard]] QRect geometry() const;
    [[nodiscard]] int left() const { return geometry().x(); }
    [[nodiscard]] int top() const { return geometry().y(); }
    [[nodiscard]] int width() const { return m_size.width(); }
    [[nodiscard]] int height() const { return m_size.height(); }
    [[nodiscard]] QString title() const;
    void setTitle(const QString& title);
    void setIcon(const QImage& icon);
    // 0 normal, 1 minimised, 2 maximised; setting 3 centres the window on the screen.
    [[nodiscard]] int showState() const;
    void setShowState(int state);
    void setTopmost(bool on);

    // The caption element with the given flag (caption::k...), or nullptr.
    [[nodiscard]] BaseControl* captionControl(unsigned flag) const;
    [[nodiscard]] unsigned captionFlags() const { return m_captionFlags; }
    void setCloseOnEscape(bool on) { m_closeOnEscape = on; }
    [[nodiscard]] bool closeOnEscape() const { return m_closeOnEscape; }
    void setSizeBox(bool on) { m_sizeBox = on; }
    [[nodiscard]] bool sizeBox() const { return m_sizeBox; }
    void setMovable(bool on) { m_movable = on; }
    [[nodiscard]] bool movable() const { return m_movable; }
    // Minimum and maximum window sizes; (0, 0) = none.
    void setTrackSizes(QSize minimum, QSize maximum);
    [[nodiscard]] QSize minimumTrackSize() const;
    [[nodiscard]] QSize maximumTrackSize() const;
    [[nodiscard]] int alpha() const { return m_alpha; }

    std::intptr_t send(const Message& message);
    void post(const Message& message);
    // Called first for every message; an answer ends its processing.
    void setMessageHook(std::function<std::optional<std::intptr_t>(const Message&)> hook) { m_hook = std::move(hook); }
    void bindClose(EventHandler h) { bind(msg::kClose, std::move(h)); }
    void bindMoved(EventHandler h) { bind(msg::kMove, std::move(h)); }
    void bindActivated(EventHandler h) { bind(msg::kActivate, std::move(h)); }
    void bindFirstActivation(EventHandler h) { bind(tkm::kFirstActivation, std::move(h)); }
    void bindDeactivated(EventHandler h) { bind(tkm::kDeactivated, std::move(h)); }

    // For the control model.
    [[nodiscard]] bool paintReady() const { return m_paintReady; }
    [[nodiscard]] QImage& backBuffer();
    // Device pixels per logical pixel of the window's screen (1 without a window): the
    // ratio every surface of this host is made at (controls/surface.h).
    [[nodiscard]] qreal devicePixelRatio() const;
    [[nodiscard]] const QImage& background() const { return m_background; }
    [[nodiscard]] const QRegion& clipRegion() const { return m_clipRegion; }
    void present(const QRegion& area);
    [[nodiscard]] TooltipWindow& tooltip();
    // The message procedure (host_input.cpp).
    std::intptr_t windowProc(const Message& message);

private:
    friend class HostInput;

    void readFrame(Layout layout);
    void paintFrame(QImage& target) const;
    void buildCaption();
    void layoutCaption();
    void sized(QSize size);
    // The window moved to a screen of another device pixel ratio: every surface is
    // made again at the new ratio and drawn anew.
    void ratioChanged();
    [[nodiscard]] QRect maximizedGeometry() const;
    void destroyed();
    [[nodiscard]] Event windowEvent(const Message& message) const;
    [[nodiscard]] QRegion contentRegion(const QRect& rect, int radius) const;

    platform::WindowHandle m_window;
    platform::WindowHandle m_owner;
    std::unique_ptr<ControlRoot> m_root;
    const ThemePack* m_theme = nullptr;
    std::unique_ptr<ThemePack> m_ownTheme;
    Frame m_frame;
    unsigned m_captionFlags = 0;
    int m_alpha = -1;
    bool m_shadow = true;
    int m_fillType = 1;
    QRect m_backgroundGrid;
    QPoint m_backgroundOffset;
    QImage m_backgroundPicture;
    long long m_backgroundColour = -1;
    QImage m_background;
    QRegion m_clipRegion;
    QSize m_size;
    bool m_sizeBox = false;
    bool m_movable = true;
    bool m_closeOnEscape = false;
    bool m_paintReady = false;
    bool m_firstActivationSeen = false;
    bool m_shown = false;
    int m_cornerRadiusSetting = -1;
    QSize m_minTrack;
    QSize m_maxTrack;
    platform::WindowAnimation m_closeAnimation = platform::WindowAnimation::None;
    std::chrono::milliseconds m_closeDuration{0};
    std::vector<std::pair<unsigned, ControlHandle>> m_captionControls;
    std::function<void(QPainter&, QSize)> m_paintHook;
    std::function<std::optional<std::intptr_t>(const Message&)> m_hook;
    std::unique_ptr<TooltipWindow> m_tooltip;
    std::shared_ptr<int> m_alive = std::make_shared<int>(0);
};

}  // namespace vamu::toolkit
