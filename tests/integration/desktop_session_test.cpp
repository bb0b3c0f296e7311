// The program on a real compositor: weston with its headless backend, started by the
// test. Built twice: with Xwayland beside it (both WAYLAND_DISPLAY and DISPLAY set, as in
// a GNOME or Plasma session) the program must choose X11 and keep the comment strip
// above, unframed and at the top of the screen; on Wayland alone (no DISPLAY) the
// now-playing window must end its slide on time and the UI thread then rest. The
// platform is chosen exactly as vamu's main() chooses it. Skipped with the reason where
// weston, Xwayland or Qt's Wayland platform is missing.
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

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#if VAMU_HAVE_XCB
#include <xcb/xcb.h>
#endif

namespace vamu::test {
namespace {

using namespace std::chrono_literals;

#ifdef VAMU_TEST_NATIVE_WAYLAND
constexpr bool kNativeWayland = true;
#else
constexpr bool kNativeWayland = false;
#endif

class CompositorEnvironment : public ::testing::Environment {
public:
    static CompositorEnvironment* instance;
    void SetUp() override {
        instance = this;
        const std::filesystem::path plugins =
            QLibraryInfo::path(QLibraryInfo::PluginsPath).toStdString() + "/platforms/libqwayland-generic.so";
        if (!std::filesystem::exists(plugins)) {
            m_missing = "Qt's Wayland platform (qt6-wayland) is not installed";
            return;
        }
        m_missing = m_weston.start(1280, 800, kNativeWayland ? PrivateWeston::X11::No : PrivateWeston::X11::Xwayland);
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
    [[nodiscard]] const std::string& missing() const { return m_missing; }
    [[nodiscard]] const platform::PlatformChoice& choice() const { return m_choice; }

private:
    std::string m_missing;
    PrivateWeston m_weston;
    platform::PlatformChoice m_choice;
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
        if (!CompositorEnvironment::instance->missing().empty())
            GTEST_SKIP() << CompositorEnvironment::instance->missing();
        startService();
        ASSERT_TRUE(startProgram());
        ASSERT_TRUE(waitForGrid());
    }
};

// The window's top-left corner in root coordinates as the X server has it: a window
// manager's frame would put it inside the frame's border and shadow.
[[maybe_unused]] std::optional<QPoint> x11Position(const QWindow& window) {
#if VAMU_HAVE_XCB
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    std::optional<QPoint> position;
    if (connection && !xcb_connection_has_error(connection)) {
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
        xcb_translate_coordinates_reply_t* reply = xcb_translate_coordinates_reply(
            connection, xcb_translate_coordinates(connection, static_cast<xcb_window_t>(window.winId()), root, 0, 0),
            nullptr);
        if (reply) position = QPoint(reply->dst_x, reply->dst_y);
        std::free(reply);
    }
    if (connection) xcb_disconnect(connection);
    return position;
#else
    (void)window;
    return std::nullopt;
#endif
}

[[maybe_unused]] bool contains(const std::vector<std::string>& atoms, const std::string& atom) {
    return std::find(atoms.begin(), atoms.end(), atom) != atoms.end();
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
    EXPECT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb")) << CompositorEnvironment::instance->choice().reason;
    EXPECT_EQ(CompositorEnvironment::instance->choice().platform, "xcb");
    app::CommentStripWindow& strip = m_program->commentStrip();
    ASSERT_TRUE(strip.isShown());
    const QWindow& window = *strip.host().nativeWindow()->qtWindow();
    ASSERT_TRUE(UiDriver::pumpUntil([&] { return window.isExposed(); }, 10s));
    const std::vector<std::string> state = platform::detail::windowAtoms(window, "_NET_WM_STATE");
    EXPECT_TRUE(contains(state, "_NET_WM_STATE_ABOVE"));
    EXPECT_TRUE(contains(state, "_NET_WM_STATE_SKIP_TASKBAR"));
    EXPECT_TRUE(contains(state, "_NET_WM_STATE_SKIP_PAGER"));
    const std::vector<std::string> type = platform::detail::windowAtoms(window, "_NET_WM_WINDOW_TYPE");
    ASSERT_FALSE(type.empty());
    EXPECT_EQ(type.front(), "_NET_WM_WINDOW_TYPE_NOTIFICATION");
    // Where it was put, not inside a frame the window manager drew around it.
    const QRect place = app::CommentStripWindow::placeFor(platform::screenGeometry(), platform::workArea());
    EXPECT_EQ(x11Position(window), place.topLeft());
    EXPECT_EQ(place.top(), app::CommentStripWindow::kTop);
    // Xwayland is composited: the main window has an alpha channel, and its shape cuts
    // it instead of a mask.
    EXPECT_TRUE(host().nativeWindow()->alphaSurface());
    EXPECT_TRUE(host().nativeWindow()->qtWindow()->mask().isEmpty());
}
#else

TEST_F(ProgramOnCompositor, OnWaylandTheSlideEndsOnTimeAndTheUiThreadThenRests) {
    ASSERT_TRUE(QGuiApplication::platformName().startsWith(QStringLiteral("wayland")))
        << qPrintable(QGuiApplication::platformName());
    // No strip in the middle of the screen: it stays hidden and its switch says why.
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

    // Paused: nothing plays, the window is idle. The UI thread wakes only for what is
    // due, not for a slide that never ends.
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
