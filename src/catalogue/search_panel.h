#pragma once
// The controls of the search: the search bar over the likes list, which shows the
// results. app/ fills it when it builds the main window; every pointer is valid while
// the main window lives. UI thread only.

#include "panel/panel_types.h"

namespace vamu::catalogue {

struct SearchPanel {
    panel::GroupBox* bar = nullptr;     // hidden until "我喜欢的" opens with a login
    panel::Edit* keyword = nullptr;     // "搜索歌曲"; emptied whenever it takes the focus
    panel::Button* search = nullptr;    // "搜索"
    panel::Button* nextPage = nullptr;  // "下一页"; disabled until a search has more pages
    panel::Button* likesTab = nullptr;  // "我喜欢的"
};

}  // namespace vamu::catalogue
