#pragma once
// The search on the UI thread: the search bar's "搜索" and "下一页", ten results a page
// shown in the likes list with "搜索" in the uploader column. The keyword goes out as
// UTF-8 with every byte percent-encoded.
//
// A page is fetched by a task; a newer page request ends the older one and drops its
// reply, so the list always holds the rows of one reply, never a mix. "搜索" is off
// while a page loads; "下一页" is on only after a full page. UI thread only.

#include "catalogue/search_panel.h"
#include "net/service_call.h"
#include "net/song_entry.h"
#include "platform/task_slot.h"
#include "toolkit/message_request.h"

#include <functional>
#include <string>
#include <vector>

namespace vamu::catalogue {

struct SearchHooks {
    // A reply was understood: the likes list shows search results from now on (likesMode
    // 1), the page's songs when the reply listed some to show, nullopt when the list keeps
    // its rows (a refusal, a reply without a judgement).
    std::function<void(std::optional<std::vector<net::SongEntry>> songs)> resultsShown;
    // The service's refusal of a search.
    toolkit::MessageFunction message;
};

// A search reply as the list needs it.
struct SearchResult {
    net::ServiceOutcome outcome = net::ServiceOutcome::TransportFailed;
    int count = 0;  // members of "result.data"
    std::vector<net::SongEntry> songs;
    std::string refusalText;
};

class SearchController {
public:
    static constexpr int kPageSize = 10;
    static constexpr int kRefusalWidth = 200;

    SearchController(const SearchPanel& panel, net::ServiceContext context, SearchHooks hooks = {});
    ~SearchController();
    SearchController(const SearchController&) = delete;
    SearchController& operator=(const SearchController&) = delete;

    void startSearch();     // "搜索": page 1
    void nextSearchPage();  // "下一页"
    // Likes pages disable "下一页": likes are never paged by hand.
    void disableNextPage() { m_panel.nextPage->setDisabled(true); }
    void stopAll() { m_page.stop(); }
    // Ends a running page (logout) and gives "搜索" back for the next login.
    void cancel() {
        m_page.stop();
        m_panel.search->setDisabled(false);
    }

    [[nodiscard]] int searchPage() const { return m_searchPage; }
    [[nodiscard]] bool searching() const { return m_page.running(); }

private:
    void searchPage();
    void pageArrived(SearchResult result);

    SearchPanel m_panel;
    net::ServiceContext m_context;
    SearchHooks m_hooks;
    int m_searchPage = 1;
    platform::TaskSlot<SearchResult> m_page;
};

}  // namespace vamu::catalogue
