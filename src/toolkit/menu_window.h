#pragma once
// Internal: the windows of a shown popup menu. One MenuChain lives for each popup()
// call; it owns the root menu window and every submenu window opened from it, runs
// the nested message loop and keeps the pointer's last place over the chain. Each
// MenuWindow is a host window with one MenuItem control per visible entry.
//
//   owner window
//     └─ root MenuWindow ── sub ──> MenuWindow ── sub ──> MenuWindow
//          active item                active item
//
// A closed submenu window is destroyed at once, but its object stays with the chain
// until popup() returns, so code running inside one of its deliveries never finds
// it freed. UI thread only.

#include "platform/ui_thread.h"
#include "toolkit/controls/control.h"
#include "toolkit/host_window.h"
#include "toolkit/popup_menu.h"

#include <memory>
#include <optional>
#include <vector>

namespace vamu::toolkit::detail {

class MenuChain;
class MenuWindow;

// The theme values a menu is laid out and painted with ("SysShadow.Menu").
struct MenuTheme {
    MenuMargins margins;
    int leftIcon = 0;
    int leftText = 0;
    int leftCutLine = 0;
    int rightCutLine = 0;
    std::optional<QRectF> checkMark;  // atlas region
    std::optional<QRectF> frame;      // atlas region of the frame picture
    std::optional<QRectF> frameGrid;
    const ThemePack* pack = nullptr;

    [[nodiscard]] static MenuTheme read(const ThemePack* pack);
};

// One menu line (kind 20, class "MenuItem").
class MenuItem final : public BaseControl {
public:
    MenuItem(MenuWindow& window, int entryIndex) : m_window(window), m_entryIndex(entryIndex) {}
    [[nodiscard]] int entryIndex() const { return m_entryIndex; }
    [[nodiscard]] const MenuEntry& entry() const;
    [[nodiscard]] bool isHot() const { return (state() & state::kHot) || isFocused(); }

protected:
    void onCreate(int createData) override;
    void onPaint(QPainter& painter, const PaintContext& context) override;
    void onMouseEnter(ControlHandle previous) override;
    void onMouseLeave(ControlHandle next) override;
    void onClick(QPoint local, int modifiers) override;
    void onFocusIn(ControlHandle, bool) override { redraw(); }
    void onFocusOut(ControlHandle) override { redraw(); }

private:
    void paintArrow(QPainter& painter, QRgb colour) const;

    MenuWindow& m_window;
    int m_entryIndex = 0;
};

class MenuWindow {
public:
    MenuWindow(MenuChain& chain, MenuWindow* parent, const PopupMenu& menu);
    ~MenuWindow();
    MenuWindow(const MenuWindow&) = delete;
    MenuWindow& operator=(const MenuWindow&) = delete;

    // Creates, places and shows the window; false when it could not be made.
    bool open(platform::WindowHandle owner, QPoint at, const QRect& openerItem);
    void close();
    [[nodiscard]] bool isOpen() const { return m_open; }

    [[nodiscard]] HostWindow& host() const { return *m_host; }
    [[nodiscard]] platform::WindowHandle window() const { return m_host->windowHandle(); }
    [[nodiscard]] MenuWindow* parent() const { return m_parent; }
    [[nodiscard]] MenuWindow* submenu() const { return m_submenu; }
    [[nodiscard]] ControlHandle activeItem() const { return m_active; }
    // Entries by index from 0.
    [[nodiscard]] const MenuEntry& entry(int index) const { return *m_menu.item(index + 1); }
    [[nodiscard]] const MenuTheme& theme() const { return m_theme; }
    [[nodiscard]] const QFont& font() const { return m_font; }
    [[nodiscard]] QRgb baseColour() const;
    [[nodiscard]] std::vector<MenuItem*> items() const;
    [[nodiscard]] MenuChain& chain() { return m_chain; }

    // From the items.
    void itemEntered(MenuItem& item);
    void itemLeft(MenuItem& item);
    void itemClicked(MenuItem& item);
    // Runs kHoverDelayMs after the mouse entered an item.
    void hoverCheck();
    void closeSubmenu();

private:
    std::optional<std::intptr_t> hook(const Message& message);
    void createItems(const MenuMetrics& metrics);
    void openSubmenu(MenuItem& item);
    bool keyDown(int virtualKey);
    void moveFocus(int step);
    [[nodiscard]] MenuItem* itemUnderCursor() const;

    MenuChain& m_chain;
    MenuWindow* m_parent = nullptr;
    MenuWindow* m_submenu = nullptr;
    ControlHandle m_active;  // the item whose submenu is open
    PopupMenu m_menu;        // this window's own copy
    std::vector<ControlHandle> m_items;
    std::unique_ptr<HostWindow> m_host = std::make_unique<HostWindow>();
    MenuTheme m_theme;
    QFont m_font;
    bool m_open = false;
    std::shared_ptr<int> m_alive = std::make_shared<int>(0);
};

class MenuChain {
public:
    MenuChain(platform::WindowHandle owner, ControlHandle receiver);
    ~MenuChain();
    MenuChain(const MenuChain&) = delete;
    MenuChain& operator=(const MenuChain&) = delete;

    // Opens the root menu and runs the loop until the chain has closed.
    void run(const PopupMenu& menu, QPoint at);
    MenuWindow* openWindow(MenuWindow* parent, const PopupMenu& menu, QPoint at, const QRect& openerItem);
    // Closes every window of the chain and ends the loop.
    void closeAll();
    // A normal item was chosen: the chain closes, then the command or handler runs.
    void choose(const MenuEntry& entry);

    [[nodiscard]] MenuWindow* root() const;
    [[nodiscard]] std::vector<MenuWindow*> openWindows() const;
    [[nodiscard]] MenuWindow* find(platform::WindowHandle window) const;
    [[nodiscard]] bool closing() const { return m_closing; }

    // The pointer's last place (screen coordinates) while it is over a window of the
    // chain; none once it has left them.
    void notePointer(const MenuWindow& window, QPoint local);
    void notePointerLeft(const MenuWindow& window);
    [[nodiscard]] std::optional<QPoint> pointer() const { return m_pointer; }
    // After a window of the chain lost the focus: close unless another one has it.
    void checkFocusSoon();

private:
    platform::WindowHandle m_owner;
    ControlHandle m_receiver;
    platform::MessageLoop m_loop;
    std::vector<std::unique_ptr<MenuWindow>> m_windows;  // root first, closed ones too
    std::optional<QPoint> m_pointer;
    platform::WindowHandle m_pointerWindow;
    bool m_closing = false;
    std::shared_ptr<int> m_alive = std::make_shared<int>(0);
};

// The chains whose popup() is running, outermost first (for tests and tools).
[[nodiscard]] const std::vector<MenuChain*>& runningMenuChains();

}  // namespace vamu::toolkit::detail
