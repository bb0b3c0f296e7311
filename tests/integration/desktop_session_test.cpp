// The program on a compositor (headless) started by the test, its platform chosen as main() chooses it. On weston
// beside Xwayland it runs on X11 with the strip above, unframed at the top; on weston alone the now-playing slide ends
// on time and the UI thread rests; on sway, which offers layer surfaces, the strip is one at the top.
#include "integration/program_fixture.h"

#include "app/comment_strip_window.h"
#include "app/now_playing_window.h"
#include "app/program_menus.h"
#include "comments/comments_controller.h"
#include "platform/layer_surface.h"
#include "playback/audio_engine.h"
#include "playback/player_controller.h"
#include "net/http_request.h"
#include "platform/application.h"
#include "platform/native_window.h"
#include "platform/platform_choice.h"
#include "platform/system.h"
#include "platform/ui_thread.h"
#include "platform/x11_window_hints.h"
#include "support/virtual_pointer.h"
#include "support/x_display.h"

#include <QElapsedTimer>
#include <QImage>
#include <QTemporaryDir>
#include <QLibraryInfo>
#include <QWindow>

#include <sys/wait.h>
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
#ifdef VAMU_TEST_SWAY
        m_missing = m_sway.start(1280, 800);
#else
        m_missing = m_weston.start(1280, 800, kX11);
#endif
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
        m_sway.stop();
    }
    std::string m_missing;
    platform::PlatformChoice m_choice;

private:
    PrivateWeston m_weston;
    PrivateSway m_sway;
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

// The whole output as the compositor shows it (grim; installed with sway), or a null image.
[[maybe_unused]] QImage screenshot(const QString& file) {
    const pid_t grim = spawnQuiet({"grim", file.toStdString()});
    int status = 0;
    if (grim <= 0 || ::waitpid(grim, &status, 0) != grim || status != 0) return {};
    return QImage(file).convertToFormat(QImage::Format_RGB32);
}

// The smallest rectangle that holds every pixel where the two pictures differ.
[[maybe_unused]] QRect differences(const QImage& one, const QImage& other) {
    QRect changed;
    for (int y = 0; y < std::min(one.height(), other.height()); ++y) {
        const auto* a = reinterpret_cast<const QRgb*>(one.constScanLine(y));
        const auto* b = reinterpret_cast<const QRgb*>(other.constScanLine(y));
        for (int x = 0; x < std::min(one.width(), other.width()); ++x) {
            if (a[x] != b[x]) changed |= QRect(x, y, 1, 1);
        }
    }
    return changed;
}

// A pixel the image draws fully opaque at or below row `top`, or (-1000, -1000).
[[maybe_unused]] QPoint opaquePixel(const QImage& image, int top) {
    for (int y = std::max(top, 0); y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(row[x]) == 255) return {x, y};
        }
    }
    return {-1000, -1000};
}

