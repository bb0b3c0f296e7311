// The tray icon against a real tray host: an X server (Xvfb) with an XEmbed tray
// (trayer) of its own, clicks synthesised with xdotool. Skipped when any of the three
// programs is missing.
#include "platform/application.h"
#include "platform/status_icon.h"
#include "platform/system.h"
#include "platform/ui_thread.h"
#include "toolkit/host_window.h"
#include "toolkit/toolkit.h"
#include "toolkit/tray_icon.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QSystemTrayIcon>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

extern char** environ;

namespace vamu::toolkit {
namespace {

bool onPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::string rest = path ? path : "";
    while (!rest.empty()) {
        const std::size_t colon = rest.find(':');
        const std::string dir = rest.substr(0, colon);
        if (!dir.empty() && ::access((dir + "/" + program).c_str(), X_OK) == 0) return true;
        if (colon == std::string::npos) break;
        rest.erase(0, colon + 1);
    }
    return false;
}

pid_t spawn(std::vector<std::string> arguments) {
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int failed = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return failed ? 0 : pid;
}

void stop(pid_t& pid) {
    if (pid <= 0) return;
    ::kill(pid, SIGTERM);
    ::waitpid(pid, nullptr, 0);
    pid = 0;
}

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
        int pipeFds[2];
        if (::pipe(pipeFds) != 0) return;
        m_server = spawn({"Xvfb", "-displayfd", std::to_string(pipeFds[1]), "-screen", "0", "640x480x24",
                          "-nolisten", "tcp"});
        ::close(pipeFds[1]);
        std::string display;
        pollfd wait{pipeFds[0], POLLIN, 0};
        char buffer[16];
        while (m_server && ::poll(&wait, 1, 10000) > 0) {
            const ssize_t n = ::read(pipeFds[0], buffer, sizeof buffer);
            if (n <= 0) break;
            display.append(buffer, static_cast<std::size_t>(n));
            if (display.find('\n') != std::string::npos) break;
        }
        ::close(pipeFds[0]);
        while (!display.empty() && (display.back() == '\n' || display.back() == ' ')) display.pop_back();
        if (display.empty()) {
            m_missing = "Xvfb did not start";
            return;
        }
        ::setenv("DISPLAY", (":" + display).c_str(), 1);
        ::setenv("QT_QPA_PLATFORM", "xcb", 1);
        static int argc = 1;
        static char name[] = "vamu_tray_host_tests";
        static char* argv[] = {name, nullptr};
        m_app = platform::createApplication(argc, argv);
        toolkitStartup();
        startTray();
    }
    void TearDown() override {
        if (m_app) {
            platform::shutdown();
            m_app.reset();
        }
        stop(m_tray);
        stop(m_server);
    }
    bool startTray() {
        stop(m_tray);
        m_tray = spawn({"trayer", "--edge", "top", "--align", "right", "--widthtype", "request", "--height", "32",
                        "--SetDockType", "false", "--SetPartialStrut", "false", "--transparent", "false"});
        if (m_tray <= 0 || !pumpUntil([] { return platform::defaultTrayHostProbe().value_or(0) > 1; })) return false;
        // The tray's announcement follows its selection: take it in now, so that it
        // reaches only the watches that were running when the tray started.
        platform::waitPumping(std::chrono::milliseconds(300));
        return true;
    }
    void stopTray() { stop(m_tray); }
    [[nodiscard]] const std::string& missing() const { return m_missing; }

private:
    std::string m_missing;
    pid_t m_server = 0;
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
        WindowSpec small;
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

}  // namespace
}  // namespace vamu::toolkit
