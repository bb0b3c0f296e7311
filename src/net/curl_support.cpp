#include "net/curl_support.h"

#include <array>
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

}  // namespace vamu::net
