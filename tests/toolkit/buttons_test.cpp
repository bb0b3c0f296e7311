// The button family: layout by IconFlag, state looks and fades, clicks by mouse,
// keyboard and access key, check boxes, radio groups, picture buttons.
#include "toolkit/test_support.h"
#include "toolkit/recording_control.h"

#include "platform/desktop.h"
#include "platform/keys.h"
#include "toolkit/controls/button.h"
#include "toolkit/controls/check_button.h"
#include "toolkit/controls/image_button.h"
#include "toolkit/controls/link.h"
#include "toolkit/controls/page.h"
#include "toolkit/controls/paint.h"

#include <gtest/gtest.h>

#include <functional>

namespace vamu::toolkit::test {
namespace {

namespace msg = platform::msg;

QPoint hostPoint(const BaseControl& control, QPoint local) { return control.absoluteRect().topLeft() + local; }

QImage solid(QSize size, QRgb colour) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(QColor::fromRgba(colour));
    return image;
}

// The skin picture of a key drawn alone on a transparent surface of the size.
QImage skinAlone(std::string_view section, std::string_view key, QSize size, QRect at) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    paint::drawSkinImage(painter, &theme(), section, QRectF(at), key);
    return image;
}

TEST(ButtonLayout, IconFlagPlacesIconAndTextAsTheTableSays) {
    // The standard button (69 x 24, margin 3,3,-3,-5) lays out in (3, 3, 66, 19).
    const QRect area(3, 3, 66, 19);
    const QSize icon(16, 16);
    const QSizeF text(30.6, 14.2);
    const QPoint offset(1, 2);
    const int splitter = 4;
    struct Case {
        int flag;
        QRect icon;
        QRect text;
    };
    const Case cases[] = {
        {0, {11, 6, 16, 16}, {31, 6, 30, 14}},    // a centred row, the text one pixel higher
        {1, {45, 6, 16, 16}, {11, 7, 30, 14}},    // text first
        {2, {29, -2, 16, 16}, {21, 18, 30, 14}},  // a column too tall for the area starts above it
        {3, {29, 6, 16, 16}, {21, 7, 30, 14}},    // centred on each other
        {4, {4, 6, 16, 16}, {24, 7, 45, 14}},     // icon at the left edge, text takes the rest
        {5, {53, 6, 16, 16}, {4, 7, 45, 14}},     // text from the left, icon after it
        {6, {29, 5, 16, 16}, {21, 25, 35, 14}},   // icon at the top edge, text 5 wider
        {7, {}, area},
        {-1, {}, area},
    };
    for (const Case& c : cases) {
        const ButtonLayout layout = layoutButton(area, icon, text, c.flag, offset, splitter);
        EXPECT_EQ(layout.icon, c.icon) << "IconFlag " << c.flag;
        EXPECT_EQ(layout.text, c.text) << "IconFlag " << c.flag;
    }
}

TEST(Button, EmptyTextWithoutIconDrawsOnlyTheSkin) {
    TestHost t;
    Button* button = Button::create(t.host(), QRect(10, 10, 69, 24));
    ASSERT_NE(button, nullptr);
    const QImage expected = skinAlone("Button", "normal", QSize(69, 24), QRect(0, 0, 69, 24));
    EXPECT_EQ(button->surface(), expected);
    // The layout still keeps a text line's height.
    EXPECT_GT(button->lastLayout().text.height(), 8);
}

TEST(Button, IconSitsWhereTheLayoutPutsItAndMovesWithThePress) {
    TestHost t;
    ButtonSetup setup;
    setup.icon = solid(QSize(10, 10), 0xFFFF0000);
    Button* button = Button::create(t.host(), QRect(10, 10, 80, 30), setup);
    button->setIconFlag(4);
    const QRect icon = button->lastLayout().icon;
    ASSERT_EQ(icon.size(), QSize(10, 10));
    EXPECT_EQ(icon.x(), 3);  // the margin's left edge
    EXPECT_EQ(t.pixel(hostPoint(*button, icon.topLeft()).x(), hostPoint(*button, icon.topLeft()).y()),
              qRgba(255, 0, 0, 255));
    t.press(hostPoint(*button, QPoint(40, 15)));
    EXPECT_EQ(button->visualState(), button_state::kPressed);
    // A press right after the hover fades too.
    ASSERT_TRUE(pumpUntil([&] { return !(button->state() & state::kAnimating); }));
    EXPECT_EQ(button->lastLayout().icon, icon.translated(1, 1));
    const QPoint corner = hostPoint(*button, icon.bottomRight() + QPoint(1, 1));
    EXPECT_EQ(t.pixel(corner.x(), corner.y()), qRgba(255, 0, 0, 255));
    t.release(hostPoint(*button, QPoint(40, 15)));
    EXPECT_EQ(button->visualState(), button_state::kHot);
}

