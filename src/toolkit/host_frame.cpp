// The frame of a host window: margins, shadow, border lines, rounded corners, the
// skin painted into the background picture, and the window and clip regions.
#include "toolkit/host_window.h"

#include "toolkit/controls/control.h"
#include "toolkit/controls/paint.h"
#include "toolkit/controls/surface.h"
#include "toolkit/controls/text_paint.h"
#include "toolkit/engine.h"
#include "toolkit/theme_pack.h"

#include <QPainterPath>

#include <charconv>
#include <string>

namespace vamu::toolkit {
namespace {

constexpr std::string_view kHostShadow = "SysShadow.HostWnd";
constexpr std::string_view kSubShadow = "SysShadow.SubWnd";

std::vector<QRgb> parseColours(const std::string& text) {
    std::vector<QRgb> colours;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find(',', start), text.size());
        long long value = 0;
        const char* first = text.data() + start;
        const char* last = text.data() + end;
        while (first < last && *first == ' ') ++first;
        const auto [ptr, error] = std::from_chars(first, last, value);
        if (error != std::errc() || ptr == first) return {};  // not a list of numbers: no lines
        colours.push_back(static_cast<QRgb>(static_cast<std::uint32_t>(value)));
        start = end + 1;
    }
    return colours;
}

// Windows colour value (red in the low byte) to ARGB with the given alpha.
QRgb fromColourRef(long long value, int alpha) {
    const auto v = static_cast<std::uint32_t>(value);
    return qRgba(static_cast<int>(v & 0xFF), static_cast<int>((v >> 8) & 0xFF), static_cast<int>((v >> 16) & 0xFF),
                 alpha);
}

long long averageColour(const QImage& picture) {
    const QImage image = picture.convertToFormat(QImage::Format_ARGB32);
    unsigned long long sum[3] = {0, 0, 0};
    const unsigned long long count = static_cast<unsigned long long>(image.width()) * image.height();
    if (count == 0) return -1;
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            sum[0] += qRed(row[x]);
            sum[1] += qGreen(row[x]);
            sum[2] += qBlue(row[x]);
        }
    }
    return static_cast<long long>((sum[0] / count) | ((sum[1] / count) << 8) | ((sum[2] / count) << 16));
}

}  // namespace

QRegion HostWindow::contentRegion(const QRect& rect, int radius) const {
    if (rect.isEmpty()) return {};
    if (radius <= 0) return QRegion(rect);
    // Rasterised without smoothing: a corner ellipse of radius x radius pixels.
    QImage mask(rect.size(), QImage::Format_ARGB32_Premultiplied);
    mask.fill(Qt::transparent);
    {
        QPainter painter(&mask);
        QPainterPath path;
        path.addRoundedRect(QRectF(0, 0, rect.width(), rect.height()), radius / 2.0, radius / 2.0);
        painter.fillPath(path, Qt::black);
    }
    QRegion region;
    for (int y = 0; y < mask.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(mask.constScanLine(y));
        int x = 0;
        while (x < mask.width()) {
            while (x < mask.width() && qAlpha(row[x]) < 128) ++x;
            const int start = x;
            while (x < mask.width() && qAlpha(row[x]) >= 128) ++x;
            if (x > start) region += QRect(rect.x() + start, rect.y() + y, x - start, 1);
        }
    }
    return region;
}

