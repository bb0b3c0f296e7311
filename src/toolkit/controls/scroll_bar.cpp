#include "toolkit/controls/scroll_bar.h"

#include "toolkit/accessibility.h"
#include "toolkit/controls/class_events.h"
#include "toolkit/controls/class_names.h"
#include "toolkit/controls/control_internal.h"
#include "toolkit/controls/paint.h"
#include "toolkit/engine.h"
#include "toolkit/host_window.h"
#include "toolkit/theme_names.h"

#include <algorithm>
#include <limits>
#include <string>

namespace vamu::toolkit {
namespace {

constexpr std::string_view kSection = theme::kScrollBar;
// A thumb shorter than this is hard to hit with the mouse. Only tracks longer than
// kLongTrack keep it, so that short bars (a volume bar) keep their thumb's travel.
constexpr int kMinGrabLength = 20;
constexpr int kLongTrack = 200;

// Without a theme the parts are plain translucent fills.
void fallbackFill(QPainter& painter, const QRect& rect, int alpha) { painter.fillRect(rect, QColor(0, 0, 0, alpha)); }

}  // namespace

CreateOptions ScrollBar::defaultOptions() {
    CreateOptions options;
    options.focusable = true;
    options.tabStop = false;
    options.drawTabStop = false;
    options.animationInterval = 25;
    options.animationFrames = 8;
    return options;
}

ScrollBar* ScrollBar::create(ControlParent parent, const QRect& rect, Orientation orientation,
                             const CreateOptions& options) {
    return BaseControl::create(std::make_unique<ScrollBar>(orientation), parent, rect, kind::kScrollBar,
                               names::kScrollBar, options);
}

void ScrollBar::bindScroll(ScrollHandler handler) {
    bind(tkm::kScroll, typedHandler<ScrollBar>([handler = std::move(handler)](ScrollBar& bar, const Event& event) {
             handler(bar, secondValue(event), static_cast<ScrollCode>(firstValue(event)));
         }));
}

std::optional<PropertyValues> ScrollBar::property(std::string_view name, const PropertyValues* set) {
    const auto value = [&] { return static_cast<int>(intArgument(*set, 0)); };
    if (name == "Pos") {
        if (set) setPos(value(), intArgument(*set, 1) != 0 ? Notify::Yes : Notify::No);
        return PropertyValues{static_cast<long long>(m_pos)};
    }
    struct Field {
        std::string_view name;
        int ScrollBar::*member;
        void (ScrollBar::*setter)(int);
    };
    static constexpr Field kFields[] = {
        {"MinPos", &ScrollBar::m_minPos, &ScrollBar::setMinPos},
        {"MaxPos", &ScrollBar::m_maxPos, &ScrollBar::setMaxPos},
        {"PageChange", &ScrollBar::m_pageChange, &ScrollBar::setPageChange},
        {"LineChange", &ScrollBar::m_lineChange, &ScrollBar::setLineChange},
        {"bFlags", &ScrollBar::m_bFlags, &ScrollBar::setBFlags},
        {"hFlags", &ScrollBar::m_hFlags, &ScrollBar::setHFlags},
        {"ViewPos", &ScrollBar::m_viewPos, &ScrollBar::setViewPos},
    };
    for (const Field& field : kFields) {
        if (name != field.name) continue;
        if (set) (this->*field.setter)(value());
        return PropertyValues{static_cast<long long>(this->*field.member)};
    }
    if (name == "TrackEvent") {
        if (set) setTrackEvent(value() != 0);
        return PropertyValues{m_trackEvent ? 1LL : 0LL};
    }
    return std::nullopt;
}

std::string ScrollBar::key(std::string_view name) const {
    std::string result = horizontal() ? "h_" : "v_";
    result.append(name);
    return result;
}

int ScrollBar::lastPos() const { return std::max(m_minPos, m_maxPos - m_viewPos); }

int ScrollBar::clamp(int position) const { return std::clamp(position, m_minPos, lastPos()); }

void ScrollBar::onCreate(int) { layout(); }

void ScrollBar::onDestroy() {
    m_repeating = false;
    m_dragging = false;
}

void ScrollBar::onGeometryChanged(const QRect&) { layout(); }

void ScrollBar::onThemeChanged() {
    layout();
    redraw();
}

void ScrollBar::layout() {
    const ThemePack* theme = host() ? host()->theme() : nullptr;
    const int length = horizontal() ? width() : height();
    const int thickness = horizontal() ? height() : width();
    int arrow = 0;
    if ((m_bFlags & kDrawArrows) && !(m_hFlags & kNoArrows)) {
        const auto region = engine::getPackImageRect(theme, kSection, key(horizontal() ? "left_normal" : "up_normal"));
        arrow = region ? static_cast<int>(horizontal() ? region->rect.width() : region->rect.height()) : thickness;
        arrow = std::min(arrow, length / 2);
    }
    if (horizontal()) {
        m_backArrow = QRect(0, 0, arrow, thickness);
        m_forwardArrow = QRect(length - arrow, 0, arrow, thickness);
        m_track = QRect(arrow, 0, std::max(0, length - 2 * arrow), thickness);
    } else {
        m_backArrow = QRect(0, 0, thickness, arrow);
        m_forwardArrow = QRect(0, length - arrow, thickness, arrow);
        m_track = QRect(0, arrow, thickness, std::max(0, length - 2 * arrow));
    }
    // The thumb never gets shorter than its two nine-grid caps.
    const std::optional<QRect> grid = engine::getPackRect(theme, kSection, key("gird"));
    m_minThumbLength = grid ? 2 * (horizontal() ? grid->x() : grid->y()) : 8;
    placeThumb();
}

void ScrollBar::placeThumb() {
    const int trackLength = horizontal() ? m_track.width() : m_track.height();
    const long long span = static_cast<long long>(m_maxPos) - m_minPos;
    long long length = trackLength;
    if (span > 0) length = std::clamp<long long>(m_viewPos, 0, span) * trackLength / span;
    const int minimum = trackLength > kLongTrack ? std::max(m_minThumbLength, kMinGrabLength) : m_minThumbLength;
    length = std::min<long long>(std::max<long long>(length, minimum), trackLength);
    m_thumbLength = static_cast<int>(length);
    const int travel = trackLength - m_thumbLength;
    const long long range = static_cast<long long>(lastPos()) - m_minPos;
    long long offset = 0;
    if (travel > 0 && range > 0) offset = (static_cast<long long>(m_pos) - m_minPos) * travel / range;
    offset = std::clamp<long long>(offset, 0, std::max(travel, 0));
    if (horizontal())
        m_thumb = QRect(m_track.x() + static_cast<int>(offset), m_track.y(), m_thumbLength, m_track.height());
    else
        m_thumb = QRect(m_track.x(), m_track.y() + static_cast<int>(offset), m_track.width(), m_thumbLength);
}

int ScrollBar::positionAtThumbOffset(int offset) const {
    const int start = horizontal() ? m_track.x() : m_track.y();
    const int travel = (horizontal() ? m_track.width() : m_track.height()) - m_thumbLength;
    const long long range = static_cast<long long>(lastPos()) - m_minPos;
    const int into = offset - start;
    if (travel <= 0 || range <= 0 || into <= 0) return m_minPos;
    if (into >= travel) return lastPos();
    return m_minPos + static_cast<int>((into * range + travel / 2) / travel);
}

ScrollBar::Part ScrollBar::partAt(QPoint local) const {
    if (!QRect(0, 0, width(), height()).contains(local)) return kNoPart;
    if (m_backArrow.contains(local)) return kBackArrow;
    if (m_forwardArrow.contains(local)) return kForwardArrow;
    if (m_thumb.contains(local)) return kThumb;
    if (m_track.contains(local)) return kTrack;
    return kNoPart;
}

bool ScrollBar::setPos(int position, Notify notify) {
    position = clamp(position);
    if (position == m_pos) return false;
    m_pos = position;
    placeThumb();
    repaintAtOnce();
    if (notify == Notify::Yes && isCreated())
        report(ScrollCode::Set);
    else if (isCreated())
        accessibility::valueChanged(*this);
    return true;
}

void ScrollBar::setRange(int minimum, int maximum) {
    m_minPos = minimum;
    m_maxPos = maximum;
    const int clamped = clamp(m_pos);
    const bool moved = clamped != m_pos;
    m_pos = clamped;
    // Lists change their range on every inserted row: repaint only what shows.
    const QRect before = m_thumb;
    placeThumb();
    if (m_thumb != before) repaintAtOnce();
    if (moved && isCreated()) report(ScrollCode::Set);
}

void ScrollBar::setViewPos(int value) {
    m_viewPos = std::max(0, value);
    setRange(m_minPos, m_maxPos);
}

void ScrollBar::setBFlags(int flags) {
    if (flags == m_bFlags) return;
    m_bFlags = flags;
    layout();
    repaintAtOnce();
}

void ScrollBar::setHFlags(int flags) {
    if (flags == m_hFlags) return;
    m_hFlags = flags;
    layout();
    repaintAtOnce();
}

void ScrollBar::report(ScrollCode code) {
    detail::DispatchScope scope;  // a handler may destroy the bar
    accessibility::valueChanged(*this);
    raise(classEvent(*this, tkm::kScroll, static_cast<int>(code), m_pos));
}

bool ScrollBar::step(int delta, ScrollCode code) {
    const int target = clamp(static_cast<int>(std::clamp<long long>(
        static_cast<long long>(m_pos) + delta, std::numeric_limits<int>::min(), std::numeric_limits<int>::max())));
    if (target == m_pos) return false;
    m_pos = target;
    placeThumb();
    repaintAtOnce();
    if (isCreated()) report(code);
    return true;
}

void ScrollBar::repaintAtOnce() {
    if (!isCreated()) return;
    const int frames = animationFrames();
    const int interval = animationInterval();
    setAnimationFramesAndTimer(0, interval);
    redraw();
    setAnimationFramesAndTimer(frames, interval);
}

void ScrollBar::stopRepeat() {
    if (m_repeating) killTimer();
    m_repeating = false;
}

bool ScrollBar::thumbReachedMouse() const {
    const int mouse = along(m_mouse);
    const int thumbStart = along(m_thumb.topLeft());
    return m_repeatStep > 0 ? mouse < thumbStart + m_thumbLength : mouse >= thumbStart;
}

void ScrollBar::onLeftDown(QPoint local, int) {
    m_mouse = local;
    m_pressedPart = partAt(local);
    switch (m_pressedPart) {
    case kThumb:
        m_dragging = true;
        m_dragOffset = along(local) - along(m_thumb.topLeft());
        repaintAtOnce();
        return;
    case kBackArrow:
        m_repeatStep = -m_lineChange;
        m_repeatCode = ScrollCode::LineBack;
        break;
    case kForwardArrow:
        m_repeatStep = m_lineChange;
        m_repeatCode = ScrollCode::LineForward;
        break;
    case kTrack: {
        const bool before = along(local) < along(m_thumb.topLeft());
        m_repeatStep = before ? -m_pageChange : m_pageChange;
        m_repeatCode = before ? ScrollCode::PageBack : ScrollCode::PageForward;
        break;
    }
    default:
        return;
    }
    if (!step(m_repeatStep, m_repeatCode)) repaintAtOnce();  // still shows the pressed arrow
    if (!isCreated()) return;
    m_repeating = setTimer(kRepeatIntervalMs);
}

void ScrollBar::onTimer() {
    if (!m_repeating || m_pressedPart == kNoPart || m_pressedPart == kThumb) {
        stopRepeat();
        return;
    }
    if (m_pressedPart == kTrack) {
        if (thumbReachedMouse()) {
            stopRepeat();
            return;
        }
    } else if (partAt(m_mouse) != m_pressedPart) {
        return;  // an arrow repeats only while the mouse stays on it
    }
    if (!step(m_repeatStep, m_repeatCode)) {
        if (isCreated()) stopRepeat();
        return;
    }
    if (isCreated() && m_pos == (m_repeatStep < 0 ? m_minPos : lastPos())) stopRepeat();
}

void ScrollBar::onMouseMove(QPoint local, int) {
    if (m_dragging) {
        m_mouse = local;
        const int position = positionAtThumbOffset(along(local) - m_dragOffset);
        if (position == m_pos) return;
        m_pos = position;
        placeThumb();
        repaintAtOnce();
        if (m_trackEvent && isCreated()) report(ScrollCode::DragMove);
        return;
    }
    if (m_pressedPart != kNoPart) {
        m_mouse = local;
        return;
    }
    const Part part = partAt(local);
    if (part == m_hotPart) return;
    m_hotPart = part;
    redraw();
}

void ScrollBar::onLeftUp(QPoint local, int) {
    const bool wasDragging = m_dragging;
    m_dragging = false;
    m_pressedPart = kNoPart;
    stopRepeat();
    m_hotPart = partAt(local);
    repaintAtOnce();
    if (wasDragging && isCreated()) report(ScrollCode::DragEnd);
}

void ScrollBar::onMouseLeave(ControlHandle) {
    if (m_hotPart == kNoPart) return;
    m_hotPart = kNoPart;
    if (m_pressedPart == kNoPart) redraw();
}

void ScrollBar::onHide() {
    stopRepeat();
    m_dragging = false;
    m_pressedPart = kNoPart;
    m_hotPart = kNoPart;
}

bool ScrollBar::onWheel(int delta, QPoint, int) {
    if (delta < 1)
        step(m_lineChange, ScrollCode::LineForward);
    else
        step(-m_lineChange, ScrollCode::LineBack);
    return true;
}

void ScrollBar::onPaint(QPainter& painter, const PaintContext&) {
    const ThemePack* theme = host()->theme();
    const auto partKey = [this](Part part) -> std::string_view {
        if (m_pressedPart == part) return theme::kDown;
        if (m_hotPart == part) return theme::kHighlight;
        return theme::kNormal;
    };
    const bool hot = (state() & state::kHot) || m_pressedPart != kNoPart;
    if ((m_bFlags & kDrawTrack) && (!(m_hFlags & kTrackOnHover) || hot) && !m_track.isEmpty()) {
        if (!paint::drawSkinImage(painter, theme, kSection, m_track, key("bg"), key("bg_gird"),
                                  paint::fill::kStretch)) {
            fallbackFill(painter, m_track, 24);
        }
    }
    const auto drawArrow = [&](const QRect& rect, Part part, std::string_view name) {
        if (rect.isEmpty()) return;
        std::string arrowKey(name);
        arrowKey.append(partKey(part));
        if (!paint::drawSkinImage(painter, theme, kSection, rect, key(arrowKey), "", paint::fill::kCentre)) {
            fallbackFill(painter, rect, m_pressedPart == part ? 96 : 48);
        }
    };
    drawArrow(m_backArrow, kBackArrow, horizontal() ? "left_" : "up_");
    drawArrow(m_forwardArrow, kForwardArrow, horizontal() ? "right_" : "down_");
    if ((m_bFlags & kDrawThumb) && !m_thumb.isEmpty()) {
        if (!paint::drawSkinImage(painter, theme, kSection, m_thumb, key(partKey(kThumb)), key("gird"),
                                  paint::fill::kStretch)) {
            fallbackFill(painter, m_thumb, m_pressedPart == kThumb ? 160 : 96);
        }
    }
}

}  // namespace vamu::toolkit
