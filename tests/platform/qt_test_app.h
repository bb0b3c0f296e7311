#pragma once
// Shared by the Qt-based test binaries: the application object on the offscreen
// platform for the whole run, and a wait that keeps the event loop going until a
// condition holds (always with a deadline).

#include "platform/application.h"
#include "platform/system.h"
#include "platform/ui_thread.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QThreadPool>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace vamu::test {

class QtTestEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "vamu_tests";
        static char* argv[] = {name, nullptr};
        m_app = platform::createApplication(argc, argv);
        platform::initialize();
#if defined(__SANITIZE_THREAD__)
        // Qt splits big image copies over its pool threads, whose uninstrumented copies
        // the race checker then follows byte by byte: a program test ran 3 times slower.
        QThreadPool::globalInstance()->setMaxThreadCount(1);
#endif
        started();
    }
    void TearDown() override {
        stopping();
        QCoreApplication::processEvents();
        platform::shutdown();
        m_app.reset();
    }

protected:
    virtual void started() {}
    virtual void stopping() {}

private:
    std::unique_ptr<QGuiApplication> m_app;
};

inline bool pumpUntil(const std::function<bool()>& condition, int deadlineMs = 5000) {
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > deadlineMs) return false;
        platform::waitPumping(std::chrono::milliseconds(5));
    }
    return true;
}

}  // namespace vamu::test
