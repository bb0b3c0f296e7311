#include "toolkit/controls/combo_box.h"

#include "platform/system.h"
#include "platform/ui_thread.h"
#include "toolkit/controls/class_events.h"
#include "toolkit/controls/class_names.h"
#include "toolkit/controls/control_internal.h"
#include "toolkit/controls/edit.h"
#include "toolkit/controls/list_view.h"
#include "toolkit/controls/paint.h"
#include "toolkit/controls/text_paint.h"
#include "toolkit/engine.h"
#include "toolkit/host_window.h"
#include "toolkit/theme_names.h"
#include "toolkit/toolkit.h"

#include <string>

namespace vamu::toolkit {
namespace {

constexpr std::string_view kSection = theme::kComboBox;
constexpr QRect kDefaultMargin(3, 3, -3, -3);  // edge adjustments: left, top, right, bottom

// A theme edge adjustment (left, top, right, bottom added to the edges) applied.
QRect adjusted(const QRect& rect, const QRect& edges) {
    return rect.adjusted(edges.x(), edges.y(), edges.width(), edges.height());
}

}  // namespace

ComboBox::ComboBox() = default;

ComboBox::~ComboBox() = default;

ComboBox* ComboBox::create(ControlParent parent, const QRect& rect, const CreateOptions& options) {
    ComboBox* combo =
        BaseControl::create(std::make_unique<ComboBox>(), parent, rect, kind::kComboBox, names::kComboBox, options);
    if (combo) combo->syncEditBox();  // EditMode set before creation
    return combo;
}

int ComboBox::insertItem(int index, const QString& text, int value) {
    if (index <= 0 || index > itemCount()) index = itemCount() + 1;
    m_items.insert(m_items.begin() + (index - 1), Item{text, value});
    if (m_current >= index) ++m_current;
    return index;
}

bool ComboBox::removeItem(int item) {
    if (!validItem(item)) return false;
    m_items.erase(m_items.begin() + (item - 1));
    if (m_current == item)
        m_current = 0;
    else if (m_current > item)
        --m_current;
    return true;
}

void ComboBox::clear() {
    m_items.clear();
    m_current = 0;
}

QString ComboBox::itemText(int item) const { return validItem(item) ? m_items[item - 1].text : QString(); }

bool ComboBox::setItemText(int item, const QString& text) {
    if (!validItem(item)) return false;
    m_items[item - 1].text = text;
    if (item == m_current) setText(text);
    return true;
}

int ComboBox::itemValue(int item) const { return validItem(item) ? m_items[item - 1].value : 0; }

bool ComboBox::setItemValue(int item, int value) {
    if (!validItem(item)) return false;
    m_items[item - 1].value = value;
    return true;
}

void ComboBox::setCurrentItem(int item) {
    m_current = validItem(item) ? item : 0;
    if (m_current) setText(m_items[m_current - 1].text);
}

void ComboBox::setText(const QString& text) {
    if (text == m_text) return;
    m_text = text;
    if (Edit* edit = editBox())
        edit->setText(text);
    else if (isCreated())
        redraw();
}

void ComboBox::setTextColour(QRgb colour) {
    m_textColour = colour;
    if (Edit* edit = editBox()) edit->setColours(colour);
    if (isCreated()) redraw();
}

void ComboBox::setEditMode(bool on) {
    if (on == m_editMode) return;
    m_editMode = on;
    if (!isCreated()) return;
    syncEditBox();
    redraw();
}

Edit* ComboBox::editBox() const { return resolveControlAs<Edit>(m_edit); }

bool ComboBox::hasFocusWithin() const {
    const Edit* edit = editBox();
    return isFocused() || (edit && edit->isFocused());
}

void ComboBox::syncEditBox() {
    Edit* edit = editBox();
    if (!m_editMode) {
        if (edit) {
            edit->destroy();
            setTabStop(m_tabStopBeforeEdit);
        }
        m_edit = {};
        return;
    }
    if (edit || !isCreated()) return;
    EditOptions options;
    options.text = m_text;
    options.crText = m_textColour;
    options.crBorder = 0xFFFFFFFF;  // the field's white, without the edit box's own frame
    options.fontName = font().family();
    options.fontSize = font().pixelSize() > 0 ? font().pixelSize() : 12;
    options.fontStyle = fontStyleOf(font());
    edit = Edit::create(*this, textRect(), options);
    if (!edit) return;
    m_edit = edit->handle();
    // The edit box takes the combo box's place in the Tab chain.
    m_tabStopBeforeEdit = tabStop();
    edit->setTabStop(m_tabStopBeforeEdit);
    edit->setTabStopIndex(tabStopIndex());
    setTabStop(false);
    const ControlHandle self = handle();
    edit->bind(tkm::kEditChanged, [self](const Event&) {
        auto* combo = resolveControlAs<ComboBox>(self);
        if (Edit* box = combo ? combo->editBox() : nullptr) combo->m_text = box->text();
        return false;
    });
    // The field looks focused while its edit box is.
    const auto repaintCombo = [self](const Event&) {
        if (auto* combo = resolveControlAs<ComboBox>(self)) combo->redraw();
        return false;
    };
    edit->bindFocusIn(repaintCombo);
    edit->bindFocusOut(repaintCombo);
}

std::optional<PropertyValues> ComboBox::property(std::string_view name, const PropertyValues* set) {
    if (auto text = textProperty(name, set, m_text, [this](const QString& t) { setText(t); })) return text;
    if (name == "crText") {
        if (set) setTextColour(static_cast<QRgb>(intArgument(*set, 0)));
        return PropertyValues{static_cast<long long>(m_textColour)};
    }
    if (name == "EditMode") {
        if (set) setEditMode(intArgument(*set, 0) != 0);
        return PropertyValues{m_editMode ? 1LL : 0LL};
    }
    return std::nullopt;
}

QRect ComboBox::buttonRect() const {
    const ThemePack* theme = host() ? host()->theme() : nullptr;
    const auto image = engine::getPackImageRect(theme, kSection, "normal_btn");
    const int buttonWidth = image ? static_cast<int>(image->rect.width()) : 20;
    const QRect edges = engine::getPackRect(theme, kSection, theme::kButtonMargin).value_or(QRect(0, 1, -1, -2));
    return adjusted(QRect(width() - buttonWidth, 0, buttonWidth, height()), edges);
}

QRect ComboBox::textRect() const {
    const ThemePack* theme = host() ? host()->theme() : nullptr;
    QRect area = adjusted(QRect(0, 0, width(), height()),
                          engine::getPackRect(theme, kSection, theme::kMargin).value_or(kDefaultMargin));
    area.setLeft(area.left() + 2);
    area.setRight(std::min(area.right(), buttonRect().left() - 2));
    return area;
}

void ComboBox::onPaint(QPainter& painter, const PaintContext& context) {
    const ThemePack* theme = host()->theme();
    std::uint32_t flags = state();
    if (m_open) flags |= state::kPressed;
    if (hasFocusWithin()) flags |= state::kFocused;
    if (!paint::drawSkinState(painter, theme, kSection, QRectF(context.whole), flags, theme::kGrid,
                              paint::fill::kStretch)) {
        painter.fillRect(context.whole, Qt::white);
        paint::drawBorder(painter, QRectF(context.whole), 3, qRgba(0, 0, 0, 102));
    }
    // The button has no focus look of its own.
    std::string buttonKey(paint::stateKey(flags & ~state::kFocused));
    buttonKey.append(theme::kButtonSuffix);
    const QRect button = buttonRect();
    paint::drawSkinImage(painter, theme, kSection, QRectF(button), buttonKey, "gird_btn", paint::fill::kStretch);
    paint::drawSkinImage(painter, theme, kSection, QRectF(button), m_open ? theme::kSpinUp : theme::kSpinDown, "",
                         paint::fill::kCentre);
    if (m_editMode) return;  // the edit box shows the text
    paint::TextFormat format;
    format.alignment = Qt::AlignLeft | Qt::AlignVCenter;
    format.ellipsis = true;
    paint::drawText(painter, QRectF(textRect()), m_text, font(), m_textColour, format);
}

void ComboBox::onLeftDown(QPoint, int) {
    if (!m_open) dropDown();
}

void ComboBox::onMouseEnter(ControlHandle) { redraw(); }
void ComboBox::onMouseLeave(ControlHandle) { redraw(); }
void ComboBox::onFocusIn(ControlHandle, bool) {
    if (Edit* edit = editBox())
        edit->setFocus();
    else
        redraw();
}

void ComboBox::onFocusOut(ControlHandle) { redraw(); }

void ComboBox::onDestroy() { closeDropDown(); }

void ComboBox::onGeometryChanged(const QRect&) {
    if (Edit* edit = editBox()) edit->setRect(textRect());
}

ListView* ComboBox::dropDownList() const { return resolveControlAs<ListView>(m_list); }

void ComboBox::closeDropDown() {
    if (m_loop) m_loop->quit();
}

void ComboBox::raiseSimple(MessageId message, int item) { raise(classEvent(*this, message, item)); }

int ComboBox::dropDown() {
    if (m_open || !isCreated()) return 0;
    detail::DispatchScope scope;  // the combo box may be destroyed while the loop runs
    raiseSimple(tkm::kComboDropDownOpen);
    if (!isCreated()) return 0;
    m_open = true;
    m_chosen = 0;
    redraw();
    openWindow();
    if (host()) host()->controls().releaseCapture();  // the drop-down takes the mouse now
    platform::MessageLoop loop;
    m_loop = &loop;
    if (m_window) loop.run();
    m_loop = nullptr;
    m_window.reset();
    m_list = {};
    m_open = false;
    if (!isCreated()) return 0;
    const int chosen = validItem(m_chosen) ? m_chosen : 0;
    raiseSimple(tkm::kComboDropDownClosed);
    if (!isCreated()) return chosen;
    if (chosen) {
        setCurrentItem(chosen);
        if (Edit* edit = editBox()) {
            edit->setSelection(0, -1);
            edit->setFocus();
        }
        raiseSimple(tkm::kComboItemChanged, chosen);
        if (!isCreated()) return chosen;
    }
    redraw();
    return chosen;
}

void ComboBox::openWindow() {
    HostWindow* owner = host();
    if (!owner) return;
    const ThemePack* theme = owner->theme();
    const QRect margin = engine::getPackRect(theme, kSection, theme::kMargin).value_or(kDefaultMargin);
    ListViewOptions options;
    options.noHeader = true;
    options.fontName = font().family();
    options.fontSize = font().pixelSize() > 0 ? font().pixelSize() : 12;
    options.textColour = m_textColour;
    const int rowHeight = ListView::rowHeightFor(makeFont(options.fontName, options.fontSize), theme, options);
    // Tall enough for every item without a scroll bar, up to the cap.
    const int frame = margin.y() - margin.height() + 2;
    const int height =
        itemCount() == 0 ? kMaxDropDownHeight : std::min(kMaxDropDownHeight, itemCount() * rowHeight + frame);
    const QPoint screen = owner->geometry().topLeft() + absoluteRect().topLeft();
    int top = screen.y() + this->height();
    if (top + height > platform::screenGeometry().bottom() + 1) top = screen.y() - height;

    WindowSetup placement;
    placement.owner = owner->windowHandle();
    placement.left = screen.x();
    placement.top = top;
    placement.size = QSize(width(), height);
    placement.inTaskBar = false;
    placement.topmost = true;
    placement.style = 0;
    AttachOptions attach;
    attach.owner = placement.owner;
    attach.captionFlags = 0;
    attach.alpha = -1;
    attach.backgroundColour = 0xFFFFFF;
    attach.cornerRadius = 0;
    attach.movable = false;
    auto window = std::make_unique<HostWindow>();
    if (!window->attach(createNativeWindow(placement), attach)) return;
    window->setMargin(0, 0, 0, 0, Redraw::No);
    window->setCloseOnEscape(true);

    const QRect listRect = adjusted(QRect(0, 0, width(), height), margin);
    ListView* list = ListView::create(*window, listRect, options);
    if (!list) return;
    list->insertColumn(0, QString(), std::max(0, listRect.width() - 2));
    for (const Item& item : m_items) list->insertRow(0, item.text, 0, item.value);
    list->setHoverSelect(true);
    list->setSelectedRow(m_current);
    list->ensureVisible(m_current);
    const ControlHandle self = handle();
    list->bindRowClick([self](ListView&, int row, int, QPoint) {
        if (auto* combo = resolveControlAs<ComboBox>(self)) {
            combo->m_chosen = row;
            combo->closeDropDown();
        }
    });
    // Closing waits for the first activation: a window manager may report the
    // owner's focus change before the drop-down's own.
    auto activated = std::make_shared<bool>(false);
    window->bindActivated([activated](const Event& event) {
        if (event.wParam != 0) *activated = true;
        return false;
    });
    window->bindDeactivated([self, activated](const Event&) {
        if (!*activated) return false;
        if (auto* combo = resolveControlAs<ComboBox>(self)) combo->closeDropDown();
        return false;
    });
    window->bindClose([self](const Event&) {
        if (auto* combo = resolveControlAs<ComboBox>(self)) combo->closeDropDown();
        return true;
    });
    m_list = list->handle();
    m_window = std::move(window);
    m_window->show();
    if (platform::NativeWindow* native = m_window->nativeWindow()) native->activate();
    list->setFocus();
}

void ComboBox::bindItemChanged(ItemHandler handler) {
    bind(tkm::kComboItemChanged,
         typedHandler<ComboBox>([h = std::move(handler)](ComboBox& c, const Event& e) { h(c, firstValue(e)); }));
}

void ComboBox::bindDropDownOpened(DropDownHandler handler) {
    bind(tkm::kComboDropDownOpen,
         typedHandler<ComboBox>([h = std::move(handler)](ComboBox& c, const Event&) { h(c); }));
}

void ComboBox::bindDropDownClosed(DropDownHandler handler) {
    bind(tkm::kComboDropDownClosed,
         typedHandler<ComboBox>([h = std::move(handler)](ComboBox& c, const Event&) { h(c); }));
}

}  // namespace vamu::toolkit
