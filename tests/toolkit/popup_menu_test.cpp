// Popup menus: sizes, placement, choosing by mouse and access character, closing by
// Esc and by losing the focus, submenus that open and close after the hover delay.
#include "toolkit/test_support.h"
#include "toolkit/recording_control.h"

#include "platform/keys.h"
#include "platform/system.h"
#include "platform/ui_thread.h"
#include "toolkit/controls/text_paint.h"
#include "toolkit/menu_window.h"
#include "toolkit/popup_menu.h"

#include <QCursor>
#include <QElapsedTimer>
#include <QFontMetricsF>
#include <QTimer>

#include <gtest/gtest.h>

namespace vamu::toolkit::test {
namespace {

using detail::MenuChain;
using detail::MenuItem;
using detail::MenuWindow;
namespace msg = platform::msg;
namespace vk = platform::vk;

// A control that notes the commands it receives.
class CommandSink final : public BaseControl {
public:
    std::vector<int> commands;
    static CommandSink* make(HostWindow& host) {
        return BaseControl::create(std::make_unique<CommandSink>(), host, QRect(0, 0, 10, 10), kind::kButton, "Button");
    }

protected:
    std::intptr_t classProc(const Message& message) override {
        if (message.id == kCommandMessage) commands.push_back(static_cast<int>(message.wParam));
        return BaseControl::classProc(message);
    }
};

MenuChain* chain() {
    const auto& chains = detail::runningMenuChains();
    return chains.empty() ? nullptr : chains.back();
}

std::vector<MenuWindow*> openMenus() { return chain() ? chain()->openWindows() : std::vector<MenuWindow*>{}; }

MenuItem* itemAt(MenuWindow& window, int visibleIndex) {
    const auto items = window.items();
    return visibleIndex < static_cast<int>(items.size()) ? items[static_cast<std::size_t>(visibleIndex)] : nullptr;
}

void deliver(MenuWindow& window, platform::MessageId id, std::uintptr_t wParam = 0, std::intptr_t lParam = 0) {
    window.host().nativeWindow()->deliver(Message{id, wParam, lParam});
}

// Moves the mouse over an item of a menu window (window coordinates of its centre).
void hover(MenuWindow& window, MenuItem& item) {
    const QPoint p = item.absoluteRect().center();
    deliver(window, msg::kMouseMove, 0, platform::packPoint(p.x(), p.y()));
}

void clickItem(MenuWindow& window, MenuItem& item) {
    const QPoint p = item.absoluteRect().center();
    hover(window, item);
    deliver(window, msg::kLeftDown, platform::mouse_keys::kLeft, platform::packPoint(p.x(), p.y()));
    deliver(window, msg::kLeftUp, 0, platform::packPoint(p.x(), p.y()));
}

void pressKey(MenuWindow& window, int key) {
    deliver(window, msg::kKeyDown, static_cast<std::uintptr_t>(key), 1);
    if (!window.isOpen()) return;
    deliver(window, msg::kKeyUp, static_cast<std::uintptr_t>(key), 1);
}

// Shows the menu and runs the script inside its loop; a watchdog closes a menu that
// the script left open, so a faulty test fails instead of hanging.
bool runMenu(PopupMenu& menu, HostWindow& owner, ControlHandle receiver, QPoint at, std::function<void()> script,
             bool* leftOpen = nullptr) {
    auto finished = std::make_shared<bool>(false);
    platform::runOnUi([script = std::move(script), finished, leftOpen] {
        script();
        if (*finished) return;
        QTimer::singleShot(3000, [finished, leftOpen] {
            if (*finished || !chain()) return;
            if (leftOpen) *leftOpen = true;
            chain()->closeAll();
        });
    });
    const bool shown = menu.popup(owner.windowHandle(), receiver, at);
    *finished = true;
    return shown;
}

int itemHeight() { return static_cast<int>(QFontMetricsF(PopupMenu().font()).lineSpacing() + 11); }

int textWidth(const QString& text) {
    paint::TextFormat format;
    format.prefix = paint::HotkeyPrefix::Show;
    return static_cast<int>(
        std::ceil(paint::measureText(QRectF(0, 0, 100000, 1000), text, PopupMenu().font(), format).width()));
}

TEST(PopupMenuModel, SizesFollowTheTextsTheThemeAndTheKindsOfItems) {
    const int h = itemHeight();
    const QString longText = QStringLiteral("全部选择(&A)");
    PopupMenu twoAndSeparator;
    twoAndSeparator.addCommand(QStringLiteral("复制(&C)"), 67);
    twoAndSeparator.addSeparator();
    twoAndSeparator.addCommand(longText, 65);
    MenuMetrics m = twoAndSeparator.metrics(&theme());
    EXPECT_EQ(m.height, 2 * h + 3 + 6);
    EXPECT_EQ(m.width, textWidth(longText) + 60 + 6 - 5);
    EXPECT_EQ(m.itemHeights, (std::vector<int>{h, 3, h}));

    // A submenu item leaves room for its arrow; hidden items take no space.
    PopupMenu withSubmenu = twoAndSeparator;
    withSubmenu.addSubmenu(QStringLiteral("更多"), std::make_shared<PopupMenu>());
    withSubmenu.addCommand(QStringLiteral("一个很长很长很长很长的隐藏项"), 1, menu_state::kHidden);
    m = withSubmenu.metrics(&theme());
    EXPECT_EQ(m.width, textWidth(longText) + 60 + 6 + 5);
    EXPECT_EQ(m.height, 3 * h + 3 + 6);
    EXPECT_EQ(m.itemHeights.back(), 0);

    // A requested width replaces the computed one; small ones become 50.
    withSubmenu.setMinWidth(10);
    EXPECT_EQ(withSubmenu.metrics(&theme()).width, 50);
    withSubmenu.setMinWidth(300);
    EXPECT_EQ(withSubmenu.metrics(&theme()).width, 300);
}

TEST(PopupMenuModel, ItemOperationsRefusePositionsOutsideTheList) {
    PopupMenu menu;
    EXPECT_EQ(menu.addCommand(QStringLiteral("a"), 1), 1);
    EXPECT_EQ(menu.addSeparator(), 2);
    for (const int position : {0, -1, 3}) {
        EXPECT_FALSE(menu.setState(position, menu_state::kDisabled)) << position;
        EXPECT_FALSE(menu.setText(position, QStringLiteral("x"))) << position;
        EXPECT_FALSE(menu.setIcon(position, QImage(2, 2, QImage::Format_ARGB32))) << position;
        EXPECT_FALSE(menu.removeItem(position)) << position;
        EXPECT_EQ(menu.item(position), nullptr) << position;
    }
    EXPECT_EQ(menu.count(), 2);
    EXPECT_TRUE(menu.setState(1, menu_state::kChecked));
    EXPECT_EQ(menu.item(1)->state, menu_state::kChecked);
    EXPECT_TRUE(menu.removeItem(1));
    EXPECT_EQ(menu.item(1)->kind, MenuItemKind::Separator);
    // A submenu item without a menu is an ordinary item.
    MenuEntry entry;
    entry.kind = MenuItemKind::Submenu;
    EXPECT_TRUE(menu.setItem(1, entry));
    EXPECT_EQ(menu.item(1)->kind, MenuItemKind::Normal);
}

TEST(PopupMenuPlacement, MenusAtTheCursorTurnAwayFromTheWorkAreaEdges) {
    const QRect area(0, 0, 800, 600);
    const QSize size(100, 80);
    struct Case {
        QPoint at;
        QPoint expected;
    };
    const Case cases[] = {
        {{100, 100}, {100, 100}}, {{750, 100}, {650, 100}},  // no room on the right: opens to the left of the point
        {{100, 550}, {100, 470}},                            // no room below: opens upwards
        {{799, 599}, {699, 519}},                            // lower-right corner: up and to the left
        {{700, 520}, {700, 520}},                            // exactly fits
    };
    for (const Case& c : cases) {
        EXPECT_EQ(placeRootMenu(c.at, MenuAnchor::Cursor, size, area), c.expected) << c.at.x() << "," << c.at.y();
        // A point the caller chose is kept, whatever room it leaves.
        EXPECT_EQ(placeRootMenu(c.at, MenuAnchor::Point, size, area), c.at) << c.at.x() << "," << c.at.y();
    }
    // The work area need not start at the screen's corner.
    EXPECT_EQ(placeRootMenu(QPoint(900, 30), MenuAnchor::Cursor, size, QRect(100, 20, 850, 600)), QPoint(800, 30));

    const MenuMargins margins{3, 3, -3, -3};
    const QRect parent(200, 100, 120, 200);
    const QRect item(1, 50, 112, 23);
    // Beside the item: its first line level with the opener.
    EXPECT_EQ(placeSubmenu(parent, item, size, margins, area), QPoint(320 - 3 + 1, 100 + 50 - 1));
    // No room on the right: on the left of the parent.
    const QRect nearRight(650, 100, 120, 200);
    EXPECT_EQ(placeSubmenu(nearRight, item, size, margins, area).x(), 650 - 100 + 3 - 1);
    // No room below: it ends level with the item's bottom.
    const QRect low(200, 500, 120, 90);
    EXPECT_EQ(placeSubmenu(low, item, size, margins, area).y(), 500 + 73 - 80 + 3 + 3 - 1);
}

TEST(PopupMenu, AnOwnerWithoutAHostWindowShowsNothing) {
    PopupMenu menu;
    menu.addCommand(QStringLiteral("a"), 1);
    EXPECT_FALSE(menu.popup(platform::WindowHandle{}));
    EXPECT_TRUE(detail::runningMenuChains().empty());
}

TEST(PopupMenu, WindowHasTheMenuSizeAndFrameAndItemsLieInsideTheMargins) {
    TestHost owner;
    PopupMenu menu;
    menu.addCommand(QStringLiteral("剪切(&T)"), 88);
    menu.addSeparator();
    menu.addCommand(QStringLiteral("全部选择(&A)"), 65);
    menu.addCommand(QStringLiteral("隐藏"), 1, menu_state::kHidden);
    const MenuMetrics m = menu.metrics(&theme());
    QRect geometry;
    std::vector<QRect> items;
    QRgb corner = 0;
    QRgb body = 0;
    runMenu(menu, owner.host(), {}, QPoint(150, 120), [&] {
        MenuWindow& window = *openMenus().front();
        geometry = window.host().geometry();
        for (MenuItem* item : window.items()) items.push_back(item->absoluteRect());
        window.host().controls().flush();
        corner = window.host().backBuffer().pixelColor(0, 0).rgba();
        body = window.host().backBuffer().pixelColor(geometry.width() / 2, 3 + 1 + m.itemHeights[0] + 1).rgba();
        chain()->closeAll();
    });
    EXPECT_EQ(geometry, QRect(150, 120, m.width, m.height + 2));
    ASSERT_EQ(items.size(), 3u);  // the hidden item has no control
    EXPECT_EQ(items[0], QRect(4, 4, m.width - 8, m.itemHeights[0]));
    EXPECT_EQ(items[1].top(), 4 + m.itemHeights[0]);
    EXPECT_EQ(items[2].bottom(), m.height + 2 - 3 - 1 - 1);
    EXPECT_LT(qAlpha(corner), 0x80);  // the shadow ring is soft
    EXPECT_EQ(qAlpha(body), 255);     // the body is opaque
}

TEST(PopupMenu, ClickingACommandSendsItToTheReceiverAfterTheMenuHasGone) {
    TestHost owner;
    CommandSink* sink = CommandSink::make(owner.host());
    PopupMenu menu;
    menu.addCommand(QStringLiteral("剪切(&T)"), 88);
    menu.addCommand(QStringLiteral("复制(&C)"), 67);
    bool leftOpen = false;
    runMenu(
        menu, owner.host(), sink->handle(), QPoint(150, 120),
        [&] {
            MenuWindow& window = *openMenus().front();
            clickItem(window, *itemAt(window, 1));
        },
        &leftOpen);
    EXPECT_FALSE(leftOpen);
    EXPECT_EQ(sink->commands, (std::vector<int>{67}));
    EXPECT_TRUE(detail::runningMenuChains().empty());
}

TEST(PopupMenu, CommandsWithoutAReceiverGoToTheOwnerWindowAndHandlersRunWithTheMenuClosed) {
    TestHost owner;
    std::vector<int> ownerCommands;
    owner.host().setMessageHook([&](const Message& message) -> std::optional<std::intptr_t> {
        if (message.id == kCommandMessage) ownerCommands.push_back(static_cast<int>(message.wParam));
        return std::nullopt;
    });
    int handled = 0;
    std::size_t windowsDuringHandler = 99;
    auto menu = std::make_unique<PopupMenu>();
    menu->addCommand(QStringLiteral("粘贴(&P)"), 86);
    menu->addAction(QStringLiteral("动作"), [&] {
        ++handled;
        windowsDuringHandler = openMenus().size();
        menu.reset();  // the handler may destroy the menu that called it
    });
    runMenu(*menu, owner.host(), {}, QPoint(150, 120), [&] {
        MenuWindow& window = *openMenus().front();
        clickItem(window, *itemAt(window, 0));
    });
    EXPECT_EQ(ownerCommands, (std::vector<int>{86}));
    PopupMenu& again = *menu;
    runMenu(again, owner.host(), {}, QPoint(150, 120), [&] {
        MenuWindow& window = *openMenus().front();
        clickItem(window, *itemAt(window, 1));
    });
    EXPECT_EQ(handled, 1);
    EXPECT_EQ(windowsDuringHandler, 0u);
    EXPECT_EQ(menu, nullptr);
    owner.host().setMessageHook({});
}

TEST(PopupMenu, DisabledSeparatorAndHiddenItemsChooseNothing) {
    TestHost owner;
    CommandSink* sink = CommandSink::make(owner.host());
    PopupMenu menu;
    menu.addCommand(QStringLiteral("不可用"), 1, menu_state::kDisabled);
    menu.addSeparator();
    menu.addCommand(QStringLiteral("可用"), 2);
    bool stillOpen = false;
    bool disabledHit = true;
    runMenu(menu, owner.host(), sink->handle(), QPoint(150, 120), [&] {
        MenuWindow& window = *openMenus().front();
        MenuItem* disabled = itemAt(window, 0);
        disabledHit = window.host().controls().hitTest(disabled->absoluteRect().center()).control != nullptr;
        clickItem(window, *disabled);
        clickItem(window, *itemAt(window, 1));  // the separator
        stillOpen = window.isOpen();
        chain()->closeAll();
    });
    EXPECT_FALSE(disabledHit);
    EXPECT_TRUE(stillOpen);
    EXPECT_TRUE(sink->commands.empty());
}

TEST(PopupMenu, AccessCharactersChooseEnabledItems) {
    TestHost owner;
    CommandSink* sink = CommandSink::make(owner.host());
    PopupMenu menu;
    menu.addCommand(QStringLiteral("剪切(&T)"), 88, menu_state::kDisabled);
    menu.addCommand(QStringLiteral("复制(&C)"), 67);
    menu.addCommand(QStringLiteral("A && B"), 5);  // "&&" is a plain "&", no access character
    bool openAfterDisabledKey = false;
    runMenu(menu, owner.host(), sink->handle(), QPoint(150, 120), [&] {
        MenuWindow& window = *openMenus().front();
        pressKey(window, 'T');
        pressKey(window, 'B');
        openAfterDisabledKey = window.isOpen();
        pressKey(window, 'C');
    });
    EXPECT_TRUE(openAfterDisabledKey);
    EXPECT_EQ(sink->commands, (std::vector<int>{67}));
}

TEST(PopupMenu, ArrowKeysMoveOverEnabledItemsAndEnterChooses) {
    TestHost owner;
    CommandSink* sink = CommandSink::make(owner.host());
    PopupMenu menu;
    menu.addCommand(QStringLiteral("一"), 1);
    menu.addCommand(QStringLiteral("二"), 2, menu_state::kDisabled);
    menu.addSeparator();
    menu.addCommand(QStringLiteral("三"), 3);
    runMenu(menu, owner.host(), sink->handle(), QPoint(150, 120), [&] {
        MenuWindow& window = *openMenus().front();
        pressKey(window, vk::kDown);  // the first
        pressKey(window, vk::kDown);  // over the disabled item and the separator
        pressKey(window, vk::kReturn);
    });
    EXPECT_EQ(sink->commands, (std::vector<int>{3}));
}

TEST(PopupMenu, EscClosesWithoutChoosingAndOtherWindowsKeepRunning) {
    TestHost owner;
    CommandSink* sink = CommandSink::make(owner.host());
    int ticks = 0;
    owner.native().setTimer(77, std::chrono::milliseconds(10), [&] { ++ticks; });
    PopupMenu menu;
    menu.addCommand(QStringLiteral("复制(&C)"), 67);
    bool leftOpen = false;
    runMenu(
        menu, owner.host(), sink->handle(), QPoint(150, 120),
        [&] {
            pumpUntil([&] { return ticks >= 3; }, std::chrono::seconds(2));
            MenuWindow& window = *openMenus().front();
            hover(window, *itemAt(window, 0));
            pressKey(window, vk::kEscape);
        },
        &leftOpen);
    owner.native().killTimer(77);
    EXPECT_GE(ticks, 3);  // timers of other windows ran while the menu was open
    EXPECT_FALSE(leftOpen);
    EXPECT_TRUE(sink->commands.empty());
}

TEST(PopupMenu, LosingTheFocusToAnotherWindowClosesTheChain) {
    TestHost owner;
    CommandSink* sink = CommandSink::make(owner.host());
    auto sub = std::make_shared<PopupMenu>();
    sub->addCommand(QStringLiteral("子项"), 9);
    PopupMenu menu;
    menu.addSubmenu(QStringLiteral("更多"), sub);
    bool focusedFirst = false;
    bool openWithSubmenuFocused = false;
    bool leftOpen = false;
    runMenu(
        menu, owner.host(), sink->handle(), QPoint(150, 120),
        [&] {
            MenuWindow& root = *openMenus().front();
            focusedFirst = pumpUntil([&] { return root.host().nativeWindow()->hasFocus(); }, std::chrono::seconds(2));
            clickItem(root, *itemAt(root, 0));  // a click opens the submenu at once
            ASSERT_EQ(openMenus().size(), 2u);
            MenuWindow& submenu = *openMenus().back();
            pumpUntil([&] { return submenu.host().nativeWindow()->hasFocus(); }, std::chrono::seconds(2));
            pump(std::chrono::milliseconds(20));
            openWithSubmenuFocused = openMenus().size() == 2;  // focus moving inside the chain keeps it
            owner.native().activate();                         // a click on another window
            pumpUntil([&] { return openMenus().empty(); }, std::chrono::seconds(2));
        },
        &leftOpen);
    EXPECT_TRUE(focusedFirst);
    EXPECT_TRUE(openWithSubmenuFocused);
    EXPECT_FALSE(leftOpen);
    EXPECT_TRUE(sink->commands.empty());
}

TEST(PopupMenu, SubmenuOpensAfterTheMouseRestsAndClosesWhenItRestsElsewhere) {
    TestHost owner;
    CommandSink* sink = CommandSink::make(owner.host());
    auto sub = std::make_shared<PopupMenu>();
    sub->addCommand(QStringLiteral("子项一"), 11);
    sub->addCommand(QStringLiteral("子项二"), 12);
    PopupMenu menu;
    menu.addCommand(QStringLiteral("普通"), 1);
    menu.addSubmenu(QStringLiteral("更多(&M)"), sub);
    bool openAtOnce = true;
    qint64 openedAfterMs = 0;
    bool stayedWhileOnOpener = false;
    bool closedAfterRestingElsewhere = false;
    runMenu(menu, owner.host(), sink->handle(), QPoint(150, 120), [&] {
        MenuWindow& root = *openMenus().front();
        QElapsedTimer clock;
        clock.start();
        hover(root, *itemAt(root, 1));
        openAtOnce = root.submenu() != nullptr;
        if (!pumpUntil([&] { return root.submenu() != nullptr; })) return;
        openedAfterMs = clock.elapsed();
        // The submenu lies beside its opener, its first line level with it.
        const QRect opener = itemAt(root, 1)->absoluteRect().translated(root.host().geometry().topLeft());
        const QRect first =
            itemAt(*root.submenu(), 0)->absoluteRect().translated(root.submenu()->host().geometry().topLeft());
        EXPECT_EQ(first.top(), opener.top());
        EXPECT_GT(first.left(), opener.right());
        // Back on the opener: it stays; resting on another item closes it.
        hover(root, *itemAt(root, 1));
        pump(std::chrono::milliseconds(PopupMenu::kHoverDelayMs + 150));
        stayedWhileOnOpener = root.submenu() != nullptr;
        hover(root, *itemAt(root, 0));
        closedAfterRestingElsewhere = pumpUntil([&] { return root.submenu() == nullptr; });
        chain()->closeAll();
    });
    EXPECT_FALSE(openAtOnce);
    EXPECT_GE(openedAfterMs, PopupMenu::kHoverDelayMs - 50);
    EXPECT_TRUE(stayedWhileOnOpener);
    EXPECT_TRUE(closedAfterRestingElsewhere);
}

TEST(PopupMenu, RestingOnAnotherSubmenuItemSwitchesSubmenus) {
    TestHost owner;
    auto first = std::make_shared<PopupMenu>();
    first->addCommand(QStringLiteral("甲"), 1);
    auto second = std::make_shared<PopupMenu>();
    second->addCommand(QStringLiteral("乙"), 2);
    PopupMenu menu;
    menu.addSubmenu(QStringLiteral("第一"), first);
    menu.addSubmenu(QStringLiteral("第二"), second);
    QString shown;
    runMenu(menu, owner.host(), {}, QPoint(150, 120), [&] {
        MenuWindow& root = *openMenus().front();
        hover(root, *itemAt(root, 0));
        if (!pumpUntil([&] { return root.submenu() != nullptr; })) return;
        hover(root, *itemAt(root, 1));
        pumpUntil([&] { return root.submenu() && root.activeItem() == itemAt(root, 1)->handle(); });
        if (root.submenu()) shown = root.submenu()->entry(0).text;
        EXPECT_EQ(openMenus().size(), 2u);  // the first submenu has gone
        chain()->closeAll();
    });
    EXPECT_EQ(shown, QStringLiteral("乙"));
}

TEST(PopupMenu, ChoosingInASubmenuClosesTheWholeChain) {
    TestHost owner;
    CommandSink* sink = CommandSink::make(owner.host());
    auto inner = std::make_shared<PopupMenu>();
    inner->addCommand(QStringLiteral("最里面"), 31);
    auto sub = std::make_shared<PopupMenu>();
    sub->addSubmenu(QStringLiteral("再深一层"), inner);
    PopupMenu menu;
    menu.addSubmenu(QStringLiteral("更多"), sub);
    std::size_t depth = 0;
    runMenu(menu, owner.host(), sink->handle(), QPoint(150, 120), [&] {
        MenuWindow& root = *openMenus().front();
        clickItem(root, *itemAt(root, 0));
        MenuWindow& second = *root.submenu();
        clickItem(second, *itemAt(second, 0));
        depth = openMenus().size();
        MenuWindow& third = *second.submenu();
        clickItem(third, *itemAt(third, 0));
    });
    EXPECT_EQ(depth, 3u);
    EXPECT_EQ(sink->commands, (std::vector<int>{31}));
    EXPECT_TRUE(detail::runningMenuChains().empty());
}

TEST(PopupMenu, EscOnASubmenuGoesBackToItsParent) {
    TestHost owner;
    auto sub = std::make_shared<PopupMenu>();
    sub->addCommand(QStringLiteral("子项"), 9);
    PopupMenu menu;
    menu.addSubmenu(QStringLiteral("更多"), sub);
    std::size_t afterFirstEsc = 0;
    std::size_t afterSecondEsc = 9;
    runMenu(menu, owner.host(), {}, QPoint(150, 120), [&] {
        MenuWindow& root = *openMenus().front();
        clickItem(root, *itemAt(root, 0));
        pressKey(*root.submenu(), vk::kEscape);
        pump();
        afterFirstEsc = openMenus().size();
        pressKey(root, vk::kEscape);
        pump();
        afterSecondEsc = openMenus().size();
    });
    EXPECT_EQ(afterFirstEsc, 1u);
    EXPECT_EQ(afterSecondEsc, 0u);
}

TEST(PopupMenu, AtTheCursorItTurnsAwayFromTheScreenEdgesAtAPointItStays) {
    TestHost owner;
    auto sub = std::make_shared<PopupMenu>();
    sub->addCommand(QStringLiteral("子项"), 9);
    PopupMenu menu;
    menu.addSubmenu(QStringLiteral("更多"), sub);
    const QRect area = platform::workArea();
    const QPoint corner(area.right(), area.bottom());
    QCursor::setPos(corner);
    ASSERT_EQ(platform::cursorPosition(), corner);
    QRect rootGeometry;
    QRect subGeometry;
    runMenu(menu, owner.host(), {}, QPoint(), [&] {
        MenuWindow& root = *openMenus().front();
        rootGeometry = root.host().geometry();
        clickItem(root, *itemAt(root, 0));
        subGeometry = root.submenu()->host().geometry();
        chain()->closeAll();
    });
    // Up and to the left of the cursor, and the submenu on the left of its parent.
    const MenuMetrics m = menu.metrics(&theme());
    EXPECT_EQ(rootGeometry.topLeft(), corner - QPoint(m.width, m.height));
    EXPECT_LT(subGeometry.x(), rootGeometry.x());
    EXPECT_LE(subGeometry.bottom(), area.bottom() + 2);

    // Shown at that very point, the menu opens there: the caller placed it.
    const QPoint placed = corner - QPoint(10, 10);
    runMenu(menu, owner.host(), {}, placed, [&] {
        rootGeometry = openMenus().front()->host().geometry();
        chain()->closeAll();
    });
    EXPECT_EQ(rootGeometry.topLeft(), placed);
}

TEST(PopupMenu, HighlightFollowsTheMouseAndUsesTheMenuColour) {
    TestHost owner;
    PopupMenu menu;
    menu.setBackgroundColour(0x202020);  // dark: highlighted text turns white
    menu.addCommand(QStringLiteral("一"), 1);
    menu.addCommand(QStringLiteral("二"), 2);
    QRgb before = 0;
    QRgb hot = 0;
    QRgb afterMovingOn = 0;
    runMenu(menu, owner.host(), {}, QPoint(150, 120), [&] {
        MenuWindow& window = *openMenus().front();
        MenuItem* first = itemAt(window, 0);
        const QPoint probe = first->absoluteRect().topLeft() + QPoint(first->width() - 3, 2);
        auto sample = [&] {
            window.host().controls().flush();
            return window.host().backBuffer().pixelColor(probe).rgba();
        };
        before = sample();
        hover(window, *first);
        hot = sample();
        hover(window, *itemAt(window, 1));
        afterMovingOn = sample();
        chain()->closeAll();
    });
    EXPECT_EQ(qAlpha(hot), 255);
    EXPECT_LT(qRed(hot), qRed(before) - 40);  // the dark highlight over the light body
    EXPECT_EQ(afterMovingOn, before);
}

}  // namespace
}  // namespace vamu::toolkit::test
