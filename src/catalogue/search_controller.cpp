#include "catalogue/search_controller.h"
#include "toolkit/qt_text.h"

#include "toolkit/message_request.h"

namespace vamu::catalogue {
namespace {

constexpr std::string_view kSearchUploader = "搜索";

using toolkit::qText;

}  // namespace

SearchController::SearchController(const SearchPanel& panel, net::ServiceContext context, SearchHooks hooks)
    : m_panel(panel), m_context(std::move(context)), m_hooks(std::move(hooks)) {
    m_panel.search->bindClick([this](const toolkit::Event&) {
        startSearch();
        return false;
    });
    m_panel.nextPage->bindClick([this](const toolkit::Event&) {
        nextSearchPage();
        return false;
    });
}

SearchController::~SearchController() { stopAll(); }

void SearchController::startSearch() {
    m_searchPage = 1;
    searchPage();
}

void SearchController::nextSearchPage() {
    ++m_searchPage;
    searchPage();
}

void SearchController::searchPage() {
    m_panel.search->setDisabled(true);
    const std::string keyword = m_panel.keyword->text().toStdString();
    const int page = m_searchPage;
    m_page.start(
        [context = m_context, keyword, page](std::stop_token stop) {
            net::ServiceReply reply =
                net::callService(context, net::endpoint::kSearch,
                                 {net::ParamValue::keyword(keyword), net::ParamValue::number(page)}, stop);
            SearchResult result;
            result.outcome = reply.outcome;
            result.refusalText = std::move(reply.refusalText);
            if (reply.outcome == net::ServiceOutcome::Succeeded && reply.document) {
                result.count = reply.document->countMembers("result.data");
                result.songs = net::readSongEntries(*reply.document, "result.data", net::WithoutStream::Keep);
            }
            return result;
        },
        [this](SearchResult result) { pageArrived(std::move(result)); });
}

void SearchController::pageArrived(SearchResult result) {
    m_panel.search->setDisabled(false);
    switch (result.outcome) {
    case net::ServiceOutcome::TransportFailed:
    case net::ServiceOutcome::Cancelled:
    case net::ServiceOutcome::Unparsable:
        return;  // the list keeps its rows and its mode
    case net::ServiceOutcome::UnknownState:
        if (m_hooks.resultsShown) m_hooks.resultsShown(std::nullopt);
        return;
    case net::ServiceOutcome::Refused: {
        if (m_hooks.resultsShown) m_hooks.resultsShown(std::nullopt);
        m_panel.nextPage->setDisabled(true);
        if (!m_hooks.message) return;
        toolkit::MessageRequest request;
        request.title = qText(net::kTitleNotice);
        request.text = qText(result.refusalText);
        request.icon = toolkit::message_icon::kInformation;
        request.width = kRefusalWidth;
        (void)m_hooks.message(request);
        return;
    }
    case net::ServiceOutcome::Succeeded:
        break;
    }
    m_panel.nextPage->setDisabled(result.count < kPageSize);
    // A result's uploader reads "搜索", which a collected result keeps.
    for (net::SongEntry& song : result.songs) song.uploader = kSearchUploader;
    if (m_hooks.resultsShown) m_hooks.resultsShown(std::move(result.songs));
}

}  // namespace vamu::catalogue
