// The windows of a shown popup menu: creation and placement, the hover check that
// opens and closes submenus, keys, and the chain that ends with a choice, a click
// elsewhere or Esc.
#include "toolkit/menu_window.h"

#include "platform/keys.h"
#include "platform/system.h"
#include "toolkit/controls/control_internal.h"
#include "toolkit/controls/paint.h"
#include "toolkit/controls/text_paint.h"
#include "toolkit/engine.h"
#include "toolkit/theme_names.h"

namespace vamu::toolkit::detail {
namespace {

constexpr platform::TimerId kHoverTimer = 20205;

std::vector<MenuChain*>& chains() {
    static std::vector<MenuChain*> instance;
    return instance;
}

// Windows colour value (red in the low byte) to opaque ARGB.
QRgb fromColourRef(long long value) {
    const auto v = static_cast<std::uint32_t>(value);
    return qRgb(static_cast<int>(v & 0xFF), static_cast<int>((v >> 8) & 0xFF), static_cast<int>((v >> 16) & 0xFF));
}

int number(const ThemePack* pack, std::string_view key) {
    return static_cast<int>(engine::getPackNumber(pack, theme::kMenuShadow, key).value_or(0));
}

std::optional<QRectF> imageRect(const ThemePack* pack, std::string_view key) {
    const auto found = engine::getPackImageRect(pack, theme::kMenuShadow, key);
    if (!found) return std::nullopt;
    return found->rect;
}

}  // namespace

const std::vector<MenuChain*>& runningMenuChains() { return chains(); }

MenuTheme MenuTheme::read(const ThemePack* pack) {
    MenuTheme values;
    values.pack = pack;
    const QRect margin = engine::getPackRect(pack, theme::kMenuShadow, theme::kMargin).value_or(QRect());
    values.margins = MenuMargins{margin.x(), margin.y(), margin.width(), margin.height()};
    values.leftIcon = number(pack, theme::kLeftIcon);
    values.leftText = number(pack, theme::kLeftText);
    values.leftCutLine = number(pack, theme::kLeftCutLine);
    values.rightCutLine = number(pack, theme::kRightCutLine);
    values.checkMark = imageRect(pack, theme::kCheckMark);
    values.frame = imageRect(pack, theme::kRect);
    if (const auto grid = engine::getPackRect(pack, theme::kMenuShadow, theme::kGrid)) values.frameGrid = QRectF(*grid);
    return values;
}

// ---- MenuWindow --------------------------------------------------------------------

MenuWindow::MenuWindow(MenuChain& chain, MenuWindow* parent, const PopupMenu& menu)
    : m_chain(chain), m_parent(parent), m_menu(menu), m_font(menu.font()) {}

MenuWindow::~MenuWindow() {
    if (m_host->windowHandle()) m_host->destroyWindow();
}

QRgb MenuWindow::baseColour() const {
    // A menu over a window without a colour still shows where the mouse is.
    const long long colour = m_host->backgroundColour();
    return colour == -1 ? paint::kThemeColour : fromColourRef(colour);
}

std::vector<MenuItem*> MenuWindow::items() const {
    std::vector<MenuItem*> result;
    for (const ControlHandle handle : m_items) {
        if (auto* item = resolveControlAs<MenuItem>(handle)) result.push_back(item);
    }
    return result;
}

bool MenuWindow::open(platform::WindowHandle owner, QPoint at, const QRect& openerItem) {
    const HostWindow* ownerHost = HostWindow::fromWindow(owner);
    if (!ownerHost) return false;
    m_theme = MenuTheme::read(ownerHost->theme());
    const MenuMetrics metrics = m_menu.metrics(ownerHost->theme());
    const QSize size(metrics.width, metrics.height);
    const QRect area = platform::workArea();
    QPoint place;
    if (m_parent) {
        place = placeSubmenu(m_parent->host().geometry(), openerItem, size, m_theme.margins, area);
    } else {
        place = at.isNull() ? placeRootMenu(platform::cursorPosition(), MenuAnchor::Cursor, size, area)
                            : placeRootMenu(at, MenuAnchor::Point, size, area);
    }

    WindowSetup setup;
    setup.owner = owner;
    setup.left = place.x();
    setup.top = place.y();
    setup.size = QSize(size.width(), size.height() + 2);
    setup.inTaskBar = false;
    setup.topmost = true;
    setup.popup = platform::windowSystem() == platform::WindowSystem::Wayland;
    setup.style = 0;
    const platform::WindowHandle window = createNativeWindow(setup);
    AttachOptions options;
    options.owner = owner;
    options.alpha = 255;
    options.captionFlags = 0;
    options.cornerRadius = 0;
    options.borderColours = std::vector<QRgb>{};
    options.movable = false;
    if (!m_host->attach(window, options)) {
        platform::NativeWindow::destroy(window);
        return false;
    }
    const MenuTheme& t = m_theme;
    m_host->setPaintHook([t](QPainter& painter, QSize windowSize) {
        // The frame picture covers the whole window: its shadow ring, outline and body.
        painter.setClipping(false);
        painter.setCompositionMode(QPainter::CompositionMode_Clear);
        painter.fillRect(QRect(QPoint(), windowSize), Qt::transparent);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        const QImage* atlas = engine::getPackImage(t.pack, 0);
        if (atlas && t.frame && t.frameGrid) {
            paint::drawNineGrid(painter, paint::atlasFor(t.pack, *atlas, painter), *t.frame,
                                QRectF(QPoint(), windowSize), *t.frameGrid);
        }
    });
    if (m_menu.backgroundColour() != 0) m_host->setBackground(QImage(), m_menu.backgroundColour(), Redraw::No);
    m_host->setMargin(t.margins.left, t.margins.top, t.margins.right, t.margins.bottom, Redraw::No);
    m_host->setCloseOnEscape(true);
    m_host->setMessageHook([this](const Message& message) { return hook(message); });
    createItems(metrics);
    m_open = true;
    if (m_menu.beforeShow()) m_menu.beforeShow()(window);
    if (!m_open || !m_host->windowHandle()) return false;  // closed by the handler
    m_host->show();
    return true;
}

void MenuWindow::createItems(const MenuMetrics& metrics) {
    const int width = metrics.width - m_theme.margins.left + m_theme.margins.right - 2;
    int y = 1;
    for (int i = 0; i < m_menu.count(); ++i) {
        const MenuEntry& entry = *m_menu.item(i + 1);
        const int height = metrics.itemHeights[static_cast<std::size_t>(i)];
        if (entry.state & menu_state::kHidden) continue;
        const bool separator = entry.kind == MenuItemKind::Separator;
        CreateOptions options;
        options.focusable = !separator;
        options.tabStop = false;
        options.drawTabStop = false;
        auto* item = BaseControl::create(std::make_unique<MenuItem>(*this, i), *m_host, QRect(1, y, width, height),
                                         kind::kMenuItem, "MenuItem", options);
        y += height;
        if (!item) continue;
        item->setLockPos(true, true, true, true);
        item->setTips(entry.tips);
        if (entry.state & menu_state::kDisabled) item->setDisabled(true);
        m_items.push_back(item->handle());
    }
}

void MenuWindow::close() {
    if (!m_open) return;
    m_open = false;
    if (platform::NativeWindow* native = m_host->nativeWindow()) native->killTimer(kHoverTimer);
    if (m_submenu) m_submenu->close();
    m_submenu = nullptr;
    if (m_parent && m_parent->m_submenu == this) {
        m_parent->m_submenu = nullptr;
        m_parent->m_active = {};
    }
    if (m_host->windowHandle()) m_host->destroyWindow();
}

void MenuWindow::closeSubmenu() {
    if (m_submenu) m_submenu->close();
    m_submenu = nullptr;
    m_active = {};
}

void MenuWindow::itemEntered(MenuItem& item) {
    item.setFocus();
    item.redraw();
    if (platform::NativeWindow* native = m_host->nativeWindow()) {
        std::weak_ptr<int> alive = m_alive;
        native->setTimer(kHoverTimer, std::chrono::milliseconds(PopupMenu::kHoverDelayMs), [this, alive] {
            if (alive.expired()) return;
            if (platform::NativeWindow* w = m_host->nativeWindow()) w->killTimer(kHoverTimer);
            DispatchScope scope;
            hoverCheck();
        });
    }
}

void MenuWindow::itemLeft(MenuItem& item) {
    if (!m_submenu && item.isFocused()) item.killFocus();
    item.redraw();
}

MenuItem* MenuWindow::itemUnderCursor() const {
    const std::optional<QPoint> pointer = m_chain.pointer();
    if (!pointer || !m_host->windowHandle()) return nullptr;
    const QRect geometry = m_host->geometry();
    if (!geometry.contains(*pointer)) return nullptr;
    return dynamic_cast<MenuItem*>(m_host->controls().hitTest(*pointer - geometry.topLeft()).control);
}

void MenuWindow::hoverCheck() {
    if (!m_open) return;
    MenuItem* under = itemUnderCursor();
    const bool inside = m_chain.pointer() && m_host->geometry().contains(*m_chain.pointer());
    if (m_submenu) {
        BaseControl* active = resolveControl(m_active);
        if (!inside) {
            // The path to the open submenu stays highlighted.
            if (active) active->setFocus();
            return;
        }
        if (under && under->handle() == m_active) {
            if (m_submenu->m_submenu) {
                m_submenu->closeSubmenu();
                if (platform::NativeWindow* native = m_submenu->m_host->nativeWindow()) native->activate();
            }
            return;
        }
        if (platform::NativeWindow* native = m_host->nativeWindow()) native->activate();
        closeSubmenu();
        // Resting on another submenu item opens that one at once: the mouse has waited.
    }
    if (under && !under->isDisabled() && entry(under->entryIndex()).kind == MenuItemKind::Submenu) {
        openSubmenu(*under);
    }
}

void MenuWindow::openSubmenu(MenuItem& item) {
    const ControlHandle handle = item.handle();
    if (m_submenu && m_active == handle) return;
    closeSubmenu();
    const MenuEntry& opener = entry(item.entryIndex());
    if (!opener.submenu) return;
    item.setFocus();
    m_active = handle;
    const std::shared_ptr<PopupMenu> menu = opener.submenu;  // kept while it opens
    MenuWindow* sub = m_chain.openWindow(this, *menu, QPoint(), item.rect());
    if (!sub) {
        m_active = {};
        return;
    }
    m_submenu = sub;
}

void MenuWindow::itemClicked(MenuItem& item) {
    const MenuEntry& chosen = entry(item.entryIndex());
    switch (chosen.kind) {
    case MenuItemKind::Separator:
        return;
    case MenuItemKind::Submenu:
        openSubmenu(item);
        return;
    case MenuItemKind::Normal: {
        const MenuEntry copy = chosen;  // the windows go before the command runs
        m_chain.choose(copy);
        return;
    }
    }
}

void MenuWindow::moveFocus(int step) {
    const std::vector<MenuItem*> all = items();
    if (all.empty()) return;
    int current = -1;
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (all[i]->isFocused()) current = static_cast<int>(i);
    }
    const int count = static_cast<int>(all.size());
    const int start = current >= 0 ? current : (step > 0 ? -1 : count);
    for (int n = 1; n <= count; ++n) {
        const int index = ((start + step * n) % count + count) % count;
        MenuItem* candidate = all[static_cast<std::size_t>(index)];
        if (candidate->isDisabled() || !candidate->focusable()) continue;
        candidate->setFocus();
        return;
    }
}

