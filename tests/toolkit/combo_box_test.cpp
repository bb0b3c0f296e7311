// The combo box: its items, and the drop-down opening, choosing and closing.
#include "toolkit/lists_test_support.h"

#include "platform/system.h"
#include "platform/keys.h"
#include "toolkit/controls/combo_box.h"
#include "toolkit/controls/control_properties.h"
#include "toolkit/controls/edit.h"
#include "toolkit/controls/list_view.h"
#include "toolkit/controls/scroll_bar.h"

#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace vamu::toolkit::test {
namespace {

using Log = std::vector<std::string>;

struct Combo {
    explicit Combo(QRect rect = QRect(20, 20, 160, 26), HostSetup host = {}) : t(host) {
        combo = ComboBox::create(t.host(), rect);
        for (const char* text : {"频道 一", "频道 二", "Hot list", "第四项"}) combo->addItem(QString::fromUtf8(text));
        combo->bindDropDownOpened([this](ComboBox&) { log.push_back("open"); });
        combo->bindDropDownClosed([this](ComboBox&) { log.push_back("closed"); });
        combo->bindItemChanged([this](ComboBox&, int item) { log.push_back("item:" + std::to_string(item)); });
    }
    // Runs `inside` once the drop-down's loop runs, then opens it with a click. A
    // deadline closes a drop-down that the test failed to close.
    void openWith(std::function<void()> inside, QPoint at = {20, 13}) {
        QTimer::singleShot(0, [inside = std::move(inside)] { inside(); });
        QTimer::singleShot(5000, [this] { combo->closeDropDown(); });
        clickAt(t, *combo, at);
    }

