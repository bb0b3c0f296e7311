#pragma once
// The list view: a table with an optional header, rows of cells holding a text and
// an image, optional check boxes, single or multiple selection, hot tracking,
// sorting, column resizing with the mouse and two child scroll bars (hidden until
// the content outgrows the view). The application's song lists and the combo box's
// drop-down are list views.
//
// Cost stays with what is visible: rows live in a compact model (list_model.h) and
// the visible rows are painted into a row buffer one row taller than the rows area.
// Scrolling by fewer rows than are visible moves the buffer's pixels and paints only
// the rows that came into view; a change of one row repaints that row. Nothing is
// kept per row beyond its texts and a few integers.
//
// Rows and columns are numbered from 1. Events (message, what the typed handler
// gets): 20401/20402 left/right release where there is no cell; 20403 the mouse
// changed the selected row (new row, 0 beside the last column; previous row);
// 20404 a check box toggled by the mouse; 20405/20406 left/right release over the
// selected row (row, column, point in the cell) or over the header column pressed
// before (row 0). A double click on a row arrives as the base event 515 after the
// press has selected the row. UI thread only.

#include "toolkit/controls/control.h"
#include "toolkit/controls/list_model.h"

#include <QImage>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace vamu::toolkit {

class ScrollBar;
class ThemePack;

namespace tkm {
inline constexpr MessageId kListEmptyClick = 20401;
inline constexpr MessageId kListEmptyRightClick = 20402;
inline constexpr MessageId kListSelectionChanged = 20403;
inline constexpr MessageId kListCheckToggled = 20404;
inline constexpr MessageId kListRowClick = 20405;
inline constexpr MessageId kListRowRightClick = 20406;
}  // namespace tkm

// Pictures of one size, chosen by a 1-based index (0: none).
struct ImageList {
    QSize size;
    std::vector<QImage> images;
    [[nodiscard]] const QImage* at(int index) const {
        return index >= 1 && index <= static_cast<int>(images.size()) ? &images[index - 1] : nullptr;
    }
};

struct ListViewOptions {
    bool noHeader = false;  // styleFlags bit 1
    bool headerHot = true;  // the header reacts to the mouse
    bool singleSelection = true;
    bool checkBoxes = false;
    ImageList headerImages;
    ImageList rowImages;
    QRgb textColour = qRgba(0, 0, 0, 240);
    QRgb backgroundColour = 0xFFFFFFFF;
    QString fontName;   // empty: the toolkit's font face
    int fontSize = 12;  // pixels
    int fontStyle = 0;
    QRgb borderColour = qRgba(0, 0, 0, 102);  // 0: no border
    bool visible = true;
};

struct ListHit {
    int row = 0;     // 0: no row (header, or below the last row)
    int column = 0;  // 0: beside the last column
    QPoint inCell;   // the point in the cell (header: in the column)
    bool header = false;
};

class ListView : public BaseControl {
public:
    using EmptyHandler = std::function<void(ListView&)>;
    using SelectionHandler = std::function<void(ListView&, int row, int previous)>;
    using CheckHandler = std::function<void(ListView&, int row, bool checked)>;
    using RowHandler = std::function<void(ListView&, int row, int column, QPoint inCell)>;

    static constexpr int kBarThickness = 10;

    static ListView* create(ControlParent parent, const QRect& rect, const ListViewOptions& options = {});
    // Creates a list of a derived class (made with its options) with its scroll bars.
    static ListView* create(std::unique_ptr<ListView> list, ControlParent parent, const QRect& rect);
    // The row height a list with these options and this font takes.
    [[nodiscard]] static int rowHeightFor(const QFont& font, const ThemePack* theme, const ListViewOptions& options);
    explicit ListView(const ListViewOptions& options);
    ~ListView() override;

    [[nodiscard]] const ListModel& model() const { return m_model; }

    // Columns.
    int insertColumn(int index, const QString& title, int width = 50, int align = 0, int headerImage = 0);
    bool deleteColumn(int column);
    [[nodiscard]] int columnCount() const { return m_model.columnCount(); }
    [[nodiscard]] int columnWidth(int column) const;
    // Never below 0 (the first column with check boxes never below the box width + 6).
    bool setColumnWidth(int column, int width);

