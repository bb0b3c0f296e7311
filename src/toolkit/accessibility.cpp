#include "toolkit/accessibility.h"

#include "platform/native_window.h"
#include "toolkit/caption.h"
#include "toolkit/controls/button.h"
#include "toolkit/controls/check_button.h"
#include "toolkit/controls/combo_box.h"
#include "toolkit/controls/control.h"
#include "toolkit/controls/control_messages.h"
#include "toolkit/controls/edit.h"
#include "toolkit/controls/group_box.h"
#include "toolkit/controls/label.h"
#include "toolkit/controls/list_view.h"
#include "toolkit/controls/progress.h"
#include "toolkit/controls/scroll_bar.h"
#include "toolkit/controls/slider.h"
#include "toolkit/host_window.h"
#include "toolkit/menu_window.h"
#include "toolkit/message_box.h"
#include "toolkit/popup_menu.h"

#include <QAccessible>
#include <QAccessibleObject>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QWindow>

#include <algorithm>
#include <map>
#include <unordered_map>

namespace vamu::toolkit::accessibility {
namespace {

// Interfaces made so far, by control handle (and row), so that each is made once and
// freed with its control. Qt's cache owns them.
struct Registry {
    bool installed = false;
    std::unordered_map<std::uint32_t, QAccessible::Id> controls;
    std::unordered_map<std::uint32_t, std::map<int, QAccessible::Id>> rows;
    std::unordered_map<std::uint32_t, QString> names;
    Observer observer;
};

Registry& registry() {
    static Registry instance;
    return instance;
}

void report(QAccessibleEvent& event) {
    if (QAccessible::isActive()) QAccessible::updateAccessibility(&event);
    if (registry().observer) {
        const Observer observer = registry().observer;  // it may replace itself
        observer(event);
    }
}

// "&Open" reads "Open"; "&&" is a plain "&".
QString withoutAccessMarks(const QString& text) {
    QString plain;
    plain.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'&') {
            if (i + 1 < text.size() && text[i + 1] == u'&') {
                plain += u'&';
                ++i;
            }
            continue;
        }
        plain += text[i];
    }
    return plain;
}

QPoint screenOrigin(const HostWindow& host) {
    const platform::NativeWindow* native = host.nativeWindow();
    return native ? native->geometry().topLeft() : QPoint();
}

QRect screenRect(const BaseControl& control) {
    if (!control.host()) return {};
    return control.absoluteRect().translated(screenOrigin(*control.host()));
}

bool shownOnScreen(const BaseControl& control) {
    for (const BaseControl* node = &control; node; node = node->parent()) {
        if (!node->isVisible()) return false;
    }
    const platform::NativeWindow* native = control.host() ? control.host()->nativeWindow() : nullptr;
    return native && native->isVisible();
}

bool enabledInTree(const BaseControl& control) {
    for (const BaseControl* node = &control; node; node = node->parent()) {
        if (node->isDisabled()) return false;
    }
    return true;
}

bool isPassword(const Edit& edit) { return edit.options().inputType == input_type::kPassword; }

// What the edit shows: a password box gives out its mask characters only.
QString shownEditText(const Edit& edit) {
    const QString text = edit.text();
    return isPassword(edit) ? QString(text.size(), edit.options().passwordChar) : text;
}

bool clickable(int kind) {
    switch (kind) {
    case kind::kSysButton:
    case kind::kButton:
    case kind::kCheckButton:
    case kind::kRadioButton:
    case kind::kImageButton:
    case kind::kLink:
    case kind::kThunderButton:
    case kind::kImageListButton:
    case kind::kMenuItem:
        return true;
    default:
        return false;
    }
}

const MenuEntry* menuEntry(const BaseControl& control) {
    const auto* item = dynamic_cast<const detail::MenuItem*>(&control);
    return item ? &item->entry() : nullptr;
}

