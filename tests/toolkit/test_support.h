#pragma once
// Shared set-up of the toolkit tests: the application object on the offscreen
// platform, an in-memory theme with the built-in pack's values and a picture atlas
// whose regions have known colours, and small helpers to drive host windows.

#include "platform/native_window.h"
#include "toolkit/host_window.h"
#include "toolkit/theme_pack.h"

#include <QImage>

#include <chrono>
#include <map>
#include <memory>
#include <string>

namespace vamu::toolkit::test {

// Colours of the test atlas: caption button states and the shadow picture.
inline constexpr QRgb kButtonNormal = 0xFF808080;
inline constexpr QRgb kButtonHighlight = 0xFF3080F0;
inline constexpr QRgb kButtonDown = 0xFF103070;
inline constexpr QRgb kShadow = 0x40000000;  // unpremultiplied

class TestTheme final : public ThemePack {
public:
    TestTheme();
    std::optional<std::string> text(std::string_view element, std::string_view attribute) const override;
    std::optional<QRect> rect(std::string_view element, std::string_view attribute) const override;
    std::optional<QRectF> rectF(std::string_view element, std::string_view attribute) const override;
    std::optional<long long> number(std::string_view element, std::string_view attribute) const override;
    const QImage& atlas() const override { return m_atlas; }
    std::string_view name() const override { return "test"; }
    void set(const std::string& element, const std::string& attribute, const std::string& value) {
        m_values[element][attribute] = value;
    }

private:
    std::map<std::string, std::map<std::string, std::string, std::less<>>, std::less<>> m_values;
    QImage m_atlas;
};

// The theme every test host uses (made current on first use).
TestTheme& theme();

// Runs the event loop for about the given time.
void pump(std::chrono::milliseconds duration = std::chrono::milliseconds(0));
// Runs the event loop until the condition holds or the deadline passes.
bool pumpUntil(const std::function<bool()>& condition, std::chrono::milliseconds deadline = std::chrono::seconds(5));

struct HostSpec {
    QSize size{400, 300};
    std::optional<int> alpha = -1;
    unsigned captionFlags = 0;
    bool sizable = false;
    long long colour = 0xFFFFFF;  // Windows colour value
    platform::WindowHandle owner;
};

// A shown host window at (100, 100) with the test theme.
class TestHost {
public:
    explicit TestHost(const HostSpec& spec = {});
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
