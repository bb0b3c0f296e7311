#pragma once
// Shows a song list model (net/song_list.h) in a list view of the main window: the five
// columns of a song row (the hidden stream URL, the row number from 1, title, uploader,
// song id), kept in step with every change of the model. The one writer of those
// cells; features change the model, never the cells.
//
// UI thread only. The model and the view outlive the binder; the binder is the model's
// only observer while it lives.

#include "net/song_list.h"
#include "toolkit/controls/list_view.h"

namespace vamu::app {

class SongListBinder {
public:
    SongListBinder(const net::SongList& model, toolkit::ListView& view);
    ~SongListBinder();
    SongListBinder(const SongListBinder&) = delete;
    SongListBinder& operator=(const SongListBinder&) = delete;

private:
    void changed(net::SongList::Change change, int row);
    void appendRow(int row);
    void showAll();

    const net::SongList& m_model;
    toolkit::ListView& m_view;
};

}  // namespace vamu::app