void HostWindow::setTheme(const ThemePack* theme, std::optional<std::vector<QRgb>> borderColours, Layout layout) {
    m_theme = theme ? theme : engine::currentResourcePack();
    const std::string_view element = m_owner ? kSubShadow : kHostShadow;
    const QRect margin = engine::getPackRect(m_theme, element, "margin").value_or(QRect());
    m_frame.marginLeft = margin.x();
    m_frame.marginTop = margin.y();
    m_frame.marginRight = margin.width();
    m_frame.marginBottom = margin.height();
    m_frame.contentRect =
        QRect(QPoint(m_frame.marginLeft, m_frame.marginTop),
              QPoint(m_size.width() + m_frame.marginRight - 1, m_size.height() + m_frame.marginBottom - 1));
    m_frame.cornerRadius = m_cornerRadiusSetting != -1
                               ? m_cornerRadiusSetting
                               : static_cast<int>(engine::getPackNumber(m_theme, element, "rectround").value_or(0));
    if (borderColours)
        m_frame.borderColours = *borderColours;
    else
        m_frame.borderColours = parseColours(engine::getPackText(m_theme, element, "crborder").value_or(""));
    m_frame.captionHeight = static_cast<int>(engine::getPackNumber(m_theme, element, "cycaption").value_or(0));
    m_frame.captionTopOffset = (std::max(m_frame.captionHeight, 16) - 16) / 2;
    m_frame.buttonOffsetRight =
        static_cast<int>(engine::getPackNumber(m_theme, "SysButton", "offsetright").value_or(0));
    m_frame.buttonTop = static_cast<int>(engine::getPackNumber(m_theme, "SysButton", "top").value_or(0));
    m_root->setOrigin(m_frame.origin());
    if (layout == Layout::Skip) return;
    for (const auto& [flag, handle] : m_captionControls) {
        if (BaseControl* control = resolveControl(handle)) control->dispatch(tkm::kThemeChanged);
    }
    layoutCaption();
    m_root->sendToAll(tkm::kParentResized);
    if (showState() == 2) {
        if (platform::NativeWindow* native = nativeWindow()) native->maximizeTo(maximizedGeometry());
    } else {
        repaintBackground(Redraw::No);
    }
    presentWhole();
}

QRgb HostWindow::backgroundArgb() const {
    const int alpha = m_alpha == -1 ? 255 : m_alpha;
    if (m_backgroundColour == -1) return qRgba(0, 0, 0, 0);
    return fromColourRef(m_backgroundColour, alpha);
}

void HostWindow::setBackground(const QImage& picture, long long colour, Redraw redraw) {
    m_backgroundPicture = picture.isNull() ? QImage() : picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    m_backgroundColour = colour;
    if (colour == -1 && !m_backgroundPicture.isNull()) m_backgroundColour = averageColour(m_backgroundPicture);
    repaintBackground(redraw);
}

void HostWindow::repaintBackground(Redraw redraw) {
    if (!m_window) return;
    QImage painted = surface::make(m_size, devicePixelRatio());
    paintFrame(painted);
    m_background = std::move(painted);
    updateRegion();
    if (redraw == Redraw::Yes) presentWhole();
}

void HostWindow::paintFrame(QImage& target) const {
    target.fill(Qt::transparent);
    QPainter painter(&target);
    const QRect whole(QPoint(0, 0), surface::logicalSize(target));
    const QRect content = m_frame.contentRect;
    const int radius = m_frame.cornerRadius;
    const QRegion inside = contentRegion(content, radius);
    const int alpha = m_alpha == -1 ? 255 : m_alpha;
    painter.setClipRegion(inside);
    painter.fillRect(content, QColor::fromRgba(backgroundArgb()));
    if (!m_backgroundPicture.isNull()) {
        if (m_fillType == paint::fill::kNatural) {
            paint::drawImage(painter, m_backgroundPicture,
                             QRectF(QRect(m_backgroundOffset, m_backgroundPicture.size())), std::nullopt,
                             paint::fill::kStretch, std::nullopt, alpha);
        } else {
            paint::drawImage(
                painter, m_backgroundPicture, QRectF(content), std::nullopt, m_fillType,
                m_backgroundGrid.isEmpty() ? std::nullopt : std::optional<QRectF>(QRectF(m_backgroundGrid)), alpha);
        }
    }
    if (m_alpha != -1 && m_shadow) {
        // The shadow fills only the ring between the window edge and the content.
        const std::string_view element = m_owner ? kSubShadow : kHostShadow;
        const auto shadow = engine::getPackImageRect(m_theme, element, "rect");
        const auto grid = engine::getPackRect(m_theme, element, "gird");
        const QImage* atlas = engine::getPackImage(m_theme, 0);
        if (shadow && grid && atlas) {
            painter.setClipRegion(QRegion(whole).xored(inside));
            paint::drawNineGrid(painter, paint::atlasFor(m_theme, *atlas, painter), shadow->rect, QRectF(whole),
                                QRectF(*grid));
        }
        painter.setClipRegion(inside);
    }
    if (m_paintHook) m_paintHook(painter, whole.size());
    painter.setClipping(false);
    for (std::size_t i = 0; i < m_frame.borderColours.size(); ++i) {
        const int inset = static_cast<int>(i);
        const QRect line = content.adjusted(inset, inset, -inset, -inset);
        if (line.width() <= 1 || line.height() <= 1) break;
        const QRgb colour = m_frame.borderColours[i];
        if (radius > 0) {
            painter.save();
            painter.setRenderHint(QPainter::Antialiasing);
            paint::strokePath(painter, paint::roundRectPath(QRectF(line).translated(0.5, 0.5), radius + 1 - 2 * inset),
                              colour);
            painter.restore();
        } else {
            paint::drawBorder(painter, QRectF(line), 3, colour);
        }
    }
}

