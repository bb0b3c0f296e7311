#pragma once
// The skinned context menu: a list of items built in code, shown in a borderless,
// topmost, layered host window that paints the theme's "SysShadow.Menu" frame. An
// item runs a handler, sends a command message (kCommandMessage, wParam = id) or
// opens a submenu once the mouse has rested on it for kHoverDelayMs.
//
// popup() returns only when the whole chain of menus has closed: by a choice, a
// click elsewhere (the chain loses the focus), or Esc on the root menu (Esc on a
// submenu closes just that one). Meanwhile a nested message loop keeps every other
// window painting and every timer running, so code run by those may re-enter.
//
// A menu is a value the application keeps; items can change between shows. Each
// popup() works on a copy, so a handler may change or destroy the menu that called
// it. Submenus are shared: the application keeps them alive as long as it likes.
// UI thread only.

#include "platform/native_window.h"
#include "toolkit/controls/events.h"

#include <QFont>
#include <QImage>
#include <QRgb>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace vamu::toolkit {

class ThemePack;
class PopupMenu;

// Sent to the command receiver (or the owner window) when a command item is chosen.
inline constexpr MessageId kCommandMessage = 273;

// Item state bits.
namespace menu_state {
inline constexpr int kNormal = 0;
inline constexpr int kDisabled = 0x1;
inline constexpr int kChecked = 0x10;   // the theme's check mark at the item's left
inline constexpr int kHidden = 0x8000;  // left out of the menu
}  // namespace menu_state

enum class MenuItemKind { Normal = 1, Separator = 2, Submenu = 3 };

struct MenuEntry {
    QString text;  // "&" marks the access character, "&&" is a plain "&"
    QImage icon;   // shown at the left unless the item is checked
    int state = menu_state::kNormal;
    MenuItemKind kind = MenuItemKind::Normal;
    std::shared_ptr<PopupMenu> submenu;  // for Submenu items
    bool sendsCommand = false;           // true: send commandId; false: call handler
    int commandId = 0;
    std::function<void()> handler;
    QRgb colour = 0xFF000000;  // text colour when not highlighted
    int iconX = 0;             // 0: the theme's "left_icon"
    int textX = 0;             // 0: the theme's "left_text"
    QString tips;              // the item's tooltip; empty: none
};

// The size of a menu and of its items (pixels). The window is 2 pixels taller.
struct MenuMetrics {
    int width = 0;
    int height = 0;
    std::vector<int> itemHeights;  // one per entry; 0 for hidden ones
};

class PopupMenu {
public:
    static constexpr int kHoverDelayMs = 300;

    // Each appends an item and answers its position (from 1).
    int addItem(MenuEntry entry);
    int addCommand(const QString& text, int commandId, int state = menu_state::kNormal);
    int addAction(const QString& text, std::function<void()> handler, int state = menu_state::kNormal);
    int addSubmenu(const QString& text, std::shared_ptr<PopupMenu> submenu, int state = menu_state::kNormal);
    int addSeparator();

    // Items by position from 1; positions outside 1..count() are refused (false,
    // nullptr) and change nothing.
    [[nodiscard]] int count() const { return static_cast<int>(m_items.size()); }
    [[nodiscard]] const MenuEntry* item(int position) const;
    bool removeItem(int position);
    bool setItem(int position, MenuEntry entry);
    bool setState(int position, int state);
    bool setText(int position, const QString& text);
    bool setTips(int position, const QString& tips);
    bool setIcon(int position, const QImage& icon);

    // The menu's width: 0 = as wide as the widest text needs; 1..49 become 50.
    void setMinWidth(int width);
    [[nodiscard]] int minWidth() const { return m_minWidth; }
    // Windows colour value (red in the low byte); 0 = the owner window's colour. It
    // is the base of the highlight, separator and highlighted-text colours.
    void setBackgroundColour(long long colour) { m_backgroundColour = colour; }
    [[nodiscard]] long long backgroundColour() const { return m_backgroundColour; }
    // Called with the menu window just before it is shown.
    void setBeforeShow(std::function<void(platform::WindowHandle)> handler) { m_beforeShow = std::move(handler); }
    [[nodiscard]] const std::function<void(platform::WindowHandle)>& beforeShow() const { return m_beforeShow; }
    // Kept for the application; the menu does not call it.
    void setSecondHandler(std::function<void(platform::WindowHandle)> handler) { m_secondHandler = std::move(handler); }
    void setFont(const QFont& font) { m_font = font; }
    // The font set, or the toolkit's default font.
    [[nodiscard]] QFont font() const;

    [[nodiscard]] MenuMetrics metrics(const ThemePack* theme) const;

    // Shows the menu owned by a host window and returns once the chain has closed.
    // Command items go to the receiver control (dropped if it has gone meanwhile), or
    // to the owner window when no receiver is given. With no point (0, 0) the menu
    // opens at the mouse, turned away from the work area's edges; at a given point it
    // opens exactly there. False when the owner has no host window (nothing is shown).
    bool popup(platform::WindowHandle owner, ControlHandle receiver = {}, QPoint at = {});

private:
    int append(MenuEntry entry);
    MenuEntry* at(int position);

    std::vector<MenuEntry> m_items;
    int m_minWidth = 0;
    long long m_backgroundColour = 0;
    std::function<void(platform::WindowHandle)> m_beforeShow;
    std::function<void(platform::WindowHandle)> m_secondHandler;
    std::optional<QFont> m_font;
};

// Where menus open. Sizes are the menu's MenuMetrics (without the extra 2 pixels).
// A root menu opens at the point. At the cursor it is turned to the left or upwards
// where it would pass the work area's right or bottom edge (and kept on the work
// area when it is larger); at a point its caller chose it stays there, as placed
// menus (under a button, beside a list) mean to. A submenu opens beside its item
// (itemRect in the parent's content coordinates), on the left when the right has no
// room, and upwards when it would pass the bottom.
struct MenuMargins {
    int left = 0;
    int top = 0;
    int right = 0;   // negative
    int bottom = 0;  // negative
};
enum class MenuAnchor { Cursor, Point };
[[nodiscard]] QPoint placeRootMenu(QPoint at, MenuAnchor anchor, QSize size, const QRect& workArea);
[[nodiscard]] QPoint placeSubmenu(const QRect& parentWindow, const QRect& itemRect, QSize size,
                                  const MenuMargins& margins, const QRect& workArea);

}  // namespace vamu::toolkit
