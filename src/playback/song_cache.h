#pragma once
// Songs that were fully received, kept on disk so that the next play of the same id
// opens the file instead of the network. Qt-free.
//
// One file per song id, "<id>.mp3", and beside them the index "index", which holds each
// song's size and the address it came from, least recently played first:
//
//   vamu song cache 1
//   <id> TAB <size in bytes> TAB <address>
//
// The play order lives in the index, not in the files' times: a sequence cannot be
// reordered by a clock set back or a tool that touches files, and one read at start
// gives every size and address. The index is replaced whole at each change (a temporary
// file renamed). At start a song file the index does not name, and any temporary file,
// is deleted; an entry whose file is missing or has another size is dropped.
//
// A song is written under a temporary name ("<id>.<n>.part") while it arrives and
// renamed when whole, so a song file is never half written. Before a song file is handed
// out it must still have its stored size and its first frames must decode as the engine
// decodes them (usually a few kilobytes read); otherwise it is deleted and the song
// comes from the network again. A song whose address changed is fetched anew, and the
// new file replaces the old one once whole.
//
// Bounded: when a song is added, the least recently played go until the rest fit the
// limit; a song larger than the limit is not kept. Limit 0 turns the cache off and
// empties it.
//
// Threads: the UI thread calls every member function; a writer's write, finish and
// abandon run on a stream's reader thread. One mutex guards the index and every change
// to the song files; a writer's own temporary file is its own until it hands it in.
// Writers share the cache's state, so a stream may end after the SongCache object.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "playback/byte_source.h"

namespace vamu::playback {

// The songs' folder: core::cacheHome() + "/vamu/songs".
[[nodiscard]] std::string songCacheFolder();

class SongCache {
public:
    // Reads the index of `folder` (made at the first song kept). `limitBytes` <= 0: off.
    SongCache(std::string folder, std::int64_t limitBytes);
    ~SongCache();
    SongCache(const SongCache&) = delete;
    SongCache& operator=(const SongCache&) = delete;

    // The file of song `id` as fetched from `url` when it is kept, whole and audio; it
    // then counts as played now. Nullopt when the cache is off or has no such song.
    [[nodiscard]] std::optional<std::string> fileToPlay(const std::string& id, const std::string& url);
    // The same check without counting as played (the download copies the file).
    [[nodiscard]] std::optional<std::string> fileToCopy(const std::string& id, const std::string& url);
    // Where a URL stream of song `id` from `url` writes what it fetches; the song is
    // kept when the stream finishes the sink. Null when the cache is off or the id or
    // address cannot be stored (an id that is not a plain word, an address with a tab).
    [[nodiscard]] std::shared_ptr<ByteSink> writer(const std::string& id, const std::string& url);

    // A new limit: songs go, least recently played first, until the rest fit; 0 empties.
    void setLimit(std::int64_t bytes);
    // Deletes every song; streams that are still being written are not kept either.
    void clear();

    [[nodiscard]] std::int64_t limit() const;
    [[nodiscard]] std::int64_t usedBytes() const;  // the kept songs' sizes added up
    [[nodiscard]] const std::string& folder() const { return m_folder; }

    struct State;

private:
    enum class Use { Play, Copy };
    [[nodiscard]] std::optional<std::string> checkedFile(const std::string& id, const std::string& url, Use use);

    const std::string m_folder;
    std::shared_ptr<State> m_state;
};

}  // namespace vamu::playback
