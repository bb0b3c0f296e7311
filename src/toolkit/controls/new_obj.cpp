#include "toolkit/controls/new_obj.h"

#include "toolkit/controls/class_names.h"

#include <algorithm>

namespace vamu::toolkit {
namespace {

constexpr int kFadeFrames = 10;
constexpr int kFrameInterval = 30;

}  // namespace

QImage NewObj::makeRound(const QImage& picture) {
    if (picture.isNull()) return {};
    QImage round(picture.size(), QImage::Format_ARGB32_Premultiplied);
    round.fill(Qt::transparent);
    QPainter painter(&round);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QBrush(picture));
    painter.drawEllipse(QRectF(round.rect()));
    return round;
}

NewObj* NewObj::create(ControlParent parent, const QRect& rect, const NewObjSetup& setup) {
    auto object = std::unique_ptr<NewObj>(new NewObj);
    object->m_bytes = setup.picture;
    object->m_round = makeRound(QImage::fromData(setup.picture));
    object->m_ringNormal = setup.ringNormal;
    object->m_ringHot = setup.ringHot;
    object->m_ringPressed = setup.ringPressed;
    object->m_ringWidth = setup.ringWidth;
    CreateOptions options;
    options.visible = setup.visible;
    NewObj* created = BaseControl::create(std::move(object), parent, rect, kind::kNewObj, names::kNewObj, options);
    // Clicks on the transparent corners go to what lies below.
    if (created) created->setAlpHitTest(true);
    return created;
}

void NewObj::setPicture(const QByteArray& bytes) {
    if (bytes == m_bytes) return;
    m_bytes = bytes;
    m_round = makeRound(QImage::fromData(bytes));
    setAnimationFramesAndTimer(kFadeFrames, kFrameInterval);
    redraw();
}

void NewObj::setRing(QRgb normal, QRgb hot, QRgb pressed, int width) {
    m_ringNormal = normal;
    m_ringHot = hot;
    m_ringPressed = pressed;
    m_ringWidth = std::max(width, 0);
    redraw();
}

void NewObj::paintState(std::uint32_t visualState) {
    m_visualState = visualState;
    if (!isCreated() || width() == 0 || height() == 0) return;
    PaintScope scope(*this, QRect(0, 0, width(), height()));
    onPaint(scope.painter(), scope.context());
}

std::intptr_t NewObj::classProc(const Message& message) {
    // A plain paint request shows the resting look.
    if (message.id == msg::kPaint) m_visualState = 0;
    return BaseControl::classProc(message);
}

void NewObj::onPaint(QPainter& painter, const PaintContext&) {
    const QRectF ring = QRectF(0, 0, width(), height()).adjusted(1, 1, -1, -1);
    QRgb colour = m_ringNormal;
    if (m_visualState == state::kPressed)
        colour = m_ringPressed;
    else if (m_visualState == state::kHot)
        colour = m_ringHot;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor::fromRgba(colour));
    painter.drawEllipse(ring);
    if (!m_round.isNull()) {
        const QRectF inner = ring.adjusted(m_ringWidth, m_ringWidth, -m_ringWidth, -m_ringWidth);
        if (inner.width() > 0 && inner.height() > 0) painter.drawImage(inner, m_round);
    }
    painter.restore();
}

void NewObj::onMouseEnter(ControlHandle) { paintState(state::kHot); }
void NewObj::onMouseLeave(ControlHandle) { paintState(0); }
void NewObj::onLeftDown(QPoint, int) { paintState(state::kPressed); }
void NewObj::onLeftUp(QPoint, int) { paintState(state::kHot); }
void NewObj::onAnimationEnd() { setAnimationFramesAndTimer(0, 0); }

}  // namespace vamu::toolkit
