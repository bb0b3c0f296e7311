#include "toolkit/test_support.h"

#include "platform/system.h"
#include "platform/ui_thread.h"
#include "toolkit/engine.h"
#include "toolkit/toolkit.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPainter>

#include <gtest/gtest.h>

#include <charconv>
#include <vector>

namespace vamu::toolkit::test {
namespace {

class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "vamu_tests";
        static char* argv[] = {name, nullptr};
        m_app = std::make_unique<QGuiApplication>(argc, argv);
        toolkitStartup();
        engine::selectResourcePack(&theme());
    }
    void TearDown() override {
        QCoreApplication::processEvents();
        platform::shutdown();
        m_app.reset();
    }

private:
    std::unique_ptr<QGuiApplication> m_app;
};

const bool kRegistered = [] {
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);
    return true;
}();

std::vector<long long> numbers(std::string_view text) {
    std::vector<long long> values;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find(',', start), text.size());
        long long value = 0;
        if (std::from_chars(text.data() + start, text.data() + end, value).ec != std::errc()) return {};
        values.push_back(value);
        start = end + 1;
    }
    return values;
}

void fill(QImage& atlas, const QRect& rect, QRgb colour) {
    QPainter painter(&atlas);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(rect, QColor::fromRgba(colour));
}

}  // namespace

TestTheme::TestTheme() : m_atlas(395, 160, QImage::Format_ARGB32_Premultiplied) {
    const std::map<std::string, std::map<std::string, std::string, std::less<>>> table{
        {"SysShadow.HostWnd", {{"rect", "75,95,30,18"}, {"gird", "9,8,12,2"}, {"margin", "4,3,-4,-5"},
                               {"rectround", "3"}, {"crborder", "1358954496,872415231"}, {"cycaption", "26"}}},
        {"SysShadow.SubWnd", {{"rect", "75,95,30,18"}, {"gird", "9,8,12,2"}, {"margin", "4,3,-4,-5"},
                              {"rectround", "3"}, {"crborder", "1358954496,872415231"}, {"cycaption", "26"}}},
        {"SysButton", {{"top", "0"}, {"offsetright", "-1"}}},
        {"SysButton.Close", {{"size", "0,0,39,19"}, {"normal", "0,1,39,19"}, {"highlight", "40,1,39,19"}, {"down", "80,1,39,19"}}},
        {"SysButton.Max", {{"size", "0,0,28,19"}, {"normal", "120,1,28,19"}, {"highlight", "149,1,28,19"}, {"down", "178,1,28,19"}}},
        {"SysButton.Restore", {{"size", "0,0,28,19"}, {"normal", "207,1,28,19"}, {"highlight", "236,1,28,19"}, {"down", "265,1,28,19"}}},
        {"SysButton.Min", {{"size", "0,0,28,19"}, {"normal", "294,1,28,19"}, {"highlight", "323,1,28,19"}, {"down", "352,1,28,19"}}},
        {"SysButton.Menu", {{"size", "0,0,28,19"}, {"normal", "0,21,28,19"}, {"highlight", "29,21,28,19"}, {"down", "58,21,28,19"}}},
        {"SysButton.Skn", {{"size", "0,0,28,19"}, {"normal", "87,21,28,19"}, {"highlight", "116,21,28,19"}, {"down", "145,21,28,19"}}},
        {"SysButton.Report", {{"size", "0,0,28,19"}, {"normal", "174,21,28,19"}, {"highlight", "203,21,28,19"}, {"down", "232,21,28,19"}}},
        {"SysButton.Setting", {{"size", "0,0,28,19"}, {"normal", "261,21,28,19"}, {"highlight", "290,21,28,19"}, {"down", "319,21,28,19"}}},
        {"Button", {{"normal", "0,42,69,24"}, {"highlight", "69,42,69,24"}, {"down", "138,42,69,24"},
                    {"focus", "207,42,69,24"}, {"gird", "4,3,61,16"}, {"margin", "3,3,-3,-5"}}},
        {"CheckButton", {{"size", "0,0,17,17"}, {"normal", "0,70,17,17"}, {"normal_ck", "54,70,17,17"}, {"filltype", "2"}}},
    };
    for (const auto& [element, attributes] : table) {
        for (const auto& [attribute, value] : attributes) m_values[element][attribute] = value;
    }
    m_atlas.fill(Qt::transparent);
    for (const auto& [element, attributes] : table) {
        if (element.rfind("SysButton.", 0) != 0) continue;
        const auto& a = attributes;
        const auto region = [&](const char* key) {
            const auto v = numbers(a.at(key));
            return QRect(static_cast<int>(v[0]), static_cast<int>(v[1]), static_cast<int>(v[2]), static_cast<int>(v[3]));
        };
        fill(m_atlas, region("normal"), kButtonNormal);
        fill(m_atlas, region("highlight"), kButtonHighlight);
        fill(m_atlas, region("down"), kButtonDown);
    }
    fill(m_atlas, QRect(75, 95, 30, 18), kShadow);
    fill(m_atlas, QRect(0, 42, 69, 24), 0xFFC0C0C0);
    fill(m_atlas, QRect(69, 42, 69, 24), 0xFFD0E0F0);
    fill(m_atlas, QRect(138, 42, 69, 24), 0xFF90A0B0);
}

