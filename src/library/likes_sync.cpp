#include "library/likes_sync.h"

namespace vamu::library {

int mergeLikes(std::vector<MarkedRow>& collection, const std::vector<CollectionRow>& likes) {
    int appended = 0;
    for (const CollectionRow& like : likes) {
        MarkedRow* match = nullptr;
        for (MarkedRow& row : collection) {
            if (row.row.id == like.id) match = &row;  // the last one when several match
        }
        if (match) {
            match->liked = true;
            continue;
        }
        collection.push_back({like, true});
        ++appended;
    }
    return appended;
}

LikePlan planLikes(const std::vector<MarkedRow>& collection) {
    LikePlan plan;
    plan.total = static_cast<int>(collection.size());
    for (const MarkedRow& row : collection) {
        if (row.liked) {
            ++plan.alreadyLiked;
        } else {
            plan.toLike.push_back(row.row.id);
        }
    }
    return plan;
}

std::string syncSummary(const SyncCounts& counts) {
    return "总共:" + std::to_string(counts.total) + "  成功:" + std::to_string(counts.succeeded) +
           "  失败:" + std::to_string(counts.failed);
}

}  // namespace vamu::library
