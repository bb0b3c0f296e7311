#pragma once
// The caption elements a host window draws for itself: the window icon and the
// title. The caption buttons are SysButton controls. Internal to the host window.

#include "toolkit/controls/control.h"

namespace vamu::toolkit::detail {

class CaptionIcon final : public BaseControl {
protected:
    void onPaint(QPainter& painter, const PaintContext& context) override;
};

class CaptionTitle final : public BaseControl {
protected:
    void onPaint(QPainter& painter, const PaintContext& context) override;
};

}  // namespace vamu::toolkit::detail
