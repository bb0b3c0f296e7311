// The message box on the offscreen platform, driven from inside its own loop: a
// driver timer waits for the box to show, then clicks or types into it.
#include "platform/keys.h"
#include "platform/modal.h"
#include "platform/ui_thread.h"
#include "toolkit/controls/button.h"
#include "toolkit/controls/control.h"
#include "toolkit/controls/label.h"
#include "toolkit/controls/paint.h"
#include "toolkit/message_box.h"
#include "toolkit/message_box_layout.h"
#include "toolkit/recording_control.h"
#include "toolkit/test_support.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

namespace vamu::toolkit {
namespace {

using test::pump;
using test::pumpUntil;

void deliver(HostWindow& box, platform::MessageId id, QPoint point, std::uintptr_t wParam = 0) {
    box.nativeWindow()->deliver(Message{id, wParam, platform::packPoint(point.x(), point.y())});
}

void click(HostWindow& box, const BaseControl& control) {
    const QPoint centre = control.absoluteRect().center();
    deliver(box, msg::kMouseMove, centre);
    deliver(box, msg::kLeftDown, centre, platform::mouse_keys::kLeft);
    deliver(box, msg::kLeftUp, centre);
}

void key(HostWindow& box, int virtualKey) {
    box.nativeWindow()->deliver(Message{msg::kKeyDown, static_cast<std::uintptr_t>(virtualKey), 1});
    box.nativeWindow()->deliver(Message{msg::kKeyUp, static_cast<std::uintptr_t>(virtualKey), 1});
}

std::vector<BaseControl*> buttonsRightToLeft(HostWindow& box) {
    std::vector<BaseControl*> buttons;
    for (const auto& control : box.controls().controls()) {
        if (dynamic_cast<Button*>(control.get())) buttons.push_back(control.get());
    }
    std::sort(buttons.begin(), buttons.end(), [](auto* a, auto* b) { return a->left() > b->left(); });
    return buttons;
}

const BaseControl* textControl(HostWindow& box) {
    for (const auto& control : box.controls().controls()) {
        if (control->className() == "Label" && control.get() != box.captionControl(caption::kTitle))
            return control.get();
    }
    return nullptr;
}

// Shows a box and does the action to it once it is on screen; a box the action
// leaves open is closed after a few seconds and counted as a failure.
class Driven {
public:
    int run(platform::WindowHandle owner, const QString& text, const MessageBoxOptions& options,
            std::function<void(HostWindow&)> action) {
        QTimer driver;
        bool acted = false;
        QObject::connect(&driver, &QTimer::timeout, [&] {
            HostWindow* box = currentMessageBox();
            if (acted || !box || !box->paintReady()) return;
            acted = true;
            box->controls().flush();
            seen = box->geometry();
            action(*box);
        });
        driver.start(5);
        QTimer deadline;
        deadline.setSingleShot(true);
        QObject::connect(&deadline, &QTimer::timeout, [this] {
            if (HostWindow* box = currentMessageBox()) {
                timedOut = true;
                box->close();
            }
        });
        deadline.start(5000);
        return messageBox(owner, text, options);
    }
    bool timedOut = false;
    QRect seen;
};

int clickNth(MessageButtons set, std::size_t fromRight) {
    Driven driven;
    MessageBoxOptions options;
    options.buttons = set;
    const int result = driven.run({}, QStringLiteral("确定吗？"), options, [fromRight](HostWindow& box) {
        const auto buttons = buttonsRightToLeft(box);
        if (fromRight < buttons.size()) click(box, *buttons[fromRight]);
    });
    EXPECT_FALSE(driven.timedOut);
    return result;
}

TEST(MessageBox, EachButtonOfEachSetAnswersItsResult) {
    using namespace message_result;
    struct Case {
        MessageButtons set;
        std::vector<int> rightToLeft;
    };
    const Case cases[] = {
        {MessageButtons::Ok, {kOk}},
        {MessageButtons::OkCancel, {kCancel, kOk}},
        {MessageButtons::AbortRetryIgnore, {kIgnore, kRetry, kAbort}},
        {MessageButtons::YesNoCancel, {kCancel, kNo, kYes}},
        {MessageButtons::YesNo, {kNo, kYes}},
        {MessageButtons::RetryCancel, {kCancel, kRetry}},
    };
    for (const Case& c : cases) {
        for (std::size_t i = 0; i < c.rightToLeft.size(); ++i) {
            SCOPED_TRACE(testing::Message() << "set " << static_cast<int>(c.set) << " button " << i);
            EXPECT_EQ(clickNth(c.set, i), c.rightToLeft[i]);
        }
    }
    EXPECT_EQ(currentMessageBox(), nullptr);
}

TEST(MessageBox, KeysAndTheCloseButton) {
    using namespace message_result;
    struct Case {
        const char* name;
        MessageButtons set;
        int defaultResult;
        std::function<void(HostWindow&)> action;
        int expected;
    };
    const Case cases[] = {
        {"Esc", MessageButtons::Ok, kCancel, [](HostWindow& box) { key(box, platform::vk::kEscape); }, kCancel},
        {"Esc ignores the default button", MessageButtons::YesNo, kYes,
         [](HostWindow& box) { key(box, platform::vk::kEscape); }, kCancel},
        {"close button", MessageButtons::YesNo, kYes,
         [](HostWindow& box) { click(box, *box.captionControl(caption::kClose)); }, kCancel},
        {"Enter on the default button", MessageButtons::YesNo, kYes,
         [](HostWindow& box) { key(box, platform::vk::kReturn); }, kYes},
        {"Space on the default button", MessageButtons::YesNoCancel, kNo,
         [](HostWindow& box) { key(box, platform::vk::kSpace); }, kNo},
        {"Enter without a matching default does nothing", MessageButtons::Ok, kCancel,
         [](HostWindow& box) {
             key(box, platform::vk::kReturn);
             key(box, platform::vk::kEscape);
         },
         kCancel},
        {"Tab then Enter", MessageButtons::YesNo, kNo,
         [](HostWindow& box) {
             key(box, platform::vk::kTab);
             key(box, platform::vk::kReturn);
         },
         kYes},
        {"Alt+Y", MessageButtons::YesNoCancel, kCancel,
         [](HostWindow& box) {
             box.nativeWindow()->deliver(Message{msg::kSysChar, 'y', 1});
         },
         kYes},
        {"Alt+N", MessageButtons::YesNo, kYes,
         [](HostWindow& box) {
             box.nativeWindow()->deliver(Message{msg::kSysChar, 'n', 1});
         },
         kNo},
        {"destroyed by somebody else", MessageButtons::YesNo, kYes, [](HostWindow& box) { box.destroyWindow(); },
         kCancel},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Driven driven;
        MessageBoxOptions options;
        options.buttons = c.set;
        options.defaultResult = c.defaultResult;
        EXPECT_EQ(driven.run({}, QStringLiteral("继续吗？"), options, c.action), c.expected);
        EXPECT_FALSE(driven.timedOut);
    }
}

// The layout with the built-in theme's values and a text of a given size.
MessageBoxLayout layoutFor(QSizeF unbounded, MessageBoxRequest request, std::vector<int>* wraps = nullptr) {
    MessageBoxMetrics metrics;
    metrics.marginLeft = 4;
    metrics.marginTop = 3;
    metrics.marginRight = -4;
    metrics.marginBottom = -5;
    metrics.captionHeight = 26;
    metrics.barHeight = 36;
    metrics.headHeight = 96;
    metrics.iconSize = QSize(38, 38);
    return layoutMessageBox(request, metrics, [&](int wrapWidth) {
        if (wrapWidth < 0) return unbounded;
        if (wraps) wraps->push_back(wrapWidth);
        // Wrapped: as many 16-pixel lines as the width needs.
        const double lines = std::ceil(unbounded.width() / wrapWidth);
        return QSizeF(std::min<double>(unbounded.width(), wrapWidth), lines * 16);
    });
}

TEST(MessageBoxLayout, SizesFollowTheText) {
    const QRect owner(100, 100, 400, 300);
    const QRect screen(0, 0, 1280, 800);
    struct Case {
        const char* name;
        QSizeF text;
        int width;
        bool icon;
        int buttons;
        QRect window;
        QRect area;
        bool low;
    };
    const Case cases[] = {
        // One short line: the default box, the area moved up to centre the line.
        {"short", {60, 16}, 0, false, 1, {140, 175, 320, 150}, {25, 21, 262, 70}, true},
        {"short with icon", {60, 16}, 0, true, 1, {140, 175, 320, 150}, {83, 21, 204, 70}, true},
        // Wider than the area: the box widens and stays centred on the owner.
        {"long line", {500, 16}, 0, false, 1, {300 - 281, 175, 563, 150}, {25, 21, 505, 70}, true},
        // Taller than the area: the box grows down and stays centred.
        {"many lines", {100, 160}, 0, false, 2, {140, 127, 320, 245}, {25, 31, 262, 165}, false},
        // A given width wraps the text (3 lines of 16) and sizes the box to it.
        {"given width", {600, 16}, 300, false, 1, {150, 183, 300, 133}, {25, 31, 242, 53}, false},
        // Never narrower than its buttons.
        {"narrow with three buttons", {20, 16}, 100, false, 3, {181, 199, 238, 101}, {25, 31, 180, 21}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MessageBoxRequest request{owner, screen, c.width, c.icon, c.buttons};
        const MessageBoxLayout layout = layoutFor(c.text, request);
        EXPECT_EQ(layout.window, c.window);
        EXPECT_EQ(layout.textArea, c.area);
        EXPECT_EQ(layout.lowText, c.low);
        ASSERT_EQ(layout.buttons.size(), static_cast<std::size_t>(c.buttons));
        EXPECT_GE(layout.buttons.back().left(), 5);
        EXPECT_EQ(layout.buttons.front().right() + 1, c.window.width() - 8 - 5);
    }
}

TEST(MessageBoxLayout, IconSitsBesideLowTextAndAtTheTopOtherwise) {
    const MessageBoxRequest request{QRect(0, 0, 1000, 800), QRect(0, 0, 1000, 800), 0, true, 1};
    EXPECT_EQ(layoutFor({60, 16}, request).icon, QRect(25, 26 + (142 - 26 - 36 - 38) / 2 - 5, 38, 38));
    EXPECT_EQ(layoutFor({60, 200}, request).icon, QRect(25, 31, 38, 38));
}

TEST(MessageBoxLayout, NeverGrowsPastTheScreen) {
    const QRect screen(0, 0, 800, 600);
    std::vector<int> wraps;
    const MessageBoxLayout wide = layoutFor({20000, 16}, MessageBoxRequest{screen, screen, 0, false, 1}, &wraps);
    EXPECT_EQ(wide.window.width(), 800);
    ASSERT_EQ(wraps.size(), 1u);
    EXPECT_EQ(wraps.front(), 800 - 58 - 5) << "wrapped at the widest area the screen holds";
    EXPECT_FALSE(wide.lowText) << "wrapped text is laid out in lines, not as one centred block";
    EXPECT_TRUE(screen.contains(wide.window));
    const MessageBoxLayout tall = layoutFor({100, 5000}, MessageBoxRequest{screen, screen, 0, false, 1});
    EXPECT_EQ(tall.window.height(), 600);
    EXPECT_EQ(tall.buttons.front().bottom() + 1, 600 - 8 - 18 - 12 + 26) << "the buttons stay on screen";
}

TEST(MessageBox, RealTextSizesTheBoxAroundTheOwner) {
    test::TestHost owner;  // 400 x 300 at (100, 100)
    const QPoint centre = owner.host().geometry().center();
    struct Case {
        const char* name;
        QString text;
        int width;
        bool wider;
    };
    const Case cases[] = {
        {"short", QStringLiteral("请先登陆!!"), 0, false},
        {"long", QStringLiteral("这是一段很长的提示文字，").repeated(6), 0, true},
        {"wrapped", QStringLiteral("这是一段很长的提示文字，").repeated(12), 320, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Driven driven;
        MessageBoxOptions options;
        options.width = c.width;
        QRect area;
        driven.run(owner.host().windowHandle(), c.text, options, [&area](HostWindow& box) {
            area = textControl(box)->rect();
            box.close();
        });
        EXPECT_EQ(driven.seen.width() > 320, c.wider);
        EXPECT_GE(driven.seen.width(), 320);
        EXPECT_LE(std::abs(driven.seen.center().x() - centre.x()), 1);
        EXPECT_LE(std::abs(driven.seen.center().y() - centre.y()), 1);
        EXPECT_GE(area.width(), 262 - 1);
        if (c.width > 0) {
            EXPECT_GT(driven.seen.height(), 150) << "wrapped lines make the box taller";
        }
    }
}

TEST(MessageBox, OwnerSkinOrItsOwnBlueSkin) {
    const auto captionPixel = [](HostWindow& box) {
        box.controls().flush();
        return box.backBuffer().pixelColor(box.frame().contentRect.left() + 3, box.frame().marginTop + 4).rgba();
    };
    // Without an owner: its own translucent blue shows behind the title.
    Driven own;
    QRgb ownPixel = 0;
    own.run({}, QStringLiteral("提示"), {}, [&](HostWindow& box) {
        ownPixel = captionPixel(box);
        box.close();
    });
    EXPECT_NEAR(qRed(ownPixel), 51, 3);
    EXPECT_NEAR(qGreen(ownPixel), 153, 3);
    EXPECT_NEAR(qBlue(ownPixel), 255, 3);
    EXPECT_NEAR(qAlpha(ownPixel), 210, 2);

    // With a host window as owner: its colour, and its opacity.
    test::HostSetup green;
    green.colour = 0x00FF00;
    test::TestHost owner(green);
    Driven owned;
    QRgb ownedPixel = 0;
    int ownedAlpha = 0;
    owned.run(owner.host().windowHandle(), QStringLiteral("提示"), {}, [&](HostWindow& box) {
        ownedPixel = captionPixel(box);
        ownedAlpha = box.alpha();
        box.close();
    });
    EXPECT_EQ(ownedPixel, qRgba(0, 255, 0, 255));
    EXPECT_EQ(ownedAlpha, -1);

    // An owner's nine-grid picture keeps its 40-pixel red band in the smaller box,
    // where stretching would have halved it.
    QImage banded(400, 300, QImage::Format_ARGB32_Premultiplied);
    banded.fill(Qt::green);
    QPainter(&banded).fillRect(QRect(0, 0, 400, 40), Qt::red);
    owner.host().setFillType(paint::fill::kNineGrid);
    owner.host().setBackgroundGrid(QRect(8, 40, 384, 252));
    owner.host().setBackground(banded, -1);
    Driven grid;
    QRgb bandPixel = 0;
    grid.run(owner.host().windowHandle(), QStringLiteral("提示"), {}, [&](HostWindow& box) {
        box.controls().flush();
        bandPixel =
            box.backBuffer().pixelColor(box.frame().contentRect.left() + 3, box.frame().contentRect.top() + 24).rgba();
        box.close();
    });
    EXPECT_EQ(bandPixel, qRgba(255, 0, 0, 255));

    // A background callback replaces the strip.
    Driven painted;
    QRgb bodyPixel = 0;
    MessageBoxOptions options;
    options.paintBackground = [](QPainter& painter, QSize size) { painter.fillRect(QRect(QPoint(), size), Qt::red); };
    painted.run({}, QStringLiteral("提示"), options, [&](HostWindow& box) {
        box.controls().flush();
        bodyPixel = box.backBuffer().pixelColor(box.frame().contentRect.left() + 3, 100).rgba();
        box.close();
    });
    EXPECT_EQ(bodyPixel, qRgba(255, 0, 0, 255));
}

TEST(MessageBox, OtherWindowsPaintButGetNoInputMeanwhile) {
    test::Log log;  // outlives the window, whose controls log their destruction
    test::TestHost owner;
    auto* target = test::RecordingControl::make(owner.host(), QRect(10, 40, 100, 60), "target", &log);
    int ticks = 0;
    owner.native().setTimer(77, std::chrono::milliseconds(5), [&ticks] { ++ticks; });
    const QPoint inside = target->absoluteRect().center();
    const auto sendQt = [&](QEvent::Type type) {
        QMouseEvent event(type, QPointF(inside), owner.native().qtWindow()->mapToGlobal(QPointF(inside)),
                          Qt::LeftButton, type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(owner.native().qtWindow(), &event);
    };
    owner.move(inside);
    ASSERT_EQ(owner.host().controls().hovered(), target->handle());
    log.clear();

    Driven driven;
    int ticksBefore = 0;
    int presentsBefore = 0;
    QRgb repainted = 0;
    bool hoverCleared = false;
    driven.run(owner.host().windowHandle(), QStringLiteral("稍等"), {}, [&](HostWindow& box) {
        hoverCleared = !owner.host().controls().hovered();
        ticksBefore = ticks;
        presentsBefore = owner.native().presentCount();
        sendQt(QEvent::MouseButtonPress);
        sendQt(QEvent::MouseButtonRelease);
        target->setColour(0xFF00FF00);
        QTimer::singleShot(60, [&, box = &box] {
            repainted = owner.pixel(inside.x(), inside.y());
            box->close();
        });
    });
    EXPECT_TRUE(hoverCleared) << "the owner was told the mouse left";
    EXPECT_GT(ticks, ticksBefore) << "timers ran during the box";
    EXPECT_GT(owner.native().presentCount(), presentsBefore) << "the owner painted during the box";
    EXPECT_EQ(repainted, qRgba(0, 255, 0, 255));
    EXPECT_EQ(std::count(log.begin(), log.end(), "target:down"), 0) << "input was swallowed";
    EXPECT_EQ(platform::modalWindow(), platform::WindowHandle{});

    // The same events reach the control once the box has gone.
    sendQt(QEvent::MouseButtonPress);
    sendQt(QEvent::MouseButtonRelease);
    EXPECT_EQ(std::count(log.begin(), log.end(), "target:down"), 1);
    owner.native().killTimer(77);
}

TEST(MessageBox, ControlsFollowTheTextAndTheButtonKind) {
    struct Case {
        const char* name;
        QString text;
        bool animated;
        bool wraps;
        bool fillsArea;
        const char* buttonClass;
    };
    const Case cases[] = {
        {"one short line", QStringLiteral("请先登陆!!"), false, false, true, "Button"},
        // Its breaks stay: wrapped in a block centred where one line would be.
        {"short lines of their own", QStringLiteral("第一行\n第二行"), false, true, false, "Button"},
        {"animated buttons", QStringLiteral("请先登陆!!"), true, false, true, "ThunderButton"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Driven driven;
        MessageBoxOptions options;
        options.animatedButtons = c.animated;
        bool wraps = false;
        QRect rect;
        std::string buttonClass;
        driven.run({}, c.text, options, [&](HostWindow& box) {
            const auto* label = dynamic_cast<const Label*>(textControl(box));
            ASSERT_NE(label, nullptr);
            wraps = label->textFormat().wrap;
            rect = label->rect();
            buttonClass = buttonsRightToLeft(box).front()->className();
            box.close();
        });
        EXPECT_EQ(wraps, c.wraps);
        EXPECT_EQ(rect.height() == 70, c.fillsArea);
        EXPECT_NEAR(rect.center().y(), 21 + 35, 1) << "centred on the short text's area";
        EXPECT_EQ(buttonClass, c.buttonClass);
    }
}

TEST(MessageBox, IconShowsItsPictureAndSound) {
    std::vector<int> sounds;
    setMessageBoxSound([&sounds](int icon) { sounds.push_back(icon); });
    for (const int icon : {message_icon::kInformation, message_icon::kNone}) {
        Driven driven;
        MessageBoxOptions options;
        options.icon = icon;
        bool picture = false;
        const int result = driven.run({}, QStringLiteral("下载完成"), options, [&](HostWindow& box) {
            for (const auto& control : box.controls().controls()) picture |= control->className() == "ImageBox";
            click(box, *buttonsRightToLeft(box).front());
        });
        EXPECT_EQ(result, message_result::kOk);
        EXPECT_EQ(picture, icon != message_icon::kNone);
    }
    EXPECT_EQ(sounds, std::vector<int>{message_icon::kInformation});
    setMessageBoxSound({});
}

TEST(MessageBox, ThemeWithoutMessageBoxValuesStillWorks) {
    test::TestTheme& theme = test::theme();
    for (const char* attribute : {"rect", "blocksize", "barheight", "iconsize", "m48"})
        theme.set("MsgBox", attribute, "x");
    Driven driven;
    MessageBoxOptions options;
    options.icon = message_icon::kExclamation;
    options.buttons = MessageButtons::YesNo;
    const int result = driven.run({}, QStringLiteral("没有皮肤"), options,
                                  [](HostWindow& box) { click(box, *buttonsRightToLeft(box).back()); });
    theme.reset();
    EXPECT_EQ(result, message_result::kYes);
    EXPECT_FALSE(driven.timedOut);
}

// Acts on the first box that shows, from inside whatever loop runs it.
class ActWhenShown {
public:
    explicit ActWhenShown(std::function<void(HostWindow&)> action) : m_action(std::move(action)) {
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            HostWindow* box = currentMessageBox();
            if (m_acted || !box || !box->paintReady()) return;
            m_acted = true;
            m_action(*box);
        });
        m_timer.start(5);
    }

private:
    QTimer m_timer;
    bool m_acted = false;
    std::function<void(HostWindow&)> m_action;
};

TEST(MessageBox, AWorkerWaitsForTheResultOnTheUiThread) {
    test::TestHost owner;
    std::atomic<int> answer{-1};
    int answerWhileShown = 0;
    const platform::WindowHandle ownerWindow = owner.host().windowHandle();
    const ActWhenShown clickYes([&](HostWindow& box) {
        answerWhileShown = answer.load();
        click(box, *buttonsRightToLeft(box).back());
    });
    MessageBoxOptions options;
    options.buttons = MessageButtons::YesNo;
    std::jthread worker([&answer, ownerWindow, options](std::stop_token stop) {
        answer = messageBox(ownerWindow, QStringLiteral("来自工作线程"), options, stop);
    });
    ASSERT_TRUE(pumpUntil([&] { return answer.load() != -1; }));
    worker.join();
    EXPECT_EQ(answerWhileShown, -1) << "the worker waited while the box was up";
    EXPECT_EQ(answer.load(), message_result::kYes);
    EXPECT_EQ(currentMessageBox(), nullptr);
}

TEST(MessageBox, AStoppedWorkerStopsWaitingAndTheBoxCloses) {
    std::atomic<int> answer{-1};
    std::jthread worker;
    const ActWhenShown stopWorker([&worker](HostWindow&) { worker.request_stop(); });
    worker =
        std::jthread([&answer](std::stop_token stop) { answer = messageBox({}, QStringLiteral("取消我"), {}, stop); });
    ASSERT_TRUE(pumpUntil([&] { return answer.load() != -1 && currentMessageBox() == nullptr; }));
    worker.join();
    EXPECT_EQ(answer.load(), message_result::kCancel);

    // A worker stopped before the UI thread reaches its box gets none.
    std::stop_source early;
    early.request_stop();
    std::jthread late(
        [&answer, token = early.get_token()] { answer = messageBox({}, QStringLiteral("不该出现"), {}, token); });
    late.join();
    EXPECT_EQ(answer.load(), message_result::kCancel);
    pump(std::chrono::milliseconds(20));
    EXPECT_EQ(currentMessageBox(), nullptr);
}

}  // namespace
}  // namespace vamu::toolkit
