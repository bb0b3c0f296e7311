#pragma once
// Builds the demo catalogue from a seed: the same seed gives the same catalogue.

#include "catalogue.h"

#include <cstdint>
#include <string_view>

namespace vamu::service {

inline constexpr std::uint64_t kDemoSeed = 20150307;
inline constexpr int kDemoUserCount = 60;
inline constexpr int kDemoUploaderCount = 30;
inline constexpr int kDemoSongCount = 72;      // songs with music of their own
inline constexpr int kDemoVersionCount = 573;  // further songs playing the music of those
inline constexpr int kMaxCommentsPerVersion = 20;
inline constexpr int kDemoChannelCount = 24;
inline constexpr int kDemoLikeCount = 45;
inline constexpr int kMaxCommentsPerSong = 150;
inline constexpr std::string_view kDemoPhone = "13800138000";
inline constexpr std::string_view kDemoPassword = "vamu1234";

[[nodiscard]] CatalogueData generateCatalogue(CatalogueSize size, std::uint64_t seed = kDemoSeed);

}  // namespace vamu::service
