// The list view: its model operations, selection and events by mouse, hot tracking,
// sorting, column resizing, scrolling, the hidden first column of the song lists,
// row marks, what it paints, and a list of 10,000 rows.
#include "toolkit/lists_test_support.h"

#include "platform/system.h"
#include "toolkit/controls/list_view.h"
#include "toolkit/controls/scroll_bar.h"

#include <QFontMetrics>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vamu::toolkit::test {
namespace {

using Log = std::vector<std::string>;

ListViewOptions songOptions() {
    ListViewOptions options;
    options.headerHot = false;
    options.checkBoxes = true;  // as the application makes its song lists
    return options;
}

// The song lists' five columns: the hidden stream URL, number, title, uploader, id.
void addSongColumns(ListView& list) {
    list.insertColumn(0, "", 0);
    list.insertColumn(0, "编号", 45);
    list.insertColumn(0, "歌曲名称", 180);
    list.insertColumn(0, "上传用户", 80);
    list.insertColumn(0, "歌曲id", 60);
}

void addSong(ListView& list, int number, const QString& title, const QString& user, int id, int mark = 0) {
    const int row = list.insertRow(0, QString("http://127.0.0.1:8960/stream/%1.mp3").arg(id), 0, mark);
    list.setCellText(row, 2, QString::number(number));
    list.setCellText(row, 3, title);
    list.setCellText(row, 4, user);
    list.setCellText(row, 5, QString::number(id));
}

struct SongList {
    explicit SongList(int rows = 0, const ListViewOptions& options = songOptions(), QRect rect = QRect(5, 5, 370, 245))
        : t(HostSetup{.size = QSize(400, 300)}) {
        list = ListView::create(t.host(), rect, options);
        addSongColumns(*list);
        for (int i = 1; i <= rows; ++i)
            addSong(*list, i, QString("歌曲 %1 song").arg(i), QString("用户%1").arg(i % 7), 1000 + i, i);
        list->bindSelectionChanged([this](ListView&, int row, int previous) {
            log.push_back("select:" + std::to_string(row) + "," + std::to_string(previous));
        });
        list->bindRowClick([this](ListView&, int row, int column, QPoint) {
            log.push_back("row:" + std::to_string(row) + "," + std::to_string(column));
        });
        list->bindRowRightClick([this](ListView&, int row, int column, QPoint) {
            log.push_back("right-row:" + std::to_string(row) + "," + std::to_string(column));
        });
        list->bindEmptyClick([this](ListView&) { log.push_back("empty"); });
        list->bindEmptyRightClick([this](ListView&) { log.push_back("right-empty"); });
        list->bindCheckToggled([this](ListView&, int row, bool checked) {
            log.push_back("check:" + std::to_string(row) + "," + (checked ? "1" : "0"));
        });
    }
    // The middle of a visible row's cell, in the list's coordinates.
    QPoint cell(int row, int column) const {
        const QRect rows = list->rowsArea();
        const int rh = list->rowHeight();
        const int y = rows.top() + (row - list->firstVisibleRow()) * rh - list->verticalPosition() % rh + rh / 2;
        const int x =
            rows.left() - list->horizontalPosition() + list->model().columnLeft(column) + list->columnWidth(column) / 2;
        return {x, y};
    }
    QPoint headerPoint(int x) const { return {x, list->headerArea().center().y()}; }
    void rightClick(QPoint local) {
        const QPoint p = windowPoint(*list, local);
        t.move(p);
        t.send(platform::msg::kRightDown, platform::mouse_keys::kRight, platform::packPoint(p.x(), p.y()));
        t.send(platform::msg::kRightUp, 0, platform::packPoint(p.x(), p.y()));
    }
    QRgb pixelAt(QPoint local) {
        const QPoint p = windowPoint(*list, local);
        return t.pixel(p.x(), p.y());
    }