// The text a control shows, as read aloud.
QString shownText(const BaseControl& control) {
    if (const auto* button = dynamic_cast<const Button*>(&control)) return withoutAccessMarks(button->text());
    if (const auto* label = dynamic_cast<const Label*>(&control)) return withoutAccessMarks(label->text());
    if (const auto* group = dynamic_cast<const GroupBox*>(&control)) return withoutAccessMarks(group->text());
    if (const auto* combo = dynamic_cast<const ComboBox*>(&control)) return combo->text();
    if (const MenuEntry* entry = menuEntry(control)) return withoutAccessMarks(entry->text);
    if (dynamic_cast<const detail::CaptionTitle*>(&control) && control.host()) return control.host()->title();
    return {};
}

// Caption buttons draw a picture only; without a tooltip they are read by what they do.
QString captionName(const BaseControl& control) {
    const HostWindow* host = control.host();
    if (!host || control.parent()) return {};
    static const std::pair<unsigned, const char16_t*> kNames[] = {
        {caption::kClose, u"关闭"},   {caption::kMax, u"最大化"}, {caption::kMin, u"最小化"},
        {caption::kMenu, u"菜单"},    {caption::kSkin, u"换肤"},  {caption::kReport, u"反馈"},
        {caption::kSetting, u"设置"},
    };
    for (const auto& [flag, name] : kNames) {
        if (host->captionControl(flag) == &control) return QString::fromUtf16(name);
    }
    return {};
}

// A label just left of the control on its row, or just above it, names a control that
// shows no text of its own (an edit, a list, a slider): the layouts place them so.
QString labelBefore(const BaseControl& control) {
    const BaseControl* before = control.previousSibling();
    const auto* label = dynamic_cast<const Label*>(before);
    if (!label || before->kind() != kind::kLabel || !label->isVisible()) return {};
    constexpr int kGap = 12;
    const QRect l = label->rect();
    const QRect c = control.rect();
    const bool sameRow = l.top() < c.bottom() && c.top() < l.bottom();
    const bool sameColumn = l.left() < c.right() && c.left() < l.right();
    const bool left = sameRow && l.right() < c.left() + kGap && c.left() - l.right() <= kGap;
    const bool above = sameColumn && l.bottom() < c.top() + kGap && c.top() - l.bottom() <= kGap;
    if (!left && !above) return {};
    QString text = withoutAccessMarks(label->text()).trimmed();
    while (text.endsWith(u':') || text.endsWith(u'\uFF1A')) text.chop(1);
    return text;
}

QAccessible::Role roleOf(const BaseControl& control) {
    switch (control.kind()) {
    case kind::kSysButton:
    case kind::kButton:
    case kind::kImageButton:
    case kind::kThunderButton:
    case kind::kImageListButton:
        return QAccessible::PushButton;
    case kind::kCheckButton:
        return QAccessible::CheckBox;
    case kind::kRadioButton:
        return QAccessible::RadioButton;
    case kind::kLink:
        return QAccessible::Link;
    case kind::kLabel:
        return QAccessible::StaticText;
    case kind::kImageBox:
        return QAccessible::Graphic;
    case kind::kEdit:
        return QAccessible::EditableText;
    case kind::kGroupBox:
        return QAccessible::Grouping;
    case kind::kComboBox:
        return QAccessible::ComboBox;
    case kind::kListView:
        return QAccessible::List;
    case kind::kProgress:
        return QAccessible::ProgressBar;
    case kind::kScrollBar:
        return QAccessible::ScrollBar;
    case kind::kSlider:
        return QAccessible::Slider;
    case kind::kPage:
        return QAccessible::Pane;
    case kind::kMenuItem: {
        const MenuEntry* entry = menuEntry(control);
        return entry && entry->kind == MenuItemKind::Separator ? QAccessible::Separator : QAccessible::MenuItem;
    }
    default:
        break;
    }
    if (dynamic_cast<const detail::CaptionTitle*>(&control)) return QAccessible::TitleBar;
    if (dynamic_cast<const detail::CaptionIcon*>(&control)) return QAccessible::Graphic;
    return QAccessible::Client;
}

