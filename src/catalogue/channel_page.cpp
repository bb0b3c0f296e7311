#include "catalogue/channel_page.h"

#include <cmath>

#include "net/json_document.h"
#include "net/service_endpoints.h"

namespace vamu::catalogue {

namespace {

constexpr std::string_view kChannelArray = "result.data";

}  // namespace

int channelPageCount(double soundCount) {
    if (!(soundCount > 0)) {  // also NaN
        return 1;
    }
    // Whole pages only: a channel of exactly 20 songs has no second page to ask for.
    const double pages = std::ceil(soundCount / kSongsPerChannelPage);
    return pages >= kMaxPageCount ? kMaxPageCount : static_cast<int>(pages);
}

std::optional<ChannelPage> readChannelPage(const net::JsonDocument& reply) {
    if (reply.typeOf(kChannelArray) != net::JsonKind::Array) {
        return std::nullopt;
    }
    ChannelPage page;
    const int count = reply.countMembers(kChannelArray);
    for (int i = 0; i < kTilesPerPage && i < count; ++i) {
        const std::string element = std::string(kChannelArray) + "[" + std::to_string(i) + "].";
        ChannelTile& tile = page[static_cast<std::size_t>(i)];
        tile.pictureUrl = reply.getText(element + "pic_100");
        tile.name = reply.getText(element + "name");
        tile.id = reply.getText(element + "id");
        tile.pageCount = channelPageCount(reply.getNumber(element + "sound_count"));
    }
    return page;
}

}  // namespace vamu::catalogue