    TestHost t;
    ListView* list = nullptr;
    Log log;
};

TEST(ListView, LaysOutRowsHeaderAndBarsFromItsFont) {
    SongList s(3);
    ListView& list = *s.list;
    const int fontRow = QFontMetrics(list.font()).height() + 3;
    EXPECT_EQ(list.rowHeight(), std::max(fontRow, 17 + 4) + 2);  // the check box is 17 high
    EXPECT_EQ(list.headerHeight(), static_cast<int>(list.rowHeight() * 1.2));
    EXPECT_EQ(list.headerArea(), QRect(1, 1, 368, list.headerHeight()));  // inside the border
    EXPECT_EQ(list.rowsArea(), QRect(1, 1 + list.headerHeight(), 368, 243 - list.headerHeight()));
    EXPECT_EQ(list.visibleRows(), (list.rowsArea().height() + list.rowHeight() - 1) / list.rowHeight());
    EXPECT_EQ(list.model().contentWidth(), 365);
    EXPECT_FALSE(list.verticalBar()->isVisible());
    EXPECT_FALSE(list.horizontalBar()->isVisible());
    EXPECT_EQ(list.className(), "ListView");
    EXPECT_EQ(list.kind(), kind::kListView);
    EXPECT_TRUE(list.tabStop());
    EXPECT_FALSE(list.drawTabStop());
}

TEST(ListView, ColumnOperationsGuardTheirEdges) {
    SongList s;
    ListView& list = *s.list;
    EXPECT_EQ(list.columnCount(), 5);
    EXPECT_EQ(list.insertColumn(99, "far", 30, 2), 6);  // past the end appends
    EXPECT_EQ(list.model().column(6).align, 2);
    EXPECT_EQ(list.insertColumn(1, "first", 30, 1), 1);
    EXPECT_EQ(list.model().column(1).align, 0);  // the first column is always near-aligned
    EXPECT_FALSE(list.deleteColumn(0));
    EXPECT_FALSE(list.deleteColumn(8));
    while (list.columnCount() > 1) EXPECT_TRUE(list.deleteColumn(1));
    EXPECT_FALSE(list.deleteColumn(1));  // the last column stays
    EXPECT_EQ(list.columnCount(), 1);

    SongList empty;
    while (empty.list->columnCount() > 1) empty.list->deleteColumn(1);
    ListView* bare = ListView::create(empty.t.host(), QRect(0, 0, 100, 100));
    EXPECT_EQ(bare->insertRow(0, "nothing"), 0);  // no columns: no rows
    EXPECT_EQ(bare->rowCount(), 0);
}

TEST(ListView, InsertDeleteAndClearKeepNumbersAndSelectionStraight) {
    SongList s(5);
    ListView& list = *s.list;
    list.setSelectedRow(3);
    EXPECT_EQ(list.insertRow(2, "inserted"), 2);
    EXPECT_EQ(list.selectedRow(), 4);  // the selection follows its row
    EXPECT_EQ(list.cellText(4, 3), "歌曲 3 song");
    EXPECT_EQ(list.cellText(2, 1), "inserted");
    EXPECT_EQ(list.cellText(2, 3), "");  // the other cells start empty
    EXPECT_TRUE(list.deleteRow(1));
    EXPECT_EQ(list.selectedRow(), 3);
    EXPECT_TRUE(list.deleteRow(3));
    EXPECT_EQ(list.selectedRow(), 0);  // its row is gone
    EXPECT_FALSE(list.deleteRow(0));
    EXPECT_FALSE(list.deleteRow(9));
    EXPECT_EQ(list.rowCount(), 4);
    EXPECT_FALSE(list.setCellText(9, 1, "x"));
    EXPECT_EQ(list.cellText(9, 1), "");
    list.clear();
    EXPECT_EQ(list.rowCount(), 0);
    EXPECT_EQ(list.selectedRow(), 0);
    EXPECT_EQ(list.firstVisibleRow(), 1);
}

TEST(ListView, TheHiddenFirstColumnHoldsTheStreamButTakesNoRoom) {
    SongList s(3);
    ListView& list = *s.list;
    EXPECT_EQ(list.cellText(2, 1), "http://127.0.0.1:8960/stream/1002.mp3");
    // The left edge of a row belongs to the number column.
    const QPoint leftEdge(list.rowsArea().left() + 3, s.cell(2, 2).y());
    EXPECT_EQ(list.hitTest(leftEdge).column, 2);
    // A press there selects the row: the invisible first column's check box is not hit.
    clickAt(s.t, list, leftEdge);
    EXPECT_EQ(list.selectedRow(), 2);
    EXPECT_FALSE(list.rowChecked(2));
    EXPECT_EQ(s.log, (Log{"select:2,0", "row:2,2"}));
}

TEST(ListView, RowMarksAreKeptAndFound) {
    SongList s(4);
    ListView& list = *s.list;
    EXPECT_EQ(list.rowValue(3), 3);
    EXPECT_TRUE(list.setRowValue(3, 77));
    EXPECT_EQ(list.findRowByValue(77), 3);
    EXPECT_EQ(list.findRowByValue(77, 4), 0);
    EXPECT_EQ(list.findRowByValue(-1), 0);
    EXPECT_FALSE(list.setRowValue(5, 1));
    EXPECT_EQ(list.findRow("1003", 1, true, 5), 3);
    EXPECT_EQ(list.findRow("song", 2, false, 3), 2);
    EXPECT_EQ(list.findRow("用户3", 1, true, 0), 3);  // any column
    EXPECT_EQ(list.findRow("song", 1, true, 3), 0);   // whole cell only
}

TEST(ListView, PressSelectsAndReleaseOverTheSelectedRowReports) {
    SongList s(6);
    ListView& list = *s.list;
    clickAt(s.t, list, s.cell(2, 3));
    EXPECT_EQ(list.selectedRow(), 2);
    EXPECT_EQ(list.rowState(2), row_state::kSelected);
    clickAt(s.t, list, s.cell(2, 4));  // the same row: no selection change
    pressAt(s.t, list, s.cell(4, 3));
    releaseAt(s.t, list, s.cell(5, 3));                                    // released over a row that is not selected
    clickAt(s.t, list, {s.cell(1, 3).x(), list.rowsArea().bottom() - 2});  // below the last row
    clickAt(s.t, list, {list.rowsArea().right() - 1, s.cell(3, 3).y()});   // beside the last column
    EXPECT_EQ(list.rowState(2), row_state::kNormal);
    EXPECT_EQ(s.log, (Log{"select:2,0", "row:2,3", "row:2,4", "select:4,2", "empty", "select:0,4", "empty"}));
    EXPECT_EQ(list.selectedRow(), 3);
}

TEST(ListView, RightButtonSelectsAndReportsItsOwnEvents) {
    SongList s(3);
    s.rightClick(s.cell(3, 2));
    s.rightClick({s.cell(1, 2).x(), s.list->rowsArea().bottom() - 2});
    EXPECT_EQ(s.log, (Log{"select:3,0", "right-row:3,2", "right-empty"}));
    EXPECT_EQ(s.list->selectedRow(), 3);
}

TEST(ListView, DoubleClickArrivesAfterThePressSelectedTheRow) {
    SongList s(4);
    int played = 0;
    s.list->bindDoubleClick([&](const Event& event) {
        played = resolveControlAs<ListView>(event.control)->selectedRow();
        return false;
    });
    const QPoint p = windowPoint(*s.list, s.cell(3, 3));
    s.t.click(p);
    s.t.send(platform::msg::kLeftDoubleClick, 1, platform::packPoint(p.x(), p.y()));
    s.t.release(p);
    EXPECT_EQ(played, 3);
}

TEST(ListView, HotTrackingFollowsTheMouseAndRaisesNothing) {
    SongList s(4);
    ListView& list = *s.list;
    list.setSelectedRow(2);
    moveTo(s.t, list, s.cell(1, 3));
    EXPECT_EQ(list.hotRow(), 1);
    EXPECT_EQ(list.rowState(1), row_state::kHot);
    moveTo(s.t, list, s.cell(3, 3));
    EXPECT_EQ(list.rowState(1), row_state::kNormal);
    EXPECT_EQ(list.rowState(3), row_state::kHot);
    moveTo(s.t, list, s.cell(2, 3));  // a selected row keeps its look
    EXPECT_EQ(list.rowState(2), row_state::kSelected);
    EXPECT_EQ(list.rowState(3), row_state::kNormal);
    s.t.move({395, 295});  // out of the list
    EXPECT_EQ(list.hotRow(), 0);
    EXPECT_TRUE(s.log.empty());
}

TEST(ListView, PaintsSelectedAndHotRowsInTheThemeColour) {
    SongList s(4);
    ListView& list = *s.list;
    // Blank space in the title column, right of its text.
    const QPoint blank(s.cell(2, 3).x() + 80, s.cell(2, 3).y());
    const QRgb plain = s.pixelAt(blank);
    EXPECT_EQ(plain, 0xFFFFFFFFu);
    list.setSelectedRow(2);
    const QRgb selected = s.pixelAt(blank);
    EXPECT_NE(selected, plain);
    EXPECT_GT(qBlue(selected), qRed(selected));
    moveTo(s.t, list, blank);
    EXPECT_EQ(s.pixelAt(blank), selected);  // hovering does not change the selected look
    const QPoint other(blank.x(), s.cell(3, 3).y());
    moveTo(s.t, list, other);
    const QRgb hot = s.pixelAt(other);
    EXPECT_NE(hot, plain);
    EXPECT_NE(hot, selected);
    EXPECT_GT(qRed(hot), qRed(selected));  // lighter than the selection
    // The row's text is painted in its cells.
    int dark = 0;
    for (int x = list.model().columnLeft(3); x < list.model().columnLeft(3) + 60; ++x) {
        if (qRed(s.pixelAt({list.rowsArea().left() + x, s.cell(4, 3).y()})) < 128) ++dark;
    }
    EXPECT_GT(dark, 3);
}

TEST(ListView, CheckBoxesToggleWithoutChangingTheSelection) {
    ListViewOptions options = songOptions();
    SongList s(3, options);
    ListView& list = *s.list;
    list.setColumnWidth(1, 40);
    list.setSelectedRow(1);
    const QPoint box(list.rowsArea().left() + 2 + 8, s.cell(2, 1).y());
    clickAt(s.t, list, box);
    EXPECT_TRUE(list.rowChecked(2));
    EXPECT_EQ(list.selectedRow(), 1);
    clickAt(s.t, list, box);
    EXPECT_FALSE(list.rowChecked(2));
    EXPECT_EQ(s.log, (Log{"check:2,1", "check:2,0"}));
    list.setColumnWidth(1, 3);  // the first column with check boxes keeps room for its box
    EXPECT_EQ(list.columnWidth(1), 17 + 6);
}

TEST(ListView, SortingIsStableByColumnAndClearsTheSelection) {
    struct Row {
        QString title;
        QString id;
    };
    const std::vector<Row> rows{{"北京", "10"}, {"apple", "9"}, {"阿里", "10"}, {"Zebra", "100"}, {"北京", "-3"}};
    struct Case {
        int column;
        SortOrder order;
        SortKey key;
        std::vector<int> expected;  // the original positions, in the sorted order
    };
    const std::vector<Case> cases{
        // Chinese order: Chinese by pinyin (a-li, bei-jing) before Latin letters.
        {3, SortOrder::Ascending, SortKey::Text, {3, 1, 5, 2, 4}},
        {3, SortOrder::Descending, SortKey::Text, {4, 2, 1, 5, 3}},  // equal titles keep their order
        {5, SortOrder::Ascending, SortKey::Integer, {5, 2, 1, 3, 4}},
        {5, SortOrder::Descending, SortKey::Integer, {4, 1, 3, 2, 5}},
        {5, SortOrder::Ascending, SortKey::Text, {5, 1, 3, 4, 2}},  // as texts "10" comes before "9"
    };
    for (const Case& c : cases) {
        SongList s;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const int row = s.list->insertRow(0, "", 0, static_cast<int>(i + 1));
            s.list->setCellText(row, 3, rows[i].title);
            s.list->setCellText(row, 5, rows[i].id);
        }
        s.list->setSelectedRow(2);
        s.list->sortColumn(c.column, c.order, c.key);
        std::vector<int> order;
        for (int r = 1; r <= s.list->rowCount(); ++r) order.push_back(s.list->rowValue(r));
        EXPECT_EQ(order, c.expected) << "column " << c.column << " order " << static_cast<int>(c.order);
        EXPECT_EQ(s.list->selectedRow(), 0);
        EXPECT_EQ(s.list->selection().size(), 0u);
        EXPECT_EQ(s.list->model().column(c.column).sortState, static_cast<int>(c.order));
        // Sorting again the same way changes nothing.
        s.list->sortColumn(c.column, c.order, c.key);
        std::vector<int> again;
        for (int r = 1; r <= s.list->rowCount(); ++r) again.push_back(s.list->rowValue(r));
        EXPECT_EQ(again, order);
    }
}