QAccessibleInterface* childAtPoint(QAccessibleInterface& parent, int x, int y) {
    // Topmost first: children are listed bottom to top.
    for (int i = parent.childCount() - 1; i >= 0; --i) {
        QAccessibleInterface* child = parent.child(i);
        if (child && !child->state().invisible && child->rect().contains(x, y)) return child;
    }
    return nullptr;
}

QAccessibleInterface* rowInterface(ListView& list, int row);

// One control, found again by its handle on every call: the interface outlives
// nothing it refers to.
class ControlAccessible final : public QAccessibleInterface,
                                public QAccessibleActionInterface,
                                public QAccessibleValueInterface,
                                public QAccessibleTextInterface {
public:
    explicit ControlAccessible(ControlHandle handle) : m_handle(handle) {}

    bool isValid() const override { return control() != nullptr; }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override {
        const BaseControl* c = control();
        const platform::NativeWindow* native = c && c->host() ? c->host()->nativeWindow() : nullptr;
        return native ? native->qtWindow() : nullptr;
    }

    QAccessibleInterface* parent() const override {
        BaseControl* c = control();
        if (!c) return nullptr;
        if (c->parent()) return interfaceFor(*c->parent());
        return c->host() ? interfaceFor(*c->host()) : nullptr;
    }
    int rowCount() const {
        const auto* list = dynamic_cast<const ListView*>(control());
        return list ? list->rowCount() : 0;
    }
    QAccessibleInterface* child(int index) const override {
        BaseControl* c = control();
        if (!c || index < 0) return nullptr;
        const int rows = rowCount();
        if (index < rows) return rowInterface(*static_cast<ListView*>(c), index + 1);
        const auto& children = c->children();
        const auto at = static_cast<std::size_t>(index - rows);
        return at < children.size() ? interfaceFor(*children[at]) : nullptr;
    }
    int childCount() const override {
        const BaseControl* c = control();
        return c ? rowCount() + static_cast<int>(c->children().size()) : 0;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        for (int i = 0, count = childCount(); i < count; ++i) {
            if (this->child(i) == child) return i;
        }
        return -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        return childAtPoint(*const_cast<ControlAccessible*>(this), x, y);
    }

    QString text(QAccessible::Text type) const override {
        const BaseControl* c = control();
        if (!c) return {};
        const auto* edit = dynamic_cast<const Edit*>(c);
        switch (type) {
        case QAccessible::Name: {
            if (const auto given = registry().names.find(m_handle.value); given != registry().names.end()) {
                return given->second;
            }
            if (!edit) {
                if (const QString shown = shownText(*c); !shown.isEmpty()) return shown;
            }
            if (!c->tips().isEmpty()) return c->tips();
            if (const QString caption = captionName(*c); !caption.isEmpty()) return caption;
            // An edit inside a combo box is read by the combo box's name.
            if (edit && c->parent() && c->parent()->kind() == kind::kComboBox) {
                if (QAccessibleInterface* combo = interfaceFor(*c->parent())) return combo->text(QAccessible::Name);
            }
            return labelBefore(*c);
        }
        case QAccessible::Value:
            if (edit) return isPassword(*edit) ? QString() : edit->text();
            if (const auto* slider = dynamic_cast<const Slider*>(c)) return QString::number(slider->position());
            return {};
        case QAccessible::Description:
        case QAccessible::Help:
            return c->tips() != text(QAccessible::Name) ? c->tips() : QString();
        default:
            return {};
        }
    }
    void setText(QAccessible::Text, const QString&) override {}

    QRect rect() const override {
        const BaseControl* c = control();
        return c ? screenRect(*c) : QRect();
    }
    QAccessible::Role role() const override {
        const BaseControl* c = control();
        return c ? roleOf(*c) : QAccessible::NoRole;
    }
    QAccessible::State state() const override {
        QAccessible::State s;
        const BaseControl* c = control();
        if (!c) {
            s.invalid = true;
            return s;
        }
        if (!shownOnScreen(*c)) {
            s.invisible = true;
            s.offscreen = true;
        }
        const bool enabled = enabledInTree(*c);
        if (!enabled) s.disabled = true;
        if (c->focusable() && enabled) s.focusable = true;
        if (c->isFocused()) s.focused = true;
        if (c->state() & state::kPressed) s.pressed = true;
        if (c->state() & state::kHot) s.hotTracked = true;
        if (const auto* toggle = dynamic_cast<const ToggleButton*>(c)) {
            s.checkable = true;
            s.checked = toggle->isChecked();
        }
        if (const MenuEntry* entry = menuEntry(*c)) {
            if (entry->state & menu_state::kChecked) s.checkable = s.checked = true;
            if (entry->state & menu_state::kDisabled) s.disabled = true;
            if (entry->kind == MenuItemKind::Submenu) s.hasPopup = true;
        }
        if (const auto* edit = dynamic_cast<const Edit*>(c)) {
            if (isPassword(*edit)) s.passwordEdit = true;
            if (edit->options().inputType == input_type::kReadOnly)
                s.readOnly = true;
            else
                s.editable = true;
        }
        if (c->kind() == kind::kLabel || c->kind() == kind::kGroupBox) s.readOnly = true;
        if (c->kind() == kind::kLink) s.linked = true;
        return s;
    }

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ActionInterface) return static_cast<QAccessibleActionInterface*>(this);
        if (type == QAccessible::ValueInterface && hasValue()) return static_cast<QAccessibleValueInterface*>(this);
        if (type == QAccessible::TextInterface && edit()) return static_cast<QAccessibleTextInterface*>(this);
        return nullptr;
    }

    // Actions.
    QStringList actionNames() const override {
        QStringList names;
        const BaseControl* c = control();
        if (!c) return names;
        if (clickable(c->kind())) names << pressAction();
        if (dynamic_cast<const ToggleButton*>(c)) names << toggleAction();
        if (dynamic_cast<const ScrollBar*>(c)) names << increaseAction() << decreaseAction();
        if (c->focusable()) names << setFocusAction();
        return names;
    }
    void doAction(const QString& name) override {
        BaseControl* c = control();
        if (!c || !shownOnScreen(*c) || !enabledInTree(*c)) return;
        if ((name == pressAction() && clickable(c->kind())) ||
            (name == toggleAction() && dynamic_cast<ToggleButton*>(c))) {
            // The route of Enter, Space and access keys, which click as the mouse does.
            c->dispatch(tkm::kClick, 0, 0);
        } else if (name == setFocusAction() && c->focusable()) {
            c->setFocus();
        } else if (auto* bar = dynamic_cast<ScrollBar*>(c)) {
            if (name == increaseAction()) bar->setPos(bar->pos() + bar->lineChange(), ScrollBar::Notify::Yes);
            if (name == decreaseAction()) bar->setPos(bar->pos() - bar->lineChange(), ScrollBar::Notify::Yes);
        }
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

    // Values.
    bool hasValue() const {
        const BaseControl* c = control();
        return dynamic_cast<const Slider*>(c) || dynamic_cast<const ScrollBar*>(c) || dynamic_cast<const Progress*>(c);
    }
    QVariant currentValue() const override {
        const BaseControl* c = control();
        if (const auto* slider = dynamic_cast<const Slider*>(c)) return slider->position();
        if (const auto* bar = dynamic_cast<const ScrollBar*>(c)) return bar->pos();
        if (const auto* progress = dynamic_cast<const Progress*>(c)) return progress->pos();
        return {};
    }
    void setCurrentValue(const QVariant& value) override {
        // The scroll bar moves as its arrows would move it; the slider and the
        // progress bar follow the program only.
        if (auto* bar = dynamic_cast<ScrollBar*>(control())) {
            if (shownOnScreen(*bar) && enabledInTree(*bar)) bar->setPos(value.toInt(), ScrollBar::Notify::Yes);
        }
    }
    QVariant maximumValue() const override {
        const BaseControl* c = control();
        if (dynamic_cast<const Slider*>(c)) return 100.0;
        if (const auto* bar = dynamic_cast<const ScrollBar*>(c)) return bar->maxPos() - bar->viewPos();
        if (const auto* progress = dynamic_cast<const Progress*>(c)) return progress->maximum();
        return {};
    }
    QVariant minimumValue() const override {
        const BaseControl* c = control();
        if (dynamic_cast<const Slider*>(c)) return 0.0;
        if (const auto* bar = dynamic_cast<const ScrollBar*>(c)) return bar->minPos();
        if (const auto* progress = dynamic_cast<const Progress*>(c)) return progress->minimum();
        return {};
    }
    QVariant minimumStepSize() const override {
        if (const auto* bar = dynamic_cast<const ScrollBar*>(control())) return bar->lineChange();
        return 1;
    }

    // Text, for edits (read as shown; changes go through the selection only).
    void selection(int index, int* start, int* end) const override {
        *start = *end = 0;
        const Edit* e = edit();
        if (!e || index != 0 || !e->engine().hasSelection()) return;
        *start = std::min(e->engine().cursorPosition(), e->engine().anchorPosition());
        *end = std::max(e->engine().cursorPosition(), e->engine().anchorPosition());
    }
    int selectionCount() const override {
        const Edit* e = edit();
        return e && e->engine().hasSelection() ? 1 : 0;
    }
    void addSelection(int start, int end) override { setSelection(0, start, end); }
    void removeSelection(int) override {
        if (Edit* e = edit()) e->setSelection(e->engine().cursorPosition(), e->engine().cursorPosition());
    }
    void setSelection(int, int start, int end) override {
        if (Edit* e = edit()) e->setSelection(start, end);
    }
    int cursorPosition() const override {
        const Edit* e = edit();
        return e ? e->engine().cursorPosition() : 0;
    }
    void setCursorPosition(int position) override {
        if (Edit* e = edit()) e->setSelection(position, position);
    }
    QString text(int start, int end) const override {
        const Edit* e = edit();
        if (!e) return {};
        const QString shown = shownEditText(*e);
        start = std::clamp(start, 0, static_cast<int>(shown.size()));
        end = end < 0 ? static_cast<int>(shown.size()) : std::clamp(end, start, static_cast<int>(shown.size()));
        return shown.mid(start, end - start);
    }
    int characterCount() const override {
        const Edit* e = edit();
        return e ? static_cast<int>(shownEditText(*e).size()) : 0;
    }
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int offset, int* start, int* end) const override {
        *start = 0;
        *end = std::max(offset, characterCount());
        return {};
    }

