// Mouse and keyboard routing of a host window: hover, capture, click, focus, Tab,
// mnemonics, wheel, dragging and sizing zones.
#include "toolkit/test_support.h"
#include "toolkit/recording_control.h"

#include "platform/keys.h"
#include "toolkit/controls/control_text.h"

#include <QCoreApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWindow>

#include <gtest/gtest.h>

#include <algorithm>

namespace vamu::toolkit::test {
namespace {

using platform::packPoint;
namespace msg = platform::msg;

Log only(const Log& log, const std::vector<std::string>& wanted) {
    Log result;
    for (const std::string& entry : log) {
        const std::string hook = entry.substr(entry.find(':') + 1);
        if (std::any_of(wanted.begin(), wanted.end(), [&](const std::string& w) { return hook.rfind(w, 0) == 0; })) {
            result.push_back(entry);
        }
    }
    return result;
}

const std::vector<std::string> kMouseHooks{"enter", "leave", "down", "up", "click"};

struct Pair {
    Log log;
    TestHost t;
    RecordingControl* a = RecordingControl::make(t.host(), QRect(0, 0, 50, 50), "a", &log);
    RecordingControl* b = RecordingControl::make(t.host(), QRect(100, 0, 50, 50), "b", &log);
};

TEST(HostInput, HoverPressAndReleaseOnTheSameControlClicks) {
    Pair p;
    p.t.move({20, 20});
    p.t.press({20, 20});
    p.t.release({21, 22});
    p.t.move({300, 200});
    EXPECT_EQ(only(p.log, kMouseHooks), (Log{"a:enter", "a:down", "a:up", "a:click@17,19", "a:leave"}));
}

TEST(HostInput, PressOnOneControlAndReleaseOnAnotherGivesNoClick) {
    Pair p;
    p.t.press({20, 20});
    p.t.move({120, 20});  // captured: the move still goes to a, b is not entered
    EXPECT_EQ(p.t.host().controls().captured(), p.a->handle());
    p.t.release({120, 20});
    EXPECT_EQ(only(p.log, kMouseHooks), (Log{"a:enter", "a:down", "a:up", "a:leave", "b:enter"}));
    EXPECT_EQ(p.t.host().controls().hovered(), p.b->handle());
    EXPECT_EQ(p.t.host().controls().captured(), ControlHandle{});
}

TEST(HostInput, CapturedControlGetsMovesOutsideItself) {
    Pair p;
    p.t.press({20, 20});
    p.log.clear();
    p.t.move({300, 250});
    EXPECT_EQ(p.log, (Log{"a:move"}));
}

TEST(HostInput, DoubleClickDeliversPressThenDoubleClick) {
    Pair p;
    p.t.click({20, 20});
    p.log.clear();
    p.t.send(msg::kLeftDoubleClick, 1, packPoint(20, 20));
    p.t.release({20, 20});
    EXPECT_EQ(only(p.log, {"down", "double", "up", "click"}), (Log{"a:down", "a:double", "a:up", "a:click@16,17"}));
}

TEST(HostInput, DisabledHiddenAndAlphaTransparentControlsAreNotHit) {
    Log log;
    TestHost t;
    RecordingControl* below = RecordingControl::make(t.host(), QRect(0, 0, 50, 50), "below", &log);
    RecordingControl* above = RecordingControl::make(t.host(), QRect(0, 0, 50, 50), "above", &log, 0x00000000);
    const QPoint point(20, 20);
    above->setAlpHitTest(true);  // fully transparent surface: falls through
    EXPECT_EQ(t.host().controls().hitTest(point).control, below);
    above->setAlpHitTest(false);
    EXPECT_EQ(t.host().controls().hitTest(point).control, above);
    above->setDisabled(true);
    EXPECT_EQ(t.host().controls().hitTest(point).control, below);
    above->setDisabled(false);
    above->setVisible(false);
    EXPECT_EQ(t.host().controls().hitTest(point).control, below);
    // Children are found before their parent.
    RecordingControl* child = RecordingControl::make(*below, QRect(10, 10, 10, 10), "child", &log);
    EXPECT_EQ(t.host().controls().hitTest(point).control, child);
    EXPECT_EQ(t.host().controls().hitTest(point).local, QPoint(6, 7));
}

TEST(HostInput, ClickFocusesFocusableControlsAndTabWalksTheChain) {
    Log log;
    TestHost t;
    CreateOptions skip;
    skip.tabStop = false;
    CreateOptions noFocus;
    noFocus.focusable = false;
    RecordingControl* a = RecordingControl::make(t.host(), QRect(0, 0, 20, 20), "a", &log);
    RecordingControl* disabled = RecordingControl::make(t.host(), QRect(30, 0, 20, 20), "d", &log);
    RecordingControl* notab = RecordingControl::make(t.host(), QRect(60, 0, 20, 20), "n", &log, 0xFF2060A0, skip);
    RecordingControl* nofocus = RecordingControl::make(t.host(), QRect(90, 0, 20, 20), "f", &log, 0xFF2060A0, noFocus);
    RecordingControl* last = RecordingControl::make(t.host(), QRect(120, 0, 20, 20), "z", &log);
    disabled->setDisabled(true);
    t.click({10, 10});
    EXPECT_TRUE(a->isFocused());
    EXPECT_EQ(t.host().controls().keyboardFocus(), ControlHandle{});  // by mouse: no focus rectangle
    t.key(platform::vk::kTab);
    EXPECT_TRUE(last->isFocused());
    EXPECT_FALSE(a->isFocused());
    EXPECT_EQ(t.host().controls().keyboardFocus(), last->handle());
    t.key(platform::vk::kTab);  // from the end of the chain to the head
    EXPECT_TRUE(a->isFocused());
    EXPECT_FALSE(notab->isFocused());
    EXPECT_FALSE(nofocus->isFocused());
    // Disabling the focused control takes the focus away.
    a->setDisabled(true);
    EXPECT_FALSE(a->isFocused());
    EXPECT_EQ(t.host().controls().focused(), ControlHandle{});
    // Only one eligible control left: Tab keeps it.
    t.key(platform::vk::kTab);
    t.key(platform::vk::kTab);
    EXPECT_TRUE(last->isFocused());
}

TEST(HostInput, KeyboardFocusDrawsTheDashedFocusRectangle) {
    Log log;
    TestHost t({.colour = 0xFFFFFF});
    RecordingControl* a = RecordingControl::make(t.host(), QRect(10, 10, 30, 20), "a", &log, 0xFFFFFFFF);
    t.key(platform::vk::kTab);
    ASSERT_TRUE(a->isFocused());
    // Black at alpha 81 over white, on the control's top-left pixel.
    const QRgb corner = t.pixel(4 + 10, 3 + 10);
    EXPECT_LT(qRed(corner), 200);
    a->killFocus();
    EXPECT_EQ(t.pixel(4 + 10, 3 + 10), qRgba(255, 255, 255, 255));
}

TEST(HostInput, EnterAndSpaceClickTheFocusedControlAtZero) {
    Log log;
    TestHost t;
    RecordingControl* a = RecordingControl::make(t.host(), QRect(0, 0, 20, 20), "a", &log);
    a->setFocus();
    t.key(platform::vk::kReturn);
    t.key(platform::vk::kSpace);
    EXPECT_EQ(only(log, {"click"}), (Log{"a:click@0,0", "a:click@0,0"}));
    a->keysHandled = true;  // a control that uses the key itself keeps it
    t.key(platform::vk::kReturn);
    EXPECT_EQ(only(log, {"click"}).size(), 2u);
}

TEST(HostInput, WheelGoesToTheFocusedControlNotTheOneUnderTheMouse) {
    Pair p;
    p.a->setFocus();
    p.t.move({120, 20});
    p.t.send(msg::kMouseWheel, static_cast<std::uintptr_t>(static_cast<std::uint16_t>(-120)) << 16, 0);
    EXPECT_EQ(only(p.log, {"wheel"}), (Log{"a:wheel-120"}));
}

TEST(HostInput, AltMnemonicClicksTheFirstVisibleEnabledMatch) {
    Log log;
    TestHost t;
    RecordingControl* hidden = RecordingControl::make(t.host(), QRect(0, 0, 20, 20), "h", &log);
    RecordingControl* target = RecordingControl::make(t.host(), QRect(30, 0, 20, 20), "t", &log);
    t.send(tkm::kSetMnemonic, 'S', static_cast<std::intptr_t>(hidden->handle().value));
    t.send(tkm::kSetMnemonic, 's', static_cast<std::intptr_t>(target->handle().value));
    hidden->setVisible(false);
    t.send(msg::kSysChar, 's', 0);
    t.send(msg::kSysChar, 'x', 0);
    EXPECT_EQ(only(log, {"click"}), (Log{"t:click@0,0"}));
}

TEST(HostInput, MnemonicsComeFromTheCaptionsAmpersand) {
    Log log;
    TestHost t;
    RecordingControl* plain = RecordingControl::make(t.host(), QRect(0, 0, 20, 20), "p", &log);
    RecordingControl* open = RecordingControl::make(t.host(), QRect(30, 0, 20, 20), "o", &log);
    registerMnemonic(*plain, QStringLiteral("R&&D"));  // a doubled ampersand marks nothing
    registerMnemonic(*open, QStringLiteral("打开(&O)"));
    t.send(msg::kSysChar, 'd', 0);
    t.send(msg::kSysChar, 'o', 0);
    EXPECT_EQ(only(log, {"click"}), (Log{"o:click@0,0"}));
}

TEST(HostInput, EscapeClosesOnlyWhenAskedAndACloseHandlerCanRefuse) {
    TestHost t;
    t.key(platform::vk::kEscape);
    pump();
    EXPECT_TRUE(t.native().isVisible());
    t.host().setCloseOnEscape(true);
    bool refuse = true;
    int asked = 0;
    t.host().bindClose([&](const Event&) {
        ++asked;
        return refuse;
    });
    t.key(platform::vk::kEscape);
    pump();
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(t.native().isVisible());
    refuse = false;
    t.key(platform::vk::kEscape);
    ASSERT_TRUE(pumpUntil([&] { return !t.native().isVisible(); }));
}

TEST(HostInput, PressOnEmptyAreaOrOnAControlWithoutMouseTrackDragsTheWindow) {
    Log log;
    TestHost t({.captionFlags = caption::kClose});
    CreateOptions options;
    options.mouseTrack = false;
    RecordingControl* label = RecordingControl::make(t.host(), QRect(0, 30, 100, 30), "l", &log, 0xFF2060A0, options);
    t.press({50, 40});
    EXPECT_TRUE(t.native().inManualDrag());
    EXPECT_FALSE(label->isFocused());
    EXPECT_TRUE(only(log, {"down"}).empty());
}

TEST(HostInput, SizingZonesFollowTheContentEdge) {
    struct Case {
        int alpha;
        QPoint point;
        platform::CursorShape cursor;
    };
    // Layered: 1 pixel inside the left and top edges, 2 inside right and bottom
    // (the zone starts 3 pixels before the exclusive right edge).
    const Case cases[] = {
        {0, {4, 150}, platform::CursorShape::SizeWE},    {0, {5, 150}, platform::CursorShape::Arrow},
        {0, {394, 150}, platform::CursorShape::SizeWE},  {0, {393, 150}, platform::CursorShape::Arrow},
        {0, {200, 3}, platform::CursorShape::SizeNS},    {0, {200, 293}, platform::CursorShape::SizeNS},
        {0, {6, 3}, platform::CursorShape::SizeNWSE},    {0, {395, 294}, platform::CursorShape::SizeNWSE},
        {-1, {6, 150}, platform::CursorShape::SizeWE},   {-1, {7, 150}, platform::CursorShape::Arrow},
        {-1, {392, 150}, platform::CursorShape::SizeWE}, {-1, {391, 150}, platform::CursorShape::Arrow},
    };
    for (const Case& c : cases) {
        TestHost t({.alpha = c.alpha, .sizable = true});
        t.native().setCursor(platform::CursorShape::Arrow);
        t.move(c.point);
        EXPECT_EQ(t.native().cursor(), c.cursor) << c.alpha << " " << c.point.x() << "," << c.point.y();
    }
}

TEST(HostInput, CaptionDoubleClickTogglesMaximiseAndOnTheIconCloses) {
    TestHost t({.captionFlags = caption::kIcon | caption::kTitle | caption::kClose | caption::kMax});
    t.send(msg::kLeftDoubleClick, 1, packPoint(200, 10));
    pump();
    EXPECT_EQ(t.host().showState(), 2);
    t.send(msg::kLeftDoubleClick, 1, packPoint(200, 10));
    pump();
    EXPECT_EQ(t.host().showState(), 0);
    t.send(msg::kLeftDoubleClick, 1, packPoint(200, 100));  // below the caption strip
    pump();
    EXPECT_EQ(t.host().showState(), 0);
    t.send(msg::kLeftDoubleClick, 1, packPoint(4 + 4 + 8, 3 + 5 + 8));  // the window icon
    ASSERT_TRUE(pumpUntil([&] { return !t.native().isVisible(); }));
}

TEST(HostInput, DroppedFilesReachTheControlThatTakesThem) {
    Log log;
    TestHost t;
    RecordingControl* area = RecordingControl::make(t.host(), QRect(0, 0, 100, 100), "area", &log);
    RecordingControl* inner = RecordingControl::make(*area, QRect(10, 10, 20, 20), "inner", &log);
    QStringList received;
    area->bindFilesDropped([&](const Event& e) {
        const auto* dropped = reinterpret_cast<const platform::DroppedFiles*>(e.lParam);
        for (int i = 0; i < dropped->count; ++i) received.push_back(QString::fromUtf16(dropped->paths[i]));
        return true;
    });
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/歌曲.mp3"))});
    const QPointF over(4 + 15, 3 + 15);  // on the inner control, which takes no files
    QDropEvent refused(over, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(t.native().qtWindow(), &refused);
    EXPECT_TRUE(received.isEmpty());  // nobody takes files yet
    area->setDropDrag(true);
    QDropEvent drop(over, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(t.native().qtWindow(), &drop);
    EXPECT_EQ(received, QStringList{QStringLiteral("/tmp/歌曲.mp3")});
    EXPECT_FALSE(inner->dropDrag());
}

TEST(HostInput, DeactivationReleasesTheCapturingControl) {
    Pair p;
    p.t.press({20, 20});
    p.t.send(msg::kActivate, 0, 0);
    EXPECT_EQ(only(p.log, {"up", "click"}), (Log{"a:up"}));
    EXPECT_EQ(p.t.host().controls().captured(), ControlHandle{});
}

}  // namespace
}  // namespace vamu::toolkit::test