TEST(ListView, SortingOneRowChangesNothingAndKeepsTheSelection) {
    SongList s(1);
    s.list->setSelectedRow(1);
    s.list->sortColumn(3);
    EXPECT_EQ(s.list->selectedRow(), 1);
    EXPECT_EQ(s.list->model().column(3).sortState, 0);
    s.list->sortColumn(9);  // no such column
    EXPECT_EQ(s.list->selectedRow(), 1);
}

TEST(ListView, DateTimeKeysSortNonDatesFirst) {
    SongList s;
    for (const char* text : {"2021-05-01 10:00:00", "not a date", "2020/12/31", "2021-05-01 09:59:59"}) {
        const int row = s.list->insertRow(0, "");
        s.list->setCellText(row, 3, QString::fromUtf8(text));
    }
    s.list->sortColumn(3, SortOrder::Ascending, SortKey::DateTime);
    EXPECT_EQ(s.list->cellText(1, 3), "not a date");
    EXPECT_EQ(s.list->cellText(2, 3), "2020/12/31");
    EXPECT_EQ(s.list->cellText(3, 3), "2021-05-01 09:59:59");
    EXPECT_EQ(s.list->cellText(4, 3), "2021-05-01 10:00:00");
}

TEST(ListView, LeadingIntegersReadLikeTheCLibrary) {
    struct Case {
        const char* text;
        int value;
    };
    const Case cases[] = {{"42", 42},
                          {"  -7abc", -7},
                          {"+3", 3},
                          {"abc", 0},
                          {"", 0},
                          {"99999999999", 2147483647},
                          {"-99999999999", -2147483648},
                          {"12.9", 12}};
    for (const Case& c : cases) EXPECT_EQ(leadingInteger(QString::fromUtf8(c.text)), c.value) << c.text;
}

