#include "toolkit/message_box.h"

#include "platform/application.h"
#include "platform/modal.h"
#include "platform/system.h"
#include "platform/ui_thread.h"
#include "toolkit/controls/button.h"
#include "toolkit/controls/image_box.h"
#include "toolkit/controls/label.h"
#include "toolkit/controls/paint.h"
#include "toolkit/controls/surface.h"
#include "toolkit/controls/text_paint.h"
#include "toolkit/controls/thunder_button.h"
#include "toolkit/engine.h"
#include "toolkit/host_window.h"
#include "toolkit/theme_pack.h"
#include "toolkit/message_box_layout.h"
#include "toolkit/theme_names.h"
#include "toolkit/toolkit.h"

#include <algorithm>
#include <optional>
#include <string>

namespace vamu::toolkit {
namespace {

// The box's own skin when its owner has none: a Windows colour value (red 51,
// green 153, blue 255) at alpha 210.
constexpr long long kOwnColour = 16750899;
constexpr int kOwnAlpha = 210;

struct SetButton {
    QString text;
    int result = message_result::kCancel;
};

// Right to left.
std::vector<SetButton> buttonSet(MessageButtons set) {
    using namespace message_result;
    const QString ok = QStringLiteral("确认");
    const QString cancel = QStringLiteral("取消");
    const QString retry = QStringLiteral("重试");
    const QString yes = QStringLiteral("是(&Y)");
    const QString no = QStringLiteral("否(&N)");
    switch (set) {
    case MessageButtons::Ok:
        return {{ok, kOk}};
    case MessageButtons::OkCancel:
        return {{cancel, kCancel}, {ok, kOk}};
    case MessageButtons::AbortRetryIgnore:
        return {{QStringLiteral("忽略"), kIgnore}, {retry, kRetry}, {QStringLiteral("放弃"), kAbort}};
    case MessageButtons::YesNoCancel:
        return {{cancel, kCancel}, {no, kNo}, {yes, kYes}};
    case MessageButtons::YesNo:
        return {{no, kNo}, {yes, kYes}};
    case MessageButtons::RetryCancel:
        return {{cancel, kCancel}, {retry, kRetry}};
    }
    return {{ok, kOk}};
}

int themeNumber(const ThemePack* theme, std::string_view element, std::string_view key) {
    return static_cast<int>(engine::getPackNumber(theme, element, key).value_or(0));
}

QRect themeRect(const ThemePack* theme, std::string_view element, std::string_view key) {
    return engine::getPackRect(theme, element, key).value_or(QRect());
}

// The frame element is the one the box's host window will read: owned windows take
// the sub-window frame.
MessageBoxMetrics metricsOf(const ThemePack* theme, bool owned) {
    const std::string_view frame = owned ? theme::kSubWindowShadow : theme::kHostWindowShadow;
    const QRect margin = themeRect(theme, frame, theme::kMargin);
    MessageBoxMetrics metrics;
    metrics.marginLeft = margin.x();
    metrics.marginTop = margin.y();
    metrics.marginRight = margin.width();
    metrics.marginBottom = margin.height();
    metrics.captionHeight = themeNumber(theme, frame, theme::kCaptionHeight);
    metrics.barHeight = themeNumber(theme, theme::kMessageBox, theme::kBarHeight);
    metrics.headHeight = themeRect(theme, theme::kMessageBox, theme::kBlockSize).width();
    metrics.iconSize = themeRect(theme, theme::kMessageBox, theme::kIconSize).size();
    return metrics;
}

QSizeF measureText(const QString& text, int wrapWidth) {
    constexpr double kUnbounded = 1.0e6;
    paint::TextFormat format;
    format.wrap = true;  // at the width given, and always at line breaks
    return paint::measureText(QRectF(0, 0, wrapWidth < 0 ? kUnbounded : wrapWidth, kUnbounded), text, toolkitFont(),
                              format);
}

// The theme's "MsgBox" strip under the controls: its first column stretched over the
// head band (the caption and the top of the body), the body and the button bar.
void paintStrip(QPainter& painter, QSize size, const HostWindow& box) {
    const ThemePack* theme = box.theme();
    const std::optional<engine::PackImageRect> strip =
        engine::getPackImageRect(theme, theme::kMessageBox, theme::kRect);
    const QImage* atlas = engine::getPackImage(theme, strip ? strip->imageIndex : 0);
    if (!strip || !atlas) return;
    const QImage& picture = paint::atlasFor(theme, *atlas, painter);
    const QRect source = strip->rect.toAlignedRect();
    const QRect blocks = themeRect(theme, theme::kMessageBox, theme::kBlockSize);
    const int head = blocks.width();
    const int bar = blocks.height();
    const int barHeight = themeNumber(theme, theme::kMessageBox, theme::kBarHeight);
    const Frame& frame = box.frame();
    const int contentWidth = size.width() - frame.marginLeft + frame.marginRight;
    const int contentBottom = size.height() + frame.marginBottom;
    struct Band {
        int sourceTop, sourceHeight;
        QRect target;
    };
    const Band bands[] = {
        {0, head, QRect(frame.marginLeft, frame.marginTop, contentWidth, head)},
        {source.height() - bar, bar - 1, QRect(frame.marginLeft, contentBottom - barHeight, contentWidth, barHeight)},
        {head, source.height() - head - bar,
         QRect(frame.marginLeft, frame.marginTop + head, contentWidth,
               contentBottom - frame.marginTop - head - barHeight)},
    };
    for (const Band& band : bands) {
        if (band.sourceHeight <= 0 || band.target.width() <= 0 || band.target.height() <= 0) continue;
        // A copy of the column, so that stretching never reaches its neighbours in the atlas.
        const QImage column =
            surface::copyPart(picture, QRect(source.x(), source.y() + band.sourceTop, 1, band.sourceHeight));
        painter.drawImage(QRectF(band.target), column);
    }
}

std::vector<HostWindow*>& openBoxes() {
    static std::vector<HostWindow*> boxes;
    return boxes;
}

std::function<void(int)>& soundSlot() {
    static std::function<void(int)> sound = [](int) { platform::beep(); };
    return sound;
}

class OpenBox {
public:
    explicit OpenBox(HostWindow& box) : m_box(&box) { openBoxes().push_back(m_box); }
    ~OpenBox() { std::erase(openBoxes(), m_box); }
    OpenBox(const OpenBox&) = delete;
    OpenBox& operator=(const OpenBox&) = delete;

private:
    HostWindow* m_box;
};

// The theme's icon region of "MsgBox" ("m16", "m64", ...); null when it has none.
// From the high-resolution atlas on a screen with a ratio above 1.
QImage iconPicture(const ThemePack* theme, int icon, qreal ratio) {
    const std::string region = "m" + std::to_string(icon);
    const std::optional<engine::PackImageRect> source = engine::getPackImageRect(theme, theme::kMessageBox, region);
    const QImage* atlas = engine::getPackImage(theme, source ? source->imageIndex : 0);
    if (!source || !atlas) return QImage();
    const QImage* high = ratio > 1.0 && atlas == &theme->atlas() ? theme->highResolutionAtlas() : nullptr;
    return surface::copyPart(high ? *high : *atlas, source->rect.toAlignedRect());
}

void buildControls(HostWindow& box, const QString& text, const MessageBoxOptions& options,
                   const MessageBoxLayout& layout, int& result) {
    LabelSetup look;
    look.text = text;
    QRect textRect = layout.textArea;
    if (layout.lowText && text.contains(QLatin1Char('\n'))) {
        // Short lines of their own: wrapped (which keeps the breaks) in a block
        // centred on the area, as one line would be.
        const int height = std::min(layout.textSize.height() + 4, textRect.height());
        textRect = QRect(textRect.x(), textRect.y() + (textRect.height() - height) / 2, textRect.width(), height);
        look.autoCutLine = true;
    } else {
        look.autoCutLine = !layout.lowText;
    }
    if (Label* label = Label::create(box, textRect, look)) label->setLockPos(true, true, true, true);
    if (options.icon != message_icon::kNone && !layout.icon.isEmpty()) {
        const QImage picture = iconPicture(box.theme(), options.icon, box.devicePixelRatio());
        if (ImageBox* icon = ImageBox::create(box, layout.icon); icon && !picture.isNull()) icon->setPicture(picture);
    }
    std::vector<SetButton> buttons = buttonSet(options.buttons);
    for (std::size_t i = 0; i < buttons.size() && i < options.buttonTexts.size(); ++i) {
        buttons[i].text = options.buttonTexts[i];
    }
    Button* focus = nullptr;
    for (std::size_t i = 0; i < buttons.size() && i < layout.buttons.size(); ++i) {
        toolkit::ButtonSetup face;
        face.text = buttons[i].text;
        Button* button = options.animatedButtons ? ThunderButton::create(box, layout.buttons[i], face)
                                                 : Button::create(box, layout.buttons[i], face);
        if (!button) continue;
        button->setLockPos(false, false, true, true);
        const int value = buttons[i].result;
        button->bindClick([&result, &box, value](const Event&) {
            result = value;
            box.close();
            return false;
        });
        if (value == options.defaultResult) focus = button;
    }
    if (focus) focus->setFocus();
}

int runMessageBox(platform::WindowHandle owner, const QString& text, const MessageBoxOptions& options,
                  std::stop_token stop) {
    const platform::NativeWindow* ownerWindow = platform::NativeWindow::find(owner);
    if (!ownerWindow) owner = {};
    const HostWindow* ownerHost = HostWindow::fromWindow(owner);
    const ThemePack* theme = ownerHost ? ownerHost->theme() : engine::currentResourcePack();

    MessageBoxRequest request;
    request.workArea = platform::workArea();
    request.base = ownerWindow ? ownerWindow->geometry() : request.workArea;
    request.width = options.width;
    request.hasIcon = options.icon != message_icon::kNone;
    request.buttonCount = static_cast<int>(buttonSet(options.buttons).size());
    const MessageBoxLayout layout = layoutMessageBox(request, metricsOf(theme, static_cast<bool>(owner)),
                                                     [&text](int wrapWidth) { return measureText(text, wrapWidth); });

    WindowSetup place;
    place.owner = owner;
    place.title = options.title;
    place.left = layout.window.x();
    place.top = layout.window.y();
    place.size = layout.window.size();
    place.inTaskBar = true;
    place.style = 0;
    const platform::WindowHandle window = createNativeWindow(place);
    HostWindow box;
    AttachOptions attach;
    attach.owner = owner;
    attach.captionFlags = caption::kTitle | caption::kClose;
    if (!ownerHost) {
        attach.backgroundColour = kOwnColour;
        attach.alpha = kOwnAlpha;
    }
    if (!box.attach(window, attach)) {
        platform::NativeWindow::destroy(window);
        return message_result::kCancel;
    }
    const OpenBox open(box);
    box.setCloseOnEscape(true);
    if (options.paintBackground)
        box.setPaintHook(options.paintBackground);
    else
        box.setPaintHook([&box](QPainter& painter, QSize size) { paintStrip(painter, size, box); });
    box.repaintBackground(Redraw::No);

    int result = message_result::kCancel;
    buildControls(box, text, options, layout, result);

    platform::MessageLoop loop;
    bool ended = false;
    const auto end = [&] {
        if (ended) return;
        ended = true;
        loop.quit();
    };
    // The box stays until the loop is over; its close request and its destruction
    // (by anybody) both end the loop.
    box.bindClose([&end](const Event&) {
        end();
        return true;
    });
    box.bindDestroyed([&end](const Event&) {
        end();
        return false;
    });
    const auto abandon = [window] { platform::post(window, Message{msg::kClose, 0, 0}); };
    std::optional<std::stop_callback<decltype(abandon)>> onStop;
    if (stop.stop_possible()) onStop.emplace(stop, abandon);

    if (options.beforeShow) options.beforeShow(box, box.width(), box.height());
    const platform::ModalScope modal(window);
    // The owner's controls lose their hover look: its input stops here.
    if (owner) platform::send(owner, Message{msg::kMouseLeave, 0, 0});
    if (!ended) {
        box.show();
        if (platform::NativeWindow* native = box.nativeWindow()) native->activate();
        if (options.icon != message_icon::kNone && soundSlot()) soundSlot()(options.icon);
        loop.run();
    }
    onStop.reset();
    box.destroyWindow();
    return result;
}

}  // namespace

int messageBox(platform::WindowHandle owner, const QString& text, const MessageBoxOptions& options,
               std::stop_token stop) {
    if (platform::isUiThread()) return runMessageBox(owner, text, options, stop);
    const std::optional<std::intptr_t> answer = platform::sendCall(
        [owner, text, options, stop]() -> std::intptr_t {
            // A worker that gave up before the UI thread came to its box gets none.
            if (stop.stop_requested()) return message_result::kCancel;
            return runMessageBox(owner, text, options, stop);
        },
        stop);
    return answer ? static_cast<int>(*answer) : message_result::kCancel;
}

HostWindow* currentMessageBox() { return openBoxes().empty() ? nullptr : openBoxes().back(); }

bool isMessageBox(const HostWindow& window) { return std::ranges::find(openBoxes(), &window) != openBoxes().end(); }

void setMessageBoxSound(std::function<void(int icon)> sound) { soundSlot() = std::move(sound); }

}  // namespace vamu::toolkit
