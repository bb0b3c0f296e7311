// The application object of the program tests, on the offscreen platform.
#include "net/http_request.h"
#include "platform/qt_test_app.h"

namespace {

class ProgramEnvironment : public vamu::test::QtTestEnvironment {
protected:
    void started() override { vamu::net::initializeHttp(); }
};

const bool kRegistered = [] {
    ::testing::AddGlobalTestEnvironment(new ProgramEnvironment);
    return true;
}();

}  // namespace