TEST(ListView, DraggingADividerResizesTheColumn) {
    SongList s(3);
    ListView& list = *s.list;
    const int edge = list.headerArea().left() + list.model().columnLeft(3) + list.columnWidth(3);  // title's right edge
    const QPoint grip = s.headerPoint(edge - 1);
    pressAt(s.t, list, grip);
    moveTo(s.t, list, {grip.x() + 25, grip.y() + 30});
    releaseAt(s.t, list, {grip.x() + 25, grip.y() + 30});
    EXPECT_EQ(list.columnWidth(3), 205);
    EXPECT_EQ(list.hotRow(), list.hitTest({grip.x() + 25, grip.y() + 30}).row);  // hover follows the release point
    EXPECT_NE(list.hotRow(), 0);
    EXPECT_EQ(list.model().contentWidth(), 390);
    EXPECT_TRUE(list.horizontalBar()->isVisible());  // now wider than the view
    // Dragged left beyond the column's left edge: 0 pixels wide, not negative.
    const QPoint number = s.headerPoint(list.headerArea().left() + 45 - 1);
    pressAt(s.t, list, number);
    releaseAt(s.t, list, {number.x() - 200, number.y()});
    EXPECT_EQ(list.columnWidth(2), 0);
    EXPECT_TRUE(s.log.empty());
}

