#include "net/curl_support.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <memory>
#include <mutex>

namespace vamu::net {
namespace {

struct CookieStore {
    CURLSH* share = nullptr;
    // One mutex per kind of shared data; libcurl names the kind in each lock call.
    std::array<std::mutex, CURL_LOCK_DATA_LAST> locks;
};

void lockShare(CURL*, curl_lock_data data, curl_lock_access, void* user) {
    static_cast<CookieStore*>(user)->locks.at(static_cast<std::size_t>(data)).lock();
}

void unlockShare(CURL*, curl_lock_data data, void* user) {
    static_cast<CookieStore*>(user)->locks.at(static_cast<std::size_t>(data)).unlock();
}

struct CurlShareCleanup {
    void operator()(CURLSH* share) const { curl_share_cleanup(share); }
};

CookieStore* makeCookieStore() {
    auto store = std::make_unique<CookieStore>();
    std::unique_ptr<CURLSH, CurlShareCleanup> share(curl_share_init());
    if (!share || curl_share_setopt(share.get(), CURLSHOPT_LOCKFUNC, lockShare) != CURLSHE_OK ||
        curl_share_setopt(share.get(), CURLSHOPT_UNLOCKFUNC, unlockShare) != CURLSHE_OK ||
        curl_share_setopt(share.get(), CURLSHOPT_USERDATA, store.get()) != CURLSHE_OK ||
        curl_share_setopt(share.get(), CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE) != CURLSHE_OK) {
        return nullptr;
    }
    store->share = share.release();
    // Deliberately never freed: workers may still be inside a transfer while the process
    // exits, and the share must outlive every one of them.
    return store.release();
}

}  // namespace

bool curlReady() {
    static const bool ready = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    return ready;
}

CURLSH* processCookieStore() {
    if (!curlReady()) {
        return nullptr;
    }
    static CookieStore* const store = makeCookieStore();
    return store != nullptr ? store->share : nullptr;
}

bool startsSecure(std::string_view url) {
    constexpr std::string_view kScheme = "https";
    return url.size() >= kScheme.size() &&
           std::equal(kScheme.begin(), kScheme.end(), url.begin(),
                      [](char lower, char c) { return std::tolower(static_cast<unsigned char>(c)) == lower; });
}

bool applyPolicy(CURL* easy, const TransferPolicy& policy) {
    const long idleSeconds = std::max<long>(1, static_cast<long>(policy.idleTimeout.count()));
    bool ok = true;
    const auto set = [&](CURLoption option, auto value) {
        ok = ok && curl_easy_setopt(easy, option, value) == CURLE_OK;
    };
    set(CURLOPT_NOSIGNAL, 1L);
    set(CURLOPT_PROTOCOLS_STR, "http,https");
    set(CURLOPT_REDIR_PROTOCOLS_STR, policy.secure ? "https" : "http,https");
    set(CURLOPT_FOLLOWLOCATION, policy.followRedirects ? 1L : 0L);
    set(CURLOPT_MAXREDIRS, kMaxRedirects);
    set(CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
    set(CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(policy.connectTimeout.count()));
    set(CURLOPT_LOW_SPEED_LIMIT, 1L);
    set(CURLOPT_LOW_SPEED_TIME, idleSeconds);
    set(CURLOPT_TIMEOUT_MS, static_cast<long>(std::max<std::int64_t>(0, policy.deadline.count())));
    set(CURLOPT_SSL_VERIFYPEER, 1L);
    set(CURLOPT_SSL_VERIFYHOST, 2L);
    if (!policy.caFile.empty()) {
        set(CURLOPT_CAINFO, policy.caFile.c_str());
    }
    return ok;
}

RunResult runTransfer(CURL* easy, const std::stop_token& stop) {
    CurlMulti multi(curl_multi_init());
    if (!multi || curl_multi_add_handle(multi.get(), easy) != CURLM_OK) {
        return RunResult::Failed;
    }
    struct Detach {
        CURLM* multi;
        CURL* easy;
        ~Detach() { curl_multi_remove_handle(multi, easy); }
    } detach{multi.get(), easy};
    // Destroyed before `detach` and `multi`: a wake-up running on another thread is
    // waited for before the handles go away.
    std::stop_callback wake(stop, [handle = multi.get()] { curl_multi_wakeup(handle); });

    int running = 0;
    CURLMcode status = curl_multi_perform(multi.get(), &running);
    while (status == CURLM_OK && running > 0 && !stop.stop_requested()) {
        status = curl_multi_poll(multi.get(), nullptr, 0, 1000, nullptr);
        if (status == CURLM_OK) {
            status = curl_multi_perform(multi.get(), &running);
        }
    }
    if (running > 0 && stop.stop_requested()) {
        return RunResult::Cancelled;
    }
    if (status != CURLM_OK) {
        return RunResult::Failed;
    }
    CURLcode result = CURLE_FAILED_INIT;
    int queued = 0;
    while (CURLMsg* message = curl_multi_info_read(multi.get(), &queued)) {
        if (message->msg == CURLMSG_DONE && message->easy_handle == easy) {
            result = message->data.result;
        }
    }
    if (result == CURLE_ABORTED_BY_CALLBACK && stop.stop_requested()) {
        return RunResult::Cancelled;
    }
    return result == CURLE_OK ? RunResult::Completed : RunResult::Failed;
}

}  // namespace vamu::net
