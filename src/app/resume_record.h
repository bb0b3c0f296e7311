#pragma once
// The song that played at the last exit, kept in the settings file (key 上次播放, one line
// of JSON) with its cover picture beside the cache folder's, so that the next start
// shows it paused at its place without asking the service anything. 恢复播放 "0" leaves
// it out. UI thread only.

#include "catalogue/channel_page.h"
#include "playback/player_controller.h"

#include <optional>

namespace vamu::app {

struct ResumeRecord {
    playback::ResumePoint point;
    catalogue::ChannelTile channel;  // the channel a catalogue song came from: its next page
};

// The record stored at the last exit; nullopt when 恢复播放 is not "1" or none is stored.
[[nodiscard]] std::optional<ResumeRecord> loadResume();
// Stores the record (an empty song removes it), while 恢复播放 is "1".
void storeResume(const ResumeRecord& record);

}  // namespace vamu::app
