// Reaching the UI thread from workers: post, send, guards and the waits.
#include "platform/native_window.h"
#include "platform/qt_test_app.h"
#include "platform/ui_thread.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

namespace vamu::platform {
namespace {

using vamu::test::pumpUntil;

TEST(UiThread, WorkersPostAndSendToAWindow) {
    const WindowHandle handle = NativeWindow::create({});
    std::thread::id handlerThread;
    int posted = 0;
    NativeWindow::find(handle)->setMessageHandler([&](const Message& m) -> std::intptr_t {
        handlerThread = std::this_thread::get_id();
        if (m.id == 5000) ++posted;
        return m.id == 5001 ? static_cast<std::intptr_t>(m.wParam * 2) : 0;
    });
    std::atomic<std::intptr_t> answer{0};
    std::atomic<bool> done{false};
    std::jthread worker([&] {
        post(handle, Message{5000, 0, 0});
        answer = send(handle, Message{5001, 21, 0});
        done = true;
    });
    ASSERT_TRUE(pumpUntil([&] { return done.load(); }));
    EXPECT_EQ(answer.load(), 42);
    EXPECT_EQ(posted, 1);
    EXPECT_EQ(handlerThread, std::this_thread::get_id());
    NativeWindow::destroy(handle);
}

TEST(UiThread, SendReturnsZeroWhenTheWorkerIsAskedToStop) {
    const WindowHandle handle = NativeWindow::create({});
    std::atomic<std::intptr_t> answer{-1};
    std::jthread worker([&](std::stop_token stop) { answer = send(handle, Message{5002, 0, 0}, stop); });
    // The UI thread never pumps here: only the stop request can end the send.
    worker.request_stop();
    worker.join();
    EXPECT_EQ(answer.load(), 0);
    waitPumping(std::chrono::milliseconds(10));
    NativeWindow::destroy(handle);
}

TEST(UiThread, GuardedPostsAreDroppedOnceTheOwnerIsGone) {
    auto owner = std::make_shared<int>(1);
    std::atomic<int> runs{0};
    std::jthread worker([&, weak = std::weak_ptr<const void>(owner)] { post(weak, [&] { ++runs; }); });
    worker.join();
    owner.reset();
    waitPumping(std::chrono::milliseconds(20));
    EXPECT_EQ(runs.load(), 0);
}

TEST(UiThread, WorkerWaitEndsPromptlyOnStop) {
    std::atomic<bool> completed{true};
    QElapsedTimer clock;
    clock.start();
    std::jthread worker([&](std::stop_token stop) { completed = waitFor(std::chrono::seconds(30), stop); });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    worker.request_stop();
    worker.join();
    EXPECT_FALSE(completed.load());
    EXPECT_LT(clock.elapsed(), 5000);
}

TEST(UiThread, NestedLoopRunsUntilQuit) {
    MessageLoop loop;
    runOnUi([&] { loop.quit(7); });
    EXPECT_EQ(loop.run(), 7);
    EXPECT_FALSE(loop.running());
}

}  // namespace
}  // namespace vamu::platform
