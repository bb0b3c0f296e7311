// The generated demo catalogue: its promises (sizes, ranges, both scripts), determinism,
// paging and search, and the catalogue file.

#include "catalogue.h"
#include "catalogue_generator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>

namespace vamu::service {
namespace {

bool hasChinese(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) >= 0xE0; });
}
bool isAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

class ServiceDemoCatalogue : public ::testing::Test {
protected:
    static const Catalogue& catalogue() {
        static const Catalogue demo(generateCatalogue(CatalogueSize::Demo));
        return demo;
    }
};

TEST_F(ServiceDemoCatalogue, MeetsTheSizesTheClientNeeds) {
    const auto& data = catalogue().data();
    EXPECT_GE(data.channels.size(), 20u);  // more than one page of ten tiles
    EXPECT_GE(data.songs.size(), 60u);

    std::set<Id> ids;
    std::size_t most = 0;
    std::size_t least = SIZE_MAX;
    for (const auto& song : data.songs) {
        EXPECT_TRUE(ids.insert(song.id).second) << "duplicate id " << song.id;
        EXPECT_GE(song.seconds, 20) << song.name;
        EXPECT_LE(song.seconds, 180) << song.name;
        EXPECT_NE(catalogue().user(song.userId), nullptr);
        most = std::max(most, song.comments.size());
        least = std::min(least, song.comments.size());
        for (const auto& comment : song.comments) EXPECT_NE(catalogue().user(comment.userId), nullptr);
    }
    EXPECT_EQ(least, 0u);
    EXPECT_EQ(most, 150u);
    for (const auto& channel : data.channels) {
        for (const Id id : channel.songIds) EXPECT_NE(catalogue().song(id), nullptr) << channel.name;
    }
}

TEST_F(ServiceDemoCatalogue, HoldsChineseAndAsciiTitlesAndNames) {
    const auto& data = catalogue().data();
    const auto titled = [&](auto predicate) {
        return std::count_if(data.songs.begin(), data.songs.end(), [&](const Song& s) { return predicate(s.name); });
    };
    const auto named = [&](auto predicate) {
        return std::count_if(data.users.begin(), data.users.end(), [&](const User& u) { return predicate(u.name); });
    };
    EXPECT_GT(titled(hasChinese), 10);
    EXPECT_GT(titled(isAscii), 10);
    EXPECT_GT(named(hasChinese), 10);
    EXPECT_GT(named(isAscii), 10);
}

TEST_F(ServiceDemoCatalogue, DemoAccountLikesExistingSongsOnce) {
    const auto& demo = catalogue().data().demo;
    EXPECT_EQ(demo.phone.size(), 11u);
    EXPECT_FALSE(demo.password.empty());
    EXPECT_NE(catalogue().user(demo.userId), nullptr);
    const std::set<Id> distinct(demo.likes.begin(), demo.likes.end());
    EXPECT_EQ(distinct.size(), demo.likes.size());
    EXPECT_EQ(demo.likes.size(), static_cast<std::size_t>(kDemoLikeCount));
    for (const Id id : demo.likes) EXPECT_NE(catalogue().song(id), nullptr);
}

