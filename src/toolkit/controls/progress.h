#pragma once
// The progress bar: a gradient bar over a translucent background with a rounded
// outline. The gradient spans the whole control and the bar only uncovers it, so its
// colours do not stretch as the bar grows. Horizontal bars grow from the left,
// vertical ones upwards. Every property change repaints. UI thread only.

#include "toolkit/controls/control.h"
#include "toolkit/controls/control_properties.h"

#include <QRgb>

#include <optional>

namespace vamu::toolkit {

class Progress : public BaseControl, public PropertyHolder {
public:
    static Progress* create(ControlParent parent, const QRect& rect, const CreateOptions& options = {});

    [[nodiscard]] int pos() const { return m_pos; }
    void setPos(int position);
    [[nodiscard]] int minimum() const { return m_minimum; }
    [[nodiscard]] int maximum() const { return m_maximum; }
    void setRange(int minimum, int maximum);
    [[nodiscard]] bool vertical() const { return m_vertical; }
    void setVertical(bool on);
    // ARGB colours; kThemeColourP (-1) means the theme colour at alpha 204. crP2
    // follows crP1 until it is set.
    static constexpr long long kThemeColourP = -1;
    [[nodiscard]] long long crP1() const { return m_crP1; }
    void setCrP1(long long colour);
    [[nodiscard]] long long crP2() const { return m_crP2.value_or(m_crP1); }
    void setCrP2(long long colour);
    // 0 draws no background.
    [[nodiscard]] QRgb crBackground() const { return m_crBackground; }
    void setCrBackground(QRgb colour);
    [[nodiscard]] QRgb borderColour() const { return m_borderColour; }
    void setBorderColour(QRgb colour);
    // The corner diameter; none: the host window's corner radius.
    [[nodiscard]] int cornerDiameter() const;
    void setCornerDiameter(int diameter);

    // The bar's length in pixels along its direction, and its rectangle.
    [[nodiscard]] int barLength() const;
    [[nodiscard]] QRect barRect() const;

    // By name: "Pos", "crP1", "crP2", "crBackground".
    std::optional<PropertyValues> property(std::string_view name, const PropertyValues* set) override;

protected:
    // Hooks for derived bars: answer true when they have drawn the background (the
    // whole control) or the bar (its rectangle) themselves.
    virtual bool paintBackground(QPainter& /*painter*/, const QRect& /*whole*/) { return false; }
    virtual bool paintBar(QPainter& /*painter*/, const QRect& /*bar*/) { return false; }
    void onPaint(QPainter& painter, const PaintContext& context) override;

private:
    void changed();
    [[nodiscard]] QRgb resolved(long long colour) const;

    int m_pos = 0;
    int m_minimum = 0;
    int m_maximum = 100;
    bool m_vertical = false;
    long long m_crP1 = kThemeColourP;
    std::optional<long long> m_crP2;
    QRgb m_crBackground = qRgba(0, 0, 0, 11);
    QRgb m_borderColour = qRgba(0, 0, 0, 11);
    std::optional<int> m_cornerDiameter;
};

}  // namespace vamu::toolkit
