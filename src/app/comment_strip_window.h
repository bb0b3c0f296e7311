#pragma once
// The comment strip: a borderless, layered window along the top of the screen (the
// screen's width less 300, 150 high, top 1, centred in the work area) without a task
// bar entry and not movable, with rounded corners. Bullet comments move in it; it is
// shown or hidden with the comments switch. It lets every click through to the windows
// below, except where setInput() says otherwise (a comment under the pointer while Ctrl
// is held). UI thread only.

#include "toolkit/host_window.h"

#include <QRegion>

#include <memory>
#include <string_view>

namespace vamu::app {

class CommentStripWindow {
public:
    static constexpr int kHeight = 150;
    static constexpr int kWidthLess = 300;  // than the screen's width
    static constexpr int kTop = 1;
    static constexpr int kCornerRadius = 20;

    // Creates and attaches the window, then shows it when `shown`.
    explicit CommentStripWindow(bool shown);
    ~CommentStripWindow();
    CommentStripWindow(const CommentStripWindow&) = delete;
    CommentStripWindow& operator=(const CommentStripWindow&) = delete;

    [[nodiscard]] bool valid() const;
    [[nodiscard]] toolkit::HostWindow& host() { return *m_host; }
    [[nodiscard]] platform::WindowHandle handle() const;
    void setShown(bool shown);
    [[nodiscard]] bool isShown() const;
    // The part of the strip that takes the mouse (strip coordinates); empty: none.
    void setInput(const QRegion& region);

    // Whether this desktop can show the strip at the top of the screen above every
    // window: X11 (Xwayland included) can, and so can a Wayland compositor that offers
    // layer surfaces (platform/layer_surface.h), where the strip shows as one. Native
    // Wayland has no portable protocol for it, and a strip placed by the compositor
    // mid-screen is worse than none: elsewhere there the strip never shows and the
    // comments switch says why (kUnsupportedTips).
    [[nodiscard]] static bool supported();
    static constexpr std::string_view kUnsupportedTips = "此桌面不支持弹幕窗口";

    // Where the strip goes on a screen with this work area and screen size.
    [[nodiscard]] static QRect placeFor(const QRect& screen, const QRect& workArea);

private:
    std::unique_ptr<toolkit::HostWindow> m_host;
};

}  // namespace vamu::app
