// A translucent window on a real X server with a compositor (Xvfb and xcompmgr of
// its own), clicks synthesised with xdotool: the mouse goes through the window's
// transparent pixels to the window below, and the region follows new content. Frames
// reach the server exactly as drawn, through the program's own shared memory.
// Skipped when any of the three programs is missing.
#include "platform/application.h"
#include "platform/native_window.h"
#include "platform/system.h"
#include "platform/ui_thread.h"
#include "platform/x11_shm_presenter.h"
#include "support/x_display.h"

#include <QElapsedTimer>
#include <QPainter>
#include <QWindow>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

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

// The window's pixels as the X server holds them (device pixels, premultiplied ARGB).
QImage serverPixels(const QWindow& window, QSize device) {
    xcb_connection_t* connection = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
    const auto id = static_cast<xcb_window_t>(window.winId());
    xcb_get_image_reply_t* reply = xcb_get_image_reply(
        connection,
        xcb_get_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, id, 0, 0, static_cast<std::uint16_t>(device.width()),
                      static_cast<std::uint16_t>(device.height()), ~0u),
        nullptr);
    if (!reply) return {};
    const QImage pixels(xcb_get_image_data(reply), device.width(), device.height(), device.width() * 4,
                        QImage::Format_ARGB32_Premultiplied);
    QImage copy = pixels.copy();
    std::free(reply);
    return copy;
}

// Empty when the two pictures are equal, else where and how they first differ.
std::string firstDifference(const QImage& server, const QImage& drawn) {
    if (server.size() != drawn.size()) return "the server's picture has another size (or none)";
    for (int y = 0; y < drawn.height(); ++y) {
        for (int x = 0; x < drawn.width(); ++x) {
            if (server.pixel(x, y) != drawn.pixel(x, y))
                return "at (" + std::to_string(x) + ", " + std::to_string(y) + "): server " +
                       QString::number(server.pixel(x, y), 16).toStdString() + ", drawn " +
                       QString::number(drawn.pixel(x, y), 16).toStdString();
        }
    }
    return {};
}

// A block moves in small steps at an animation's pace, each frame presenting only
// where it was and is: the server ends up with exactly the last frame, the two buffers
// took turns without a wait, and a frame that changes everything still arrives whole.
TEST(TranslucentWindow, FramesReachTheServerAsDrawnAndAnAnimationNeverWaitsForIt) {
    if (!CompositedDisplay::instance->missing().empty()) GTEST_SKIP() << CompositedDisplay::instance->missing();
    PressCounter window(QRect(320, 100, 200, 100), window_flag::kBorderless | window_flag::kLayered);
    window.showAndWait();
    QImage& buffer = window.window().backBuffer();
    const auto frame = [&](int x) {
        buffer.fill(Qt::transparent);
        QPainter painter(&buffer);
        painter.fillRect(QRect(x, 10, 30, 30), QColor(200, 40, 40, 160));  // translucent: premultiplied on the way
        painter.fillRect(QRect(0, 60, 200, 4), Qt::blue);
    };
    frame(0);
    window.window().present(QRegion(0, 0, 200, 100));
    ASSERT_NE(window.window().shmPresenter(), nullptr) << "no shared-memory presenter on X11";
    for (int x = 2; x <= 120; x += 2) {
        frame(x);
        window.window().present(QRegion(x - 2, 10, 32, 30));
        waitPumping(std::chrono::milliseconds(30));
    }
    const QSize device = buffer.size();
    EXPECT_EQ(firstDifference(serverPixels(*window.window().qtWindow(), device), buffer), "");
    EXPECT_EQ(window.window().shmPresenter()->waits(), 0);

    // Frames with no time between them: the server still gets the last one whole.
    for (int x = 120; x >= 0; x -= 20) {
        frame(x);
        window.window().present(QRegion(0, 0, 200, 100));
    }
    EXPECT_EQ(firstDifference(serverPixels(*window.window().qtWindow(), device), buffer), "");
}

TEST(MergeBands, RectanglesOfABandJoinAcrossNarrowGapsOnly) {
    QRegion region;
    region += QRect(0, 0, 10, 10);
    region += QRect(20, 0, 10, 10);   // 10 px after the first
    region += QRect(200, 0, 10, 10);  // far
    region += QRect(0, 30, 10, 5);    // another band
    const QRegion merged = mergeBands(region, 16);
    const std::vector<QRect> rects(merged.begin(), merged.end());
    EXPECT_EQ(rects, (std::vector<QRect>{QRect(0, 0, 30, 10), QRect(200, 0, 10, 10), QRect(0, 30, 10, 5)}));
    EXPECT_TRUE((merged & region) == region) << "nothing of the region is lost";
    EXPECT_TRUE(mergeBands(QRegion(), 16).isEmpty());
}

}  // namespace
}  // namespace vamu::platform