    TestHost t;
    ComboBox* combo = nullptr;
    Log log;
};

// Delivers mouse input to the drop-down window at a point of its list.
void clickRow(ComboBox& combo, int row) {
    ListView* list = combo.dropDownList();
    ASSERT_NE(list, nullptr);
    const int rh = list->rowHeight();
    const QPoint local(list->rowsArea().left() + 20, list->rowsArea().top() + (row - list->firstVisibleRow()) * rh -
                                                         list->verticalPosition() % rh + rh / 2);
    const QPoint p = list->absoluteRect().topLeft() + local;
    platform::NativeWindow& native = *combo.dropDownWindow()->nativeWindow();
    native.deliver({platform::msg::kMouseMove, 0, platform::packPoint(p.x(), p.y())});
    native.deliver({platform::msg::kLeftDown, platform::mouse_keys::kLeft, platform::packPoint(p.x(), p.y())});
    native.deliver({platform::msg::kLeftUp, 0, platform::packPoint(p.x(), p.y())});
}

TEST(ComboBox, ItemsKeepTheCurrentItemAndItsText) {
    Combo c;
    ComboBox& combo = *c.combo;
    EXPECT_EQ(combo.itemCount(), 4);
    EXPECT_EQ(combo.currentItem(), 0);
    combo.setCurrentItem(2);
    EXPECT_EQ(combo.text(), "频道 二");
    EXPECT_EQ(combo.insertItem(1, "new first", 9), 1);
    EXPECT_EQ(combo.currentItem(), 3);  // follows its item
    EXPECT_EQ(combo.itemValue(1), 9);
    EXPECT_TRUE(combo.removeItem(3));
    EXPECT_EQ(combo.currentItem(), 0);
    EXPECT_EQ(combo.text(), "频道 二");  // the text stays
    EXPECT_FALSE(combo.removeItem(0));
    EXPECT_FALSE(combo.setItemText(7, "x"));
    combo.setCurrentItem(3);
    EXPECT_TRUE(combo.setItemText(3, "renamed"));
    EXPECT_EQ(combo.text(), "renamed");
    combo.setCurrentItem(42);
    EXPECT_EQ(combo.currentItem(), 0);
    EXPECT_EQ(combo.itemText(42), "");
    combo.clear();
    EXPECT_EQ(combo.itemCount(), 0);
    EXPECT_TRUE(c.log.empty());  // setters raise nothing
}

TEST(ComboBox, PropertiesByNameSetTextColourAndEditMode) {
    Combo c;
    EXPECT_TRUE(setPropertyFromText(*c.combo, "Text", "自定义, with a comma"));
    EXPECT_EQ(c.combo->text(), "自定义, with a comma");
    EXPECT_TRUE(setProperty(*c.combo, "TextW", {utf16Bytes("宽字符")}));
    EXPECT_EQ(c.combo->text(), "宽字符");
    EXPECT_TRUE(setPropertyFromText(*c.combo, "crText", "4278190335"));
    EXPECT_EQ(c.combo->textColour(), 0xFF0000FFu);
    EXPECT_TRUE(setPropertyFromText(*c.combo, "EditMode", "1"));
    EXPECT_TRUE(c.combo->editMode());
    EXPECT_FALSE(getProperty(*c.combo, "Pos"));
}

TEST(ComboBox, ClickingARowChoosesItAndCloses) {
    Combo c;
    c.combo->setCurrentItem(1);
    bool checked = false;
    c.openWith([&] {
        ComboBox& combo = *c.combo;
        EXPECT_TRUE(combo.dropDownOpen());
        HostWindow* window = combo.dropDownWindow();
        ASSERT_NE(window, nullptr);
        const QRect below(c.t.host().geometry().topLeft() + combo.absoluteRect().bottomLeft() + QPoint(0, 1),
                          QSize(combo.width(), window->height()));
        EXPECT_EQ(window->geometry(), below);
        ListView* list = combo.dropDownList();
        ASSERT_NE(list, nullptr);
        EXPECT_EQ(list->rowCount(), 4);
        EXPECT_EQ(list->selectedRow(), 1);
        EXPECT_TRUE(list->hoverSelect());
        EXPECT_TRUE(list->headerArea().isEmpty());
        // Every item shows without a scroll bar.
        EXPECT_FALSE(list->verticalBar()->isVisible());
        EXPECT_EQ(window->height(), 4 * list->rowHeight() + 8);
        checked = true;
        clickRow(combo, 3);
    });
    EXPECT_TRUE(checked);
    EXPECT_FALSE(c.combo->dropDownOpen());
    EXPECT_EQ(c.combo->dropDownWindow(), nullptr);
    EXPECT_EQ(c.combo->currentItem(), 3);
    EXPECT_EQ(c.combo->text(), "Hot list");
    EXPECT_EQ(c.log, (Log{"open", "closed", "item:3"}));
}

TEST(ComboBox, LosingActivationOrEscapeClosesWithoutAChoice) {
    struct Case {
        const char* name;
        std::function<void(ComboBox&)> close;
    };
    const Case cases[] = {
        {"deactivated",
         [](ComboBox& combo) {
             platform::NativeWindow& native = *combo.dropDownWindow()->nativeWindow();
             native.deliver({platform::msg::kActivate, 1, 0});
             native.deliver({platform::msg::kActivate, 0, 0});
         }},
        {"escape",
         [](ComboBox& combo) {
             combo.dropDownWindow()->nativeWindow()->deliver({platform::msg::kKeyDown, platform::vk::kEscape, 1});
         }},
    };
    for (const Case& k : cases) {
        Combo c;
        c.combo->setCurrentItem(2);
        c.openWith([&] { k.close(*c.combo); });
        EXPECT_FALSE(c.combo->dropDownOpen()) << k.name;
        EXPECT_EQ(c.combo->currentItem(), 2) << k.name;
        EXPECT_EQ(c.log, (Log{"open", "closed"})) << k.name;
    }
}

TEST(ComboBox, DropDownSizesToItsItemsUpToTheCapAndOpensAboveNearTheScreenBottom) {
    const QRect screen = platform::screenGeometry();
    Combo low(QRect(20, 20, 160, 26), HostSetup{.size = QSize(300, screen.height())});
    low.combo->clear();
    int height = -1;
    int top = -1;
    low.openWith([&] {
        height = low.combo->dropDownWindow()->height();
        top = low.combo->dropDownWindow()->geometry().top();
        low.combo->closeDropDown();
    });
    EXPECT_EQ(height, ComboBox::kMaxDropDownHeight);  // no items: the full height
    EXPECT_GT(top, low.t.host().geometry().top());

    Combo many(QRect(20, screen.height() - 60, 160, 26), HostSetup{.size = QSize(300, screen.height())});
    for (int i = 0; i < 30; ++i) many.combo->addItem(QString("item %1").arg(i));
    many.combo->setCurrentItem(30);
    bool scrolled = false;
    many.openWith([&] {
        HostWindow* window = many.combo->dropDownWindow();
        height = window->height();
        const QPoint comboTop = many.t.host().geometry().topLeft() + many.combo->absoluteRect().topLeft();
        top = window->geometry().top();
        EXPECT_EQ(window->geometry().bottom() + 1, comboTop.y());      // right above the box
        scrolled = many.combo->dropDownList()->firstVisibleRow() > 1;  // the current item is in view
        many.combo->closeDropDown();
    });
    EXPECT_EQ(height, ComboBox::kMaxDropDownHeight);
    EXPECT_TRUE(scrolled);
}

TEST(ComboBox, DestroyingTheBoxClosesItsDropDown) {
    Combo c;
    const ControlHandle handle = c.combo->handle();
    c.openWith([&] { c.combo->destroy(); });
    EXPECT_EQ(resolveControl(handle), nullptr);
    EXPECT_EQ(c.log, (Log{"open"}));
}

TEST(ComboBox, EditModeTypesIntoItsEditBoxAndOpensOnlyFromTheButton) {
    Combo c;
    ComboBox& combo = *c.combo;
    combo.setCurrentItem(1);
    ASSERT_TRUE(setPropertyFromText(combo, "EditMode", "1"));
    Edit* edit = combo.editBox();
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->rect(), combo.textRect());
    EXPECT_EQ(edit->text(), "频道 一");
    EXPECT_FALSE(combo.tabStop());  // the edit box stands in the Tab chain instead
    EXPECT_TRUE(edit->tabStop());

