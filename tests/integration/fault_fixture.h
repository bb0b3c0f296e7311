#pragma once
// The whole program against a misbehaving vamu-service: fault rules set and cleared
// through the service's admin endpoint, a latency probe on the UI thread for the whole
// case, and a check that nothing the user can see holds a reply's raw text.

#include "integration/account_fixture.h"

#include "catalogue/details_controller.h"
#include "catalogue/radio_controller.h"
#include "comments/comments_controller.h"
#include "companion/companion_controller.h"
#include "net/song_entry.h"
#include "playback/audio_engine.h"
#include "playback/player_controller.h"
#include "support/latency_probe.h"

#include <string>
#include <vector>

namespace vamu::test {

// A song of the hot list's first pages, as the service describes it.
class FaultFixture : public AccountFixture {
protected:
    ~FaultFixture() override;

    playback::PlayerController& player() { return m_program->player(); }
    catalogue::RadioController& radio() { return m_program->radio(); }
    comments::CommentsController& comments() { return m_program->comments(); }
    catalogue::DetailsController& details() { return m_program->details(); }
    companion::CompanionController& companion() { return m_program->companion(); }
    const playback::PlayerPanel& playerPanel() { return window().playerPanel(); }
    playback::ActivityState activity() { return m_program->engine().isActive(player().stream()); }

    [[nodiscard]] bool waitForPlaying(std::chrono::milliseconds deadline = std::chrono::seconds(20));
    // The same while the 500 ms retry timer keeps firing (at most 20 retries).
    [[nodiscard]] bool waitForRetriedPlaying();

    // Every text the user can see now: window titles, the player's lines, the details,
    // the statistics tooltip, every cell of the three lists, every message box.
    [[nodiscard]] std::vector<QString> shownTexts();
    // None of them holds a piece of a reply the program could not read.
    void expectNoRawText();
    // No message box at all was shown.
    void expectNoMessage();
    // The UI thread never stalled beyond the budget (where the build is one it applies
    // to); the worst stall is printed for the log.
    void expectResponsive(std::string_view scenario);

    LatencyProbe m_probe;
};

}  // namespace vamu::test
