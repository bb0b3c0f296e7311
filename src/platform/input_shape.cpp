#include "platform/input_shape.h"
#include "platform/x11_connection.h"

#include <QGuiApplication>
#include <QWindow>

#include <algorithm>
#include <cmath>

#if VAMU_HAVE_XCB_SHAPE
#include <QtGui/qguiapplication_platform.h>
#include <xcb/shape.h>
#include <xcb/xcb.h>
#endif

namespace vamu::platform::detail {

void DrawnCells::reset() {
    m_size = QSize();
    m_columns = 0;
    m_rows = 0;
    m_cells.clear();
}

bool DrawnCells::cellDrawn(const QImage& image, int column, int row) const {
    const int left = column * kCell;
    const int right = std::min(left + kCell, image.width());
    const int top = row * kCell;
    const int bottom = std::min(top + kCell, image.height());
    for (int y = top; y < bottom; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        QRgb any = 0;
        for (int x = left; x < right; ++x) any |= line[x];
        if (qAlpha(any) != 0) return true;
    }
    return false;
}

bool DrawnCells::update(const QImage& image, const QRegion& area) {
    bool changed = false;
    QRegion read = area;
    if (image.size() != m_size) {
        m_size = image.size();
        m_columns = (m_size.width() + kCell - 1) / kCell;
        m_rows = (m_size.height() + kCell - 1) / kCell;
        m_cells.assign(static_cast<std::size_t>(m_columns) * static_cast<std::size_t>(m_rows), 0);
        read = QRegion(QRect(QPoint(), m_size));
        changed = true;
    }
    if (image.depth() != 32 || m_cells.empty()) return changed;
    // A region's rectangles never overlap, but two of them may share a cell: each
    // cell is read once.
    std::vector<std::uint8_t> pending(m_cells.size(), 0);
    for (const QRect& rect : read& QRect(QPoint(), m_size)) {
        for (int row = rect.top() / kCell; row <= rect.bottom() / kCell; ++row) {
            for (int column = rect.left() / kCell; column <= rect.right() / kCell; ++column) {
                pending[static_cast<std::size_t>(row * m_columns + column)] = 1;
            }
        }
    }
    for (int row = 0; row < m_rows; ++row) {
        for (int column = 0; column < m_columns; ++column) {
            const auto index = static_cast<std::size_t>(row * m_columns + column);
            if (!pending[index]) continue;
            const std::uint8_t drawn = cellDrawn(image, column, row) ? 1 : 0;
            if (drawn != m_cells[index]) changed = true;
            m_cells[index] = drawn;
        }
    }
    return changed;
}

std::vector<QRect> DrawnCells::rectangles() const {
    std::vector<QRect> result;
    std::vector<std::size_t> above;  // rectangles that reach the previous cell row
    std::vector<std::size_t> current;
    const QRect bounds(QPoint(), m_size);
    for (int row = 0; row < m_rows; ++row) {
        current.clear();
        int column = 0;
        while (column < m_columns) {
            while (column < m_columns && !m_cells[static_cast<std::size_t>(row * m_columns + column)]) ++column;
            const int start = column;
            while (column < m_columns && m_cells[static_cast<std::size_t>(row * m_columns + column)]) ++column;
            if (column == start) break;
            const QRect run = QRect(start * kCell, row * kCell, (column - start) * kCell, kCell) & bounds;
            const auto same = std::find_if(above.begin(), above.end(), [&](std::size_t i) {
                return result[i].left() == run.left() && result[i].width() == run.width();
            });
            if (same != above.end()) {
                result[*same].setBottom(run.bottom());
                current.push_back(*same);
            } else {
                current.push_back(result.size());
                result.push_back(run);
            }
        }
        std::swap(above, current);
    }
    return result;
}

bool setInputShape(QWindow& window, const std::vector<QRect>& rectangles, qreal ratio) {
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
        // QWindow::setMask is the surface's input region there, in logical pixels.
        QRegion region;
        for (const QRect& rect : rectangles) {
            region += QRect(static_cast<int>(rect.x() / ratio), static_cast<int>(rect.y() / ratio),
                            static_cast<int>(std::ceil(rect.width() / ratio)),
                            static_cast<int>(std::ceil(rect.height() / ratio)));
        }
        window.setMask(region.isEmpty() ? QRegion(0, 0, 1, 1) : region);
        return true;
    }
    (void)ratio;
#if VAMU_HAVE_XCB_SHAPE
    xcb_connection_t* connection = window.handle() ? detail::x11Connection() : nullptr;
    if (!connection) return false;
    const xcb_query_extension_reply_t* shape = xcb_get_extension_data(connection, &xcb_shape_id);
    if (!shape || !shape->present) return false;
    std::vector<xcb_rectangle_t> list;
    list.reserve(rectangles.size());
    for (const QRect& rect : rectangles) {
        list.push_back(xcb_rectangle_t{static_cast<std::int16_t>(rect.x()), static_cast<std::int16_t>(rect.y()),
                                       static_cast<std::uint16_t>(rect.width()),
                                       static_cast<std::uint16_t>(rect.height())});
    }
    xcb_shape_rectangles(connection, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_INPUT, XCB_CLIP_ORDERING_UNSORTED,
                         static_cast<xcb_window_t>(window.winId()), 0, 0, static_cast<std::uint32_t>(list.size()),
                         list.data());
    xcb_flush(connection);
    return true;
#else
    (void)window;
    (void)rectangles;
    return false;
#endif
}

}  // namespace vamu::platform::detail
