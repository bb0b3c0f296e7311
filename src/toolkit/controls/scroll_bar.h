#pragma once
// The scroll bar: a thumb in a track between two arrows, horizontal or vertical,
// drawn from the theme's "ScrollBar" parts ("h_" or "v_" in front of every key).
//
// The position runs from MinPos to MaxPos − ViewPos (ViewPos is the visible amount,
// which also sets the thumb's length, at least the thumb grid's two caps, and 20
// pixels on tracks longer than 200); it is clamped whenever the range or the view
// changes. Arrows step by LineChange, presses in the track by PageChange; holding
// the button repeats the step every 200 ms (page steps stop once the thumb has
// reached the mouse). Dragging the thumb maps the mouse to a position.
//
// Every change made by the mouse or the wheel raises the scroll event (20501) with
// the new position and a ScrollCode; setters raise it only when asked to
// (Notify::Yes), and changes of the range always report a clamp with code Set.
//
// bFlags selects the parts drawn: 1 thumb, 2 arrows, 4 track (default 7). hFlags
// shapes a slim bar: 8 shows the track only while the mouse is over the bar, 16
// leaves out the arrows (the track takes the whole length); other bits are kept.
// UI thread only.

#include "toolkit/controls/control.h"
#include "toolkit/controls/control_properties.h"

#include <functional>

namespace vamu::toolkit {

namespace tkm {
inline constexpr MessageId kScroll = 20501;  // wParam ScrollCode, lParam the new position
}  // namespace tkm

enum class ScrollCode : int {
    Set = 0,          // position set or clamped
    LineBack = 1,     // up or left arrow, wheel up
    LineForward = 2,  // down or right arrow, wheel down
    PageBack = 3,
    PageForward = 4,
    DragEnd = 5,
    DragMove = 6,
};

enum class Orientation { Horizontal = 1, Vertical = 2 };

class ScrollBar : public BaseControl, public PropertyHolder {
public:
    enum class Notify { No, Yes };
    // Parts under the mouse.
    enum Part : int { kNoPart = 0, kThumb = 1, kBackArrow = 2, kForwardArrow = 4, kTrack = 8 };
    using ScrollHandler = std::function<void(ScrollBar&, int position, ScrollCode code)>;

    static constexpr int kRepeatIntervalMs = 200;
    static constexpr int kDrawThumb = 1;
    static constexpr int kDrawArrows = 2;
    static constexpr int kDrawTrack = 4;
    static constexpr int kTrackOnHover = 8;
    static constexpr int kNoArrows = 16;

    // Focusable, no Tab stop, no focus rectangle, hover cross-fades of 8 frames at 25 ms.
    [[nodiscard]] static CreateOptions defaultOptions();
    static ScrollBar* create(ControlParent parent, const QRect& rect, Orientation orientation = Orientation::Horizontal,
                             const CreateOptions& options = defaultOptions());

    [[nodiscard]] Orientation orientation() const { return m_orientation; }
    [[nodiscard]] bool horizontal() const { return m_orientation == Orientation::Horizontal; }

    [[nodiscard]] int pos() const { return m_pos; }
    // Clamped to the range; answers whether the position changed.
    bool setPos(int position, Notify notify = Notify::No);
    [[nodiscard]] int minPos() const { return m_minPos; }
    void setMinPos(int value) { setRange(value, m_maxPos); }
    [[nodiscard]] int maxPos() const { return m_maxPos; }
    void setMaxPos(int value) { setRange(m_minPos, value); }
    void setRange(int minimum, int maximum);
    [[nodiscard]] int viewPos() const { return m_viewPos; }
    void setViewPos(int value);
    // The highest position the range allows (never below MinPos).
    [[nodiscard]] int lastPos() const;
    [[nodiscard]] int pageChange() const { return m_pageChange; }
    void setPageChange(int value) { m_pageChange = value; }
    [[nodiscard]] int lineChange() const { return m_lineChange; }
    void setLineChange(int value) { m_lineChange = value; }
    // Whether a thumb drag reports every move (DragMove) or only its end.
    [[nodiscard]] bool trackEvent() const { return m_trackEvent; }
    void setTrackEvent(bool on) { m_trackEvent = on; }
    [[nodiscard]] int bFlags() const { return m_bFlags; }
    void setBFlags(int flags);
    [[nodiscard]] int hFlags() const { return m_hFlags; }
    void setHFlags(int flags);

