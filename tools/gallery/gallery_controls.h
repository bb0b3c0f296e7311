#pragma once
// Small controls of the gallery, each drawn with the toolkit's painting primitives.

#include "toolkit/controls/control.h"

#include <QString>

#include <functional>

namespace vamu::gallery {

using toolkit::BaseControl;
using toolkit::ControlParent;
using toolkit::PaintContext;

// A push button in the theme's "Button" skin, cross-fading between its states.
class SkinButton final : public BaseControl {
public:
    static SkinButton* make(ControlParent parent, QRect rect, QString text, std::function<void()> clicked = {});
    explicit SkinButton(QString text, std::function<void()> clicked)
        : m_text(std::move(text)), m_clicked(std::move(clicked)) {}

protected:
    void onCreate(int) override;
    void onPaint(QPainter& painter, const PaintContext& context) override;
    void onMouseEnter(toolkit::ControlHandle) override { animateTo(); }
    void onMouseLeave(toolkit::ControlHandle) override { animateTo(); }
    void onLeftDown(QPoint, int) override { switchTo(); }
    void onLeftUp(QPoint, int) override { switchTo(); }
    void onFocusOut(toolkit::ControlHandle) override { animateTo(); }
    void onClick(QPoint, int) override;
    void onAnimationEnd() override { setAnimationFramesAndTimer(0, 0); }
    QRect adjustFocusRect(const QRect& rect) const override { return rect.adjusted(3, 3, -3, -5); }

private:
    void animateTo();
    void switchTo();
    QString m_text;
    std::function<void()> m_clicked;
};

// A check box in the theme's "CheckButton" skin with a caption.
class CheckSample final : public BaseControl {
public:
    static CheckSample* make(ControlParent parent, QRect rect, QString text);
    explicit CheckSample(QString text) : m_text(std::move(text)) {}
    [[nodiscard]] bool checked() const { return m_checked; }

protected:
    void onPaint(QPainter& painter, const PaintContext& context) override;
    void onMouseEnter(toolkit::ControlHandle) override { redraw(); }
    void onMouseLeave(toolkit::ControlHandle) override { redraw(); }
    void onLeftDown(QPoint, int) override { redraw(); }
    void onLeftUp(QPoint, int) override { redraw(); }
    void onClick(QPoint, int) override;
    QRect adjustFocusRect(const QRect&) const override { return {0, 0, 21, height()}; }

private:
    QString m_text;
    bool m_checked = false;
};

// Text on a gradient in the three effects.
class TextSample final : public BaseControl {
protected:
    void onPaint(QPainter& painter, const PaintContext& context) override;
};

// Border styles, rounded paths and a feathered picture.
class Swatches final : public BaseControl {
protected:
    void onPaint(QPainter& painter, const PaintContext& context) override;
};

// A plain label: text in a colour, no mouse (a press drags the window).
class Caption final : public BaseControl {
public:
    static Caption* make(ControlParent parent, QRect rect, QString text, QRgb colour, int pixelSize = 12);
    Caption(QString text, QRgb colour) : m_text(std::move(text)), m_colour(colour) {}

protected:
    void onPaint(QPainter& painter, const PaintContext& context) override;

private:
    QString m_text;
    QRgb m_colour = 0;
};

}  // namespace vamu::gallery
