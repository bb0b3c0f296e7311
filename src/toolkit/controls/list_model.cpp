#include "toolkit/controls/list_model.h"

#include <QCollator>
#include <QDateTime>
#include <QLocale>
#include <QTimeZone>

#include <algorithm>
#include <array>
#include <limits>
#include <numeric>

namespace vamu::toolkit {
namespace {

const QCollator& collator() {
    static const QCollator instance = [] {
        QCollator c(QLocale(QLocale::Chinese, QLocale::China));
        c.setCaseSensitivity(Qt::CaseSensitive);
        return c;
    }();
    return instance;
}

// Ranks of the keys: equal keys share a rank, so a stable sort by rank keeps them
// in their order.
template <class Key, class Less>
std::vector<int> ranks(const std::vector<Key>& keys, Less less) {
    std::vector<int> order(keys.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return less(keys[a], keys[b]); });
    std::vector<int> rank(keys.size());
    int current = 0;
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (i > 0 && less(keys[order[i - 1]], keys[order[i]])) ++current;
        rank[order[i]] = current;
    }
    return rank;
}

}  // namespace

int leadingInteger(const QString& text) {
    int i = 0;
    const int size = static_cast<int>(text.size());
    while (i < size && (text[i] == u' ' || text[i] == u'\t' || text[i] == u'\n' || text[i] == u'\r')) ++i;
    bool negative = false;
    if (i < size && (text[i] == u'-' || text[i] == u'+')) negative = text[i++] == u'-';
    long long value = 0;
    for (; i < size && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        value = std::min<long long>(value * 10 + (text[i].unicode() - u'0'), 1LL << 40);
    }
    if (negative) value = -value;
    return static_cast<int>(
        std::clamp<long long>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

std::int64_t dateTimeKey(const QString& text) {
    static constexpr std::array<const char*, 8> kFormats{"yyyy-M-d H:m:s",     "yyyy/M/d H:m:s", "yyyy-M-d H:m",
                                                         "yyyy/M/d H:m",       "yyyy-M-d",       "yyyy/M/d",
                                                         "yyyy年M月d日 H:m:s", "yyyy年M月d日"};
    const QString trimmed = text.trimmed();
    QDateTime parsed = QDateTime::fromString(trimmed, Qt::ISODate);
    for (const char* format : kFormats) {
        if (parsed.isValid()) break;
        parsed = QDateTime::fromString(trimmed, QString::fromUtf8(format));
    }
    if (!parsed.isValid()) return std::numeric_limits<std::int64_t>::min();
    parsed.setTimeZone(QTimeZone::utc());
    return parsed.toSecsSinceEpoch();
}

int ListModel::contentWidth() const {
    int total = 0;
    for (const ListColumn& c : m_columns) total += c.width;
    return total;
}

int ListModel::columnLeft(int column) const {
    int left = 0;
    for (int i = 1; i < column && i <= columnCount(); ++i) left += m_columns[i - 1].width;
    return left;
}

int ListModel::insertColumn(int index, ListColumn column) {
    if (index <= 0 || index > columnCount()) index = columnCount() + 1;
    column.width = std::max(0, column.width);
    m_columns.insert(m_columns.begin() + (index - 1), std::move(column));
    for (ListRow& row : m_rows) row.cells.insert(row.cells.begin() + (index - 1), ListCell{});
    return index;
}

bool ListModel::deleteColumn(int column) {
    if (!validColumn(column) || columnCount() < 2) return false;
    m_columns.erase(m_columns.begin() + (column - 1));
    for (ListRow& row : m_rows) row.cells.erase(row.cells.begin() + (column - 1));
    return true;
}

int ListModel::insertRow(int index, ListRow row) {
    if (m_columns.empty()) return 0;
    if (index <= 0 || index > rowCount()) index = rowCount() + 1;
    row.cells.resize(m_columns.size());
    m_rows.insert(m_rows.begin() + (index - 1), std::move(row));
    return index;
}

bool ListModel::deleteRow(int row) {
    if (!validRow(row)) return false;
    m_rows.erase(m_rows.begin() + (row - 1));
    return true;
}

QString ListModel::cellText(int row, int column) const {
    if (!validRow(row) || !validColumn(column)) return {};
    return m_rows[row - 1].cells[column - 1].text;
}

int ListModel::findRow(const QString& text, int start, bool wholeCell, int column) const {
    if (column != 0 && !validColumn(column)) return 0;
    const auto matches = [&](const ListCell& cell) { return wholeCell ? cell.text == text : cell.text.contains(text); };
    for (int r = std::max(start, 1); r <= rowCount(); ++r) {
        const ListRow& row = m_rows[r - 1];
        if (column != 0) {
            if (matches(row.cells[column - 1])) return r;
            continue;
        }
        if (std::any_of(row.cells.begin(), row.cells.end(), matches)) return r;
    }
    return 0;
}

int ListModel::findRowByValue(int value, int start) const {
    for (int r = std::max(start, 1); r <= rowCount(); ++r) {
        if (m_rows[r - 1].userValue == value) return r;
    }
    return 0;
}

void ListModel::sort(int column, SortOrder order, SortKey key) {
    if (!validColumn(column)) return;
    for (ListColumn& c : m_columns) c.sortState = 0;
    const std::size_t count = m_rows.size();
    std::vector<int> keys(count);
    if (key == SortKey::Integer) {
        for (std::size_t i = 0; i < count; ++i) keys[i] = leadingInteger(m_rows[i].cells[column - 1].text);
    } else if (key == SortKey::DateTime) {
        std::vector<std::int64_t> times(count);
        for (std::size_t i = 0; i < count; ++i) times[i] = dateTimeKey(m_rows[i].cells[column - 1].text);
        keys = ranks(times, std::less<>());
    } else {
        std::vector<QCollatorSortKey> texts;
        texts.reserve(count);
        for (const ListRow& row : m_rows) texts.push_back(collator().sortKey(row.cells[column - 1].text));
        keys = ranks(texts, [](const QCollatorSortKey& a, const QCollatorSortKey& b) { return a.compare(b) < 0; });
    }
    for (std::size_t i = 0; i < count; ++i) m_rows[i].sortKey = keys[i];
    if (order == SortOrder::Descending) {
        std::stable_sort(m_rows.begin(), m_rows.end(),
                         [](const ListRow& a, const ListRow& b) { return a.sortKey > b.sortKey; });
    } else {
        std::stable_sort(m_rows.begin(), m_rows.end(),
                         [](const ListRow& a, const ListRow& b) { return a.sortKey < b.sortKey; });
    }
    m_columns[column - 1].sortState = static_cast<int>(order);
}

}  // namespace vamu::toolkit
