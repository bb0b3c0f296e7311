#include "toolkit/controls/edit_scroll.h"

namespace vamu::toolkit {

// The toolkit's scroll bar has not joined this tree yet: edit boxes scroll by the
// caret and the wheel only, and show no bars.
std::unique_ptr<EditScrollBar> EditScrollBar::create(BaseControl&, bool, std::function<void(int)>) { return nullptr; }

EditScrollBar::~EditScrollBar() = default;
void EditScrollBar::setGeometry(const QRect&) {}
void EditScrollBar::setRange(int, int, int) {}
void EditScrollBar::setPosition(int) {}
int EditScrollBar::position() const { return 0; }
bool EditScrollBar::wheel(int) { return false; }

}  // namespace vamu::toolkit
