// Layout tables of the channel paging controls and the song-details view.
#include "app/backgrounds.h"
#include "app/main_window_layout.h"

namespace vamu::app::layout {
namespace {

using namespace vamu::toolkit;

constexpr Row kPreviousTile{{200, 210, 60, 60}, "上一页"};
constexpr Row kNextTile{{290, 210, 60, 60}, "下一页"};
constexpr Row kPreviousLabel{{197, 250, 66, 60}, "上一页"};
constexpr Row kNextLabel{{287, 250, 66, 60}, "下一页"};

constexpr Row kDetailsGroup{{5, 1, 0, 270}, "「vamu」"};  // width: the page's less 20
constexpr int kDetailsGroupLess = 20;
constexpr Row kDetailsPicture{{25, 12, 80, 80}};
constexpr Row kHeadline{{105, 20, 240, 30}, "发现前所未有的好听音乐"};
constexpr Row kSubline{{105, 50, 240, 30}, "颠覆你的听觉体验"};
constexpr Row kDescription{{15, 100, 0, 165}};  // width: the group's less 20
constexpr int kDescriptionLess = 20;

NewObj* tile(Page& page, const Row& row, PagingArrow arrow) {
    NewObj* made = NewObj::create(page, row.place,
                                  {.picture = pagingArrowBytes(arrow),
                                   .ringNormal = kWhite,
                                   .ringHot = kRingHot,
                                   .ringPressed = kWhite,
                                   .ringWidth = 2});
    made->setTips(text(row));
    return made;
}

Label* caption(Page& page, const Row& row) {
    Label* made = Label::create(page, row.place, {.text = text(row), .horzAlignMode = 1});
    made->setTips(text(row));
    return made;
}

}  // namespace

Paging buildPaging(Page& page) {
    Paging paging;
    paging.previous = tile(page, kPreviousTile, PagingArrow::Previous);
    paging.previous->setDisabled(true);
    paging.next = tile(page, kNextTile, PagingArrow::Next);
    paging.previousLabel = caption(page, kPreviousLabel);
    paging.nextLabel = caption(page, kNextLabel);
    return paging;
}

Details buildDetails(Page& page) {
    Details d;
    QRect group = kDetailsGroup.place;
    group.setWidth(page.width() - kDetailsGroupLess);
    d.group = GroupBox::create(page, group,
                               {.text = text(kDetailsGroup),
                                .textColour = kBlack,
                                .border = kWhite,
                                .borderWidth = 2,
                                .cornerDiameter = 10,
                                .align = 1});
    d.picture = NewObj::create(*d.group, kDetailsPicture.place,
                               {.picture = programIconBytes(),
                                .ringNormal = kWhite,
                                .ringHot = kRingHot,
                                .ringPressed = kWhite,
                                .ringWidth = 2});
    d.headline = Label::create(*d.group, kHeadline.place, {.text = text(kHeadline)});
    d.subline = Label::create(*d.group, kSubline.place, {.text = text(kSubline)});
    QRect description = kDescription.place;
    description.setWidth(group.width() - kDescriptionLess);
    EditOptions options;
    options.multiline = true;
    options.scroll = edit_scroll::kWrapVertical;
    options.inputType = input_type::kReadOnly;
    options.rich = true;
    d.description = Edit::create(*d.group, description, options);
    return d;
}

}  // namespace vamu::app::layout
