#include "toolkit/controls/sys_button.h"

#include "platform/ui_thread.h"
#include "toolkit/controls/class_names.h"
#include "toolkit/controls/paint.h"
#include "toolkit/engine.h"
#include "toolkit/host_window.h"
#include "toolkit/theme_names.h"

#include <array>

namespace vamu::toolkit {
namespace {

struct Kind {
    unsigned flag;
    const char* name;
};
constexpr std::array<Kind, 7> kKinds{{{caption::kClose, "Close"},
                                      {caption::kMax, "Max"},
                                      {caption::kMin, "Min"},
                                      {caption::kMenu, "Menu"},
                                      {caption::kSkin, "Skn"},
                                      {caption::kReport, "Report"},
                                      {caption::kSetting, "Setting"}}};
constexpr const char* kRestore = "Restore";
constexpr QSize kStandardSize(28, 19);
constexpr int kFadeFrames = 8;
constexpr int kFrameInterval = 25;
constexpr int kMaximised = 2;
constexpr int kMinimised = 1;

}  // namespace

SysButton* SysButton::create(ControlParent parent, unsigned buttonKind, QPoint position, bool visible) {
    CreateOptions options;
    options.visible = visible;
    options.focusable = false;
    options.tabStop = false;
    options.drawTabStop = false;
    auto button = std::unique_ptr<SysButton>(new SysButton(buttonKind));
    SysButton* raw = button.get();
    // The size needs the host's theme, which is known only once the control is linked.
    SysButton* created = BaseControl::create(std::move(button), parent, QRect(position, kStandardSize),
                                             kind::kSysButton, names::kSysButton, options);
    if (!created) return nullptr;
    const QSize size = raw->skinSize();
    if (size != kStandardSize) created->move(std::nullopt, std::nullopt, size.width(), size.height());
    return created;
}

std::string SysButton::section() const {
    const char* name = kKinds[0].name;
    for (const Kind& kind : kKinds) {
        if (kind.flag == m_buttonKind) name = kind.name;
    }
    if (m_buttonKind == caption::kMax && host() && host()->showState() == kMaximised) name = kRestore;
    return std::string(theme::kCaptionButtonPrefix) + name;
}

QSize SysButton::skinSize() const {
    const auto size = engine::getPackRect(host() ? host()->theme() : nullptr, section(), theme::kSize);
    return size && !size->size().isEmpty() ? size->size() : kStandardSize;
}

std::intptr_t SysButton::preFilter(const Message& message) {
    // Maximising or restoring resizes the window, and so does a new theme; both tell
    // every control. The maximise button then changes its picture, and a button
    // takes the new theme's size.
    if (message.id != tkm::kParentResized || !isCreated()) return 0;
    const QSize size = skinSize();
    if (size != rect().size())
        move(std::nullopt, std::nullopt, size.width(), size.height());
    else if (section() != m_paintedSection)
        redraw();
    return 0;
}

void SysButton::onPaint(QPainter& painter, const PaintContext& context) {
    if (!host()) return;
    m_paintedSection = section();
    // Held down the button shows "down" even while the mouse is over it.
    std::uint32_t look = state() & (state::kHot | state::kPressed);
    if (look & state::kPressed) look = state::kPressed;
    paint::drawSkinState(painter, host()->theme(), m_paintedSection, QRectF(context.whole), look, theme::kGrid,
                         paint::fill::kStretch);
}

void SysButton::onMouseEnter(ControlHandle) {
    setAnimationFramesAndTimer(kFadeFrames, kFrameInterval);
    redraw();
}

void SysButton::onMouseLeave(ControlHandle) {
    setAnimationFramesAndTimer(kFadeFrames, kFrameInterval);
    redraw();
}

void SysButton::onLeftDown(QPoint, int) {
    setAnimationFramesAndTimer(0, 0);
    redraw();
}

void SysButton::onLeftUp(QPoint, int) {
    setAnimationFramesAndTimer(0, 0);
    redraw();
}

void SysButton::onAnimationEnd() { setAnimationFramesAndTimer(0, 0); }

void SysButton::onThemeChanged() {
    const QSize size = skinSize();
    move(std::nullopt, std::nullopt, size.width(), size.height());
    redraw();
}

void SysButton::onClick(QPoint, int) {
    // Later, like the window commands these buttons stand for: the click's handlers
    // and the button itself are done before the window changes.
    const platform::WindowHandle window = hostWindowHandle();
    const unsigned kind = m_buttonKind;
    platform::post(window, [window, kind] {
        HostWindow* host = HostWindow::fromWindow(window);
        if (!host) return;
        switch (kind) {
        case caption::kClose:
            host->close();
            break;
        case caption::kMax:
            host->setShowState(host->showState() == kMaximised ? 0 : kMaximised);
            break;
        case caption::kMin:
            host->setShowState(host->showState() == kMinimised ? 0 : kMinimised);
            break;
        default:
            break;  // the application binds the other buttons' click
        }
    });
}

}  // namespace vamu::toolkit
