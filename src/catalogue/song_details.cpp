#include "catalogue/song_details.h"

#include "core/text_encoding.h"
#include "net/http_request.h"

#include <algorithm>
#include <charconv>
#include <ctime>

namespace vamu::catalogue {
namespace {

constexpr long long kMillisecondsAbove = 9999999999LL;
constexpr long long kUtcPlus8 = 8 * 3600;

std::optional<long long> wholeNumber(std::string_view text) {
    long long value = 0;
    const char* end = text.data() + text.size();
    const auto [last, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc{} || last != end || text.empty()) return std::nullopt;
    return value;
}

std::string twoDigits(int value) {
    return std::string(1, static_cast<char>('0' + value / 10)) + static_cast<char>('0' + value % 10);
}

}  // namespace

DetailsKey splitSongId(long long songId, long long r) {
    if (songId < 1) return {songId, kDetailsKeyOffset};
    r = std::clamp(r, 1LL, songId);
    return {songId - r, r + kDetailsKeyOffset};
}

std::string detailsUrl(std::string_view companionHost, long long a) {
    std::string host(companionHost);
    if (host.starts_with("http://")) host.erase(0, 7);
    while (!host.empty() && host.back() == '/') host.pop_back();
    return "http://" + host + std::string(kDetailsPath) + std::to_string(a);
}

SongDetails readSongDetails(const net::JsonDocument& reply) {
    SongDetails details;
    details.state = reply.getText("state");
    details.name = reply.getText("result.name");
    details.source = reply.getText("result.source");
    details.id = reply.getText("result.id");
    details.uploaderName = reply.getText("result.user.name");
    details.createTime = reply.getText("result.create_time");
    details.info = reply.getText("result.info");
    details.coverUrl = reply.getText("result.pic_100");
    return details;
}

std::string uploadDateText(std::string_view createTime) {
    std::optional<long long> seconds = wholeNumber(createTime);
    if (!seconds) return {};
    if (*seconds > kMillisecondsAbove) *seconds /= 1000;
    // Far outside any calendar a person would read: refuse instead of overflowing.
    if (*seconds < -(1LL << 40) || *seconds > (1LL << 40)) return {};
    const std::time_t local = static_cast<std::time_t>(*seconds + kUtcPlus8);
    std::tm parts{};
    if (!gmtime_r(&local, &parts)) return {};
    return std::to_string(parts.tm_year + 1900) + "年" + twoDigits(parts.tm_mon + 1) + "月" + twoDigits(parts.tm_mday) +
           "日";
}

std::string detailLine(const SongDetails& details) {
    return "用户[" + details.uploaderName + "]于" + uploadDateText(details.createTime) + "上传";
}

std::optional<SongDetails> fetchSongDetails(const std::string& companionHost, long long songId, long long r,
                                            std::stop_token stop) {
    const DetailsKey key = splitSongId(songId, r);
    net::HttpRequestArgs args;
    args.url = detailsUrl(companionHost, key.a);
    args.cookies = "key=" + std::to_string(key.b);
    args.extraHeaders = std::string(kDetailsUserAgent);
    args.stop = std::move(stop);
    const net::HttpReply reply = net::httpRequest(args);
    if (reply.outcome != net::HttpOutcome::Completed) return std::nullopt;
    net::JsonDocument document;
    if (!document.load(core::replyBodyToText(reply.body))) return std::nullopt;
    return readSongDetails(document);
}

}  // namespace vamu::catalogue
