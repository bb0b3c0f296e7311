// The tray icon against a real tray host: an X server (Xvfb) with an XEmbed tray
// (trayer) and a window manager (openbox) of its own, clicks and keys synthesised
// with xdotool. Skipped when Xvfb, trayer or xdotool is missing; the checks that need
// the window manager skip without openbox.
#include "platform/application.h"
#include "platform/status_icon.h"
#include "platform/system.h"
#include "platform/ui_thread.h"
#include "platform/x11_selection.h"
#include "support/x_display.h"
#include "toolkit/host_window.h"
#include "toolkit/menu_window.h"
#include "toolkit/popup_menu.h"
#include "toolkit/toolkit.h"
#include "toolkit/tray_icon.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace vamu::toolkit {
namespace {

using test::onPath;
using test::spawnQuiet;
using test::stopProcess;

bool pumpUntil(const std::function<bool()>& condition, int deadlineMs = 10000) {
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > deadlineMs) return false;
        platform::waitPumping(std::chrono::milliseconds(20));
    }
    return true;
}

class TrayHostEnvironment : public ::testing::Environment {
public:
    static TrayHostEnvironment* instance;
    void SetUp() override {
        instance = this;
        if (!onPath("Xvfb") || !onPath("trayer") || !onPath("xdotool")) {
            m_missing = "Xvfb, trayer and xdotool are needed";
            return;
        }
        m_missing = m_display.start(640, 480);
        if (!m_missing.empty()) return;
        ::setenv("QT_QPA_PLATFORM", "xcb", 1);
        static int argc = 1;
        static char name[] = "vamu_tray_host_tests";
        static char* argv[] = {name, nullptr};
        m_app = platform::createApplication(argc, argv);
        toolkitStartup();
        if (onPath("openbox")) {
            m_windowManager = spawnQuiet({"openbox", "--sm-disable"});
            // A window manager announces itself by the selection of the screen.
            if (m_windowManager &&
                !pumpUntil([] { return platform::detail::selectionOwner("WM_S0").value_or(0) != 0; })) {
                stopProcess(m_windowManager);
            }
        }
        startTray();
    }
    void TearDown() override {
        if (m_app) {
            platform::shutdown();
            m_app.reset();
        }
        stopProcess(m_tray);
        stopProcess(m_windowManager);
        m_display.stop();
    }
    bool startTray() {
        stopProcess(m_tray);
        m_tray = spawnQuiet({"trayer", "--edge", "top", "--align", "right", "--widthtype", "request", "--height", "32",
                             "--SetDockType", "true", "--SetPartialStrut", "false", "--transparent", "false"});
        if (m_tray <= 0 || !pumpUntil([] { return platform::defaultTrayHostProbe().value_or(0) > 1; })) return false;
        // The tray's announcement follows its selection: take it in now, so that it
        // reaches only the watches that were running when the tray started.
        platform::waitPumping(std::chrono::milliseconds(300));
        return true;
    }
    void stopTray() { stopProcess(m_tray); }
    [[nodiscard]] const std::string& missing() const { return m_missing; }
    [[nodiscard]] bool hasWindowManager() const { return m_windowManager > 0; }

private:
    std::string m_missing;
    test::PrivateDisplay m_display;
    pid_t m_windowManager = 0;
    pid_t m_tray = 0;
    std::unique_ptr<QGuiApplication> m_app;
};

TrayHostEnvironment* TrayHostEnvironment::instance = nullptr;

const bool kRegistered = [] {
    ::testing::AddGlobalTestEnvironment(new TrayHostEnvironment);
    return true;
}();

