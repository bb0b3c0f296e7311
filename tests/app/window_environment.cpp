// The application object on the offscreen platform with the toolkit started, for the
// window tests.
#include "platform/qt_test_app.h"
#include "toolkit/toolkit.h"

#include <gtest/gtest.h>

namespace {

class WindowEnvironment : public vamu::test::QtTestEnvironment {
protected:
    void started() override { vamu::toolkit::toolkitStartup(); }
};

const bool kRegistered = [] {
    ::testing::AddGlobalTestEnvironment(new WindowEnvironment);
    return true;
}();

}  // namespace
