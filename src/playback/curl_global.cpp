#include "playback/curl_global.h"

#include <curl/curl.h>

namespace vamu::playback {

bool ensureCurlGlobalInit() {
    // A function-local static is initialised once even when threads race here.
    static const bool ready = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    return ready;
}

}  // namespace vamu::playback
