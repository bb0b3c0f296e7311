#pragma once
// The controls of the song details, play by id and the uploader's songs: the
// song-details view (page 1), the tool bar's song id box and get button, and the song
// list with its menu. app/ fills it when it builds the main window; every pointer is
// valid while the main window lives. UI thread only.

#include "panel/panel_types.h"

namespace vamu::catalogue {

struct DetailsPanel {
    panel::Page* page = nullptr;           // page 1, hidden until the cover is clicked
    panel::GroupBox* group = nullptr;      // caption "「vamu」"
    panel::NewObj* picture = nullptr;      // 80 x 80 round picture
    panel::Label* headline = nullptr;      // "发现前所未有的好听音乐"
    panel::Label* subline = nullptr;       // "颠覆你的听觉体验"
    panel::Edit* description = nullptr;    // read-only, rich, word-wrapped
    panel::Edit* songIdBox = nullptr;      // digits, at most 8; hint "音乐ID" in grey
    panel::ThunderButton* get = nullptr;   // "获取"
    panel::ListView* songList = nullptr;   // tab "歌曲列表"
    panel::PopupMenu* songMenu = nullptr;  // item panel::song_menu::kView: "查看" / "返回"
};

}  // namespace vamu::catalogue
