#pragma once
// The main window's keys: Space play/pause, Ctrl+Right next, Ctrl+Left previous, Ctrl+Up
// and Ctrl+Down the volume by 5, Ctrl+F the search box, Ctrl+D download, Ctrl+S collect
// the playing song. While an edit box has the focus every key is the box's.
//
// UI thread only; the window outlives the binding.

#include <functional>

namespace vamu::app {

class MainWindow;

struct KeyActions {
    std::function<void()> togglePause;
    std::function<void()> nextSong;
    std::function<void()> previousSong;
    std::function<void(int delta)> changeVolume;  // by -5 or +5
    std::function<void()> search;                 // the search box, the likes view opened
    std::function<void()> download;
    std::function<void()> collect;
};

// Binds the keys and names them in the tooltips of the controls they stand for.
void bindKeys(MainWindow& window, KeyActions actions);

}  // namespace vamu::app
