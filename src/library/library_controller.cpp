#include "library/library_controller.h"

#include "platform/workers.h"
#include "toolkit/message_box.h"

#include <algorithm>

namespace vamu::library {
namespace {

namespace column = panel::song_column;

constexpr int kSyncSummaryWidth = 290;
const char* const kCollectText = "收藏";
const char* const kCollectedText = "成功";

QString qText(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

CollectionRow rowOf(const panel::ListView& list, int row) {
    return {list.cellText(row, column::kSource).toStdString(), list.cellText(row, column::kTitle).toStdString(),
            list.cellText(row, column::kUploader).toStdString(), list.cellText(row, column::kId).toStdString()};
}

std::vector<CollectionRow> rowsOf(const panel::ListView& list) {
    std::vector<CollectionRow> rows;
    rows.reserve(static_cast<std::size_t>(list.rowCount()));
    for (int row = 1; row <= list.rowCount(); ++row) rows.push_back(rowOf(list, row));
    return rows;
}

std::vector<MarkedRow> markedRowsOf(const panel::ListView& list) {
    std::vector<MarkedRow> rows;
    for (int row = 1; row <= list.rowCount(); ++row) rows.push_back({rowOf(list, row), list.rowValue(row) == 1});
    return rows;
}

// Appends a row numbered by its position; the row's value is its liked mark.
void appendRow(panel::ListView& list, const CollectionRow& song, bool liked) {
    const int row = list.insertRow(0, qText(song.source), 0, liked ? 1 : 0);
    list.setCellText(row, column::kNumber, QString::number(row));
    list.setCellText(row, column::kTitle, qText(song.name));
    list.setCellText(row, column::kUploader, qText(song.uploader));
    list.setCellText(row, column::kId, qText(song.id));
}

bool containsId(const panel::ListView& list, const QString& id) {
    for (int row = 1; row <= list.rowCount(); ++row) {
        if (list.cellText(row, column::kId) == id) return true;
    }
    return false;
}

}  // namespace

LibraryController::LibraryController(const LibraryPanel& panel, net::ServiceContext context,
                                     platform::Scheduler& scheduler, std::filesystem::path collectionFile,
                                     LibraryHooks hooks)
    : m_panel(panel),
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
    toolkit::MessageBoxOptions options;
    options.title = qText(title);
    options.icon = toolkit::message_icon::kInformation;
    options.width = width;
    toolkit::messageBox(m_panel.window->windowHandle(), qText(text), options);
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
        for (MarkedRow& row : markedRowsOf(*m_panel.collection)) {
            const bool known =
                std::any_of(merged.begin(), merged.end(), [&](const MarkedRow& m) { return m.row.id == row.row.id; });
            if (!known) merged.push_back(std::move(row));
        }
    }
    fillCollection(merged);
    if (changedMeanwhile) saveCollection();
}

void LibraryController::fillCollection(const std::vector<MarkedRow>& rows) {
    panel::ListView& list = *m_panel.collection;
    list.clear();
    for (const MarkedRow& row : rows) appendRow(list, row.row, row.liked);
}

