#pragma once
// The personal library on the UI thread: the collection list with its file, and the
// likes list with the account's liked songs, unlike and the synchronisation of the two.
//
// The collection list is the authority while the program runs; every change is saved
// to the collection file on a worker (saves are serialised, the newest change wins). A
// save that fails says so once, "收藏保存失败" with the reason, until one succeeds again;
// every change tries again, and the file keeps what it held.
// The likes are loaded page after page by one chain of requests; a refresh ends the
// chain before it, so only the new one fills the list. Requests run in TaskSlots; unlikes
// and synchronisations each run to their end, in the order they were asked for.
// UI thread only; the panel's controls and the scheduler outlive it.

#include "library/collection_file.h"
#include "library/library_panel.h"
#include "library/likes_sync.h"
#include "net/service_call.h"
#include "net/song_entry.h"
#include "net/song_list.h"
#include "platform/scheduler.h"
#include "platform/task_queue.h"
#include "platform/task_slot.h"
#include "toolkit/message_request.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace vamu::library {

struct LibraryHooks {
    // A likes page arrived: the search bar's "下一页" goes off (likes are never paged by hand).
    std::function<void()> likesPageShown;
    // The synchronisation's summary and a failed save.
    toolkit::MessageFunction message;
};

// What the likes list shows.
enum class LikesMode { Likes = 0, SearchResults = 1 };

class LibraryController {
public:
    static constexpr std::string_view kCollectedTimer = "收藏成功";
    static constexpr std::chrono::milliseconds kCollectedTime{1000};

    // `songList`: the song list's model (the player's), read for its "收藏".
    LibraryController(const LibraryPanel& panel, const net::SongList& songList, net::ServiceContext context,
                      platform::Scheduler& scheduler, std::filesystem::path collectionFile, LibraryHooks hooks = {});
    ~LibraryController();
    LibraryController(const LibraryController&) = delete;
    LibraryController& operator=(const LibraryController&) = delete;

    // --- the collection ---
    // Reads the file on a worker and fills the list (start-up).
    void loadCollection();
    void collectFromSongList();  // the song list's "收藏"
    void collectFromLikes();     // the likes list's "收藏"
    // The player panel's "收藏": "成功" on the button for a second, then the playing song.
    void collectPlaying();
    // The song that plays now (the player's song start).
    void setPlayingSong(const net::SongEntry& song) { m_playing = song; }
    void deleteFromCollection();  // the collection list's "删除"
    // Before the collection menu opens: "同步" only when usable; false (no menu) without a selected row.
    bool prepareCollectionMenu();

    // --- the likes ---
    void refreshLikes();  // login, "刷新", after an unlike and a synchronisation
    void unlike();        // "删除"
    void syncLikes();     // "同步" of either menu
    // Ends the likes chain (logout, or a search that takes the list over).
    void stopLikes();
    // A search reply took the likes list over: from now on it shows search results, these
    // songs when the reply listed some to show (nullopt: the rows stay).
    void showSearchResults(std::optional<std::vector<net::SongEntry>> songs);
    [[nodiscard]] LikesMode likesMode() const { return m_likesMode; }
    // Before the likes menu opens: its items by the selection and the mode. Always opens.
    bool prepareLikesMenu();

    void stopAll();

    // The two lists' models: the collection, and the likes or search results.
    [[nodiscard]] const net::SongList& collection() const { return m_collection; }
    [[nodiscard]] const net::SongList& likes() const { return m_likes; }

    // For tests.
    [[nodiscard]] bool loadingLikes() const { return m_likesChain.running(); }
    [[nodiscard]] bool syncing() const { return m_syncs.busy(); }
    [[nodiscard]] bool unliking() const { return m_unlikes.busy(); }
    [[nodiscard]] bool loadingCollection() const { return m_load.running(); }
    [[nodiscard]] const std::filesystem::path& collectionFile() const { return m_store->path(); }

private:
    void addToCollection(const net::SongEntry& song);
    struct SaveReport {
        CollectionStore::SaveResult result = CollectionStore::SaveResult::Failed;
        std::string reason;  // why a save failed
    };
    void saveCollection();
    void collectionSaved(SaveReport report);
    void collectionLoaded(std::optional<std::vector<CollectionRow>> rows, std::uint64_t changeAtStart);
    void fillCollection(const std::vector<MarkedRow>& rows);
    void likesPage(const std::vector<net::SongEntry>& songs);
    void likesSynced(SyncCounts counts);
    [[nodiscard]] platform::TaskQueue<SyncCounts>::Work prepareSync();
    void showMessage(std::string_view title, std::string_view text, int width);

    LibraryPanel m_panel;
    const net::SongList& m_songList;
    net::SongList m_collection;
    net::SongList m_likes;  // the likes, or search results (m_likesMode)
    net::ServiceContext m_context;
    platform::Scheduler& m_scheduler;
    LibraryHooks m_hooks;
    std::shared_ptr<CollectionStore> m_store;  // shared with the save workers
    std::optional<net::SongEntry> m_playing;
    LikesMode m_likesMode = LikesMode::Likes;
    std::uint64_t m_lastChange = 0;
    bool m_saveFailing = false;  // the last save failed and was reported

    platform::TaskSlot<std::optional<std::vector<CollectionRow>>> m_load;
    platform::TaskSlot<SaveReport> m_save;
    platform::TaskSlot<void> m_likesChain;
    // Unlikes and synchronisations run to their end, one after another in the order they
    // were asked for: a quick second one must not cancel the first.
    platform::TaskQueue<net::ServiceOutcome> m_unlikes;
    platform::TaskQueue<SyncCounts> m_syncs;
};

}  // namespace vamu::library
