// What a screen reader sees of a host window: the tree of roles, names and states,
// screen rectangles and hit tests, actions that click as the mouse does, and the
// events sent when the focus, a text, a state or a value changes.
#include "toolkit/test_support.h"

#include "platform/keys.h"
#include "platform/ui_thread.h"
#include "toolkit/accessibility.h"
#include "toolkit/controls/button.h"
#include "toolkit/controls/check_button.h"
#include "toolkit/controls/edit.h"
#include "toolkit/controls/image_box.h"
#include "toolkit/controls/label.h"
#include "toolkit/controls/link.h"
#include "toolkit/controls/list_view.h"
#include "toolkit/controls/progress.h"
#include "toolkit/controls/scroll_bar.h"
#include "toolkit/controls/slider.h"
#include "toolkit/menu_window.h"
#include "toolkit/message_box.h"
#include "toolkit/popup_menu.h"

#include <QAccessible>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace vamu::toolkit::test {
namespace {

struct Recorded {
    QAccessible::Event type;
    QAccessibleInterface* target;
    QAccessible::State changed;
    QVariant value;
    QString edit;  // text events: "position:removed>inserted", caret moves: "caret position"
};

// Collects what the toolkit reports while it lives.
class EventLog {
public:
    EventLog() {
        accessibility::setObserver([this](QAccessibleEvent& event) {
            Recorded entry{event.type(), event.accessibleInterface(), {}, {}};
            if (event.type() == QAccessible::StateChanged) {
                entry.changed = static_cast<QAccessibleStateChangeEvent&>(event).changedStates();
            }
            if (event.type() == QAccessible::ValueChanged) {
                entry.value = static_cast<QAccessibleValueChangeEvent&>(event).value();
            }
            if (event.type() == QAccessible::TextInserted) {
                auto& inserted = static_cast<QAccessibleTextInsertEvent&>(event);
                entry.edit = QStringLiteral("%1:>%2").arg(inserted.changePosition()).arg(inserted.textInserted());
            }
            if (event.type() == QAccessible::TextRemoved) {
                auto& removed = static_cast<QAccessibleTextRemoveEvent&>(event);
                entry.edit = QStringLiteral("%1:%2>").arg(removed.changePosition()).arg(removed.textRemoved());
            }
            if (event.type() == QAccessible::TextUpdated) {
                auto& updated = static_cast<QAccessibleTextUpdateEvent&>(event);
                entry.edit = QStringLiteral("%1:%2>%3")
                                 .arg(updated.changePosition())
                                 .arg(updated.textRemoved(), updated.textInserted());
            }
            if (event.type() == QAccessible::TextCaretMoved) {
                entry.edit =
                    QStringLiteral("caret %1").arg(static_cast<QAccessibleTextCursorEvent&>(event).cursorPosition());
            }
            events.push_back(entry);
        });
    }
    ~EventLog() { accessibility::setObserver({}); }
    EventLog(const EventLog&) = delete;
    EventLog& operator=(const EventLog&) = delete;

