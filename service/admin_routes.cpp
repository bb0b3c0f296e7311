// Administration for tests and demos, answered only to loopback clients that send the admin
// header and no foreign Origin or Host: fault rules, the update offer, the notice, and a
// status summary. Never subject to faults itself.

#include "service_names.h"
#include "service_routes.h"

#include <algorithm>
#include <cctype>

namespace vamu::service {
namespace {

bool fromLoopback(const Request& request) {
    const auto& address = request.remote_addr;
    return address.starts_with("127.") || address == "::1" || address.starts_with("::ffff:127.");
}

// "127.0.0.1", "localhost" or "[::1]", with or without a port.
bool loopbackAuthority(std::string_view authority) {
    std::string host(authority);
    if (const auto close = host.rfind(']'); host.starts_with('[') && close != std::string::npos) {
        if (close + 1 < host.size() && host[close + 1] != ':') return false;
        host.resize(close + 1);
    } else if (const auto colon = host.find(':'); colon != std::string::npos) {
        host.resize(colon);
    }
    std::transform(host.begin(), host.end(), host.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return host == "127.0.0.1" || host == "localhost" || host == "[::1]";
}

// The peer alone is not enough: a browser on this host is a loopback peer too, and a page
// it shows can send forms here, or reach this port under a name of its own (rebinding).
// Such requests carry a foreign Origin or Host, and none carries the admin header.
std::string_view refusal(const Request& request) {
    if (!fromLoopback(request)) return "403 Forbidden: loopback only\n";
    if (request.get_header_value_count("Host") > 1 ||
        (request.has_header("Host") && !loopbackAuthority(request.get_header_value("Host")))) {
        return "403 Forbidden: the Host is not loopback\n";
    }
    if (request.has_header("Origin")) {
        const std::string origin = request.get_header_value("Origin");
        const auto scheme = origin.find("://");
        if (scheme == std::string::npos || !loopbackAuthority(std::string_view(origin).substr(scheme + 3))) {
            return "403 Forbidden: the Origin is not loopback\n";
        }
    }
    if (request.get_header_value(std::string(header::kAdmin).c_str()) != "1") {
        return "403 Forbidden: administration requests carry the header X-Vamu-Admin: 1\n";
    }
    return {};
}

void replyText(Response& response, int status, std::string text) {
    response.status = status;
    response.set_content(std::move(text), "text/plain; charset=utf-8");
}

std::vector<std::string> values(const Request& request, std::string_view name) {
    std::vector<std::string> all;
    const std::string key(name);
    for (std::size_t i = 0; i < request.get_param_value_count(key.c_str()); ++i) {
        all.push_back(request.get_param_value(key.c_str(), i));
    }
    return all;
}

// Every rule is checked before any is applied, so a bad one changes nothing.
void setFaults(ServiceContext& context, const Request& request, Response& response) {
    std::vector<EndpointRule> endpointRules;
    std::vector<StreamRule> streamRules;
    std::string error;
    for (const auto& text : values(request, param::kFault)) {
        auto rule = parseEndpointRule(text, error);
        if (!rule) return replyText(response, 400, "bad fault rule \"" + text + "\": " + error + "\n");
        endpointRules.push_back(std::move(*rule));
    }
    for (const auto& text : values(request, param::kStream)) {
        auto rule = parseStreamRule(text, error);
        if (!rule) return replyText(response, 400, "bad stream rule \"" + text + "\": " + error + "\n");
        streamRules.push_back(std::move(*rule));
    }
    if (parameter(request, param::kClear) == "1") context.faults.clear();
    for (const auto& rule : endpointRules) context.faults.apply(rule);
    for (const auto& rule : streamRules) context.faults.apply(rule);
    replyText(response, 200, context.faults.describe());
}

void setUpdate(ServiceContext& context, const Request& request, Response& response) {
    UpdateOffer offer{parameter(request, param::kUpdateVersion), parameter(request, param::kUpdateUrl),
                      parameter(request, param::kUpdateNotes)};
    context.companion.setUpdateOffer(offer.version.empty() ? std::nullopt : std::optional(offer));
    replyText(response, 200, offer.version.empty() ? "no update offered\n" : "offering " + offer.version + "\n");
}

void setNotice(ServiceContext& context, const Request& request, Response& response) {
    Notice notice{parameter(request, param::kNoticeKind), parameter(request, param::kNoticeId),
                  parameter(request, param::kNoticeText)};
    context.companion.setNotice(notice.kind.empty() ? std::nullopt : std::optional(notice));
    replyText(response, 200,
              notice.kind.empty() ? "no notice\n" : "notice " + notice.id + " of kind " + notice.kind + "\n");
}

void status(ServiceContext& context, const Request&, Response& response) {
    const auto& data = context.catalogue.data();
    Json faults = Json::array();
    const auto described = context.faults.describe();
    for (std::size_t start = 0, end; start < described.size(); start = end + 1) {
        end = described.find('\n', start);
        faults.push_back(described.substr(start, end - start));
    }
    replyJson(
        response,
        {{"catalogue", catalogueSizeName(data.size)},
         {"channels", data.channels.size()},
         {"songs", data.songs.size()},
         {"mp3_files", std::count_if(data.songs.begin(), data.songs.end(), [](const Song& s) { return s.audio == 0; })},
         {"songs_ready", context.media.readySongs()},
         {"demo_phone", data.demo.phone},
         {"faults", std::move(faults)}});
}

}  // namespace

void addAdminRoutes(HttpServer& api, ServiceContext& context) {
    const auto guarded = [&context](void (*handler)(ServiceContext&, const Request&, Response&)) {
        return [&context, handler](const Request& request, Response& response) {
            if (const auto refused = refusal(request); !refused.empty())
                return replyText(response, 403, std::string(refused));
            handler(context, request, response);
        };
    };
    api.route(Method::Get, path::kAdminStatus, guarded(status), Faults::Never);
    api.route(Method::Get, path::kAdminFaults,
              guarded([](ServiceContext& c, const Request&, Response& r) { replyText(r, 200, c.faults.describe()); }),
              Faults::Never);
    api.route(Method::Post, path::kAdminFaults, guarded(setFaults), Faults::Never);
    api.route(Method::Post, path::kAdminUpdate, guarded(setUpdate), Faults::Never);
    api.route(Method::Post, path::kAdminNotice, guarded(setNotice), Faults::Never);
}

}  // namespace vamu::service
