#include "integration/account_fixture.h"

#include "net/http_request.h"
#include "net/json_document.h"

namespace vamu::test {

MessageWatcher::MessageWatcher() {
    QObject::connect(&m_timer, &QTimer::timeout, [this] {
        toolkit::HostWindow* box = toolkit::currentMessageBox();
        if (!box || !box->paintReady()) return;
        // A closed box stays current until its loop has ended: read each box once.
        if (box->windowHandle().value == m_lastBox) return;
        m_lastBox = box->windowHandle().value;
        SeenMessage message;
        message.title = box->title();
        message.width = box->width();
        for (const auto& control : box->controls().controls()) {
            if (control->className() == "Label" && control.get() != box->captionControl(toolkit::caption::kTitle)) {
                message.text = UiDriver::text(*control);
                break;
            }
        }
        m_seen.push_back(message);
        box->close();
    });
    m_timer.start(5);
}

bool MessageWatcher::waitFor(std::size_t count, std::chrono::milliseconds deadline) {
    return UiDriver::pumpUntil([&] { return m_seen.size() >= count; }, deadline);
}

void AccountFixture::openTab(panel::SongList list) {
    const auto& views = window().views();
    if (!UiDriver::visible(*views.songLists)) {
        ASSERT_TRUE(UiDriver::click(*views.listButton));
    }
    panel::Button* tab = views.lists.collectionTab;
    if (list == panel::SongList::Songs) tab = views.lists.songsTab;
    if (list == panel::SongList::Likes) tab = views.lists.likesTab;
    if (!tab->isDisabled()) {
        ASSERT_TRUE(UiDriver::click(*tab));
    }
}

void AccountFixture::clickLogin(std::string_view account, std::string_view password, bool autoLogin) {
    openTab(panel::SongList::Likes);
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
