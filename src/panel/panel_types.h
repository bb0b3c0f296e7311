#pragma once
// The main window's vocabulary that app/ and the features share: the toolkit classes the
// panel structs point at, the columns of a song row, the three song lists with their tab
// buttons, and the item positions of the lists' menus. The toolkit knows none of it.
//
// A panel is a plain struct of control pointers that app/ fills when it builds the
// main window. Every pointer is valid while the main window lives and is used on the
// UI thread only; features never look a control up by name.

#include "toolkit/controls/button.h"
#include "toolkit/controls/check_button.h"
#include "toolkit/controls/edit.h"
#include "toolkit/controls/group_box.h"
#include "toolkit/controls/label.h"
#include "toolkit/controls/link.h"
#include "toolkit/controls/list_view.h"
#include "toolkit/controls/new_obj.h"
#include "toolkit/controls/page.h"
#include "toolkit/controls/scroll_bar.h"
#include "toolkit/controls/slider.h"
#include "toolkit/controls/thunder_button.h"
#include "toolkit/host_window.h"
#include "toolkit/popup_menu.h"

#include <functional>

namespace vamu::panel {

using toolkit::Button;
using toolkit::CheckButton;
using toolkit::Edit;
using toolkit::GroupBox;
using toolkit::HostWindow;
using toolkit::Label;
using toolkit::Link;
using toolkit::ListView;
using toolkit::NewObj;
using toolkit::Page;
using toolkit::PopupMenu;
using toolkit::ScrollBar;
using toolkit::Slider;
using toolkit::ThunderButton;

// The columns of a song row, counted from 1 as the list view counts them.
namespace song_column {
inline constexpr int kSource = 1;    // stream URL, width 0 (hidden)
inline constexpr int kNumber = 2;    // row number from 1, "编号"
inline constexpr int kTitle = 3;     // "歌曲名称"
inline constexpr int kUploader = 4;  // "上传用户"
inline constexpr int kId = 5;        // "歌曲id"
inline constexpr int kCount = 5;
}  // namespace song_column

// The three song lists, by the tab that shows each.
enum class ListTab { Collection, Songs, Likes };

// The lists of the song-list view and their tab buttons. The open tab's button is
// disabled, which is how openTab() tells it.
struct SongLists {
    ListView* collection = nullptr;  // "我的收藏"
    ListView* songs = nullptr;       // "歌曲列表": the catalogue and other songs
    ListView* likes = nullptr;       // "我喜欢的": likes and search results
    Button* collectionTab = nullptr;
    Button* songsTab = nullptr;
    Button* likesTab = nullptr;

    [[nodiscard]] ListView* list(ListTab which) const {
        switch (which) {
        case ListTab::Collection:
            return collection;
        case ListTab::Songs:
            return songs;
        case ListTab::Likes:
            return likes;
        }
        return nullptr;
    }
    [[nodiscard]] ListTab openTab() const {
        if (collectionTab && collectionTab->isDisabled()) return ListTab::Collection;
        if (likesTab && likesTab->isDisabled()) return ListTab::Likes;
        return ListTab::Songs;
    }
};

// Item positions of the list menus (popup menu positions count from 1).
namespace collection_menu {
inline constexpr int kPlay = 1;    // "播放"
inline constexpr int kSync = 2;    // "同步"
inline constexpr int kDelete = 3;  // "删除"
}  // namespace collection_menu
namespace song_menu {
inline constexpr int kCollect = 1;  // "收藏"
inline constexpr int kReload = 2;   // "刷新"
inline constexpr int kView = 3;     // "查看", "返回" while the uploader's songs are shown
}  // namespace song_menu
namespace likes_menu {
inline constexpr int kCollect = 1;  // "收藏"
inline constexpr int kReload = 2;   // "刷新"
inline constexpr int kDelete = 3;   // "删除"
inline constexpr int kSync = 4;     // "同步"
inline constexpr int kLogout = 5;   // "注销"
}  // namespace likes_menu

// Gives a list menu's item its action, keeping its text and state; false when the
// menu has no such item. The menus are built with their texts and no actions.
inline bool setMenuAction(PopupMenu& menu, int position, std::function<void()> action) {
    const toolkit::MenuEntry* item = menu.item(position);
    if (!item) return false;
    toolkit::MenuEntry entry = *item;
    entry.sendsCommand = false;
    entry.handler = std::move(action);
    return menu.setItem(position, std::move(entry));
}

}  // namespace vamu::panel
