#include "library/library_controller.h"
#include "toolkit/qt_text.h"

#include "platform/workers.h"
#include "toolkit/message_request.h"

#include <algorithm>

namespace vamu::library {
namespace {

constexpr int kSyncSummaryWidth = 290;
const char* const kCollectText = "收藏";
const char* const kCollectedText = "成功";

using toolkit::qText;

// A song as the collection file stores it, and back.
CollectionRow fileRowOf(const net::SongEntry& song) { return {song.source, song.name, song.uploader, song.id}; }

net::SongRow songRowOf(const CollectionRow& row, bool liked) {
    net::SongEntry song;
    song.source = row.source;
    song.name = row.name;
    song.uploader = row.uploader;
    song.id = row.id;
    return {std::move(song), liked};
}

std::vector<CollectionRow> fileRowsOf(const net::SongList& list) {
    std::vector<CollectionRow> rows;
    rows.reserve(list.rows().size());
    for (const net::SongRow& row : list.rows()) rows.push_back(fileRowOf(row.song));
    return rows;
}

std::vector<MarkedRow> markedRowsOf(const net::SongList& list) {
    std::vector<MarkedRow> rows;
    rows.reserve(list.rows().size());
    for (const net::SongRow& row : list.rows()) rows.push_back({fileRowOf(row.song), row.liked});
    return rows;
}

// The row of `list` selected in `view`; null when none is.
const net::SongRow* selectedIn(const net::SongList& list, const panel::ListView& view) {
    return list.row(view.selectedRow());
}

}  // namespace

LibraryController::LibraryController(const LibraryPanel& panel, const net::SongList& songList,
                                     net::ServiceContext context, platform::Scheduler& scheduler,
                                     std::filesystem::path collectionFile, LibraryHooks hooks)
    : m_panel(panel),
      m_songList(songList),
      m_context(std::move(context)),
      m_scheduler(scheduler),
      m_hooks(std::move(hooks)),
      m_store(std::make_shared<CollectionStore>(std::move(collectionFile))) {
    m_panel.collect->bindClick([this](const toolkit::Event&) {
        collectPlaying();
        return false;
    });
}

LibraryController::~LibraryController() { stopAll(); }

void LibraryController::stopAll() {
    m_scheduler.stopTimer(kCollectedTimer);
    m_load.stop();
    m_save.stop();
    m_likesChain.stop();
    m_unlikes.stop();
    m_syncs.stop();
}

void LibraryController::showMessage(std::string_view title, std::string_view text, int width) {
    if (!m_hooks.message) return;
    toolkit::MessageRequest request;
    request.title = qText(title);
    request.text = qText(text);
    request.icon = toolkit::message_icon::kInformation;
    request.width = width;
    (void)m_hooks.message(request);
}

// --- the collection ------------------------------------------------------------------

void LibraryController::loadCollection() {
    const std::filesystem::path path = m_store->path();
    const std::uint64_t changeAtStart = m_lastChange;
    m_load.start(
        [path, store = m_store](std::stop_token) {
            (void)store->removeStaleTemporaryFiles();
            return library::loadCollection(path);
        },
        [this, changeAtStart](std::optional<std::vector<CollectionRow>> rows) {
            collectionLoaded(std::move(rows), changeAtStart);
        });
}

void LibraryController::collectionLoaded(std::optional<std::vector<CollectionRow>> rows, std::uint64_t changeAtStart) {
    if (!rows) return;  // no file: the list keeps what it has
    std::vector<MarkedRow> merged;
    for (CollectionRow& row : *rows) merged.push_back({std::move(row), false});
    const bool changedMeanwhile = m_lastChange != changeAtStart;
    if (changedMeanwhile) {
        // Songs collected while the file was read stay, after the file's rows.
        for (MarkedRow& row : markedRowsOf(m_collection)) {
            const bool known =
                std::any_of(merged.begin(), merged.end(), [&](const MarkedRow& m) { return m.row.id == row.row.id; });
            if (!known) merged.push_back(std::move(row));
        }
    }
    fillCollection(merged);
    if (changedMeanwhile) saveCollection();
}

void LibraryController::fillCollection(const std::vector<MarkedRow>& rows) {
    std::vector<net::SongRow> songs;
    songs.reserve(rows.size());
    for (const MarkedRow& row : rows) songs.push_back(songRowOf(row.row, row.liked));
    m_collection.assign(std::move(songs));
}

void LibraryController::saveCollection() {
    m_lastChange = m_store->nextChange();
    // The rows as they are now; the store skips this save if a newer one was written first.
    // A newer save's outcome is the one that counts, so it drops this one's.
    m_save.start(
        [store = m_store, rows = fileRowsOf(m_collection), change = m_lastChange](std::stop_token) {
            SaveReport report;
            std::error_code error;
            report.result = store->save(rows, change, &error);
            report.reason = error.message();
            return report;
        },
        [this](SaveReport report) { collectionSaved(std::move(report)); });
}

void LibraryController::collectionSaved(SaveReport report) {
    switch (report.result) {
    case CollectionStore::SaveResult::Written:
    case CollectionStore::SaveResult::Removed:
        m_saveFailing = false;
        return;
    case CollectionStore::SaveResult::Superseded:
        return;
    case CollectionStore::SaveResult::Failed:
        break;
    }
    // Once until a save succeeds again: every further change tries anew, silently.
    if (m_saveFailing) return;
    m_saveFailing = true;
    showMessage(net::kTitleError, std::string(kSaveFailedText) + "\n" + report.reason, 0);
}

void LibraryController::addToCollection(const net::SongEntry& song) {
    if (m_collection.findId(song.id) != 0) return;
    // As the collection file keeps it: the four texts, no uploader id or cover.
    m_collection.append(songRowOf(fileRowOf(song), false));
    saveCollection();
}

void LibraryController::collectFromSongList() {
    if (const net::SongRow* row = selectedIn(m_songList, *m_panel.songs)) addToCollection(row->song);
}

void LibraryController::collectFromLikes() {
    if (const net::SongRow* row = selectedIn(m_likes, *m_panel.likes)) addToCollection(row->song);
}

void LibraryController::collectPlaying() {
    // The caption changes even when the song is in the collection already.
    m_panel.collect->setText(qText(kCollectedText));
    m_scheduler.once(kCollectedTimer, kCollectedTime, [this] { m_panel.collect->setText(qText(kCollectText)); });
    if (m_playing) addToCollection(*m_playing);
}

void LibraryController::deleteFromCollection() {
    if (!m_collection.remove(m_panel.collection->selectedRow())) return;
    saveCollection();
    // What a reload from the file gives: the marks gone (the numbers follow the rows).
    for (int row = 1; row <= m_collection.rowCount(); ++row) m_collection.setLiked(row, false);
}

bool LibraryController::prepareCollectionMenu() {
    if (!selectedIn(m_collection, *m_panel.collection)) return false;
    const bool syncUsable = m_context.session && m_context.session->loggedIn() && m_likesMode == LikesMode::Likes;
    m_panel.collectionMenu->setState(panel::collection_menu::kSync,
                                     syncUsable ? toolkit::menu_state::kNormal : toolkit::menu_state::kDisabled);
    return true;
}

// --- the likes -----------------------------------------------------------------------

void LibraryController::refreshLikes() {
    m_likes.clear();
    m_likesMode = LikesMode::Likes;
    LibraryController* self = this;  // used only in posts, which run while the slot is alive
    m_likesChain.start([context = m_context, self](const platform::TaskPoster& poster) {
        // Page after page until one comes back empty or fails.
        for (int page = 1; !poster.stopRequested(); ++page) {
            if (!context.session || !context.session->loggedIn()) return;
            net::ServiceReply reply = net::callService(context, net::endpoint::kLikesPage,
                                                       {net::ParamValue::number(page)}, poster.stopToken());
            if (reply.outcome != net::ServiceOutcome::Succeeded || !reply.document) return;
            const int count = reply.document->countMembers("result.sounds");
            poster.post([self, songs = net::readSongEntries(*reply.document, "result.sounds",
                                                            net::WithoutStream::Keep)] { self->likesPage(songs); });
            if (count <= 0) return;
        }
    });
}

void LibraryController::likesPage(const std::vector<net::SongEntry>& songs) {
    for (const net::SongEntry& song : songs) m_likes.append({song, false});
    if (m_hooks.likesPageShown) m_hooks.likesPageShown();
}

void LibraryController::stopLikes() { m_likesChain.stop(); }

void LibraryController::showSearchResults(std::optional<std::vector<net::SongEntry>> songs) {
    // The results take the likes list over: no likes page may land among them.
    stopLikes();
    m_likesMode = LikesMode::SearchResults;
    if (songs) m_likes.assignSongs(*songs);
}

void LibraryController::unlike() {
    const net::SongRow* row = selectedIn(m_likes, *m_panel.likes);
    if (!row) return;
    m_unlikes.enqueue(
        [context = m_context, id = row->song.id](std::stop_token stop) {
            return net::callService(context, net::endpoint::kUnlike, {net::ParamValue::text(id)}, stop).outcome;
        },
        [this](net::ServiceOutcome outcome) {
            if (outcome == net::ServiceOutcome::Succeeded) refreshLikes();
        });
}

void LibraryController::syncLikes() {
    m_syncs.enqueuePrepared([this] { return prepareSync(); }, [this](SyncCounts counts) { likesSynced(counts); });
}

// When the synchronisation's turn comes: the lists as an earlier one left them.
platform::TaskQueue<SyncCounts>::Work LibraryController::prepareSync() {
    // Likes into the collection, on this thread: the lists belong to it.
    std::vector<MarkedRow> collection = markedRowsOf(m_collection);
    const int before = static_cast<int>(collection.size());
    std::vector<CollectionRow> likes;
    for (const net::SongRow& like : m_likes.rows()) likes.push_back(fileRowOf(like.song));
    mergeLikes(collection, likes);
    for (int row = 1; row <= before; ++row)
        m_collection.setLiked(row, collection[static_cast<std::size_t>(row - 1)].liked);
    for (std::size_t at = static_cast<std::size_t>(before); at < collection.size(); ++at) {
        m_collection.append(songRowOf(collection[at].row, true));
    }
    saveCollection();

    // The collection into the likes, on a worker.
    return [context = m_context, plan = planLikes(collection)](std::stop_token stop) {
        SyncCounts counts{plan.total, plan.alreadyLiked, 0};
        for (const std::string& id : plan.toLike) {
            if (stop.stop_requested()) break;
            const auto outcome =
                net::callService(context, net::endpoint::kLike, {net::ParamValue::text(id)}, stop).outcome;
            if (outcome == net::ServiceOutcome::Succeeded) ++counts.succeeded;
            if (outcome == net::ServiceOutcome::Refused) ++counts.failed;
        }
        return counts;
    };
}

void LibraryController::likesSynced(SyncCounts counts) {
    showMessage(kSyncTitle, syncSummary(counts), kSyncSummaryWidth);
    refreshLikes();
}

bool LibraryController::prepareLikesMenu() {
    const bool hasRow = selectedIn(m_likes, *m_panel.likes) != nullptr;
    const auto state = [](bool on) { return on ? toolkit::menu_state::kNormal : toolkit::menu_state::kDisabled; };
    const bool likesShown = hasRow && m_likesMode == LikesMode::Likes;
    m_panel.likesMenu->setState(panel::likes_menu::kCollect, state(hasRow));
    m_panel.likesMenu->setState(panel::likes_menu::kDelete, state(likesShown));
    m_panel.likesMenu->setState(panel::likes_menu::kSync, state(likesShown));
    return true;
}

}  // namespace vamu::library
