#pragma once
// The player as other features see it at one moment: the current song, its stream's
// activity, where it is, the volume and the cover. The comments, the desktop bus and the
// download read it instead of asking the engine themselves. A value: taken on the UI
// thread, kept as long as wanted.

#include "net/song_entry.h"
#include "playback/activity_state.h"

#include <QByteArray>

namespace vamu::playback {

struct PlayerSnapshot {
    net::SongEntry song;                              // empty id before the first song
    ActivityState activity = ActivityState::Stopped;  // of its stream; Stopped without one
    bool starting = false;                            // its stream is being opened
    bool canGoPrevious = false;                       // a song played before it ("上一首")
    double positionSeconds = -1;                      // -1 while unknown
    double lengthSeconds = -1;                        // -1 while unknown
    int volume = 100;                                 // the volume bar, 0..100
    QByteArray cover;                                 // the panel's cover picture
};

}  // namespace vamu::playback