    [[nodiscard]] QStringList edits() const {
        QStringList list;
        for (const Recorded& entry : events) {
            if (!entry.edit.isEmpty()) list << entry.edit;
        }
        return list;
    }
    [[nodiscard]] int count(QAccessible::Event type, QAccessibleInterface* target) const {
        int n = 0;
        for (const Recorded& entry : events) n += entry.type == type && entry.target == target ? 1 : 0;
        return n;
    }
    std::vector<Recorded> events;
};

QString roleName(QAccessible::Role role) {
    switch (role) {
    case QAccessible::Window:
        return "window";
    case QAccessible::Dialog:
        return "dialog";
    case QAccessible::PopupMenu:
        return "menu";
    case QAccessible::MenuItem:
        return "menu item";
    case QAccessible::Separator:
        return "separator";
    case QAccessible::PushButton:
        return "button";
    case QAccessible::CheckBox:
        return "check box";
    case QAccessible::RadioButton:
        return "radio button";
    case QAccessible::EditableText:
        return "edit";
    case QAccessible::StaticText:
        return "label";
    case QAccessible::Link:
        return "link";
    case QAccessible::List:
        return "list";
    case QAccessible::ListItem:
        return "row";
    case QAccessible::Slider:
        return "slider";
    case QAccessible::ScrollBar:
        return "scroll bar";
    case QAccessible::ProgressBar:
        return "progress bar";
    case QAccessible::Graphic:
        return "picture";
    default:
        return QStringLiteral("role %1").arg(role);
    }
}

QString stateNames(const QAccessible::State& s) {
    QStringList names;
    if (s.focused) names << "focused";
    if (s.disabled) names << "disabled";
    if (s.checked) names << "checked";
    if (s.selected) names << "selected";
    if (s.invisible) names << "invisible";
    return names.join(' ');
}

// One line per node: indent, role, "name", [states], value.
void dump(QAccessibleInterface* node, int depth, QStringList& lines) {
    QString line = QString(depth * 2, ' ') + roleName(node->role()) + " \"" + node->text(QAccessible::Name) + "\"";
    const QString states = stateNames(node->state());
    if (!states.isEmpty()) line += " [" + states + "]";
    const QString value = node->text(QAccessible::Value);
    if (!value.isEmpty())
        line += " = " + value;
    else if (QAccessibleValueInterface* v = node->valueInterface())
        line += " = " + v->currentValue().toString();
    lines << line;
    for (int i = 0; i < node->childCount(); ++i) {
        QAccessibleInterface* child = node->child(i);
        EXPECT_NE(child, nullptr) << line.toStdString() << " child " << i;
        if (!child) continue;
        EXPECT_EQ(child->parent(), node) << line.toStdString() << " child " << i;
        EXPECT_EQ(node->indexOfChild(child), i) << line.toStdString();
        dump(child, depth + 1, lines);
    }
}

QStringList dump(QAccessibleInterface* root) {
    QStringList lines;
    if (root) dump(root, 0, lines);
    return lines;
}

ButtonSetup buttonText(const QString& text) {
    ButtonSetup setup;
    setup.text = text;
    return setup;
}

// A player-like window with one control of each kind a screen reader must read.
struct Window {
    TestHost test{HostSetup{QSize(420, 360)}};
    Button* play = nullptr;
    Button* stop = nullptr;
    CheckButton* loop = nullptr;
    RadioButton* mono = nullptr;
    RadioButton* stereo = nullptr;
    Edit* search = nullptr;
    Edit* password = nullptr;
    Label* volume = nullptr;
    Link* home = nullptr;
    ListView* songs = nullptr;
    Slider* position = nullptr;
    ScrollBar* scroll = nullptr;
    Progress* download = nullptr;
    ImageBox* cover = nullptr;
    Label* hidden = nullptr;

