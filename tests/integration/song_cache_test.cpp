// The song cache in the whole program: a song heard whole plays, and downloads, from its
// file without a stream request; a file cut short behind the cache's back is not played.
#include "integration/program_fixture.h"

#include "app/program_menus.h"
#include "catalogue/radio_controller.h"
#include "core/settings_keys.h"
#include "library/download_controller.h"
#include "playback/player_controller.h"
#include "playback/song_cache.h"

namespace vamu::test {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

class SongCacheProgramTest : public ProgramFixture {
protected:
    playback::PlayerController& player() { return m_program->player(); }
    bool playing() { return m_program->engine().isActive(player().stream()) == playback::ActivityState::Playing; }
};

TEST_F(SongCacheProgramTest, ASongHeardWholeComesFromItsFileUnlessTheFileWasCutShort) {
    startService({});  // songs arrive as fast as they are read
    writeSetting(core::setting::kDownloadSound.name, "0");
    ASSERT_TRUE(startProgram());
    ASSERT_TRUE(waitForGrid());
    ASSERT_TRUE(UiDriver::click(*m_program->radio().tileControl(1)));
    ASSERT_TRUE(UiDriver::pumpUntil([&] { return playing(); }, 40s));
    const net::SongEntry song = player().model().currentSong();
    const fs::path kept = fs::path(playback::songCacheFolder()) / (song.id + ".mp3");
    ASSERT_TRUE(UiDriver::pumpUntil([&] { return fs::exists(kept); }, 20s));
    const std::uintmax_t size = fs::file_size(kept);
    player().nextSong();
    ASSERT_TRUE(UiDriver::pumpUntil([&] { return playing() && player().model().currentSongId() != song.id; }, 40s));
    const int streams = requests("/media/sound/");

    player().playRepeating(song);  // as a typed id plays it
    ASSERT_TRUE(UiDriver::pumpUntil([&] { return playing(); }, 40s));
    ASSERT_TRUE(UiDriver::click(*window().libraryPanel().download));
    for (int i = 0; i < 100 && m_program->download().watching(); ++i) {
        UiDriver::pump(50ms);
        m_program->download().tick();
    }
    EXPECT_FALSE(m_program->download().watching());
    EXPECT_EQ(fs::file_size(m_program->download().target()), size);
    EXPECT_EQ(requests("/media/sound/"), streams);

    fs::resize_file(kept, size / 2);
    player().playRepeating(song);
    ASSERT_TRUE(UiDriver::pumpUntil([&] { return playing(); }, 40s));
    EXPECT_EQ(requests("/media/sound/"), streams + 1);
    EXPECT_TRUE(UiDriver::pumpUntil([&] { return fs::exists(kept) && fs::file_size(kept) == size; }, 20s));

    toolkit::PopupMenu& settings = m_program->menus().settingsMenu();  // its last item empties the cache
    ASSERT_EQ(m_program->menus().clearSongCacheItem(), settings.count());
    settings.item(settings.count())->handler();
    EXPECT_FALSE(fs::exists(kept));
}

}  // namespace
}  // namespace vamu::test
