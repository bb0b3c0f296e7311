#include "desktop/cover_cache.h"

#include "core/user_dirs.h"
#include "desktop/media_state.h"
#include "net/percent_encoding.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <system_error>

namespace vamu::desktop {
namespace {

std::string hexOf(std::size_t value) {
    char text[2 * sizeof(value) + 1] = {};
    std::snprintf(text, sizeof(text), "%016zx", value);
    return text;
}

}  // namespace

std::filesystem::path coverFolder() { return std::filesystem::path(core::cacheHome()) / "vamu" / "covers"; }

std::string fileUrl(const std::filesystem::path& path) {
    return "file://" +
           net::percentEncoded(std::filesystem::absolute(path).string(), net::PercentKeep::UnreservedAndSlash);
}

CoverCache::~CoverCache() { removeCurrent(); }

void CoverCache::removeCurrent() {
    if (m_current.empty()) return;
    std::error_code ignored;
    std::filesystem::remove(m_current, ignored);
    m_current.clear();
}

std::string CoverCache::store(std::string_view songId, std::string_view bytes) {
    const std::string_view extension = pictureExtension(bytes);
    if (extension.empty() || bytes.size() > kMaxBytes) {
        removeCurrent();
        return {};
    }
    // The track path's escaping keeps any id a single safe file name component.
    const std::string track = trackObjectPath(songId);
    const std::string name = "cover-" + track.substr(track.rfind('/') + 1) + "-" +
                             hexOf(std::hash<std::string_view>{}(bytes)) + "." + std::string(extension);
    const std::filesystem::path target = m_folder / name;
    if (target == m_current) return fileUrl(target);

    removeCurrent();
    std::error_code error;
    std::filesystem::create_directories(m_folder, error);
    // Written beside and renamed, so a reader never sees half a picture.
    const std::filesystem::path temporary = m_folder / (name + ".part");
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            std::filesystem::remove(temporary, error);
            return {};
        }
    }
    std::filesystem::rename(temporary, target, error);
    if (error) {
        std::filesystem::remove(temporary, error);
        return {};
    }
    m_current = target;
    return fileUrl(target);
}

}  // namespace vamu::desktop
