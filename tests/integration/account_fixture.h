#pragma once
// What the account, library and search tests share: a watcher that reads and closes
// every message box the program shows, the song-list view's tabs, a login through the
// login panel, and counts of the requests the service logged.

#include "integration/program_fixture.h"

#include "account/account_controller.h"
#include "catalogue/search_controller.h"
#include "library/library_controller.h"
#include "toolkit/message_box.h"

#include <QTimer>

namespace vamu::test {

// A message box as the user saw it.
struct SeenMessage {
    QString title;
    QString text;
    int width = 0;
};

// Reads every message box that appears and closes it. Lives for a test.
class MessageWatcher {
public:
    MessageWatcher();
    [[nodiscard]] const std::vector<SeenMessage>& seen() const { return m_seen; }
    [[nodiscard]] std::size_t count() const { return m_seen.size(); }
    // Pumps until `count` boxes have been seen.
    [[nodiscard]] bool waitFor(std::size_t count, std::chrono::milliseconds deadline = std::chrono::seconds(10));
    void clear() { m_seen.clear(); }

private:
    std::vector<SeenMessage> m_seen;
    std::uint64_t m_lastBox = 0;  // handle value of the box read last
    QTimer m_timer;
};

class AccountFixture : public ProgramFixture {
protected:
    account::AccountController& account() { return m_program->account(); }
    library::LibraryController& library() { return m_program->library(); }
    catalogue::SearchController& search() { return m_program->search(); }
    const account::LoginPanel& loginPanel() { return window().loginPanel(); }
    const library::LibraryPanel& libraryPanel() { return window().libraryPanel(); }
    const catalogue::SearchPanel& searchPanel() { return window().searchPanel(); }
    panel::ListView& likes() { return *libraryPanel().likes; }
    panel::ListView& collection() { return *libraryPanel().collection; }

    // Shows the song-list view with the tab of `list` open.
    void openTab(panel::SongList list);
    // Types into the login panel and clicks "登陆" (the likes tab open).
    void clickLogin(std::string_view account, std::string_view password, bool autoLogin);
    // Logs in and waits until the likes have all arrived (`likes` rows, no chain running).
    [[nodiscard]] bool loginAndWait(std::string_view account, std::string_view password, bool autoLogin, int likes);
    [[nodiscard]] bool waitForLikes(int rows, std::chrono::milliseconds deadline = std::chrono::seconds(20));
    // Restarts the program on the same settings and data.
    [[nodiscard]] bool restartProgram();

    // A new account registered through the service itself (not through the program).
    [[nodiscard]] bool registerDirectly(std::string_view phone, std::string_view password);

    // The text of each row in a list's column.
    [[nodiscard]] static std::vector<QString> column(const panel::ListView& list, int column);

    MessageWatcher m_messages;
};

}  // namespace vamu::test
