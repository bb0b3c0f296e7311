#include "toolkit/controls/progress.h"

#include "toolkit/accessibility.h"
#include "toolkit/controls/class_names.h"
#include "toolkit/controls/text_paint.h"
#include "toolkit/host_window.h"

#include <cmath>

namespace vamu::toolkit {

Progress* Progress::create(ControlParent parent, const QRect& rect, const CreateOptions& options) {
    return BaseControl::create(std::make_unique<Progress>(), parent, rect, kind::kProgress, names::kProgress, options);
}

std::optional<PropertyValues> Progress::property(std::string_view name, const PropertyValues* set) {
    const auto value = [&] { return intArgument(*set, 0); };
    // Colours travel as signed 32-bit values: -1 is the theme colour.
    const auto colour = [](long long stored) {
        return PropertyValues{static_cast<long long>(static_cast<std::int32_t>(stored))};
    };
    if (name == "Pos") {
        if (set) setPos(static_cast<int>(value()));
        return PropertyValues{static_cast<long long>(m_pos)};
    }
    if (name == "crP1") {
        if (set) setCrP1(static_cast<std::int32_t>(value()));
        return colour(m_crP1);
    }
    if (name == "crP2") {
        if (set) setCrP2(static_cast<std::int32_t>(value()));
        return colour(crP2());
    }
    if (name == "crBackground") {
        if (set) setCrBackground(static_cast<QRgb>(value()));
        return colour(m_crBackground);
    }
    return std::nullopt;
}

void Progress::changed() {
    if (isCreated()) redraw();
}

void Progress::setPos(int position) {
    if (position == m_pos) return;
    m_pos = position;
    changed();
    if (isCreated()) accessibility::valueChanged(*this);
}

void Progress::setRange(int minimum, int maximum) {
    m_minimum = minimum;
    m_maximum = maximum;
    changed();
}

void Progress::setVertical(bool on) {
    m_vertical = on;
    changed();
}

void Progress::setCrP1(long long colour) {
    m_crP1 = colour;
    changed();
}

void Progress::setCrP2(long long colour) {
    m_crP2 = colour;
    changed();
}

void Progress::setCrBackground(QRgb colour) {
    m_crBackground = colour;
    changed();
}

void Progress::setBorderColour(QRgb colour) {
    m_borderColour = colour;
    changed();
}

int Progress::cornerDiameter() const {
    if (m_cornerDiameter) return *m_cornerDiameter;
    return host() ? host()->frame().cornerRadius : 0;
}

void Progress::setCornerDiameter(int diameter) {
    m_cornerDiameter = std::max(0, diameter);
    changed();
}

QRgb Progress::resolved(long long colour) const {
    if (colour == kThemeColourP) return (paint::kThemeColour & 0x00FFFFFFu) | (204u << 24);
    return static_cast<QRgb>(colour);
}

int Progress::barLength() const {
    const int inner = (m_vertical ? height() : width()) - 2;
    const long long span = static_cast<long long>(m_maximum) - m_minimum;
    if (inner <= 0 || span == 0) return 0;
    const double length = std::round(static_cast<double>(inner) * (static_cast<long long>(m_pos) - m_minimum) / span);
    return static_cast<int>(std::clamp(length, 0.0, static_cast<double>(inner)));
}

QRect Progress::barRect() const {
    const QRect inner(1, 1, width() - 2, height() - 2);
    const int length = barLength();
    if (!m_vertical) return QRect(inner.left(), inner.top(), length, inner.height());
    // A vertical bar ends two pixels above the inner bottom edge and grows upwards.
    const int bottom = inner.bottom() - 2;
    return QRect(inner.left(), bottom - length + 1, inner.width(), length);
}

void Progress::onPaint(QPainter& painter, const PaintContext& context) {
    const QRectF whole(context.whole);
    const int diameter = cornerDiameter();
    painter.setRenderHint(QPainter::Antialiasing, diameter != 0);
    if (!paintBackground(painter, context.whole) && m_crBackground != 0) {
        if (diameter != 0)
            paint::fillPath(painter, paint::roundRectPath(whole, diameter), m_crBackground);
        else
            painter.fillRect(whole, QColor::fromRgba(m_crBackground));
    }
    const QRect bar = barRect();
    if (!bar.isEmpty() && !paintBar(painter, bar)) {
        const QPainterPath clip = diameter != 0 ? paint::roundRectPath(QRectF(bar), std::max(0, diameter - 3))
                                                : paint::roundRectPath(QRectF(bar).adjusted(0, 0, 1, 1), 0);
        paint::ClipScope scope(painter, clip);
        if (m_vertical)
            paint::fillGradient(painter, whole, resolved(crP2()), resolved(m_crP1), 1);
        else
            paint::fillGradient(painter, whole, resolved(m_crP1), resolved(crP2()), 0);
    }
    if (diameter != 0)
        paint::strokePath(painter, paint::roundRectPath(whole, diameter), m_borderColour);
    else
        paint::drawBorder(painter, whole, 3, m_borderColour);
}

}  // namespace vamu::toolkit
