// Reading endpoints of the music service: channels, hot list, channel songs, comments,
// search and an uploader's songs.

#include "service_names.h"
#include "service_routes.h"

#include <memory>

namespace vamu::service {
namespace {

constexpr std::int64_t kMaxPage = 1'000'000'000;
constexpr std::size_t kMaxKeywordBytes = 100;
constexpr int kDefaultCommentsLimit = 120;

std::optional<int> pageOf(const Request& request) {
    const auto page = numberParameter(request, param::kPage, 1, -kMaxPage, kMaxPage);
    if (!page) return std::nullopt;
    return static_cast<int>(*page);
}

Json songList(const std::vector<const Song*>& songs, const ServiceContext& context) {
    Json list = Json::array();
    for (const Song* song : songs) list.push_back(songJson(*song, context.catalogue, context.urls));
    return list;
}

void channelList(ServiceContext& context, const Request& request, Response& response) {
    const auto page = pageOf(request);
    if (!page) return replyBadParameter(response);
    Json data = Json::array();
    for (const Channel* channel : context.catalogue.channelPage(*page)) data.push_back(channelJson(*channel, context.urls));
    replyJson(response, succeeded({{member::kData, std::move(data)}, {member::kPage, *page}}));
}

void channelSongs(ServiceContext& context, const Request& request, Response& response) {
    const auto page = pageOf(request);
    const auto id = numberParameter(request, param::kId, 0, INT64_MIN, INT64_MAX);
    const auto limit = numberParameter(request, param::kLimit, 20, 1, kMaxChannelSongsLimit);
    if (!page || !id || !limit) return replyBadParameter(response);
    const Channel* channel = context.catalogue.channel(*id);
    if (!channel) return replyJson(response, refused(text::kNoSuchChannel));
    Json data = channelJson(*channel, context.urls);
    data[member::kSounds] = songList(context.catalogue.channelSongs(*channel, *page, static_cast<int>(*limit)), context);
    replyJson(response, succeeded({{member::kData, std::move(data)}}));
}

void comments(ServiceContext& context, const Request& request, Response& response) {
    const auto id = numberParameter(request, param::kSoundId, 0, INT64_MIN, INT64_MAX);
    const auto limit = numberParameter(request, param::kLimit, kDefaultCommentsLimit, 1, kMaxCommentsLimit);
    if (!id || !limit) return replyBadParameter(response);
    const Song* song = context.catalogue.song(*id);
    if (!song) return replyJson(response, refused(text::kNoSuchSong));
    Json data = Json::array();
    const auto count = std::min(song->comments.size(), static_cast<std::size_t>(*limit));
    for (std::size_t i = 0; i < count; ++i) {
        const auto& comment = song->comments[i];
        const User* writer = context.catalogue.user(comment.userId);
        data.push_back({{member::kId, song->id * 1000 + static_cast<Id>(i)},
                        {member::kContent, comment.content},
                        {member::kUser, userJson(comment.userId, writer ? writer->name : "", context.urls)}});
    }
    replyJson(response, succeeded({{member::kData, std::move(data)}, {member::kTotal, song->comments.size()}}));
}

void search(ServiceContext& context, const Request& request, Response& response) {
    (void)checkRequestSession(context, request, response);
    const auto page = pageOf(request);
    if (!page) return replyBadParameter(response);
    const auto keyword = parameter(request, param::kKeyword);
    if (keyword.empty()) return replyJson(response, refused(text::kKeywordMissing));
    if (keyword.size() > kMaxKeywordBytes) return replyJson(response, refused(text::kKeywordTooLong));
    replyJson(response, succeeded({{member::kData, songList(context.catalogue.search(keyword, *page), context)}}));
}

void uploaderSongs(ServiceContext& context, const Request& request, Response& response) {
    (void)checkRequestSession(context, request, response);
    const auto page = pageOf(request);
    const auto userId = numberParameter(request, param::kUserId, 0, INT64_MIN, INT64_MAX);
    if (!page || !userId) return replyBadParameter(response);
    if (!context.catalogue.user(*userId) && !context.accounts.account(*userId)) {
        return replyJson(response, refused(text::kNoSuchUser));
    }
    replyJson(response, succeeded({{member::kData, songList(context.catalogue.userSongs(*userId, *page), context)}}));
}

}  // namespace

void addCatalogueRoutes(HttpServer& api, ServiceContext& context) {
    // The hot list is the busiest endpoint and never changes: its pages are made once.
    auto hotPages = std::make_shared<std::vector<std::string>>();
    for (int page = 0; page <= kHotPageCount; ++page) {
        hotPages->push_back(jsonText(succeeded({{member::kData, songList(context.catalogue.hotPage(page), context)}})));
    }
    api.route(Method::Get, path::kSoundHot, [hotPages](const Request& request, Response& response) {
        const auto page = pageOf(request);
        if (!page) return replyBadParameter(response);
        // Page 0 holds the empty list that every page outside 1..kHotPageCount answers.
        const bool listed = *page >= 1 && *page <= kHotPageCount;
        replyJsonText(response, (*hotPages)[listed ? static_cast<std::size_t>(*page) : 0]);
    });
    api.route(Method::Get, path::kChannelGet, withContext(context, channelList));
    api.route(Method::Get, path::kChannelInfo, withContext(context, channelSongs));
    api.route(Method::Get, path::kBulletGet, withContext(context, comments));
    api.route(Method::Get, path::kSoundSearch, withContext(context, search));
    api.route(Method::Get, path::kUserSound, withContext(context, uploaderSongs));
}

}  // namespace vamu::service
