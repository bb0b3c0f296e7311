#pragma once
// Value types of host windows: caption flags, attach options and the frame values
// read from the theme.

#include "platform/native_window.h"

#include <QImage>
#include <QRect>
#include <QRgb>

#include <optional>
#include <vector>

namespace vamu::toolkit {

class ThemePack;

namespace caption {
inline constexpr unsigned kIcon = 1;
inline constexpr unsigned kTitle = 2;
inline constexpr unsigned kClose = 4;
inline constexpr unsigned kMax = 8;
inline constexpr unsigned kMin = 16;
inline constexpr unsigned kMenu = 32;
inline constexpr unsigned kSkin = 64;
inline constexpr unsigned kReport = 128;
inline constexpr unsigned kSetting = 256;
// Icon, title and close, plus maximise/minimise when the window style has them.
inline constexpr unsigned kAuto = 1024;
}  // namespace caption

// Window style bits of native windows (the classic values); see windowStyle().
namespace style {
inline constexpr unsigned kMaximizeBox = 0x10000;
inline constexpr unsigned kMinimizeBox = 0x20000;
inline constexpr unsigned kThickFrame = 0x40000;
inline constexpr unsigned kDefault = kMaximizeBox | kMinimizeBox;
}  // namespace style

enum class Redraw { No, Yes };
enum class Layout { Apply, Skip };

struct AttachOptions {
    platform::WindowHandle owner;
    const ThemePack* theme = nullptr;  // none: the owner's theme, else the current one
    QImage backgroundPicture;
    long long backgroundColour = -1;  // Windows colour value (red in the low byte); -1 none
    unsigned captionFlags = caption::kAuto;
    std::optional<int> alpha;  // 0..255 layered; -1 not layered; none: the owner's or -1
    int fillType = 1;          // of the background picture
    QRect backgroundGrid;
    std::optional<std::vector<QRgb>> borderColours;  // none: the theme's
    int cornerRadius = -1;                           // -1: the theme's
    bool movable = true;
    // A layered window's shadow ring; a window that should leave nothing on the screen
    // where it draws nothing (the comment strip) goes without.
    bool shadow = true;
};

// The frame of a host window, read from "SysShadow.HostWnd" or "SysShadow.SubWnd".
struct Frame {
    int marginLeft = 0;  // inset of the content from the window rectangle;
    int marginTop = 0;   // right and bottom are negative
    int marginRight = 0;
    int marginBottom = 0;
    int cornerRadius = 0;
    std::vector<QRgb> borderColours;  // outermost first
    int captionHeight = 0;
    int captionTopOffset = 0;   // (max(captionHeight, 16) - 16) / 2
    int buttonOffsetRight = 0;  // "offsetright" of "SysButton"
    int buttonTop = 0;          // "top" of "SysButton"
    QRect contentRect;          // window coordinates

    [[nodiscard]] QPoint origin() const { return {marginLeft, marginTop}; }
};

}  // namespace vamu::toolkit
