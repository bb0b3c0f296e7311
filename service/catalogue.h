#pragma once
// The demo catalogue: uploaders, channels, songs and their comments. Generated once into
// the data directory, loaded at every start, never changed while the service runs, so
// any number of request threads read it without locks.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vamu::service {

using Id = std::int64_t;

struct User {
    Id id = 0;
    std::string name;
};

struct Comment {
    Id userId = 0;
    std::string content;
};

struct Song {
    Id id = 0;
    std::string name;
    Id userId = 0;
    int seconds = 0;              // playing time of the generated MP3
    std::int64_t createTime = 0;  // as served: Unix seconds, or milliseconds for a few songs
    std::string info;             // description shown with the song's details
    int plays = 0;                // orders the hot list and the channels' songs
    std::uint64_t seed = 0;       // of the song's music and cover picture
    Id audio = 0;                 // a version plays the MP3 of this song (which has its own); 0: its own music
    std::vector<Comment> comments;
};

struct Channel {
    Id id = 0;
    std::string name;
    int hot = 0;              // orders the channel list
    std::vector<Id> songIds;  // the channel's songs, hottest first
};

struct DemoAccount {
    std::string phone;
    std::string password;
    Id userId = 0;
    std::vector<Id> likes;  // liked first to liked last
};

enum class CatalogueSize {
    Demo,   // songs of 20 s to 3 min
    Small,  // the same catalogue with songs of a few seconds, for tests
};

struct CatalogueData {
    CatalogueSize size = CatalogueSize::Demo;
    std::vector<User> users;
    std::vector<Channel> channels;
    std::vector<Song> songs;
    DemoAccount demo;
};

// Page sizes the service answers with; pages count from 1.
inline constexpr int kChannelsPerPage = 10;
inline constexpr int kHotPageSize = 20;
inline constexpr int kHotPageCount = 50;
inline constexpr int kSearchPageSize = 10;
inline constexpr int kUserSongsPageSize = 10;
inline constexpr int kMaxChannelSongsLimit = 100;
inline constexpr int kMaxCommentsLimit = 500;

class Catalogue {
public:
    explicit Catalogue(CatalogueData data);

    [[nodiscard]] const CatalogueData& data() const { return m_data; }
    [[nodiscard]] const Song* song(Id id) const;
    [[nodiscard]] const User* user(Id id) const;
    [[nodiscard]] const Channel* channel(Id id) const;
    [[nodiscard]] const std::vector<const Song*>& songsByPlays() const { return m_songsByPlays; }

    // Each returns the page's entries in order; an empty vector past the last page or
    // for a page number below 1.
    [[nodiscard]] std::vector<const Channel*> channelPage(int page) const;
    [[nodiscard]] std::vector<const Song*> hotPage(int page) const;
    [[nodiscard]] std::vector<const Song*> channelSongs(const Channel& channel, int page, int limit) const;
    [[nodiscard]] std::vector<const Song*> userSongs(Id userId, int page) const;  // newest first
    // Songs whose title or uploader name holds the keyword (ASCII letters without regard to case).
    [[nodiscard]] std::vector<const Song*> search(std::string_view keyword, int page) const;

private:
    CatalogueData m_data;
    std::unordered_map<Id, std::size_t> m_songIndex;
    std::unordered_map<Id, std::size_t> m_userIndex;
    std::unordered_map<Id, std::size_t> m_channelIndex;
    std::vector<const Channel*> m_channelsByHot;
    std::vector<const Song*> m_songsByPlays;
    std::unordered_map<Id, std::vector<const Song*>> m_songsByUser;
};

// Text of a size for files and messages ("demo", "small") and back.
[[nodiscard]] std::string_view catalogueSizeName(CatalogueSize size);
[[nodiscard]] std::optional<CatalogueSize> catalogueSizeFromName(std::string_view name);

// The catalogue file of a data directory, JSON. Saving replaces the file atomically.
inline constexpr int kCatalogueFormat = 2;  // 2: songs may share music
// The format and size written in a catalogue file, when it is one; an older format is
// made again by the service rather than refused.
struct CatalogueFileHeader {
    int format = 0;
    CatalogueSize size = CatalogueSize::Demo;
};
[[nodiscard]] std::optional<CatalogueFileHeader> readCatalogueFileHeader(const std::filesystem::path& file);
[[nodiscard]] std::optional<CatalogueData> loadCatalogueFile(const std::filesystem::path& file, std::string& error);
[[nodiscard]] bool saveCatalogueFile(const CatalogueData& data, const std::filesystem::path& file, std::string& error);

}  // namespace vamu::service
