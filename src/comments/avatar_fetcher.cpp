#include "comments/avatar_fetcher.h"

#include "net/http_request.h"

#include <deque>
#include <mutex>
#include <optional>
#include <unordered_set>

namespace vamu::comments {

// The URLs of one run that no task has taken yet. Shared by the run's tasks only: a
// new run makes a new queue, so a task that is slow to stop empties nothing of it.
struct AvatarFetcher::Queue {
    std::mutex mutex;
    std::deque<std::string> urls;  // guarded by mutex

    std::optional<std::string> take() {
        const std::lock_guard lock(mutex);
        if (urls.empty()) return std::nullopt;
        std::string url = std::move(urls.front());
        urls.pop_front();
        return url;
    }
};

AvatarFetcher::AvatarFetcher(Fetch fetch) : m_fetch(std::move(fetch)) {}

AvatarFetcher::~AvatarFetcher() { stop(); }

void AvatarFetcher::start(const std::vector<std::string>& urls, OnPicture onPicture) {
    stop();
    auto queue = std::make_shared<Queue>();
    std::unordered_set<std::string> seen;
    for (const std::string& url : urls) {
        if (!url.empty() && seen.insert(url).second) queue->urls.push_back(url);
    }
    if (queue->urls.empty()) return;
    m_onPicture = std::make_shared<OnPicture>(std::move(onPicture));
    const std::size_t tasks = std::min<std::size_t>(queue->urls.size(), kWorkers);
    for (std::size_t i = 0; i < tasks; ++i) {
        m_slots[i].start(
            [queue, fetch = m_fetch, handler = std::weak_ptr(m_onPicture)](const platform::TaskPoster& poster) {
                while (!poster.stopRequested()) {
                    std::optional<std::string> url = queue->take();
                    if (!url) return;
                    QByteArray bytes = fetch(*url, poster.stopToken());
                    if (poster.stopRequested()) return;
                    poster.post([handler, url = std::move(*url), bytes = std::move(bytes)] {
                        if (const auto call = handler.lock(); call && *call) (*call)(url, bytes);
                    });
                }
            });
    }
}

void AvatarFetcher::stop() {
    for (platform::TaskSlot<void>& slot : m_slots) slot.stop();
    m_onPicture.reset();
}

bool AvatarFetcher::running() const {
    for (const platform::TaskSlot<void>& slot : m_slots) {
        if (slot.running()) return true;
    }
    return false;
}

QByteArray AvatarFetcher::httpFetch(const std::string& url, std::stop_token stop) {
    const std::string bytes = net::fetchPicture(url, std::move(stop));
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

}  // namespace vamu::comments
