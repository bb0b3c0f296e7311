#pragma once
// The caption elements a host window draws for itself: the window icon, the title
// and the caption buttons ("SysButton.<name>" skins with normal, highlight and down
// states). Internal to the host window.

#include "toolkit/controls/control.h"

#include <string>

namespace vamu::toolkit::detail {

class CaptionIcon final : public BaseControl {
protected:
    void onPaint(QPainter& painter, const PaintContext& context) override;
};

class CaptionTitle final : public BaseControl {
protected:
    void onPaint(QPainter& painter, const PaintContext& context) override;
};

class CaptionButton final : public BaseControl {
public:
    explicit CaptionButton(unsigned flag) : m_flag(flag) {}
    [[nodiscard]] unsigned flag() const { return m_flag; }
    // The skin section for the button's kind ("SysButton.Restore" while maximised).
    [[nodiscard]] std::string section() const;
    [[nodiscard]] QSize skinSize() const;

protected:
    void onPaint(QPainter& painter, const PaintContext& context) override;
    void onMouseEnter(ControlHandle previous) override;
    void onMouseLeave(ControlHandle next) override;
    void onLeftDown(QPoint local, int modifiers) override;
    void onLeftUp(QPoint local, int modifiers) override;
    void onClick(QPoint local, int modifiers) override;
    void onAnimationEnd() override;
    void onThemeChanged() override;

private:
    unsigned m_flag = 0;
};

}  // namespace vamu::toolkit::detail
