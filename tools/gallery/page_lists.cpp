// The gallery page of the range controls and the list view: a pair of scroll bars,
// the progress slider driving a progress bar, a combo box, and a song list of a few
// hundred rows that sorts by a click on its header and reports double clicks and
// right clicks in the line above it. Needs a window of about 450 x 400.
#include "gallery_pages.h"

#include "toolkit/accessibility.h"
#include "toolkit/controls/combo_box.h"
#include "toolkit/controls/control.h"
#include "toolkit/controls/label.h"
#include "toolkit/controls/list_view.h"
#include "toolkit/controls/page.h"
#include "toolkit/controls/progress.h"
#include "toolkit/controls/scroll_bar.h"
#include "toolkit/controls/slider.h"
#include "toolkit/host_window.h"

#include <array>

namespace vamu::gallery {
namespace {

using namespace vamu::toolkit;

// One line of text, changed by the page's handlers.
Label* note(ControlParent parent, QRect rect, const QString& text, QRgb colour = 0xFF2B3A4A) {
    LabelSetup setup;
    setup.text = text;
    setup.textColour = colour;
    return Label::create(parent, rect, setup);
}

constexpr std::array<const char*, 12> kTitles{
    "晴天", "Yellow",    "夜空中最亮的星", "Hey Jude",     "平凡之路", "Bohemian Rhapsody",
    "稻香", "Let It Be", "后来",           "Viva la Vida", "光年之外", "Clocks"};
constexpr std::array<const char*, 7> kUsers{"小明", "DJ Lee", "音乐达人", "vamu", "周末听歌", "Anna", "老王"};

void fillSongs(ListView& list, int count) {
    list.insertColumn(0, "", 0);  // the stream URL, hidden
    list.insertColumn(0, "编号", 45);
    list.insertColumn(0, "歌曲名称", 180);
    list.insertColumn(0, "上传用户", 80);
    list.insertColumn(0, "歌曲id", 60);
    for (int i = 1; i <= count; ++i) {
        const int id = 100000 + (i * 7919) % 90000;
        const int row = list.insertRow(0, QString("http://127.0.0.1:8960/stream/%1.mp3").arg(id), 0, i % 3 == 0);
        list.setCellText(row, 2, QString::number(i));
        list.setCellText(row, 3,
                         QString::fromUtf8(kTitles[static_cast<std::size_t>(i) % kTitles.size()]) +
                             (i % 4 == 0 ? QString(" (Live %1)").arg(i) : QString()));
        list.setCellText(row, 4, QString::fromUtf8(kUsers[static_cast<std::size_t>(i) % kUsers.size()]));
        list.setCellText(row, 5, QString::number(id));
    }
}

}  // namespace

void buildListsPage(HostWindow& window) {
    // Below the caption; every control of the page lives on this page.
    Page* page = Page::create(window, QRect(6, 30, 430, 340));
    ControlParent parent(*page);
    note(parent, QRect(10, 0, 200, 18), QStringLiteral("滚动条、进度滑块、进度条"));
    Label* status =
        note(parent, QRect(10, 122, 400, 18), QStringLiteral("双击播放，右键查看；点击表头排序。"), 0xFF6A7A8A);

    ScrollBar* horizontal = ScrollBar::create(parent, QRect(10, 22, 180, 10), Orientation::Horizontal);
    horizontal->setViewPos(20);
    horizontal->setPageChange(20);
    horizontal->setLineChange(5);
    ScrollBar* vertical = ScrollBar::create(parent, QRect(200, 22, 10, 94), Orientation::Vertical);
    vertical->setViewPos(30);

    Slider* slider = Slider::create(parent, QRect(10, 38, 180, 10), 35.0);
    slider->setJumpToClick(true);
    accessibility::setName(*slider, QStringLiteral("进度滑块"));
    Progress* progress = Progress::create(parent, QRect(10, 66, 180, 12));
    progress->setPos(35);
    Progress* volume = Progress::create(parent, QRect(220, 22, 12, 94));
    volume->setVertical(true);
    volume->setCrP1(0xFF41B883);
    volume->setCrP2(0xFF2B7CD3);
    volume->setPos(30);

    slider->setChangeHandler([progress](Slider&, double position) { progress->setPos(static_cast<int>(position)); });
    horizontal->bindScroll([status](ScrollBar&, int position, ScrollCode code) {
        status->setText(QStringLiteral("水平滚动条: %1 (code %2)").arg(position).arg(static_cast<int>(code)));
    });
    vertical->bindScroll([volume](ScrollBar& bar, int position, ScrollCode) {
        volume->setPos(100 - position * 100 / std::max(1, bar.lastPos()));
    });

    ComboBox* combo = ComboBox::create(parent, QRect(10, 88, 180, 26));
    for (const char* channel : {"热门歌曲", "华语流行", "欧美经典", "Electronic", "轻音乐", "摇滚 Rock", "民谣"}) {
        combo->addItem(QString::fromUtf8(channel));
    }
    combo->setCurrentItem(1);
    combo->bindItemChanged(
        [status](ComboBox& box, int item) { status->setText(QStringLiteral("频道: %1").arg(box.itemText(item))); });

    // A combo box the user may also type into.
    note(parent, QRect(250, 66, 170, 18), QStringLiteral("可输入的组合框"));
    ComboBox* search = ComboBox::create(parent, QRect(250, 88, 170, 26));
    for (const char* keyword : {"周末", "Piano", "夜曲"}) search->addItem(QString::fromUtf8(keyword));
    search->setEditMode(true);
    search->setText(QStringLiteral("输入关键字"));

    note(parent, QRect(250, 22, 170, 18), QStringLiteral("共 300 首"), 0xFF6A7A8A);
    ListView* list = ListView::create(parent, QRect(10, 142, 410, 190));
    fillSongs(*list, 300);
    accessibility::setName(*list, QStringLiteral("歌曲列表"));
    list->bindDoubleClick([status](const Event& event) {
        if (auto* songs = resolveControlAs<ListView>(event.control); songs && songs->selectedRow()) {
            status->setText(
                QStringLiteral("播放: %1 - %2")
                    .arg(songs->cellText(songs->selectedRow(), 3), songs->cellText(songs->selectedRow(), 4)));
        }
        return false;
    });
    list->bindRowRightClick([status](ListView& songs, int row, int, QPoint) {
        if (row > 0) status->setText(QStringLiteral("查看: 歌曲id %1").arg(songs.cellText(row, 5)));
    });
    list->bindRowClick([](ListView& songs, int row, int column, QPoint) {
        if (row != 0) return;  // a header click: sort by that column, flipping the order
        const bool numeric = column == 2 || column == 5;
        const bool ascending = songs.model().column(column).sortState != 1;
        songs.sortColumn(column, ascending ? SortOrder::Ascending : SortOrder::Descending,
                         numeric ? SortKey::Integer : SortKey::Text);
    });
}

}  // namespace vamu::gallery
