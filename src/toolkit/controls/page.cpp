#include "toolkit/controls/page.h"

#include "toolkit/controls/class_names.h"

namespace vamu::toolkit {

Page* Page::create(ControlParent parent, const QRect& rect, bool visible) {
    CreateOptions options;
    options.visible = visible;
    options.focusable = false;
    options.tabStop = false;
    options.drawTabStop = false;
    return BaseControl::create(std::unique_ptr<Page>(new Page), parent, rect, kind::kPage, names::kPage, options);
}

}  // namespace vamu::toolkit