TEST(Button, HoverFadesOverEightFramesAndEndsOnTheHotLook) {
    TestHost t({.colour = 0xFFFFFF});
    Button* button = Button::create(t.host(), QRect(20, 20, 69, 24));
    const QPoint probe = hostPoint(*button, QPoint(30, 12));
    const QRgb hot = skinPixel("Button", state::kHot, QSize(69, 24), QPoint(30, 12), 0xFFFFFFFF);
    const QRgb normal = skinPixel("Button", 0, QSize(69, 24), QPoint(30, 12), 0xFFFFFFFF);
    ASSERT_NE(hot, normal);
    t.move(probe);
    EXPECT_TRUE(button->state() & state::kAnimating);
    EXPECT_EQ(button->animationFrames(), 8);
    EXPECT_EQ(button->animationInterval(), 25);
    EXPECT_EQ(t.pixel(probe.x(), probe.y()), normal);  // nothing of the new look before the first frame
    ASSERT_TRUE(pumpUntil([&] { return !(button->state() & state::kAnimating); }));
    EXPECT_EQ(t.pixel(probe.x(), probe.y()), hot);
    // The fade is over: a press now shows at once.
    EXPECT_EQ(button->animationFrames(), 0);
    t.press(probe);
    EXPECT_FALSE(button->state() & state::kAnimating);
    EXPECT_EQ(t.pixel(probe.x(), probe.y()),
              skinPixel("Button", state::kPressed, QSize(69, 24), QPoint(30, 12), 0xFFFFFFFF));
}

TEST(Button, ClicksByMouseKeyboardAndAccessKey) {
    TestHost t;
    ButtonSetup setup;
    setup.text = QStringLiteral("&Open");
    Button* button = Button::create(t.host(), QRect(10, 10, 69, 24), setup);
    std::vector<QPoint> clicks;
    button->bindClick([&](const Event& e) {
        clicks.emplace_back(e.x, e.y);
        return false;
    });
    t.click(hostPoint(*button, QPoint(20, 10)));
    ASSERT_EQ(clicks.size(), 1u);
    EXPECT_EQ(clicks[0], QPoint(20, 10));
    EXPECT_TRUE(button->isFocused());
    t.key(platform::vk::kSpace);
    t.key(platform::vk::kReturn);
    ASSERT_EQ(clicks.size(), 3u);
    EXPECT_EQ(clicks[2], QPoint(0, 0));
    t.send(msg::kSysChar, 'o');
    EXPECT_EQ(clicks.size(), 4u);
    // A new text takes its access key with it.
    button->setText(QStringLiteral("&Save"));
    t.send(msg::kSysChar, 'o');
    EXPECT_EQ(clicks.size(), 4u);
    t.send(msg::kSysChar, 'S');
    EXPECT_EQ(clicks.size(), 5u);
}

TEST(Button, SettingTheSameTextAnswersWithoutRepainting) {
    TestHost t;
    ButtonSetup setup;
    setup.text = QStringLiteral("Same");
    Button* button = Button::create(t.host(), QRect(10, 10, 69, 24), setup);
    // With frames set every paint starts a fade: a quiet control did not paint.
    button->setAnimationFramesAndTimer(8, 25);
    const QString same = QStringLiteral("Same");
    EXPECT_EQ(button->dispatch(msg::kSetText, 0, reinterpret_cast<std::intptr_t>(&same)), 1);
    EXPECT_FALSE(button->state() & state::kAnimating);
    const QString other = QStringLiteral("Other");
    EXPECT_EQ(button->dispatch(msg::kSetText, 0, reinterpret_cast<std::intptr_t>(&other)), 1);
    EXPECT_TRUE(button->state() & state::kAnimating);
    EXPECT_EQ(button->text(), other);
}

TEST(Button, DisabledButtonsIgnoreMouseKeyboardAndAccessKey) {
    TestHost t;
    ButtonSetup setup;
    setup.text = QStringLiteral("&Go");
    Button* button = Button::create(t.host(), QRect(10, 10, 69, 24), setup);
    CheckButton* box = CheckButton::create(t.host(), QRect(10, 50, 100, 24));
    int clicks = 0;
    button->bindClick([&](const Event&) { return ++clicks, false; });
    box->bindClick([&](const Event&) { return ++clicks, false; });
    button->setFocus();
    button->setDisabled(true);
    box->setDisabled(true);
    EXPECT_FALSE(button->isFocused());
    t.click(hostPoint(*button, QPoint(20, 10)));
    t.click(hostPoint(*box, QPoint(5, 12)));
    t.key(platform::vk::kSpace);
    t.send(msg::kSysChar, 'g');
    EXPECT_EQ(clicks, 0);
    EXPECT_FALSE(box->isChecked());
    EXPECT_EQ(button->visualState(), button_state::kNormal);
    button->setDisabled(false);
    t.send(msg::kSysChar, 'g');
    EXPECT_EQ(clicks, 1);
}

