#pragma once
// The round picture: a picture cut to an ellipse inside a coloured ring whose colour
// follows the mouse (normal, hot, pressed). The corners outside the ring are
// transparent and let clicks through to what lies below. A new picture fades in over
// 10 frames of 30 ms.

#include "toolkit/controls/control.h"

namespace vamu::toolkit {

struct NewObjSetup {
    QByteArray picture;
    QRgb ringNormal = 0xFFFFFFFF;
    QRgb ringHot = 0xFFFFFF00;
    QRgb ringPressed = 0xFF00FF00;
    int ringWidth = 2;
    bool visible = true;
};

class NewObj final : public BaseControl {
public:
    static NewObj* create(ControlParent parent, const QRect& rect, const NewObjSetup& setup = {});

    // Unchanged bytes do nothing; a change after creation fades the new picture in.
    // Bytes that do not decode leave only the ring.
    void setPicture(const QByteArray& bytes);
    [[nodiscard]] const QByteArray& pictureBytes() const { return m_bytes; }
    // The picture cut to an ellipse over its own size (null without a picture).
    [[nodiscard]] const QImage& roundPicture() const { return m_round; }
    void setRing(QRgb normal, QRgb hot, QRgb pressed, int width);
    // 0 normal, 8 pressed, 128 hot.
    [[nodiscard]] std::uint32_t visualState() const { return m_visualState; }

    // The picture's pixels inside the ellipse that fills its own rectangle.
    [[nodiscard]] static QImage makeRound(const QImage& picture);

private:
    NewObj() = default;
    std::intptr_t classProc(const Message& message) override;
    void onPaint(QPainter& painter, const PaintContext& context) override;
    void onMouseEnter(ControlHandle previous) override;
    void onMouseLeave(ControlHandle next) override;
    void onLeftDown(QPoint local, int modifiers) override;
    void onLeftUp(QPoint local, int modifiers) override;
    void onAnimationEnd() override;
    void paintState(std::uint32_t visualState);

    QByteArray m_bytes;
    QImage m_round;
    QRgb m_ringNormal = 0xFFFFFFFF;
    QRgb m_ringHot = 0xFFFFFF00;
    QRgb m_ringPressed = 0xFF00FF00;
    int m_ringWidth = 2;
    std::uint32_t m_visualState = 0;
};

}  // namespace vamu::toolkit