TEST(ServiceCatalogueGenerator, SameSeedSameCatalogueAndSmallDiffersOnlyInLengths) {
    std::string error;
    const auto dir = std::filesystem::temp_directory_path() / ("vamu-catalogue-test-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    ASSERT_TRUE(saveCatalogueFile(generateCatalogue(CatalogueSize::Demo), dir / "a.json", error)) << error;
    ASSERT_TRUE(saveCatalogueFile(generateCatalogue(CatalogueSize::Demo), dir / "b.json", error)) << error;
    std::ifstream a(dir / "a.json"), b(dir / "b.json");
    const std::string first((std::istreambuf_iterator<char>(a)), {}), second((std::istreambuf_iterator<char>(b)), {});
    EXPECT_EQ(first, second);
    std::filesystem::remove_all(dir);

    const auto demo = generateCatalogue(CatalogueSize::Demo);
    const auto small = generateCatalogue(CatalogueSize::Small);
    const auto other = generateCatalogue(CatalogueSize::Demo, kDemoSeed + 1);
    ASSERT_EQ(demo.songs.size(), small.songs.size());
    bool anyTitleDiffers = false;
    for (std::size_t i = 0; i < demo.songs.size(); ++i) {
        EXPECT_EQ(demo.songs[i].name, small.songs[i].name);
        EXPECT_EQ(demo.songs[i].comments.size(), small.songs[i].comments.size());
        EXPECT_LE(small.songs[i].seconds, 5);
        anyTitleDiffers = anyTitleDiffers || demo.songs[i].name != other.songs[i].name;
    }
    EXPECT_TRUE(anyTitleDiffers) << "titles ignore the generator's seed";
}

TEST_F(ServiceDemoCatalogue, PagesHaveTheirSizesAndEndEmpty) {
    const auto channels = catalogue().data().channels.size();
    EXPECT_EQ(catalogue().channelPage(1).size(), 10u);
    EXPECT_EQ(catalogue().channelPage(2).size(), 10u);
    EXPECT_EQ(catalogue().channelPage(3).size(), channels - 20);
    EXPECT_TRUE(catalogue().channelPage(4).empty());
    EXPECT_TRUE(catalogue().channelPage(0).empty());
    EXPECT_TRUE(catalogue().channelPage(-3).empty());

    for (int page = 1; page <= kHotPageCount; ++page) ASSERT_EQ(catalogue().hotPage(page).size(), 20u) << page;
    EXPECT_TRUE(catalogue().hotPage(kHotPageCount + 1).empty());
    EXPECT_TRUE(catalogue().hotPage(0).empty());
    // The hottest song leads page 1, and every page lists distinct songs.
    const auto first = catalogue().hotPage(1);
    EXPECT_EQ(first.front(), catalogue().songsByPlays().front());
    EXPECT_EQ(std::set<const Song*>(first.begin(), first.end()).size(), first.size());

    const Channel& all = *catalogue().channelPage(1).front();
    ASSERT_EQ(all.songIds.size(), catalogue().data().songs.size());
    const int lastPage = static_cast<int>((all.songIds.size() + 19) / 20);
    EXPECT_EQ(catalogue().channelSongs(all, 1, 20).size(), 20u);
    EXPECT_EQ(catalogue().channelSongs(all, lastPage, 20).size(), all.songIds.size() - 20 * (lastPage - 1));
    EXPECT_TRUE(catalogue().channelSongs(all, lastPage + 1, 20).empty());
    EXPECT_EQ(catalogue().channelSongs(all, 2, 7).front()->id, all.songIds[7]);
}

TEST_F(ServiceDemoCatalogue, VersionsFillOneChannelPastThePageCapWithTheMusicOfOriginals) {
    const auto& data = catalogue().data();
    const auto big = std::find_if(data.channels.begin(), data.channels.end(),
                                  [](const Channel& c) { return c.songIds.size() > 600; });
    ASSERT_NE(big, data.channels.end());
    EXPECT_GT(big->songIds.size() / 20 + 1, 30u);  // the page count clients compute, above their cap
    EXPECT_EQ(std::set<Id>(big->songIds.begin(), big->songIds.end()).size(), big->songIds.size());

    std::set<std::string> titles;
    int ownMusic = 0;
    for (const auto& song : data.songs) {
        EXPECT_TRUE(titles.insert(song.name).second) << song.name;
        if (song.audio == 0) {
            ++ownMusic;
            continue;
        }
        const Song* original = catalogue().song(song.audio);
        ASSERT_NE(original, nullptr) << song.id;
        EXPECT_EQ(original->audio, 0) << song.id;               // one step: every MP3 is an original's
        EXPECT_EQ(song.seconds, original->seconds) << song.id;  // its length is the music's
        EXPECT_TRUE(song.name.starts_with(original->name + " (")) << song.name;
        EXPECT_LT(song.plays, original->plays) << song.id;
    }
    EXPECT_EQ(ownMusic, kDemoSongCount);  // no further MP3 files to make
    EXPECT_EQ(data.songs.size(), static_cast<std::size_t>(kDemoSongCount + kDemoVersionCount));
    // Liked songs, and the hot list's lead, are originals as before there were versions.
    for (const Id id : data.demo.likes) EXPECT_EQ(catalogue().song(id)->audio, 0);
    for (const Song* song : catalogue().hotPage(1)) EXPECT_EQ(song->audio, 0);
}

TEST_F(ServiceDemoCatalogue, UploaderSongsAreNewestFirstAcrossPages) {
    const Id prolific = catalogue().data().songs.front().userId;
    std::vector<const Song*> all;
    for (int page = 1;; ++page) {
        const auto songs = catalogue().userSongs(prolific, page);
        if (songs.empty()) break;
        ASSERT_LE(songs.size(), static_cast<std::size_t>(kUserSongsPageSize));
        all.insert(all.end(), songs.begin(), songs.end());
    }
    EXPECT_GT(all.size(), static_cast<std::size_t>(2 * kUserSongsPageSize));  // three pages at least
    const auto seconds = [](const Song* s) {
        return s->createTime > 9'999'999'999 ? s->createTime / 1000 : s->createTime;
    };
    EXPECT_TRUE(
        std::is_sorted(all.begin(), all.end(), [&](const Song* a, const Song* b) { return seconds(a) > seconds(b); }));
    EXPECT_TRUE(catalogue().userSongs(999, 1).empty());
}

TEST_F(ServiceDemoCatalogue, SearchFindsTitlesAndUploadersWithoutRegardToAsciiCase) {
    const Song* ascii = nullptr;
    const Song* chinese = nullptr;
    for (const auto& s : catalogue().data().songs) {
        if (!ascii && isAscii(s.name)) ascii = &s;
        if (!chinese && static_cast<unsigned char>(s.name.front()) >= 0xE0) chinese = &s;
    }
    ASSERT_TRUE(ascii && chinese);
    const auto contains = [](const std::vector<const Song*>& songs, const Song* wanted) {
        return std::find(songs.begin(), songs.end(), wanted) != songs.end();
    };
    std::string upper = ascii->name;
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](char c) { return static_cast<char>(std::toupper(c)); });
    // Pages of ten until the song turns up or the results end.
    const auto found = [&](const std::string& keyword, const Song* wanted) {
        for (int page = 1;; ++page) {
            const auto songs = catalogue().search(keyword, page);
            if (songs.empty()) return false;
            EXPECT_LE(songs.size(), static_cast<std::size_t>(kSearchPageSize));
            if (contains(songs, wanted)) return true;
        }
    };
    EXPECT_TRUE(found(upper, ascii));
    EXPECT_TRUE(found(chinese->name.substr(0, 6), chinese));  // the first two characters
    EXPECT_TRUE(found(catalogue().user(ascii->userId)->name, ascii));
    EXPECT_TRUE(catalogue().search("no such song at all", 1).empty());
}