private:
    BaseControl* control() const { return resolveControl(m_handle); }
    Edit* edit() const { return dynamic_cast<Edit*>(control()); }

    ControlHandle m_handle;
};

// One row of a list view (rows are data, not controls).
class ListRowAccessible final : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    ListRowAccessible(ControlHandle list, int row) : m_list(list), m_row(row) {}

    bool isValid() const override { return list() != nullptr; }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override {
        const ListView* l = list();
        const platform::NativeWindow* native = l && l->host() ? l->host()->nativeWindow() : nullptr;
        return native ? native->qtWindow() : nullptr;
    }
    QAccessibleInterface* parent() const override {
        ListView* l = list();
        return l ? interfaceFor(*l) : nullptr;
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }

    QString text(QAccessible::Text type) const override {
        const ListView* l = list();
        if (!l || type != QAccessible::Name) return {};
        QStringList cells;
        for (int column = 1; column <= l->columnCount(); ++column) {
            const QString cell = l->cellText(m_row, column);
            if (!cell.isEmpty()) cells << cell;
        }
        return cells.join(u", ");
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        const ListView* l = list();
        if (!l || !l->host()) return {};
        const QRect inList = l->rowRect(m_row);
        if (inList.isEmpty()) return {};
        return inList.translated(l->absoluteRect().topLeft() + screenOrigin(*l->host()));
    }
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    QAccessible::State state() const override {
        QAccessible::State s;
        const ListView* l = list();
        if (!l) {
            s.invalid = true;
            return s;
        }
        s.selectable = true;
        if (l->isSelected(m_row)) s.selected = true;
        if (l->isFocused() && l->selectedRow() == m_row) s.focused = true;
        if (!shownOnScreen(*l) || l->rowRect(m_row).isEmpty()) {
            s.invisible = true;
            s.offscreen = true;
        }
        if (!enabledInTree(*l)) s.disabled = true;
        return s;
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this) : nullptr;
    }

    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& name) override {
        ListView* l = list();
        if (name != pressAction() || !l || !l->host() || !shownOnScreen(*l) || !enabledInTree(*l)) return;
        const QRect inList = l->rowRect(m_row);
        if (inList.isEmpty()) return;
        // A left click in the middle of the row, as the mouse makes it.
        const QPoint local = inList.center();
        ControlRoot& root = l->host()->controls();
        root.pressControl(*l, local, false);
        if (ListView* again = list()) root.leftUp(again->absoluteRect().topLeft() + local, 0);
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    ListView* list() const {
        auto* l = resolveControlAs<ListView>(m_list);
        return l && l->model().validRow(m_row) ? l : nullptr;
    }

    ControlHandle m_list;
    int m_row = 0;
};

