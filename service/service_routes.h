#pragma once
// What the request handlers share, and the functions that add each group of routes.

#include "account_store.h"
#include "catalogue.h"
#include "companion_store.h"
#include "faults.h"
#include "http_server.h"
#include "json_replies.h"
#include "media_library.h"
#include "stop_signal.h"

#include <cstdint>
#include <functional>

namespace vamu::service {

struct ServiceContext {
    const Catalogue& catalogue;
    MediaLibrary& media;
    AccountStore& accounts;
    CompanionStore& companion;
    FaultTable& faults;
    StopSignal& stop;
    MediaUrls urls;
    std::function<std::int64_t()> now;  // Unix seconds
};

using ContextHandler = void (*)(ServiceContext&, const Request&, Response&);

// A route handler that calls `handler` with the shared context.
[[nodiscard]] inline Handler withContext(ServiceContext& context, ContextHandler handler) {
    return [&context, handler](const Request& request, Response& response) { handler(context, request, response); };
}

// Checks the request's session cookie, counting the request; when the client holds an
// old value of a valid session (or the session was just rotated), the reply carries
// the current one.
[[nodiscard]] SessionCheck checkRequestSession(ServiceContext& context, const Request& request, Response& response);
// The reply for a request that needs a login but has none that is valid: state 0 with
// "请先登录", or the expiry message for a session that ran out.
void refuseSession(const SessionCheck& session, Response& response);

void addCatalogueRoutes(HttpServer& api, ServiceContext& context);
void addAccountRoutes(HttpServer& api, ServiceContext& context);
void addMediaRoutes(HttpServer& api, ServiceContext& context);
void addAdminRoutes(HttpServer& api, ServiceContext& context);
void addCompanionRoutes(HttpServer& companion, ServiceContext& context);

}  // namespace vamu::service
