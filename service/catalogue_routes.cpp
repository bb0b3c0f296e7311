// Reading endpoints of the music service: channels, hot list, channel songs, comments,
// search and an uploader's songs.

#include "service_names.h"
#include "service_routes.h"

#include <memory>

namespace vamu::service {
namespace {

constexpr std::int64_t kMaxPage = 1'000'000'000;
constexpr std::size_t kMaxKeywordBytes = 100;

NumberValue pageOf(const RequestValues& values) { return values.number(param::kPage, -kMaxPage, kMaxPage); }

int pageNumber(const NumberValue& page) { return static_cast<int>(*page.value); }

Json songList(const std::vector<const Song*>& songs, const ServiceContext& context) {
    Json list = Json::array();
    for (const Song* song : songs) list.push_back(songJson(*song, context.catalogue, context.urls));
    return list;
}

void channelList(ServiceContext& context, const Request& request, Response& response) {
    const RequestValues values(request);
    const auto page = pageOf(values);
    if (refuseBadValues(response, {page})) return;
    Json data = Json::array();
    for (const Channel* channel : context.catalogue.channelPage(pageNumber(page)))
        data.push_back(channelJson(*channel, context.urls));
    replyJson(response, succeeded({{member::kData, std::move(data)}, {member::kPage, pageNumber(page)}}));
}

void channelSongs(ServiceContext& context, const Request& request, Response& response) {
    const RequestValues values(request);
    const auto limit = values.number(param::kLimit, 1, kMaxChannelSongsLimit);
    const auto id = values.number(param::kId, INT64_MIN, INT64_MAX);
    const auto page = pageOf(values);
    if (refuseBadValues(response, {limit, id, page})) return;
    const Channel* channel = context.catalogue.channel(*id.value);
    if (!channel) return replyJson(response, refused(text::kNoSuchChannel));
    // A page past the end still describes the channel, with no songs.
    Json data = channelJson(*channel, context.urls);
    data[member::kSounds] =
        songList(context.catalogue.channelSongs(*channel, pageNumber(page), static_cast<int>(*limit.value)), context);
    replyJson(response, succeeded({{member::kData, std::move(data)}}));
}

void comments(ServiceContext& context, const Request& request, Response& response) {
    const RequestValues values(request);
    const auto id = values.number(param::kSoundId, INT64_MIN, INT64_MAX);
    const auto limit = values.number(param::kLimit, 1, kMaxCommentsLimit);
    if (refuseBadValues(response, {id, limit})) return;
    const Song* song = context.catalogue.song(*id.value);
    if (!song) return replyJson(response, refused(text::kNoSuchSong));
    Json data = Json::array();
    const auto count = std::min(song->comments.size(), static_cast<std::size_t>(*limit.value));
    for (std::size_t i = 0; i < count; ++i) {
        const auto& comment = song->comments[i];
        const User* writer = context.catalogue.user(comment.userId);
        data.push_back({{member::kId, song->id * 1000 + static_cast<Id>(i)},
                        {member::kContent, comment.content},
                        {member::kUser, userJson(comment.userId, writer ? writer->name : "", context.urls)}});
    }
    replyJson(response, succeeded({{member::kData, std::move(data)}, {member::kTotal, song->comments.size()}}));
}

// Search and an uploader's songs are for logged-in listeners only.
void search(ServiceContext& context, const Request& request, Response& response) {
    const auto session = checkRequestSession(context, request, response);
    if (session.state != SessionState::Valid) return refuseSession(session, response);
    const RequestValues values(request);
    const auto keyword = values.text(param::kKeyword);
    if (keyword.empty()) return replyJson(response, refused(text::kKeywordMissing));
    if (keyword.size() > kMaxKeywordBytes) return replyJson(response, refused(text::kKeywordTooLong));
    const auto page = pageOf(values);
    if (refuseBadValues(response, {page})) return;
    replyJson(response,
              succeeded({{member::kData, songList(context.catalogue.search(keyword, pageNumber(page)), context)}}));
}

void uploaderSongs(ServiceContext& context, const Request& request, Response& response) {
    const auto session = checkRequestSession(context, request, response);
    if (session.state != SessionState::Valid) return refuseSession(session, response);
    const RequestValues values(request);
    const auto userId = values.number(param::kUserId, INT64_MIN, INT64_MAX);
    const auto page = pageOf(values);
    if (refuseBadValues(response, {userId, page})) return;
    if (!context.catalogue.user(*userId.value) && !context.accounts.account(*userId.value)) {
        return replyJson(response, refused(text::kNoSuchUser));
    }
    replyJson(
        response,
        succeeded({{member::kData, songList(context.catalogue.userSongs(*userId.value, pageNumber(page)), context)}}));
}

}  // namespace

void addCatalogueRoutes(HttpServer& api, ServiceContext& context) {
    // The hot list is the busiest endpoint and never changes: its pages are made once.
    auto hotPages = std::make_shared<std::vector<std::string>>();
    for (int page = 0; page <= kHotPageCount; ++page) {
        hotPages->push_back(jsonText(succeeded({{member::kData, songList(context.catalogue.hotPage(page), context)}})));
    }
    api.route(Method::Get, path::kSoundHot, [hotPages](const Request& request, Response& response) {
        const RequestValues values(request);
        const auto page = pageOf(values);
        if (refuseBadValues(response, {page})) return;
        // Page 0 holds the empty list that every page outside 1..kHotPageCount answers.
        const bool listed = pageNumber(page) >= 1 && pageNumber(page) <= kHotPageCount;
        replyJsonText(response, (*hotPages)[listed ? static_cast<std::size_t>(pageNumber(page)) : 0]);
    });
    api.route(Method::Get, path::kChannelGet, withContext(context, channelList));
    api.route(Method::Get, path::kChannelInfo, withContext(context, channelSongs));
    api.route(Method::Get, path::kBulletGet, withContext(context, comments));
    api.route(Method::Get, path::kSoundSearch, withContext(context, search));
    api.route(Method::Get, path::kUserSound, withContext(context, uploaderSongs));
}

}  // namespace vamu::service
