#pragma once
// The main window's layout tables and the builders that make each area from them.
// Places are in the parent's coordinates; sizes computed from other sizes truncate to
// whole pixels. Texts are UTF-8 and used exactly. Internal to app/.

#include "panel/panel_types.h"

#include <QRect>
#include <QString>

#include <array>

namespace vamu::app::layout {

struct Row {
    QRect place;
    const char* text = "";
};

[[nodiscard]] inline QString text(const Row& row) { return QString::fromUtf8(row.text); }

// Colours: ARGB with alpha on top.
inline constexpr QRgb kWhite = 0xFFFFFFFF;
inline constexpr QRgb kBlack = 0xFF000000;
inline constexpr QRgb kHintGrey = 0xFF808080;  // red, green and blue 128
inline constexpr QRgb kRingHot = 0xFF0088FF;   // red 0, green 136, blue 255

inline constexpr const char* kSongIdHint = "音乐ID";
inline constexpr const char* kSearchHint = "搜索歌曲";
inline constexpr const char* kListButtonChannels = "播放列表";
inline constexpr const char* kListButtonLists = "频道列表";
inline constexpr const char* kCoverTipDetails = "点击查看详情";
inline constexpr const char* kCoverTipBack = "点击返回频道";

// Pages 0 to 4 (page 3 lies in page 0); see buildPages for the sizes taken from others.
struct Pages {
    panel::Page* channels = nullptr;   // 0
    panel::Page* details = nullptr;    // 1
    panel::Page* toolBar = nullptr;    // 2
    panel::Page* paging = nullptr;     // 3
    panel::Page* songLists = nullptr;  // 4
};
Pages buildPages(panel::HostWindow& window);

// The player panel: a group box of the window, its controls in its coordinates.
struct PlayerControls {
    panel::GroupBox* panel = nullptr;
    panel::NewObj* cover = nullptr;
    panel::Label* title = nullptr;
    panel::Label* subtitle = nullptr;
    panel::ThunderButton* collect = nullptr;
    panel::ThunderButton* play = nullptr;
    panel::Slider* progress = nullptr;
    panel::Label* time = nullptr;
    panel::ScrollBar* volume = nullptr;
};
inline constexpr int kPlayerPanelHeight = 70;
inline constexpr int kPlayerPanelAlpha = 60;
inline constexpr QRect kGrownPlayerPanel{0, 345, 380, 70};
PlayerControls buildPlayerPanel(panel::HostWindow& window, int volume);

// The tool bar (page 2): from x = 10 each control 10 pixels after the previous one.
struct ToolBar {
    panel::Edit* songIdBox = nullptr;
    panel::ThunderButton* get = nullptr;
    panel::ThunderButton* list = nullptr;
    panel::ThunderButton* changeSong = nullptr;
    panel::ThunderButton* download = nullptr;
};
ToolBar buildToolBar(panel::Page& page);

// The channel view's paging controls (page 3).
struct Paging {
    panel::NewObj* previous = nullptr;
    panel::NewObj* next = nullptr;
    panel::Label* previousLabel = nullptr;
    panel::Label* nextLabel = nullptr;
};
Paging buildPaging(panel::Page& page);

// The song-details view (page 1).
struct Details {
    panel::GroupBox* group = nullptr;
    panel::NewObj* picture = nullptr;
    panel::Label* headline = nullptr;
    panel::Label* subline = nullptr;
    panel::Edit* description = nullptr;
};
Details buildDetails(panel::Page& page);

// The song-list view (page 4): tab bar, lists, search bar, login panel.
struct SongListView {
    panel::GroupBox* tabBar = nullptr;
    panel::SongLists lists;
    panel::GroupBox* searchBar = nullptr;
    panel::Edit* searchBox = nullptr;
    panel::Button* search = nullptr;
    panel::Button* searchNext = nullptr;
    panel::GroupBox* login = nullptr;
    panel::Edit* account = nullptr;
    panel::Edit* password = nullptr;
    panel::Button* loginButton = nullptr;
    panel::CheckButton* autoLogin = nullptr;
    panel::Link* registerLink = nullptr;
};
SongListView buildSongListView(panel::Page& page);

// The list menus' items, in order.
inline constexpr std::array<const char*, 3> kCollectionMenu{"播放", "同步", "删除"};
inline constexpr std::array<const char*, 3> kSongMenu{"收藏", "刷新", "查看"};
inline constexpr std::array<const char*, 5> kLikesMenu{"收藏", "刷新", "删除", "同步", "注销"};

// Caption button tooltips.
inline constexpr const char* kSkinTip = "点击换肤";
inline constexpr const char* kSettingsTip = "设置";
extern const char* const kAboutText;

}  // namespace vamu::app::layout