TEST(ServiceCatalogueFile, RoundTripsAndRejectsDamage) {
    const auto dir = std::filesystem::temp_directory_path() / ("vamu-catalogue-file-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    std::string error;
    const auto original = generateCatalogue(CatalogueSize::Small);
    ASSERT_TRUE(saveCatalogueFile(original, dir / "c.json", error)) << error;
    const auto loaded = loadCatalogueFile(dir / "c.json", error);
    ASSERT_TRUE(loaded) << error;
    EXPECT_EQ(loaded->size, CatalogueSize::Small);
    ASSERT_EQ(loaded->songs.size(), original.songs.size());
    EXPECT_EQ(loaded->songs[5].name, original.songs[5].name);
    EXPECT_EQ(loaded->songs[5].seed, original.songs[5].seed);
    EXPECT_EQ(loaded->songs[3].comments.back().content, original.songs[3].comments.back().content);
    EXPECT_EQ(loaded->demo.likes, original.demo.likes);
    EXPECT_NE(loaded->songs.back().audio, 0);
    EXPECT_EQ(loaded->songs.back().audio, original.songs.back().audio);
    const auto header = readCatalogueFileHeader(dir / "c.json");
    ASSERT_TRUE(header);
    EXPECT_EQ(header->format, kCatalogueFormat);
    EXPECT_EQ(header->size, CatalogueSize::Small);

    const std::pair<const char*, const char*> damaged[] = {
        {"truncated", "{\"format\":1,\"size\":\"demo\",\"users\":["},
        {"wrong types", "{\"format\":1,\"size\":\"demo\",\"users\":\"x\",\"channels\":[],\"songs\":[],\"demo\":{}}"},
        {"unknown size", "{\"format\":1,\"size\":\"huge\",\"users\":[],\"channels\":[],\"songs\":[],\"demo\":{}}"},
        {"other format", "{\"format\":3}"},
        {"song without its music",
         "{\"format\":2,\"size\":\"demo\",\"users\":[],\"channels\":[],\"songs\":[{\"id\":1,"
         "\"name\":\"a\",\"user\":1,\"seconds\":20,\"created\":0,\"info\":\"\",\"plays\":1,"
         "\"seed\":1,\"comments\":[]}],\"demo\":{}}"},
    };
    for (const auto& [name, text] : damaged) {
        std::ofstream(dir / "bad.json") << text;
        error.clear();
        EXPECT_FALSE(loadCatalogueFile(dir / "bad.json", error)) << name;
        EXPECT_FALSE(error.empty()) << name;
    }
    EXPECT_FALSE(loadCatalogueFile(dir / "missing.json", error));
    // A file of the older format is recognised as such, so the service can make it again.
    std::ofstream(dir / "old.json") << "{\"format\":1,\"size\":\"small\",\"users\":[]}";
    const auto old = readCatalogueFileHeader(dir / "old.json");
    ASSERT_TRUE(old);
    EXPECT_EQ(old->format, 1);
    EXPECT_EQ(old->size, CatalogueSize::Small);
    std::ofstream(dir / "bad.json") << "not a catalogue";
    EXPECT_FALSE(readCatalogueFileHeader(dir / "bad.json"));
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace vamu::service