std::optional<std::string> TestTheme::text(std::string_view element, std::string_view attribute) const {
    const auto e = m_values.find(element);
    if (e == m_values.end()) return std::nullopt;
    const auto a = e->second.find(attribute);
    if (a == e->second.end()) return std::nullopt;
    return a->second;
}

std::optional<QRect> TestTheme::rect(std::string_view element, std::string_view attribute) const {
    const auto value = text(element, attribute);
    if (!value) return std::nullopt;
    const auto v = numbers(*value);
    if (v.size() != 4) return std::nullopt;
    return QRect(static_cast<int>(v[0]), static_cast<int>(v[1]), static_cast<int>(v[2]), static_cast<int>(v[3]));
}

std::optional<QRectF> TestTheme::rectF(std::string_view element, std::string_view attribute) const {
    const auto r = rect(element, attribute);
    if (!r) return std::nullopt;
    return QRectF(r->x(), r->y(), r->width(), r->height());
}

std::optional<long long> TestTheme::number(std::string_view element, std::string_view attribute) const {
    const auto value = text(element, attribute);
    if (!value) return std::nullopt;
    const auto v = numbers(*value);
    if (v.size() != 1) return std::nullopt;
    return v[0];
}

TestTheme& theme() {
    static TestTheme instance;
    return instance;
}

void pump(std::chrono::milliseconds duration) {
    platform::waitPumping(duration);
    QCoreApplication::processEvents();
}

bool pumpUntil(const std::function<bool()>& condition, std::chrono::milliseconds deadline) {
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > deadline.count()) return false;
        platform::waitPumping(std::chrono::milliseconds(5));
    }
    return true;
}

TestHost::TestHost(const HostSpec& spec) : m_host(std::make_unique<HostWindow>()) {
    WindowSpec window;
    window.owner = spec.owner;
    window.left = 100;
    window.top = 100;
    window.size = spec.size;
    window.sizable = spec.sizable;
    const platform::WindowHandle handle = createNativeWindow(window);
    AttachOptions options;
    options.owner = spec.owner;
    options.alpha = spec.alpha;
    options.captionFlags = spec.captionFlags;
    options.backgroundColour = spec.colour;
    m_host->attach(handle, options);
    m_host->show();
    pump();
}

TestHost::~TestHost() = default;

std::intptr_t TestHost::send(platform::MessageId id, std::uintptr_t wParam, std::intptr_t lParam) {
    return native().deliver(platform::Message{id, wParam, lParam});
}

void TestHost::move(QPoint p) { send(platform::msg::kMouseMove, 0, platform::packPoint(p.x(), p.y())); }
void TestHost::press(QPoint p) {
    move(p);
    send(platform::msg::kLeftDown, platform::mouse_keys::kLeft, platform::packPoint(p.x(), p.y()));
}
void TestHost::release(QPoint p) { send(platform::msg::kLeftUp, 0, platform::packPoint(p.x(), p.y())); }
void TestHost::click(QPoint p) {
    press(p);
    release(p);
}
void TestHost::key(int virtualKey) {
    send(platform::msg::kKeyDown, static_cast<std::uintptr_t>(virtualKey), 1);
    send(platform::msg::kKeyUp, static_cast<std::uintptr_t>(virtualKey), 1);
}

QRgb TestHost::pixel(int x, int y) {
    m_host->controls().flush();
    return m_host->backBuffer().pixelColor(x, y).rgba();
}

}  // namespace vamu::toolkit::test