bool MenuWindow::keyDown(int virtualKey) {
    namespace vk = platform::vk;
    BaseControl* focused = resolveControl(m_host->controls().focused());
    auto* item = dynamic_cast<MenuItem*>(focused);
    switch (virtualKey) {
    case vk::kDown:
        moveFocus(1);
        return true;
    case vk::kUp:
        moveFocus(-1);
        return true;
    case vk::kRight:
        if (item && entry(item->entryIndex()).kind == MenuItemKind::Submenu) {
            openSubmenu(*item);
            if (m_submenu) m_submenu->moveFocus(1);
        }
        return true;
    case vk::kLeft:
        if (m_parent) m_host->close();
        return true;
    default:
        return false;
    }
}

std::optional<std::intptr_t> MenuWindow::hook(const Message& message) {
    switch (message.id) {
    case msg::kMouseMove:
        m_chain.notePointer(*this, QPoint(platform::pointX(message.lParam), platform::pointY(message.lParam)));
        return std::nullopt;
    case msg::kMouseLeave:
        m_chain.notePointerLeft(*this);
        return std::nullopt;
    case msg::kActivate:
        if (message.wParam == 0) m_chain.checkFocusSoon();
        return std::nullopt;
    case msg::kKeyDown:
        if (keyDown(static_cast<int>(message.wParam))) return 0;
        // Keys choose items by their access characters.
        if (m_host->windowProc(Message{msg::kSysChar, message.wParam, message.lParam}) == 0) return 0;
        return std::nullopt;
    case msg::kClose:
        // Esc or a close request: a submenu goes back to its parent, the root ends the chain.
        if (m_parent) {
            MenuWindow* parent = m_parent;
            close();
            if (platform::NativeWindow* native = parent->m_host->nativeWindow()) native->activate();
        } else {
            m_chain.closeAll();
        }
        return 0;
    default:
        return std::nullopt;
    }
}

