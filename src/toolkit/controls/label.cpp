#include "toolkit/controls/label.h"

#include "toolkit/accessibility.h"
#include "toolkit/controls/class_names.h"
#include "toolkit/controls/control_text.h"
#include "toolkit/host_window.h"

#include <array>

namespace vamu::toolkit {
namespace {

constexpr int kTextInset = 2;
// A background point is dark below this luminance (0..255) when mostly opaque.
constexpr double kDarkLuminance = 128.0;

// `point` is logical; a picture with a device pixel ratio is read at the device pixel
// in the point's centre.
bool isDark(const QImage& picture, QPoint point) {
    if (const qreal ratio = picture.devicePixelRatio(); ratio != 1.0) {
        if (point.x() < 0 || point.y() < 0) return false;
        point = QPoint(static_cast<int>((point.x() + 0.5) * ratio), static_cast<int>((point.y() + 0.5) * ratio));
    }
    if (!picture.valid(point)) return false;
    const QColor colour = picture.pixelColor(point);
    if (colour.alpha() < 128) return false;
    return 0.299 * colour.red() + 0.587 * colour.green() + 0.114 * colour.blue() < kDarkLuminance;
}

}  // namespace

Label* Label::create(ControlParent parent, const QRect& rect, const LabelSetup& setup) {
    CreateOptions options;
    options.visible = setup.visible;
    options.focusable = false;
    options.mouseTrack = false;
    options.tabStop = false;
    options.drawTabStop = false;
    return createAs(std::unique_ptr<Label>(new Label), parent, rect, setup, kind::kLabel, names::kLabel, options);
}

void Label::takeSpec(const LabelSetup& setup) {
    m_text = setup.text;
    m_textColour = setup.textColour;
    m_lineType = setup.lineType;
    m_background1 = setup.background1;
    m_background2 = setup.background2;
    m_autoCutLine = setup.autoCutLine;
    m_autoSetColour = setup.autoSetColour;
    m_horzAlignMode = setup.horzAlignMode;
    m_trimming = setup.trimming;
    m_textEffect = setup.textEffect;
    m_effectColour = setup.effectColour;
    m_border = setup.border;
    m_vertAlignMode = 1;
    m_createFont = requestedFont(setup.fontName, setup.fontSize, setup.fontStyle);
}

void Label::registerText() {
    if (m_accessKeys) registerMnemonic(*this, m_text);
}

void Label::onCreate(int) {
    if (m_createFont) setFont(*m_createFont, false);
    m_createFont.reset();
}

void Label::setText(const QString& text) {
    if (text == m_text) return;
    m_text = text;
    registerText();
    redraw();
    accessibility::textChanged(*this);
}

void Label::setTextColour(QRgb colour) {
    if (colour == m_textColour) return;
    m_textColour = colour;
    redraw();
}

void Label::setBackground(int lineType, QRgb from, QRgb to) {
    m_lineType = lineType;
    m_background1 = from;
    m_background2 = to;
    redraw();
}

void Label::setBorder(long long border) {
    if (border == m_border) return;
    m_border = border;
    redraw();
}

void Label::setAutoCutLine(bool on) {
    if (on == m_autoCutLine) return;
    m_autoCutLine = on;
    redraw();
}

void Label::setAutoSetColour(bool on) {
    if (on == m_autoSetColour) return;
    m_autoSetColour = on;
    redraw();
}

void Label::setVertAlignMode(int mode) {
    if (mode == m_vertAlignMode) return;
    m_vertAlignMode = mode;
    redraw();
}

void Label::setHorzAlignMode(int mode) {
    if (mode == m_horzAlignMode) return;
    m_horzAlignMode = mode;
    redraw();
}

void Label::setTrimming(int trimming) {
    if (trimming == m_trimming) return;
    m_trimming = trimming;
    redraw();
}

void Label::setTextEffect(int effect, std::optional<QRgb> colour) {
    m_textEffect = effect;
    m_effectColour = colour;
    redraw();
}

paint::TextFormat Label::textFormat() const {
    paint::TextFormat format;
    Qt::Alignment horizontal = Qt::AlignLeft;
    if (m_horzAlignMode == 1)
        horizontal = Qt::AlignHCenter;
    else if (m_horzAlignMode == 2)
        horizontal = Qt::AlignRight;
    Qt::Alignment vertical = Qt::AlignTop;
    if (m_autoCutLine) {
        format.wrap = true;  // wrapped text starts at the top
    } else if (m_vertAlignMode == 1) {
        vertical = Qt::AlignVCenter;
    } else if (m_vertAlignMode == 2) {
        vertical = Qt::AlignBottom;
    }
    format.alignment = horizontal | vertical;
    format.ellipsis = m_trimming >= 3;
    format.prefix = m_accessKeys ? paint::HotkeyPrefix::Show : paint::HotkeyPrefix::None;
    return format;
}

bool Label::overDarkBackground(const QRect& area) const {
    if (!host()) return false;
    const QRect r = area.translated(absoluteRect().topLeft());
    const int midX = r.x() + r.width() / 2;
    const int midY = r.y() + r.height() / 2;
    const std::array<QPoint, 8> points{{{r.left(), r.top()},
                                        {r.right(), r.top()},
                                        {r.left(), r.bottom()},
                                        {r.right(), r.bottom()},
                                        {midX, r.top()},
                                        {midX, r.bottom()},
                                        {r.left(), midY},
                                        {r.right(), midY}}};
    int dark = 0;
    for (const QPoint& point : points) dark += isDark(host()->background(), point) ? 1 : 0;
    return dark > 4;
}

QRgb Label::paintedTextColour() const {
    if (!m_autoSetColour) return m_textColour;
    const int alpha = qAlpha(m_textColour);
    const QRgb black = qRgba(0, 0, 0, alpha);
    // Over a translucent window the desktop shows through: black reads best there.
    const int windowAlpha = host() ? host()->alpha() : -1;
    if (windowAlpha >= 0 && windowAlpha <= 99) return black;
    const QRect area = QRect(0, 0, width(), height()).adjusted(kTextInset, kTextInset, -kTextInset, -kTextInset);
    return overDarkBackground(area) ? qRgba(255, 255, 255, alpha) : black;
}

void Label::onPaint(QPainter& painter, const PaintContext& context) {
    const QRectF whole(context.whole);
    // The background goes first so that a border stays visible on top of it.
    if (m_lineType != -1) paint::fillGradient(painter, whole, m_background1, m_background2, m_lineType);
    if (m_border != 0) paint::drawBorder(painter, whole, m_border);
    if (m_text.isEmpty()) return;
    const QRectF area = whole.adjusted(kTextInset, kTextInset, -kTextInset, -kTextInset);
    paint::ClipScope clip(painter, area);
    paint::drawText(painter, area, m_text, font(), paintedTextColour(), textFormat(), m_textEffect, m_effectColour);
}

std::intptr_t Label::classProc(const Message& message) {
    if (message.id == msg::kSetText) {
        if (const auto* text = reinterpret_cast<const QString*>(message.lParam)) setText(*text);
        return 1;
    }
    return BaseControl::classProc(message);
}

std::optional<PropertyValues> Label::property(std::string_view name, const PropertyValues* set) {
    const auto number = [&](long long value) { return PropertyValues{value}; };
    const auto argument = [&] { return intArgument(*set, 0); };
    if (auto text = textProperty(name, set, m_text, [this](const QString& t) { setText(t); })) return text;
    if (name == "crText") {
        if (set) setTextColour(static_cast<QRgb>(argument()));
        return number(m_textColour);
    }
    if (name == "crShadow") {
        if (set)
            setTextEffect(m_textEffect,
                          argument() == 0 ? std::nullopt : std::optional<QRgb>(static_cast<QRgb>(argument())));
        return number(m_effectColour.value_or(0));
    }
    if (name == "crBackground1") {
        if (set) setBackground(m_lineType, static_cast<QRgb>(argument()), m_background2);
        return number(m_background1);
    }
    if (name == "crBackground2") {
        if (set) setBackground(m_lineType, m_background1, static_cast<QRgb>(argument()));
        return number(m_background2);
    }
    if (name == "LineType") {
        if (set) setBackground(static_cast<int>(argument()), m_background1, m_background2);
        return number(m_lineType);
    }
    if (name == "HorzAlignMode") {
        if (set) setHorzAlignMode(static_cast<int>(argument()));
        return number(m_horzAlignMode);
    }
    if (name == "VertAlignMode") {
        if (set) setVertAlignMode(static_cast<int>(argument()));
        return number(m_vertAlignMode);
    }
    if (name == "AutoCutLine") {
        if (set) setAutoCutLine(argument() != 0);
        return number(m_autoCutLine ? 1 : 0);
    }
    if (name == "TextEffect") {
        if (set) setTextEffect(static_cast<int>(argument()), m_effectColour);
        return number(m_textEffect);
    }
    if (name == "crBorder") {
        if (set) setBorder(argument());
        return number(m_border);
    }
    if (name == "AutoSetColor") {
        if (set) setAutoSetColour(argument() != 0);
        return number(m_autoSetColour ? 1 : 0);
    }
    return std::nullopt;
}

}  // namespace vamu::toolkit
