#include "toolkit/message_box_parts.h"

#include "toolkit/controls/paint.h"
#include "toolkit/controls/text_paint.h"
#include "toolkit/engine.h"
#include "toolkit/host_window.h"
#include "toolkit/theme_names.h"

#include <string>

namespace vamu::toolkit::detail {
namespace {

constexpr QRgb kTextColour = 0xFF000000;
constexpr int kHoverFrames = 8;
constexpr int kFrameInterval = 25;

class MessageText final : public BaseControl {
public:
    MessageText(QString text, bool centred) : m_text(std::move(text)), m_centred(centred) {}

protected:
    void onPaint(QPainter& painter, const PaintContext& context) override {
        paint::TextFormat format;
        format.wrap = true;
        format.alignment = Qt::AlignLeft | (m_centred ? Qt::AlignVCenter : Qt::AlignTop);
        paint::drawText(painter, QRectF(context.whole).adjusted(2, 2, -2, -2), m_text, font(), kTextColour, format);
    }

private:
    QString m_text;
    bool m_centred = false;
};

class MessagePicture final : public BaseControl {
public:
    explicit MessagePicture(std::string region) : m_region(std::move(region)) {}

protected:
    void onPaint(QPainter& painter, const PaintContext& context) override {
        if (!host()) return;
        paint::drawSkinImage(painter, host()->theme(), theme::kMessageBox, QRectF(context.whole), m_region, "",
                             paint::fill::kStretch);
    }

private:
    std::string m_region;
};

// The theme's "Button" skin with its text centred in the skin's margin; hover and
// leave cross-fade over 8 frames of 25 ms, presses switch at once.
class MessageButton final : public BaseControl {
public:
    MessageButton(QString text, std::function<void()> clicked) : m_text(std::move(text)), m_clicked(std::move(clicked)) {}

protected:
    void onCreate(int) override {
        const qsizetype at = m_text.indexOf('&');
        if (at >= 0 && at + 1 < m_text.size() && host()) {
            host()->send(Message{tkm::kSetMnemonic, m_text.at(at + 1).toUpper().unicode(),
                                 static_cast<std::intptr_t>(handle().value)});
        }
    }
    void onPaint(QPainter& painter, const PaintContext& context) override {
        if (!host()) return;
        std::uint32_t look = state() & (state::kHot | state::kPressed | state::kFocused);
        if (look & state::kPressed) look = state::kPressed;
        paint::drawSkinState(painter, host()->theme(), theme::kButton, QRectF(context.whole), look);
        paint::TextFormat format;
        format.alignment = Qt::AlignCenter;
        format.prefix = paint::HotkeyPrefix::Show;
        const QRectF text = QRectF(layoutRect()).translated(look == state::kPressed ? QPointF(1, 1) : QPointF());
        paint::drawText(painter, text, m_text, font(), kTextColour, format);
    }
    QRect adjustFocusRect(const QRect&) const override { return layoutRect(); }
    void onMouseEnter(ControlHandle) override { fade(); }
    void onMouseLeave(ControlHandle) override { fade(); }
    void onFocusOut(ControlHandle) override { fade(); }
    void onFocusIn(ControlHandle, bool) override { fade(); }
    void onLeftDown(QPoint, int) override { jump(); }
    void onLeftUp(QPoint, int) override { jump(); }
    void onAnimationEnd() override { setAnimationFramesAndTimer(0, 0); }
    void onClick(QPoint, int) override {
        const auto clicked = m_clicked;  // the click may close the box and free this button
        if (clicked) clicked();
    }

private:
    // The skin's "margin" added to the control rectangle: where text and focus go.
    QRect layoutRect() const {
        const QRect margin = engine::getPackRect(host() ? host()->theme() : nullptr, theme::kButton, theme::kMargin)
                                 .value_or(QRect());
        return QRect(margin.x(), margin.y(), width() + margin.width() - margin.x(),
                     height() + margin.height() - margin.y());
    }
    void fade() {
        setAnimationFramesAndTimer(kHoverFrames, kFrameInterval);
        redraw();
    }
    void jump() {
        setAnimationFramesAndTimer(0, 0);
        redraw();
    }

    QString m_text;
    std::function<void()> m_clicked;
};

}  // namespace

BaseControl* makeMessageText(HostWindow& box, const QRect& area, const QString& text, bool centred) {
    CreateOptions options;
    options.focusable = false;
    options.mouseTrack = false;
    options.tabStop = false;
    options.drawTabStop = false;
    return BaseControl::create(std::make_unique<MessageText>(text, centred), box, area, kind::kLabel, "Label",
                               options);
}

BaseControl* makeMessagePicture(HostWindow& box, const QRect& rect, std::string_view region) {
    CreateOptions options;
    options.focusable = false;
    options.mouseTrack = false;
    options.tabStop = false;
    options.drawTabStop = false;
    return BaseControl::create(std::make_unique<MessagePicture>(std::string(region)), box, rect, kind::kImageBox,
                               "ImageBox", options);
}

BaseControl* makeMessageButton(HostWindow& box, const QRect& rect, const QString& text, bool animated,
                               std::function<void()> clicked) {
    CreateOptions options;
    options.animationInterval = kFrameInterval;
    // The animated look belongs to the thunder button class; until it is in the
    // toolkit both kinds share the skinned button.
    (void)animated;
    return BaseControl::create(std::make_unique<MessageButton>(text, std::move(clicked)), box, rect, kind::kButton,
                               "Button", options);
}

}  // namespace vamu::toolkit::detail