    // Rows. textColour 0 uses the list's text colour.
    int insertRow(int index, const QString& text, int cellValue = 0, int userValue = 0, int indent = 0,
                  QRgb textColour = 0, QRgb backColour = 0);
    // Takes one row height off the vertical position, whichever row it was.
    bool deleteRow(int row);
    void clear();
    [[nodiscard]] int rowCount() const { return m_model.rowCount(); }
    bool setCellText(int row, int column, const QString& text, int cellValue = 0);
    [[nodiscard]] QString cellText(int row, int column = 1) const { return m_model.cellText(row, column); }
    bool setCellValue(int row, int column, int value, bool repaint = true);
    [[nodiscard]] int cellValue(int row, int column) const;
    bool setRowValue(int row, int value);
    [[nodiscard]] int rowValue(int row) const { return m_model.validRow(row) ? m_model.row(row).userValue : 0; }
    bool setRowColours(int row, QRgb textColour, QRgb backColour, bool repaint = true);
    [[nodiscard]] int rowState(int row) const { return m_model.validRow(row) ? m_model.row(row).state : 0; }
    bool setRowState(int row, int state);  // no repaint
    [[nodiscard]] bool rowChecked(int row) const { return m_model.validRow(row) && m_model.row(row).checked; }
    bool setRowChecked(int row, bool checked);
    void redrawRow(int row);

    // Selection.
    [[nodiscard]] int selectedRow() const { return m_selectedRow; }
    // Clears the multiple selection, then selects the row (none for an invalid number).
    void setSelectedRow(int row);
    bool addToSelection(int row);
    bool removeFromSelection(int row);
    [[nodiscard]] int selectionCount() const { return static_cast<int>(selection().size()); }
    [[nodiscard]] std::vector<int> selection() const;
    [[nodiscard]] bool isSelected(int row) const;
    void selectAll(bool select, bool check);
    [[nodiscard]] bool singleSelection() const { return m_singleSelection; }
    void setSingleSelection(bool on);
    [[nodiscard]] bool hoverSelect() const { return m_hoverSelect; }
    void setHoverSelect(bool on) { m_hoverSelect = on; }

    [[nodiscard]] int findRow(const QString& text, int start = 1, bool wholeCell = true, int column = 1) const {
        return m_model.findRow(text, start, wholeCell, column);
    }
    [[nodiscard]] int findRowByValue(int value, int start = 1) const { return m_model.findRowByValue(value, start); }
    void ensureVisible(int row);
    // Clears the selection and scrolls to the top.
    void sortColumn(int column, SortOrder order = SortOrder::Ascending, SortKey key = SortKey::Text);

    void bindEmptyClick(EmptyHandler handler);
    void bindEmptyRightClick(EmptyHandler handler);
    void bindSelectionChanged(SelectionHandler handler);
    void bindCheckToggled(CheckHandler handler);
    void bindRowClick(RowHandler handler);
    void bindRowRightClick(RowHandler handler);

    // Layout and scrolling, control coordinates.
    [[nodiscard]] int rowHeight() const { return m_rowHeight; }
    [[nodiscard]] int headerHeight() const { return m_headerHeight; }
    [[nodiscard]] QRect rowsArea() const { return m_rowsArea; }
    [[nodiscard]] QRect rowRect(int row) const;  // control coordinates, clipped to the rows area
    [[nodiscard]] QRect headerArea() const { return m_headerArea; }
    [[nodiscard]] int contentWidth() const;
    [[nodiscard]] int contentHeight() const { return rowCount() * m_rowHeight; }
    [[nodiscard]] int visibleRows() const { return m_visibleRows; }
    [[nodiscard]] int firstVisibleRow() const { return m_firstVisibleRow; }
    [[nodiscard]] int verticalPosition() const { return m_verticalPosition; }
    [[nodiscard]] int horizontalPosition() const { return m_horizontalPosition; }
    // Scrolls as the vertical and horizontal bars would.
    void setVerticalPosition(int position);
    void setHorizontalPosition(int position);
    [[nodiscard]] ScrollBar* verticalBar() const;
    [[nodiscard]] ScrollBar* horizontalBar() const;
    [[nodiscard]] int hotRow() const { return m_hotRow; }
    [[nodiscard]] ListHit hitTest(QPoint local) const;
    // How many rows were painted into the row buffer so far (a cost probe).
    [[nodiscard]] long long paintedRowCount() const { return m_paintedRows; }

protected:
    // Hooks for derived lists; each does nothing by default. The painting hooks answer
    // true when they have drawn (the list then draws nothing there itself).
    virtual void adjustHeights(int& /*rowHeight*/, int& /*headerHeight*/, QSize& /*checkBox*/) {}
    virtual bool paintRowsBackground(QPainter& /*painter*/, const QRect& /*area*/) { return false; }
    virtual bool paintRowBackground(QPainter& /*painter*/, const ListRow& /*row*/, const QRect& /*rect*/) {
        return false;
    }
    virtual bool paintCellContent(QPainter& /*painter*/, const ListRow& /*row*/, int /*column*/,
                                  const QRect& /*cell*/) {
        return false;
    }
    virtual void hotRowChanged(int /*row*/, int /*previous*/) {}