TEST(ListView, ANarrowNextColumnOwnsTheZoneRightOfTheEdge) {
    SongList s(1);
    ListView& list = *s.list;
    list.setColumnWidth(3, 2);
    const int edge = list.headerArea().left() + list.model().columnLeft(3);  // the number column's right edge
    const QPoint right = s.headerPoint(edge + 2);
    pressAt(s.t, list, right);
    releaseAt(s.t, list, {right.x() + 50, right.y()});
    EXPECT_EQ(list.columnWidth(3), 52);
    EXPECT_EQ(list.columnWidth(2), 45);
}

TEST(ListView, WheelAndBarsScrollTheRows) {
    SongList s(40);
    ListView& list = *s.list;
    ScrollBar* bar = list.verticalBar();
    ASSERT_TRUE(bar->isVisible());
    EXPECT_EQ(bar->maxPos(), 40 * list.rowHeight());
    EXPECT_EQ(bar->viewPos(), list.rowsArea().height());
    EXPECT_EQ(bar->lineChange(), list.rowHeight());
    list.setFocus();
    wheel(s.t, -1);  // each notch is one line of the bar: one row
    wheel(s.t, -1);
    EXPECT_EQ(list.verticalPosition(), 2 * list.rowHeight());
    EXPECT_EQ(list.firstVisibleRow(), 3);
    wheel(s.t, 1);
    EXPECT_EQ(list.firstVisibleRow(), 2);
    // Dragging the bar's thumb to the end shows the last row.
    pressAt(s.t, *bar, bar->thumbRect().center());
    moveTo(s.t, *bar, {5, 1000});
    releaseAt(s.t, *bar, {5, 1000});
    EXPECT_EQ(list.verticalPosition(), bar->lastPos());
    const ListHit last = list.hitTest({s.cell(1, 3).x(), list.rowsArea().bottom() - 1});
    EXPECT_EQ(last.row, 40);
    // The rows under the bar are not painted over: the thumb shows.
    EXPECT_NE(s.pixelAt(windowPoint(*bar, bar->thumbRect().center()) - list.absoluteRect().topLeft()), 0xFFFFFFFFu);
}

