#include "toolkit/popup_menu.h"

#include "toolkit/controls/text_paint.h"
#include "toolkit/menu_window.h"
#include "toolkit/toolkit.h"

#include <QFontMetricsF>

#include <cmath>

namespace vamu::toolkit {
namespace {

constexpr int kSeparatorHeight = 3;
constexpr int kItemPadding = 11;  // beyond the font's line spacing
constexpr int kSubmenuRoom = 5;   // for the arrow; taken off again without submenus
constexpr int kSmallestWidth = 50;

}  // namespace

int PopupMenu::append(MenuEntry entry) {
    m_items.push_back(std::move(entry));
    return count();
}

int PopupMenu::addItem(MenuEntry entry) {
    if (entry.kind == MenuItemKind::Submenu && !entry.submenu) entry.kind = MenuItemKind::Normal;
    return append(std::move(entry));
}

int PopupMenu::addCommand(const QString& text, int commandId, int state) {
    MenuEntry entry;
    entry.text = text;
    entry.state = state;
    entry.sendsCommand = true;
    entry.commandId = commandId;
    return append(std::move(entry));
}

int PopupMenu::addAction(const QString& text, std::function<void()> handler, int state) {
    MenuEntry entry;
    entry.text = text;
    entry.state = state;
    entry.handler = std::move(handler);
    return append(std::move(entry));
}

int PopupMenu::addSubmenu(const QString& text, std::shared_ptr<PopupMenu> submenu, int state) {
    MenuEntry entry;
    entry.text = text;
    entry.state = state;
    entry.kind = MenuItemKind::Submenu;
    entry.submenu = std::move(submenu);
    return addItem(std::move(entry));
}

int PopupMenu::addSeparator() {
    MenuEntry entry;
    entry.kind = MenuItemKind::Separator;
    return append(std::move(entry));
}

MenuEntry* PopupMenu::at(int position) {
    if (position < 1 || position > count()) return nullptr;
    return &m_items[static_cast<std::size_t>(position - 1)];
}

const MenuEntry* PopupMenu::item(int position) const { return const_cast<PopupMenu*>(this)->at(position); }

bool PopupMenu::removeItem(int position) {
    if (!at(position)) return false;
    m_items.erase(m_items.begin() + (position - 1));
    return true;
}

bool PopupMenu::setItem(int position, MenuEntry entry) {
    MenuEntry* slot = at(position);
    if (!slot) return false;
    if (entry.kind == MenuItemKind::Submenu && !entry.submenu) entry.kind = MenuItemKind::Normal;
    *slot = std::move(entry);
    return true;
}

bool PopupMenu::setState(int position, int state) {
    MenuEntry* slot = at(position);
    if (!slot) return false;
    slot->state = state;
    return true;
}

bool PopupMenu::setText(int position, const QString& text) {
    MenuEntry* slot = at(position);
    if (!slot) return false;
    slot->text = text;
    return true;
}

bool PopupMenu::setTips(int position, const QString& tips) {
    MenuEntry* slot = at(position);
    if (!slot) return false;
    slot->tips = tips;
    return true;
}

bool PopupMenu::setIcon(int position, const QImage& icon) {
    MenuEntry* slot = at(position);
    if (!slot) return false;
    slot->icon = icon;
    return true;
}

void PopupMenu::setMinWidth(int width) { m_minWidth = width <= 0 ? 0 : std::max(width, kSmallestWidth); }

QFont PopupMenu::font() const { return m_font.value_or(toolkitFont()); }

MenuMetrics PopupMenu::metrics(const ThemePack* theme) const {
    const detail::MenuTheme values = detail::MenuTheme::read(theme);
    const QFont menuFont = font();
    const int itemHeight = static_cast<int>(QFontMetricsF(menuFont).lineSpacing() + kItemPadding);
    paint::TextFormat format;
    format.prefix = paint::HotkeyPrefix::Show;
    MenuMetrics result;
    double widest = 0;
    bool anySubmenu = false;
    int height = 0;
    for (const MenuEntry& entry : m_items) {
        if (entry.state & menu_state::kHidden) {
            result.itemHeights.push_back(0);
            continue;
        }
        const int h = entry.kind == MenuItemKind::Separator ? kSeparatorHeight : itemHeight;
        result.itemHeights.push_back(h);
        height += h;
        if (entry.kind == MenuItemKind::Separator) continue;
        anySubmenu = anySubmenu || entry.kind == MenuItemKind::Submenu;
        widest = std::max(widest, paint::measureText(QRectF(0, 0, 100000, 1000), entry.text, menuFont, format).width());
    }
    const MenuMargins& m = values.margins;
    result.width = static_cast<int>(std::ceil(widest)) + 2 * values.leftText + m.left - m.right +
                   (anySubmenu ? kSubmenuRoom : -kSubmenuRoom);
    if (m_minWidth > 0) result.width = m_minWidth;
    result.height = height + m.top - m.bottom;
    return result;
}

bool PopupMenu::popup(platform::WindowHandle owner, ControlHandle receiver, QPoint at) {
    if (!HostWindow::fromWindow(owner)) return false;
    // The chain works on a copy: a handler may change or destroy this menu.
    const PopupMenu copy = *this;
    detail::MenuChain chain(owner, receiver);
    chain.run(copy, at);
    return true;
}

QPoint placeRootMenu(QPoint at, MenuAnchor anchor, QSize size, const QRect& workArea) {
    if (anchor == MenuAnchor::Point) return at;
    QPoint place = at;
    const int right = workArea.x() + workArea.width();
    const int bottom = workArea.y() + workArea.height();
    if (place.x() + size.width() > right) place.rx() -= size.width();
    if (place.y() + size.height() > bottom) place.ry() -= size.height();
    // A menu taller or wider than the screen still starts on it.
    place.setX(std::max(place.x(), workArea.x()));
    place.setY(std::max(place.y(), workArea.y()));
    return place;
}

QPoint placeSubmenu(const QRect& parentWindow, const QRect& itemRect, QSize size, const MenuMargins& margins,
                    const QRect& workArea) {
    const int parentRight = parentWindow.x() + parentWindow.width();
    const int itemBottom = itemRect.y() + itemRect.height();
    int x = parentRight + margins.right + 1;
    int y = parentWindow.y() + itemRect.y() - 1;
    if (x + size.width() - margins.left + margins.right > workArea.x() + workArea.width()) {
        x = parentWindow.x() - size.width() - margins.right - 1;
    }
    if (y + size.height() > workArea.y() + workArea.height()) {
        y = parentWindow.y() + itemBottom - size.height() + margins.top - margins.bottom - 1;
    }
    return {std::max(x, workArea.x()), std::max(y, workArea.y())};
}

}  // namespace vamu::toolkit