    Window() {
        HostWindow& host = test.host();
        host.setTitle(QStringLiteral("Player"));
        play = Button::create(host, QRect(10, 10, 80, 24), buttonText(QStringLiteral("&Play")));
        stop = Button::create(host, QRect(100, 10, 80, 24), buttonText(QStringLiteral("Stop")));
        stop->setDisabled(true);
        loop = CheckButton::create(host, QRect(10, 40, 80, 20), buttonText(QStringLiteral("Loop")));
        loop->setChecked(true);
        mono = RadioButton::create(host, QRect(100, 40, 80, 20), buttonText(QStringLiteral("Mono")));
        stereo = RadioButton::create(host, QRect(190, 40, 80, 20), buttonText(QStringLiteral("Stereo")));
        stereo->setChecked(true);
        EditOptions searchOptions;
        searchOptions.text = QStringLiteral("rain");
        search = Edit::create(host, QRect(10, 70, 150, 24), searchOptions);
        search->setTips(QStringLiteral("Search"));
        EditOptions secret;
        secret.text = QStringLiteral("hunter2");
        secret.inputType = input_type::kPassword;
        password = Edit::create(host, QRect(170, 70, 150, 24), secret);
        password->setTips(QStringLiteral("Password"));
        LabelSetup label;
        label.text = QStringLiteral("Volume");
        volume = Label::create(host, QRect(10, 100, 80, 20), label);
        LinkSetup link;
        link.label.text = QStringLiteral("Home page");
        link.address = QStringLiteral("http://127.0.0.1/");
        link.linkType = 1;
        home = Link::create(host, QRect(100, 100, 100, 20), link);
        ListViewOptions listOptions;
        songs = ListView::create(host, QRect(10, 130, 300, 100), listOptions);
        songs->setTips(QStringLiteral("Songs"));
        songs->insertColumn(0, QStringLiteral("Title"), 120);
        songs->insertColumn(0, QStringLiteral("Singer"), 120);
        songs->insertRow(0, QStringLiteral("Rain"));
        songs->setCellText(1, 2, QStringLiteral("Ann"));
        songs->insertRow(0, QStringLiteral("Snow"));
        songs->setCellText(2, 2, QStringLiteral("Bo"));
        songs->setSelectedRow(2);
        position = Slider::create(host, QRect(10, 240, 200, 10), 40.0);
        position->setTips(QStringLiteral("Position"));
        scroll = ScrollBar::create(host, QRect(380, 10, 16, 200), Orientation::Vertical);
        scroll->setTips(QStringLiteral("Scroll"));
        scroll->setRange(0, 100);
        scroll->setViewPos(10);
        scroll->setPos(30);
        download = Progress::create(host, QRect(10, 280, 200, 12));
        download->setTips(QStringLiteral("Download"));
        download->setRange(0, 100);
        download->setPos(25);
        cover = ImageBox::create(host, QRect(320, 240, 48, 48));
        cover->setTips(QStringLiteral("Cover"));
        LabelSetup gone;
        gone.text = QStringLiteral("Hidden");
        gone.visible = false;
        hidden = Label::create(host, QRect(10, 300, 80, 20), gone);
        host.controls().flush();
    }

    QAccessibleInterface* root() { return accessibility::interfaceFor(test.host()); }
};

TEST(AccessibleTree, WindowListsEveryControlWithRoleNameStateAndValue) {
    Window window;
    QAccessibleInterface* root = QAccessible::queryAccessibleInterface(window.test.native().qtWindow());
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root, window.root());
    QAccessibleInterface* application = QAccessible::queryAccessibleInterface(qApp);
    EXPECT_EQ(root->parent(), application);
    EXPECT_GE(application->indexOfChild(root), 0);

    const QStringList lines = dump(root);
    // The list's own scroll bars are its children after the rows; only the rows and
    // the window's controls are checked line by line.
    QStringList shown;
    for (const QString& line : lines) {
        if (!line.startsWith("    ")) shown << line;
    }
    const QStringList expected = {
        "window \"Player\"",
        "  button \"Play\"",
        "  button \"Stop\" [disabled]",
        "  check box \"Loop\" [checked]",
        "  radio button \"Mono\"",
        "  radio button \"Stereo\" [checked]",
        "  edit \"Search\" = rain",
        "  edit \"Password\"",
        "  label \"Volume\"",
        "  link \"Home page\"",
        "  list \"Songs\"",
        "    row \"Rain, Ann\"",
        "    row \"Snow, Bo\" [selected]",
        "  slider \"Position\" = 40",
        "  scroll bar \"Scroll\" = 30",
        "  progress bar \"Download\" = 25",
        "  picture \"Cover\"",
        "  label \"Hidden\" [invisible]",
    };
    QStringList withRows;
    for (const QString& line : lines) {
        if (!line.startsWith("    ") || line.startsWith("    row")) withRows << line;
    }
    EXPECT_EQ(withRows, expected) << lines.join('\n').toStdString();
    EXPECT_EQ(shown.size() + 2, withRows.size());

    // Password text never leaves the program; the edit says what it is instead.
    QAccessibleInterface* password = accessibility::interfaceFor(*window.password);
    EXPECT_TRUE(password->text(QAccessible::Value).isEmpty());
    EXPECT_TRUE(password->state().passwordEdit);
    EXPECT_TRUE(accessibility::interfaceFor(*window.search)->state().editable);