TEST(ListView, ScrolledRowsAreHitAndPaintedWhereTheyShow) {
    SongList s(30);
    ListView& list = *s.list;
    list.setVerticalPosition(5 * list.rowHeight() + 7);
    EXPECT_EQ(list.firstVisibleRow(), 6);
    clickAt(s.t, list, s.cell(8, 3));
    EXPECT_EQ(list.selectedRow(), 8);
    const QPoint blank(s.cell(8, 3).x() + 80, s.cell(8, 3).y());
    const QRgb selected = s.pixelAt(blank);
    EXPECT_NE(selected, 0xFFFFFFFFu);
    list.setVerticalPosition(list.verticalPosition() + list.rowHeight());  // the selected row moves up one row
    EXPECT_EQ(s.pixelAt({blank.x(), blank.y() - list.rowHeight()}), selected);
    EXPECT_EQ(s.pixelAt(blank), 0xFFFFFFFFu);
}

TEST(ListView, EnsureVisibleScrollsOnlyWhenTheRowIsOutOfView) {
    SongList s(50);
    ListView& list = *s.list;
    list.ensureVisible(2);
    EXPECT_EQ(list.verticalPosition(), 0);
    list.ensureVisible(30);
    EXPECT_EQ(list.verticalPosition(), 30 * list.rowHeight() - list.rowsArea().height());
    EXPECT_EQ(list.hitTest({s.cell(1, 3).x(), list.rowsArea().bottom() - 1}).row, 30);
    list.ensureVisible(50);
    EXPECT_EQ(list.verticalPosition(), 50 * list.rowHeight() - list.rowsArea().height());
    list.ensureVisible(1);
    EXPECT_EQ(list.verticalPosition(), 0);
}

TEST(ListView, ClearHidesBothBars) {
    SongList s(40);
    s.list->setColumnWidth(3, 400);
    EXPECT_TRUE(s.list->verticalBar()->isVisible());
    EXPECT_TRUE(s.list->horizontalBar()->isVisible());
    s.list->setVerticalPosition(200);
    s.list->clear();
    EXPECT_FALSE(s.list->verticalBar()->isVisible());
    EXPECT_EQ(s.list->verticalBar()->pos(), 0);
    EXPECT_EQ(s.list->verticalPosition(), 0);
    EXPECT_EQ(s.list->horizontalPosition(), 0);
}