QAccessibleInterface* rowInterface(ListView& list, int row) {
    auto& ids = registry().rows[list.handle().value];
    if (const auto found = ids.find(row); found != ids.end()) {
        if (QAccessibleInterface* known = QAccessible::accessibleInterface(found->second)) return known;
    }
    auto* made = new ListRowAccessible(list.handle(), row);
    ids[row] = QAccessible::registerAccessibleInterface(made);
    return made;
}

// A host window: the interface of its Qt window.
class HostAccessible final : public QAccessibleObject {
public:
    HostAccessible(QWindow* window, platform::WindowHandle handle) : QAccessibleObject(window), m_handle(handle) {}

    bool isValid() const override { return QAccessibleObject::isValid() && host(); }
    QWindow* window() const override { return qobject_cast<QWindow*>(object()); }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(qApp); }
    QAccessibleInterface* child(int index) const override {
        HostWindow* h = host();
        if (!h || index < 0) return nullptr;
        const auto& controls = h->controls().controls();
        const auto at = static_cast<std::size_t>(index);
        return at < controls.size() ? interfaceFor(*controls[at]) : nullptr;
    }
    int childCount() const override {
        HostWindow* h = host();
        return h ? static_cast<int>(h->controls().controls().size()) : 0;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        for (int i = 0, count = childCount(); i < count; ++i) {
            if (this->child(i) == child) return i;
        }
        return -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        return childAtPoint(*const_cast<HostAccessible*>(this), x, y);
    }
    // The control with the toolkit's focus, wherever it lies in the tree.
    QAccessibleInterface* focusChild() const override {
        HostWindow* h = host();
        BaseControl* focused = h ? resolveControl(h->controls().focused()) : nullptr;
        return focused ? interfaceFor(*focused) : nullptr;
    }
    QString text(QAccessible::Text type) const override {
        HostWindow* h = host();
        if (!h || type != QAccessible::Name) return {};
        return h->title();
    }
    QRect rect() const override {
        HostWindow* h = host();
        return h && h->nativeWindow() ? h->nativeWindow()->geometry() : QRect();
    }
    QAccessible::Role role() const override {
        HostWindow* h = host();
        if (!h) return QAccessible::Window;
        if (isMessageBox(*h)) return QAccessible::Dialog;
        const auto& controls = h->controls().controls();
        if (!controls.empty() && controls.front()->kind() == kind::kMenuItem) return QAccessible::PopupMenu;
        return QAccessible::Window;
    }
    QAccessible::State state() const override {
        QAccessible::State s;
        HostWindow* h = host();
        const platform::NativeWindow* native = h ? h->nativeWindow() : nullptr;
        if (!native) {
            s.invalid = true;
            return s;
        }
        if (!native->isVisible()) s.invisible = true;
        if (native->isActive()) s.active = true;
        if (h && isMessageBox(*h)) s.modal = true;
        if (h && h->sizeBox()) s.sizeable = true;
        if (h && h->movable()) s.movable = true;
        return s;
    }

