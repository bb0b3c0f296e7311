#pragma once
// The avatars of one comment page, fetched by a small fixed set of workers.
//
// start() hands over the page's avatar URLs; each distinct URL is fetched once for the
// run (comments by one writer share the picture), by at most kWorkers tasks at a time
// that take the URLs in order from a queue of the run. A picture reaches `onPicture`
// on the UI thread as it arrives. A new start(), stop() or the fetcher's destruction
// asks every task of the run to stop and drops whatever they still deliver, so a late
// picture never lands on another song's page.
//
// UI thread only. The fetch routine runs on the workers: it must honour its stop token
// and capture nothing that belongs to the caller.

#include "platform/task_slot.h"

#include <QByteArray>

#include <array>
#include <functional>
#include <memory>
#include <stop_token>
#include <string>
#include <vector>

namespace vamu::comments {

class AvatarFetcher {
public:
    static constexpr int kWorkers = 4;

    // The bytes at the URL; empty when they could not be fetched.
    using Fetch = std::function<QByteArray(const std::string& url, std::stop_token stop)>;
    // Bytes empty: the fetch failed.
    using OnPicture = std::function<void(const std::string& url, const QByteArray& bytes)>;

    explicit AvatarFetcher(Fetch fetch);
    ~AvatarFetcher();
    AvatarFetcher(const AvatarFetcher&) = delete;
    AvatarFetcher& operator=(const AvatarFetcher&) = delete;

    // Stops the previous run and fetches these URLs (empty ones and repeats skipped).
    void start(const std::vector<std::string>& urls, OnPicture onPicture);
    void stop();
    // Some task of the current run has not finished yet.
    [[nodiscard]] bool running() const;

    // The GET of a picture with the transfer policy's picture cap, for the program.
    [[nodiscard]] static QByteArray httpFetch(const std::string& url, std::stop_token stop);

private:
    struct Queue;

    Fetch m_fetch;
    std::shared_ptr<OnPicture> m_onPicture;  // UI thread only; tasks post through a weak reference
    std::array<platform::TaskSlot<void>, kWorkers> m_slots;
};

}  // namespace vamu::comments