    // Value ranges follow the controls' own.
    QAccessibleValueInterface* bar = accessibility::interfaceFor(*window.scroll)->valueInterface();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->minimumValue().toInt(), 0);
    EXPECT_EQ(bar->maximumValue().toInt(), 90);  // the range less the visible amount
    EXPECT_EQ(accessibility::interfaceFor(*window.position)->valueInterface()->maximumValue().toDouble(), 100.0);
}

TEST(AccessibleTree, ControlsWithoutTextAreNamedByTheirLabelOrAGivenName) {
    TestHost test;
    HostWindow& host = test.host();
    LabelSetup artist;
    artist.text = QStringLiteral("歌手：");
    Label::create(host, QRect(10, 10, 50, 24), artist);
    Edit* beside = Edit::create(host, QRect(62, 10, 120, 24));
    LabelSetup heading;
    heading.text = QStringLiteral("&Volume:");
    Label::create(host, QRect(10, 50, 100, 20), heading);
    Slider* below = Slider::create(host, QRect(10, 74, 150, 10), 20.0);
    // A label far away names nothing.
    LabelSetup far;
    far.text = QStringLiteral("Far");
    Label::create(host, QRect(300, 10, 40, 20), far);
    Edit* alone = Edit::create(host, QRect(10, 200, 120, 24));
    EXPECT_EQ(accessibility::interfaceFor(*beside)->text(QAccessible::Name), QStringLiteral("歌手"));
    EXPECT_EQ(accessibility::interfaceFor(*below)->text(QAccessible::Name), "Volume");
    EXPECT_EQ(accessibility::interfaceFor(*alone)->text(QAccessible::Name), "");

    // A given name comes first and is announced; the tooltip comes before the label.
    EventLog log;
    accessibility::setName(*alone, QStringLiteral("&Notes"));
    EXPECT_EQ(accessibility::interfaceFor(*alone)->text(QAccessible::Name), "Notes");
    EXPECT_EQ(log.count(QAccessible::NameChanged, accessibility::interfaceFor(*alone)), 1);
    beside->setTips(QStringLiteral("Singer"));
    EXPECT_EQ(accessibility::interfaceFor(*beside)->text(QAccessible::Name), "Singer");
}

TEST(AccessibleTree, RectanglesAreOnTheScreenAndHitTestsFindTheTopmostControl) {
    Window window;
    QAccessibleInterface* root = window.root();
    const QPoint origin = window.test.native().geometry().topLeft();
    EXPECT_EQ(root->rect(), window.test.native().geometry());
    QAccessibleInterface* play = accessibility::interfaceFor(*window.play);
    EXPECT_EQ(play->rect(), window.play->absoluteRect().translated(origin));
    EXPECT_EQ(root->childAt(play->rect().center().x(), play->rect().center().y()), play);
    EXPECT_EQ(root->childAt(origin.x() - 5, origin.y() - 5), nullptr);

    // Rows lie inside their list, one under the other.
    QAccessibleInterface* list = accessibility::interfaceFor(*window.songs);
    QAccessibleInterface* first = list->child(0);
    QAccessibleInterface* second = list->child(1);
    EXPECT_TRUE(list->rect().contains(first->rect()));
    EXPECT_EQ(second->rect().top(), first->rect().bottom() + 1);
    EXPECT_EQ(list->childAt(second->rect().center().x(), second->rect().center().y()), second);

    // The same control answers with the same interface until it is destroyed.
    EXPECT_EQ(accessibility::interfaceFor(*window.play), play);
    const QAccessible::Id id = QAccessible::uniqueId(play);
    const QAccessible::Id rowId = QAccessible::uniqueId(first);
    window.songs->destroy();
    window.play->destroy();
    pump();
    EXPECT_EQ(QAccessible::accessibleInterface(id), nullptr);
    EXPECT_EQ(QAccessible::accessibleInterface(rowId), nullptr);
    EXPECT_EQ(root->childCount(), 13);
}

