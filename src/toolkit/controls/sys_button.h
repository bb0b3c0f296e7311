#pragma once
// The caption buttons: close, maximise/restore and minimise act on their window;
// menu, skin, report and setting only raise their click for the application to bind.
// Each draws the skin section "SysButton." + its name ("SysButton.Restore" for the
// maximise button while the window is maximised) and takes the section's "size",
// again whenever the window's theme changes. Hover and leave fade over 8 frames of
// 25 ms; a press shows at once.
//
// The host window makes its caption buttons from this class; an application may also
// place them itself.

#include "toolkit/controls/control.h"

#include <string>

namespace vamu::toolkit {

class SysButton final : public BaseControl {
public:
    // buttonKind: caption::kClose, kMax, kMin, kMenu, kSkin, kReport or kSetting.
    // Caption buttons never take the focus or a Tab stop.
    static SysButton* create(ControlParent parent, unsigned buttonKind, QPoint position = {}, bool visible = true);

    [[nodiscard]] unsigned buttonKind() const { return m_buttonKind; }
    [[nodiscard]] std::string section() const;
    [[nodiscard]] QSize skinSize() const;

private:
    explicit SysButton(unsigned buttonKind) : m_buttonKind(buttonKind) {}
    std::intptr_t preFilter(const Message& message) override;
    void onPaint(QPainter& painter, const PaintContext& context) override;
    void onMouseEnter(ControlHandle previous) override;
    void onMouseLeave(ControlHandle next) override;
    void onLeftDown(QPoint local, int modifiers) override;
    void onLeftUp(QPoint local, int modifiers) override;
    void onClick(QPoint local, int modifiers) override;
    void onAnimationEnd() override;
    void onThemeChanged() override;

    unsigned m_buttonKind = 0;
    std::string m_paintedSection;
};

}  // namespace vamu::toolkit
