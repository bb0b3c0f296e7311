#pragma once
// Shared set-up of the toolkit tests: the application object on the offscreen
// platform, the built-in theme with room for a test's own values, and small helpers
// to drive host windows.

#include "platform/messages.h"
#include "platform/native_window.h"
#include "toolkit/host_window.h"
#include "toolkit/theme_pack.h"

#include <QByteArray>
#include <QImage>

#include <chrono>
#include <map>
#include <memory>
#include <string>

namespace vamu::toolkit::test {

inline constexpr int kCtrl = platform::modifier::kControl;
inline constexpr int kShift = platform::modifier::kShift;

// The built-in pack, with values a test may override.
class TestTheme final : public ThemePack {
public:
    std::optional<std::string> text(std::string_view element, std::string_view attribute) const override;
    std::optional<QRect> rect(std::string_view element, std::string_view attribute) const override;
    std::optional<QRectF> rectF(std::string_view element, std::string_view attribute) const override;
    std::optional<long long> number(std::string_view element, std::string_view attribute) const override;
    std::optional<std::vector<long long>> numbers(std::string_view element, std::string_view attribute) const override;
    std::optional<std::vector<std::uint32_t>> colours(std::string_view element,
                                                      std::string_view attribute) const override;
    const QImage& atlas() const override { return builtinThemePack()->atlas(); }
    const QImage* highResolutionAtlas() const override { return builtinThemePack()->highResolutionAtlas(); }
    std::string_view name() const override { return "test"; }
    void set(const std::string& element, const std::string& attribute, const std::string& value) {
        m_overrides[element + "." + attribute] = value;
    }
    void reset() { m_overrides.clear(); }

private:
    const std::string* overridden(std::string_view element, std::string_view attribute) const;
    std::map<std::string, std::string> m_overrides;
};

// The bytes of `image` in an image file format ("PNG", "ICO", ...).
QByteArray encodeImage(const QImage& image, const char* format = "PNG");
// A PNG picture of one colour.
QByteArray solidPng(QSize size, QRgb colour);

// What a skin state looks like drawn over an opaque background colour.
QRgb skinPixel(std::string_view section, std::uint32_t state, QSize size, QPoint at, QRgb background);

// The theme every test host uses (made current on first use).
TestTheme& theme();

// Runs the event loop for about the given time.
void pump(std::chrono::milliseconds duration = std::chrono::milliseconds(0));
// Runs the event loop until the condition holds or the deadline passes.
bool pumpUntil(const std::function<bool()>& condition, std::chrono::milliseconds deadline = std::chrono::seconds(5));

struct HostSetup {
    QSize size{400, 300};
    QPoint position{100, 100};  // screen coordinates of the window's corner
    std::optional<int> alpha = -1;
    unsigned captionFlags = 0;
    bool sizable = false;
    long long colour = 0xFFFFFF;  // Windows colour value
    platform::WindowHandle owner;
    bool shadow = true;
};

// A shown host window (at (100, 100) unless the setup says otherwise) with the test theme.
class TestHost {
public:
    explicit TestHost(const HostSetup& setup = {});
    ~TestHost();
    HostWindow& host() { return *m_host; }
    platform::NativeWindow& native() { return *m_host->nativeWindow(); }
    // Delivers a platform message as the native window would.
    std::intptr_t send(platform::MessageId id, std::uintptr_t wParam = 0, std::intptr_t lParam = 0);
    void move(QPoint windowPoint);
    void press(QPoint windowPoint);
    void release(QPoint windowPoint);
    void click(QPoint windowPoint);
    void key(int virtualKey);
    // Composes what is pending and answers the back buffer's pixel, unpremultiplied.
    QRgb pixel(int x, int y);

private:
    std::unique_ptr<HostWindow> m_host;
};

}  // namespace vamu::toolkit::test