TEST(AccessibleActions, PressClicksLikeTheMouseAndOnlyWhereTheMouseCould) {
    Window window;
    int played = 0;
    int stopped = 0;
    window.play->bindClick([&](const Event&) {
        ++played;
        return 0;
    });
    window.stop->bindClick([&](const Event&) {
        ++stopped;
        return 0;
    });
    QAccessibleActionInterface* play = accessibility::interfaceFor(*window.play)->actionInterface();
    ASSERT_NE(play, nullptr);
    EXPECT_TRUE(play->actionNames().contains(QAccessibleActionInterface::pressAction()));
    play->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(played, 1);

    // A disabled or hidden control takes no click, as with the mouse.
    accessibility::interfaceFor(*window.stop)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(stopped, 0);
    window.play->setVisible(false);
    play->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(played, 1);

    // Check boxes toggle, radio buttons take the choice from their group.
    accessibility::interfaceFor(*window.loop)->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_FALSE(window.loop->isChecked());
    accessibility::interfaceFor(*window.mono)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_TRUE(window.mono->isChecked());
    EXPECT_FALSE(window.stereo->isChecked());

    // Focus moves where asked; labels have nothing to do.
    accessibility::interfaceFor(*window.search)
        ->actionInterface()
        ->doAction(QAccessibleActionInterface::setFocusAction());
    EXPECT_TRUE(window.search->isFocused());
    EXPECT_TRUE(accessibility::interfaceFor(*window.search)->state().focused);
    EXPECT_TRUE(accessibility::interfaceFor(*window.volume)->actionInterface()->actionNames().isEmpty());

    // Pressing a row selects it and runs the row's click handlers.
    std::vector<int> clickedRows;
    window.songs->bindRowClick([&](ListView&, int row, int, QPoint) { clickedRows.push_back(row); });
    QAccessibleInterface* firstRow = accessibility::interfaceFor(*window.songs)->child(0);
    firstRow->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(window.songs->selectedRow(), 1);
    EXPECT_EQ(clickedRows, std::vector<int>{1});
    EXPECT_TRUE(firstRow->state().selected);

    // The scroll bar moves by its line step and reports the move like its arrows.
    std::vector<int> scrolled;
    window.scroll->bindScroll([&](ScrollBar&, int pos, ScrollCode) { scrolled.push_back(pos); });
    window.scroll->setLineChange(5);
    accessibility::interfaceFor(*window.scroll)
        ->actionInterface()
        ->doAction(QAccessibleActionInterface::increaseAction());
    EXPECT_EQ(window.scroll->pos(), 35);
    accessibility::interfaceFor(*window.scroll)->valueInterface()->setCurrentValue(500);
    EXPECT_EQ(window.scroll->pos(), 90);
    EXPECT_EQ(scrolled, (std::vector<int>{35, 90}));
}

