// The application object of the program tests, on the offscreen platform. The session
// bus names none: these programs must never reach the user's own desktop, whose keyring
// would receive the test account's login and lose the user's own (the desktop bus and
// keyring tests bring a private bus of their own).
#include "net/http_request.h"
#include "platform/qt_test_app.h"

#include <cstdlib>

namespace {

class ProgramEnvironment : public vamu::test::QtTestEnvironment {
public:
    void SetUp() override {
        ::setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/vamu-test-bus", 1);
        QtTestEnvironment::SetUp();
    }

protected:
    void started() override { vamu::net::initializeHttp(); }
};

const bool kRegistered = [] {
    ::testing::AddGlobalTestEnvironment(new ProgramEnvironment);
    return true;
}();

}  // namespace