TEST(ListView, DeletingARowTakesOneRowOffThePositionWhicheverRowItWas) {
    TestHost t(HostSetup{.size = QSize(400, 300)});
    ListViewOptions options;
    options.headerHot = false;
    ListView& list = *ListView::create(t.host(), QRect(5, 5, 300, 200), options);
    list.insertColumn(0, "name", 280);
    // Each row carries its first number as its value and a colour of its own, so the
    // pixels tell which row shows on which line.
    const auto colourOf = [](int original) { return qRgb(original * 4, 255 - original * 4, 128); };
    for (int i = 1; i <= 60; ++i) list.insertRow(0, QString("row %1").arg(i), 0, i, 0, 0, colourOf(i));
    const int rh = list.rowHeight();
    const int lines = list.rowsArea().height() / rh;  // lines shown whole
    const auto shownOn = [&](int line) {
        const QPoint at = windowPoint(list, {250, list.rowsArea().top() + line * rh + rh / 2});
        const QRgb colour = t.pixel(at.x(), at.y());
        for (int i = 1; i <= 60; ++i) {
            if (colourOf(i) == colour) return i;
        }
        return 0;
    };
    const auto screen = [&] {
        std::vector<int> shown;
        for (int line = 0; line < lines; ++line) shown.push_back(shownOn(line));
        return shown;
    };
    list.setVerticalPosition(10 * rh);
    std::vector<int> before = screen();
    ASSERT_EQ(before.front(), 11);

    // Above the view: the rows in view stay where they are.
    list.deleteRow(2);
    EXPECT_EQ(list.verticalPosition(), 9 * rh);
    EXPECT_EQ(list.verticalBar()->pos(), 9 * rh);
    EXPECT_EQ(screen(), before);
    EXPECT_EQ(list.rowValue(list.firstVisibleRow()), 11);

    // A visible row: the rows above the gap move down into it, the rows below stay.
    const int gapLine = 3;
    list.deleteRow(list.firstVisibleRow() + gapLine);
    EXPECT_EQ(list.verticalPosition(), 8 * rh);
    EXPECT_EQ(list.verticalBar()->pos(), 8 * rh);
    std::vector<int> expected = before;
    expected.erase(expected.begin() + gapLine);
    expected.insert(expected.begin(), 10);
    EXPECT_EQ(screen(), expected);
    EXPECT_EQ(list.rowCount(), 58);

    // At the top there is nothing to take off: the rows below the gap move up.
    list.setVerticalPosition(0);
    before = screen();
    list.deleteRow(2);
    EXPECT_EQ(list.verticalPosition(), 0);
    expected = before;
    expected.erase(expected.begin() + 1);
    const std::vector<int> after = screen();
    EXPECT_EQ(std::vector<int>(after.begin(), after.end() - 1), std::vector<int>(expected.begin(), expected.end()));
}

TEST(ListView, MultipleSelectionFollowsTheModifiers) {
    ListViewOptions options = songOptions();
    options.singleSelection = false;
    SongList s(8, options);
    ListView& list = *s.list;
    clickAt(s.t, list, s.cell(2, 3));
    platform::noteKeyModifiers(platform::modifier::kControl);
    clickAt(s.t, list, s.cell(4, 3));
    EXPECT_EQ(list.selection(), (std::vector<int>{2, 4}));
    clickAt(s.t, list, s.cell(2, 3));  // toggles it out
    EXPECT_EQ(list.selection(), (std::vector<int>{4}));
    platform::noteKeyModifiers(platform::modifier::kShift);
    clickAt(s.t, list, s.cell(7, 3));  // from the last pressed row, 2, to 7
    EXPECT_EQ(list.selectionCount(), 6);
    for (int row = 2; row <= 7; ++row) EXPECT_TRUE(list.isSelected(row)) << row;
    EXPECT_FALSE(list.isSelected(1));
    platform::noteKeyModifiers(0);
    // A press on a row that is not selected starts a selection rectangle.
    pressAt(s.t, list, s.cell(1, 3));
    moveTo(s.t, list, s.cell(3, 3));
    releaseAt(s.t, list, s.cell(3, 3));
    EXPECT_EQ(list.selection(), (std::vector<int>{1, 2, 3}));
    list.selectAll(true, true);
    EXPECT_EQ(list.selectionCount(), 8);
    EXPECT_TRUE(list.rowChecked(5));
}

TEST(ListView, HoverSelectPicksTheRowUnderTheMouse) {
    ListViewOptions options;
    options.noHeader = true;
    SongList s(5, options);
    s.list->setHoverSelect(true);
    moveTo(s.t, *s.list, s.cell(2, 3));
    moveTo(s.t, *s.list, s.cell(4, 3));
    EXPECT_EQ(s.list->selectedRow(), 4);
    EXPECT_EQ(s.list->rowState(2), row_state::kNormal);
    EXPECT_EQ(s.log, (Log{"select:2,0", "select:4,2"}));
    EXPECT_TRUE(s.list->headerArea().isEmpty());
}