TEST(AccessibleEvents, FocusTextStateAndValueChangesAreReported) {
    Window window;
    EventLog log;
    QAccessibleInterface* search = accessibility::interfaceFor(*window.search);
    EXPECT_EQ(window.root()->focusChild(), nullptr);
    window.search->setFocus();
    EXPECT_EQ(log.count(QAccessible::Focus, search), 1);
    EXPECT_EQ(window.root()->focusChild(), search);
    // Tab moves the focus along the chain, and the reader hears where it went.
    window.test.key(platform::vk::kTab);
    const BaseControl* next = resolveControl(window.test.host().controls().focused());
    ASSERT_NE(next, nullptr);
    ASSERT_NE(next, window.search);
    ASSERT_FALSE(log.events.empty());
    EXPECT_EQ(log.events.back().type, QAccessible::Focus);
    EXPECT_EQ(log.events.back().target, accessibility::interfaceFor(*const_cast<BaseControl*>(next)));

    log.events.clear();
    window.volume->setText(QStringLiteral("Loudness"));
    EXPECT_EQ(log.count(QAccessible::NameChanged, accessibility::interfaceFor(*window.volume)), 1);
    EXPECT_EQ(accessibility::interfaceFor(*window.volume)->text(QAccessible::Name), "Loudness");
    window.volume->setText(QStringLiteral("Loudness"));  // no change, no event
    EXPECT_EQ(log.count(QAccessible::NameChanged, accessibility::interfaceFor(*window.volume)), 1);

    window.loop->setChecked(false);
    window.stop->setDisabled(false);
    window.hidden->setVisible(true);
    ASSERT_EQ(log.events.size(), 4u);
    EXPECT_TRUE(log.events[1].changed.checked);
    EXPECT_EQ(log.events[1].target, accessibility::interfaceFor(*window.loop));
    EXPECT_TRUE(log.events[2].changed.disabled);
    EXPECT_TRUE(log.events[3].changed.invisible);
    EXPECT_FALSE(accessibility::interfaceFor(*window.hidden)->state().invisible);

    log.events.clear();
    window.download->setPos(60);
    window.scroll->setPos(45);
    ASSERT_EQ(log.events.size(), 2u);
    EXPECT_EQ(log.events[0].type, QAccessible::ValueChanged);
    EXPECT_EQ(log.events[0].value.toInt(), 60);
    EXPECT_EQ(log.events[1].value.toInt(), 45);

    // Coming back to the window: it reports itself active, then where the focus is.
    log.events.clear();
    window.test.send(platform::msg::kActivate, 0);
    window.test.send(platform::msg::kActivate, 1);
    ASSERT_EQ(log.events.size(), 3u);
    EXPECT_EQ(log.events[0].target, window.root());
    EXPECT_TRUE(log.events[0].changed.active);
    EXPECT_TRUE(log.events[1].changed.active);
    EXPECT_EQ(log.events[2].type, QAccessible::Focus);
    EXPECT_EQ(log.events[2].target, accessibility::interfaceFor(*const_cast<BaseControl*>(next)));

    log.events.clear();
    window.test.host().setTitle(QStringLiteral("Player 2"));
    ASSERT_EQ(log.events.size(), 1u);
    EXPECT_EQ(log.events[0].target, window.root());
    EXPECT_EQ(window.root()->text(QAccessible::Name), "Player 2");
}

TEST(AccessibleText, EditsReadTheirTextAndSelectionAndReportWhatTypingChanged) {
    Window window;
    EventLog log;
    QAccessibleTextInterface* search = accessibility::interfaceFor(*window.search)->textInterface();
    ASSERT_NE(search, nullptr);
    EXPECT_EQ(accessibility::interfaceFor(*window.volume)->textInterface(), nullptr);
    EXPECT_EQ(search->characterCount(), 4);
    EXPECT_EQ(search->text(0, 4), "rain");
    EXPECT_EQ(search->text(1, -1), "ain");

    // A reader selects "ai"; typing replaces the selection, as the edit always does.
    window.search->setFocus();
    search->setSelection(0, 1, 3);
    EXPECT_EQ(window.search->selectedText(), "ai");
    int start = -1;
    int end = -1;
    search->selection(0, &start, &end);
    EXPECT_EQ(std::pair(start, end), std::pair(1, 3));
    EXPECT_EQ(search->selectionCount(), 1);
    log.events.clear();
    window.test.send(platform::msg::kChar, 'o');
    EXPECT_EQ(window.search->text(), "ron");
    window.test.key(platform::vk::kBack);
    EXPECT_EQ(window.search->text(), "rn");
    window.search->setText(QStringLiteral("rn rain"));  // the program's own change
    EXPECT_EQ(log.edits(), (QStringList{"1:ai>o", "caret 2", "1:o>", "caret 1", "2:> rain"}));
    EXPECT_EQ(search->cursorPosition(), window.search->engine().cursorPosition());

    // A password box gives out mask characters only, in its text and its events.
    QAccessibleTextInterface* password = accessibility::interfaceFor(*window.password)->textInterface();
    const QChar mask = window.password->options().passwordChar;
    EXPECT_EQ(password->text(0, -1), QString(7, mask));
    window.password->setFocus();
    const int caret = window.password->engine().cursorPosition();
    log.events.clear();
    window.test.send(platform::msg::kChar, 'z');
    EXPECT_EQ(window.password->text().size(), 8);
    ASSERT_FALSE(log.edits().isEmpty());
    EXPECT_EQ(log.edits().front(), QStringLiteral("%1:>").arg(caret) + mask);
    EXPECT_EQ(password->characterCount(), 8);
}

