#include "integration/account_fixture.h"

#include "net/http_request.h"
#include "net/json_document.h"

namespace vamu::test {

void AccountFixture::openTab(panel::ListTab list) {
    const auto& views = window().views();
    if (!UiDriver::visible(*views.songLists)) {
        ASSERT_TRUE(UiDriver::click(*views.listButton));
    }
    panel::Button* tab = views.lists.collectionTab;
    if (list == panel::ListTab::Songs) tab = views.lists.songsTab;
    if (list == panel::ListTab::Likes) tab = views.lists.likesTab;
    if (!tab->isDisabled()) {
        ASSERT_TRUE(UiDriver::click(*tab));
    }
}

void AccountFixture::clickLogin(std::string_view account, std::string_view password, bool autoLogin) {
    openTab(panel::ListTab::Likes);
    loginPanel().account->setText(QString::fromUtf8(account.data(), static_cast<qsizetype>(account.size())));
    loginPanel().password->setText(QString::fromUtf8(password.data(), static_cast<qsizetype>(password.size())));
    loginPanel().autoLogin->setChecked(autoLogin);
    ASSERT_TRUE(UiDriver::click(*loginPanel().login));
}

bool AccountFixture::waitForLikes(int rows, std::chrono::milliseconds deadline) {
    return UiDriver::pumpUntil([&] { return likes().rowCount() == rows && !library().loadingLikes(); }, deadline);
}

bool AccountFixture::loginAndWait(std::string_view account, std::string_view password, bool autoLogin, int likes) {
    clickLogin(account, password, autoLogin);
    if (!UiDriver::pumpUntil([&] { return m_program->serviceContext().session->loggedIn(); },
                             std::chrono::seconds(15))) {
        return false;
    }
    return waitForLikes(likes);
}

bool AccountFixture::restartProgram() {
    m_program.reset();
    return startProgram();
}

bool AccountFixture::registerDirectly(std::string_view phone, std::string_view password) {
    const std::size_t from = m_service->logLineCount();
    net::HttpRequestArgs code;
    code.url = m_service->apiUrl("/index/code");
    code.method = 1;
    code.cookies = std::string();
    code.body = "phone=" + std::string(phone) + "&type=0&v=9";
    const net::HttpReply sent = net::httpRequest(code);
    const auto sms = m_service->waitForSmsCode(phone, from);
    if (!sms) return false;
    net::HttpRequestArgs form;
    form.url = m_service->apiUrl("/index/register");
    form.method = 1;
    form.cookies = sent.responseCookies.value_or("");
    form.body = "code=" + *sms + "&phone=" + std::string(phone) + "&password=" + std::string(password) +
                "&v=9&device_token=0&device_type=ios";
    const net::HttpReply reply = net::httpRequest(form);
    net::JsonDocument document;
    return document.load(reply.body) && document.getText("state") == "1";
}

std::vector<QString> AccountFixture::column(const panel::ListView& list, int column) {
    std::vector<QString> texts;
    for (int row = 1; row <= list.rowCount(); ++row) texts.push_back(list.cellText(row, column));
    return texts;
}

}  // namespace vamu::test
