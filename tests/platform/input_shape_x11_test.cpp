// A translucent window on a real X server with a compositor (Xvfb and xcompmgr of
// its own), clicks synthesised with xdotool: the mouse goes through the window's
// transparent pixels to the window below, and the region follows new content.
// Skipped when any of the three programs is missing.
#include "platform/application.h"
#include "platform/native_window.h"
#include "platform/system.h"
#include "platform/ui_thread.h"
#include "support/x_display.h"

#include <QElapsedTimer>
#include <QPainter>
#include <QWindow>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

namespace vamu::platform {
namespace {

// Device pixels per logical pixel the run asks Qt for; X sees device pixels.
#ifdef VAMU_TEST_SCALE
constexpr int kScale = VAMU_TEST_SCALE;
#else
constexpr int kScale = 1;
#endif

bool pumpUntil(const std::function<bool()>& condition, int deadlineMs = 10000) {
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > deadlineMs) return false;
        waitPumping(std::chrono::milliseconds(20));
    }
    return true;
}

class CompositedDisplay : public ::testing::Environment {
public:
    static CompositedDisplay* instance;
    void SetUp() override {
        instance = this;
        if (!test::onPath("xcompmgr") || !test::onPath("xdotool")) {
            m_missing = "xcompmgr and xdotool are needed";
            return;
        }
        m_missing = m_display.start(640, 480);
        if (!m_missing.empty()) return;
        ::setenv("QT_QPA_PLATFORM", "xcb", 1);
        if (kScale != 1) ::setenv("QT_SCALE_FACTOR", std::to_string(kScale).c_str(), 1);
        static int argc = 1;
        static char name[] = "vamu_platform_x11_tests";
        static char* argv[] = {name, nullptr};
        m_app = createApplication(argc, argv);
        m_compositor = test::spawnQuiet({"xcompmgr"});
        if (!m_compositor || !pumpUntil([] { return compositingAvailable(); })) m_missing = "xcompmgr did not start";
    }
    void TearDown() override {
        if (m_app) {
            shutdown();
            m_app.reset();
        }
        test::stopProcess(m_compositor);
        m_display.stop();
    }
    [[nodiscard]] const std::string& missing() const { return m_missing; }

private:
    std::string m_missing;
    test::PrivateDisplay m_display;
    pid_t m_compositor = 0;
    std::unique_ptr<QGuiApplication> m_app;
};

CompositedDisplay* CompositedDisplay::instance = nullptr;

const bool kRegistered = [] {
    ::testing::AddGlobalTestEnvironment(new CompositedDisplay);
    return true;
}();

// A window that counts the left presses it receives.
class PressCounter {
public:
    PressCounter(const QRect& geometry, unsigned flags) {
        NativeWindowOptions options;
        options.geometry = geometry;
        options.flags = flags;
        m_handle = NativeWindow::create(options);
        window().setMessageHandler([this](const Message& message) {
            // Two quick clicks on one spot make the second a double click.
            if (message.id == msg::kLeftDown || message.id == msg::kLeftDoubleClick) ++presses;
            return window().defaultProc(message);
        });
    }
    ~PressCounter() { NativeWindow::destroy(m_handle); }
    NativeWindow& window() { return *NativeWindow::find(m_handle); }
    void showAndWait() {
        window().show();
        ASSERT_TRUE(pumpUntil([this] { return window().qtWindow()->isExposed(); }));
    }
    // Paints the back buffer: transparent, with an opaque block, and presents it.
    void draw(const QRect& block, const QRegion& presented) {
        QImage& buffer = window().backBuffer();
        buffer.fill(Qt::transparent);
        QPainter(&buffer).fillRect(block, Qt::red);
        window().present(presented);
    }
    int presses = 0;

private:
    WindowHandle m_handle;
};

// A click at a logical screen point.
void clickAt(QPoint screen) {
    const QPoint device = screen * kScale;
    const std::string command =
        "xdotool mousemove " + std::to_string(device.x()) + " " + std::to_string(device.y()) + " click 1";
    ASSERT_EQ(std::system(command.c_str()), 0);
}

