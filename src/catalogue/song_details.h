#pragma once
// A song's details from the companion server: how its id travels, what its reply holds
// and how the upload date reads. Qt-free.
//
// The details script never sees the id S itself: it gets a = S - r in the query and
// b = r + kDetailsKeyOffset in the cookie "key", with r drawn from 1..S, and adds them up.

#include "net/json_document.h"

#include <optional>
#include <stop_token>
#include <string>

namespace vamu::catalogue {

inline constexpr long long kDetailsKeyOffset = 6351;
inline constexpr std::string_view kDetailsPath = "/info.php?id=";
inline constexpr std::string_view kDetailsUserAgent = "User-Agent: Mozilla/5.0 (compatible; MSIE 9.2; Windows NT 6.6)";

struct DetailsKey {
    long long a = 0;  // the query's id
    long long b = 0;  // the cookie's key
};

// `r` in 1..songId (the caller draws it); a value outside is pulled into that range.
// Ids below 1 go out as they are with r = 0.
[[nodiscard]] DetailsKey splitSongId(long long songId, long long r);

// "http://" + host + "/info.php?id=" + a. `companionHost` is host[:port], with or
// without a scheme.
[[nodiscard]] std::string detailsUrl(std::string_view companionHost, long long a);

// What a details reply holds; every text empty when the reply lacked it.
struct SongDetails {
    std::string state;  // "1" found, "0" no such song, anything else unusable
    std::string name;
    std::string source;
    std::string id;
    std::string uploaderName;
    std::string createTime;  // Unix seconds, or milliseconds above 9999999999
    std::string info;
    std::string coverUrl;
};

[[nodiscard]] SongDetails readSongDetails(const net::JsonDocument& reply);

// The upload date at UTC+8, "yyyy年MM月dd日"; empty for a time that is not a whole number.
[[nodiscard]] std::string uploadDateText(std::string_view createTime);
// "用户[" + uploader + "]于" + date + "上传".
[[nodiscard]] std::string detailLine(const SongDetails& details);

// One details request, synchronously on the calling worker. nullopt when the exchange
// failed or the reply is not JSON.
[[nodiscard]] std::optional<SongDetails> fetchSongDetails(const std::string& companionHost, long long songId,
                                                          long long r, std::stop_token stop);

}  // namespace vamu::catalogue
