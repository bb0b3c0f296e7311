// Reaching controls from worker threads by handle.
#include "toolkit/test_support.h"
#include "toolkit/recording_control.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace vamu::toolkit::test {
namespace {

// Answers message 30000 with twice its wParam, on the thread it runs on.
class Echo final : public BaseControl {
public:
    std::thread::id seenOn;

protected:
    std::intptr_t classProc(const Message& message) override {
        if (message.id != 30000) return BaseControl::classProc(message);
        seenOn = std::this_thread::get_id();
        return static_cast<std::intptr_t>(message.wParam * 2);
    }
};

TEST(ControlThreads, WorkersSendAndPostToControlsByHandle) {
    TestHost t;
    Echo* echo = BaseControl::create(std::make_unique<Echo>(), t.host(), QRect(0, 0, 10, 10), kind::kButton, "Button");
    const platform::WindowHandle window = t.host().windowHandle();
    const ControlHandle handle = echo->handle();
    std::atomic<std::intptr_t> answer{0};
    std::atomic<bool> done{false};
    std::jthread worker([&] {
        answer = sendToControl(window, handle, Message{30000, 21, 0});
        done = true;
    });
    ASSERT_TRUE(pumpUntil([&] { return done.load(); }));
    EXPECT_EQ(answer.load(), 42);
    EXPECT_EQ(echo->seenOn, std::this_thread::get_id());

    // Once the control is gone, sends answer 0 and posts are dropped.
    echo->destroy();
    done = false;
    std::jthread late([&] {
        postToControl(window, handle, Message{30000, 1, 0});
        answer = sendToControl(window, handle, Message{30000, 5, 0});
        done = true;
    });
    ASSERT_TRUE(pumpUntil([&] { return done.load(); }));
    EXPECT_EQ(answer.load(), 0);
}

}  // namespace
}  // namespace vamu::toolkit::test
