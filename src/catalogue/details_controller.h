#pragma once
// Song details, play by id and the uploader's songs on the UI thread.
//
// Details: every song that starts asks the companion server for its details; the reply
// fills the details view's detail line and description, and goes to the player, whose
// panel shows it. The view's picture is the player's cover. A newer song's request drops
// an older one's late reply (TaskSlot), so the view never shows a song that no longer
// plays.
//
// Play by id: the get button is disabled while its request runs; the wait ends with the
// reply or after kPlayByIdLimit, which enables the button again and changes nothing.
//
// The uploader's songs: the song list's item "查看" lists the selected row's uploader's
// songs newest first, page after page, into the song list (the player's list C); "返回"
// puts the catalogue rows back. "刷新" loads the uploader's songs again in that view, and
// a new page of the catalogue outside it.
//
// UI thread only. The panel's controls and the scheduler outlive the controller.

#include "catalogue/details_panel.h"
#include "core/random_source.h"
#include "catalogue/song_details.h"
#include "net/service_call.h"
#include "net/song_entry.h"
#include "net/song_list.h"
#include "platform/scheduler.h"
#include "platform/task_slot.h"
#include "toolkit/message_request.h"

#include <QByteArray>
#include <QString>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vamu::catalogue {

struct DetailsHooks {
    // What the playing song's details say, for the player: the detail line, the uploader's
    // name and the cover's address.
    std::function<void(const std::string& detailLine, const std::string& uploader, const std::string& coverUrl)>
        detailsLearnt;
    // Plays one song repeating (mode 2).
    std::function<void(const net::SongEntry& song)> playRepeating;
    // The uploader view: the song list becomes list C, empty (true), or shows the catalogue
    // again (false); its numbering starts at 1.
    std::function<void(bool uploaderView)> setUploaderView;
    std::function<bool()> uploaderViewShown;
    // A page of the uploader's songs for the song list, while the view lasts.
    std::function<void(const std::vector<net::SongEntry>& songs)> addUploaderSongs;
    // "刷新" outside the uploader view: a new page of the channel or hot list the song
    // list came from.
    std::function<void()> reloadCatalogue;
    toolkit::MessageFunction message;
};

class DetailsController {
public:
    static constexpr std::chrono::milliseconds kPlayByIdLimit{15000};
    static constexpr std::string_view kPlayByIdTimer = "音乐ID等待";

    // `companionHost`: host[:port] of the companion server; `context`: the music service.
    // `songList`: the song list's model (the player's), whose selected row the uploader's
    // songs start from.
    DetailsController(const DetailsPanel& panel, const net::SongList& songList, std::string companionHost,
                      net::ServiceContext context, platform::Scheduler& scheduler, core::RandomSource random,
                      DetailsHooks hooks);
    ~DetailsController();
    DetailsController(const DetailsController&) = delete;
    DetailsController& operator=(const DetailsController&) = delete;

    void songStarting(const net::SongEntry& song);  // SongDetails
    // The player's cover changed: the details view shows the same picture.
    void showCover(const QByteArray& picture);
    void playById();           // the get button
    void viewUploaderSongs();  // song list menu item 3
    void reloadSongList();     // song list menu item 2, "刷新"
    // Before the song list's menu opens: item 3 reads "返回" in the uploader view, else "查看".
    bool prepareSongMenu();

    void stopAll();

    [[nodiscard]] bool fetchingDetails() const { return m_detailsFetch.running(); }
    [[nodiscard]] bool waitingForId() const { return m_idFetch.running(); }
    [[nodiscard]] bool loadingUploader() const { return m_uploaderFetch.running(); }
    [[nodiscard]] int uploaderPage() const { return m_uploaderPage; }

private:
    void detailsArrived(const std::optional<SongDetails>& details);
    void idArrived(const std::optional<SongDetails>& details);
    void endIdWait();
    void loadUploaderPage();
    void uploaderPageArrived(std::optional<std::vector<net::SongEntry>> songs);
    void leaveUploaderView();
    [[nodiscard]] bool uploaderViewShown() const;
    [[nodiscard]] long long drawKey(long long songId);
    int message(const QString& title, const QString& text, int icon, int width);

    DetailsPanel m_panel;
    const net::SongList& m_songList;
    std::string m_companionHost;
    net::ServiceContext m_context;
    platform::Scheduler& m_scheduler;
    core::RandomSource m_random;
    DetailsHooks m_hooks;

    long long m_uploaderId = 0;
    std::string m_uploaderName;
    int m_uploaderPage = 1;

    platform::TaskSlot<std::optional<SongDetails>> m_detailsFetch;
    platform::TaskSlot<std::optional<SongDetails>> m_idFetch;
    platform::TaskSlot<std::optional<std::vector<net::SongEntry>>> m_uploaderFetch;
};

}  // namespace vamu::catalogue
