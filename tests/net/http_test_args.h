#pragma once
// The request the HTTP tests start from: a short idle limit, so that no test waits long
// for a server that is broken on purpose.

#include "net/http_request.h"

#include <chrono>
#include <string>
#include <utility>

namespace vamu::test {

inline net::HttpRequestArgs argsFor(std::string url) {
    net::HttpRequestArgs args;
    args.url = std::move(url);
    args.idleTimeout = std::chrono::seconds(5);
    return args;
}

}  // namespace vamu::test
