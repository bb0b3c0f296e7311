#include "catalogue/details_controller.h"
#include "toolkit/qt_text.h"

#include "core/settings.h"
#include "net/http_request.h"
#include "net/json_document.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <climits>

namespace vamu::catalogue {
namespace {

constexpr std::string_view kUnknownIdText = "该id不存在!";
constexpr std::string_view kLoginFirstText = "请先登陆!!";
constexpr std::string_view kViewText = "查看";
constexpr std::string_view kBackText = "返回";
constexpr std::string_view kErrorTitle = "错误";
constexpr std::string_view kNoticeTitle = "提示";
constexpr int kUnknownIdWidth = 180;
constexpr int kInformationIcon = 64;
// The uploader's list stops here even if the service keeps answering full pages.
constexpr int kMaxUploaderPages = 200;

using toolkit::qText;

std::optional<long long> songIdOf(std::string_view text) {
    long long value = 0;
    const char* end = text.data() + text.size();
    const auto [last, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc{} || last != end) return std::nullopt;
    return value;
}

}  // namespace

DetailsController::DetailsController(const DetailsPanel& panel, const net::SongList& songList,
                                     std::string companionHost, net::ServiceContext context,
                                     platform::Scheduler& scheduler, core::RandomSource random, DetailsHooks hooks)
    : m_panel(panel),
      m_songList(songList),
      m_companionHost(std::move(companionHost)),
      m_context(std::move(context)),
      m_scheduler(scheduler),
      m_random(std::move(random)),
      m_hooks(std::move(hooks)) {
    m_panel.get->bindClick([this](const toolkit::Event&) {
        playById();
        return false;
    });
    panel::setMenuAction(*m_panel.songMenu, panel::song_menu::kView, [this] { viewUploaderSongs(); });
    panel::setMenuAction(*m_panel.songMenu, panel::song_menu::kReload, [this] { reloadSongList(); });
}

DetailsController::~DetailsController() { stopAll(); }

void DetailsController::stopAll() {
    m_scheduler.stopTimer(kPlayByIdTimer);
    m_detailsFetch.stop();
    m_idFetch.stop();
    m_uploaderFetch.stop();
}

long long DetailsController::drawKey(long long songId) {
    if (songId < 1) return 0;
    return m_random ? m_random(1, static_cast<int>(std::min<long long>(songId, INT_MAX))) : 1;
}

int DetailsController::message(const QString& title, const QString& text, int icon, int width) {
    if (!m_hooks.message) return toolkit::message_result::kCancel;
    toolkit::MessageRequest request;
    request.title = title;
    request.text = text;
    request.icon = icon;
    request.width = width;
    return m_hooks.message(request);
}

// --- song details --------------------------------------------------------------------

void DetailsController::songStarting(const net::SongEntry& song) {
    const QString title = QString::fromStdString(song.name);
    m_panel.headline->setText(title);
    m_panel.headline->setTips(title);
    const std::optional<long long> id = songIdOf(song.id);
    if (!id) {
        // No id to ask about: the view must not keep the previous song's text.
        m_detailsFetch.stop();
        detailsArrived(std::nullopt);
        return;
    }
    const long long r = drawKey(*id);
    m_detailsFetch.start([host = m_companionHost, songId = *id,
                          r](std::stop_token stop) { return fetchSongDetails(host, songId, r, stop); },
                         [this](std::optional<SongDetails> details) { detailsArrived(details); });
}

void DetailsController::showCover(const QByteArray& picture) { m_panel.picture->setPicture(picture); }

void DetailsController::detailsArrived(const std::optional<SongDetails>& details) {
    m_panel.description->setText({});
    if (!details) {
        m_panel.subline->setText({});
        m_panel.subline->setTips({});
        return;
    }
    const std::string line = detailLine(*details);
    m_panel.subline->setText(QString::fromStdString(line));
    m_panel.subline->setTips(QString::fromStdString(details->uploaderName));
    m_panel.description->setText(QString::fromStdString(details->info));
    if (m_hooks.detailsLearnt) m_hooks.detailsLearnt(line, details->uploaderName, details->coverUrl);
}

// --- play by id ----------------------------------------------------------------------

void DetailsController::playById() {
    if (m_idFetch.running()) return;
    const std::string text = m_panel.songIdBox->text().toStdString();
    // The hint, an empty box: no song can have that id, and the service need not be asked.
    if (std::none_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c) != 0; })) {
        message(qText(kErrorTitle), qText(kUnknownIdText), toolkit::message_icon::kNone, kUnknownIdWidth);
        return;
    }
    // The box's text taken as an integer, as atoi takes it.
    const long long id = core::textToInt(text);
    m_panel.get->setDisabled(true);
    const long long r = drawKey(id);
    m_idFetch.start([host = m_companionHost, songId = id,
                     r](std::stop_token stop) { return fetchSongDetails(host, songId, r, stop); },
                    [this](std::optional<SongDetails> details) { idArrived(details); });
    m_scheduler.once(kPlayByIdTimer, kPlayByIdLimit, [this] { endIdWait(); });
}

