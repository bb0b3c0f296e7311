// The list view's mouse handling: hit testing, hot tracking, selection by press,
// the release events, column resizing in the header and the selection rectangle.
#include "toolkit/controls/list_view.h"

#include "platform/messages.h"
#include "toolkit/controls/scroll_bar.h"
#include "toolkit/host_window.h"

#include <algorithm>

namespace vamu::toolkit {
namespace {

constexpr int kDividerLead = 3;  // a divider zone starts this far left of the column's edge
constexpr int kDividerWidth = 7;
constexpr int kNarrowColumn = 3;  // a next column this narrow owns the zone right of the edge

}  // namespace

ListHit ListView::hitTest(QPoint local) const {
    ListHit hit;
    const auto columnAt = [this](int contentX, ListHit& into) {
        int left = 0;
        for (int column = 1; column <= m_model.columnCount(); ++column) {
            const int width = m_model.column(column).width;
            if (contentX >= left && contentX < left + width) {
                into.column = column;
                into.inCell.setX(contentX - left);
                return;
            }
            left += width;
        }
    };
    if (m_rowsArea.contains(local) && m_rowHeight > 0) {
        const int y = local.y() - m_rowsArea.top() + m_verticalPosition % m_rowHeight;
        const int row = m_firstVisibleRow + y / m_rowHeight;
        if (!m_model.validRow(row)) return hit;
        hit.row = row;
        hit.inCell.setY(y - (row - m_firstVisibleRow) * m_rowHeight);
        columnAt(local.x() - m_rowsArea.left() + m_horizontalPosition, hit);
    } else if (m_headerArea.contains(local)) {
        hit.header = true;
        hit.inCell.setY(local.y() - m_headerArea.top());
        columnAt(local.x() - m_headerArea.left() + m_horizontalPosition, hit);
    }
    return hit;
}

int ListView::headerColumnAt(int x) const {
    const ListHit hit = hitTest(QPoint(x, m_headerArea.top()));
    return hit.header ? hit.column : 0;
}

int ListView::dividerAt(QPoint local) const {
    if (m_headerArea.isEmpty() || local.y() < m_headerArea.top() || local.y() > m_headerArea.bottom() - 2) return 0;
    int edge = m_headerArea.left() - m_horizontalPosition;
    for (int column = 1; column <= m_model.columnCount(); ++column) {
        const int width = m_model.column(column).width;
        edge += width;
        const int start = width > 0 ? edge - kDividerLead : edge;
        if (local.x() < start || local.x() >= start + kDividerWidth) continue;
        const bool nextIsNarrow = column < m_model.columnCount() && m_model.column(column + 1).width <= kNarrowColumn;
        return local.x() > edge && nextIsNarrow ? column + 1 : column;
    }
    return 0;
}

bool ListView::onSetCursor() {
    if (!m_overDivider || !host() || !host()->nativeWindow()) return false;
    host()->nativeWindow()->setCursor(platform::CursorShape::SizeWE);
    return true;
}

void ListView::onMouseMove(QPoint local, int) {
    if (m_drag != Drag::None) {
        m_dragPoint = local;
        presentRows();
        return;
    }
    trackHover(local);
}

void ListView::trackHover(QPoint local) {
    const bool overDivider = dividerAt(local) != 0;
    if (overDivider != m_overDivider) {
        m_overDivider = overDivider;
        if (host() && host()->nativeWindow()) {
            host()->nativeWindow()->setCursor(overDivider ? platform::CursorShape::SizeWE
                                                          : cursor().value_or(platform::CursorShape::Arrow));
        }
    }
    const ListHit hit = hitTest(local);
    if (m_hoverSelect)
        hoverSelectRow(hit);
    else
        hoverRow(hit.header ? 0 : hit.row);
    if (!isCreated()) return;
    if (m_options.headerHot && hit.header) {
        if (hit.column != m_headerHotColumn && !m_pressedHeaderColumn) setHeaderHot(hit.column, false);
    } else if (m_headerHotColumn && !m_pressedHeaderColumn) {
        setHeaderHot(0, false);
    }
}

void ListView::hoverRow(int row) {
    if (row == m_hotRow) return;
    const int previous = m_hotRow;
    m_hotRow = row;
    if (m_model.validRow(previous) && m_model.row(previous).state != row_state::kSelected) {
        m_model.row(previous).state = row_state::kNormal;
        repaintRow(previous);
    }
    if (m_model.validRow(row) && m_model.row(row).state != row_state::kSelected) {
        m_model.row(row).state = row_state::kHot;
        repaintRow(row);
    }
    hotRowChanged(row, previous);
}

void ListView::hoverSelectRow(const ListHit& hit) {
    if (hit.row == 0 || hit.column == 0 || hit.row == m_selectedRow) return;
    raiseListEvent(tkm::kListSelectionChanged, hit.row, m_selectedRow);
    if (!isCreated()) return;
    m_hotRow = hit.row;
    selectOnly(hit.row);
}

void ListView::setHeaderHot(int column, bool pressed) {
    if (column == m_headerHotColumn && pressed == m_headerPressed) return;
    m_headerHotColumn = column;
    m_headerPressed = pressed;
    present(m_headerArea);
}

void ListView::onMouseLeave(ControlHandle) {
    m_overDivider = false;
    if (m_drag == Drag::None) hoverRow(0);
    if (m_headerHotColumn && !m_pressedHeaderColumn) setHeaderHot(0, false);
}

void ListView::onLeftDown(QPoint local, int modifiers) { press(local, modifiers, Button::Left); }
void ListView::onRightDown(QPoint local, int modifiers) { press(local, modifiers, Button::Right); }
void ListView::onLeftUp(QPoint local, int) { release(local, Button::Left); }
void ListView::onRightUp(QPoint local, int) { release(local, Button::Right); }

void ListView::press(QPoint local, int modifiers, Button button) {
    if (button == Button::Left) {
        if (const int column = dividerAt(local)) {
            m_drag = Drag::ColumnResize;
            m_dragColumn = column;
            m_dragStart = m_dragPoint = local;
            presentRows();
            return;
        }
    }
    if (m_headerArea.contains(local)) {
        const int column = headerColumnAt(local.x());
        if (m_options.headerHot && column) {
            m_pressedHeaderColumn = column;
            setHeaderHot(column, true);
        }
        return;
    }
    if (m_rowsArea.contains(local)) pressRows(local, modifiers, button);
}

void ListView::pressRows(QPoint local, int modifiers, Button button) {
    const ListHit hit = hitTest(local);
    if (hit.row == 0) return;
    hoverRow(hit.row);
    if (m_options.checkBoxes && hit.column == 1) {
        // The box counts only where the first column shows it: a hidden first column
        // must not turn presses on the next one into check-box toggles.
        const QRect box(2, (m_rowHeight - m_checkSize.height()) / 2, m_checkSize.width(), m_checkSize.height());
        if (box.contains(hit.inCell) && m_model.column(1).width >= box.right() + 1) {
            ListRow& row = m_model.row(hit.row);
            row.checked = !row.checked;
            repaintRow(hit.row);
            raiseListEvent(tkm::kListCheckToggled, hit.row, row.checked ? 1 : 0);
            return;
        }
    }
    if (hit.row != m_selectedRow) {
        raiseListEvent(tkm::kListSelectionChanged, hit.column ? hit.row : 0, m_selectedRow);
        if (!isCreated()) return;
    }
    if (m_singleSelection)
        selectOnly(hit.row);
    else
        pressMultiple(hit.row, modifiers, button);
    if (button == Button::Left && !m_singleSelection && m_drag == Drag::SelectionRectangle) {
        m_dragStart = m_dragPoint = local;
    }
}

void ListView::pressMultiple(int row, int modifiers, Button button) {
    const bool wasSelected = isSelected(row);
    if (button == Button::Left && !wasSelected) {
        m_drag = Drag::SelectionRectangle;
    }
    if (modifiers & platform::modifier::kControl) {
        if (wasSelected)
            removeFromSelection(row);
        else
            addToSelection(row);
    } else if (modifiers & platform::modifier::kShift) {
        const int anchor = m_model.validRow(m_selectedRow) ? m_selectedRow : row;
        const int low = std::min(anchor, row);
        const int high = std::max(anchor, row);
        for (const int selected : std::vector<int>(m_selection)) {
            if (selected < low || selected > high) removeFromSelection(selected);
        }
        for (int r = low; r <= high; ++r) addToSelection(r);
    } else if (!(button == Button::Right && wasSelected)) {
        clearSelectionStates();
        addToSelection(row);
    }
    m_selectedRow = row;
}

void ListView::release(QPoint local, Button button) {
    if (button == Button::Left && m_drag == Drag::ColumnResize) {
        finishColumnResize(local);
        trackHover(local);  // the mouse stood still over whatever the drag ended on
        return;
    }
    if (button == Button::Left && m_drag == Drag::SelectionRectangle) finishSelectionRectangle(local);
    if (m_pressedHeaderColumn) {
        const int pressed = m_pressedHeaderColumn;
        m_pressedHeaderColumn = 0;
        const int column = m_headerArea.contains(local) ? headerColumnAt(local.x()) : 0;
        setHeaderHot(column, false);
        if (column == pressed) {
            const ListHit hit = hitTest(local);
            raiseListEvent(button == Button::Left ? tkm::kListRowClick : tkm::kListRowRightClick, 0, column,
                           hit.inCell);
        }
        return;
    }
    if (!m_rowsArea.contains(local)) return;
    const ListHit hit = hitTest(local);
    if (hit.row == 0 || hit.column == 0) {
        raiseListEvent(button == Button::Left ? tkm::kListEmptyClick : tkm::kListEmptyRightClick, 0, 0);
    } else if (hit.row == m_selectedRow) {
        raiseListEvent(button == Button::Left ? tkm::kListRowClick : tkm::kListRowRightClick, hit.row, hit.column,
                       hit.inCell);
    }
}

void ListView::finishColumnResize(QPoint local) {
    m_drag = Drag::None;
    const int column = m_dragColumn;
    m_dragColumn = 0;
    setColumnWidth(column, columnWidth(column) + local.x() - m_dragStart.x());
}

void ListView::finishSelectionRectangle(QPoint local) {
    m_drag = Drag::None;
    const auto rowAtHeight = [this](int y) {
        const int clamped = std::clamp(y, m_rowsArea.top(), m_rowsArea.bottom());
        const int offset = clamped - m_rowsArea.top() + m_verticalPosition % std::max(1, m_rowHeight);
        return std::clamp(m_firstVisibleRow + offset / std::max(1, m_rowHeight), 1, rowCount());
    };
    const int from = rowAtHeight(m_dragStart.y());
    const int to = rowAtHeight(local.y());
    for (int row = std::min(from, to); row <= std::max(from, to); ++row) addToSelection(row);
    presentRows();
}

bool ListView::onWheel(int delta, QPoint, int) {
    ScrollBar* vertical = verticalBar();
    ScrollBar* bar = vertical && vertical->isVisible() ? vertical : horizontalBar();
    if (bar) bar->dispatch(msg::kMouseWheel, static_cast<std::uintptr_t>(static_cast<std::uint16_t>(delta)) << 16, 0);
    return true;
}

}  // namespace vamu::toolkit
