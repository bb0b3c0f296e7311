// The program in a real tray: an X server (Xvfb) with an XEmbed tray (trayer) of its
// own, clicks synthesised with xdotool. The icon docks with its tooltip, the close
// button hides the window into the tray, a double click on the icon brings it back and
// a right click opens the tray menu. Skipped when Xvfb, trayer or xdotool is missing.
#include "integration/program_fixture.h"

#include "app/program_menus.h"
#include "net/http_request.h"
#include "platform/application.h"
#include "platform/native_window.h"
#include "platform/status_icon.h"
#include "platform/system.h"
#include "platform/x11_selection.h"
#include "support/x_display.h"
#include "toolkit/menu_window.h"

#include <QSystemTrayIcon>
#include <QTimer>

#include <cstdlib>

namespace vamu::test {
namespace {

using namespace std::chrono_literals;

class TrayEnvironment : public ::testing::Environment {
public:
    static TrayEnvironment* instance;
    void SetUp() override {
        instance = this;
        if (!onPath("Xvfb") || !onPath("trayer") || !onPath("xdotool")) {
            m_missing = "Xvfb, trayer and xdotool are needed";
            return;
        }
        m_missing = m_display.start(1280, 800);
        if (!m_missing.empty()) return;
        ::setenv("QT_QPA_PLATFORM", "xcb", 1);
        static int argc = 1;
        static char name[] = "vamu_program_tray_tests";
        static char* argv[] = {name, nullptr};
        m_app = platform::createApplication(argc, argv);
        platform::initialize();
        net::initializeHttp();
        m_tray = spawnQuiet({"trayer", "--edge", "top", "--align", "right", "--widthtype", "request", "--height", "32",
                             "--SetDockType", "true", "--SetPartialStrut", "false", "--transparent", "false"});
        if (m_tray <= 0 || !UiDriver::pumpUntil([] { return platform::defaultTrayHostProbe().value_or(0) > 1; }, 10s)) {
            m_missing = "the tray did not start";
        }
        UiDriver::pump(300ms);
    }
    void TearDown() override {
        if (m_app) {
            platform::shutdown();
            m_app.reset();
        }
        stopProcess(m_tray);
        m_display.stop();
    }
    [[nodiscard]] const std::string& missing() const { return m_missing; }

private:
    std::string m_missing;
    PrivateDisplay m_display;
    pid_t m_tray = 0;
    std::unique_ptr<QGuiApplication> m_app;
};

TrayEnvironment* TrayEnvironment::instance = nullptr;

const bool kRegistered = [] {
    ::testing::AddGlobalTestEnvironment(new TrayEnvironment);
    return true;
}();

QRect dockedGeometry(const toolkit::TrayIcon& icon) {
    const auto* tray = qobject_cast<const QSystemTrayIcon*>(icon.statusIcon().qtObject());
    return tray ? tray->geometry() : QRect();
}

void xdotool(const std::string& arguments) { ASSERT_EQ(std::system(("xdotool " + arguments).c_str()), 0); }

class ProgramInTray : public ProgramFixture {
protected:
    void SetUp() override {
        if (!TrayEnvironment::instance->missing().empty()) GTEST_SKIP() << TrayEnvironment::instance->missing();
    }
};

TEST_F(ProgramInTray, CloseHidesIntoTheTrayADoubleClickBringsItBackAndARightClickOpensTheMenu) {
    startService();
    ASSERT_TRUE(startProgram());
    ASSERT_TRUE(waitForGrid());
    app::ProgramMenus& menus = m_program->menus();
    const toolkit::TrayIcon& icon = menus.trayIcon();
    ASSERT_TRUE(UiDriver::pumpUntil([&] { return dockedGeometry(icon).width() > 0; }, 10s));
    EXPECT_TRUE(icon.statusIcon().inTray());
    EXPECT_EQ(icon.statusIcon().toolTip(), QStringLiteral("VAMU"));
    platform::NativeWindow& window = *host().nativeWindow();
    ASSERT_TRUE(UiDriver::pumpUntil([&] { return window.isVisible(); }));

    host().close();
    ASSERT_TRUE(UiDriver::pumpUntil([&] { return !window.isVisible(); }));
    UiDriver::pump(300ms);
    const QPoint centre = dockedGeometry(icon).center();
    const std::string at = std::to_string(centre.x()) + " " + std::to_string(centre.y());
    xdotool("mousemove " + at + " click --repeat 2 --delay 60 1");
    ASSERT_TRUE(UiDriver::pumpUntil([&] { return window.isVisible(); }, 5s));

    // The right click pops the six-item menu up; the test closes it from inside its loop.
    int itemsShown = 0;
    QTimer driver;
    QObject::connect(&driver, &QTimer::timeout, [&] {
        const auto& chains = toolkit::detail::runningMenuChains();
        if (chains.empty()) return;
        const auto open = chains.back()->openWindows();
        if (open.empty()) return;
        itemsShown = static_cast<int>(open.front()->items().size());
        chains.back()->closeAll();
    });
    driver.start(50);
    xdotool("mousemove " + at + " click 3");
    ASSERT_TRUE(UiDriver::pumpUntil([&] { return itemsShown > 0; }, 5s));
    EXPECT_EQ(itemsShown, 6);
}

}  // namespace
}  // namespace vamu::test
