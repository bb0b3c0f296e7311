#pragma once
// What the account, library and search tests share: the song-list view's tabs, a login
// through the login panel, and a restart on the same settings.

#include "integration/program_fixture.h"

#include "account/account_controller.h"
#include "catalogue/search_controller.h"
#include "library/library_controller.h"

namespace vamu::test {

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
    void openTab(panel::ListTab list);
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
};

}  // namespace vamu::test
