#include "toolkit/controls/check_button.h"

#include "toolkit/accessibility.h"
#include "toolkit/controls/class_names.h"
#include "toolkit/controls/paint.h"
#include "toolkit/engine.h"
#include "toolkit/host_window.h"
#include "toolkit/theme_names.h"

#include <string>

namespace vamu::toolkit {
namespace {

constexpr QSize kStandardBox(17, 17);

}  // namespace

void ToggleButton::setChecked(bool on) {
    if (on == m_checked) return;
    m_checked = on;
    redraw();
    accessibility::stateChanged(*this, accessibility::StateChange::Checked);
}

void ToggleButton::afterDraw(QPainter& painter, ButtonLayout& layout, std::uint32_t visualState) {
    const auto size = engine::getPackRect(theme(), m_section, theme::kSize);
    const QSize boxSize = size ? size->size() : kStandardBox;
    const QRect box(QPoint(2, (height() - boxSize.height()) / 2), boxSize);
    // The text follows the box; a box on an odd row pushes it one more pixel, and a
    // pressed button keeps the text on its row (only the box moves with the press).
    layout.text.moveLeft(box.x() + box.width() + 3 + (box.y() % 2 != 0 ? 1 : 0));
    if (visualState == button_state::kPressed) layout.text.translate(0, -1);
    std::string key(paint::stateKey(visualState & (state::kHot | state::kPressed)));
    if (m_checked) key += theme::kCheckedSuffix;
    paint::drawSkinImage(painter, theme(), m_section, QRectF(box), key);
    setFocusRect(QRect(QPoint(box.x() - 2, box.y() - 2), QPoint(box.right() + 5, box.bottom() + 5)));
}

CheckButton::CheckButton() : ToggleButton(theme::kCheckButton) {}

CheckButton* CheckButton::create(ControlParent parent, const QRect& rect, const ButtonSetup& setup) {
    return createAs(std::unique_ptr<CheckButton>(new CheckButton), parent, rect, setup, kind::kCheckButton,
                    names::kCheckButton);
}

std::intptr_t CheckButton::preFilter(const Message& message) {
    // Before the handlers: the application's click handler sees the new state.
    if (message.id == tkm::kClick) setChecked(!isChecked());
    return 0;
}

std::optional<PropertyValues> CheckButton::property(std::string_view name, const PropertyValues* set) {
    if (name == "Check") {
        if (set) setChecked(intArgument(*set, 0) != 0);
        return PropertyValues{static_cast<long long>(isChecked() ? 1 : 0)};
    }
    return Button::property(name, set);
}

RadioButton::RadioButton() : ToggleButton(theme::kRadioButton) {}

RadioButton* RadioButton::create(ControlParent parent, const QRect& rect, const ButtonSetup& setup) {
    auto button = std::unique_ptr<RadioButton>(new RadioButton);
    button->m_checkIndex = parent.control ? static_cast<long long>(parent.control->handle().value) : 0;
    return createAs(std::move(button), parent, rect, setup, kind::kRadioButton, names::kRadioButton);
}

std::intptr_t RadioButton::preFilter(const Message& message) {
    if (message.id != tkm::kClick || isChecked()) return 0;
    // Handles first: an uncheck may run application code that changes the list.
    std::vector<ControlHandle> siblings;
    const auto& list = parent() ? parent()->children() : host()->controls().controls();
    for (const auto& sibling : list) {
        if (sibling.get() != this && dynamic_cast<RadioButton*>(sibling.get())) siblings.push_back(sibling->handle());
    }
    const ControlHandle self = handle();
    for (const ControlHandle sibling : siblings) {
        if (BaseControl* radio = resolveControl(sibling)) {
            radio->dispatch(tkm::kRadioUncheck, static_cast<std::uintptr_t>(m_checkIndex),
                            static_cast<std::intptr_t>(self.value));
        }
    }
    if (resolveControl(self)) setChecked(true);
    return 0;
}

std::intptr_t RadioButton::classProc(const Message& message) {
    if (message.id != tkm::kRadioUncheck) return Button::classProc(message);
    const bool sameGroup = static_cast<long long>(message.wParam) == m_checkIndex;
    if (sameGroup && message.lParam != static_cast<std::intptr_t>(handle().value)) setChecked(false);
    return 1;
}

std::optional<PropertyValues> RadioButton::property(std::string_view name, const PropertyValues* set) {
    if (name == "Check") {
        if (set) setChecked(intArgument(*set, 0) != 0);
        return PropertyValues{static_cast<long long>(isChecked() ? 1 : 0)};
    }
    if (name == "CheckIndex") {
        if (set) setCheckIndex(intArgument(*set, 0));
        return PropertyValues{m_checkIndex};
    }
    return Button::property(name, set);
}

}  // namespace vamu::toolkit
