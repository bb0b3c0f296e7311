#include "catalogue_generator.h"

#include "demo_random.h"
#include "demo_texts.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <set>

namespace vamu::service {
namespace {

constexpr Id kDemoUserId = 10000;
constexpr Id kFirstUserId = 10001;
constexpr Id kFirstSongId = 20001;
constexpr Id kFirstChannelId = 101;
constexpr int kProlificUploaderSongs = 23;         // so one uploader's songs span three pages
constexpr std::int64_t kFirstUpload = 1356969600;  // 2013-01-01 00:00 UTC
constexpr std::int64_t kUploadSpan = 4LL * 365 * 86400;

template <typename T>
void shuffle(std::vector<T>& items, DemoRandom& random) {
    for (std::size_t i = items.size(); i > 1; --i) {
        std::swap(items[i - 1], items[static_cast<std::size_t>(random.next() % i)]);
    }
}

std::vector<User> makeUsers(DemoRandom& random) {
    std::vector<std::string_view> names;
    for (auto n : demo_texts::chineseUserNames()) names.push_back(n);
    for (auto n : demo_texts::asciiUserNames()) names.push_back(n);
    shuffle(names, random);
    std::vector<User> users;
    users.push_back({kDemoUserId, "vamu演示"});
    for (int i = 0; i < kDemoUserCount; ++i) {
        users.push_back({kFirstUserId + i, std::string(names[static_cast<std::size_t>(i) % names.size()])});
    }
    return users;
}

std::string makeTitle(DemoRandom& random) {
    const double kind = random.unit();
    if (kind < 0.55) {
        return std::string(random.pick(demo_texts::chineseTitleStarts())) +
               std::string(random.pick(demo_texts::chineseTitleEnds()));
    }
    if (kind < 0.85) {
        return std::string(random.pick(demo_texts::asciiTitleStarts())) + " " +
               std::string(random.pick(demo_texts::asciiTitleEnds()));
    }
    return std::string(random.pick(demo_texts::asciiTitleStarts())) + " " +
           std::string(random.pick(demo_texts::chineseTitleStarts()));
}

std::string makeDescription(DemoRandom& random) {
    const bool chinese = random.chance(0.6);
    std::string text(random.pick(chinese ? demo_texts::chineseDescriptions() : demo_texts::asciiDescriptions()));
    const auto mood = random.pick(chinese ? demo_texts::chineseMoods() : demo_texts::asciiMoods());
    if (const auto at = text.find("{}"); at != std::string::npos) text.replace(at, 2, mood);
    return text;
}

// `draw` is uniform in [0, 1); both sizes take one draw, so they differ in lengths only.
int songSeconds(CatalogueSize size, int index, double draw) {
    if (size == CatalogueSize::Small) return 2 + static_cast<int>(draw * 4);
    // The first two songs pin the range; the rest lean towards shorter songs.
    if (index == 0) return 20;
    if (index == 1) return 180;
    return 20 + static_cast<int>(std::lround(160.0 * std::pow(draw, 1.5)));
}

std::vector<Comment> makeComments(int index, const std::vector<User>& users, DemoRandom& random) {
    // One song without comments and one with the most, so both ends are always present.
    const int count = index == 2 ? 0 : index == 3 ? kMaxCommentsPerSong : random.between(0, kMaxCommentsPerSong);
    std::vector<Comment> comments;
    for (int i = 0; i < count; ++i) {
        const auto& writer = users[static_cast<std::size_t>(random.next() % users.size())];
        comments.push_back({writer.id, std::string(random.pick(demo_texts::comments())) +
                                           std::string(random.pick(demo_texts::commentTails()))});
    }
    return comments;
}

std::vector<Song> makeSongs(CatalogueSize size, const std::vector<User>& users, DemoRandom& random) {
    std::vector<Song> songs;
    std::set<std::string> titles;
    for (int i = 0; i < kDemoSongCount; ++i) {
        Song song;
        song.id = kFirstSongId + i;
        do {
            song.name = makeTitle(random);
        } while (!titles.insert(song.name).second);
        song.userId = i < kProlificUploaderSongs
                          ? kFirstUserId
                          : kFirstUserId + 1 + (i - kProlificUploaderSongs) % (kDemoUploaderCount - 1);
        song.seconds = songSeconds(size, i, random.unit());
        song.createTime = kFirstUpload + static_cast<std::int64_t>(random.unit() * kUploadSpan);
        if (i % 9 == 4) song.createTime *= 1000;  // some records carry milliseconds
        song.info = makeDescription(random);
        song.plays = random.between(50, 99999);
        song.seed = random.fork();
        song.comments = makeComments(i, users, random);
        songs.push_back(std::move(song));
    }
    return songs;
}

// Live takes, covers, remixes ...: songs of their own (id, title, uploader, cover,
// comments) that play the MP3 of an original, so that a channel of hundreds of songs
// costs no more music. Original k % n gets the k / n-th tag, so titles stay distinct.
// They are listened to less than any original, which keeps the originals ahead in
// every list ordered by plays.
std::vector<Song> makeVersions(const std::vector<Song>& originals, const std::vector<User>& users, DemoRandom& random) {
    const auto tags = demo_texts::versionTags();
    std::vector<Song> versions;
    for (int k = 0; k < kDemoVersionCount; ++k) {
        const Song& original = originals[static_cast<std::size_t>(k) % originals.size()];
        Song song;
        song.id = kFirstSongId + kDemoSongCount + k;
        song.name = original.name + " (" +
                    std::string(tags[static_cast<std::size_t>(k) / originals.size() % tags.size()]) + ")";
        // Never the prolific uploader, whose 23 songs span exactly three pages.
        song.userId = kFirstUserId + 1 + k % (kDemoUploaderCount - 1);
        song.seconds = original.seconds;
        song.createTime = kFirstUpload + static_cast<std::int64_t>(random.unit() * kUploadSpan);
        if (k % 9 == 4) song.createTime *= 1000;
        song.info = makeDescription(random);
        song.plays = random.between(1, 49);
        song.seed = random.fork();
        song.audio = original.id;
        const int comments = random.between(0, kMaxCommentsPerVersion);
        for (int i = 0; i < comments; ++i) {
            const auto& writer = users[static_cast<std::size_t>(random.next() % users.size())];
            song.comments.push_back({writer.id, std::string(random.pick(demo_texts::comments())) +
                                                    std::string(random.pick(demo_texts::commentTails()))});
        }
        versions.push_back(std::move(song));
    }
    return versions;
}

std::vector<Channel> makeChannels(const std::vector<Song>& songs, DemoRandom& random) {
    static constexpr std::array kSubsetSizes = {5, 8, 12, 15, 19, 20, 21, 25, 30, 40, 45};
    std::vector<Id> allIds;
    for (const auto& s : songs) allIds.push_back(s.id);
    const auto plays = [&](Id id) { return songs[static_cast<std::size_t>(id - kFirstSongId)].plays; };

    std::vector<Channel> channels;
    const auto names = demo_texts::channelNames();
    for (int i = 0; i < kDemoChannelCount; ++i) {
        Channel channel;
        channel.id = kFirstChannelId + i;
        channel.name = std::string(names[static_cast<std::size_t>(i) % names.size()]);
        // The first channel holds every song and leads the list.
        channel.hot = i == 0 ? 1'000'000 : random.between(100, 99999);
        channel.songIds = allIds;
        if (i > 0) {
            shuffle(channel.songIds, random);
            channel.songIds.resize(static_cast<std::size_t>(random.pick(std::span<const int>(kSubsetSizes))));
        }
        std::stable_sort(channel.songIds.begin(), channel.songIds.end(),
                         [&](Id a, Id b) { return plays(a) > plays(b); });
        channels.push_back(std::move(channel));
    }
    return channels;
}

}  // namespace

CatalogueData generateCatalogue(CatalogueSize size, std::uint64_t seed) {
    DemoRandom random(seed);
    // Independent streams, so a change to one part leaves the others as they were.
    DemoRandom userRandom(random.fork());
    DemoRandom songRandom(random.fork());
    DemoRandom channelRandom(random.fork());
    DemoRandom likeRandom(random.fork());
    DemoRandom versionRandom(random.fork());  // drawn last, so the parts above are as they always were

    CatalogueData data;
    data.size = size;
    data.users = makeUsers(userRandom);
    data.songs = makeSongs(size, data.users, songRandom);
    data.channels = makeChannels(data.songs, channelRandom);

    std::vector<Id> liked;
    for (const auto& s : data.songs) liked.push_back(s.id);
    shuffle(liked, likeRandom);
    liked.resize(kDemoLikeCount);
    data.demo = {std::string(kDemoPhone), std::string(kDemoPassword), kDemoUserId, std::move(liked)};

    // The first channel, which holds every song, also holds every version: more than 30
    // pages of 20, past the page cap of clients.
    auto versions = makeVersions(data.songs, data.users, versionRandom);
    std::vector<const Song*> byPlays;
    for (const auto& v : versions) byPlays.push_back(&v);
    std::stable_sort(byPlays.begin(), byPlays.end(), [](const Song* a, const Song* b) { return a->plays > b->plays; });
    for (const Song* v : byPlays) data.channels.front().songIds.push_back(v->id);
    for (auto& v : versions) data.songs.push_back(std::move(v));
    return data;
}

}  // namespace vamu::service
