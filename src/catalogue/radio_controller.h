#pragma once
// The radio on the UI thread: the channel grid (ten tiles a page, fetched by a task and
// fetched again every 2 s while that fails), its paging, and the random page of a channel
// or of the hot list that a catalogue switch asks for, which it hands to the player.
//
// Requests run in tasks (TaskSlot); a newer request of the same kind drops the older
// one's result. What the radio needs of the player reaches it through RadioHooks.
// UI thread only; the panel's controls and the scheduler outlive it.

#include "catalogue/catalogue_page.h"
#include "catalogue/channel_page.h"
#include "catalogue/radio_panel.h"
#include "core/random_source.h"
#include "net/service_call.h"
#include "net/song_entry.h"
#include "platform/scheduler.h"
#include "platform/task_slot.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace vamu::catalogue {

struct RadioHooks {
    // A channel tile was clicked: switch the player to channel 1..10, shown while its page
    // loads by the tile's name and picture.
    std::function<void(int channel, std::string name, QByteArray picture)> switchCatalogue;
    // The grid failed: the player panel's lines say so ("获取数据失败", "重试中...").
    std::function<void(const QString& title, const QString& secondLine)> showNotice;
    // The grid came: the panel's lines show the song again, or their idle texts.
    std::function<void()> noticeOver;
    // The window grows to make room for the grid (also when the first fetch fails).
    std::function<void()> growWindow;
};

// What a fetch of the channel grid gives: the tiles with their pictures.
struct ChannelGrid {
    bool loaded = false;
    ChannelPage tiles;
    std::array<QByteArray, kTilesPerPage> pictures;
};

class RadioController {
public:
    static constexpr std::chrono::milliseconds kRetryDelay{2000};

    RadioController(const RadioPanel& panel, net::ServiceContext context, platform::Scheduler& scheduler,
                    RandomSource random, RadioHooks hooks);
    ~RadioController();
    RadioController(const RadioController&) = delete;
    RadioController& operator=(const RadioController&) = delete;

    // Fetches the current page of the grid (start-up, paging, retries).
    void loadChannelPage();
    void previousPage();
    void nextPage();
    void tileClicked(int tile);  // 1..10

    // A random page of `channel` (1..10 a tile, 11 the hot list), handed to `done` with its
    // songs in play order (none when the fetch failed or the page is empty). A newer
    // request drops an older one's page, and so does stopAll().
    using PageDone = std::function<void(std::vector<net::SongEntry> songs)>;
    void loadCataloguePage(int channel, PageDone done);

    void stopAll();

    [[nodiscard]] int page() const { return m_page; }
    // The channel whose pages a switch loads (the last tile clicked); kept over an exit.
    [[nodiscard]] const ChannelTile& playingChannel() const { return m_playingChannel; }
    void setPlayingChannel(ChannelTile channel) { m_playingChannel = std::move(channel); }
    [[nodiscard]] bool gridShown() const { return m_tilesShown; }
    [[nodiscard]] const ChannelPage& tiles() const { return m_grid.tiles; }
    // Tile 1..10 of the grid shown; null while none shows.
    [[nodiscard]] panel::NewObj* tileControl(int tile) const {
        return tile >= 1 && tile <= kTilesPerPage ? m_tileControls[static_cast<std::size_t>(tile - 1)] : nullptr;
    }
    [[nodiscard]] int channelRequests() const { return m_channelRequests; }
    [[nodiscard]] bool loadingPage() const { return m_pageFetch.running(); }

private:
    void gridFetched(ChannelGrid grid);
    void showTiles();
    void removeTiles();

    RadioPanel m_panel;
    net::ServiceContext m_context;
    platform::Scheduler& m_scheduler;
    RandomSource m_random;
    RadioHooks m_hooks;

    int m_page = 1;
    int m_channelRequests = 0;
    bool m_tilesShown = false;
    ChannelGrid m_grid;
    std::array<panel::NewObj*, kTilesPerPage> m_tileControls{};
    std::array<panel::Label*, kTilesPerPage> m_labelControls{};
    // The channel a switch plays, kept apart from the grid: paging away does not change
    // what a reload of the playing channel fetches.
    ChannelTile m_playingChannel;

    platform::TaskSlot<ChannelGrid> m_gridFetch;
    platform::TaskSlot<CataloguePage> m_pageFetch;
};

}  // namespace vamu::catalogue
