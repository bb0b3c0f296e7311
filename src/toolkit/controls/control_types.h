#pragma once
// Value types around a control: creation options, the parent reference, z-order
// positions, anchors and the contexts handed to painting hooks.

#include "platform/native_window.h"
#include "toolkit/controls/events.h"

#include <QImage>
#include <QPainter>
#include <QPoint>
#include <QRect>

#include <optional>

namespace vamu::toolkit {

class BaseControl;
class HostWindow;

// Where a control is created or moved to: a host window (top level) or a control.
struct ControlParent {
    ControlParent(HostWindow& host) : host(&host) {}
    ControlParent(BaseControl& control) : control(&control) {}
    ControlParent(BaseControl* control) : control(control) {}
    HostWindow* host = nullptr;
    BaseControl* control = nullptr;
};

// Options of create(); every default is the base control's.
struct CreateOptions {
    bool visible = true;
    bool focusable = true;
    bool mouseTrack = true;  // false: a press acts on the window below (dragging)
    bool tabStop = true;
    int tabStopIndex = 0;
    bool drawTabStop = true;                             // draw the focus rectangle when focused by keyboard
    std::optional<platform::CursorShape> cursor;         // none: the default arrow
    std::optional<platform::CursorShape> pressedCursor;  // none: the cursor option
    int animationInterval = 0;                           // ms between frames of a state animation
    int animationFrames = 0;                             // 0 = state changes show at once
    int animationType = 1;                               // easing curve of the state animation
    int createData = 0;                                  // wParam of the creation message
};

// setZOrder positions.
enum class ZOrder { Bottom = 1, Top = 2, Down = 3, Up = 4, SecondFromBottom = 5, SecondFromTop = 6 };

// LockPos anchor bits.
namespace anchor {
inline constexpr unsigned kLeft = 1;
inline constexpr unsigned kTop = 2;
inline constexpr unsigned kRight = 4;
inline constexpr unsigned kBottom = 8;
}  // namespace anchor

// What onPaint() gets between begin and end painting.
struct PaintContext {
    QRect dirty;  // the area being painted, control coordinates
    QRect whole;  // (0, 0, width, height)
    std::uint32_t state = 0;
    bool cleared = true;  // the dirty area was cleared to transparent
};

// Offered to a control with TKM_DRAW_ANIMATION_FRAME; a control that draws the frame
// itself onto `target` answers nonzero and the default cross-fade is skipped.
struct AnimationFrameContext {
    QPainter* target = nullptr;  // the back buffer, clipped to the area
    const QImage* surface = nullptr;
    const QImage* snapshot = nullptr;
    QRect controlRect;  // back-buffer coordinates
    QRect area;         // back-buffer coordinates
    int frame = 0;
    int frames = 0;
    double progress = 0.0;  // eased, 0..1
    int alpha = 255;
};

// Result of a hit test: the control and the point in its coordinates.
struct HitResult {
    BaseControl* control = nullptr;
    QPoint local;
};

}  // namespace vamu::toolkit
