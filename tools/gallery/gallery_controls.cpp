#include "gallery_controls.h"

#include "platform/keys.h"
#include "toolkit/accessibility.h"
#include "toolkit/controls/control_text.h"
#include "toolkit/controls/paint.h"
#include "toolkit/controls/text_paint.h"
#include "toolkit/host_window.h"
#include "toolkit/toolkit.h"

#include <QPainterPath>

namespace vamu::gallery {

using namespace vamu::toolkit;

SkinButton* SkinButton::make(ControlParent parent, QRect rect, QString text, std::function<void()> clicked) {
    CreateOptions options;
    options.animationInterval = 25;
    return BaseControl::create(std::make_unique<SkinButton>(std::move(text), std::move(clicked)), parent, rect,
                               kind::kButton, "Button", options);
}

void SkinButton::onCreate(int) {
    registerMnemonic(*this, m_text);
    toolkit::accessibility::setName(*this, m_text);
}

void SkinButton::animateTo() {
    setAnimationFramesAndTimer(8, 25);
    redraw();
}

void SkinButton::switchTo() {
    setAnimationFramesAndTimer(0, 0);
    redraw();
}

void SkinButton::onPaint(QPainter& painter, const PaintContext& context) {
    std::uint32_t look = state() & (state::kHot | state::kPressed | state::kFocused);
    if (look & state::kPressed) look = state::kPressed;
    paint::drawSkinState(painter, host()->theme(), "Button", QRectF(context.whole), look);
    paint::TextFormat format;
    format.alignment = Qt::AlignCenter;
    format.prefix = paint::HotkeyPrefix::Show;
    const QRectF text = QRectF(context.whole).translated(look == state::kPressed ? QPointF(1, 1) : QPointF(0, 0));
    paint::drawText(painter, text.adjusted(0, 0, 0, -1), m_text, font(), 0xFF1E2A38, format);
}

void SkinButton::onClick(QPoint, int) {
    if (m_clicked) {
        const auto clicked = m_clicked;  // the handler may destroy this button
        clicked();
    }
}

CheckSample* CheckSample::make(ControlParent parent, QRect rect, QString text) {
    const QString name = text;
    CheckSample* sample = BaseControl::create(std::make_unique<CheckSample>(std::move(text)), parent, rect,
                                              kind::kCheckButton, "CheckButton");
    if (sample) toolkit::accessibility::setName(*sample, name);
    return sample;
}

void CheckSample::onClick(QPoint, int) {
    m_checked = !m_checked;
    redraw();
}

void CheckSample::onPaint(QPainter& painter, const PaintContext& context) {
    std::string key(paint::stateKey(state() & (state::kHot | state::kPressed)));
    if (m_checked) key += "_ck";
    const QRect box(2, (height() - 17) / 2, 17, 17);
    if (!paint::drawSkinImage(painter, host()->theme(), "CheckButton", QRectF(box), key)) {
        paint::drawBorder(painter, QRectF(box), 3);
    }
    const QRectF text(box.right() + 5, 0, context.whole.width() - box.right() - 5, height());
    paint::TextFormat format;
    format.alignment = Qt::AlignLeft | Qt::AlignVCenter;
    paint::drawText(painter, text, m_text, font(), 0xFF1E2A38, format);
}

void TextSample::onPaint(QPainter& painter, const PaintContext& context) {
    const QRectF whole(context.whole);
    paint::fillGradient(painter, whole, 0xFF3A6EA5, 0xFF86B3DC, 0);
    QFont big = font();
    big.setPixelSize(16);
    paint::TextFormat format;
    format.alignment = Qt::AlignCenter;
    const double third = whole.width() / 3;
    paint::drawText(painter, QRectF(0, 0, third, whole.height()), QStringLiteral("普通"), big, 0xFFFFFFFF, format);
    paint::drawText(painter, QRectF(third, 0, third, whole.height()), QStringLiteral("光晕"), big, 0xFF102030, format,
                    paint::effect::kGlow);
    paint::drawText(painter, QRectF(2 * third, 0, third, whole.height()), QStringLiteral("描边"), big, 0xFFFFFFFF,
                    format, paint::effect::kOutline, 0xFF102030);
}

void Swatches::onPaint(QPainter& painter, const PaintContext&) {
    const long long styles[] = {1, 2, 3, 4, static_cast<long long>(0xFFD9534Fu)};
    for (int i = 0; i < 5; ++i) {
        const QRectF box(4 + i * 38, 4, 32, 24);
        painter.fillRect(box, QColor(0xF4, 0xF6, 0xF8));
        paint::drawBorder(painter, box, styles[i]);
    }
    painter.setRenderHint(QPainter::Antialiasing);
    const QPainterPath round = paint::roundRectPath(QRectF(4, 36, 90, 30), 12);
    paint::fillPath(painter, round, 0xFF5CB85C);
    paint::strokePath(painter, round, 0xFF3D8B3D);
    QImage picture(90, 30, QImage::Format_ARGB32_Premultiplied);
    picture.fill(QColor(0xF0, 0xAD, 0x4E));
    paint::drawImage(painter, picture, QRectF(104, 36, 90, 30), std::nullopt, paint::fill::kStretch, std::nullopt, 255,
                     paint::feather::kLeft | paint::feather::kRight, 0.5);
}

Caption* Caption::make(ControlParent parent, QRect rect, QString text, QRgb colour, int pixelSize) {
    CreateOptions options;
    options.focusable = false;
    options.mouseTrack = false;
    options.tabStop = false;
    options.drawTabStop = false;
    const QString name = text;
    Caption* caption = BaseControl::create(std::make_unique<Caption>(std::move(text), colour), parent, rect,
                                           kind::kLabel, "Label", options);
    if (caption) caption->setFontSize(pixelSize);
    if (caption) toolkit::accessibility::setName(*caption, name);
    return caption;
}

void Caption::onPaint(QPainter& painter, const PaintContext& context) {
    paint::TextFormat format;
    format.alignment = Qt::AlignLeft | Qt::AlignVCenter;
    format.wrap = true;
    paint::drawText(painter, QRectF(context.whole), m_text, font(), m_colour, format);
}

}  // namespace vamu::gallery
