#pragma once
// The check box and the radio button: a box picture from their skin section at the
// left, vertically centred, the text after it, and no button background. The box
// shows the visual state's picture, with "_ck" appended to its key when checked.
//
// A click toggles a check box before the application's click handler runs. A radio
// button that is clicked while unchecked unchecks every sibling radio button with
// the same CheckIndex (by default the parent control), then checks itself. Setting
// the checked state from code changes only that button.

#include "toolkit/controls/button.h"

#include <string_view>

namespace vamu::toolkit {

class ToggleButton : public Button {
public:
    [[nodiscard]] bool isChecked() const { return m_checked; }
    void setChecked(bool on);

protected:
    explicit ToggleButton(std::string_view section) : m_section(section) {}
    bool paintBackground(QPainter&, std::uint32_t) override { return true; }
    void afterDraw(QPainter& painter, ButtonLayout& layout, std::uint32_t visualState) override;

private:
    std::string_view m_section;
    bool m_checked = false;
};

class CheckButton final : public ToggleButton {
public:
    static CheckButton* create(ControlParent parent, const QRect& rect, const ButtonSetup& setup = {});
    std::optional<PropertyValues> property(std::string_view name, const PropertyValues* set) override;

private:
    CheckButton();
    std::intptr_t preFilter(const Message& message) override;
};

class RadioButton final : public ToggleButton {
public:
    static RadioButton* create(ControlParent parent, const QRect& rect, const ButtonSetup& setup = {});
    [[nodiscard]] long long checkIndex() const { return m_checkIndex; }
    void setCheckIndex(long long index) { m_checkIndex = index; }
    std::optional<PropertyValues> property(std::string_view name, const PropertyValues* set) override;

private:
    RadioButton();
    std::intptr_t preFilter(const Message& message) override;
    std::intptr_t classProc(const Message& message) override;

    long long m_checkIndex = 0;
};

}  // namespace vamu::toolkit
