// A program that made a plain QGuiApplication (not the platform layer's application
// object) can still use the tray icon class: the icon stays out of the tray and says
// so, and everything else works.
#include "platform/application.h"
#include "platform/system.h"
#include "platform/ui_thread.h"
#include "toolkit/host_window.h"
#include "toolkit/toolkit.h"
#include "toolkit/tray_icon.h"

#include <QGuiApplication>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace vamu::toolkit {
namespace {

class GuiOnlyEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "vamu_tray_gui_only_tests";
        static char* argv[] = {name, nullptr};
        m_app = std::make_unique<QGuiApplication>(argc, argv);
        toolkitStartup();
    }
    void TearDown() override {
        platform::shutdown();
        m_app.reset();
    }

private:
    std::unique_ptr<QGuiApplication> m_app;
};

const bool kRegistered = [] {
    ::testing::AddGlobalTestEnvironment(new GuiOnlyEnvironment);
    return true;
}();

TEST(TrayIconWithoutWidgets, StaysOutOfTheTrayAndKeepsWorking) {
    ASSERT_FALSE(platform::statusIconsSupported());
    HostWindow host;
    ASSERT_TRUE(host.attach(createNativeWindow(WindowSetup{})));
    TrayIcon icon;
    EXPECT_FALSE(icon.add(host.windowHandle(), QString(200, 'a')));
    EXPECT_EQ(icon.statusIcon().qtObject(), nullptr);
    EXPECT_EQ(icon.statusIcon().toolTip().size(), 127);
    EXPECT_FALSE(icon.showBalloon(QStringLiteral("标题"), QStringLiteral("正文")));
    std::vector<int> codes;
    ASSERT_TRUE(icon.setEventHandler([&codes](int code) { codes.push_back(code); }));
    host.destroyWindow();
    EXPECT_EQ(codes, std::vector<int>{tray::kWindowDestroyed});
}

}  // namespace
}  // namespace vamu::toolkit