#if defined(VAMU_TEST_SWAY)
TEST_F(ProgramOnCompositor, OnSwayTheStripIsALayerSurfaceAtTheTopThatTheSwitchShowsAndHides) {
    ASSERT_TRUE(QGuiApplication::platformName().startsWith(QStringLiteral("wayland")))
        << qPrintable(QGuiApplication::platformName());
    EXPECT_TRUE(app::CommentStripWindow::supported());
    app::ProgramMenus& menus = m_program->menus();
    const toolkit::MenuEntry& commentsSwitch = *menus.settingsMenu().item(menus.commentsItem());
    EXPECT_EQ(commentsSwitch.state & toolkit::menu_state::kDisabled, 0);
    EXPECT_TRUE(commentsSwitch.tips.isEmpty());
    app::CommentStripWindow& strip = m_program->commentStrip();
    platform::NativeWindow& native = *strip.host().nativeWindow();
    auto* surface = dynamic_cast<platform::LayerSurface*>(native.presentationTarget());
    ASSERT_NE(surface, nullptr);
    const QRect place = app::CommentStripWindow::placeFor(platform::screenGeometry(), platform::workArea());
    VirtualPointer pointer;
    ASSERT_EQ(pointer.connect(), "");

    // A song's comments drift in (2 px every 30 ms from the strip's right edge).
    playback::PlayerController& player = m_program->player();
    player.playRepeating(songWithComments(10).entry);
    const auto activity = [&] { return m_program->engine().isActive(player.stream()); };
    ASSERT_TRUE(UiDriver::pumpUntil([&] { return activity() == playback::ActivityState::Playing; }, 20s));
    m_scheduler.advance(2000ms);
    ASSERT_TRUE(UiDriver::pumpUntil([&] { return !m_program->comments().controls().empty(); }, 10s));
    m_scheduler.advance(6000ms);
    ASSERT_TRUE(strip.isShown());
    UiDriver::pumpUntil([&] { return surface->configuredSize().isValid() && surface->committedFrames() > 1; }, 10s);
    ASSERT_EQ(surface->configuredSize(), place.size());
    EXPECT_GT(surface->committedFrames(), 1);
    EXPECT_FALSE(native.qtWindow()->isVisible());  // never a window in the middle of the screen

    // A click on a comment, below the title bar sway gives the main window, goes to that
    // window: the strip takes no input.
    player.togglePause();  // from here nothing else on the screen moves
    const QPoint drawn = place.topLeft() + opaquePixel(native.backBuffer(), 40 - place.y());
    ASSERT_TRUE(place.contains(drawn)) << "the strip draws nothing";
    platform::NativeWindow& main = *host().nativeWindow();
    const platform::MessageHandler original = main.messageHandler();
    int moves = 0;
    int presses = 0;
    main.setMessageHandler([&moves, &presses, original](const platform::Message& message) {
        moves += message.id == platform::msg::kMouseMove;
        presses += message.id == platform::msg::kLeftDown;
        return original(message);
    });
    const QSize screen = platform::screenGeometry().size();
    // sway centres a window smaller than its tile there, so that the strip's pixel may lie
    // over no window at all: the main window takes the whole screen, under the title bar.
    main.setMaximumSize(QSize());
    main.setGeometry(QRect(QPoint(), screen));
    UiDriver::pumpUntil([&] { return main.qtWindow()->size() == screen; }, 5s);
    UiDriver::pumpUntil([] { return false; }, 500ms);  // the compositor takes the new buffer
    // Moves first (entering is no move), again until one arrives: the program's pointer comes
    // only after the seat's capabilities, which a loaded machine may deliver late. The last
    // move ends on the drawn pixel, where the click then happens.
    for (int step = 0; step < 20 && moves == 0; ++step) {
        EXPECT_TRUE(pointer.move(drawn.x() - 1, drawn.y(), screen.width(), screen.height()));
        EXPECT_TRUE(pointer.move(drawn.x(), drawn.y(), screen.width(), screen.height()));
        UiDriver::pumpUntil([&] { return moves > 0; }, 250ms);
    }
    EXPECT_GT(moves, 0) << "no move to " << drawn.x() << "," << drawn.y();
    EXPECT_TRUE(pointer.click());
    EXPECT_TRUE(UiDriver::pumpUntil([&] { return presses > 0; }, 5s))
        << "no click at " << drawn.x() << "," << drawn.y();
    main.setMessageHandler(original);

    // On the screen: what the strip shows lies within its place, and goes with the switch.
    UiDriver::pump(300ms);
    QTemporaryDir folder;
    const QImage shown = screenshot(folder.filePath(QStringLiteral("shown.png")));
    commentsSwitch.handler();
    EXPECT_FALSE(strip.isShown());
    UiDriver::pump(300ms);
    const QRect changed = differences(shown, screenshot(folder.filePath(QStringLiteral("hidden.png"))));
    std::printf("layer surface configured %dx%d; the strip's pixels on the screen: %d,%d %dx%d (its place %d,%d)\n",
                surface->configuredSize().width(), surface->configuredSize().height(), changed.x(), changed.y(),
                changed.width(), changed.height(), place.x(), place.y());
    EXPECT_FALSE(changed.isEmpty());
    EXPECT_TRUE(place.contains(changed));
    if (const char* keep = std::getenv("VAMU_TEST_SHOT")) shown.save(QString::fromLocal8Bit(keep));

    // On again: a new surface is configured and shows frames.
    const int before = surface->committedFrames();
    player.togglePause();
    commentsSwitch.handler();
    EXPECT_TRUE(strip.isShown());
    EXPECT_TRUE(UiDriver::pumpUntil([&] { return surface->committedFrames() > before; }, 10s));
}
#elif !defined(VAMU_TEST_NATIVE_WAYLAND)
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
