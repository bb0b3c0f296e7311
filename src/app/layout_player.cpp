// Layout tables of the pages, the player panel and the tool bar.
#include "app/backgrounds.h"
#include "app/main_window_layout.h"
#include "toolkit/accessibility.h"

#include <algorithm>

namespace vamu::app::layout {
namespace {

using namespace vamu::toolkit;

// The player panel, in the panel's coordinates.
constexpr Row kCover{{8, 4, 50, 50}};
constexpr Row kTitle{{65, 10, 120, 20}, "「vamu」"};
constexpr Row kSubtitle{{65, 30, 120, 20}, "颠覆你的听觉体验"};
constexpr Row kCollect{{185, 9, 35, 25}, "收藏"};
constexpr Row kPlay{{185, 32, 35, 25}, "播放"};
constexpr Row kProgress{{220, 11, 152, 10}};
constexpr Row kTime{{222, 34, 72, 20}, "00:00/00:00"};
constexpr Row kVolume{{302, 38, 60, 10}};

// The tool bar: sizes and texts; the places follow from them.
constexpr int kToolBarStart = 10;
constexpr int kToolBarGap = 10;
constexpr QSize kSongIdBox{60, 25};
constexpr Row kGet{{0, 0, 50, 30}, "获取"};
constexpr Row kList{{0, 0, 60, 30}, kListButtonChannels};
constexpr Row kChangeSong{{0, 0, 80, 30}, "我要换歌"};
constexpr Row kDownload{{0, 0, 60, 30}, "下载"};
constexpr int kSongIdLimit = 8;

Label* label(ControlParent parent, const Row& row) {
    Label* made = Label::create(parent, row.place, {.text = text(row)});
    if (made) made->setTips(text(row));
    return made;
}

ThunderButton* thunder(ControlParent parent, QRect place, const Row& row) {
    return ThunderButton::create(parent, place, {.text = text(row)});
}

}  // namespace

Pages buildPages(HostWindow& window) {
    Pages pages;
    const int width = window.width();
    const int height = window.height();
    pages.channels = Page::create(window, QRect(0, 40, 380, 325));
    const QRect channels = pages.channels->rect();
    pages.details = Page::create(window, QRect(0, 65, width, height + 20), false);
    pages.toolBar = Page::create(window, QRect(5, 30, width, 50));
    pages.paging = Page::create(*pages.channels, QRect(0, 0, channels.width(), channels.height()), false);
    pages.songLists = Page::create(window, QRect(0, 60, channels.width(), channels.height() - 30), false);
    return pages;
}

PlayerControls buildPlayerPanel(HostWindow& window, int volume) {
    PlayerControls c;
    // Opaque white drawn at a low control alpha: translucent white over the skin,
    // while the controls inside stay fully opaque.
    c.panel = GroupBox::create(window, QRect(0, 0, 0, kPlayerPanelHeight),
                               {.border = kWhite, .cornerDiameter = 10, .background = kWhite});
    c.panel->setAlpha(kPlayerPanelAlpha);
    GroupBox& panel = *c.panel;
    c.cover = NewObj::create(panel, kCover.place,
                             {.picture = programIconBytes(),
                              .ringNormal = kWhite,
                              .ringHot = kRingHot,
                              .ringPressed = kWhite,
                              .ringWidth = 2});
    c.cover->setTips(QString::fromUtf8(kCoverTipDetails));
    c.title = label(panel, kTitle);
    c.subtitle = label(panel, kSubtitle);
    c.collect = thunder(panel, kCollect.place, kCollect);
    c.collect->setDisabled(true);
    c.play = thunder(panel, kPlay.place, kPlay);
    c.play->setDisabled(true);
    c.progress = Slider::create(panel, kProgress.place);
    // Neither shows a text of its own: screen readers get their names here.
    accessibility::setName(*c.progress, QStringLiteral("播放进度"));
    c.time = Label::create(panel, kTime.place, {.text = text(kTime)});
    c.volume = ScrollBar::create(panel, kVolume.place, Orientation::Horizontal);
    c.volume->setRange(0, 100);
    c.volume->setPos(std::clamp(volume, 0, 100));
    accessibility::setName(*c.volume, QStringLiteral("音量"));
    return c;
}

ToolBar buildToolBar(Page& page) {
    ToolBar bar;
    int left = kToolBarStart;
    const auto next = [&left](QSize size) {
        const QRect place(QPoint(left, 0), size);
        left += size.width() + kToolBarGap;
        return place;
    };
    EditOptions idBox;
    idBox.text = QString::fromUtf8(kSongIdHint);
    idBox.crText = kHintGrey;
    idBox.inputType = input_type::kDigits;
    idBox.limitLen = kSongIdLimit;
    bar.songIdBox = Edit::create(page, next(kSongIdBox), idBox);
    accessibility::setName(*bar.songIdBox, QString::fromUtf8(kSongIdHint));
    bar.get = thunder(page, next(kGet.place.size()), kGet);
    bar.list = thunder(page, next(kList.place.size()), kList);
    bar.changeSong = thunder(page, next(kChangeSong.place.size()), kChangeSong);
    bar.download = thunder(page, next(kDownload.place.size()), kDownload);
    bar.download->setDisabled(true);
    return bar;
}

}  // namespace vamu::app::layout
