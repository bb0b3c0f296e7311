#include "toolkit/controls/thunder_button.h"

#include "toolkit/controls/class_names.h"
#include "toolkit/controls/paint.h"
#include "toolkit/controls/surface.h"

#include <embedded/vamu_button_pictures.h>

#include <QPainterPath>
#include <QRadialGradient>

namespace vamu::toolkit {
namespace {

constexpr int kCellWidth = 13;
constexpr int kCellHeight = 28;
constexpr QRectF kCellGrid(5, 5, 3, 15);
constexpr int kSpotStep = 6;
constexpr int kSpotInterval = 100;  // ms
constexpr double kSpotDiameter = 36;

}  // namespace

const QImage& ThunderButton::strip() {
    static const QImage picture = [] {
        const auto bytes = resources::thunderStrip();
        QImage decoded = QImage::fromData(reinterpret_cast<const uchar*>(bytes.data()), static_cast<int>(bytes.size()));
        return decoded.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    }();
    return picture;
}

QRect ThunderButton::cellOf(std::uint32_t visualState) {
    const int x = visualState == button_state::kHot ? 14 : visualState == button_state::kPressed ? 28 : 0;
    return QRect(x, 0, kCellWidth, kCellHeight);
}

ThunderButton* ThunderButton::create(ControlParent parent, const QRect& rect, const ButtonSetup& setup) {
    return createAs(std::unique_ptr<ThunderButton>(new ThunderButton), parent, rect, setup, kind::kThunderButton,
                    names::kThunderButton, false);
}

bool ThunderButton::paintBackground(QPainter& painter, std::uint32_t visualState) {
    paint::drawNineGrid(painter, strip(), QRectF(cellOf(visualState)), QRectF(0, 0, width(), height()), kCellGrid);
    if (m_focused) drawSpot(painter);
    return true;
}

void ThunderButton::drawSpot(QPainter& painter) const {
    // Only the ring just inside the rounded edge lights up.
    QPainterPath outer;
    outer.addRoundedRect(QRectF(1, 0, width() - 1, height() - 3), 2.5, 2.5);
    QPainterPath inner;
    inner.addRoundedRect(QRectF(2, 1, width() - 3, height() - 5), 2.5, 2.5);
    paint::ClipScope clip(painter, outer.subtracted(inner));
    const double radius = kSpotDiameter / 2;
    QRadialGradient light(QPointF(m_spot), radius);
    light.setColorAt(0, QColor(255, 255, 255, 255));
    light.setColorAt(1, QColor(255, 255, 255, 50));
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(light);
    painter.drawEllipse(QPointF(m_spot), radius, radius);
    painter.restore();
}

void ThunderButton::afterDraw(QPainter&, ButtonLayout& layout, std::uint32_t visualState) {
    // Small corrections that centre the text on the strip's rounded face.
    switch (iconFlag()) {
    case 0:
        layout.text.translate(0, -1);
        layout.icon.translate(0, -1);
        break;
    case 4:
        layout.text.translate(4, -1);
        layout.icon.translate(4, -1);
        break;
    case 2:
        layout.text.translate(visualState == button_state::kPressed ? 3 : 2, 0);
        break;
    case 6:
        layout.icon.translate(0, 2);
        layout.text.translate(0, 4);
        break;
    default:
        break;
    }
}

void ThunderButton::advanceSpot() {
    switch (m_phase) {
    case 1:
        m_spot.rx() += kSpotStep;
        if (m_spot.x() >= width() - 2) {
            m_spot.setX(width() - 2);
            m_phase = 2;
        }
        break;
    case 2:
        m_spot.ry() += kSpotStep;
        if (m_spot.y() >= height() - 4) {
            m_spot.setY(height() - 4);
            m_phase = 3;
        }
        break;
    case 3:
        m_spot.rx() -= kSpotStep;
        if (m_spot.x() <= 0) {
            m_spot.setX(0);
            m_phase = 4;
        }
        break;
    default:
        m_spot.ry() -= kSpotStep;
        if (m_spot.y() <= 0) {
            m_spot.setY(0);
            m_phase = 1;
        }
        break;
    }
}

void ThunderButton::onFocusIn(ControlHandle, bool) {
    m_focused = true;
    m_spot = QPoint(6, 0);
    m_phase = 1;
    setTimer(kSpotInterval);
    if (!(state() & state::kAnimating)) redraw();
}

void ThunderButton::onFocusOut(ControlHandle next) {
    m_focused = false;
    killTimer();
    Button::onFocusOut(next);
}

void ThunderButton::onTimer() {
    if (!m_focused) return;
    advanceSpot();
    // A running fade draws the spot in its frames (onDrawAnimationFrame).
    if (!(state() & state::kAnimating)) redraw();
}

void ThunderButton::onAnimationEnd() {
    Button::onAnimationEnd();
    if (m_focused) redraw();
}

bool ThunderButton::onDrawAnimationFrame(AnimationFrameContext& frame) {
    // While focused the new look keeps changing (the spot moves), so each frame fades
    // from the old look to a fresh picture instead of the surface of the fade's start.
    const QSize size(width(), height());
    if (!m_focused || !frame.target || !frame.snapshot || surface::logicalSize(*frame.snapshot) != size) return false;
    auto* back = dynamic_cast<QImage*>(frame.target->device());
    if (!back) return false;
    QImage fresh = surface::make(size, frame.snapshot->devicePixelRatio());
    {
        QPainter painter(&fresh);
        painter.setFont(font());
        render(painter, visualState());
    }
    const QRect source = frame.area.translated(-frame.controlRect.topLeft());
    const double opacity = frame.alpha / 255.0 * (isDisabled() ? 0.5 : 1.0);
    QImage mixed = surface::copyPart(*back, frame.area);
    {
        QPainter painter(&mixed);
        painter.setOpacity(opacity);
        surface::drawPart(painter, QPoint(0, 0), fresh, source);
    }
    QPainter& target = *frame.target;
    target.save();
    target.setOpacity(opacity);
    surface::drawPart(target, frame.area.topLeft(), *frame.snapshot, source);
    target.setCompositionMode(QPainter::CompositionMode_Source);
    target.setOpacity(std::clamp(frame.progress, 0.0, 1.0));
    target.drawImage(frame.area.topLeft(), mixed);
    target.restore();
    return true;
}

}  // namespace vamu::toolkit
