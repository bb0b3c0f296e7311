#pragma once
// The thunder button: a rounded button drawn from a small built-in strip (cells of
// 13 by 28 pixels for normal, hot and pressed, stretched as a nine-grid) instead of
// the skin. While it has the focus a soft white spot runs clockwise round its border,
// 6 pixels every 100 ms, in place of a focus rectangle.

#include "toolkit/controls/button.h"

namespace vamu::toolkit {

class ThunderButton final : public Button {
public:
    static ThunderButton* create(ControlParent parent, const QRect& rect, const ButtonSetup& setup = {});

    // The built-in strip: 55 by 28 pixels, cells at x = 0, 14, 28 and 42.
    [[nodiscard]] static const QImage& strip();
    [[nodiscard]] static QRect cellOf(std::uint32_t visualState);

    // The spot: its centre in control coordinates and the side it runs along
    // (1 top, 2 right, 3 bottom, 4 left).
    [[nodiscard]] QPoint spot() const { return m_spot; }
    [[nodiscard]] int spotPhase() const { return m_phase; }
    // One step of the spot (the timer's work).
    void advanceSpot();

private:
    ThunderButton() = default;
    bool paintBackground(QPainter& painter, std::uint32_t visualState) override;
    void afterDraw(QPainter& painter, ButtonLayout& layout, std::uint32_t visualState) override;
    void onFocusIn(ControlHandle previous, bool byKeyboard) override;
    void onFocusOut(ControlHandle next) override;
    void onTimer() override;
    void onAnimationEnd() override;
    bool onDrawAnimationFrame(AnimationFrameContext& frame) override;
    void drawSpot(QPainter& painter) const;

    bool m_focused = false;
    int m_phase = 1;
    QPoint m_spot{6, 0};
};

}  // namespace vamu::toolkit