private:
    HostWindow* host() const { return HostWindow::fromWindow(m_handle); }

    platform::WindowHandle m_handle;
};

QAccessibleInterface* hostFactory(const QString&, QObject* object) {
    auto* window = qobject_cast<QWindow*>(object);
    if (!window) return nullptr;
    platform::NativeWindow* native = platform::NativeWindow::fromQtWindow(window);
    if (!native || !HostWindow::fromWindow(native->handle())) return nullptr;
    return new HostAccessible(window, native->handle());
}

void forgetAll() {
    // Qt's cache frees the interfaces with the application.
    registry().controls.clear();
    registry().rows.clear();
    registry().names.clear();
}

}  // namespace

void install() {
    Registry& reg = registry();
    if (reg.installed) return;
    reg.installed = true;
    QAccessible::installFactory(hostFactory);
    qAddPostRoutine(forgetAll);
}

bool active() { return QAccessible::isActive() || registry().observer; }

void setObserver(Observer observer) { registry().observer = std::move(observer); }

QAccessibleInterface* interfaceFor(HostWindow& host) {
    platform::NativeWindow* native = host.nativeWindow();
    return native ? QAccessible::queryAccessibleInterface(native->qtWindow()) : nullptr;
}

QAccessibleInterface* interfaceFor(BaseControl& control) {
    if (!control.isCreated()) return nullptr;
    auto& ids = registry().controls;
    if (const auto found = ids.find(control.handle().value); found != ids.end()) {
        if (QAccessibleInterface* known = QAccessible::accessibleInterface(found->second)) return known;
    }
    auto* made = new ControlAccessible(control.handle());
    ids[control.handle().value] = QAccessible::registerAccessibleInterface(made);
    return made;
}