TEST(AccessibleEvents, NothingIsReportedOrBuiltWhileNobodyListens) {
    // The offscreen platform has no assistive technology.
    ASSERT_FALSE(QAccessible::isActive());
    EXPECT_FALSE(accessibility::active());
    Window window;
    const QAccessible::Id first = QAccessible::uniqueId(accessibility::interfaceFor(*window.volume));
    window.play->setText(QStringLiteral("Pause"));
    window.search->setFocus();
    window.loop->setChecked(false);
    // Interfaces made for those changes would be older than the one made first.
    EXPECT_GT(QAccessible::uniqueId(accessibility::interfaceFor(*window.play)), first);
    EXPECT_GT(QAccessible::uniqueId(accessibility::interfaceFor(*window.search)), first);
    EXPECT_GT(QAccessible::uniqueId(accessibility::interfaceFor(*window.loop)), first);
}

TEST(AccessibleWindows, MessageBoxIsADialogWithItsTextAndButtons) {
    QStringList seen;
    bool modal = false;
    int pressed = -1;
    QTimer driver;
    QObject::connect(&driver, &QTimer::timeout, [&] {
        HostWindow* box = currentMessageBox();
        if (!seen.isEmpty() || !box || !box->paintReady()) return;
        QAccessibleInterface* root = accessibility::interfaceFor(*box);
        seen = dump(root);
        modal = root->state().modal;
        // Press the first button as a reader would.
        for (int i = 0; i < root->childCount(); ++i) {
            QAccessibleInterface* child = root->child(i);
            if (child->role() == QAccessible::PushButton && child->text(QAccessible::Name) == "OK") {
                child->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
                pressed = i;
                break;
            }
        }
        if (pressed < 0) box->close();
    });
    driver.start(5);
    MessageBoxOptions options;
    options.buttons = MessageButtons::Ok;
    options.buttonTexts = {QStringLiteral("OK")};
    options.title = QStringLiteral("Notice");
    const int result = messageBox({}, QStringLiteral("Saved."), options);
    driver.stop();
    ASSERT_FALSE(seen.isEmpty());
    EXPECT_EQ(seen.front(), "dialog \"Notice\"");
    EXPECT_TRUE(modal);
    EXPECT_TRUE(seen.contains("  label \"Saved.\"")) << seen.join('\n').toStdString();
    // The caption's close button shows only a picture; it is read by what it does.
    EXPECT_TRUE(seen.contains(QStringLiteral("  button \"关闭\""))) << seen.join('\n').toStdString();
    EXPECT_GE(pressed, 0) << seen.join('\n').toStdString();
    EXPECT_EQ(result, message_result::kOk);
}

TEST(AccessibleWindows, PopupMenuListsItsItemsAndPressChoosesOne) {
    TestHost owner;
    int chosen = 0;
    PopupMenu menu;
    menu.addAction(QStringLiteral("&Open"), [&] { chosen = 1; });
    menu.addSeparator();
    menu.addAction(
        QStringLiteral("Shuffle"), [&] { chosen = 2; }, menu_state::kChecked);
    menu.addAction(
        QStringLiteral("Delete"), [&] { chosen = 3; }, menu_state::kDisabled);
    QStringList seen;
    platform::runOnUi([&] {
        const auto& chains = detail::runningMenuChains();
        ASSERT_FALSE(chains.empty());
        detail::MenuWindow& window = *chains.back()->openWindows().front();
        QAccessibleInterface* root = accessibility::interfaceFor(window.host());
        seen = dump(root);
        // "Delete" is disabled: pressing it chooses nothing and the menu stays.
        root->child(3)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        root->child(2)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    });
    menu.popup(owner.host().windowHandle(), {}, QPoint(150, 120));
    const QStringList expected = {
        "menu \"\"",
        "  menu item \"Open\"",
        "  separator \"\"",
        "  menu item \"Shuffle\" [checked]",
        "  menu item \"Delete\" [disabled]",
    };
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(chosen, 2);
}

}  // namespace
}  // namespace vamu::toolkit::test
