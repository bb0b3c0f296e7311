// The application object of the platform tests, on the offscreen platform.
#include "platform/system.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <gtest/gtest.h>

#include <memory>

namespace {

class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "vamu_platform_tests";
        static char* argv[] = {name, nullptr};
        m_app = std::make_unique<QGuiApplication>(argc, argv);
        vamu::platform::initialize();
    }
    void TearDown() override {
        QCoreApplication::processEvents();
        vamu::platform::shutdown();
        m_app.reset();
    }

private:
    std::unique_ptr<QGuiApplication> m_app;
};

const bool kRegistered = [] {
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);
    return true;
}();

}  // namespace
