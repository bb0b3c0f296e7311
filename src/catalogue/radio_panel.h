#pragma once
// The controls of the radio: the channel view where the tiles are made, its paging
// controls, and what the channel list changes when it grows the window. app/ fills it
// when it builds the main window; every pointer is valid while the main window lives. UI
// thread only.

#include "panel/panel_types.h"

namespace vamu::catalogue {

struct RadioPanel {
    panel::Page* channelPage = nullptr;     // page 0: parent of the ten tiles and labels
    panel::Page* pagingPage = nullptr;      // page 3 (inside page 0), hidden until a page shows
    panel::NewObj* previousPage = nullptr;  // 200, 210; disabled on page 1
    panel::NewObj* nextPage = nullptr;      // 290, 210
    panel::Label* previousLabel = nullptr;  // "上一页"
    panel::Label* nextLabel = nullptr;      // "下一页"
};

}  // namespace vamu::catalogue