void focusMoved(BaseControl& control) {
    if (!active()) return;
    if (QAccessibleInterface* iface = interfaceFor(control)) {
        QAccessibleEvent event(iface, QAccessible::Focus);
        report(event);
    }
}

void textChanged(BaseControl& control) {
    if (!active()) return;
    if (QAccessibleInterface* iface = interfaceFor(control)) {
        QAccessibleEvent event(iface, QAccessible::NameChanged);
        report(event);
    }
}

void stateChanged(BaseControl& control, StateChange change) {
    if (!active()) return;
    QAccessibleInterface* iface = interfaceFor(control);
    if (!iface) return;
    QAccessible::State changed;
    switch (change) {
    case StateChange::Checked:
        changed.checked = true;
        break;
    case StateChange::Disabled:
        changed.disabled = true;
        changed.focusable = true;
        break;
    case StateChange::Visible:
        changed.invisible = true;
        changed.offscreen = true;
        break;
    }
    QAccessibleStateChangeEvent event(iface, changed);
    report(event);
}

void valueChanged(BaseControl& control) {
    if (!active()) return;
    QAccessibleInterface* iface = interfaceFor(control);
    QAccessibleValueInterface* value = iface ? iface->valueInterface() : nullptr;
    if (!value) return;
    QAccessibleValueChangeEvent event(iface, value->currentValue());
    report(event);
}