// Clicks and answers which of the two windows took the press: 1 the upper, 2 the
// lower, 0 none within the deadline.
int pressedWindow(PressCounter& upper, PressCounter& lower, QPoint screen) {
    const int upperBefore = upper.presses;
    const int lowerBefore = lower.presses;
    clickAt(screen);
    if (!pumpUntil([&] { return upper.presses != upperBefore || lower.presses != lowerBefore; })) return 0;
    waitPumping(std::chrono::milliseconds(50));
    if (upper.presses != upperBefore && lower.presses == lowerBefore) return 1;
    if (lower.presses != lowerBefore && upper.presses == upperBefore) return 2;
    return 3;  // both: a fault of its own
}

TEST(TranslucentWindow, TransparentPixelsLetTheMouseThroughToTheWindowBelow) {
    if (!CompositedDisplay::instance->missing().empty()) GTEST_SKIP() << CompositedDisplay::instance->missing();
    const QRect geometry(100, 100, 200, 100);
    PressCounter lower(geometry, window_flag::kBorderless);
    lower.showAndWait();
    PressCounter upper(geometry, window_flag::kBorderless | window_flag::kLayered);
    ASSERT_TRUE(upper.window().perPixelAlpha());
    upper.draw(QRect(0, 0, 50, 100), QRegion(0, 0, 200, 100));
    upper.showAndWait();
    upper.window().present(QRegion(0, 0, 200, 100));
    ASSERT_TRUE(upper.window().inputShape().has_value());
    ASSERT_EQ(upper.window().devicePixelRatio(), kScale);
    // Device pixels: the block's width rounded up to whole 8-pixel cells.
    const int blockWidth = (50 * kScale + 7) / 8 * 8;
    EXPECT_EQ(*upper.window().inputShape(), (std::vector<QRect>{QRect(0, 0, blockWidth, 100 * kScale)}));

    const QPoint onBlock = geometry.topLeft() + QPoint(20, 50);
    const QPoint beside = geometry.topLeft() + QPoint(150, 50);
    EXPECT_EQ(pressedWindow(upper, lower, onBlock), 1);
    EXPECT_EQ(pressedWindow(upper, lower, beside), 2);

    // The content moves to the right: so does the region, with the presented area,
    // within the interval at which it is read.
    upper.draw(QRect(140, 0, 60, 100), QRegion(0, 0, 200, 100));
    waitPumping(NativeWindow::kInputShapeInterval + std::chrono::milliseconds(50));
    EXPECT_EQ(pressedWindow(upper, lower, beside), 1);
    EXPECT_EQ(pressedWindow(upper, lower, onBlock), 2);

    // Nothing drawn at all: every click goes below.
    upper.draw(QRect(), QRegion(0, 0, 200, 100));
    waitPumping(NativeWindow::kInputShapeInterval + std::chrono::milliseconds(50));
    EXPECT_EQ(pressedWindow(upper, lower, beside), 2);
}

// An animation presents every frame; the region is read once per interval, and the
// last frame of a burst is not lost.
TEST(TranslucentWindow, ABurstOfFramesIsReadOnceAndItsLastFrameCounts) {
    if (!CompositedDisplay::instance->missing().empty()) GTEST_SKIP() << CompositedDisplay::instance->missing();
    PressCounter upper(QRect(100, 300, 200, 100), window_flag::kBorderless | window_flag::kLayered);
    upper.showAndWait();
    waitPumping(NativeWindow::kInputShapeInterval * 2);
    upper.draw(QRect(0, 0, 40, 100), QRegion(0, 0, 200, 100));
    const std::vector<QRect> first = upper.window().inputShape().value_or(std::vector<QRect>{});
    ASSERT_EQ(first, (std::vector<QRect>{QRect(0, 0, 40 * kScale, 100 * kScale)}));
    for (int x = 2; x <= 40; x += 2) upper.draw(QRect(x, 0, 40, 100), QRegion(0, 0, 200, 100));
    EXPECT_EQ(upper.window().inputShape().value_or(std::vector<QRect>{}), first) << "read again within the interval";
    const int right = ((40 + 40) * kScale + 7) / 8 * 8;
    const std::vector<QRect> last{QRect(40 * kScale, 0, right - 40 * kScale, 100 * kScale)};
    EXPECT_TRUE(pumpUntil([&] { return upper.window().inputShape().value_or(std::vector<QRect>{}) == last; }));
}

}  // namespace
}  // namespace vamu::platform