void LibraryController::saveCollection() {
    m_lastChange = m_store->nextChange();
    // The rows as they are now; the store skips this save if a newer one was written first.
    // A newer save's outcome is the one that counts, so it drops this one's.
    m_save.start(
        [store = m_store, rows = rowsOf(*m_panel.collection), change = m_lastChange](std::stop_token) {
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

void LibraryController::addToCollection(const CollectionRow& row) {
    if (containsId(*m_panel.collection, qText(row.id))) return;
    appendRow(*m_panel.collection, row, false);
    saveCollection();
}

void LibraryController::collectFromSongList() {
    const int row = m_panel.songs->selectedRow();
    if (row < 1 || row > m_panel.songs->rowCount()) return;
    addToCollection(rowOf(*m_panel.songs, row));
}

void LibraryController::collectFromLikes() {
    const int row = m_panel.likes->selectedRow();
    if (row < 1 || row > m_panel.likes->rowCount()) return;
    addToCollection(rowOf(*m_panel.likes, row));
}

void LibraryController::collectPlaying() {
    // The caption changes even when the song is in the collection already.
    m_panel.collect->setText(qText(kCollectedText));
    m_scheduler.once(kCollectedTimer, kCollectedTime, [this] { m_panel.collect->setText(qText(kCollectText)); });
    if (!m_playing) return;
    addToCollection({m_playing->source, m_playing->name, m_playing->uploader, m_playing->id});
}

void LibraryController::deleteFromCollection() {
    panel::ListView& list = *m_panel.collection;
    const int selected = list.selectedRow();
    if (selected < 1 || selected > list.rowCount()) return;
    list.deleteRow(selected);
    saveCollection();
    // What a reload from the file gives: the rows numbered 1, 2, 3, ... again, marks gone.
    for (int row = 1; row <= list.rowCount(); ++row) {
        list.setCellText(row, column::kNumber, QString::number(row));
        list.setRowValue(row, 0);
    }
}

bool LibraryController::prepareCollectionMenu() {
    const int selected = m_panel.collection->selectedRow();
    if (selected < 1 || selected > m_panel.collection->rowCount()) return false;
    const bool syncUsable = m_context.session && m_context.session->loggedIn() && m_likesMode == LikesMode::Likes;
    m_panel.collectionMenu->setState(panel::collection_menu::kSync,
                                     syncUsable ? toolkit::menu_state::kNormal : toolkit::menu_state::kDisabled);
    return true;
}

// --- the likes -----------------------------------------------------------------------

void LibraryController::refreshLikes() {
    m_panel.likes->clear();
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
            poster.post(
                [self, songs = net::readSongEntries(*reply.document, "result.sounds", net::WithoutStream::Keep)] { self->likesPage(songs); });
            if (count <= 0) return;
        }
    });
}

void LibraryController::likesPage(const std::vector<net::SongEntry>& songs) {
    for (const net::SongEntry& song : songs) {
        appendRow(*m_panel.likes, {song.source, song.name, song.uploader, song.id}, false);
    }
    if (m_hooks.likesPageShown) m_hooks.likesPageShown();
}

void LibraryController::stopLikes() { m_likesChain.stop(); }

void LibraryController::unlike() {
    const int selected = m_panel.likes->selectedRow();
    if (selected < 1 || selected > m_panel.likes->rowCount()) return;
    const std::string id = m_panel.likes->cellText(selected, column::kId).toStdString();
    m_unlikes.enqueue(
        [context = m_context, id](std::stop_token stop) {
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
    std::vector<MarkedRow> collection = markedRowsOf(*m_panel.collection);
    const int before = static_cast<int>(collection.size());
    mergeLikes(collection, rowsOf(*m_panel.likes));
    panel::ListView& list = *m_panel.collection;
    for (int row = 1; row <= before; ++row)
        list.setRowValue(row, collection[static_cast<std::size_t>(row - 1)].liked ? 1 : 0);
    for (std::size_t at = static_cast<std::size_t>(before); at < collection.size(); ++at) {
        appendRow(list, collection[at].row, true);
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
    const int selected = m_panel.likes->selectedRow();
    const bool hasRow = selected >= 1 && selected <= m_panel.likes->rowCount();
    const auto state = [](bool on) { return on ? toolkit::menu_state::kNormal : toolkit::menu_state::kDisabled; };
    const bool likesShown = hasRow && m_likesMode == LikesMode::Likes;
    m_panel.likesMenu->setState(panel::likes_menu::kCollect, state(hasRow));
    m_panel.likesMenu->setState(panel::likes_menu::kDelete, state(likesShown));
    m_panel.likesMenu->setState(panel::likes_menu::kSync, state(likesShown));
    return true;
}

}  // namespace vamu::library
