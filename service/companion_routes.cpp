// The companion server: the plain-text script "/vamu.php" (update check, client ids,
// starts, reports with statistics, notices) and the song details "/info.php".

#include "http_cookies.h"
#include "service_names.h"
#include "service_routes.h"
#include "whole_number.h"

namespace vamu::service {
namespace {

void replyText(Response& response, std::string text) {
    response.set_content(std::move(text), "text/plain; charset=utf-8");
}

std::string statsText(const CompanionStats& stats) {
    return std::to_string(stats.online) + "," + std::to_string(stats.starts) + "," + std::to_string(stats.clients) +
           "," + std::to_string(stats.todayPeak) + "," + std::to_string(stats.yesterdayPeak) + "," +
           std::to_string(stats.todayTotal);
}

void script(ServiceContext& context, const Request& request, Response& response) {
    const RequestValues values(request);
    const auto what = values.text(param::kDo);
    const auto now = context.now();
    if (what == companion::kUpdateCheck) {
        const auto offer = context.companion.updateOffer();
        if (!offer || !versionIsNewer(offer->version, values.text(param::kVersion))) {
            return replyText(response, std::string(companion::kNoUpdate));
        }
        return replyText(response, offer->version + "," + offer->url + "," + offer->notes);
    }
    if (what == companion::kNewClient) {
        const auto id = context.companion.newClient(now);
        if (id.empty()) response.status = 500;
        return replyText(response, id);
    }
    if (what == companion::kClientStart) {
        context.companion.clientStarted(values.text(param::kId), now);
        return replyText(response, "1");
    }
    if (what == companion::kReport) {
        return replyText(response, statsText(context.companion.report(values.text(param::kId), now)));
    }
    if (what == companion::kNotice) {
        const auto notice = context.companion.notice();
        if (!notice) return replyText(response, "");
        (void)context.companion.noticeSent(notice->id, now);
        const std::string delimiter(companion::kNoticeDelimiter);
        return replyText(response, notice->kind + delimiter + notice->id + delimiter + notice->text);
    }
    response.status = 400;
    replyText(response, "400 Bad Request: unknown do\n");
}

void songDetails(ServiceContext& context, const Request& request, Response& response) {
    // The client hides the id S as id = S - r and key = r + offset.
    const auto a = wholeNumber(RequestValues(request).text(param::kId));
    const auto b = wholeNumber(requestCookie(request, cookie::kDetailsKey).value_or(""));
    std::int64_t sum = 0;
    std::int64_t songId = 0;
    const Song* song = nullptr;
    if (a && b && !__builtin_add_overflow(*a, *b, &sum) &&
        !__builtin_sub_overflow(sum, companion::kDetailsOffset, &songId)) {
        song = context.catalogue.song(songId);
    }
    if (!song) return replyJson(response, refused(text::kNoSuchSong));
    const User* uploader = context.catalogue.user(song->userId);
    replyJson(response,
              succeeded({{member::kId, song->id},
                         {member::kName, song->name},
                         {member::kSource, context.urls.sound(song->id)},
                         {member::kPic100, context.urls.cover(song->id)},
                         {member::kUser, userJson(song->userId, uploader ? uploader->name : "", context.urls)},
                         {member::kUserId, song->userId},
                         {member::kCreateTime, song->createTime},
                         {member::kInfo, song->info},
                         {member::kDuration, song->seconds}}));
}

}  // namespace

void addCompanionRoutes(HttpServer& companionServer, ServiceContext& context) {
    companionServer.route(
        Method::Post, path::kCompanionScript, withContext(context, script), Faults::Apply, [](const Request& request) {
            return std::vector<std::string>{
                std::string(path::kCompanionScript) + "?do=" + RequestValues(request).text(param::kDo),
                std::string(path::kCompanionScript)};
        });
    companionServer.route(Method::Get, path::kSongDetails, withContext(context, songDetails));
}

}  // namespace vamu::service
