#pragma once
// The hooks a control class overrides. BaseControl's class procedure routes each
// message to the typed hook below; every hook does nothing by default. A class that
// needs a message of its own overrides classProc() and calls the base for the rest.
//
// Answers: hooks returning bool answer "handled" (nonzero to the sender): a handled
// key keeps the host from using Tab, Enter, Space or Esc; onEnableChanged answering
// true means the class paints its own disabled look (no half-alpha blending);
// onSetCursor answering true means the class has set the cursor itself.

#include "toolkit/controls/control_types.h"

#include <QPainter>

namespace vamu::toolkit {

class ControlHooks : public EventControl {
protected:
    // Before handlers and the class procedure; nonzero swallows the message.
    virtual std::intptr_t preFilter(const Message&) { return 0; }
    // The class procedure (defined by BaseControl).
    virtual std::intptr_t classProc(const Message& message) = 0;
    // The focus rectangle (control coordinates) to draw around the control.
    virtual QRect adjustFocusRect(const QRect& rect) const { return rect; }

    virtual void onCreate(int /*createData*/) {}
    virtual void onCreated() {}  // after creation from attributes
    virtual void onDestroy() {}
    // Between begin and end painting: the painter is clipped to context.dirty.
    virtual void onPaint(QPainter& /*painter*/, const PaintContext& /*context*/) {}
    virtual void onMouseMove(QPoint /*local*/, int /*modifiers*/) {}
    virtual void onLeftDown(QPoint, int) {}
    virtual void onLeftUp(QPoint, int) {}
    virtual void onDoubleClick(QPoint, int) {}
    virtual void onRightDown(QPoint, int) {}
    virtual void onRightUp(QPoint, int) {}
    // Left release on the pressed control, or Enter/Space on the focused one (0, 0).
    virtual void onClick(QPoint, int) {}
    virtual void onMouseEnter(ControlHandle /*previous*/) {}
    virtual void onMouseLeave(ControlHandle /*next*/) {}
    // delta in 120ths of a notch; local is the last mouse position over the host.
    virtual bool onWheel(int /*delta*/, QPoint /*local*/, int /*modifiers*/) { return false; }
    virtual bool onKeyDown(int /*virtualKey*/, int /*modifiers*/) { return false; }
    virtual bool onKeyUp(int, int) { return false; }
    virtual bool onChar(int /*utf16Unit*/) { return false; }
    virtual void onFocusIn(ControlHandle /*previous*/, bool /*byKeyboard*/) {}
    virtual void onFocusOut(ControlHandle /*next*/) {}
    virtual bool onSetCursor() { return false; }
    virtual void onShow() {}
    virtual void onHide() {}
    virtual bool onEnableChanged(bool /*disabled*/) { return false; }
    virtual void onTimer() {}
    // After a move or resize has been applied (the surface already has the new size).
    virtual void onGeometryChanged(const QRect& /*old*/) {}
    virtual void onFontChanged() {}
    virtual void onAnimationStart() {}
    virtual void onAnimationEnd() {}
    virtual bool onDrawAnimationFrame(AnimationFrameContext&) { return false; }
    virtual void onThemeChanged() {}
};

}  // namespace vamu::toolkit
