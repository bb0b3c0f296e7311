#pragma once
// The page: an invisible container. It draws nothing (its surface is one pixel) and
// only holds child controls, which move, hide and go with it.

#include "toolkit/controls/control.h"

namespace vamu::toolkit {

class Page final : public BaseControl {
public:
    static Page* create(ControlParent parent, const QRect& rect, bool visible = true);

private:
    Page() = default;
};

}  // namespace vamu::toolkit
