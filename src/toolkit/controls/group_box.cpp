#include "toolkit/controls/group_box.h"

#include "toolkit/accessibility.h"
#include "toolkit/controls/class_names.h"

#include <algorithm>

namespace vamu::toolkit {
namespace {

constexpr int kCaptionIndent = 8;

paint::TextFormat captionFormat() {
    paint::TextFormat format;
    format.alignment = Qt::AlignLeft | Qt::AlignTop;
    return format;
}

}  // namespace

GroupBox* GroupBox::create(ControlParent parent, const QRect& rect, const GroupBoxSetup& setup) {
    auto box = std::unique_ptr<GroupBox>(new GroupBox);
    box->m_text = setup.text;
    box->m_textColour = setup.textColour;
    box->m_border = setup.border;
    box->m_borderWidth = setup.borderWidth;
    box->m_cornerDiameter = setup.cornerDiameter;
    box->m_background = setup.background;
    box->m_align = setup.align;
    CreateOptions options;
    options.visible = setup.visible;
    options.focusable = false;
    options.tabStop = false;
    options.drawTabStop = false;
    return BaseControl::create(std::move(box), parent, rect, kind::kGroupBox, names::kGroupBox, options);
}

void GroupBox::setText(const QString& text) {
    if (text == m_text) return;
    m_text = text;
    redraw();
    accessibility::textChanged(*this);
}

void GroupBox::setColours(QRgb text, QRgb border, QRgb background) {
    m_textColour = text;
    m_border = border;
    m_background = background;
    redraw();
}

void GroupBox::setOutline(int width, int cornerDiameter) {
    m_borderWidth = width;
    m_cornerDiameter = cornerDiameter;
    redraw();
}

void GroupBox::setAlign(int align) {
    if (align == m_align) return;
    m_align = align;
    redraw();
}

void GroupBox::setTextEffect(int effect, std::optional<QRgb> colour) {
    m_textEffect = effect;
    m_effectColour = colour;
    redraw();
}

QSizeF GroupBox::captionSize() const {
    // No caption takes no room: the frame then starts at the very top.
    if (m_text.isEmpty()) return QSizeF(0, 0);
    return paint::measureText(QRectF(0, 0, width(), height()), m_text, font(), captionFormat());
}

QRect GroupBox::frameRect() const {
    const int half = static_cast<int>(captionSize().height() / 2);
    return QRect(0, half, width(), height() - half);
}

QRect GroupBox::captionRect() const {
    const QSizeF size = captionSize();
    const int w = static_cast<int>(size.width());
    int x = kCaptionIndent;
    if (m_align == 1)
        x = (width() - w) / 2;
    else if (m_align != 0)
        x = width() - kCaptionIndent - w;
    return QRect(x, 0, w, static_cast<int>(size.height()));
}

void GroupBox::onPaint(QPainter& painter, const PaintContext&) {
    const QRectF frame(frameRect());
    const QRect caption = captionRect();
    const QPainterPath outline = paint::roundRectPath(frame, m_cornerDiameter);
    {
        paint::ClipScope clip(painter, frame);
        if (m_background != 0) {
            if (m_cornerDiameter > 0)
                paint::fillPath(painter, outline, m_background);
            else
                painter.fillRect(frame, QColor::fromRgba(m_background));
        }
        if (m_border != 0) {
            // Width 0 (or less) is the thinnest line there is, one pixel, not none.
            const int penWidth = std::max(m_borderWidth, 0);
            // The caption interrupts the outline.
            QPainterPath open;
            open.addRect(frame);
            QPainterPath gap;
            gap.addRect(QRectF(caption));
            paint::ClipScope exclude(painter, open.subtracted(gap));
            if (m_cornerDiameter > 0) {
                // Half a pixel in, so that the straight parts cover whole pixels.
                painter.setRenderHint(QPainter::Antialiasing);
                paint::strokePath(painter, outline.translated(0.5, 0.5), m_border, penWidth);
            } else {
                paint::drawBorder(painter, frame, 3, m_border, penWidth);
            }
        }
    }
    if (!m_text.isEmpty()) {
        paint::drawText(painter, QRectF(caption.adjusted(2, 0, 4, 0)), m_text, font(), m_textColour, captionFormat(),
                        m_textEffect, m_effectColour);
    }
}

std::intptr_t GroupBox::classProc(const Message& message) {
    if (message.id == msg::kSetText) {
        if (const auto* text = reinterpret_cast<const QString*>(message.lParam)) setText(*text);
        return 1;
    }
    return BaseControl::classProc(message);
}

std::optional<PropertyValues> GroupBox::property(std::string_view name, const PropertyValues* set) {
    const auto number = [](long long value) { return PropertyValues{value}; };
    const auto argument = [&] { return intArgument(*set, 0); };
    if (auto text = textProperty(name, set, m_text, [this](const QString& t) { setText(t); })) return text;
    if (name == "crText") {
        if (set) setColours(static_cast<QRgb>(argument()), m_border, m_background);
        return number(m_textColour);
    }
    if (name == "crShadow") {
        if (set)
            setTextEffect(m_textEffect,
                          argument() == 0 ? std::nullopt : std::optional<QRgb>(static_cast<QRgb>(argument())));
        return number(m_effectColour.value_or(0));
    }
    if (name == "crBackground") {
        if (set) setColours(m_textColour, m_border, static_cast<QRgb>(argument()));
        return number(m_background);
    }
    if (name == "Align") {
        if (set) setAlign(static_cast<int>(argument()));
        return number(m_align);
    }
    if (name == "TextEffect") {
        if (set) setTextEffect(static_cast<int>(argument()), m_effectColour);
        return number(m_textEffect);
    }
    if (name == "crBorder") {
        if (set) setColours(m_textColour, static_cast<QRgb>(argument()), m_background);
        return number(m_border);
    }
    if (name == "szBorder") {
        if (set) setOutline(static_cast<int>(argument()), m_cornerDiameter);
        return number(m_borderWidth);
    }
    if (name == "rdBorder") {
        if (set) setOutline(m_borderWidth, static_cast<int>(argument()));
        return number(m_cornerDiameter);
    }
    return std::nullopt;
}

}  // namespace vamu::toolkit
