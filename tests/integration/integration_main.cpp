// The application object of the program tests, on the offscreen platform, with no session
// bus: a test login must never replace the user's own in the desktop's keyring.
#include "net/http_request.h"
#include "platform/qt_test_app.h"

#include <cstdlib>

namespace {

class ProgramEnvironment : public vamu::test::QtTestEnvironment {
protected:
    void started() override {
        ::setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/vamu-test-bus", 1);
        vamu::net::initializeHttp();
    }
};

const bool kRegistered = [] {
    ::testing::AddGlobalTestEnvironment(new ProgramEnvironment);
    return true;
}();

}  // namespace
