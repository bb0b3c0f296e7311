#include "toolkit/controls/slider.h"

#include "toolkit/accessibility.h"
#include "toolkit/controls/class_names.h"
#include "toolkit/controls/control_internal.h"
#include "toolkit/controls/paint.h"
#include "toolkit/controls/text_paint.h"

#include <algorithm>

namespace vamu::toolkit {
namespace {

QImage blank(QSize size) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

// A round thumb: a filled disc with a ring, 12 pixels across.
QImage thumbPicture(QColor fill, QColor ring) {
    QImage image = blank(QSize(12, 12));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(ring, 1.5));
    painter.setBrush(fill);
    painter.drawEllipse(QRectF(1, 1, 10, 10));
    return image;
}

Slider::Look makeDefaultLook() {
    const QColor accent = QColor::fromRgba(paint::kThemeColour);
    Slider::Look look;
    look.track = blank(QSize(12, 4));
    {
        QPainter painter(&look.track);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0, 0, 0, 48));
        painter.drawRoundedRect(QRectF(0, 0, 12, 4), 2, 2);
    }
    look.trackGrid = QRect(2, 1, 8, 2);
    look.thumbNormal = thumbPicture(Qt::white, accent);
    look.thumbHot = thumbPicture(accent.lighter(160), accent);
    look.thumbPressed = thumbPicture(accent, accent.darker(120));
    return look;
}

}  // namespace

const Slider::Look& Slider::defaultLook() {
    static const Look look = makeDefaultLook();
    return look;
}

Slider* Slider::create(ControlParent parent, const QRect& rect, double position, const Look& look,
                       const CreateOptions& options) {
    const QRect taller(rect.x(), rect.y(), rect.width(), rect.height() + kExtraHeight);
    return BaseControl::create(std::make_unique<Slider>(std::clamp(position, 0.0, 100.0), look), parent, taller,
                               kind::kSlider, names::kSlider, options);
}

void Slider::onCreate(int) { layout(); }

void Slider::onGeometryChanged(const QRect&) { layout(); }

void Slider::setLook(const Look& look) {
    m_look = look;
    layout();
    redraw();
}

void Slider::layout() {
    const QSize thumb = m_look.thumbNormal.size();
    m_trackWidth = std::max(0, width() - thumb.width());
    const int x = static_cast<int>(m_position / 100.0 * m_trackWidth);
    m_thumb = QRect(QPoint(x, (height() - thumb.height()) / 2), thumb);
}

bool Slider::setPosition(double position) {
    if (m_dragging) return false;
    position = std::clamp(position, 0.0, 100.0);
    if (position == m_position) return true;
    m_position = position;
    layout();
    redraw();
    if (isCreated()) accessibility::valueChanged(*this);
    return true;
}

const QImage& Slider::thumbImage() const {
    switch (m_thumbState) {
    case ThumbState::Hot:
        return m_look.thumbHot;
    case ThumbState::Pressed:
        return m_look.thumbPressed;
    default:
        return m_look.thumbNormal;
    }
}

void Slider::setThumbState(ThumbState state) {
    if (state == m_thumbState) return;
    m_thumbState = state;
    redraw();
}

void Slider::onPaint(QPainter& painter, const PaintContext&) {
    const QImage& track = m_look.track;
    if (!track.isNull() && m_trackWidth > 0) {
        const QRectF destination(m_look.thumbNormal.width() / 2, (height() - track.height()) / 2, m_trackWidth,
                                 track.height());
        if (m_look.trackGrid.isValid()) {
            paint::drawNineGrid(painter, track, QRectF(track.rect()), destination, QRectF(m_look.trackGrid));
        } else {
            paint::drawImage(painter, track, destination, std::nullopt, paint::fill::kStretch);
        }
    }
    if (m_thumbState != ThumbState::None) painter.drawImage(m_thumb.topLeft(), thumbImage());
}

void Slider::dragTo(int x) {
    if (m_trackWidth <= 0) return;
    const double position = std::clamp((x - m_grabOffset) * 100.0 / m_trackWidth, 0.0, 100.0);
    if (position == m_position) return;
    m_position = position;
    layout();
    redraw();
    accessibility::valueChanged(*this);
    if (!m_onChange) return;
    detail::DispatchScope scope;  // the handler may destroy the slider: keep it alive
    const ChangeHandler handler = m_onChange;
    handler(*this, position);
}

void Slider::onLeftDown(QPoint local, int) {
    if (m_thumb.contains(local)) {
        m_grabOffset = local.x() - m_thumb.x();
    } else if (m_jumpToClick && local.x() >= 0 && local.x() < width()) {
        m_grabOffset = m_thumb.width() / 2;
    } else {
        return;
    }
    m_dragging = true;
    setThumbState(ThumbState::Pressed);
    if (!m_thumb.contains(local)) dragTo(local.x());
}

void Slider::onMouseMove(QPoint local, int) {
    if (m_dragging) {
        dragTo(local.x());
        return;
    }
    setThumbState(m_thumb.contains(local) ? ThumbState::Hot : ThumbState::Normal);
}

void Slider::onLeftUp(QPoint, int) {
    if (!m_dragging) return;
    m_dragging = false;
    setThumbState(ThumbState::Normal);
}

void Slider::onMouseLeave(ControlHandle) {
    if (!m_dragging) setThumbState(ThumbState::Normal);
}

void Slider::onHide() {
    m_dragging = false;
    m_thumbState = ThumbState::Normal;
}

}  // namespace vamu::toolkit
