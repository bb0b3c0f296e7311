#pragma once
// The catalogue's media files in the data directory: pictures (made on first request,
// then held in memory) and songs (MP3 files made on first request or by background
// workers, then read from disk). All methods may be called from any thread.

#include "catalogue.h"
#include "stop_signal.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

namespace vamu::service {

enum class PictureKind { Cover, Channel, Avatar };

// The avatar of accounts registered with the service; catalogue users have their own.
inline constexpr Id kDefaultAvatarId = 0;

struct SongFile {
    std::filesystem::path path;
    std::int64_t size = 0;  // bytes
};

class MediaLibrary {
public:
    MediaLibrary(std::filesystem::path dataDirectory, const Catalogue& catalogue, StopSignal& stop);
    ~MediaLibrary();
    MediaLibrary(const MediaLibrary&) = delete;
    MediaLibrary& operator=(const MediaLibrary&) = delete;

    // Creates the media folders. Call once, before serving.
    [[nodiscard]] bool prepareFolders(std::string& error);

    // The PNG bytes of a picture, read or made on first use; nullptr for an unknown id.
    [[nodiscard]] std::shared_ptr<const std::string> picture(PictureKind kind, Id id);

    // The song's MP3 file, made first if it does not exist yet (this blocks for about a
    // second per minute of music); a version's is its original's. nullopt for an unknown
    // song, a failure or a stop.
    [[nodiscard]] std::optional<SongFile> song(Id id);

    // Makes every missing song on `threads` background threads of low priority, hottest first.
    void startBackgroundGeneration(int threads);

    // Number of MP3 files that exist (one for each song with music of its own).
    [[nodiscard]] int readySongs() const { return m_readyCount.load(); }

private:
    struct Slot {
        Id id = 0;
        std::mutex mutex;                    // held while the file is made
        std::atomic<std::int64_t> size{-1};  // -1 until the file exists
    };

    struct Progress {
        std::atomic<std::size_t> next{0};  // index into m_slots of the next song to make
        std::atomic<int> running{0};
        std::chrono::steady_clock::time_point started;
    };

    Slot* slot(Id id);
    void generateMissing(std::stop_token stop, Progress& progress);
    [[nodiscard]] std::filesystem::path songPath(Id id) const;

    std::filesystem::path m_directory;
    const Catalogue& m_catalogue;
    StopSignal& m_stop;
    std::mutex m_pictureMutex;                                                       // guards m_pictures
    std::unordered_map<std::string, std::shared_ptr<const std::string>> m_pictures;  // "<kind>/<id>" to PNG bytes
    std::vector<std::unique_ptr<Slot>> m_slots;                                      // in hot order
    std::unordered_map<Id, Slot*> m_slotById;
    std::atomic<int> m_readyCount{0};
    std::vector<std::jthread> m_workers;
};

}  // namespace vamu::service