TEST(ListView, HeaderClicksReportTheColumnWhenTheHeaderIsHot) {
    ListViewOptions options;
    SongList s(2, options);
    const QPoint title = s.headerPoint(s.list->headerArea().left() + 100);
    clickAt(s.t, *s.list, title);
    pressAt(s.t, *s.list, title);
    releaseAt(s.t, *s.list, s.headerPoint(s.list->headerArea().left() + 300));  // another column
    EXPECT_EQ(s.log, (Log{"row:0,3"}));
}

TEST(ListView, AHandlerMayDestroyTheList) {
    SongList s(3);
    const ControlHandle handle = s.list->handle();
    s.list->bindSelectionChanged([](ListView& list, int, int) { list.destroy(); });
    clickAt(s.t, *s.list, s.cell(2, 3));
    EXPECT_EQ(resolveControl(handle), nullptr);
}

// A list that paints the title cells itself and counts hot-row changes.
class MarkedList final : public ListView {
public:
    using ListView::ListView;
    std::vector<std::pair<int, int>> hotChanges;

protected:
    bool paintCellContent(QPainter& painter, const ListRow&, int column, const QRect& cell) override {
        if (column != 3) return false;
        painter.fillRect(cell, QColor(0xFF, 0x80, 0x00));
        return true;
    }
    void hotRowChanged(int row, int previous) override { hotChanges.emplace_back(row, previous); }
};

TEST(ListView, DerivedListsDrawCellsAndHearOfHotRows) {
    TestHost t;
    auto* list = static_cast<MarkedList*>(
        ListView::create(std::make_unique<MarkedList>(ListViewOptions{}), t.host(), QRect(5, 5, 300, 200)));
    ASSERT_NE(list, nullptr);
    addSongColumns(*list);
    addSong(*list, 1, "title", "user", 7);
    addSong(*list, 2, "title", "user", 8);
    const int y = list->rowsArea().top() + list->rowHeight() / 2;
    const QPoint title = windowPoint(*list, {list->rowsArea().left() + 100, y});
    EXPECT_EQ(t.pixel(title.x(), title.y()), 0xFFFF8000u);
    t.move(title);
    t.move(windowPoint(*list, {list->rowsArea().left() + 100, y + list->rowHeight()}));
    EXPECT_EQ(list->hotChanges, (std::vector<std::pair<int, int>>{{1, 0}, {2, 1}}));
}

TEST(ListView, TenThousandRowsCostOnlyTheVisibleRows) {
    SongList s;
    ListView& list = *s.list;
    const auto add = [&](int from, int to) {
        for (int i = from; i <= to; ++i) addSong(list, i, QString("第%1首 track").arg(i), "上传者", 20000 - i, i);
    };
    add(1, 100);
    const long long firstScreen = list.paintedRowCount();
    add(101, 10000);
    ASSERT_EQ(list.rowCount(), 10000);
    EXPECT_EQ(list.verticalBar()->maxPos(), 10000 * list.rowHeight());
    EXPECT_EQ(list.paintedRowCount(), firstScreen);  // rows below the view paint nothing

    long long before = list.paintedRowCount();
    list.setVerticalPosition(list.verticalPosition() + list.rowHeight());  // one row down
    EXPECT_EQ(list.paintedRowCount() - before, 1);
    before = list.paintedRowCount();
    list.setVerticalPosition(5000 * list.rowHeight());  // a jump repaints one screen
    EXPECT_EQ(list.paintedRowCount() - before, list.visibleRows() + 1);
    EXPECT_EQ(list.firstVisibleRow(), 5001);
    clickAt(s.t, list, s.cell(5003, 3));
    EXPECT_EQ(list.selectedRow(), 5003);
    EXPECT_EQ(list.cellText(5003, 2), "5003");

    list.sortColumn(5, SortOrder::Ascending, SortKey::Integer);
    EXPECT_EQ(list.cellText(1, 5), "10000");
    EXPECT_EQ(list.cellText(10000, 5), "19999");
    EXPECT_EQ(list.firstVisibleRow(), 1);
    EXPECT_EQ(list.findRowByValue(1), 10000);
}

}  // namespace
}  // namespace vamu::toolkit::test
