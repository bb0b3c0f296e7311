// Edit boxes in a host window: typing through the window's messages, filters and
// limits, events, the clipboard, password boxes, the context menu, composition,
// focus and the caret.
#include "toolkit/test_support.h"
#include "toolkit/recording_control.h"

#include "platform/input_method.h"
#include "platform/keys.h"
#include "platform/system.h"
#include "platform/ui_thread.h"
#include "toolkit/controls/button.h"
#include "toolkit/controls/control_properties.h"
#include "toolkit/controls/edit.h"
#include "toolkit/controls/edit_scroll.h"
#include "toolkit/controls/scroll_bar.h"
#include "toolkit/menu_window.h"
#include "toolkit/popup_menu.h"

#include <QTimer>

#include <gtest/gtest.h>

namespace vamu::toolkit::test {
namespace {

namespace msg = platform::msg;
namespace vk = platform::vk;

struct EventLog {
    int changed = 0;
    int selection = 0;
    void watch(Edit& edit) {
        edit.bind(tkm::kEditChanged, [this](const Event&) {
            ++changed;
            return false;
        });
        edit.bind(tkm::kEditSelectionChanged, [this](const Event&) {
            ++selection;
            return false;
        });
    }
};

void type(TestHost& t, const QString& text) {
    for (const QChar c : text) t.send(msg::kChar, c.unicode(), 1);
}

void keyWith(TestHost& t, int key, int modifiers) {
    platform::noteKeyModifiers(modifiers);
    t.key(key);
    platform::noteKeyModifiers(0);
}

// As the window passes an input method's event on: the composition, then the
// committed text as characters.
void compose(TestHost& t, const QString& commit, const QString& preedit) {
    platform::InputMethodText text;
    text.preedit = reinterpret_cast<const char16_t*>(preedit.utf16());
    text.preeditLength = static_cast<int>(preedit.size());
    text.cursor = text.preeditLength;
    text.commit = reinterpret_cast<const char16_t*>(commit.utf16());
    text.commitLength = static_cast<int>(commit.size());
    t.send(msg::kImeComposition, 0, reinterpret_cast<std::intptr_t>(&text));
    type(t, commit);
}

platform::InputMethodState askInputMethod(TestHost& t) {
    platform::InputMethodState state;
    t.send(msg::kImeRequest, 0, reinterpret_cast<std::intptr_t>(&state));
    return state;
}

Edit* makeEdit(TestHost& t, QRect rect, EditOptions options = {}) { return Edit::create(t.host(), rect, options); }

QImage surfaceOf(const Edit& edit) { return edit.surface().copy(); }

// A wrapping box with a vertical bar, holding twenty lines where three fit.
Edit* makeTallText(TestHost& t) {
    EditOptions options;
    options.multiline = true;
    options.scroll = edit_scroll::kWrapVertical;
    Edit* edit = makeEdit(t, QRect(10, 10, 150, 60), options);
    QString lines;
    for (int i = 0; i < 20; ++i) lines += QStringLiteral("第%1行\n").arg(i);
    edit->setText(lines);
    return edit;
}

TEST(Edit, TypedTextArrivesAndRaisesChangeAndSelectionEvents) {
    TestHost t;
    Edit* edit = makeEdit(t, QRect(10, 10, 150, 25));
    EventLog log;
    log.watch(*edit);
    edit->setText(QStringLiteral("set by the program"));
    EXPECT_EQ(log.changed, 0);  // the program's changes are not the user's
    EXPECT_EQ(log.selection, 0);
    edit->setText(QString());
    t.click({20, 20});
    type(t, QStringLiteral("abc"));
    EXPECT_EQ(edit->text(), QStringLiteral("abc"));
    EXPECT_EQ(log.changed, 3);
    EXPECT_EQ(log.selection, 3);
    keyWith(t, vk::kLeft, kShift);  // selecting moves the selection only
    EXPECT_EQ(log.changed, 3);
    EXPECT_EQ(log.selection, 4);
    keyWith(t, 'A', kCtrl);
    EXPECT_EQ(edit->selectedText(), QStringLiteral("abc"));
    t.key(vk::kBack);
    EXPECT_TRUE(edit->text().isEmpty());
    EXPECT_EQ(log.changed, 4);
}

TEST(Edit, EnterInASingleLineBoxInsertsNothingAndClicksNothing) {
    TestHost t;
    Edit* single = makeEdit(t, QRect(10, 10, 150, 25));
    EditOptions multiOptions;
    multiOptions.multiline = true;
    Edit* multi = makeEdit(t, QRect(10, 50, 150, 60), multiOptions);
    int clicks = 0;
    single->bindClick([&](const Event&) {
        ++clicks;
        return false;
    });
    single->setFocus();
    type(t, QStringLiteral("ab"));
    t.key(vk::kReturn);
    t.send(msg::kChar, '\r', 1);
    EXPECT_EQ(single->text(), QStringLiteral("ab"));
    EXPECT_EQ(clicks, 0);
    multi->setFocus();
    type(t, QStringLiteral("x"));
    t.key(vk::kReturn);
    t.send(msg::kChar, '\r', 1);
    type(t, QStringLiteral("y"));
    EXPECT_EQ(multi->text(), QStringLiteral("x\ny"));
}

TEST(Edit, DigitsOnlyBoxesFilterTypedPastedAndComposedText) {
    TestHost t;
    EditOptions options;
    options.inputType = input_type::kDigits;
    Edit* edit = makeEdit(t, QRect(10, 10, 150, 25), options);
    EventLog log;
    log.watch(*edit);
    edit->setFocus();
    type(t, QStringLiteral("a"));
    EXPECT_TRUE(edit->text().isEmpty());
    EXPECT_EQ(log.changed, 0);  // a refused letter changes nothing and says nothing
    type(t, QStringLiteral("-1.5/x2"));
    EXPECT_EQ(edit->text(), QStringLiteral("-1.52"));
    platform::setClipboardText(QStringLiteral("ab3c-4"));
    keyWith(t, 'V', kCtrl);
    EXPECT_EQ(edit->text(), QStringLiteral("-1.523-4"));
    compose(t, QStringLiteral("五6"), QString());
    EXPECT_EQ(edit->text(), QStringLiteral("-1.523-46"));
    compose(t, QString(), QStringLiteral("wu"));  // no composition is shown in such a box
    EXPECT_TRUE(edit->engine().preedit().isEmpty());
}

TEST(Edit, LimitLenStopsTypingPastingAndComposingAtTheLimit) {
    TestHost t;
    EditOptions options;
    options.inputType = input_type::kDigits;
    options.limitLen = 8;
    Edit* edit = makeEdit(t, QRect(10, 10, 150, 25), options);
    EventLog log;
    log.watch(*edit);
    edit->setFocus();
    type(t, QStringLiteral("1234567"));
    platform::setClipboardText(QStringLiteral("890"));
    keyWith(t, 'V', kCtrl);
    EXPECT_EQ(edit->text(), QStringLiteral("12345678"));
    const int changes = log.changed;
    type(t, QStringLiteral("9"));
    compose(t, QStringLiteral("9"), QString());
    EXPECT_EQ(edit->text(), QStringLiteral("12345678"));
    EXPECT_EQ(log.changed, changes);
}

TEST(Edit, ClipboardRoundTripAndTheMenuCommands) {
    TestHost t;
    Edit* from = makeEdit(t, QRect(10, 10, 150, 25), EditOptions{.text = QStringLiteral("音乐分享")});
    Edit* to = makeEdit(t, QRect(10, 50, 150, 25));
    platform::setClipboardText(QString());
    from->setFocus();
    keyWith(t, 'A', kCtrl);
    keyWith(t, 'C', kCtrl);
    EXPECT_EQ(platform::clipboardText(), QStringLiteral("音乐分享"));
    to->setFocus();
    keyWith(t, 'V', kCtrl);
    EXPECT_EQ(to->text(), QStringLiteral("音乐分享"));
    // The context menu's commands arrive as command messages.
    to->dispatch(kCommandMessage, 65, 0);  // select all
    EXPECT_EQ(to->selectedText(), QStringLiteral("音乐分享"));
    to->dispatch(kCommandMessage, 88, 0);  // cut
    EXPECT_TRUE(to->text().isEmpty());
    EXPECT_EQ(platform::clipboardText(), QStringLiteral("音乐分享"));
    to->dispatch(kCommandMessage, 86, 0);  // paste
    to->dispatch(kCommandMessage, 86, 0);
    EXPECT_EQ(to->text(), QStringLiteral("音乐分享音乐分享"));
    from->setSelection(0, 2);
    from->dispatch(kCommandMessage, 67, 0);  // copy
    EXPECT_EQ(platform::clipboardText(), QStringLiteral("音乐"));
}

TEST(Edit, PasswordBoxesShowOnlyTheMaskAndNeverCopy) {
    TestHost t;
    EditOptions password;
    password.inputType = input_type::kPassword;
    password.passwordChar = QChar(u'*');
    Edit* secret = makeEdit(t, QRect(10, 10, 150, 25), password);
    Edit* plain = makeEdit(t, QRect(10, 50, 150, 25));
    secret->setFocus();
    type(t, QStringLiteral("pa55"));
    EXPECT_EQ(secret->text(), QStringLiteral("pa55"));
    plain->setText(QStringLiteral("****"));
    plain->setSelection(-1, -1);
    secret->setSelection(-1, -1);
    secret->killFocus();
    EXPECT_EQ(surfaceOf(*secret), surfaceOf(*plain));  // the same pixels as four stars
    plain->setText(QStringLiteral("pa55"));
    EXPECT_NE(surfaceOf(*secret), surfaceOf(*plain));

    secret->setFocus();
    platform::setClipboardText(QStringLiteral("before"));
    keyWith(t, 'A', kCtrl);
    keyWith(t, 'C', kCtrl);
    keyWith(t, 'X', kCtrl);
    secret->dispatch(kCommandMessage, 67, 0);
    EXPECT_EQ(platform::clipboardText(), QStringLiteral("before"));
    EXPECT_EQ(secret->text(), QStringLiteral("pa55"));
    // The input method stays off and learns nothing of the text.
    const platform::InputMethodState state = askInputMethod(t);
    EXPECT_FALSE(state.enabled);
    EXPECT_TRUE(state.surroundingText.isEmpty());
    EXPECT_TRUE(state.hints & Qt::ImhHiddenText);
    // No context menu: the right button returns at once.
    const QPoint inside = secret->absoluteRect().center();
    t.move(inside);
    t.send(msg::kRightDown, 0, platform::packPoint(inside.x(), inside.y()));
    bool menuShown = false;
    QTimer::singleShot(0, [&] {
        if (!detail::runningMenuChains().empty()) {
            menuShown = true;
            detail::runningMenuChains().back()->closeAll();
        }
    });
    t.send(msg::kRightUp, 0, platform::packPoint(inside.x(), inside.y()));
    pump();
    EXPECT_FALSE(menuShown);
}

// Runs a right click on the edit box and the script inside the menu it opens.
void withContextMenu(TestHost& t, Edit& edit, const std::function<void(detail::MenuWindow&)>& script) {
    const QPoint inside = edit.absoluteRect().center();
    platform::runOnUi([script] {
        if (detail::runningMenuChains().empty()) return;
        detail::MenuChain& chain = *detail::runningMenuChains().back();
        script(*chain.openWindows().front());
        if (!chain.closing()) chain.closeAll();
    });
    t.move(inside);
    t.send(msg::kRightDown, 0, platform::packPoint(inside.x(), inside.y()));
    t.send(msg::kRightUp, 0, platform::packPoint(inside.x(), inside.y()));
}

std::vector<bool> enabledItems(detail::MenuWindow& window) {
    std::vector<bool> enabled;
    for (detail::MenuItem* item : window.items()) {
        if (window.entry(item->entryIndex()).kind != MenuItemKind::Separator) enabled.push_back(!item->isDisabled());
    }
    return enabled;
}

TEST(Edit, ContextMenuFocusesTheBoxAndOffersWhatApplies) {
    TestHost t;
    Edit* edit = makeEdit(t, QRect(10, 10, 150, 25), EditOptions{.text = QStringLiteral("可以选择")});
    EditOptions readOnly;
    readOnly.inputType = input_type::kReadOnly;
    readOnly.text = QStringLiteral("只读");
    Edit* fixed = makeEdit(t, QRect(10, 50, 150, 25), readOnly);
    Edit* empty = makeEdit(t, QRect(10, 90, 150, 25));
    struct Case {
        Edit* edit;
        bool selectAllFirst;
        QString clipboard;
        std::vector<bool> expected;  // cut, copy, paste, select all
    };
    const Case cases[] = {
        {edit, false, QStringLiteral("x"), {false, false, true, true}},
        {edit, true, QString(), {true, true, false, true}},
        {fixed, true, QStringLiteral("x"), {false, true, false, true}},
        {empty, false, QString(), {false, false, false, false}},
    };
    for (const Case& c : cases) {
        platform::setClipboardText(c.clipboard);
        c.edit->setFocus();
        if (c.selectAllFirst)
            c.edit->setSelection(0, -1);
        else
            c.edit->setSelection(-1, -1);
        t.host().controls().releaseCapture();
        empty->setFocus();  // the right click must bring the focus back itself
        std::vector<bool> enabled;
        bool focused = false;
        withContextMenu(t, *c.edit, [&](detail::MenuWindow& window) {
            focused = c.edit->isFocused();
            enabled = enabledItems(window);
        });
        EXPECT_TRUE(focused);
        EXPECT_EQ(enabled, c.expected) << c.edit->text().toStdString() << " " << c.selectAllFirst;
    }
    // Choosing "全部选择(&A)" selects everything.
    edit->setSelection(-1, -1);
    withContextMenu(t, *edit, [&](detail::MenuWindow& window) {
        const QPoint at = window.items().back()->absoluteRect().center();
        window.host().nativeWindow()->deliver(Message{msg::kMouseMove, 0, platform::packPoint(at.x(), at.y())});
        window.host().nativeWindow()->deliver(Message{msg::kLeftDown, 1, platform::packPoint(at.x(), at.y())});
        window.host().nativeWindow()->deliver(Message{msg::kLeftUp, 0, platform::packPoint(at.x(), at.y())});
    });
    EXPECT_EQ(edit->selectedText(), QStringLiteral("可以选择"));
}

TEST(Edit, CompositionShowsInPlaceAndTheCommitIsInserted) {
    TestHost t;
    Edit* edit = makeEdit(t, QRect(10, 10, 150, 25));
    EventLog log;
    log.watch(*edit);
    edit->setFocus();
    const platform::InputMethodState idle = askInputMethod(t);
    EXPECT_TRUE(idle.enabled);
    EXPECT_TRUE(edit->absoluteRect().contains(idle.cursorRect.topLeft()));
    compose(t, QString(), QStringLiteral("yinyue"));
    EXPECT_TRUE(edit->text().isEmpty());
    EXPECT_EQ(log.changed, 0);
    const platform::InputMethodState composing = askInputMethod(t);
    EXPECT_GT(composing.cursorRect.x(), idle.cursorRect.x());  // the candidates follow the composition
    compose(t, QStringLiteral("音乐"), QString());
    EXPECT_EQ(edit->text(), QStringLiteral("音乐"));
    EXPECT_TRUE(edit->engine().preedit().isEmpty());
    EXPECT_EQ(log.changed, 2);  // one per committed character
    const platform::InputMethodState after = askInputMethod(t);
    EXPECT_EQ(after.surroundingText, QStringLiteral("音乐"));
    EXPECT_EQ(after.cursorPosition, 2);
    // Losing the focus drops an unfinished composition and switches the method off.
    compose(t, QString(), QStringLiteral("fen"));
    edit->killFocus();
    EXPECT_TRUE(edit->engine().preedit().isEmpty());
    EXPECT_FALSE(askInputMethod(t).enabled);
}

TEST(Edit, TabMovesTheFocusThroughEditsAndButtons) {
    TestHost t;
    Edit* first = makeEdit(t, QRect(10, 10, 100, 25));
    Button* button = Button::create(t.host(), QRect(120, 10, 60, 25), ButtonSetup{.text = QStringLiteral("登陆")});
    EditOptions password;
    password.inputType = input_type::kPassword;
    Edit* second = makeEdit(t, QRect(10, 50, 100, 25), password);
    first->setFocus();
    t.key(vk::kTab);
    t.send(msg::kChar, '\t', 1);
    EXPECT_TRUE(button->isFocused());
    t.key(vk::kTab);
    EXPECT_TRUE(second->isFocused());
    t.key(vk::kTab);
    EXPECT_TRUE(first->isFocused());
    EXPECT_TRUE(first->text().isEmpty());  // the Tab character went nowhere
}

TEST(Edit, TheCaretBlinksWhileFocusedAndGoesWithTheFocus) {
    TestHost t;
    Edit* edit = makeEdit(t, QRect(10, 10, 150, 25));
    EXPECT_FALSE(edit->caretShown());
    edit->setFocus();
    EXPECT_TRUE(edit->caretShown());
    const QRect caret = edit->engine().caretRect().translated(edit->textArea().topLeft());
    const QPoint probe = edit->absoluteRect().topLeft() + caret.center();
    EXPECT_LT(qRed(t.pixel(probe.x(), probe.y())), 60);  // drawn in black
    EXPECT_TRUE(pumpUntil([&] { return !edit->caretShown(); }, std::chrono::seconds(3)));
    EXPECT_GT(qRed(t.pixel(probe.x(), probe.y())), 200);
    EXPECT_TRUE(pumpUntil([&] { return edit->caretShown(); }, std::chrono::seconds(3)));
    type(t, QStringLiteral("x"));
    EXPECT_TRUE(edit->caretShown());  // typing shows the caret at once
    edit->killFocus();
    EXPECT_FALSE(edit->caretShown());
}

TEST(Edit, SelectionIsHiddenWithoutTheFocusUnlessHideSelIsOff) {
    TestHost t;
    Edit* edit = makeEdit(t, QRect(10, 10, 150, 25), EditOptions{.text = QStringLiteral("MMMM")});
    edit->setFocus();
    edit->setSelection(0, -1);
    const QRect first = edit->engine().caretRect().translated(edit->textArea().topLeft());
    const QPoint probe = edit->absoluteRect().topLeft() + QPoint(edit->textArea().left() + 2, first.center().y());
    auto blue = [&] {
        const QRgb p = t.pixel(probe.x(), probe.y());
        return qBlue(p) > 200 && qRed(p) < 120;
    };
    EXPECT_TRUE(blue());
    edit->killFocus();
    EXPECT_FALSE(blue());
    edit->setHideSel(false);
    EXPECT_TRUE(blue());
}

TEST(Edit, MouseSelectsAndARichReadOnlyBoxReportsLinks) {
    TestHost t;
    EditOptions options;
    options.inputType = input_type::kReadOnly;
    options.multiline = true;
    options.scroll = edit_scroll::kWrapVertical;
    options.rich = true;
    Edit* edit = makeEdit(t, QRect(10, 10, 200, 60), options);
    edit->setHtml(QStringLiteral("<p><a href=\"song:1\">第一首</a> 说明</p>"));
    EXPECT_EQ(edit->text(), QStringLiteral("第一首 说明"));
    std::vector<std::tuple<int, int, int>> links;
    edit->bind(tkm::kEditLink, [&](const Event& e) {
        links.emplace_back(e.key, e.x, e.y);
        return false;
    });
    const QRect caret = edit->engine().caretRect().translated(edit->textArea().topLeft());
    const QPoint onLink = edit->absoluteRect().topLeft() + QPoint(edit->textArea().left() + 6, caret.center().y());
    t.click(onLink);
    ASSERT_EQ(links.size(), 1u);
    EXPECT_EQ(links[0], std::make_tuple(static_cast<int>(msg::kLeftUp), 0, 3));
    type(t, QStringLiteral("x"));
    EXPECT_EQ(edit->text(), QStringLiteral("第一首 说明"));  // read only
    // Dragging over the text selects it, and no link fires.
    t.press(onLink);
    t.move(onLink + QPoint(150, 0));
    t.release(onLink + QPoint(150, 0));
    EXPECT_EQ(links.size(), 1u);
    EXPECT_FALSE(edit->selectedText().isEmpty());
}

TEST(Edit, TheWheelScrollsAMultilineBox) {
    TestHost t;
    Edit* edit = makeTallText(t);
    edit->setFocus();
    EXPECT_EQ(edit->engine().scrollOffset().y(), 0);
    t.send(msg::kMouseWheel, static_cast<std::uintptr_t>(static_cast<std::uint16_t>(-120)) << 16, 0);
    EXPECT_GT(edit->engine().scrollOffset().y(), 0);
    t.send(msg::kMouseWheel, static_cast<std::uintptr_t>(120) << 16, 0);
    EXPECT_EQ(edit->engine().scrollOffset().y(), 0);
}

TEST(Edit, ScrollBarsTakeTheirPlaceByTheScrollMode) {
    TestHost t;
    struct Case {
        int scroll;
        bool vertical;
        bool horizontal;
        bool wraps;
    };
    const Case cases[] = {
        {edit_scroll::kNone, false, false, false},
        {edit_scroll::kHorizontal, false, true, false},
        {edit_scroll::kWrapVertical, true, false, true},
        {edit_scroll::kBoth, true, true, false},
    };
    const QString longLine = QString(60, QLatin1Char('w'));
    for (const Case& c : cases) {
        EditOptions options;
        options.multiline = true;
        options.scroll = c.scroll;
        options.text = longLine;
        Edit* edit = makeEdit(t, QRect(10, 10, 150, 80), options);
        EXPECT_EQ(edit->verticalBar() != nullptr, c.vertical) << c.scroll;
        EXPECT_EQ(edit->horizontalBar() != nullptr, c.horizontal) << c.scroll;
        // The skin's margin is 3; each bar takes 10 pixels and one beside the text.
        EXPECT_EQ(edit->textArea().width(), 144 - (c.vertical ? 11 : 0)) << c.scroll;
        EXPECT_EQ(edit->textArea().height(), 74 - (c.horizontal ? 11 : 0)) << c.scroll;
        EXPECT_EQ(edit->engine().contentSize().height() > edit->engine().lineHeight(), c.wraps) << c.scroll;
        edit->destroy();
    }
}

TEST(Edit, TheVerticalBarFollowsTheTextAndMovesIt) {
    TestHost t;
    Edit* edit = makeTallText(t);
    auto* bar = resolveControlAs<ScrollBar>(edit->verticalBar()->control());
    ASSERT_NE(bar, nullptr);
    EXPECT_FALSE(bar->focusable());  // the text keeps the focus
    EXPECT_EQ(bar->maxPos(), edit->engine().contentSize().height());
    EXPECT_EQ(bar->viewPos(), edit->textArea().height());
    EXPECT_EQ(bar->lineChange(), edit->engine().lineHeight());
    edit->setFocus();
    keyWith(t, vk::kEnd, kCtrl);  // the caret at the end scrolls the text, and the bar with it
    EXPECT_GT(edit->engine().scrollOffset().y(), 0);
    EXPECT_EQ(bar->pos(), edit->engine().scrollOffset().y());
    bar->setPos(0, ScrollBar::Notify::Yes);  // as a drag would
    bar->dispatch(msg::kMouseWheel, static_cast<std::uintptr_t>(120) << 16, 0);
    EXPECT_EQ(edit->engine().scrollOffset().y(), 0);
    const QPoint arrow = bar->absoluteRect().topLeft() + bar->forwardArrowRect().center();
    t.click(arrow);  // a click on the down arrow moves one line
    EXPECT_EQ(edit->engine().scrollOffset().y(), edit->engine().lineHeight());
    EXPECT_EQ(bar->pos(), edit->engine().scrollOffset().y());
    EXPECT_TRUE(edit->isFocused());
}

TEST(Edit, PropertiesByNameReachTheBox) {
    TestHost t;
    Edit* edit = makeEdit(t, QRect(10, 10, 150, 25));
    struct Case {
        const char* name;
        const char* text;
        PropertyValue expected;
    };
    const Case cases[] = {
        {"InputType", "8192", 8192LL},
        {"LimitLen", "4", 4LL},
        {"HideSel", "0", 0LL},
        {"PasswordChar", "42", 42LL},
        {"crText", "-16777216", static_cast<long long>(0xFF000000u)},
        {"Text", "12", QStringLiteral("12")},
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(setPropertyFromText(*edit, c.name, c.text)) << c.name;
        const auto value = getProperty(*edit, c.name);
        ASSERT_TRUE(value.has_value()) << c.name;
        EXPECT_EQ(value->front(), c.expected) << c.name;
    }
    edit->setFocus();
    edit->setSelection(-1, -1);
    type(t, QStringLiteral("a345"));  // digits only, four at most
    EXPECT_EQ(edit->text(), QStringLiteral("1234"));
    EXPECT_TRUE(setPropertyFromText(*edit, "SelText", "1,3"));
    EXPECT_EQ(edit->selectedText(), QStringLiteral("23"));
    EXPECT_EQ(getProperty(*edit, "SelText")->front(), PropertyValue(QStringLiteral("1,3")));
    EXPECT_TRUE(setPropertyFromText(*edit, "Caret", "-65536,2"));
    EXPECT_EQ(getProperty(*edit, "Caret"), (PropertyValues{static_cast<long long>(0xFFFF0000u), 2LL}));
    EXPECT_FALSE(getProperty(*edit, "NoSuchProperty").has_value());
}

TEST(Edit, AHandlerMayDestroyTheBoxThatRaisedTheEvent) {
    TestHost t;
    Edit* edit = makeEdit(t, QRect(10, 10, 150, 25));
    const ControlHandle handle = edit->handle();
    edit->bind(tkm::kEditChanged, [edit](const Event&) {
        edit->destroy();
        return false;
    });
    edit->setFocus();
    type(t, QStringLiteral("ab"));
    pump();
    EXPECT_EQ(resolveControl(handle), nullptr);
}

}  // namespace
}  // namespace vamu::toolkit::test
