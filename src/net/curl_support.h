#pragma once
// Ownership of libcurl handles and the process-wide pieces of libcurl: the one global
// initialisation and the cookie store shared by calls that leave cookies to the library.

#include <curl/curl.h>

#include <memory>
#include <stop_token>

#include "net/transfer_policy.h"

namespace vamu::net {

struct CurlEasyCleanup {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
struct CurlMultiCleanup {
    void operator()(CURLM* handle) const { curl_multi_cleanup(handle); }
};
struct CurlSlistFree {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
struct CurlUrlCleanup {
    void operator()(CURLU* url) const { curl_url_cleanup(url); }
};
using CurlEasy = std::unique_ptr<CURL, CurlEasyCleanup>;
using CurlMulti = std::unique_ptr<CURLM, CurlMultiCleanup>;
using CurlSlist = std::unique_ptr<curl_slist, CurlSlistFree>;
using CurlUrl = std::unique_ptr<CURLU, CurlUrlCleanup>;

// Initialises libcurl once for the process (thread-safe; later calls return at once).
// False when the library could not be initialised; no transfer may start then.
[[nodiscard]] bool curlReady();

// The cookie store shared by every transfer that is given no cookie text, like a
// system's per-process cookie store. It lives until the process ends; libcurl serialises
// access through the share's lock callbacks. Null when libcurl is not ready.
[[nodiscard]] CURLSH* processCookieStore();

// Sets the options of `policy` (transfer_policy.h) and CURLOPT_NOSIGNAL on a handle. The
// caller adds its own URL, callbacks and request. False when libcurl refused an option.
[[nodiscard]] bool applyPolicy(CURL* easy, const TransferPolicy& policy);

enum class RunResult { Completed, Failed, Cancelled };

// Runs one prepared transfer to its end on a private multi handle, so that a stop
// request wakes the wait at once instead of at libcurl's next progress call (up to a
// second later while the server sends nothing).
[[nodiscard]] RunResult runTransfer(CURL* easy, const std::stop_token& stop);

}  // namespace vamu::net
