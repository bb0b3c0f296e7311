// Layout tables of the song-list view: the tab bar, the three lists with their five
// columns, the search bar and the login panel.
#include "app/main_window_layout.h"

#include <array>

namespace vamu::app::layout {
namespace {

using namespace vamu::toolkit;

constexpr int kTabBarHeight = 280;
constexpr QRgb kTabBarBackground = 0x5AFFFFFF;  // white at alpha 90
constexpr int kTabTop = 5;
constexpr int kTabHeight = 35;
constexpr int kFirstTabLeft = 7;
constexpr int kTabGap = 5;
constexpr int kTabWidthLess = 10;  // than a third of the page's width
constexpr std::array<const char*, 3> kTabs{"我的收藏", "歌曲列表", "我喜欢的"};

constexpr QRect kCollectionList{1, 40, 370, 245};
constexpr QRect kSongList{1, 40, 370, 245};
constexpr QRect kLikesList{1, 75, 370, 210};  // below the search bar

struct Column {
    const char* title;
    int width;
};
constexpr std::array<Column, panel::song_column::kCount> kColumns{
    {{"", 0}, {"编号", 45}, {"歌曲名称", 180}, {"上传用户", 80}, {"歌曲id", 60}}};

constexpr QRect kSearchBar{0, 40, 0, 36};  // width: the page's
constexpr Row kSearchBox{{5, 3, 180, 30}, kSearchHint};
constexpr Row kSearchButton{{200, 5, 90, 30}, "搜索"};
constexpr Row kSearchNext{{305, 5, 60, 30}, "下一页"};

constexpr Row kLoginPanel{{85, 65, 200, 150}, "账号登陆"};
constexpr Row kAccountLabel{{25, 20, 35, 30}, "账号:"};
constexpr Row kPasswordLabel{{25, 55, 35, 30}, "密码:"};
constexpr QRect kAccountBox{70, 20, 100, 25};
constexpr QRect kPasswordBox{70, 55, 100, 25};
constexpr Row kLoginButton{{30, 95, 50, 30}, "登陆"};
constexpr Row kAutoLogin{{90, 95, 80, 30}, "自动登陆"};
constexpr Row kRegister{{75, 120, 60, 30}, "注册账号"};

ListView* songList(Page& page, const QRect& place) {
    ListView* list = ListView::create(page, place);
    for (const Column& column : kColumns) {
        list->insertColumn(0, QString::fromUtf8(column.title), column.width);
    }
    return list;
}

void buildTabBar(Page& page, SongListView& view) {
    view.tabBar = GroupBox::create(page, QRect(0, 0, page.width(), kTabBarHeight),
                                   {.border = 0, .cornerDiameter = 10, .background = kTabBarBackground});
    const int width = page.width() / 3 - kTabWidthLess;
    std::array<Button*, 3> tabs{};
    int left = kFirstTabLeft;
    for (std::size_t i = 0; i < kTabs.size(); ++i) {
        tabs[i] = Button::create(*view.tabBar, QRect(left, kTabTop, width, kTabHeight),
                                 {.text = QString::fromUtf8(kTabs[i])});
        left += width + kTabGap;
    }
    view.lists.collectionTab = tabs[0];
    view.lists.songsTab = tabs[1];
    view.lists.likesTab = tabs[2];
    view.lists.songsTab->setDisabled(true);  // the song list is the open tab
}

void buildSearchBar(Page& page, SongListView& view) {
    QRect bar = kSearchBar;
    bar.setWidth(page.width());
    view.searchBar =
        GroupBox::create(page, bar, {.border = 0, .cornerDiameter = 10, .background = kWhite, .visible = false});
    EditOptions box;
    box.text = text(kSearchBox);
    box.crText = kHintGrey;
    view.searchBox = Edit::create(*view.searchBar, kSearchBox.place, box);
    view.search = Button::create(*view.searchBar, kSearchButton.place, {.text = text(kSearchButton)});
    view.searchNext = Button::create(*view.searchBar, kSearchNext.place, {.text = text(kSearchNext)});
    view.searchNext->setDisabled(true);
}

void buildLoginPanel(Page& page, SongListView& view) {
    view.login = GroupBox::create(page, kLoginPanel.place,
                                  {.text = text(kLoginPanel),
                                   .border = kWhite,
                                   .borderWidth = 0,
                                   .cornerDiameter = 25,
                                   .background = kWhite,
                                   .align = 1,
                                   .visible = false});
    GroupBox& login = *view.login;
    Label::create(login, kAccountLabel.place, {.text = text(kAccountLabel)});
    Label::create(login, kPasswordLabel.place, {.text = text(kPasswordLabel)});
    view.account = Edit::create(login, kAccountBox);
    EditOptions password;
    password.inputType = input_type::kPassword;
    view.password = Edit::create(login, kPasswordBox, password);
    view.loginButton = Button::create(login, kLoginButton.place, {.text = text(kLoginButton)});
    view.autoLogin = CheckButton::create(login, kAutoLogin.place, {.text = text(kAutoLogin)});
    view.registerLink = Link::create(login, kRegister.place, {.label = {.text = text(kRegister)}, .linkType = 1});
}

}  // namespace

SongListView buildSongListView(Page& page) {
    SongListView view;
    buildTabBar(page, view);
    view.lists.collection = songList(page, kCollectionList);
    view.lists.collection->setVisible(false);
    view.lists.songs = songList(page, kSongList);
    view.lists.likes = songList(page, kLikesList);
    view.lists.likes->setVisible(false);
    // Above the lists they cover.
    buildSearchBar(page, view);
    buildLoginPanel(page, view);
    return view;
}

}  // namespace vamu::app::layout