QByteArray redIcon() {
    QImage image(22, 22, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

QRect dockedGeometry(const TrayIcon& icon) {
    const auto* tray = qobject_cast<const QSystemTrayIcon*>(icon.statusIcon().qtObject());
    return tray ? tray->geometry() : QRect();
}

void xdotool(const std::string& arguments) { ASSERT_EQ(std::system(("xdotool " + arguments).c_str()), 0); }

class TrayHost : public ::testing::Test {
protected:
    void SetUp() override {
        if (!TrayHostEnvironment::instance->missing().empty()) GTEST_SKIP() << TrayHostEnvironment::instance->missing();
        WindowSetup small;
        small.size = QSize(200, 120);
        ASSERT_TRUE(m_host.attach(createNativeWindow(small)));
    }
    HostWindow m_host;
};

TEST_F(TrayHost, TheIconDocksAndClicksArrive) {
    TrayIcon icon;
    ASSERT_TRUE(icon.add(m_host.windowHandle(), QStringLiteral("VAMU"), redIcon()));
    std::vector<int> codes;
    icon.setEventHandler([&codes](int code) { codes.push_back(code); });
    ASSERT_TRUE(pumpUntil([&] { return dockedGeometry(icon).isValid() && dockedGeometry(icon).width() > 0; }));
    platform::waitPumping(std::chrono::milliseconds(300));
    const QPoint centre = dockedGeometry(icon).center();
    const std::string at = std::to_string(centre.x()) + " " + std::to_string(centre.y());
    xdotool("mousemove " + at + " click 3");
    ASSERT_TRUE(pumpUntil([&] { return codes.size() >= 2; }));
    EXPECT_EQ(codes, (std::vector<int>{516, 517}));
    codes.clear();
    xdotool("mousemove " + at + " click --repeat 2 --delay 60 1");
    ASSERT_TRUE(pumpUntil([&] { return codes.size() >= 4; }));
    EXPECT_EQ(codes, (std::vector<int>{513, 514, 515, 514}));
}

TEST_F(TrayHost, ARestartedTrayGets1120AndTheIconBack) {
    platform::setTrayHostWatch({}, std::chrono::milliseconds(100));
    TrayIcon icon;
    const QByteArray picture = redIcon();
    ASSERT_TRUE(icon.add(m_host.windowHandle(), QStringLiteral("VAMU"), picture));
    std::vector<int> codes;
    bool readded = false;
    icon.setEventHandler([&](int code) {
        codes.push_back(code);
        if (code == tray::kTrayHostCreated) readded = icon.add(m_host.windowHandle(), QStringLiteral("VAMU"), picture);
    });
    ASSERT_TRUE(pumpUntil([&] { return dockedGeometry(icon).width() > 0; }));
    TrayHostEnvironment::instance->stopTray();
    ASSERT_TRUE(pumpUntil([] { return platform::defaultTrayHostProbe().value_or(0) <= 1; }));
    ASSERT_TRUE(TrayHostEnvironment::instance->startTray());
    ASSERT_TRUE(pumpUntil([&] { return !codes.empty(); }));
    EXPECT_EQ(codes, std::vector<int>{tray::kTrayHostCreated});
    EXPECT_TRUE(readded);
    EXPECT_TRUE(pumpUntil([&] { return dockedGeometry(icon).width() > 0; }));
    platform::setTrayHostWatch({}, {});
}

// Runs the tray menu the way the program does (a right click on the icon pops it
// up at the cursor, owned by a main window that is hidden) and, once the menu is on
// the screen, does what closes it from outside. Answers whether the menu closed by
// itself; a menu still open 5 s later is closed by the test.
struct TrayMenuRun {
    int shown = 0;
    int closed = 0;
    bool acted = false;
    bool leftOpen = false;
};

bool closesFromOutside(HostWindow& owner, TrayIcon& icon, const std::string& outsideAction) {
    PopupMenu menu;
    menu.addCommand(QStringLiteral("VAMU"), 1);
    menu.addCommand(QStringLiteral("显示窗口"), 2);
    menu.addCommand(QStringLiteral("退出"), 3);
    TrayMenuRun run;
    icon.setEventHandler([&](int code) {
        if (code != 517) return;
        ++run.shown;
        menu.popup(owner.windowHandle());
        ++run.closed;
    });
    // Drives the steps from inside the menu's own loop.
    QElapsedTimer clock;
    QTimer driver;
    QObject::connect(&driver, &QTimer::timeout, [&] {
        const auto& chains = detail::runningMenuChains();
        if (chains.empty()) return;
        detail::MenuChain& chain = *chains.back();
        const std::vector<detail::MenuWindow*> open = chain.openWindows();
        if (open.empty()) return;
        platform::NativeWindow* window = open.front()->host().nativeWindow();
        if (!run.acted) {
            if (!window || !window->qtWindow()->isExposed()) return;
            if (!clock.isValid()) clock.start();
            if (clock.elapsed() < 500) return;  // the window manager has placed it
            run.acted = true;
            clock.restart();
            EXPECT_EQ(std::system(("xdotool " + outsideAction).c_str()), 0);
            return;
        }
        if (clock.elapsed() > 5000) {
            run.leftOpen = true;
            chain.closeAll();
        }
    });
    driver.start(50);
    const QRect docked = dockedGeometry(icon);
    const std::string at = std::to_string(docked.center().x()) + " " + std::to_string(docked.center().y());
    EXPECT_EQ(std::system(("xdotool mousemove " + at + " click 3").c_str()), 0);
    EXPECT_TRUE(pumpUntil([&] { return run.closed == 1; }, 20000));
    driver.stop();
    icon.setEventHandler({});
    EXPECT_EQ(run.shown, 1);
    EXPECT_TRUE(run.acted);
    return run.closed == 1 && run.acted && !run.leftOpen;
}

TEST_F(TrayHost, TheTrayMenuOverAHiddenWindowClosesOnAClickElsewhereAndOnEsc) {
    if (!TrayHostEnvironment::instance->hasWindowManager()) GTEST_SKIP() << "openbox is needed";
    // m_host is never shown: the main window hidden to the tray.
    TrayIcon icon;
    ASSERT_TRUE(icon.add(m_host.windowHandle(), QStringLiteral("VAMU"), redIcon()));
    ASSERT_TRUE(pumpUntil([&] { return dockedGeometry(icon).width() > 0; }));
    platform::waitPumping(std::chrono::milliseconds(300));
    EXPECT_TRUE(icon.statusIcon().hostReportsDoubleClicks());
    EXPECT_FALSE(platform::NativeWindow::find(m_host.windowHandle())->isVisible());
    // Far from the tray and from where the menu opens, on the bare desktop.
    EXPECT_TRUE(closesFromOutside(m_host, icon, "mousemove 60 400 click 1")) << "a click elsewhere";
    EXPECT_TRUE(closesFromOutside(m_host, icon, "key Escape")) << "Esc";
}

}  // namespace
}  // namespace vamu::toolkit
