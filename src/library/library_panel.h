#pragma once
// The controls of the personal library: the collection list and the likes list with
// their menus, the collect button and the download button. app/ fills it when it
// builds the main window; every pointer is valid while the main window lives. UI
// thread only.

#include "panel/panel_types.h"

namespace vamu::library {

struct LibraryPanel {
    panel::HostWindow* window = nullptr;         // owner of message boxes
    panel::ListView* collection = nullptr;       // tab "我的收藏"; row mark = liked
    panel::PopupMenu* collectionMenu = nullptr;  // "播放", "同步", "删除" (panel::collection_menu)
    panel::ListView* likes = nullptr;            // tab "我喜欢的"; row mark = liked
    panel::PopupMenu* likesMenu = nullptr;       // "收藏", "刷新", "删除", "同步", "注销" (panel::likes_menu)
    panel::ListView* songs = nullptr;            // tab "歌曲列表" (its menu's "收藏")
    panel::ThunderButton* collect = nullptr;     // "收藏"; disabled until a song plays
    panel::ThunderButton* download = nullptr;    // "下载"; disabled until a song plays
};

}  // namespace vamu::library