    // A press on the text places the caret instead of opening the drop-down.
    clickAt(c.t, combo, {20, 13});
    EXPECT_FALSE(combo.dropDownOpen());
    EXPECT_TRUE(edit->isFocused());
    edit->setSelection(0, -1);
    for (const QChar ch : QString("自由 text")) c.t.send(platform::msg::kChar, ch.unicode(), 1);
    EXPECT_EQ(combo.text(), "自由 text");
    combo.setText("from the program");
    EXPECT_EQ(edit->text(), "from the program");

    combo.move({}, {}, 220);
    EXPECT_EQ(edit->rect(), combo.textRect());

    c.openWith([&] { clickRow(combo, 2); }, combo.buttonRect().center());
    EXPECT_EQ(c.log, (Log{"open", "closed", "item:2"}));
    EXPECT_EQ(combo.text(), "频道 二");
    EXPECT_EQ(edit->text(), "频道 二");
    EXPECT_EQ(edit->selectedText(), "频道 二");
    EXPECT_TRUE(edit->isFocused());

    combo.setEditMode(false);
    EXPECT_EQ(combo.editBox(), nullptr);
    EXPECT_TRUE(combo.tabStop());
    EXPECT_EQ(combo.text(), "频道 二");
}

TEST(ComboBox, FocusingAnEditModeBoxFocusesItsEditBox) {
    TestHost t;
    ComboBox* combo = ComboBox::create(t.host(), QRect(20, 20, 160, 26));
    combo->setEditMode(true);
    combo->setFocus();
    ASSERT_NE(combo->editBox(), nullptr);
    EXPECT_TRUE(combo->editBox()->isFocused());
}

TEST(ComboBox, PaintsItsTextAndButton) {
    Combo c(QRect(20, 20, 160, 26), HostSetup{.colour = 0xFFFFFF});
    const QRect text = c.combo->textRect();
    const auto darkPixels = [&] {
        int dark = 0;
        for (int x = text.left(); x < text.left() + 60; ++x) {
            const QPoint p = windowPoint(*c.combo, {x, text.center().y()});
            if (qRed(c.t.pixel(p.x(), p.y())) < 128) ++dark;
        }
        return dark;
    };
    EXPECT_EQ(darkPixels(), 0);
    c.combo->setCurrentItem(3);
    EXPECT_GT(darkPixels(), 3);
    const QRect button = c.combo->buttonRect();
    EXPECT_EQ(button.right(), c.combo->width() - 2);
    EXPECT_LT(text.right(), button.left());
}

}  // namespace
}  // namespace vamu::toolkit::test
