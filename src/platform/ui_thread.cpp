#include "platform/ui_thread.h"

#include "platform/system.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <condition_variable>
#include <mutex>
#include <thread>

namespace vamu::platform {

void runOnUi(std::function<void()> call) {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || !call) return;
    QMetaObject::invokeMethod(app, std::move(call), Qt::QueuedConnection);
}

void post(std::weak_ptr<const void> guard, std::function<void()> call) {
    runOnUi([guard = std::move(guard), call = std::move(call)] {
        if (!guard.expired()) call();
    });
}

void post(WindowHandle window, const Message& message) {
    runOnUi([window, message] {
        if (NativeWindow* target = NativeWindow::find(window)) target->deliver(message);
    });
}

void post(WindowHandle window, std::function<void()> call) {
    runOnUi([window, call = std::move(call)] {
        if (NativeWindow::isWindow(window)) call();
    });
}

std::optional<std::intptr_t> sendCall(std::function<std::intptr_t()> call, std::stop_token stop) {
    if (isUiThread()) return call();
    struct Answer {
        std::mutex mutex;
        std::condition_variable_any ready;
        bool done = false;
        std::intptr_t value = 0;
    };
    auto answer = std::make_shared<Answer>();
    if (!QCoreApplication::instance()) return std::nullopt;
    // The closure owns everything it reads: the caller may have given up waiting.
    runOnUi([answer, call = std::move(call)] {
        const std::intptr_t value = call();
        std::lock_guard lock(answer->mutex);
        answer->value = value;
        answer->done = true;
        answer->ready.notify_all();
    });
    std::unique_lock lock(answer->mutex);
    if (!answer->ready.wait(lock, stop, [&] { return answer->done; })) return std::nullopt;
    return answer->value;
}

std::intptr_t invoke(WindowHandle window, std::function<std::intptr_t()> call, std::stop_token stop) {
    if (!call) return 0;
    return sendCall([window, call = std::move(call)] { return NativeWindow::isWindow(window) ? call() : 0; },
                    std::move(stop))
        .value_or(0);
}

std::intptr_t send(WindowHandle window, const Message& message, std::stop_token stop) {
    return invoke(
        window,
        [window, message] {
            NativeWindow* target = NativeWindow::find(window);
            return target ? target->deliver(message) : std::intptr_t{0};
        },
        std::move(stop));
}

struct MessageLoop::Impl {
    QEventLoop loop;
};

MessageLoop::MessageLoop() : m_impl(std::make_unique<Impl>()) {}
MessageLoop::~MessageLoop() = default;

int MessageLoop::run() {
    m_running = true;
    const int code = m_impl->loop.exec();
    m_running = false;
    return code;
}

void MessageLoop::quit(int code) { m_impl->loop.exit(code); }

void waitPumping(std::chrono::microseconds duration) {
    if (!isUiThread()) {
        std::this_thread::sleep_for(duration);
        return;
    }
    const auto ms = std::chrono::ceil<std::chrono::milliseconds>(duration).count();
    if (ms <= 0) {
        QCoreApplication::processEvents();
        return;
    }
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    timer.start(static_cast<int>(ms));
    loop.exec();
}

bool waitPumpingMessages(long long amount, WaitUnit unit) {
    using namespace std::chrono;
    milliseconds duration{amount};
    switch (unit) {
    case WaitUnit::Milliseconds:
        break;
    case WaitUnit::Seconds:
        duration = seconds{amount};
        break;
    case WaitUnit::Minutes:
        duration = minutes{amount};
        break;
    case WaitUnit::Hours:
        duration = hours{amount};
        break;
    }
    if (duration.count() > 0) waitPumping(duration);
    return true;
}

bool waitFor(std::chrono::milliseconds duration, std::stop_token stop) {
    std::mutex mutex;
    std::condition_variable_any wake;
    std::unique_lock lock(mutex);
    wake.wait_for(lock, stop, duration, [] { return false; });
    return !stop.stop_requested();
}

}  // namespace vamu::platform
