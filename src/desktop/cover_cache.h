#pragma once
// The playing song's cover as a file, for desktop media controls and notifications
// that show pictures by URL. One file at a time lives in the cache folder: storing
// another cover removes the previous file, so the cache never grows. The name carries
// a hash of the bytes, so a client that caches by URL never shows an old picture.
// Qt-free; UI thread only.

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace vamu::desktop {

// The cache folder's vamu/covers (core::cacheHome()); read at each call.
[[nodiscard]] std::filesystem::path coverFolder();

// "file://" + the absolute path with every byte outside [A-Za-z0-9-._~/] percent-encoded.
[[nodiscard]] std::string fileUrl(const std::filesystem::path& path);

class CoverCache {
public:
    // Covers larger than this are not written (the picture fetch caps them lower).
    static constexpr std::size_t kMaxBytes = 8 * 1024 * 1024;

    explicit CoverCache(std::filesystem::path folder) : m_folder(std::move(folder)) {}
    ~CoverCache();  // the last file goes with the cache
    CoverCache(const CoverCache&) = delete;
    CoverCache& operator=(const CoverCache&) = delete;

    // The file URL of `bytes` stored for `songId`; empty when the bytes are not a known
    // picture format, too large, or cannot be written (the previous file is removed
    // then too: it shows another song).
    [[nodiscard]] std::string store(std::string_view songId, std::string_view bytes);
    [[nodiscard]] const std::filesystem::path& current() const { return m_current; }

private:
    void removeCurrent();

    std::filesystem::path m_folder;
    std::filesystem::path m_current;  // the file written last; empty: none
};

}  // namespace vamu::desktop
