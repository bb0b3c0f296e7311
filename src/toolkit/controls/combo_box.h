#pragma once
// The combo box: a field showing the current item's text with a drop-down button,
// drawn from the theme's "ComboBox" parts. A left press opens the drop-down: a
// borderless topmost window right below the box (above it near the bottom of the
// screen) holding a list of the items that selects the row under the mouse. A
// click on a row chooses it; losing activation or Esc closes without a choice.
// Opening runs a nested message loop until the drop-down has closed, so other
// windows keep painting meanwhile.
//
// Items are numbered from 1 (0: none). Events (message, what the typed handler
// gets): 20601 the user chose an item (its number), 20607 the drop-down opens,
// 20608 it closed. Setters raise nothing. UI thread only.
//
// In EditMode an edit box lies over the text area: the user types the text there,
// and focusing the combo box focuses it; only the button opens the drop-down, and a
// chosen item's text lands in it with all of it selected.

#include "toolkit/controls/control.h"
#include "toolkit/controls/control_properties.h"

#include <QRgb>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

namespace vamu::platform {
class MessageLoop;
}

namespace vamu::toolkit {

class Edit;
class ListView;

namespace tkm {
inline constexpr MessageId kComboItemChanged = 20601;
inline constexpr MessageId kComboDropDownOpen = 20607;
inline constexpr MessageId kComboDropDownClosed = 20608;
}  // namespace tkm

class ComboBox : public BaseControl, public PropertyHolder {
public:
    using ItemHandler = std::function<void(ComboBox&, int item)>;
    using DropDownHandler = std::function<void(ComboBox&)>;

    static constexpr int kMaxDropDownHeight = 130;

    static ComboBox* create(ControlParent parent, const QRect& rect, const CreateOptions& options = {});
    ComboBox();
    ~ComboBox() override;

    [[nodiscard]] int itemCount() const { return static_cast<int>(m_items.size()); }
    // Index 0 or past the end appends; answers the new item's number.
    int addItem(const QString& text, int value = 0) { return insertItem(0, text, value); }
    int insertItem(int index, const QString& text, int value = 0);
    bool removeItem(int item);
    void clear();
    [[nodiscard]] QString itemText(int item) const;
    bool setItemText(int item, const QString& text);
    [[nodiscard]] int itemValue(int item) const;
    bool setItemValue(int item, int value);
    [[nodiscard]] int currentItem() const { return m_current; }
    // A valid item also becomes the text; anything else leaves no current item.
    void setCurrentItem(int item);

    [[nodiscard]] const QString& text() const { return m_text; }
    void setText(const QString& text);
    [[nodiscard]] QRgb textColour() const { return m_textColour; }
    void setTextColour(QRgb colour);
    [[nodiscard]] bool editMode() const { return m_editMode; }
    void setEditMode(bool on);
    // The embedded edit box while in EditMode.
    [[nodiscard]] Edit* editBox() const;

    // Opens the drop-down and waits until it closes; answers the chosen item or 0.
    int dropDown();
    void closeDropDown();
    [[nodiscard]] bool dropDownOpen() const { return m_open; }
    // While open: the drop-down's window and its list.
    [[nodiscard]] HostWindow* dropDownWindow() const { return m_window.get(); }
    [[nodiscard]] ListView* dropDownList() const;

    void bindItemChanged(ItemHandler handler);
    void bindDropDownOpened(DropDownHandler handler);
    void bindDropDownClosed(DropDownHandler handler);

    // By name: "Text", "TextW", "crText", "EditMode".
    std::optional<PropertyValues> property(std::string_view name, const PropertyValues* set) override;

    // Layout in control coordinates.
    [[nodiscard]] QRect buttonRect() const;
    [[nodiscard]] QRect textRect() const;

protected:
    void onPaint(QPainter& painter, const PaintContext& context) override;
    void onLeftDown(QPoint local, int modifiers) override;
    void onMouseEnter(ControlHandle previous) override;
    void onMouseLeave(ControlHandle next) override;
    void onFocusIn(ControlHandle previous, bool byKeyboard) override;
    void onFocusOut(ControlHandle next) override;
    void onDestroy() override;
    void onGeometryChanged(const QRect& old) override;

private:
    struct Item {
        QString text;
        int value = 0;
    };

    void openWindow();
    void syncEditBox();
    [[nodiscard]] bool hasFocusWithin() const;
    void raiseSimple(MessageId message, int item = 0);
    [[nodiscard]] bool validItem(int item) const { return item >= 1 && item <= itemCount(); }

    std::vector<Item> m_items;
    int m_current = 0;
    QString m_text;
    QRgb m_textColour = qRgba(0, 0, 0, 240);
    bool m_editMode = false;
    bool m_tabStopBeforeEdit = true;
    bool m_open = false;
    int m_chosen = 0;
    std::unique_ptr<HostWindow> m_window;
    ControlHandle m_list;
    ControlHandle m_edit;
    platform::MessageLoop* m_loop = nullptr;
};

}  // namespace vamu::toolkit
