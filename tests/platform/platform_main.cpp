// The application object of the platform tests, on the offscreen platform.
#include "platform/qt_test_app.h"

namespace {

const bool kRegistered = [] {
    ::testing::AddGlobalTestEnvironment(new vamu::test::QtTestEnvironment);
    return true;
}();

}  // namespace