// Each kind of clickable control, made in a host.
using Maker = std::function<BaseControl*(HostWindow&)>;

TEST(ButtonFamily, AClickHandlerMayDestroyItsOwnControl) {
    const std::pair<const char*, Maker> makers[] = {
        {"Button", [](HostWindow& h) { return Button::create(h, QRect(10, 10, 80, 24)); }},
        {"CheckButton", [](HostWindow& h) { return CheckButton::create(h, QRect(10, 10, 80, 24)); }},
        {"RadioButton", [](HostWindow& h) { return RadioButton::create(h, QRect(10, 10, 80, 24)); }},
        {"ImageButton", [](HostWindow& h) { return ImageButton::create(h, QRect(10, 10, 80, 24)); }},
        {"Link", [](HostWindow& h) { return Link::create(h, QRect(10, 10, 80, 24), {.address = "x@y.z"}); }},
    };
    for (const auto& [name, make] : makers) {
        for (const bool byKeyboard : {false, true}) {
            TestHost t;
            platform::AddressOpener previous = platform::setAddressOpener([](const QString&) { return true; });
            BaseControl* control = make(t.host());
            ASSERT_NE(control, nullptr) << name;
            const ControlHandle handle = control->handle();
            control->bindClick([control](const Event&) {
                control->destroy();
                return false;
            });
            if (byKeyboard) {
                control->setFocus();
                t.key(platform::vk::kReturn);
            } else {
                t.click(hostPoint(*control, QPoint(5, 12)));
            }
            pump();
            EXPECT_EQ(resolveControl(handle), nullptr) << name << (byKeyboard ? " by key" : " by mouse");
            EXPECT_EQ(t.host().controls().focused(), ControlHandle{}) << name;
            platform::setAddressOpener(std::move(previous));
        }
    }
}

TEST(CheckButton, ClickTogglesBeforeTheHandlerRuns) {
    TestHost t;
    CheckButton* box = CheckButton::create(t.host(), QRect(10, 10, 100, 24), {.text = QStringLiteral("Remember")});
    std::vector<bool> seen;
    box->bindClick([&](const Event&) {
        seen.push_back(box->isChecked());
        return false;
    });
    t.click(hostPoint(*box, QPoint(60, 12)));
    t.click(hostPoint(*box, QPoint(60, 12)));
    t.key(platform::vk::kSpace);
    EXPECT_EQ(seen, (std::vector<bool>{true, false, true}));
    EXPECT_EQ(getProperty(*box, "Check"), PropertyValues{1LL});
    EXPECT_TRUE(setProperty(*box, "Check", {0LL}));
    EXPECT_FALSE(box->isChecked());
    EXPECT_EQ(seen.size(), 3u);  // setting it is not a click
}

TEST(CheckButton, DrawsTheBoxPictureOfItsStateAtTheLeftAndFocusesAroundIt) {
    TestHost t;
    CheckButton* box = CheckButton::create(t.host(), QRect(10, 10, 100, 23), {.text = QStringLiteral("Box")});
    const QRect boxRect(2, 3, 17, 17);  // (23 - 17) / 2 = 3
    EXPECT_EQ(box->surface().copy(boxRect), skinAlone("CheckButton", "normal", QSize(100, 23), boxRect).copy(boxRect));
    box->setChecked(true);
    EXPECT_EQ(box->surface().copy(boxRect),
              skinAlone("CheckButton", "normal_ck", QSize(100, 23), boxRect).copy(boxRect));
    EXPECT_NE(skinAlone("CheckButton", "normal", QSize(100, 23), boxRect),
              skinAlone("CheckButton", "normal_ck", QSize(100, 23), boxRect));
    // The text follows the box 3 pixels on (4 when the box stands on an odd row).
    EXPECT_EQ(box->lastLayout().text.x(), 2 + 17 + 3 + 1);
    EXPECT_EQ(box->focusRect(), QRect(QPoint(0, 1), QPoint(23, 24)));
}