// ---- MenuChain ---------------------------------------------------------------------

MenuChain::MenuChain(platform::WindowHandle owner, ControlHandle receiver) : m_owner(owner), m_receiver(receiver) {
    chains().push_back(this);
}

MenuChain::~MenuChain() {
    // Deepest first, so no window outlives the one that owns it.
    for (auto it = m_windows.rbegin(); it != m_windows.rend(); ++it) (*it)->close();
    m_windows.clear();
    std::erase(chains(), this);
}

void MenuChain::run(const PopupMenu& menu, QPoint at) {
    if (!openWindow(nullptr, menu, at, QRect())) return;
    if (m_closing) return;
    m_loop.run();
}

MenuWindow* MenuChain::openWindow(MenuWindow* parent, const PopupMenu& menu, QPoint at, const QRect& openerItem) {
    auto window = std::make_unique<MenuWindow>(*this, parent, menu);
    MenuWindow* raw = window.get();
    m_windows.push_back(std::move(window));
    const platform::WindowHandle owner = parent ? parent->window() : m_owner;
    if (!raw->open(owner, at, openerItem)) {
        raw->close();
        return nullptr;
    }
    return raw;
}

MenuWindow* MenuChain::root() const { return m_windows.empty() ? nullptr : m_windows.front().get(); }

