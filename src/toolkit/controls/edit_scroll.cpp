#include "toolkit/controls/edit_scroll.h"

#include "toolkit/controls/scroll_bar.h"

#include <utility>

namespace vamu::toolkit {
namespace {

ScrollBar* barOf(ControlHandle handle) { return resolveControlAs<ScrollBar>(handle); }

}  // namespace

std::unique_ptr<EditScrollBar> EditScrollBar::create(BaseControl& edit, bool vertical, std::function<void(int)> moved) {
    CreateOptions options = ScrollBar::defaultOptions();
    options.focusable = false;  // the text keeps the focus while the bar is used
    options.tabStop = false;
    options.mouseTrack = true;
    ScrollBar* bar = ScrollBar::create(edit, QRect(0, 0, kThickness, kThickness),
                                       vertical ? Orientation::Vertical : Orientation::Horizontal, options);
    if (!bar) return nullptr;
    std::unique_ptr<EditScrollBar> result(new EditScrollBar());
    result->m_control = bar->handle();
    result->m_moved = std::move(moved);
    // The bar may outlive this object by a moment (the edit box goes first): the
    // handler holds only a weak token.
    std::weak_ptr<EditScrollBar*> self = result->m_self;
    bar->bindScroll([self](ScrollBar&, int position, ScrollCode) {
        const auto owner = self.lock();
        if (!owner) return;
        EditScrollBar& scroller = **owner;
        // A move the edit box is applying itself is not reported back to it.
        if (scroller.m_applying || !scroller.m_moved) return;
        scroller.m_applying = true;
        scroller.m_moved(position);
        scroller.m_applying = false;
    });
    return result;
}

EditScrollBar::~EditScrollBar() {
    m_self.reset();
    if (ScrollBar* bar = barOf(m_control)) bar->destroy();
}

void EditScrollBar::setGeometry(const QRect& rect) {
    if (ScrollBar* bar = barOf(m_control)) bar->setRect(rect);
}

void EditScrollBar::setRange(int content, int view, int line) {
    ScrollBar* bar = barOf(m_control);
    if (!bar) return;
    const bool applying = std::exchange(m_applying, true);
    bar->setRange(0, std::max(content, view));
    bar->setViewPos(view);
    bar->setLineChange(std::max(line, 1));
    bar->setPageChange(std::max(3 * line, 1));
    m_applying = applying;
}

void EditScrollBar::setPosition(int offset) {
    ScrollBar* bar = barOf(m_control);
    if (!bar) return;
    const bool applying = std::exchange(m_applying, true);
    bar->setPos(offset);
    m_applying = applying;
}

int EditScrollBar::position() const {
    const ScrollBar* bar = barOf(m_control);
    return bar ? bar->pos() : 0;
}

bool EditScrollBar::wheel(int delta) {
    ScrollBar* bar = barOf(m_control);
    if (!bar || m_applying) return false;
    const int before = bar->pos();
    bar->dispatch(msg::kMouseWheel, static_cast<std::uintptr_t>(static_cast<std::uint16_t>(delta)) << 16, 0);
    return bar->pos() != before;
}

}  // namespace vamu::toolkit
