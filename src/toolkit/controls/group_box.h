#pragma once
// The group frame: an outline in crBorder (none while it is 0; square, or rounded
// with rdBorder as the corner diameter) starting half a caption height down (at the
// top when there is no caption), interrupted under the caption,
// which stands at the top 8 pixels from the left (Align 0), centred (1) or 8 pixels
// from the right (2). The inside may be filled with crBackground. The frame takes
// neither the focus nor a Tab stop; controls placed in it are its children.

#include "toolkit/controls/control.h"
#include "toolkit/controls/control_properties.h"
#include "toolkit/controls/text_paint.h"

#include <optional>

namespace vamu::toolkit {

struct GroupBoxSetup {
    QString text;
    QRgb textColour = 0xFF000000;
    QRgb border = 0;         // 0: no outline
    int borderWidth = 1;     // 0: a one-pixel line
    int cornerDiameter = 0;  // 0: square corners
    QRgb background = 0;     // 0: not filled
    int align = 0;
    bool visible = true;
};

class GroupBox final : public BaseControl, public PropertyHolder {
public:
    static GroupBox* create(ControlParent parent, const QRect& rect, const GroupBoxSetup& setup = {});

    [[nodiscard]] const QString& text() const { return m_text; }
    void setText(const QString& text);
    void setColours(QRgb text, QRgb border, QRgb background);
    void setOutline(int width, int cornerDiameter);
    void setAlign(int align);
    void setTextEffect(int effect, std::optional<QRgb> colour = std::nullopt);

    // Where the outline runs and where the caption stands (control coordinates).
    [[nodiscard]] QRect frameRect() const;
    [[nodiscard]] QRect captionRect() const;

    std::optional<PropertyValues> property(std::string_view name, const PropertyValues* set) override;

private:
    GroupBox() = default;
    std::intptr_t classProc(const Message& message) override;
    void onPaint(QPainter& painter, const PaintContext& context) override;
    [[nodiscard]] QSizeF captionSize() const;

    QString m_text;
    QRgb m_textColour = 0xFF000000;
    QRgb m_background = 0;
    int m_align = 0;
    int m_textEffect = paint::effect::kNone;
    std::optional<QRgb> m_effectColour;
    QRgb m_border = 0;
    int m_borderWidth = 1;
    int m_cornerDiameter = 0;
};

}  // namespace vamu::toolkit
