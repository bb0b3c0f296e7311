#include "catalogue/radio_controller.h"
#include "toolkit/qt_text.h"

#include "catalogue/catalogue_texts.h"
#include "net/http_request.h"
#include "net/json_document.h"

#include <climits>

namespace vamu::catalogue {
namespace {

constexpr std::string_view kRetryTimer = "频道重试";

// The grid: four columns 90 px apart from x = 20, rows 90 px apart from y = 30; tiles 9
// and 10 take the first two cells of the third row, whose others hold the paging tiles.
constexpr int kTileSize = 60;
constexpr int kCellStep = 90;
constexpr int kGridLeft = 20;
constexpr int kGridTop = 30;
constexpr int kColumns = 4;
constexpr QRgb kRingWhite = 0xFFFFFFFF;
constexpr QRgb kRingBlue = 0xFF0088FF;  // red 0, green 136, blue 255

using toolkit::qText;

// A call's parsed reply, whatever its "state" says: the grid and the pages are judged by
// what they hold. nullopt when the exchange or the parse failed.
std::optional<net::JsonDocument> replyOf(net::ServiceReply reply) { return std::move(reply.document); }

QByteArray fetchPicture(const std::string& url, std::stop_token stop) {
    const std::string bytes = net::fetchPicture(url, std::move(stop));
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

QRect tileRect(int index) {  // index from 0
    return {kGridLeft + kCellStep * (index % kColumns), kGridTop + kCellStep * (index / kColumns), kTileSize,
            kTileSize};
}

}  // namespace

RadioController::RadioController(const RadioPanel& panel, net::ServiceContext context, platform::Scheduler& scheduler,
                                 RandomSource random, RadioHooks hooks)
    : m_panel(panel),
      m_context(std::move(context)),
      m_scheduler(scheduler),
      m_random(std::move(random)),
      m_hooks(std::move(hooks)) {
    const auto onClick = [](toolkit::BaseControl* control, std::function<void()> action) {
        control->bindClick([action = std::move(action)](const toolkit::Event&) {
            action();
            return false;
        });
    };
    onClick(m_panel.previousPage, [this] { previousPage(); });
    onClick(m_panel.nextPage, [this] { nextPage(); });
    m_panel.previousPage->setDisabled(true);
}

RadioController::~RadioController() { stopAll(); }

void RadioController::stopAll() {
    m_scheduler.stopTimer(kRetryTimer);
    m_gridFetch.stop();
    m_pageFetch.stop();
}

// --- the channel grid ----------------------------------------------------------------

void RadioController::loadChannelPage() {
    m_scheduler.stopTimer(kRetryTimer);
    ++m_channelRequests;
    m_gridFetch.start(
        [context = m_context, page = m_page](std::stop_token stop) {
            ChannelGrid grid;
            const auto reply =
                replyOf(net::callService(context, net::endpoint::kChannelList, {net::ParamValue::number(page)}, stop));
            if (!reply) return grid;
            const auto tiles = readChannelPage(*reply);
            if (!tiles) return grid;
            grid.loaded = true;
            grid.tiles = *tiles;
            for (int i = 0; i < kTilesPerPage && !stop.stop_requested(); ++i) {
                grid.pictures[static_cast<std::size_t>(i)] =
                    fetchPicture(grid.tiles[static_cast<std::size_t>(i)].pictureUrl, stop);
            }
            return grid;
        },
        [this](ChannelGrid grid) { gridFetched(std::move(grid)); });
}

void RadioController::gridFetched(ChannelGrid grid) {
    if (m_hooks.growWindow) m_hooks.growWindow();
    if (!grid.loaded) {
        if (m_hooks.showNotice) m_hooks.showNotice(qText(kFetchFailedText), qText(kRetryingText));
        m_scheduler.once(kRetryTimer, kRetryDelay, [this] { loadChannelPage(); });
        return;
    }
    m_grid = std::move(grid);
    showTiles();
    if (m_hooks.noticeOver) m_hooks.noticeOver();
}

void RadioController::showTiles() {
    removeTiles();
    for (int i = 0; i < kTilesPerPage; ++i) {
        const auto at = static_cast<std::size_t>(i);
        const ChannelTile& tile = m_grid.tiles[at];
        const QString name = QString::fromStdString(tile.name);
        toolkit::NewObjSetup picture;
        picture.picture = m_grid.pictures[at];
        picture.ringNormal = kRingWhite;
        picture.ringHot = kRingBlue;
        picture.ringPressed = kRingWhite;
        const QRect rect = tileRect(i);
        panel::NewObj* control = toolkit::NewObj::create(*m_panel.channelPage, rect, picture);
        toolkit::LabelSetup caption;
        caption.text = name;
        caption.textColour = 0xFF000000;
        caption.horzAlignMode = 1;
        panel::Label* label =
            toolkit::Label::create(*m_panel.channelPage, QRect(rect.left() - 3, rect.top() + 40, 66, 60), caption);
        if (control) {
            control->setTips(name);
            control->bindClick([this, tile = i + 1](const toolkit::Event&) {
                tileClicked(tile);
                return false;
            });
        }
        if (label) label->setTips(name);
        m_tileControls[at] = control;
        m_labelControls[at] = label;
    }
    m_panel.pagingPage->setVisible(true);
    m_tilesShown = true;
}

void RadioController::removeTiles() {
    for (std::size_t i = 0; i < m_tileControls.size(); ++i) {
        if (m_tileControls[i]) m_tileControls[i]->destroy();
        if (m_labelControls[i]) m_labelControls[i]->destroy();
        m_tileControls[i] = nullptr;
        m_labelControls[i] = nullptr;
    }
    m_tilesShown = false;
}

void RadioController::previousPage() {
    if (m_page <= 1) return;
    removeTiles();
    m_panel.pagingPage->setVisible(false);
    --m_page;
    m_panel.previousPage->setDisabled(m_page == 1);
    loadChannelPage();
}

void RadioController::nextPage() {
    removeTiles();
    m_panel.pagingPage->setVisible(false);
    ++m_page;
    m_panel.previousPage->setDisabled(false);
    loadChannelPage();
}

void RadioController::tileClicked(int tile) {
    if (tile < 1 || tile > kTilesPerPage) return;
    const auto at = static_cast<std::size_t>(tile - 1);
    m_playingChannel = m_grid.tiles[at];
    if (m_hooks.switchCatalogue) m_hooks.switchCatalogue(tile, m_playingChannel.name, m_grid.pictures[at]);
}

// --- the catalogue pages -------------------------------------------------------------

void RadioController::loadCataloguePage(int channel, PageDone done) {
    const CatalogueKind kind = kindOfChannel(channel);
    const int page = kind == CatalogueKind::Hot ? hotPageNumber(m_random)
                                                : channelSongsPageNumber(m_playingChannel.pageCount, m_random);
    // Each task shuffles with its own generator: a stopped task may still be running.
    RandomSource shuffle = seededRandomSource(static_cast<std::uint32_t>(m_random(0, INT_MAX)));
    m_pageFetch.start(
        [context = m_context, kind, channelId = m_playingChannel.id, page, shuffle](std::stop_token stop) {
            const auto reply =
                kind == CatalogueKind::Hot
                    ? replyOf(net::callService(context, net::endpoint::kHotList, {net::ParamValue::number(page)}, stop))
                    : replyOf(net::callService(context, net::endpoint::kChannelSongs,
                                               {net::ParamValue::text(channelId), net::ParamValue::number(page)},
                                               stop));
            return readCataloguePage(reply ? &*reply : nullptr, kind, shuffle);
        },
        [done = std::move(done)](CataloguePage page) {
            if (done) done(page.inPlayOrder());
        });
}

}  // namespace vamu::catalogue
