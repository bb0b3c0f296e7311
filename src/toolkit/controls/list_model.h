#pragma once
// The rows and columns behind a list view: a compact table with no painting and no
// controls per row, so a list of thousands of rows costs only its texts. Rows and
// columns are numbered from 1; a number outside 1..count makes an operation do
// nothing and answer 0, false or an empty text.

#include <QRgb>
#include <QString>

#include <cstdint>
#include <vector>

namespace vamu::toolkit {

struct ListColumn {
    QString title;
    int headerImage = 0;  // 1-based index into the header images; 0 none
    int align = 0;        // 0 near, 1 centre, 2 far
    int width = 50;       // pixels; 0 hides the column
    int sortState = 0;    // 0 unsorted, 1 ascending, 2 descending
};

struct ListCell {
    QString text;
    int value = 0;  // 1-based index into the row images; 0 none
};

// Row states.
namespace row_state {
inline constexpr int kNormal = 0;
inline constexpr int kSelected = 2;
inline constexpr int kHot = 128;
}  // namespace row_state

struct ListRow {
    std::vector<ListCell> cells;  // one per column
    int state = row_state::kNormal;
    bool checked = false;
    int userValue = 0;    // the application's mark
    int sortKey = 0;      // written by sorting
    int indent = 0;       // in row-image widths
    QRgb textColour = 0;  // 0: the list's text colour
    QRgb backColour = 0;  // 0: none
};

enum class SortOrder { Ascending = 1, Descending = 2 };
enum class SortKey { Text = 1, Integer = 2, DateTime = 3 };

class ListModel {
public:
    [[nodiscard]] int columnCount() const { return static_cast<int>(m_columns.size()); }
    [[nodiscard]] int rowCount() const { return static_cast<int>(m_rows.size()); }
    [[nodiscard]] bool validColumn(int column) const { return column >= 1 && column <= columnCount(); }
    [[nodiscard]] bool validRow(int row) const { return row >= 1 && row <= rowCount(); }
    [[nodiscard]] const ListColumn& column(int column) const { return m_columns[column - 1]; }
    [[nodiscard]] ListColumn& column(int column) { return m_columns[column - 1]; }
    [[nodiscard]] const ListRow& row(int row) const { return m_rows[row - 1]; }
    [[nodiscard]] ListRow& row(int row) { return m_rows[row - 1]; }
    [[nodiscard]] const std::vector<ListColumn>& columns() const { return m_columns; }
    // The sum of the column widths.
    [[nodiscard]] int contentWidth() const;
    // The left edge of a column, counted from the first column's left edge.
    [[nodiscard]] int columnLeft(int column) const;

    // Index 0 or past the end appends; every row gets an empty cell there. Answers
    // the new column's number.
    int insertColumn(int index, ListColumn column);
    // Only while at least two columns exist.
    bool deleteColumn(int column);
    // Needs a column; index 0 or past the end appends. Answers the new row's number.
    int insertRow(int index, ListRow row);
    bool deleteRow(int row);
    void clear() { m_rows.clear(); }

    [[nodiscard]] QString cellText(int row, int column) const;
    // The first row from `start` whose cell equals the text (or contains it when
    // wholeCell is false); column 0 searches every column. 0 when none.
    [[nodiscard]] int findRow(const QString& text, int start = 1, bool wholeCell = true, int column = 1) const;
    [[nodiscard]] int findRowByValue(int value, int start = 1) const;

    // A stable sort by the column's cells: rows with equal keys keep their order in
    // both directions. Texts compare as in the program's Chinese locale (Chinese by
    // pinyin, before Latin letters). Writes each row's sortKey (its integer key, or its rank for
    // texts and dates) and the column's sortState; resets the others' sortState.
    void sort(int column, SortOrder order, SortKey key);

private:
    std::vector<ListColumn> m_columns;
    std::vector<ListRow> m_rows;
};

// A cell text read as an integer the way a C library does: leading blanks, an
// optional sign, then digits up to the first other character; 0 when there are none.
// Clamped to the 32-bit range.
[[nodiscard]] int leadingInteger(const QString& text);
// A cell text read as a date-time in seconds since 1970 (UTC); texts that are no
// date-time give the earliest value, so they sort first.
[[nodiscard]] std::int64_t dateTimeKey(const QString& text);

}  // namespace vamu::toolkit
