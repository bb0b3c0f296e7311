// The list view's creation, layout, scroll bars and the operations on its model.
#include "toolkit/controls/list_view.h"

#include "toolkit/controls/class_events.h"
#include "toolkit/controls/class_names.h"
#include "toolkit/controls/control_internal.h"
#include "toolkit/controls/scroll_bar.h"
#include "toolkit/controls/surface.h"
#include "toolkit/controls/text_paint.h"
#include "toolkit/engine.h"
#include "toolkit/host_window.h"
#include "toolkit/theme_names.h"
#include "toolkit/toolkit.h"

#include <QFontMetrics>

#include <algorithm>

namespace vamu::toolkit {

ListView::ListView(const ListViewOptions& options) : m_options(options), m_singleSelection(options.singleSelection) {}

ListView::~ListView() = default;

ListView* ListView::create(ControlParent parent, const QRect& rect, const ListViewOptions& options) {
    return create(std::make_unique<ListView>(options), parent, rect);
}

ListView* ListView::create(std::unique_ptr<ListView> made, ControlParent parent, const QRect& rect) {
    if (!made) return nullptr;
    CreateOptions base;
    base.visible = made->m_options.visible;
    base.focusable = true;
    base.tabStop = true;
    base.drawTabStop = false;
    ListView* list = BaseControl::create(std::move(made), parent, rect, kind::kListView, names::kListView, base);
    if (!list) return nullptr;
    // The bars are children, so they can only be made once the list exists.
    CreateOptions barOptions = ScrollBar::defaultOptions();
    barOptions.visible = false;
    barOptions.focusable = false;
    barOptions.mouseTrack = true;
    const ControlHandle self = list->handle();
    for (const Orientation orientation : {Orientation::Vertical, Orientation::Horizontal}) {
        ScrollBar* bar = ScrollBar::create(*list, QRect(0, 0, kBarThickness, kBarThickness), orientation, barOptions);
        if (!bar) continue;
        bar->setRange(0, 0);
        bar->setPageChange(3 * list->m_rowHeight);
        bar->setLineChange(list->m_rowHeight);
        bar->setHFlags(ScrollBar::kDrawThumb | ScrollBar::kDrawTrack | ScrollBar::kTrackOnHover | ScrollBar::kNoArrows);
        bar->bindScroll([self, orientation](ScrollBar&, int position, ScrollCode) {
            if (auto* owner = resolveControlAs<ListView>(self)) {
                if (orientation == Orientation::Vertical)
                    owner->verticalScrolled(position);
                else
                    owner->horizontalScrolled(position);
            }
        });
        (orientation == Orientation::Vertical ? list->m_verticalBar : list->m_horizontalBar) = bar->handle();
    }
    list->layout();
    list->redraw();
    return list;
}

void ListView::onCreate(int) {
    const QString family = m_options.fontName.isEmpty() ? toolkitFont().family() : m_options.fontName;
    setFont(makeFont(family, m_options.fontSize, m_options.fontStyle), false);
    measure();
    layout();
}

std::intptr_t ListView::classProc(const Message& message) {
    if (message.id == msg::kPaint) m_bufferStale = true;
    return BaseControl::classProc(message);
}

void ListView::onDestroy() { m_buffer = QImage(); }

void ListView::onGeometryChanged(const QRect&) { layout(); }

void ListView::onFontChanged() {
    measure();
    layout();
}

void ListView::onThemeChanged() {
    measure();
    layout();
    redraw();
}

ScrollBar* ListView::verticalBar() const { return resolveControlAs<ScrollBar>(m_verticalBar); }
ScrollBar* ListView::horizontalBar() const { return resolveControlAs<ScrollBar>(m_horizontalBar); }

int ListView::checkBoxWidth() const { return m_checkSize.width(); }

namespace {

QSize checkBoxSize(const ThemePack* theme) {
    const std::optional<QRect> box = engine::getPackRect(theme, theme::kCheckButton, theme::kSize);
    return box ? box->size() : QSize(13, 13);
}

}  // namespace

int ListView::rowHeightFor(const QFont& font, const ThemePack* theme, const ListViewOptions& options) {
    int height = QFontMetrics(font).height() + 3;
    if (options.checkBoxes) height = std::max(height, checkBoxSize(theme).height() + 4);
    for (const ImageList* images : {&options.headerImages, &options.rowImages}) {
        if (!images->size.isEmpty()) height = std::max(height, images->size.height() + 4);
    }
    return height + 2;
}

void ListView::measure() {
    const ThemePack* theme = host() ? host()->theme() : nullptr;
    m_checkSize = checkBoxSize(theme);
    m_rowHeight = rowHeightFor(font(), theme, m_options);
    m_headerHeight = static_cast<int>(m_rowHeight * 1.2);
    adjustHeights(m_rowHeight, m_headerHeight, m_checkSize);
    m_rowHeight = std::max(m_rowHeight, 1);
    if (ScrollBar* bar = verticalBar()) {
        bar->setPageChange(3 * m_rowHeight);
        bar->setLineChange(m_rowHeight);
    }
    if (ScrollBar* bar = horizontalBar()) {
        bar->setPageChange(3 * m_rowHeight);
        bar->setLineChange(m_rowHeight);
    }
}

int ListView::contentWidth() const {
    const int width = m_model.contentWidth();
    return width > 0 ? width : m_rowsArea.width();
}

void ListView::layout() {
    m_view = QRect(0, 0, width(), height());
    if (m_options.borderColour != 0) m_view.adjust(1, 1, -1, -1);
    if (!m_options.noHeader) {
        m_headerArea = QRect(m_view.x(), m_view.y(), m_view.width(), std::min(m_headerHeight, m_view.height()));
        m_rowsArea =
            QRect(m_view.x(), m_headerArea.bottom() + 1, m_view.width(), m_view.height() - m_headerArea.height());
    } else {
        m_headerArea = QRect();
        m_rowsArea = m_view;
    }
    m_visibleRows = m_rowHeight > 0 ? (std::max(0, m_rowsArea.height()) + m_rowHeight - 1) / m_rowHeight : 0;
    const QSize bufferSize(std::max(1, m_rowsArea.width()), std::max(1, m_rowHeight * (m_visibleRows + 1)));
    const qreal ratio = host() ? host()->devicePixelRatio() : 1.0;
    if (surface::logicalSize(m_buffer) != bufferSize || m_buffer.devicePixelRatio() != ratio) {
        m_buffer = surface::make(bufferSize, ratio);
    }
    m_bufferStale = true;
    if (ScrollBar* bar = verticalBar()) {
        bar->setRect(
            QRect(m_rowsArea.right() - kBarThickness + 1, m_rowsArea.top(), kBarThickness, m_rowsArea.height()));
    }
    if (ScrollBar* bar = horizontalBar()) {
        bar->setRect(QRect(m_rowsArea.left(), m_rowsArea.bottom() - kBarThickness + 1,
                           std::max(0, m_rowsArea.width() - kBarThickness), kBarThickness));
    }
    updateBars();
}

void ListView::updateBars() {
    ScrollBar* vertical = verticalBar();
    ScrollBar* horizontal = horizontalBar();
    if (!vertical || !horizontal) return;
    // The horizontal bar shows for columns wider than the rows area; the vertical
    // one for rows taller than what the horizontal bar leaves. Each bar's range
    // covers the other's thickness, so nothing stays hidden under a bar.
    const bool horizontalNeeded = m_model.contentWidth() > m_rowsArea.width();
    const bool verticalNeeded = contentHeight() > m_rowsArea.height() - (horizontalNeeded ? kBarThickness : 0);
    horizontal->setViewPos(m_rowsArea.width());
    horizontal->setRange(0, contentWidth() + (verticalNeeded ? kBarThickness : 0));
    vertical->setViewPos(m_rowsArea.height());
    vertical->setRange(0, contentHeight() + (horizontalNeeded ? kBarThickness : 0));
    if (horizontal->isVisible() != horizontalNeeded || vertical->isVisible() != verticalNeeded) {
        horizontal->setVisible(horizontalNeeded);
        vertical->setVisible(verticalNeeded);
        presentRows();  // the rows under a bar are clipped away or come back
    }
}

void ListView::setVerticalPosition(int position) {
    if (ScrollBar* bar = verticalBar()) bar->setPos(position, ScrollBar::Notify::Yes);
}

void ListView::setHorizontalPosition(int position) {
    if (ScrollBar* bar = horizontalBar()) bar->setPos(position, ScrollBar::Notify::Yes);
}

void ListView::verticalScrolled(int position) {
    const int previousFirst = m_firstVisibleRow;
    m_verticalPosition = position;
    m_firstVisibleRow = m_rowHeight > 0 ? position / m_rowHeight + 1 : 1;
    const int moved = m_firstVisibleRow - previousFirst;
    if (moved != 0 && !m_bufferStale) {
        if (std::abs(moved) < m_visibleRows + 1)
            shiftBuffer(0, -moved);
        else
            paintBufferAll();
    }
    if (m_drag != Drag::SelectionRectangle) presentRows();
}

void ListView::horizontalScrolled(int position) {
    m_horizontalPosition = position;
    m_bufferStale = true;
    present(QRect(0, 0, width(), height()));
}

void ListView::contentChanged() {
    updateBars();
    presentRows();
}

int ListView::insertColumn(int index, const QString& title, int width, int align, int headerImage) {
    const int column = m_model.insertColumn(index, ListColumn{title, headerImage, std::clamp(align, 0, 2), width, 0});
    m_model.column(1).align = 0;  // the first column is always near-aligned
    updateBars();
    m_bufferStale = true;
    present(QRect(0, 0, this->width(), height()));
    return column;
}

bool ListView::deleteColumn(int column) {
    if (!m_model.validColumn(column)) return false;
    const int removed = m_model.column(column).width;
    if (!m_model.deleteColumn(column)) return false;
    updateBars();
    setHorizontalPosition(std::max(0, m_horizontalPosition - removed));
    m_bufferStale = true;
    present(QRect(0, 0, width(), height()));
    return true;
}

int ListView::columnWidth(int column) const { return m_model.validColumn(column) ? m_model.column(column).width : 0; }

bool ListView::setColumnWidth(int column, int width) {
    if (!m_model.validColumn(column)) return false;
    width = std::max(0, width);
    if (column == 1 && m_options.checkBoxes) width = std::max(width, checkBoxWidth() + 6);
    m_model.column(column).width = width;
    updateBars();
    m_bufferStale = true;
    present(QRect(0, 0, this->width(), height()));
    return true;
}

int ListView::insertRow(int index, const QString& text, int cellValue, int userValue, int indent, QRgb textColour,
                        QRgb backColour) {
    ListRow row;
    row.cells.resize(1);
    row.cells[0] = ListCell{text, cellValue};
    row.userValue = userValue;
    row.indent = std::max(0, indent);
    row.textColour = textColour;
    row.backColour = backColour;
    const int inserted = m_model.insertRow(index, std::move(row));
    if (inserted == 0) return 0;
    const auto renumber = [inserted](int& number) {
        if (number >= inserted) ++number;
    };
    renumber(m_selectedRow);
    renumber(m_hotRow);
    for (int& selected : m_selection) renumber(selected);
    bool repaint = false;
    if (!m_bufferStale) {
        if (inserted < m_firstVisibleRow) {
            shiftBuffer(0, 1);  // every visible row moved down by one
            repaint = true;
        } else if (rowInBuffer(inserted)) {
            shiftBuffer(inserted - m_firstVisibleRow, 1);
            repaint = true;
        }
    }
    updateBars();
    if (repaint) presentRows();
    return inserted;
}

bool ListView::deleteRow(int row) {
    if (!m_model.validRow(row)) return false;
    m_model.deleteRow(row);
    const auto renumber = [row](int& number) {
        if (number == row)
            number = 0;
        else if (number > row)
            --number;
    };
    renumber(m_selectedRow);
    renumber(m_hotRow);
    std::erase(m_selection, row);
    for (int& selected : m_selection) renumber(selected);
    // The position goes up by one row whichever row went: above the view that keeps
    // the rows in view where they were; inside it the rows above the gap move down
    // into it, the rows below stay.
    const int previousFirst = m_firstVisibleRow;
    const bool inBuffer = row >= previousFirst && row <= previousFirst + m_visibleRows;
    const int position = std::max(0, m_verticalPosition - m_rowHeight);
    if (position != m_verticalPosition) {
        m_verticalPosition = position;
        m_firstVisibleRow = m_rowHeight > 0 ? position / m_rowHeight + 1 : 1;
        if (ScrollBar* bar = verticalBar()) bar->setPos(position);
        // Every visible row above the gap moved: paint them all again.
        if (row >= previousFirst) m_bufferStale = true;
    } else if (inBuffer && !m_bufferStale) {
        shiftBuffer(row - m_firstVisibleRow, -1);
    }
    contentChanged();
    return true;
}

void ListView::clear() {
    if (rowCount() == 0) return;
    m_model.clear();
    m_selection.clear();
    m_selectedRow = 0;
    m_hotRow = 0;
    m_verticalPosition = 0;
    m_horizontalPosition = 0;
    m_firstVisibleRow = 1;
    for (ScrollBar* bar : {verticalBar(), horizontalBar()}) {
        if (!bar) continue;
        bar->setPos(0);
        bar->setRange(0, 0);
        bar->setVisible(false);
    }
    m_bufferStale = true;
    updateBars();
    present(QRect(0, 0, width(), height()));
}

bool ListView::setCellText(int row, int column, const QString& text, int cellValue) {
    if (!m_model.validRow(row) || !m_model.validColumn(column)) return false;
    m_model.row(row).cells[column - 1] = ListCell{text, cellValue};
    repaintRow(row);
    return true;
}

bool ListView::setCellValue(int row, int column, int value, bool repaint) {
    if (!m_model.validRow(row) || !m_model.validColumn(column)) return false;
    m_model.row(row).cells[column - 1].value = value;
    if (repaint) repaintRow(row);
    return true;
}

int ListView::cellValue(int row, int column) const {
    if (!m_model.validRow(row) || !m_model.validColumn(column)) return 0;
    return m_model.row(row).cells[column - 1].value;
}

bool ListView::setRowValue(int row, int value) {
    if (!m_model.validRow(row)) return false;
    m_model.row(row).userValue = value;
    return true;
}

bool ListView::setRowColours(int row, QRgb textColour, QRgb backColour, bool repaint) {
    if (!m_model.validRow(row)) return false;
    m_model.row(row).textColour = textColour;
    m_model.row(row).backColour = backColour;
    if (repaint) repaintRow(row);
    return true;
}

bool ListView::setRowState(int row, int state) {
    if (!m_model.validRow(row)) return false;
    m_model.row(row).state = state;
    return true;
}

bool ListView::setRowChecked(int row, bool checked) {
    if (!m_model.validRow(row)) return false;
    if (m_model.row(row).checked == checked) return true;
    m_model.row(row).checked = checked;
    repaintRow(row);
    return true;
}

void ListView::redrawRow(int row) { repaintRow(row); }

void ListView::clearSelectionStates() {
    std::vector<int> rows = m_selection;
    if (m_selectedRow) rows.push_back(m_selectedRow);
    m_selection.clear();
    for (const int row : rows) {
        if (!m_model.validRow(row)) continue;
        m_model.row(row).state = row == m_hotRow ? row_state::kHot : row_state::kNormal;
        repaintRow(row);
    }
}

void ListView::selectOnly(int row) {
    clearSelectionStates();
    m_selectedRow = m_model.validRow(row) ? row : 0;
    if (!m_selectedRow) return;
    m_model.row(row).state = row_state::kSelected;
    if (!m_singleSelection) m_selection.push_back(row);
    repaintRow(row);
}

void ListView::setSelectedRow(int row) { selectOnly(row); }

bool ListView::addToSelection(int row) {
    if (m_singleSelection || !m_model.validRow(row) || isSelected(row)) return false;
    m_selection.push_back(row);
    m_model.row(row).state = row_state::kSelected;
    repaintRow(row);
    return true;
}

bool ListView::removeFromSelection(int row) {
    if (!m_model.validRow(row) || std::find(m_selection.begin(), m_selection.end(), row) == m_selection.end()) {
        return false;
    }
    std::erase(m_selection, row);
    m_model.row(row).state = row == m_hotRow ? row_state::kHot : row_state::kNormal;
    repaintRow(row);
    return true;
}

std::vector<int> ListView::selection() const {
    if (!m_singleSelection) return m_selection;
    if (m_selectedRow) return {m_selectedRow};
    return {};
}

bool ListView::isSelected(int row) const {
    return m_model.validRow(row) && m_model.row(row).state == row_state::kSelected;
}

void ListView::selectAll(bool select, bool check) {
    if (m_singleSelection) return;
    for (int row = 1; row <= rowCount(); ++row) {
        ListRow& r = m_model.row(row);
        if (check) r.checked = true;
        if (select && r.state != row_state::kSelected) {
            r.state = row_state::kSelected;
            m_selection.push_back(row);
        }
    }
    m_bufferStale = true;
    presentRows();
}

void ListView::setSingleSelection(bool on) {
    if (on == m_singleSelection) return;
    m_singleSelection = on;
    const int keep = m_selectedRow;
    clearSelectionStates();
    selectOnly(keep);
}

void ListView::ensureVisible(int row) {
    if (!m_model.validRow(row)) return;
    const ScrollBar* horizontal = horizontalBar();
    const int view = m_rowsArea.height() - (horizontal && horizontal->isVisible() ? kBarThickness : 0);
    const int top = (row - 1) * m_rowHeight;
    const int bottom = row * m_rowHeight;
    if (top >= m_verticalPosition && bottom <= m_verticalPosition + view) return;
    const int limit = std::max(0, contentHeight() - view);
    setVerticalPosition(std::clamp(bottom - view, 0, limit));
}

void ListView::sortColumn(int column, SortOrder order, SortKey key) {
    if (!m_model.validColumn(column) || rowCount() < 2) return;
    for (int row = 1; row <= rowCount(); ++row) m_model.row(row).state = row_state::kNormal;
    m_selection.clear();
    m_selectedRow = 0;
    m_hotRow = 0;
    m_model.sort(column, order, key);
    m_verticalPosition = 0;
    m_firstVisibleRow = 1;
    if (ScrollBar* bar = verticalBar()) bar->setPos(0);
    m_bufferStale = true;
    present(QRect(0, 0, width(), height()));
}

QRgb ListView::stateColour(int state) const {
    const int hostAlpha = host() && host()->alpha() >= 0 ? host()->alpha() : 255;
    const int alpha = state == row_state::kSelected ? std::max(51, static_cast<int>(0.6 * hostAlpha))
                                                    : std::max(21, static_cast<int>(0.3 * hostAlpha));
    return (paint::kThemeColour & 0x00FFFFFFu) | (static_cast<QRgb>(alpha) << 24);
}

void ListView::raiseListEvent(MessageId message, int first, int second, QPoint point) {
    Event event = classEvent(*this, message, first, second);
    event.x = point.x();
    event.y = point.y();
    detail::DispatchScope scope;  // a handler may destroy the list
    raise(event);
}

void ListView::bindEmptyClick(EmptyHandler handler) {
    bind(tkm::kListEmptyClick, typedHandler<ListView>([h = std::move(handler)](ListView& l, const Event&) { h(l); }));
}

void ListView::bindEmptyRightClick(EmptyHandler handler) {
    bind(tkm::kListEmptyRightClick,
         typedHandler<ListView>([h = std::move(handler)](ListView& l, const Event&) { h(l); }));
}

void ListView::bindSelectionChanged(SelectionHandler handler) {
    bind(tkm::kListSelectionChanged, typedHandler<ListView>([h = std::move(handler)](ListView& l, const Event& e) {
             h(l, firstValue(e), secondValue(e));
         }));
}

void ListView::bindCheckToggled(CheckHandler handler) {
    bind(tkm::kListCheckToggled, typedHandler<ListView>([h = std::move(handler)](ListView& l, const Event& e) {
             h(l, firstValue(e), secondValue(e) != 0);
         }));
}

void ListView::bindRowClick(RowHandler handler) {
    bind(tkm::kListRowClick, typedHandler<ListView>([h = std::move(handler)](ListView& l, const Event& e) {
             h(l, firstValue(e), secondValue(e), QPoint(e.x, e.y));
         }));
}

void ListView::bindRowRightClick(RowHandler handler) {
    bind(tkm::kListRowRightClick, typedHandler<ListView>([h = std::move(handler)](ListView& l, const Event& e) {
             h(l, firstValue(e), secondValue(e), QPoint(e.x, e.y));
         }));
}

}  // namespace vamu::toolkit
