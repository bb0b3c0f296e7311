// The collection with its file, the likes with unlike and refresh, and the
// synchronisation of the two, driven through the lists' menus against the service.
#include "integration/account_fixture.h"

#include "catalogue/radio_controller.h"
#include "library/collection_file.h"

#include <algorithm>
#include <fstream>

#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

namespace vamu::test {
namespace {

using namespace std::chrono_literals;
namespace column = panel::song_column;
namespace fs = std::filesystem;

class LibraryTest : public AccountFixture {
protected:
    fs::path collectionFile() const { return m_home / "data" / "vamu" / "Collection"; }

    static void choose(panel::PopupMenu& menu, int item) {
        const toolkit::MenuEntry* entry = menu.item(item);
        ASSERT_TRUE(entry && entry->handler);
        entry->handler();
    }
    // The songs of channel 1 in the song list.
    void loadSongs(int atLeast) {
        ASSERT_TRUE(waitForGrid());
        ASSERT_TRUE(UiDriver::click(*m_program->radio().tileControl(1)));
        ASSERT_TRUE(UiDriver::pumpUntil([&] { return libraryPanel().songs->rowCount() >= atLeast; }, 20s));
    }
    void collectSong(int row) {
        libraryPanel().songs->setSelectedRow(row);
        choose(*m_program->mainWindow().detailsPanel().songMenu, panel::song_menu::kCollect);
    }
    std::vector<library::CollectionRow> fileRows() const {
        return library::loadCollection(collectionFile()).value_or(std::vector<library::CollectionRow>{});
    }
    bool waitForFile(std::size_t rows) {
        return UiDriver::pumpUntil([&] { return fileRows().size() == rows; });
    }
    int menuState(panel::PopupMenu& menu, int item) { return menu.item(item)->state; }
};

TEST_F(LibraryTest, CollectedSongsComeBackInOrderAndDeletingRenumbers) {
    startService();
    ASSERT_TRUE(startProgram());
    loadSongs(3);
    const panel::ListView& songs = *libraryPanel().songs;
    std::vector<QString> ids;
    for (int row : {3, 1, 2}) {
        collectSong(row);
        ids.push_back(songs.cellText(row, column::kId));
    }
    collectSong(1);  // already there: nothing changes
    EXPECT_EQ(collection().rowCount(), 3);
    EXPECT_EQ(column(collection(), column::kId), ids);
    EXPECT_EQ(column(collection(), column::kNumber), (std::vector<QString>{"1", "2", "3"}));
    EXPECT_EQ(collection().cellText(1, column::kTitle), songs.cellText(3, column::kTitle));
    EXPECT_EQ(collection().cellText(1, column::kSource), songs.cellText(3, column::kSource));
    ASSERT_TRUE(waitForFile(3));

    ASSERT_TRUE(restartProgram());
    ASSERT_TRUE(UiDriver::pumpUntil([&] { return collection().rowCount() == 3; }));
    EXPECT_EQ(column(collection(), column::kId), ids);
    EXPECT_EQ(column(collection(), column::kNumber), (std::vector<QString>{"1", "2", "3"}));

    // The menu opens only on a selected row; deleting renumbers and rewrites the file.
    collection().setSelectedRow(0);
    EXPECT_FALSE(library().prepareCollectionMenu());
    collection().setSelectedRow(2);
    EXPECT_TRUE(library().prepareCollectionMenu());
    choose(*libraryPanel().collectionMenu, panel::collection_menu::kDelete);
    EXPECT_EQ(column(collection(), column::kId), (std::vector<QString>{ids[0], ids[2]}));
    EXPECT_EQ(column(collection(), column::kNumber), (std::vector<QString>{"1", "2"}));
    ASSERT_TRUE(waitForFile(2));
    EXPECT_EQ(fileRows()[1].id, ids[2].toStdString());

    // Deleting the last rows removes the file; the next start shows an empty collection.
    collection().setSelectedRow(1);
    choose(*libraryPanel().collectionMenu, panel::collection_menu::kDelete);
    collection().setSelectedRow(1);
    choose(*libraryPanel().collectionMenu, panel::collection_menu::kDelete);
    EXPECT_EQ(collection().rowCount(), 0);
    ASSERT_TRUE(UiDriver::pumpUntil([&] { return !fs::exists(collectionFile()); }));
    ASSERT_TRUE(restartProgram());
    UiDriver::pump(200ms);
    EXPECT_FALSE(library().loadingCollection());
    EXPECT_EQ(collection().rowCount(), 0);
}

// Makes saving the collection fail while it lives: its folder read-only, and for root,
// whom permissions do not stop, a file size limit that fails the write as a full disk does.
class UnwritableCollection {
public:
    explicit UnwritableCollection(fs::path folder) : m_folder(std::move(folder)) {
        fs::permissions(m_folder, fs::perms::owner_read | fs::perms::owner_exec);
        if (::geteuid() != 0) return;
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        ::sigaction(SIGXFSZ, &ignore, &m_previousSignal);
        ::getrlimit(RLIMIT_FSIZE, &m_previousLimit);
        rlimit small = m_previousLimit;
        small.rlim_cur = 16;
        ::setrlimit(RLIMIT_FSIZE, &small);
    }
    ~UnwritableCollection() {
        fs::permissions(m_folder, fs::perms::owner_all);
        if (::geteuid() != 0) return;
        ::setrlimit(RLIMIT_FSIZE, &m_previousLimit);
        ::sigaction(SIGXFSZ, &m_previousSignal, nullptr);
    }
    UnwritableCollection(const UnwritableCollection&) = delete;
    UnwritableCollection& operator=(const UnwritableCollection&) = delete;

private:
    fs::path m_folder;
    struct sigaction m_previousSignal {};
    rlimit m_previousLimit{};
};

TEST_F(LibraryTest, AFailedSaveSaysSoOnceKeepsTheFileAndTheNextChangeSavesAgain) {
    startService();
    ASSERT_TRUE(startProgram());
    loadSongs(4);
    collectSong(1);
    ASSERT_TRUE(waitForFile(1));
    {
        const UnwritableCollection unwritable(collectionFile().parent_path());
        collectSong(2);
        ASSERT_TRUE(m_messages.waitFor(1));
        EXPECT_EQ(m_messages.seen()[0].title, "错误");
        EXPECT_TRUE(m_messages.seen()[0].text.startsWith("收藏保存失败\n")) << m_messages.seen()[0].text.toStdString();
        EXPECT_GT(m_messages.seen()[0].text.size(), QString("收藏保存失败\n").size()) << "the reason follows";
        collectSong(3);  // fails too, without a second message
        UiDriver::pump(500ms);
        EXPECT_EQ(m_messages.count(), 1u);
        EXPECT_EQ(fileRows().size(), 1u) << "the file keeps what it held";
    }
    collectSong(4);
    ASSERT_TRUE(waitForFile(4));
    EXPECT_EQ(m_messages.count(), 1u);
}

TEST_F(LibraryTest, AFileWrittenByHandInGbkWithCrLfLoads) {
    startService();
    fs::create_directories(collectionFile().parent_path());
    {
        std::ofstream file(collectionFile(), std::ios::binary);
        // 你好 / 搜索 and abc / 张三 in GBK; an empty line and a short line between them.
        file << "http://x/9.mp3-\xD5\xE2\xCA\xC7\xB7\xD6\xB8\xF4\xB7\xFB-\xC4\xE3\xBA\xC3"
                "-\xD5\xE2\xCA\xC7\xB7\xD6\xB8\xF4\xB7\xFB-\xCB\xD1\xCB\xF7"
                "-\xD5\xE2\xCA\xC7\xB7\xD6\xB8\xF4\xB7\xFB-777\r\n"
                "\r\n"
                "only-\xD5\xE2\xCA\xC7\xB7\xD6\xB8\xF4\xB7\xFB-two\r\n"
                "http://x/8.mp3-\xD5\xE2\xCA\xC7\xB7\xD6\xB8\xF4\xB7\xFB-abc"
                "-\xD5\xE2\xCA\xC7\xB7\xD6\xB8\xF4\xB7\xFB-\xD5\xC5\xC8\xFD"
                "-\xD5\xE2\xCA\xC7\xB7\xD6\xB8\xF4\xB7\xFB-778";
    }
    ASSERT_TRUE(startProgram());
    ASSERT_TRUE(UiDriver::pumpUntil([&] { return collection().rowCount() == 2; }));
    EXPECT_EQ(column(collection(), column::kTitle), (std::vector<QString>{"你好", "abc"}));
    EXPECT_EQ(column(collection(), column::kUploader), (std::vector<QString>{"搜索", "张三"}));
    EXPECT_EQ(column(collection(), column::kId), (std::vector<QString>{"777", "778"}));
    EXPECT_EQ(column(collection(), column::kNumber), (std::vector<QString>{"1", "2"}));
    EXPECT_EQ(collection().cellText(2, column::kSource), "http://x/8.mp3");
}

TEST_F(LibraryTest, ThePlayingSongIsCollectedOnceAndTheButtonSaysSoForASecond) {
    startService();
    ASSERT_TRUE(startProgram());
    net::SongEntry song;
    song.source = "http://s/1.mp3";
    song.name = "列车序曲";
    song.uploader = "小明";
    song.id = "20001";
    library().setPlayingSong(song);
    panel::ThunderButton& button = *libraryPanel().collect;
    for (int round = 0; round < 2; ++round) {
        library().collectPlaying();
        EXPECT_EQ(button.text(), "成功");
        m_scheduler.advance(999ms);
        EXPECT_EQ(button.text(), "成功");
        m_scheduler.advance(1ms);
        EXPECT_EQ(button.text(), "收藏");
    }
    ASSERT_EQ(collection().rowCount(), 1);
    EXPECT_EQ(collection().cellText(1, column::kTitle), "列车序曲");
    EXPECT_EQ(collection().cellText(1, column::kUploader), "小明");
    ASSERT_TRUE(waitForFile(1));
    EXPECT_EQ(fileRows()[0], (library::CollectionRow{"http://s/1.mp3", "列车序曲", "小明", "20001"}));
}

TEST_F(LibraryTest, SynchronisingLikesBothWaysCountsAndMarks) {
    startService();
    const std::string phone = "13900000011";
    ASSERT_TRUE(registerDirectly(phone, "pw"));
    ASSERT_TRUE(startProgram());
    loadSongs(3);
    ASSERT_TRUE(loginAndWait(phone, "pw", false, 0));

    // The menus: no row selected, then a likes row, then search results.
    collection().setSelectedRow(0);
    EXPECT_FALSE(library().prepareCollectionMenu());
    collectSong(1);
    collection().setSelectedRow(1);
    ASSERT_TRUE(library().prepareCollectionMenu());
    EXPECT_EQ(menuState(*libraryPanel().collectionMenu, panel::collection_menu::kSync), toolkit::menu_state::kNormal);

    // One song, not liked: one like request.
    choose(*libraryPanel().collectionMenu, panel::collection_menu::kSync);
    ASSERT_TRUE(m_messages.waitFor(1, 15s));
    EXPECT_EQ(m_messages.seen()[0].title, "同步完毕");
    EXPECT_EQ(m_messages.seen()[0].text, "总共:1  成功:1  失败:0");
    EXPECT_EQ(m_messages.seen()[0].width, 290);
    ASSERT_TRUE(waitForLikes(1));
    EXPECT_EQ(requests("POST /sound/like"), 1);

    // The example: three songs of which one is liked; two likes go out.
    collectSong(2);
    collectSong(3);
    choose(*libraryPanel().likesMenu, panel::likes_menu::kSync);
    ASSERT_TRUE(m_messages.waitFor(2, 15s));
    EXPECT_EQ(m_messages.seen()[1].text, "总共:3  成功:3  失败:0");
    EXPECT_EQ(requests("POST /sound/like"), 3);
    ASSERT_TRUE(waitForLikes(3));
    // Only what the likes list held when it began is marked.
    EXPECT_TRUE(library().collection().row(1)->liked);
    EXPECT_FALSE(library().collection().row(2)->liked);

    // Again: the likes now hold all three, every row is marked, nothing is sent.
    choose(*libraryPanel().collectionMenu, panel::collection_menu::kSync);
    ASSERT_TRUE(m_messages.waitFor(3, 15s));
    EXPECT_EQ(m_messages.seen()[2].text, "总共:3  成功:3  失败:0");
    EXPECT_EQ(requests("POST /sound/like"), 3);
    ASSERT_TRUE(waitForLikes(3));
    for (int row = 1; row <= 3; ++row)
        EXPECT_TRUE(library().collection().row(row)->liked) << "marked liked, row " << row;

    // The likes menu follows the selection.
    likes().setSelectedRow(0);
    library().prepareLikesMenu();
    for (int item : {panel::likes_menu::kCollect, panel::likes_menu::kDelete, panel::likes_menu::kSync}) {
        EXPECT_EQ(menuState(*libraryPanel().likesMenu, item), toolkit::menu_state::kDisabled) << item;
    }
    likes().setSelectedRow(1);
    library().prepareLikesMenu();
    for (int item : {panel::likes_menu::kCollect, panel::likes_menu::kDelete, panel::likes_menu::kSync}) {
        EXPECT_EQ(menuState(*libraryPanel().likesMenu, item), toolkit::menu_state::kNormal) << item;
    }

    // Unliking them one by one: the last one leaves an empty list.
    for (int left = 2; left >= 0; --left) {
        likes().setSelectedRow(1);
        choose(*libraryPanel().likesMenu, panel::likes_menu::kDelete);
        ASSERT_TRUE(UiDriver::pumpUntil([&] { return likes().rowCount() == left && !library().loadingLikes(); }, 15s))
            << left;
    }
    EXPECT_EQ(requests("POST /sound/like"), 6);
    EXPECT_EQ(m_messages.count(), 3u);
}

TEST_F(LibraryTest, LikedSongsWithoutAStreamAreRowsAndTwoQuickUnlikesBothTakeEffect) {
    // The service lists the likes without their stream addresses and answers likes late.
    startService({"--throttle-streams", "--fault", "/player/likes=no-sources", "--fault", "/sound/like=delay:500"});
    ASSERT_TRUE(startProgram());
    ASSERT_TRUE(loginAndWait(kDemoPhone, kDemoPassword, false, 45));
    EXPECT_EQ(likes().cellText(1, column::kSource), QString());

    // Such a row is collected like any other.
    likes().setSelectedRow(3);
    choose(*libraryPanel().likesMenu, panel::likes_menu::kCollect);
    ASSERT_EQ(collection().rowCount(), 1);
    EXPECT_EQ(collection().cellText(1, column::kId), likes().cellText(3, column::kId));

    // Two unlikes 50 ms apart: the second waits for the first instead of cancelling it.
    const QString first = likes().cellText(1, column::kId);
    const QString second = likes().cellText(2, column::kId);
    likes().setSelectedRow(1);
    choose(*libraryPanel().likesMenu, panel::likes_menu::kDelete);
    UiDriver::pump(50ms);
    likes().setSelectedRow(2);
    choose(*libraryPanel().likesMenu, panel::likes_menu::kDelete);
    ASSERT_TRUE(UiDriver::pumpUntil(
        [&] { return !library().unliking() && !library().loadingLikes() && likes().rowCount() == 43; }, 20s));
    const auto ids = column(likes(), column::kId);
    EXPECT_EQ(std::count(ids.begin(), ids.end(), first), 0);
    EXPECT_EQ(std::count(ids.begin(), ids.end(), second), 0);
    EXPECT_EQ(requests("POST /sound/like"), 2);
    // Each unlike's own outcome, a refresh: the login's four pages, then four after each.
    EXPECT_EQ(requests("POST /player/likes"), 12);
}

TEST_F(LibraryTest, ARefreshDuringLoadingEndsTheEarlierChain) {
    startService({"--throttle-streams", "--fault", "/player/likes=delay:150"});
    ASSERT_TRUE(startProgram());
    clickLogin(kDemoPhone, kDemoPassword, false);
    ASSERT_TRUE(UiDriver::pumpUntil([&] { return likes().rowCount() >= 20; }, 15s));
    // Refreshes while the chain still runs, from the likes menu.
    choose(*libraryPanel().likesMenu, panel::likes_menu::kReload);
    UiDriver::pump(200ms);
    choose(*libraryPanel().likesMenu, panel::likes_menu::kReload);
    ASSERT_TRUE(waitForLikes(45, 20s));
    UiDriver::pump(500ms);
    const auto ids = column(likes(), column::kId);
    ASSERT_EQ(ids.size(), 45u);
    EXPECT_EQ(std::set<QString>(ids.begin(), ids.end()).size(), 45u) << "no row twice";
    EXPECT_EQ(column(likes(), column::kNumber).back(), "45");

    // A likes row enters the collection with its uploader.
    likes().setSelectedRow(5);
    choose(*libraryPanel().likesMenu, panel::likes_menu::kCollect);
    ASSERT_EQ(collection().rowCount(), 1);
    EXPECT_EQ(collection().cellText(1, column::kId), likes().cellText(5, column::kId));
    EXPECT_EQ(collection().cellText(1, column::kUploader), likes().cellText(5, column::kUploader));
}

}  // namespace
}  // namespace vamu::test