void DetailsController::endIdWait() {
    m_scheduler.stopTimer(kPlayByIdTimer);
    m_idFetch.stop();
    m_panel.get->setDisabled(false);
}

void DetailsController::idArrived(const std::optional<SongDetails>& details) {
    endIdWait();
    if (!details) return;
    if (details->state == "0") {
        message(qText(kErrorTitle), qText(kUnknownIdText), toolkit::message_icon::kNone, kUnknownIdWidth);
        return;
    }
    if (details->state != "1" || details->source.empty()) return;
    net::SongEntry song;
    song.source = details->source;
    song.name = details->name;
    song.uploader = details->uploaderName;
    song.id = details->id;
    song.coverUrl = details->coverUrl;
    if (m_hooks.playRepeating) m_hooks.playRepeating(song);
}

// --- the uploader's songs ------------------------------------------------------------

void DetailsController::viewUploaderSongs() {
    const net::SongRow* selected = m_songList.row(m_panel.songList->selectedRow());
    if (!selected) return;
    if (!(m_context.session && m_context.session->loggedIn())) {
        message(qText(kNoticeTitle), qText(kLoginFirstText), kInformationIcon, 0);
        return;
    }
    if (uploaderViewShown()) {
        leaveUploaderView();
        return;
    }
    // The catalogue keeps the uploader's id with each of its songs.
    m_uploaderId = selected->song.uploaderId;
    m_uploaderName = selected->song.uploader;
    m_panel.songMenu->setText(panel::song_menu::kView, qText(kBackText));
    m_uploaderPage = 1;
    if (m_hooks.setUploaderView) m_hooks.setUploaderView(true);
    loadUploaderPage();
}

void DetailsController::reloadSongList() {
    if (!uploaderViewShown()) {
        if (m_hooks.reloadCatalogue) m_hooks.reloadCatalogue();
        return;
    }
    // The uploader's songs again from their first page.
    if (m_hooks.setUploaderView) m_hooks.setUploaderView(true);
    m_uploaderPage = 1;
    loadUploaderPage();
}

bool DetailsController::prepareSongMenu() {
    // A catalogue page that arrived meanwhile has ended the uploader view.
    m_panel.songMenu->setText(panel::song_menu::kView, qText(uploaderViewShown() ? kBackText : kViewText));
    return true;
}

bool DetailsController::uploaderViewShown() const { return m_hooks.uploaderViewShown && m_hooks.uploaderViewShown(); }

void DetailsController::leaveUploaderView() {
    m_uploaderFetch.stop();
    m_panel.songMenu->setText(panel::song_menu::kView, qText(kViewText));
    m_panel.songMenu->setState(panel::song_menu::kReload, toolkit::menu_state::kNormal);
    if (m_hooks.setUploaderView) m_hooks.setUploaderView(false);
}

void DetailsController::loadUploaderPage() {
    m_uploaderFetch.start(
        [context = m_context, userId = m_uploaderId,
         page = m_uploaderPage](std::stop_token stop) -> std::optional<std::vector<net::SongEntry>> {
            const net::ServiceReply reply =
                net::callService(context, net::endpoint::kUploaderSongs,
                                 {net::ParamValue::number(userId), net::ParamValue::number(page)}, stop);
            if (reply.outcome != net::ServiceOutcome::Succeeded || !reply.document) return std::nullopt;
            return net::readSongEntries(*reply.document, "result.data", net::WithoutStream::Keep);
        },
        [this](std::optional<std::vector<net::SongEntry>> songs) { uploaderPageArrived(std::move(songs)); });
}

void DetailsController::uploaderPageArrived(std::optional<std::vector<net::SongEntry>> songs) {
    if (!songs || !uploaderViewShown()) return;
    for (net::SongEntry& song : *songs) {
        song.uploader = m_uploaderName;
        song.uploaderId = m_uploaderId;
    }
    if (m_hooks.addUploaderSongs) m_hooks.addUploaderSongs(*songs);
    // A page of one song or none is the last; its song is kept all the same.
    if (songs->size() > 1 && m_uploaderPage < kMaxUploaderPages) {
        ++m_uploaderPage;
        loadUploaderPage();
        return;
    }
    m_panel.songMenu->setState(panel::song_menu::kReload, toolkit::menu_state::kNormal);
    m_panel.songMenu->setState(panel::song_menu::kView, toolkit::menu_state::kNormal);
}

}  // namespace vamu::catalogue
