// One line of a popup menu: a command, a submenu opener or a separator.
#include "toolkit/controls/control_text.h"
#include "toolkit/controls/paint.h"
#include "toolkit/controls/text_paint.h"
#include "toolkit/engine.h"
#include "toolkit/menu_window.h"

#include <QPainterPath>

namespace vamu::toolkit::detail {
namespace {

constexpr int kSeparatorAlpha = 102;
constexpr int kHighlightTopAlpha = 181;
constexpr int kHighlightBottomAlpha = 204;
constexpr int kArrowAlpha = 230;
constexpr QRgb kArrowColour = 0xFF788492;  // (120, 132, 146)
constexpr int kArrowSize = 4;

QRgb withAlpha(QRgb colour, int alpha) { return (colour & 0x00FFFFFFu) | (static_cast<QRgb>(alpha) << 24); }

bool isDark(QRgb colour) { return 0.299 * qRed(colour) + 0.587 * qGreen(colour) + 0.114 * qBlue(colour) < 192; }

}  // namespace

const MenuEntry& MenuItem::entry() const { return m_window.entry(m_entryIndex); }

void MenuItem::onCreate(int) {
    const MenuEntry& entry = m_window.entry(m_entryIndex);
    if (entry.kind == MenuItemKind::Separator) return;
    if (mnemonicKey(entry.text) != 0) registerMnemonic(*this, entry.text);
}

void MenuItem::onPaint(QPainter& painter, const PaintContext& context) {
    const MenuEntry& entry = m_window.entry(m_entryIndex);
    const MenuTheme& theme = m_window.theme();
    const QRgb base = m_window.baseColour();
    const QRect whole = context.whole;
    if (entry.kind == MenuItemKind::Separator) {
        const int y = whole.height() / 2;
        painter.fillRect(QRect(theme.leftCutLine, y, whole.width() + theme.rightCutLine - theme.leftCutLine, 1),
                         QColor::fromRgba(withAlpha(base, kSeparatorAlpha)));
        return;
    }
    const bool hot = isHot() && !isDisabled();
    QRgb textColour = entry.colour;
    if (hot) {
        paint::fillGradient(painter, QRectF(whole), withAlpha(base, kHighlightTopAlpha),
                            withAlpha(base, kHighlightBottomAlpha), 1);
        textColour = isDark(base) ? 0xFFFFFFFF : 0xFF000000;
    }
    const int iconX = entry.iconX != 0 ? entry.iconX : theme.leftIcon;
    const QImage* atlas = engine::getPackImage(theme.pack, 0);
    if ((entry.state & menu_state::kChecked) && theme.checkMark && atlas) {
        const QRectF source = *theme.checkMark;
        const QRectF target(iconX, (whole.height() - source.height()) / 2, source.width(), source.height());
        paint::drawImage(painter, paint::atlasFor(theme.pack, *atlas, painter), target, source, paint::fill::kStretch);
    } else if (!entry.icon.isNull()) {
        const QRectF target(iconX, (whole.height() - entry.icon.height()) / 2, entry.icon.width(), entry.icon.height());
        paint::drawImage(painter, entry.icon, target, std::nullopt, paint::fill::kStretch);
    }
    const int textX = entry.textX != 0 ? entry.textX : theme.leftText;
    paint::TextFormat format;
    format.alignment = Qt::AlignLeft | Qt::AlignVCenter;
    format.prefix = paint::HotkeyPrefix::Show;
    paint::drawText(painter, QRectF(textX, 0, std::max(0, whole.width() - textX), whole.height()), entry.text,
                    m_window.font(), textColour, format);
    // On a light highlight a white arrow would vanish: it takes the text's colour.
    if (entry.kind == MenuItemKind::Submenu) paintArrow(painter, hot ? textColour : kArrowColour);
}

void MenuItem::paintArrow(QPainter& painter, QRgb colour) const {
    const QPointF tip(width() + m_window.theme().margins.right - kArrowSize, height() / 2 - 1);
    QPainterPath arrow;
    arrow.moveTo(tip);
    arrow.lineTo(tip + QPointF(-kArrowSize, -kArrowSize));
    arrow.lineTo(tip + QPointF(-kArrowSize, kArrowSize));
    arrow.closeSubpath();
    const QRgb drawn = withAlpha(colour, kArrowAlpha);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    paint::fillPath(painter, arrow, drawn);
    paint::strokePath(painter, arrow, drawn);
    painter.restore();
}

void MenuItem::onMouseEnter(ControlHandle) { m_window.itemEntered(*this); }

void MenuItem::onMouseLeave(ControlHandle) { m_window.itemLeft(*this); }

void MenuItem::onClick(QPoint, int) { m_window.itemClicked(*this); }

}  // namespace vamu::toolkit::detail
