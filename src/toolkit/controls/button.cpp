#include "toolkit/controls/button.h"

#include "toolkit/accessibility.h"
#include "toolkit/controls/class_names.h"
#include "toolkit/controls/control_text.h"
#include "toolkit/controls/paint.h"
#include "toolkit/engine.h"
#include "toolkit/host_window.h"
#include "toolkit/theme_names.h"

namespace vamu::toolkit {
namespace {

constexpr int kFadeFrames = 8;
constexpr int kFrameInterval = 25;
// An empty text is measured as this character, so the layout keeps a line's height.
constexpr char16_t kLineProbe = u'\u6CC6';

int truncated(double value) { return static_cast<int>(value); }

}  // namespace

ButtonLayout layoutButton(const QRect& area, QSize icon, QSizeF text, int iconFlag, QPoint offset, int splitter) {
    const double lx = area.x();
    const double ly = area.y();
    const double lw = area.width();
    const double lh = area.height();
    const int iw = icon.width();
    const int ih = icon.height();
    const double tw = text.width();
    const double th = text.height();
    const int ox = offset.x();
    const int oy = offset.y();
    const int sp = splitter;
    const auto rect = [](double x, double y, double w, double h) {
        return QRect(truncated(x), truncated(y), truncated(w), truncated(h));
    };
    const double rowX = lx + (lw - (iw + sp + tw)) / 2 + ox;
    const double iconMiddleY = ly + (lh - ih) / 2 + oy;
    const double textMiddleY = ly + (lh - th) / 2 + oy;
    ButtonLayout layout;
    switch (iconFlag) {
    case 0:
        layout.icon = rect(rowX, iconMiddleY, iw, ih);
        layout.text = rect(layout.icon.x() + iw + sp, textMiddleY - 1, tw, th);
        break;
    case 1:
        layout.text = rect(rowX, textMiddleY, tw, th);
        layout.icon = rect(layout.text.x() + layout.text.width() + sp, iconMiddleY, iw, ih);
        break;
    case 2:
        layout.icon = rect(lx + (lw - iw) / 2 + ox, ly + (lh - ih - sp - th) / 2 + oy, iw, ih);
        layout.text = rect(lx + (lw - tw) / 2 + ox, layout.icon.y() + ih + sp, tw, th);
        break;
    case 3:
        layout.icon = rect(lx + (lw - iw) / 2 + ox, iconMiddleY, iw, ih);
        layout.text = rect(lx + (lw - tw) / 2 + ox, textMiddleY, tw, th);
        break;
    case 4:
        layout.icon = rect(lx + ox, iconMiddleY, iw, ih);
        layout.text = rect(layout.icon.x() + iw + sp, textMiddleY, lw - iw - sp - ox, th);
        break;
    case 5:
        layout.text = rect(lx + ox, textMiddleY, lw - iw - sp - ox, th);
        layout.icon = rect(layout.text.x() + layout.text.width() + sp, iconMiddleY, iw, ih);
        break;
    case 6:
        layout.icon = rect(lx + (lw - iw) / 2 + ox, ly + oy, iw, ih);
        layout.text = rect(lx + (lw - tw) / 2 + ox, layout.icon.y() + ih + sp, tw + 5, th);
        break;
    default:
        layout.text = area;
        break;
    }
    return layout;
}

paint::TextFormat buttonTextFormat() {
    paint::TextFormat format;
    format.alignment = Qt::AlignLeft | Qt::AlignTop;
    format.prefix = paint::HotkeyPrefix::Show;
    return format;
}

Button* Button::create(ControlParent parent, const QRect& rect, const ButtonSetup& setup) {
    return createAs(std::unique_ptr<Button>(new Button), parent, rect, setup, kind::kButton, names::kButton);
}

CreateOptions Button::options(const ButtonSetup& setup, bool drawTabStop) {
    CreateOptions options;
    options.visible = setup.visible;
    options.focusable = true;
    options.mouseTrack = true;
    options.drawTabStop = drawTabStop;
    options.animationInterval = kFrameInterval;
    return options;
}

void Button::takeSpec(const ButtonSetup& setup) {
    m_text = setup.text;
    m_textColour = setup.textColour;
    m_effectColour = setup.effectColour;
    m_icon = setup.icon;
    m_format = buttonTextFormat();
    m_createFont = requestedFont(setup.fontName, setup.fontSize, setup.fontStyle);
}

void Button::registerText() { registerMnemonic(*this, m_text); }

void Button::onCreate(int) {
    // The font goes in before the first paint; the base gives every control the
    // toolkit font when it is linked.
    if (m_createFont) setFont(*m_createFont, false);
    m_createFont.reset();
}

void Button::onCreated() {
    m_format = buttonTextFormat();
    m_textColour = 0xFF000000;
    m_visualState = button_state::kNormal;
    setAnimationFramesAndTimer(0, kFrameInterval);
}

const ThemePack* Button::theme() const { return host() ? host()->theme() : nullptr; }

void Button::setText(const QString& text) {
    if (text == m_text) return;
    m_text = text;
    registerText();
    redraw();
    accessibility::textChanged(*this);
}

void Button::setTextColour(QRgb colour) {
    if (colour == m_textColour) return;
    m_textColour = colour;
    redraw();
}

void Button::setTextEffect(int effect) {
    if (effect == m_textEffect) return;
    m_textEffect = effect;
    redraw();
}

void Button::setEffectColour(std::optional<QRgb> colour) {
    if (colour == m_effectColour) return;
    m_effectColour = colour;
    redraw();
}

void Button::setIcon(const QImage& icon) {
    m_icon = icon;
    m_iconBytes.clear();
    redraw();
}

void Button::setIconFlag(int flag) {
    if (flag == m_iconFlag) return;
    m_iconFlag = flag;
    redraw();
}

void Button::setLayoutOffsets(QPoint offset, int splitter) {
    if (offset == m_offset && splitter == m_splitter) return;
    m_offset = offset;
    m_splitter = splitter;
    redraw();
}

void Button::setFormat(const paint::TextFormat& format) {
    m_format = format;
    redraw();
}

void Button::paintState(std::uint32_t visualState) {
    m_visualState = visualState;
    redraw();
}

void Button::render(QPainter& painter, std::uint32_t visualState) {
    const QRect whole(0, 0, width(), height());
    QRect area = whole;
    QRect focus = whole;
    if (!paintBackground(painter, visualState)) {
        paint::drawSkinState(painter, theme(), theme::kButton, QRectF(whole), visualState);
        // The margin's right and bottom are added to the size as they are: the area
        // is not narrowed by its left and top.
        if (const auto margin = engine::getPackRect(theme(), theme::kButton, theme::kMargin)) {
            const int l = margin->x();
            const int t = margin->y();
            const int r = margin->width();
            const int b = margin->height();
            area = QRect(l, t, width() + r, height() + b);
            focus = QRect(l, t, width() + r - l, height() + b - t);
        }
    }
    m_focusRect = focus;
    const QString measured = m_text.isEmpty() ? QString(QChar(kLineProbe)) : m_text;
    QSizeF textSize = paint::measureText(QRectF(area), measured, font(), m_format);
    textSize.rwidth() += 2;
    ButtonLayout layout =
        layoutButton(area, m_icon.isNull() ? QSize() : m_icon.size(), textSize, m_iconFlag, m_offset, m_splitter);
    if (visualState == button_state::kPressed) {
        layout.icon.translate(1, 1);
        layout.text.translate(1, 1);
    }
    afterDraw(painter, layout, visualState);
    if (!m_icon.isNull() && !layout.icon.isEmpty()) painter.drawImage(layout.icon, m_icon);
    if (!m_text.isEmpty()) {
        paint::ClipScope clip(painter, QRectF(layout.text));
        if (!paintText(painter, layout.text)) {
            paint::drawText(painter, QRectF(layout.text), m_text, font(), m_textColour, m_format, m_textEffect,
                            m_effectColour);
        }
    }
    m_lastLayout = layout;
}

void Button::onPaint(QPainter& painter, const PaintContext&) { render(painter, m_visualState); }

QRect Button::adjustFocusRect(const QRect& rect) const { return m_focusRect.isNull() ? rect : m_focusRect; }

std::intptr_t Button::classProc(const Message& message) {
    switch (message.id) {
    case tkm::kPaintState:
        redraw();
        return 1;
    case msg::kSetText:
        if (const auto* text = reinterpret_cast<const QString*>(message.lParam)) setText(*text);
        return 1;
    default:
        return BaseControl::classProc(message);
    }
}

void Button::onMouseEnter(ControlHandle) {
    setAnimationFramesAndTimer(kFadeFrames, animationInterval());
    paintState(button_state::kHot);
}

void Button::onMouseLeave(ControlHandle) {
    setAnimationFramesAndTimer(kFadeFrames, animationInterval());
    paintState(button_state::kNormal);
}

void Button::onFocusOut(ControlHandle) {
    setAnimationFramesAndTimer(kFadeFrames, animationInterval());
    paintState(button_state::kNormal);
}

void Button::onLeftDown(QPoint, int) { paintState(button_state::kPressed); }

void Button::onLeftUp(QPoint, int) { paintState(button_state::kHot); }

void Button::onAnimationEnd() { setAnimationFramesAndTimer(0, animationInterval()); }

std::optional<PropertyValues> Button::property(std::string_view name, const PropertyValues* set) {
    const auto colour = [](const PropertyValues& v) { return static_cast<QRgb>(intArgument(v, 0)); };
    if (auto text = textProperty(name, set, m_text, [this](const QString& t) { setText(t); })) return text;
    if (name == "crText") {
        if (set) setTextColour(colour(*set));
        return PropertyValues{static_cast<long long>(m_textColour)};
    }
    if (name == "TextEffect") {
        if (set) setTextEffect(static_cast<int>(intArgument(*set, 0)));
        return PropertyValues{static_cast<long long>(m_textEffect)};
    }
    if (name == "crShadow") {
        // 0 leaves the effect colour to the text colour (automatic).
        if (set) setEffectColour(colour(*set) == 0 ? std::nullopt : std::optional<QRgb>(colour(*set)));
        return PropertyValues{static_cast<long long>(m_effectColour.value_or(0))};
    }
    if (name == "Icon") {
        if (set) {
            const QByteArray bytes = bytesArgument(*set, 0);
            setIcon(QImage::fromData(bytes));
            m_iconBytes = m_icon.isNull() ? QByteArray() : bytes;
        }
        return PropertyValues{m_iconBytes};
    }
    if (name == "IconFlag") {
        if (set) setIconFlag(static_cast<int>(intArgument(*set, 0)));
        return PropertyValues{static_cast<long long>(m_iconFlag)};
    }
    if (name == "OffsetX" || name == "OffsetY" || name == "Splitter") {
        if (set) {
            QPoint offset = m_offset;
            int splitter = m_splitter;
            const int value = static_cast<int>(intArgument(*set, 0));
            if (name == "OffsetX")
                offset.setX(value);
            else if (name == "OffsetY")
                offset.setY(value);
            else
                splitter = value;
            setLayoutOffsets(offset, splitter);
        }
        const int value = name == "OffsetX" ? m_offset.x() : name == "OffsetY" ? m_offset.y() : m_splitter;
        return PropertyValues{static_cast<long long>(value)};
    }
    return std::nullopt;
}

}  // namespace vamu::toolkit
