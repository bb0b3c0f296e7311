#pragma once
// The controls the player drives: the player panel of the main window, the tool bar's
// change-song button, and the three song lists it plays from.
// app/ fills it when it builds the main window; every pointer is valid while the main
// window lives. UI thread only.

#include "panel/panel_types.h"

namespace vamu::playback {

struct PlayerPanel {
    panel::HostWindow* window = nullptr;         // the main window: title, show state
    panel::GroupBox* panel = nullptr;            // the translucent player panel
    panel::NewObj* cover = nullptr;              // 50 x 50 round cover, tooltip by view
    panel::Label* title = nullptr;               // the song's name ("「vamu」" at start)
    panel::Label* subtitle = nullptr;            // uploader, buffering texts, detail line
    panel::ThunderButton* collect = nullptr;     // "收藏"; disabled until a song plays
    panel::ThunderButton* play = nullptr;        // "播放" / "暂停"; disabled until a song plays
    panel::Slider* progress = nullptr;           // playing position, 0..100
    panel::Label* time = nullptr;                // "00:00/00:00"
    panel::ScrollBar* volume = nullptr;          // 0..100, position from key 音量
    panel::ThunderButton* changeSong = nullptr;  // "我要换歌"
    panel::SongLists lists;                      // openTab() tells the open tab
};

}  // namespace vamu::playback