    // A paint message repaints the rows too; presenting a change only redraws the buffer.
    std::intptr_t classProc(const Message& message) override;
    void onCreate(int createData) override;
    void onDestroy() override;
    void onPaint(QPainter& painter, const PaintContext& context) override;
    void onMouseMove(QPoint local, int modifiers) override;
    void onLeftDown(QPoint local, int modifiers) override;
    void onLeftUp(QPoint local, int modifiers) override;
    void onRightDown(QPoint local, int modifiers) override;
    void onRightUp(QPoint local, int modifiers) override;
    void onMouseLeave(ControlHandle next) override;
    bool onWheel(int delta, QPoint local, int modifiers) override;
    bool onSetCursor() override;
    void onGeometryChanged(const QRect& old) override;
    void onFontChanged() override;
    void onThemeChanged() override;

private:
    enum class Drag { None, ColumnResize, SelectionRectangle };
    enum class Button { Left, Right };

    // list_view.cpp: layout, scroll bars and the model's operations.
    void measure();
    void layout();
    void updateBars();
    void verticalScrolled(int position);
    void horizontalScrolled(int position);
    void contentChanged();
    void selectOnly(int row);
    void clearSelectionStates();
    void raiseListEvent(MessageId message, int first, int second, QPoint point = {});
    [[nodiscard]] QRgb stateColour(int state) const;
    [[nodiscard]] int checkBoxWidth() const;

    // list_view_paint.cpp: the row buffer and presentation.
    [[nodiscard]] bool rowInBuffer(int row) const;
    void paintBufferRow(int row);
    void paintBufferRows(int first, int last);
    void paintBufferAll();
    // Moves buffer lines from `fromLine` on by delta lines (down when positive),
    // dropping what leaves the buffer, and paints the lines left uncovered.
    void shiftBuffer(int fromLine, int delta);
    void paintRow(QPainter& painter, const ListRow& row, int y);
    void paintCell(QPainter& painter, const ListRow& row, int column, const QRect& cell);
    void paintHeader(QPainter& painter);
    void paintOverlay(QPainter& painter);
    // Presents an area of the control from the buffer (no rows are painted).
    void present(const QRect& area);
    void presentRows() { present(m_rowsArea); }
    void repaintRow(int row);

    // list_view_input.cpp: mouse handling.
    [[nodiscard]] int dividerAt(QPoint local) const;
    [[nodiscard]] int headerColumnAt(int x) const;
    void press(QPoint local, int modifiers, Button button);
    void release(QPoint local, Button button);
    void pressRows(QPoint local, int modifiers, Button button);
    void pressMultiple(int row, int modifiers, Button button);
    // The cursor over dividers, the hot row and the hot header column at a point.
    void trackHover(QPoint local);
    void hoverRow(int row);
    void hoverSelectRow(const ListHit& hit);
    void setHeaderHot(int column, bool pressed);
    void finishColumnResize(QPoint local);
    void finishSelectionRectangle(QPoint local);

    ListModel m_model;
    ListViewOptions m_options;
    bool m_singleSelection = true;
    bool m_hoverSelect = false;
    std::vector<int> m_selection;  // the multiple selection, row numbers
    int m_selectedRow = 0;
    int m_hotRow = 0;
    int m_rowHeight = 0;
    int m_headerHeight = 0;
    QSize m_checkSize;
    QRect m_view;
    QRect m_rowsArea;
    QRect m_headerArea;
    int m_visibleRows = 0;
    int m_firstVisibleRow = 1;
    int m_verticalPosition = 0;
    int m_horizontalPosition = 0;
    QImage m_buffer;  // rows firstVisibleRow .. + visibleRows
    bool m_bufferStale = true;
    long long m_paintedRows = 0;
    ControlHandle m_verticalBar;
    ControlHandle m_horizontalBar;
    Drag m_drag = Drag::None;
    int m_dragColumn = 0;
    QPoint m_dragStart;
    QPoint m_dragPoint;
    int m_headerHotColumn = 0;
    bool m_headerPressed = false;
    int m_pressedHeaderColumn = 0;
    bool m_overDivider = false;
};

}  // namespace vamu::toolkit