void editChanged(BaseControl& control, const QString& before) {
    if (!active()) return;
    auto* box = dynamic_cast<Edit*>(&control);
    QAccessibleInterface* iface = box ? interfaceFor(control) : nullptr;
    if (!iface) return;
    const QString& old = before;
    const QString now = box->text();
    // Only the changed middle is reported: what went and what came at one position
    // (found in the real text, given out masked for a password box).
    qsizetype prefix = 0;
    while (prefix < old.size() && prefix < now.size() && old[prefix] == now[prefix]) ++prefix;
    qsizetype suffix = 0;
    while (suffix < old.size() - prefix && suffix < now.size() - prefix &&
           old[old.size() - 1 - suffix] == now[now.size() - 1 - suffix]) {
        ++suffix;
    }
    QString removed = old.mid(prefix, old.size() - prefix - suffix);
    QString inserted = now.mid(prefix, now.size() - prefix - suffix);
    if (isPassword(*box)) {
        removed.fill(box->options().passwordChar);
        inserted.fill(box->options().passwordChar);
    }
    const int at = static_cast<int>(prefix);
    if (removed.isEmpty() && inserted.isEmpty()) return;
    if (removed.isEmpty()) {
        QAccessibleTextInsertEvent event(iface, at, inserted);
        report(event);
    } else if (inserted.isEmpty()) {
        QAccessibleTextRemoveEvent event(iface, at, removed);
        report(event);
    } else {
        QAccessibleTextUpdateEvent event(iface, at, removed, inserted);
        report(event);
    }
}

void caretMoved(BaseControl& control) {
    if (!active()) return;
    auto* box = dynamic_cast<Edit*>(&control);
    QAccessibleInterface* iface = box ? interfaceFor(control) : nullptr;
    if (!iface) return;
    QAccessibleTextCursorEvent event(iface, box->engine().cursorPosition());
    report(event);
}

void titleChanged(HostWindow& host) {
    if (!active()) return;
    if (QAccessibleInterface* iface = interfaceFor(host)) {
        QAccessibleEvent event(iface, QAccessible::NameChanged);
        report(event);
    }
}

void setName(BaseControl& control, const QString& name) {
    if (name.isEmpty())
        registry().names.erase(control.handle().value);
    else
        registry().names[control.handle().value] = withoutAccessMarks(name);
    textChanged(control);
}

void activationChanged(HostWindow& host, bool on) {
    if (!active()) return;
    QAccessibleInterface* iface = interfaceFor(host);
    if (!iface) return;
    QAccessible::State changed;
    changed.active = true;
    QAccessibleStateChangeEvent event(iface, changed);
    report(event);
    if (!on) return;
    if (BaseControl* focused = resolveControl(host.controls().focused())) focusMoved(*focused);
}

void controlDestroyed(BaseControl& control) {
    Registry& reg = registry();
    if (reg.controls.empty() && reg.rows.empty() && reg.names.empty()) return;
    const std::uint32_t key = control.handle().value;
    reg.names.erase(key);
    if (const auto rows = reg.rows.find(key); rows != reg.rows.end()) {
        const std::map<int, QAccessible::Id> ids = std::move(rows->second);
        reg.rows.erase(rows);
        for (const auto& [row, id] : ids) QAccessible::deleteAccessibleInterface(id);
    }
    if (const auto found = reg.controls.find(key); found != reg.controls.end()) {
        const QAccessible::Id id = found->second;
        reg.controls.erase(found);
        if (QAccessibleInterface* iface = QAccessible::accessibleInterface(id); iface && QAccessible::isActive()) {
            QAccessibleEvent event(iface, QAccessible::ObjectDestroyed);
            QAccessible::updateAccessibility(&event);
        }
        QAccessible::deleteAccessibleInterface(id);
    }
}

}  // namespace vamu::toolkit::accessibility
