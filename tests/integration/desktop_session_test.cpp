// The program on weston (headless) started by the test, its platform chosen as main()
// chooses it. Beside Xwayland it must run on X11 with the strip above, unframed at the
// top; on Wayland alone the now-playing slide must end on time and the UI thread rest.
#include "integration/program_fixture.h"

#include "app/comment_strip_window.h"
#include "app/now_playing_window.h"
#include "net/http_request.h"
#include "platform/application.h"
#include "platform/native_window.h"
#include "platform/platform_choice.h"
#include "platform/system.h"
#include "platform/ui_thread.h"
#include "platform/x11_window_hints.h"
#include "support/x_display.h"

#include <QElapsedTimer>
#include <QLibraryInfo>
#include <QWindow>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include <xcb/xcb.h>

namespace vamu::test {
namespace {

using namespace std::chrono_literals;

#ifdef VAMU_TEST_NATIVE_WAYLAND
constexpr auto kX11 = PrivateWeston::X11::No;
#else
constexpr auto kX11 = PrivateWeston::X11::Xwayland;
#endif

class CompositorEnvironment : public ::testing::Environment {
public:
    static CompositorEnvironment* instance;
    void SetUp() override {
        instance = this;
        const auto plugins = QLibraryInfo::path(QLibraryInfo::PluginsPath).toStdString();
        if (!std::filesystem::exists(plugins + "/platforms/libqwayland-generic.so")) {
            m_missing = "Qt's Wayland platform (qt6-wayland) is not installed";
            return;
        }
        m_missing = m_weston.start(1280, 800, kX11);
        if (!m_missing.empty()) return;
        static int argc = 1;
        static char name[] = "vamu_program_desktop_tests";
        static char* argv[] = {name, nullptr};
        m_choice = platform::applyPlatformChoice(argc, argv);
        m_app = platform::createApplication(argc, argv);
        platform::initialize();
        net::initializeHttp();
    }
    void TearDown() override {
        if (m_app) {
            platform::shutdown();
            m_app.reset();
        }
        m_weston.stop();
    }
    std::string m_missing;
    platform::PlatformChoice m_choice;

private:
    PrivateWeston m_weston;
    std::unique_ptr<QGuiApplication> m_app;
};

CompositorEnvironment* CompositorEnvironment::instance = nullptr;

const bool kRegistered = [] {
    ::testing::AddGlobalTestEnvironment(new CompositorEnvironment);
    return true;
}();

class ProgramOnCompositor : public ProgramFixture {
protected:
    void SetUp() override {
        if (!CompositorEnvironment::instance->m_missing.empty())
            GTEST_SKIP() << CompositorEnvironment::instance->m_missing;
        startService();
        ASSERT_TRUE(startProgram());
        ASSERT_TRUE(waitForGrid());
    }
};

// The window's corner on the root as the X server has it (a frame would offset it).
[[maybe_unused]] QPoint x11Position(const QWindow& window) {
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    auto* reply = xcb_translate_coordinates_reply(
        connection, xcb_translate_coordinates(connection, static_cast<xcb_window_t>(window.winId()), root, 0, 0), nullptr);
    const QPoint position = reply ? QPoint(reply->dst_x, reply->dst_y) : QPoint(-1, -1);
    std::free(reply);
    xcb_disconnect(connection);
    return position;
}

// Context switches of this thread: each is a wake-up from a wait (or a preemption).
[[maybe_unused]] long contextSwitches() {
    std::ifstream status("/proc/self/task/" + std::to_string(::gettid()) + "/status");
    long total = 0;
    std::string line;
    while (std::getline(status, line)) {
        if (line.starts_with("voluntary_ctxt_switches:") || line.starts_with("nonvoluntary_ctxt_switches:"))
            total += std::stol(line.substr(line.find(':') + 1));
    }
    return total;
}

#ifndef VAMU_TEST_NATIVE_WAYLAND
TEST_F(ProgramOnCompositor, ChoosesX11BesideXwaylandAndKeepsTheStripAboveUnframedAtTheTop) {
    EXPECT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb")) << CompositorEnvironment::instance->m_choice.reason;
    EXPECT_EQ(CompositorEnvironment::instance->m_choice.platform, "xcb");
    app::CommentStripWindow& strip = m_program->commentStrip();
    ASSERT_TRUE(strip.isShown());
    const QWindow& window = *strip.host().nativeWindow()->qtWindow();
    ASSERT_TRUE(UiDriver::pumpUntil([&] { return window.isExposed(); }, 10s));
    const std::vector<std::string> state = platform::detail::windowAtoms(window, "_NET_WM_STATE");
    for (const char* atom : {"_NET_WM_STATE_ABOVE", "_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER"})
        EXPECT_NE(std::find(state.begin(), state.end(), atom), state.end()) << atom;
    const std::vector<std::string> type = platform::detail::windowAtoms(window, "_NET_WM_WINDOW_TYPE");
    ASSERT_FALSE(type.empty());
    EXPECT_EQ(type.front(), "_NET_WM_WINDOW_TYPE_NOTIFICATION");
    // Where it was put, not inside a frame the window manager drew around it.
    const QRect place = app::CommentStripWindow::placeFor(platform::screenGeometry(), platform::workArea());
    EXPECT_EQ(x11Position(window), place.topLeft());
    // Xwayland is composited: the main window's shape cuts its alpha, no mask.
    EXPECT_TRUE(host().nativeWindow()->alphaSurface());
    EXPECT_TRUE(host().nativeWindow()->qtWindow()->mask().isEmpty());
}
#else

TEST_F(ProgramOnCompositor, OnWaylandTheSlideEndsOnTimeAndTheUiThreadThenRests) {
    ASSERT_TRUE(QGuiApplication::platformName().startsWith(QStringLiteral("wayland")))
        << qPrintable(QGuiApplication::platformName());
    // No strip in the middle of the screen.
    EXPECT_FALSE(app::CommentStripWindow::supported());
    EXPECT_FALSE(m_program->commentStrip().isShown());

    app::NowPlayingWindow& nowPlaying = m_program->nowPlaying();
    const auto budget = app::NowPlayingSlide::duration(app::NowPlayingWindow::kWidth) + 1500ms;
    QElapsedTimer clock;
    clock.start();
    nowPlaying.slideIn(QStringLiteral("夜空中最亮的星"));
    ASSERT_TRUE(UiDriver::pumpUntil([&] { return nowPlaying.phase() == app::NowPlayingWindow::Phase::Hidden; },
                                    std::chrono::duration_cast<std::chrono::milliseconds>(budget)))
        << "the slide did not end within " << budget.count() << " ms";
    std::printf("slide ended after %lld ms (on time: %lld ms)\n", static_cast<long long>(clock.elapsed()),
                static_cast<long long>(app::NowPlayingSlide::duration(app::NowPlayingWindow::kWidth).count()));

    // Paused and idle: the UI thread wakes only for what is due.
    UiDriver::pump(500ms);
    const long before = contextSwitches();
    clock.restart();
    platform::waitPumping(3000ms);
    const double perSecond = static_cast<double>(contextSwitches() - before) * 1000.0 / clock.elapsed();
    std::printf("UI thread after the slide: %.1f wake-ups a second\n", perSecond);
    EXPECT_LT(perSecond, 20.0);
}
#endif

}  // namespace
}  // namespace vamu::test
