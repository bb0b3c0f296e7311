#pragma once
// The two directions of a synchronisation between the collection and the account's
// likes, and the texts it shows. Qt-free.
//
// First every liked song enters the collection (or marks its row there as liked); then
// every collection row not marked is liked on the service. Marks live on the rows in
// memory only: a second synchronisation sends nothing for rows the first one marked.

#include "library/collection_file.h"

#include <string>
#include <vector>

namespace vamu::library {

struct MarkedRow {
    CollectionRow row;
    bool liked = false;  // the list row's mark
};

// Likes into the collection: for each liked song in order, the last collection row with
// the same id is marked, or the song is appended marked. Answers how many were appended.
int mergeLikes(std::vector<MarkedRow>& collection, const std::vector<CollectionRow>& likes);

// What the second direction does: `total` rows, of which `alreadyLiked` need no request,
// and the ids to like, in collection order.
struct LikePlan {
    int total = 0;
    int alreadyLiked = 0;
    std::vector<std::string> toLike;
};
[[nodiscard]] LikePlan planLikes(const std::vector<MarkedRow>& collection);

// How a synchronisation ended: like requests the service refused count as failed, ones
// that got no answer or no judgement count in neither, so total may exceed the sum.
struct SyncCounts {
    int total = 0;
    int succeeded = 0;
    int failed = 0;
};

inline constexpr std::string_view kSyncTitle = "同步完毕";
// "总共:3  成功:3  失败:0".
[[nodiscard]] std::string syncSummary(const SyncCounts& counts);

}  // namespace vamu::library
