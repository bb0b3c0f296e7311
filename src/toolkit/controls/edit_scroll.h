#pragma once
// The edit box's scroll bars: a child control per direction that shows the text's
// scroll offset (pixels) and reports the offset the user drags it to. The edit box
// sees them through this one class, so the bar's own interface stays out of it.
// UI thread only.

#include "toolkit/controls/control.h"

#include <functional>
#include <memory>

namespace vamu::toolkit {

class EditScrollBar {
public:
    static constexpr int kThickness = 10;  // and one pixel of room beside the text

    // A bar under the edit box; nullptr when none can be made. `moved` gets the new
    // offset whenever the user moves the bar.
    static std::unique_ptr<EditScrollBar> create(BaseControl& edit, bool vertical, std::function<void(int)> moved);
    ~EditScrollBar();
    EditScrollBar(const EditScrollBar&) = delete;
    EditScrollBar& operator=(const EditScrollBar&) = delete;

    void setGeometry(const QRect& rect);
    // content and view are pixel lengths; line is the step of an arrow.
    void setRange(int content, int view, int line);
    void setPosition(int offset);
    [[nodiscard]] int position() const;
    // Moves by the wheel (delta in 120ths of a notch); false when it could not move.
    bool wheel(int delta);
    [[nodiscard]] ControlHandle control() const { return m_control; }

private:
    EditScrollBar() = default;
    ControlHandle m_control;
    std::function<void(int)> m_moved;
    bool m_applying = false;  // a position being applied is not reported back
    std::shared_ptr<EditScrollBar*> m_self = std::make_shared<EditScrollBar*>(this);  // for the bar's handler
};

}  // namespace vamu::toolkit
