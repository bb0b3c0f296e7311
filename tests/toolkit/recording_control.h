#pragma once
// A control for tests: paints itself in one colour (another while hot or pressed)
// and writes every hook it receives into a shared log as "name:hook".

#include "toolkit/controls/control.h"

#include <string>
#include <vector>

namespace vamu::toolkit::test {

using Log = std::vector<std::string>;

class RecordingControl : public BaseControl {
public:
    RecordingControl(std::string name, Log* log, QRgb colour = 0xFF2060A0)
        : m_name(std::move(name)), m_log(log), m_colour(colour) {}

    static RecordingControl* make(ControlParent parent, QRect rect, std::string name, Log* log,
                                  QRgb colour = 0xFF2060A0, CreateOptions options = {}) {
        return BaseControl::create(std::make_unique<RecordingControl>(std::move(name), log, colour), parent, rect,
                                   kind::kButton, "Button", options);
    }

    void setColour(QRgb colour) {
        m_colour = colour;
        redraw();
    }
    bool keysHandled = false;
    QRgb hotColour = 0;  // 0: same as the colour

protected:
    void note(const std::string& hook) {
        if (m_log) m_log->push_back(m_name + ":" + hook);
    }
    void onCreate(int) override { note("create"); }
    void onDestroy() override { note("destroy"); }
    void onPaint(QPainter& painter, const PaintContext& context) override {
        const QRgb colour = (state() & state::kHot) && hotColour != 0 ? hotColour : m_colour;
        painter.fillRect(context.whole, QColor::fromRgba(colour));
    }
    void onLeftDown(QPoint, int) override { note("down"); }
    void onLeftUp(QPoint, int) override { note("up"); }
    void onDoubleClick(QPoint, int) override { note("double"); }
    void onClick(QPoint p, int) override { note("click@" + std::to_string(p.x()) + "," + std::to_string(p.y())); }
    void onMouseEnter(ControlHandle) override {
        note("enter");
        if (hotColour != 0) redraw();
    }
    void onMouseLeave(ControlHandle) override {
        note("leave");
        if (hotColour != 0) redraw();
    }
    void onMouseMove(QPoint, int) override { note("move"); }
    bool onWheel(int delta, QPoint, int) override {
        note("wheel" + std::to_string(delta));
        return true;
    }
    bool onKeyDown(int key, int) override {
        note("key" + std::to_string(key));
        return keysHandled;
    }
    bool onChar(int code) override {
        note("char" + std::to_string(code));
        return true;
    }
    void onFocusIn(ControlHandle, bool byKeyboard) override { note(byKeyboard ? "focus-key" : "focus"); }
    void onFocusOut(ControlHandle) override { note("blur"); }
    void onTimer() override { note("timer"); }
    void onAnimationEnd() override { note("animation-end"); }

private:
    std::string m_name;
    Log* m_log = nullptr;
    QRgb m_colour = 0;
};

}  // namespace vamu::toolkit::test