void HostWindow::updateRegion() {
    platform::NativeWindow* native = nativeWindow();
    const QRect content = m_frame.contentRect;
    const int radius = m_frame.cornerRadius;
    const QRegion window = contentRegion(content, radius);
    if (native) native->setShape(m_alpha == -1 ? window : QRegion());
    if (!m_frame.borderColours.empty()) {
        m_clipRegion = contentRegion(content.adjusted(1, 1, -1, -1), radius > 0 ? std::max(radius - 3, 1) : 0);
    } else {
        m_clipRegion = window;
    }
}

void HostWindow::presentWhole() {
    platform::NativeWindow* native = nativeWindow();
    if (!native) return;
    m_root->composeWhole();
    native->updateShapeFromAlpha();
    native->present(QRegion(QRect(QPoint(0, 0), m_size)));
}

void HostWindow::setMargin(int left, int top, int right, int bottom, Redraw redraw) {
    m_frame.marginLeft = left;
    m_frame.marginTop = top;
    m_frame.marginRight = right;
    m_frame.marginBottom = bottom;
    m_frame.contentRect = QRect(QPoint(left, top), QPoint(m_size.width() + right - 1, m_size.height() + bottom - 1));
    m_root->setOrigin(m_frame.origin());
    layoutCaption();
    repaintBackground(redraw);
}

void HostWindow::setCornerRadius(int radius) {
    m_cornerRadiusSetting = radius;
    m_frame.cornerRadius = radius >= 0 ? radius : 0;
    repaintBackground(Redraw::Yes);
}

QSize HostWindow::minimumTrackSize() const {
    const int dx = m_frame.marginLeft - m_frame.marginRight;
    const int dy = m_frame.marginTop - m_frame.marginBottom;
    QSize size(dx, dy);
    if (m_captionFlags != 0) {
        int width = dx - m_frame.buttonOffsetRight;
        for (const auto& [flag, handle] : m_captionControls) {
            const BaseControl* control = resolveControl(handle);
            if (!control) continue;
            if (flag == caption::kIcon)
                width += control->width() + 2 * control->left();
            else if (flag != caption::kTitle)
                width += control->width();
        }
        size = QSize(width, dy + m_frame.captionHeight);
    }
    if (m_minTrack.width() != 0 || m_minTrack.height() != 0) size = size.expandedTo(m_minTrack);
    return size;
}

QSize HostWindow::maximumTrackSize() const {
    if (m_maxTrack.width() != 0 && m_maxTrack.height() != 0) return m_maxTrack;
    return maximizedGeometry().size();
}

}  // namespace vamu::toolkit
