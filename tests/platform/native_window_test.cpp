// Native windows: Qt input translated into messages, timers, destruction, geometry
// and the show and hide animations.
#include "platform/input_method.h"
#include "platform/keys.h"
#include "platform/native_window.h"
#include "platform/qt_test_app.h"
#include "platform/ui_thread.h"
#include "platform/window_animation.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QInputMethodEvent>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

#include <vector>

namespace vamu::platform {
namespace {

struct Recorded {
    MessageId id;
    std::uintptr_t wParam;
    std::intptr_t lParam;
};

class Window {
public:
    Window() {
        NativeWindowOptions options;
        options.geometry = QRect(50, 60, 200, 100);
        handle = NativeWindow::create(options);
        native().setMessageHandler([this](const Message& m) {
            messages.push_back({m.id, m.wParam, m.lParam});
            return native().defaultProc(m);
        });
        native().show();
        (void)QTest::qWaitForWindowExposed(native().qtWindow());
        messages.clear();
    }
    ~Window() { NativeWindow::destroy(handle); }
    NativeWindow& native() { return *NativeWindow::find(handle); }
    std::vector<MessageId> ids(std::initializer_list<MessageId> wanted) const {
        std::vector<MessageId> result;
        for (const Recorded& r : messages) {
            for (MessageId w : wanted) {
                if (r.id == w) result.push_back(r.id);
            }
        }
        return result;
    }
    const Recorded* first(MessageId id) const {
        for (const Recorded& r : messages) {
            if (r.id == id) return &r;
        }
        return nullptr;
    }
    WindowHandle handle;
    std::vector<Recorded> messages;
};

using vamu::test::pumpUntil;

TEST(NativeWindow, MouseInputBecomesNumberedMessagesWithDoubleClicks) {
    Window w;
    QWindow* qt = w.native().qtWindow();
    QTest::mouseMove(qt, QPoint(10, 20));
    QTest::mousePress(qt, Qt::LeftButton, {}, QPoint(10, 20));
    QTest::mouseRelease(qt, Qt::LeftButton, {}, QPoint(10, 20));
    QTest::mouseDClick(qt, Qt::LeftButton, {}, QPoint(10, 20));
    QTest::mouseClick(qt, Qt::RightButton, {}, QPoint(30, 40));
    const auto ids = w.ids({msg::kLeftDown, msg::kLeftUp, msg::kLeftDoubleClick, msg::kRightDown, msg::kRightUp});
    EXPECT_EQ(ids, (std::vector<MessageId>{msg::kLeftDown, msg::kLeftUp, msg::kLeftDown, msg::kLeftUp,
                                           msg::kLeftDoubleClick, msg::kLeftUp, msg::kRightDown, msg::kRightUp}));
    const Recorded* right = w.first(msg::kRightDown);
    ASSERT_NE(right, nullptr);
    EXPECT_EQ(pointX(right->lParam), 30);
    EXPECT_EQ(pointY(right->lParam), 40);
    EXPECT_TRUE(right->wParam & mouse_keys::kRight);
}

TEST(NativeWindow, KeysCarryVirtualKeyCodesAndCharacters) {
    Window w;
    QWindow* qt = w.native().qtWindow();
    QTest::keyClick(qt, Qt::Key_A);
    QTest::keyClick(qt, Qt::Key_Return);
    QTest::keyClick(qt, Qt::Key_S, Qt::AltModifier);
    ASSERT_TRUE(pumpUntil([&] { return w.first(msg::kSysChar) != nullptr; }));
    std::vector<std::pair<MessageId, std::uintptr_t>> seen;
    for (const Recorded& r : w.messages) {
        if (r.id == msg::kKeyDown || r.id == msg::kChar || r.id == msg::kSysKeyDown || r.id == msg::kSysChar) {
            seen.emplace_back(r.id, r.wParam);
        }
    }
    const std::vector<std::pair<MessageId, std::uintptr_t>> expected{
        {msg::kKeyDown, 'A'},          {msg::kChar, 'a'},       {msg::kKeyDown, vk::kReturn}, {msg::kChar, '\r'},
        {msg::kSysKeyDown, vk::kMenu}, {msg::kSysKeyDown, 'S'}, {msg::kSysChar, 's'}};
    EXPECT_EQ(seen, expected);
}

TEST(NativeWindow, InputMethodTextComesAsCompositionThenCharacters) {
    Window w;
    QString seenPreedit;
    w.native().setMessageHandler([&](const Message& m) {
        w.messages.push_back({m.id, m.wParam, m.lParam});
        if (m.id == msg::kImeComposition) {
            const auto* text = reinterpret_cast<const InputMethodText*>(m.lParam);
            seenPreedit = QString::fromUtf16(text->preedit, text->preeditLength);
        }
        return std::intptr_t{0};
    });
    QInputMethodEvent composing(QStringLiteral("ni"), {});
    QCoreApplication::sendEvent(w.native().qtWindow(), &composing);
    EXPECT_EQ(seenPreedit, QStringLiteral("ni"));
    QInputMethodEvent done;
    done.setCommitString(QStringLiteral("你好"));
    QCoreApplication::sendEvent(w.native().qtWindow(), &done);
    EXPECT_TRUE(seenPreedit.isEmpty());
    std::u16string chars;
    for (const Recorded& r : w.messages) {
        if (r.id == msg::kChar) chars.push_back(static_cast<char16_t>(r.wParam));
    }
    EXPECT_EQ(chars, u"你好");
}

TEST(NativeWindow, WheelCarriesItsDelta) {
    Window w;
    QWheelEvent wheel(QPointF(5, 5), QPointF(55, 65), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(w.native().qtWindow(), &wheel);
    const Recorded* r = w.first(msg::kMouseWheel);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(wheelDelta(r->wParam), -120);
}

TEST(NativeWindow, CloseRequestIsAMessageAndGeometryChangesAreReported) {
    Window w;
    w.native().qtWindow()->close();
    EXPECT_NE(w.first(msg::kClose), nullptr);
    w.messages.clear();
    w.native().setGeometry(QRect(70, 80, 300, 150));
    const Recorded* size = w.first(msg::kSize);
    ASSERT_NE(size, nullptr);
    EXPECT_EQ(pointX(size->lParam), 300);
    EXPECT_EQ(pointY(size->lParam), 150);
    const Recorded* moved = w.first(msg::kMove);
    ASSERT_NE(moved, nullptr);
    EXPECT_EQ(pointX(moved->lParam), 70);
}

TEST(NativeWindow, TimersDeliverTheirIdRestartAndStop) {
    Window w;
    w.native().setTimer(7, std::chrono::milliseconds(5));
    ASSERT_TRUE(pumpUntil([&] { return w.first(msg::kTimer) != nullptr; }));
    EXPECT_EQ(w.first(msg::kTimer)->wParam, 7u);
    w.native().killTimer(7);
    EXPECT_FALSE(w.native().hasTimer(7));
    int calls = 0;
    w.native().setTimer(8, std::chrono::milliseconds(5), [&] {
        if (++calls == 3) w.native().killTimer(8);  // a callback may stop its own timer
    });
    ASSERT_TRUE(pumpUntil([&] { return calls == 3; }));
    waitPumping(std::chrono::milliseconds(30));
    EXPECT_EQ(calls, 3);
}

TEST(NativeWindow, DestroyedHandlesResolveToNothingAndDropTheirPosts) {
    WindowHandle handle = NativeWindow::create({});
    int delivered = 0;
    bool destroyedSeen = false;
    NativeWindow::find(handle)->setMessageHandler([&](const Message& m) {
        if (m.id == msg::kDestroy) destroyedSeen = true;
        if (m.id == 4242) ++delivered;
        return std::intptr_t{0};
    });
    post(handle, Message{4242, 0, 0});
    NativeWindow::destroy(handle);
    EXPECT_TRUE(destroyedSeen);
    EXPECT_FALSE(NativeWindow::isWindow(handle));
    waitPumping(std::chrono::milliseconds(20));
    EXPECT_EQ(delivered, 0);
    EXPECT_NE(NativeWindow::create({}), handle);  // never reused
}

TEST(NativeWindow, DestroyFromInsideItsOwnHandlerIsSafe) {
    Window w;
    const WindowHandle handle = w.handle;
    w.native().setMessageHandler([handle](const Message& m) {
        if (m.id == 4243) NativeWindow::destroy(handle);
        return std::intptr_t{0};
    });
    EXPECT_EQ(send(handle, Message{4243, 0, 0}), 0);
    EXPECT_FALSE(NativeWindow::isWindow(handle));
    waitPumping(std::chrono::milliseconds(10));
}

TEST(NativeWindow, ShowAndHideAnimationsEndInTheirFinalState) {
    Window w;
    w.native().hide();
    const QRect rest = w.native().geometry();
    bool shown = false;
    animateShow(w.handle, WindowAnimation::FadeSlideUp, std::chrono::milliseconds(80), [&] { shown = true; });
    EXPECT_TRUE(w.native().isVisible());
    EXPECT_TRUE(isAnimating(w.handle));
    ASSERT_TRUE(pumpUntil([&] { return shown; }));
    EXPECT_EQ(w.native().geometry(), rest);
    EXPECT_DOUBLE_EQ(w.native().opacity(), 1.0);
    bool hidden = false;
    animateHide(w.handle, WindowAnimation::SlideLeft, std::chrono::milliseconds(60), [&] { hidden = true; });
    EXPECT_TRUE(w.native().isVisible());  // the hide never blocks
    ASSERT_TRUE(pumpUntil([&] { return hidden; }));
    EXPECT_FALSE(w.native().isVisible());
    EXPECT_EQ(w.native().geometry(), rest);
}

TEST(NativeWindow, SizeSetWhileTheShowAnimationRunsIsKept) {
    // A window that grows while it slides in (the main window when its first content
    // arrives) must not be shrunk back by the animation's later frames.
    Window w;
    w.native().hide();
    const QRect rest = w.native().geometry();
    bool shown = false;
    animateShow(w.handle, WindowAnimation::SlideUp, std::chrono::milliseconds(120), [&] { shown = true; });
    waitPumping(std::chrono::milliseconds(30));
    w.native().setGeometry(QRect(w.native().geometry().topLeft(), rest.size() + QSize(0, 60)));
    ASSERT_TRUE(pumpUntil([&] { return shown; }));
    EXPECT_EQ(w.native().geometry(), QRect(rest.topLeft(), rest.size() + QSize(0, 60)));
}

TEST(NativeWindow, ManualMoveFollowsTheMouseWhereTheWindowManagerCannot) {
    Window w;
    QWindow* qt = w.native().qtWindow();
    QTest::mousePress(qt, Qt::LeftButton, {}, QPoint(10, 10));
    w.native().startSystemMove();
    ASSERT_TRUE(w.native().inManualDrag());  // the offscreen platform has no window manager
    QTest::mouseMove(qt, QPoint(40, 30));
    pumpUntil([&] { return w.native().geometry().topLeft() == QPoint(80, 80); }, 1000);
    EXPECT_EQ(w.native().geometry().topLeft(), QPoint(80, 80));
    QTest::mouseRelease(qt, Qt::LeftButton, {}, QPoint(40, 30));
    EXPECT_FALSE(w.native().inManualDrag());
}

TEST(NativeWindow, TheHandlerAnswersTheInputMethodsQuestions) {
    Window w;
    bool answer = true;
    w.native().setMessageHandler([&](const Message& m) -> std::intptr_t {
        if (m.id != msg::kImeRequest || !answer) return 0;
        auto* state = reinterpret_cast<InputMethodState*>(m.lParam);
        state->enabled = true;
        state->cursorRect = QRect(12, 4, 1, 14);
        state->surroundingText = QStringLiteral("音乐ID");
        state->cursorPosition = 2;
        state->anchorPosition = 1;
        state->hints = Qt::ImhFormattedNumbersOnly;
        return 1;
    });
    QInputMethodQueryEvent asked(Qt::ImQueryAll);
    QCoreApplication::sendEvent(w.native().qtWindow(), &asked);
    EXPECT_TRUE(asked.value(Qt::ImEnabled).toBool());
    EXPECT_EQ(asked.value(Qt::ImCursorRectangle).toRect(), QRect(12, 4, 1, 14));
    EXPECT_EQ(asked.value(Qt::ImSurroundingText).toString(), QStringLiteral("音乐ID"));
    EXPECT_EQ(asked.value(Qt::ImCursorPosition).toInt(), 2);
    EXPECT_EQ(asked.value(Qt::ImAnchorPosition).toInt(), 1);
    EXPECT_EQ(asked.value(Qt::ImHints).toInt(), static_cast<int>(Qt::ImhFormattedNumbersOnly));
    // Without an answer the window's own setting holds: off unless switched on.
    answer = false;
    QInputMethodQueryEvent unanswered(Qt::ImEnabled);
    QCoreApplication::sendEvent(w.native().qtWindow(), &unanswered);
    EXPECT_FALSE(unanswered.value(Qt::ImEnabled).toBool());
    w.native().setInputMethodEnabled(true);
    QInputMethodQueryEvent switchedOn(Qt::ImEnabled);
    QCoreApplication::sendEvent(w.native().qtWindow(), &switchedOn);
    EXPECT_TRUE(switchedOn.value(Qt::ImEnabled).toBool());
}

}  // namespace
}  // namespace vamu::platform