std::vector<MenuWindow*> MenuChain::openWindows() const {
    std::vector<MenuWindow*> open;
    for (const auto& window : m_windows) {
        if (window->isOpen()) open.push_back(window.get());
    }
    return open;
}

MenuWindow* MenuChain::find(platform::WindowHandle handle) const {
    for (const auto& window : m_windows) {
        if (window->isOpen() && window->window() == handle) return window.get();
    }
    return nullptr;
}

void MenuChain::closeAll() {
    if (m_closing) return;
    m_closing = true;
    if (MenuWindow* first = root()) first->close();
    if (m_loop.running()) m_loop.quit();
}

void MenuChain::choose(const MenuEntry& entry) {
    closeAll();
    if (entry.sendsCommand) {
        if (m_receiver) {
            // A receiver that has gone takes its commands with it.
            if (BaseControl* receiver = resolveControl(m_receiver)) {
                receiver->dispatch(kCommandMessage, static_cast<std::uintptr_t>(entry.commandId), 0);
            }
        } else {
            platform::send(m_owner, Message{kCommandMessage, static_cast<std::uintptr_t>(entry.commandId), 0});
        }
        return;
    }
    if (entry.handler) entry.handler();
}

void MenuChain::notePointer(const MenuWindow& window, QPoint local) {
    m_pointer = window.host().geometry().topLeft() + local;
    m_pointerWindow = window.window();
}

void MenuChain::notePointerLeft(const MenuWindow& window) {
    if (m_pointerWindow != window.window()) return;
    m_pointer.reset();
    m_pointerWindow = {};
}

void MenuChain::checkFocusSoon() {
    std::weak_ptr<int> alive = m_alive;
    platform::runOnUi([this, alive] {
        if (alive.expired() || m_closing) return;
        for (MenuWindow* window : openWindows()) {
            const platform::NativeWindow* native = window->host().nativeWindow();
            if (native && native->hasFocus()) return;
        }
        closeAll();
    });
}

}  // namespace vamu::toolkit::detail
