// The application object of the desktop bus tests: a private session bus first, so
// the program (and Qt itself) only ever meets that one.
#include "integration/private_session_bus.h"
#include "net/http_request.h"
#include "platform/qt_test_app.h"

#include <cstdio>

namespace {

class DesktopBusEnvironment : public vamu::test::QtTestEnvironment {
public:
    void SetUp() override {
        vamu::test::PrivateSessionBus& bus = vamu::test::PrivateSessionBus::instance();
        if (!bus.start()) std::fprintf(stderr, "no private session bus: %s\n", bus.error().c_str());
        QtTestEnvironment::SetUp();
    }
    void TearDown() override {
        QtTestEnvironment::TearDown();
        vamu::test::PrivateSessionBus::instance().stop();
    }

protected:
    void started() override { vamu::net::initializeHttp(); }
};

const bool kRegistered = [] {
    ::testing::AddGlobalTestEnvironment(new DesktopBusEnvironment);
    return true;
}();

}  // namespace
