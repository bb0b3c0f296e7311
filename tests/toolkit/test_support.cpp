#include "toolkit/test_support.h"

#include "platform/qt_test_app.h"
#include "platform/system.h"
#include "platform/ui_thread.h"
#include "toolkit/controls/paint.h"
#include "toolkit/engine.h"
#include "toolkit/toolkit.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPainter>

#include <gtest/gtest.h>

#include <charconv>
#include <vector>

namespace vamu::toolkit::test {
namespace {

class QtEnvironment : public vamu::test::QtTestEnvironment {
protected:
    void started() override {
        toolkitStartup();
        engine::selectResourcePack(&theme());
    }
};

const bool kRegistered = [] {
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);
    return true;
}();

std::vector<long long> numberList(std::string_view text) {
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

}  // namespace

const std::string* TestTheme::overridden(std::string_view element, std::string_view attribute) const {
    const auto it = m_overrides.find(std::string(element) + "." + std::string(attribute));
    return it == m_overrides.end() ? nullptr : &it->second;
}

std::optional<std::string> TestTheme::text(std::string_view element, std::string_view attribute) const {
    if (const std::string* value = overridden(element, attribute)) return *value;
    return builtinThemePack()->text(element, attribute);
}

std::optional<QRect> TestTheme::rect(std::string_view element, std::string_view attribute) const {
    if (const std::string* value = overridden(element, attribute)) {
        const auto v = numberList(*value);
        if (v.size() != 4) return std::nullopt;
        return QRect(static_cast<int>(v[0]), static_cast<int>(v[1]), static_cast<int>(v[2]), static_cast<int>(v[3]));
    }
    return builtinThemePack()->rect(element, attribute);
}

std::optional<QRectF> TestTheme::rectF(std::string_view element, std::string_view attribute) const {
    if (overridden(element, attribute)) {
        const auto r = rect(element, attribute);
        if (!r) return std::nullopt;
        return QRectF(r->x(), r->y(), r->width(), r->height());
    }
    return builtinThemePack()->rectF(element, attribute);
}

std::optional<long long> TestTheme::number(std::string_view element, std::string_view attribute) const {
    if (const std::string* value = overridden(element, attribute)) {
        const auto v = numberList(*value);
        if (v.size() != 1) return std::nullopt;
        return v[0];
    }
    return builtinThemePack()->number(element, attribute);
}

std::optional<std::vector<long long>> TestTheme::numbers(std::string_view element, std::string_view attribute) const {
    if (const std::string* value = overridden(element, attribute)) {
        auto v = numberList(*value);
        if (v.empty()) return std::nullopt;
        return v;
    }
    return builtinThemePack()->numbers(element, attribute);
}

std::optional<std::vector<std::uint32_t>> TestTheme::colours(std::string_view element,
                                                             std::string_view attribute) const {
    if (overridden(element, attribute)) {
        const auto v = numbers(element, attribute);
        if (!v) return std::nullopt;
        std::vector<std::uint32_t> result;
        for (long long n : *v) result.push_back(static_cast<std::uint32_t>(n));
        return result;
    }
    return builtinThemePack()->colours(element, attribute);
}

QByteArray encodeImage(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

QByteArray solidPng(QSize size, QRgb colour) {
    QImage image(size, QImage::Format_ARGB32);
    image.fill(QColor::fromRgba(colour));
    return encodeImage(image);
}

QRgb skinPixel(std::string_view section, std::uint32_t state, QSize size, QPoint at, QRgb background) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(QColor::fromRgba(background));
    {
        QPainter painter(&image);
        paint::drawSkinState(painter, &theme(), section, QRectF(QPointF(0, 0), QSizeF(size)), state, "gird",
                             paint::fill::kStretch);
    }
    return image.pixelColor(at).rgba();
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
    return vamu::test::pumpUntil(condition, static_cast<int>(deadline.count()));
}

TestHost::TestHost(const HostSetup& setup) : m_host(std::make_unique<HostWindow>()) {
    WindowSetup window;
    window.owner = setup.owner;
    window.left = setup.position.x();
    window.top = setup.position.y();
    window.size = setup.size;
    window.sizable = setup.sizable;
    const platform::WindowHandle handle = createNativeWindow(window);
    AttachOptions options;
    options.owner = setup.owner;
    options.alpha = setup.alpha;
    options.captionFlags = setup.captionFlags;
    options.backgroundColour = setup.colour;
    options.shadow = setup.shadow;
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