    void bindScroll(ScrollHandler handler);

    // Layout in control coordinates.
    [[nodiscard]] QRect backArrowRect() const { return m_backArrow; }
    [[nodiscard]] QRect forwardArrowRect() const { return m_forwardArrow; }
    [[nodiscard]] QRect trackRect() const { return m_track; }
    [[nodiscard]] QRect thumbRect() const { return m_thumb; }
    [[nodiscard]] Part partAt(QPoint local) const;
    // The position a thumb whose leading edge sits at this offset along the bar stands for.
    [[nodiscard]] int positionAtThumbOffset(int offset) const;
    [[nodiscard]] Part hotPart() const { return m_hotPart; }
    [[nodiscard]] Part pressedPart() const { return m_pressedPart; }
    [[nodiscard]] bool dragging() const { return m_dragging; }
    [[nodiscard]] bool repeating() const { return m_repeating; }

    explicit ScrollBar(Orientation orientation) : m_orientation(orientation) {}
    // By name: "Pos" (position, notify flag), "MinPos", "MaxPos", "PageChange",
    // "LineChange", "TrackEvent", "bFlags", "hFlags", "ViewPos".
    std::optional<PropertyValues> property(std::string_view name, const PropertyValues* set) override;

protected:
    void onCreate(int createData) override;
    void onDestroy() override;
    void onPaint(QPainter& painter, const PaintContext& context) override;
    void onMouseMove(QPoint local, int modifiers) override;
    void onLeftDown(QPoint local, int modifiers) override;
    void onLeftUp(QPoint local, int modifiers) override;
    void onMouseLeave(ControlHandle next) override;
    bool onWheel(int delta, QPoint local, int modifiers) override;
    void onTimer() override;
    void onHide() override;
    void onGeometryChanged(const QRect& old) override;
    void onThemeChanged() override;

private:
    [[nodiscard]] int along(QPoint point) const { return horizontal() ? point.x() : point.y(); }
    [[nodiscard]] std::string key(std::string_view name) const;
    [[nodiscard]] int clamp(int position) const;
    void layout();
    void placeThumb();
    // Moves by delta (clamped) and reports it; false when it could not move.
    bool step(int delta, ScrollCode code);
    void report(ScrollCode code);
    // Repaints without the hover cross-fade (presses, repeats, drags).
    void repaintAtOnce();
    void stopRepeat();
    [[nodiscard]] bool thumbReachedMouse() const;

    Orientation m_orientation = Orientation::Horizontal;
    int m_pos = 0;
    int m_minPos = 0;
    int m_maxPos = 100;
    int m_viewPos = 0;
    int m_pageChange = 10;
    int m_lineChange = 1;
    bool m_trackEvent = true;
    int m_bFlags = kDrawThumb | kDrawArrows | kDrawTrack;
    int m_hFlags = 0;
    int m_dragOffset = 0;  // where in the thumb the drag took it
    int m_repeatStep = 0;  // signed step of the auto-repeat
    ScrollCode m_repeatCode = ScrollCode::Set;
    bool m_repeating = false;
    bool m_dragging = false;
    QPoint m_mouse;  // last mouse position while the button is held
    Part m_hotPart = kNoPart;
    Part m_pressedPart = kNoPart;
    QRect m_backArrow;
    QRect m_forwardArrow;
    QRect m_track;
    QRect m_thumb;
    int m_thumbLength = 0;
    int m_minThumbLength = 8;
};

}  // namespace vamu::toolkit