TEST(RadioButton, ClickingOneUnchecksTheOthersOfItsGroupOnly) {
    TestHost t;
    Page* page = Page::create(t.host(), QRect(0, 0, 300, 200));
    Page* otherPage = Page::create(t.host(), QRect(0, 200, 300, 50));
    RadioButton* a = RadioButton::create(page, QRect(0, 0, 100, 20), {.text = "a"});
    RadioButton* b = RadioButton::create(page, QRect(0, 30, 100, 20), {.text = "b"});
    RadioButton* c = RadioButton::create(page, QRect(0, 60, 100, 20), {.text = "c"});
    RadioButton* elsewhere = RadioButton::create(otherPage, QRect(0, 0, 100, 20), {.text = "d"});
    EXPECT_EQ(a->checkIndex(), static_cast<long long>(page->handle().value));
    c->setCheckIndex(7);                        // a group of its own in the same parent
    elsewhere->setCheckIndex(a->checkIndex());  // same index, but another child list
    for (RadioButton* radio : {c, elsewhere}) t.click(hostPoint(*radio, QPoint(5, 10)));
    t.click(hostPoint(*a, QPoint(5, 10)));
    EXPECT_TRUE(a->isChecked());
    t.click(hostPoint(*b, QPoint(5, 10)));
    EXPECT_FALSE(a->isChecked());
    EXPECT_TRUE(b->isChecked());
    EXPECT_TRUE(c->isChecked());
    EXPECT_TRUE(elsewhere->isChecked());
    // A checked radio button stays checked when clicked again.
    t.click(hostPoint(*b, QPoint(5, 10)));
    EXPECT_TRUE(b->isChecked());
    EXPECT_TRUE(setProperty(*b, "CheckIndex", {QStringLiteral("9")}));
    EXPECT_EQ(b->checkIndex(), 9);
}

TEST(ImageListButton, ShowsTheCellOfItsState) {
    // Four 10-pixel cells 2 pixels apart: red, green, blue, grey.
    QImage strip(46, 8, QImage::Format_ARGB32_Premultiplied);
    strip.fill(Qt::transparent);
    const QRgb colours[] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFF808080};
    for (int i = 0; i < 4; ++i) {
        QPainter(&strip).fillRect(QRect(i * 12, 0, 10, 8), QColor::fromRgba(colours[i]));
    }
    TestHost t;
    ImageListButton* button = ImageListButton::create(t.host(), QRect(10, 10, 30, 20));
    button->setFill(paint::fill::kStretch);
    button->setStrip(strip, 4, 2);
    const auto centre = [&] { return button->surface().pixel(15, 10); };
    EXPECT_EQ(centre(), colours[0]);
    t.move(hostPoint(*button, QPoint(15, 10)));
    EXPECT_EQ(centre(), colours[1]);
    t.press(hostPoint(*button, QPoint(15, 10)));
    EXPECT_EQ(centre(), colours[2]);
    t.release(hostPoint(*button, QPoint(15, 10)));
    button->setDisabled(true);
    EXPECT_EQ(centre(), colours[3]);
    EXPECT_TRUE(button->classDrawsDisabled());
    // A strip of three has no disabled cell: the first one, faded by the window.
    button->setStrip(strip.copy(0, 0, 34, 8), 3, 2);
    EXPECT_EQ(centre(), colours[0]);
    button->setDisabled(false);
    button->setDisabled(true);
    EXPECT_FALSE(button->classDrawsDisabled());
}

TEST(ImageButton, MissingLooksFallBackToTheNormalPicture) {
    TestHost t;
    ImageButton* button = ImageButton::create(t.host(), QRect(10, 10, 20, 20));
    button->setFill(paint::fill::kStretch);
    button->setImage(ImageButton::Look::Normal, solid(QSize(4, 4), 0xFF0000FF));
    button->setImage(ImageButton::Look::Down, solid(QSize(4, 4), 0xFF00FF00));
    const auto centre = [&] { return button->surface().pixel(10, 10); };
    t.move(hostPoint(*button, QPoint(10, 10)));
    EXPECT_EQ(centre(), 0xFF0000FFu);  // no highlight picture
    t.press(hostPoint(*button, QPoint(10, 10)));
    EXPECT_EQ(centre(), 0xFF00FF00u);
    t.release(hostPoint(*button, QPoint(10, 10)));
    button->setImage(ImageButton::Look::Disabled, solid(QSize(4, 4), 0xFF808080));
    button->setDisabled(true);
    EXPECT_EQ(centre(), 0xFF808080u);
    EXPECT_TRUE(button->classDrawsDisabled());  // its own disabled look, not faded
}

}  // namespace
}  // namespace vamu::toolkit::test
