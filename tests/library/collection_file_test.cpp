#include "library/collection_file.h"
#include "library/likes_sync.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <random>
#include <thread>

namespace vamu::library {
namespace {

namespace fs = std::filesystem;

class CollectionFolder : public ::testing::Test {
protected:
    CollectionFolder()
        : m_folder(fs::temp_directory_path() / ("vamu-collection-" + std::to_string(std::random_device{}()))) {}
    ~CollectionFolder() override {
        std::error_code ignored;
        fs::remove_all(m_folder, ignored);
    }
    [[nodiscard]] fs::path file() const { return m_folder / "vamu" / "Collection"; }
    void writeBytes(std::string_view bytes) const {
        fs::create_directories(file().parent_path());
        std::ofstream(file(), std::ios::binary) << bytes;
    }
    [[nodiscard]] std::string readBytes() const {
        std::ifstream in(file(), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    fs::path m_folder;
};

const std::vector<CollectionRow> kThree = {
    {"http://a/1.mp3", "列车序曲", "小明", "20001"},
    {"http://a/2.mp3", "Song & Co = x", "搜索", "20002"},
    {"http://a/3.mp3", "", "", "20003"},
};

TEST(CollectionFormat, LinesAreSeparatedPiecesInGbkWithCrLf) {
    const std::string bytes = formatCollection({kThree[0]});
    // 列车序曲 小明 and the separator in GBK bytes; every line ends with CR LF.
    const std::string expected =
        "http://a/1.mp3"
        "-\xD5\xE2\xCA\xC7\xB7\xD6\xB8\xF4\xB7\xFB-"
        "\xC1\xD0\xB3\xB5\xD0\xF2\xC7\xFA"
        "-\xD5\xE2\xCA\xC7\xB7\xD6\xB8\xF4\xB7\xFB-"
        "\xD0\xA1\xC3\xF7"
        "-\xD5\xE2\xCA\xC7\xB7\xD6\xB8\xF4\xB7\xFB-"
        "20001\r\n";
    EXPECT_EQ(bytes, expected);
    EXPECT_EQ(parseCollection(expected), std::vector<CollectionRow>{kThree[0]});
    EXPECT_EQ(formatCollection({}), "");
}

TEST(CollectionFormat, ParsingToleratesWhatHandsAndOtherVersionsWrite) {
    const std::string line1 = formatCollection({kThree[0]});
    const std::string line2 = formatCollection({kThree[1]});
    struct Case {
        const char* what;
        std::string bytes;
        std::vector<CollectionRow> rows;
    };
    const Case cases[] = {
        {"both lines", line1 + line2, {kThree[0], kThree[1]}},
        {"last line without its end", line1 + line2.substr(0, line2.size() - 2), {kThree[0], kThree[1]}},
        {"LF only",
         line1.substr(0, line1.size() - 2) + "\n" + line2.substr(0, line2.size() - 2) + "\n",
         {kThree[0], kThree[1]}},
        // Earlier versions saved the service's titles as they came: a lone LF is the title's.
        {"LF inside a title",
         "u-\xD5\xE2\xCA\xC7\xB7\xD6\xB8\xF4\xB7\xFB-a\nb-\xD5\xE2\xCA\xC7\xB7\xD6\xB8\xF4\xB7\xFB-c"
         "-\xD5\xE2\xCA\xC7\xB7\xD6\xB8\xF4\xB7\xFB-7\r\n" +
             line1,
         {{"u", "a\nb", "c", "7"}, kThree[0]}},
        {"empty lines skipped", "\r\n" + line1 + "\r\n\r\n" + line2 + "\r\n", {kThree[0], kThree[1]}},
        {"three pieces skipped",
         "a-\xD5\xE2\xCA\xC7\xB7\xD6\xB8\xF4\xB7\xFB-b-\xD5\xE2\xCA\xC7\xB7\xD6\xB8\xF4\xB7\xFB-c\r\n" + line1,
         {kThree[0]}},
        {"empty pieces kept", formatCollection({kThree[2]}), {kThree[2]}},
        {"nothing", "", {}},
    };
    for (const Case& c : cases) EXPECT_EQ(parseCollection(c.bytes), c.rows) << c.what;
    // A fifth piece (a separator inside the id) is ignored, not glued to the id.
    const auto extra =
        parseCollection(line1.substr(0, line1.size() - 2) + "-\xD5\xE2\xCA\xC7\xB7\xD6\xB8\xF4\xB7\xFB-tail\r\n");
    ASSERT_EQ(extra.size(), 1u);
    EXPECT_EQ(extra[0].id, "20001");
    // A line break inside any field is saved as a space, so the row survives the next load.
    const CollectionRow broken{"http://a/\r\n4.mp3", "line\nbreak", "up\rloader", "2\n4"};
    EXPECT_EQ(parseCollection(formatCollection({broken, kThree[0]})),
              (std::vector<CollectionRow>{{"http://a/  4.mp3", "line break", "up loader", "2 4"}, kThree[0]}));
}

TEST_F(CollectionFolder, AFileOfEarlierVersionsLoadsUnchanged) {
    // Written by hand in GBK with CR LF: two songs of which one came from a search.
    writeBytes(
        "http://x/9.mp3-\xD5\xE2\xCA\xC7\xB7\xD6\xB8\xF4\xB7\xFB-\xC4\xE3\xBA\xC3"
        "-\xD5\xE2\xCA\xC7\xB7\xD6\xB8\xF4\xB7\xFB-\xCB\xD1\xCB\xF7"
        "-\xD5\xE2\xCA\xC7\xB7\xD6\xB8\xF4\xB7\xFB-777\r\n"
        "http://x/8.mp3-\xD5\xE2\xCA\xC7\xB7\xD6\xB8\xF4\xB7\xFB-abc\x80"
        "-\xD5\xE2\xCA\xC7\xB7\xD6\xB8\xF4\xB7\xFB-\xD5\xC5\xC8\xFD"
        "-\xD5\xE2\xCA\xC7\xB7\xD6\xB8\xF4\xB7\xFB-778\r\n");
    const auto rows = loadCollection(file());
    ASSERT_TRUE(rows);
    // 0x80 is the euro sign of code page 936, which earlier versions wrote.
    const std::vector<CollectionRow> expected = {{"http://x/9.mp3", "你好", "搜索", "777"},
                                                 {"http://x/8.mp3", "abc€", "张三", "778"}};
    EXPECT_EQ(*rows, expected);
    // Saved again, the bytes are the same: nothing is lost or re-encoded.
    const std::string before = readBytes();
    CollectionStore store(file());
    EXPECT_EQ(store.save(*rows, store.nextChange()), CollectionStore::SaveResult::Written);
    EXPECT_EQ(readBytes(), before);
}

TEST_F(CollectionFolder, SavesReplaceTheFileAndAnEmptyCollectionRemovesIt) {
    EXPECT_FALSE(loadCollection(file())) << "no file yet";
    CollectionStore store(file());
    EXPECT_EQ(store.save(kThree, store.nextChange()), CollectionStore::SaveResult::Written);
    EXPECT_EQ(loadCollection(file()), kThree);
    EXPECT_EQ(store.save({kThree[1]}, store.nextChange()), CollectionStore::SaveResult::Written);
    EXPECT_EQ(loadCollection(file()), std::vector<CollectionRow>{kThree[1]});
    EXPECT_EQ(store.save({}, store.nextChange()), CollectionStore::SaveResult::Removed);
    EXPECT_FALSE(fs::exists(file()));
    // No temporary files are left beside it.
    for (const auto& entry : fs::directory_iterator(file().parent_path())) ADD_FAILURE() << entry.path();
}

TEST_F(CollectionFolder, AnOlderChangeNeverOverwritesANewerOne) {
    CollectionStore store(file());
    const auto older = store.nextChange();
    const auto newer = store.nextChange();
    EXPECT_EQ(store.save(kThree, newer), CollectionStore::SaveResult::Written);
    EXPECT_EQ(store.save({kThree[0]}, older), CollectionStore::SaveResult::Superseded);
    EXPECT_EQ(loadCollection(file()), kThree);

    // Many saves at once from many threads: the file ends with the newest change.
    std::vector<std::uint64_t> changes;
    for (int i = 0; i < 40; ++i) changes.push_back(store.nextChange());
    std::vector<std::thread> threads;
    for (std::size_t i = changes.size(); i-- > 0;) {
        threads.emplace_back([&, i] {
            std::vector<CollectionRow> rows(kThree.begin(), kThree.end());
            rows.push_back({"u", "n", "up", std::to_string(i)});
            (void)store.save(rows, changes[i]);
        });
    }
    for (auto& thread : threads) thread.join();
    const auto rows = loadCollection(file());
    ASSERT_TRUE(rows);
    ASSERT_EQ(rows->size(), 4u);
    EXPECT_EQ(rows->back().id, std::to_string(changes.size() - 1));
}

TEST_F(CollectionFolder, AFailedSaveLeavesTheOldFile) {
    CollectionStore store(file());
    ASSERT_EQ(store.save(kThree, store.nextChange()), CollectionStore::SaveResult::Written);
    // The collection's name taken by a folder: the rename fails, the temporary goes.
    CollectionStore blocked(m_folder / "vamu" / "blocked");
    fs::create_directories(m_folder / "vamu" / "blocked" / "inside");
    EXPECT_EQ(blocked.save(kThree, blocked.nextChange()), CollectionStore::SaveResult::Failed);
    EXPECT_EQ(loadCollection(file()), kThree);
    int entries = 0;
    for (const auto& entry : fs::directory_iterator(file().parent_path())) {
        (void)entry;
        ++entries;
    }
    EXPECT_EQ(entries, 2) << "the collection and the blocking folder only";
}

// A run killed while saving leaves its temporary file; the next run deletes it, but
// never one that may be this run's own, nor anything else in the folder.
TEST_F(CollectionFolder, TemporaryFilesOfAKilledRunAreDeletedAndNothingElse) {
    writeBytes(formatCollection(kThree));
    const fs::path folder = file().parent_path();
    const auto old = fs::file_time_type::clock::now() - std::chrono::hours(1);
    const auto make = [&](const std::string& name, bool aged) {
        std::ofstream(folder / name) << "half a collection";
        if (aged) fs::last_write_time(folder / name, old);
    };
    make(".Collection.a1B2c3", true);
    make(".Collection.Zz9Yy8", true);
    make(".Collection.fresh1", false);   // may be a save of this run
    make(".Collection.toolong1", true);  // not a name a save makes
    make("Collection.a1B2c3", true);
    fs::create_directories(folder / ".Collection.folder");
    fs::last_write_time(folder / ".Collection.folder", old);

    CollectionStore store(file());
    EXPECT_EQ(store.removeStaleTemporaryFiles(), 2);
    EXPECT_FALSE(fs::exists(folder / ".Collection.a1B2c3"));
    EXPECT_FALSE(fs::exists(folder / ".Collection.Zz9Yy8"));
    for (const char* kept : {".Collection.fresh1", ".Collection.toolong1", "Collection.a1B2c3", ".Collection.folder"}) {
        EXPECT_TRUE(fs::exists(folder / kept)) << kept;
    }
    EXPECT_EQ(loadCollection(file()), kThree);
    EXPECT_EQ(CollectionStore(m_folder / "missing" / "Collection").removeStaleTemporaryFiles(), 0);
}

TEST(CollectionPath, FollowsTheDataDirectory) {
    const char* saved = std::getenv("XDG_DATA_HOME");
    const std::string restore = saved ? saved : "";
    ::setenv("XDG_DATA_HOME", "/some/data", 1);
    EXPECT_EQ(collectionPath(), fs::path("/some/data/vamu/Collection"));
    ::setenv("XDG_DATA_HOME", "relative", 1);  // not absolute: ignored, as the XDG rules say
    ::setenv("HOME", "/home/u", 1);
    EXPECT_EQ(collectionPath(), fs::path("/home/u/.local/share/vamu/Collection"));
    if (saved)
        ::setenv("XDG_DATA_HOME", restore.c_str(), 1);
    else
        ::unsetenv("XDG_DATA_HOME");
}

// --- synchronisation --------------------------------------------------------------

CollectionRow song(std::string id) { return {"http://s/" + id, "t" + id, "u", std::move(id)}; }

TEST(LikesSync, ACollectionOfThreeWithOneLiked) {
    std::vector<MarkedRow> collection = {{song("1")}, {song("2")}, {song("3")}};
    EXPECT_EQ(mergeLikes(collection, {song("2")}), 0);
    const LikePlan plan = planLikes(collection);
    EXPECT_EQ(plan.total, 3);
    EXPECT_EQ(plan.alreadyLiked, 1);
    EXPECT_EQ(plan.toLike, (std::vector<std::string>{"1", "3"}));
    EXPECT_EQ(syncSummary({3, 3, 0}), "总共:3  成功:3  失败:0");
}

TEST(LikesSync, LikesEnterTheCollectionMarkedAndMarksStay) {
    std::vector<MarkedRow> collection = {{song("1")}, {song("5")}, {song("1")}};
    EXPECT_EQ(mergeLikes(collection, {song("1"), song("7"), song("8")}), 2);
    ASSERT_EQ(collection.size(), 5u);
    // Of two rows with the same id only the last is marked.
    EXPECT_FALSE(collection[0].liked);
    EXPECT_FALSE(collection[1].liked);
    EXPECT_TRUE(collection[2].liked);
    EXPECT_EQ(collection[3].row, song("7"));
    EXPECT_TRUE(collection[3].liked);
    EXPECT_TRUE(collection[4].liked);
    EXPECT_EQ(planLikes(collection).toLike, (std::vector<std::string>{"1", "5"}));
    // A second round with the same likes appends nothing and marks nothing new.
    EXPECT_EQ(mergeLikes(collection, {song("1"), song("7"), song("8")}), 0);
    EXPECT_EQ(collection.size(), 5u);
    // Without likes nothing is marked; an empty collection gives an empty plan.
    std::vector<MarkedRow> empty;
    EXPECT_EQ(mergeLikes(empty, {}), 0);
    EXPECT_EQ(planLikes(empty).total, 0);
}

}  // namespace
}  // namespace vamu::library
