// The list view's row buffer and presentation. Buffer line i holds row
// firstVisibleRow + i, painted at x = -horizontal position; presenting draws the
// buffer into the rows area shifted up by the part of the first row scrolled away.
#include "toolkit/controls/list_view.h"

#include "toolkit/controls/paint.h"
#include "toolkit/controls/scroll_bar.h"
#include "toolkit/controls/surface.h"
#include "toolkit/controls/text_paint.h"
#include "toolkit/host_window.h"
#include "toolkit/theme_names.h"

#include <QPainterPath>
#include <QRegion>

#include <cmath>
#include <cstring>

namespace vamu::toolkit {
namespace {

constexpr int kTextPadding = 4;
constexpr int kImageGap = 2;  // between a cell's image and its text

Qt::Alignment horizontalAlignment(int align) {
    switch (align) {
    case 1:
        return Qt::AlignHCenter;
    case 2:
        return Qt::AlignRight;
    default:
        return Qt::AlignLeft;
    }
}

QRgb withAlpha(QRgb colour, int alpha) { return (colour & 0x00FFFFFFu) | (static_cast<QRgb>(alpha) << 24); }

// The sort mark: a small triangle pointing up (ascending) or down (descending).
void drawSortMark(QPainter& painter, QPoint centre, bool ascending) {
    QPainterPath path;
    const double half = 3.5;
    const double rise = 2.0;
    if (ascending) {
        path.moveTo(centre.x() - half, centre.y() + rise);
        path.lineTo(centre.x() + half, centre.y() + rise);
        path.lineTo(centre.x(), centre.y() - rise);
    } else {
        path.moveTo(centre.x() - half, centre.y() - rise);
        path.lineTo(centre.x() + half, centre.y() - rise);
        path.lineTo(centre.x(), centre.y() + rise);
    }
    path.closeSubpath();
    const QRgb colour = withAlpha(paint::kThemeColour, 153);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    paint::fillPath(painter, path, colour);
    paint::strokePath(painter, path, colour);
    painter.restore();
}

}  // namespace

bool ListView::rowInBuffer(int row) const {
    return m_model.validRow(row) && row >= m_firstVisibleRow && row <= m_firstVisibleRow + m_visibleRows;
}

QRect ListView::rowRect(int row) const {
    const int y =
        m_rowsArea.top() + (row - m_firstVisibleRow) * m_rowHeight - m_verticalPosition % std::max(1, m_rowHeight);
    return QRect(m_rowsArea.left(), y, m_rowsArea.width(), m_rowHeight) & m_rowsArea;
}

void ListView::paintBufferRows(int firstLine, int lastLine) {
    firstLine = std::max(firstLine, 0);
    lastLine = std::min(lastLine, m_visibleRows);
    if (firstLine > lastLine || m_buffer.isNull()) return;
    QPainter painter(&m_buffer);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(QRect(0, firstLine * m_rowHeight, surface::logicalSize(m_buffer).width(),
                           (lastLine - firstLine + 1) * m_rowHeight),
                     Qt::transparent);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setFont(font());
    painter.setRenderHint(QPainter::TextAntialiasing, textRenderingHint() != 1);
    for (int line = firstLine; line <= lastLine; ++line) {
        const int row = m_firstVisibleRow + line;
        if (!m_model.validRow(row)) continue;
        paintRow(painter, m_model.row(row), line * m_rowHeight);
        ++m_paintedRows;
    }
}

void ListView::paintBufferRow(int row) {
    if (rowInBuffer(row)) paintBufferRows(row - m_firstVisibleRow, row - m_firstVisibleRow);
}

void ListView::paintBufferAll() {
    m_bufferStale = false;
    paintBufferRows(0, m_visibleRows);
}

void ListView::shiftBuffer(int fromLine, int delta) {
    const int lines = m_visibleRows + 1;
    if (delta == 0 || fromLine < 0 || fromLine >= lines || m_buffer.isNull()) return;
    // Rows move as whole device lines; a ratio that splits a row's pixels paints instead.
    const qreal deviceRowHeight = m_rowHeight * m_buffer.devicePixelRatio();
    if (deviceRowHeight != std::floor(deviceRowHeight)) {
        paintBufferAll();
        return;
    }
    const qsizetype lineBytes = m_buffer.bytesPerLine() * static_cast<qsizetype>(deviceRowHeight);
    uchar* bits = m_buffer.bits();
    const int kept = lines - fromLine - std::abs(delta);
    if (kept > 0) {
        const int source = delta > 0 ? fromLine : fromLine - delta;
        const int target = delta > 0 ? fromLine + delta : fromLine;
        std::memmove(bits + target * lineBytes, bits + source * lineBytes, static_cast<std::size_t>(kept * lineBytes));
    }
    if (delta > 0)
        paintBufferRows(fromLine, std::min(fromLine + delta, lines) - 1);
    else
        paintBufferRows(std::max(fromLine, lines + delta), lines - 1);
}

void ListView::repaintRow(int row) {
    if (!rowInBuffer(row)) return;
    if (!m_bufferStale) paintBufferRow(row);
    present(rowRect(row));
}

void ListView::paintRow(QPainter& painter, const ListRow& row, int y) {
    const QRect rect(-m_horizontalPosition, y, contentWidth(), m_rowHeight);
    if (!paintRowBackground(painter, row, rect) && row.backColour != 0) {
        painter.fillRect(rect, QColor::fromRgba(row.backColour));
    }
    if (row.state == row_state::kSelected || row.state == row_state::kHot) {
        painter.fillRect(rect, QColor::fromRgba(stateColour(row.state)));
    }
    int x = rect.x();
    for (int column = 1; column <= m_model.columnCount(); ++column) {
        const int width = m_model.column(column).width;
        const QRect cell(x, y, width, m_rowHeight);
        x += width;
        if (width <= 0 || cell.right() < 0 || cell.left() >= surface::logicalSize(m_buffer).width()) continue;
        paintCell(painter, row, column, cell);
    }
}

void ListView::paintCell(QPainter& painter, const ListRow& row, int column, const QRect& cell) {
    paint::ClipScope clip(painter, cell);
    if (paintCellContent(painter, row, column, cell)) return;
    QRect content = cell;
    if (column == 1 && m_options.checkBoxes) {
        const QRect box(cell.x(), cell.y(), m_checkSize.width() + 4, cell.height());
        const ThemePack* theme = host() ? host()->theme() : nullptr;
        paint::drawSkinImage(painter, theme, theme::kCheckButton, box, row.checked ? "normal_ck" : "normal", "gird",
                             paint::fill::kCentre);
        content.setLeft(box.right() + 1);
    }
    content.setLeft(content.left() + row.indent * m_options.rowImages.size.width());
    const ListCell& data = row.cells[column - 1];
    if (const QImage* image = m_options.rowImages.at(data.value)) {
        const QSize size = m_options.rowImages.size.isEmpty() ? image->size() : m_options.rowImages.size;
        painter.drawImage(QRect(QPoint(content.left(), content.top() + (content.height() - size.height()) / 2), size),
                          *image);
        content.setLeft(content.left() + size.width() + kImageGap);
    }
    if (data.text.isEmpty()) return;
    paint::TextFormat format;
    format.alignment = horizontalAlignment(m_model.column(column).align) | Qt::AlignVCenter;
    format.ellipsis = true;
    const QRgb colour = row.textColour != 0 ? row.textColour : m_options.textColour;
    paint::drawText(painter, QRectF(content.adjusted(kTextPadding, 0, -kTextPadding, 0)), data.text, font(), colour,
                    format);
}

void ListView::paintHeader(QPainter& painter) {
    const QRect header = m_headerArea;
    painter.fillRect(header, QColor::fromRgba(m_options.backgroundColour));
    const int hostAlpha = host() && host()->alpha() >= 0 ? host()->alpha() : 255;
    paint::fillGradient(painter, header, withAlpha(paint::kThemeColour, 0),
                        withAlpha(paint::kThemeColour, static_cast<int>(0.2 * hostAlpha)), 1);
    const QRgb lineColour = m_options.borderColour != 0 ? m_options.borderColour : qRgba(0, 0, 0, 60);
    int x = header.left() - m_horizontalPosition;
    for (int column = 1; column <= m_model.columnCount(); ++column) {
        const ListColumn& c = m_model.column(column);
        const QRect cell(x, header.top(), c.width, header.height());
        x += c.width;
        if (c.width <= 0 || cell.right() < header.left() || cell.left() > header.right()) continue;
        paint::ClipScope clip(painter, cell);
        if (column == m_headerHotColumn) {
            painter.fillRect(cell,
                             QColor::fromRgba(stateColour(m_headerPressed ? row_state::kSelected : row_state::kHot)));
        }
        QRect title = cell.adjusted(2, 2, -5, -4);
        if (const QImage* image = m_options.headerImages.at(c.headerImage)) {
            const QSize size = m_options.headerImages.size.isEmpty() ? image->size() : m_options.headerImages.size;
            painter.drawImage(QRect(QPoint(title.left(), title.top() + (title.height() - size.height()) / 2), size),
                              *image);
            title.setLeft(title.left() + size.width() + kImageGap);
        }
        if (c.sortState != 0) {
            drawSortMark(painter, QPoint(cell.right() - 7, cell.center().y()), c.sortState == 1);
            title.setRight(title.right() - 10);
        }
        paint::TextFormat format;
        format.alignment = horizontalAlignment(c.align) | Qt::AlignVCenter;
        format.ellipsis = true;
        paint::drawText(painter, QRectF(title.adjusted(2, 0, -2, 0)), c.title, font(), m_options.textColour, format);
        painter.fillRect(QRect(cell.right(), cell.top() + 4, 1, std::max(0, cell.height() - 8)),
                         QColor::fromRgba(lineColour));
    }
    painter.fillRect(QRect(header.left(), header.bottom(), header.width(), 1), QColor::fromRgba(lineColour));
}

void ListView::paintOverlay(QPainter& painter) {
    if (m_drag == Drag::ColumnResize) {
        const int x = std::clamp(m_dragPoint.x(), m_rowsArea.left(), m_rowsArea.right());
        painter.fillRect(QRect(x, m_rowsArea.top(), 1, m_rowsArea.height()),
                         QColor::fromRgba(withAlpha(paint::kThemeColour, 204)));
    } else if (m_drag == Drag::SelectionRectangle) {
        const QRect area = QRect(m_dragStart, m_dragPoint).normalized() & m_rowsArea;
        if (area.isEmpty()) return;
        painter.fillRect(area, QColor::fromRgba(withAlpha(paint::kThemeColour, 51)));
        paint::drawBorder(painter, area, 3, withAlpha(paint::kThemeColour, 204));
    }
}

void ListView::present(const QRect& area) {
    if (!isCreated() || area.isEmpty()) return;
    PaintScope scope(*this, area);
    onPaint(scope.painter(), scope.context());
}

void ListView::onPaint(QPainter& painter, const PaintContext& context) {
    // After a move to a screen of another ratio the row buffer is made again.
    if (const qreal ratio = painter.device()->devicePixelRatio(); m_buffer.devicePixelRatio() != ratio) {
        m_buffer = surface::make(surface::logicalSize(m_buffer), ratio);
        m_bufferStale = true;
    }
    if (m_bufferStale) paintBufferAll();
    if (!m_headerArea.isEmpty() && context.dirty.intersects(m_headerArea)) {
        paint::ClipScope clip(painter, m_headerArea);
        paintHeader(painter);
    }
    const QRect rows = context.dirty & m_rowsArea;
    if (!rows.isEmpty()) {
        QRegion visible(rows);
        for (const ScrollBar* bar : {verticalBar(), horizontalBar()}) {
            if (bar && bar->isVisible()) visible -= bar->rect();
        }
        if (!paintRowsBackground(painter, rows)) painter.fillRect(rows, QColor::fromRgba(m_options.backgroundColour));
        painter.save();
        painter.setClipRegion(visible, Qt::IntersectClip);
        const QPoint origin(m_rowsArea.left(), m_rowsArea.top() - m_verticalPosition % std::max(1, m_rowHeight));
        const QRect source = rows.translated(-origin) & QRect(QPoint(0, 0), surface::logicalSize(m_buffer));
        if (m_buffer.devicePixelRatio() == 1.0)
            painter.drawImage(source.translated(origin), m_buffer, source);
        else
            surface::drawPart(painter, source.translated(origin).topLeft(), m_buffer, source);
        paintOverlay(painter);
        painter.restore();
    }
    if (m_options.borderColour != 0) paint::drawBorder(painter, QRectF(context.whole), 3, m_options.borderColour);
}

}  // namespace vamu::toolkit
