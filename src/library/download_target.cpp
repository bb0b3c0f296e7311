#include "library/download_target.h"

#include "core/user_dirs.h"

#include <algorithm>

namespace vamu::library {

std::string cleanTitle(std::string_view title) {
    constexpr std::string_view kForbidden = "\\/:*?\"<>|";
    std::string cleaned;
    cleaned.reserve(title.size());
    for (const char c : title) {
        if (kForbidden.find(c) == std::string_view::npos) cleaned += c;
    }
    return cleaned;
}

std::string songFolder() { return core::userDir("MUSIC", "Music") + "/vamu"; }

std::string songPath(std::string_view folder, std::string_view title) {
    return std::string(folder) + "/" + cleanTitle(title) + ".mp3";
}

std::string progressCaption(const TransferStatus& status) {
    if (status.totalBytes <= 0) return "%0";
    const std::int64_t done = std::clamp<std::int64_t>(status.doneBytes, 0, status.totalBytes);
    // done * 100 stays far inside 64 bits for any file a song can be.
    return "%" + std::to_string(done * 100 / status.totalBytes);
}

}  // namespace vamu::library
