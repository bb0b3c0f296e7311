#include "account/registration_window.h"
#include "toolkit/qt_text.h"

#include "account/account_texts.h"
#include "core/text_encoding.h"
#include "toolkit/message_box.h"

namespace vamu::account {
namespace {

using toolkit::qText;

// A phone number is 11 bytes of text; what they are is the service's business.
constexpr std::size_t kPhoneBytes = 11;

constexpr int kEmptyPhoneWidth = 220;
constexpr int kWrongInputWidth = 240;
constexpr int kSuccessWidth = 180;
constexpr int kDefaultWidth = 0;
// Windows colour value (red 150, green 190, blue 235): the white title and the black
// captions both read on it.
constexpr long long kBackground = 0xEBBE96;

// In window coordinates, below the caption.
constexpr QRect kPhoneLabel{10, 35, 50, 25};
constexpr QRect kPhoneBox{62, 35, 125, 25};
constexpr QRect kCodeLabel{10, 67, 50, 25};
constexpr QRect kCodeBox{62, 67, 55, 25};
constexpr QRect kSendCode{120, 67, 67, 25};
constexpr QRect kPasswordLabel{10, 99, 50, 25};
constexpr QRect kPasswordBox{62, 99, 125, 25};
constexpr QRect kSubmit{60, 132, 80, 28};

}  // namespace

RegistrationWindow::RegistrationWindow(QPoint topLeft, net::ServiceContext context, platform::Scheduler& scheduler,
                                       int serial, toolkit::MessageFunction message)
    : m_host(std::make_unique<toolkit::HostWindow>()),
      m_context(std::move(context)),
      m_scheduler(scheduler),
      m_timerName("注册倒计时" + std::to_string(serial)),
      m_message(std::move(message)) {
    toolkit::WindowSetup window;
    window.title = qText(text::kRegistrationTitle);
    window.left = topLeft.x();
    window.top = topLeft.y();
    window.size = QSize(kWidth, kHeight);
    toolkit::AttachOptions options;
    options.captionFlags = toolkit::caption::kTitle | toolkit::caption::kClose;
    options.backgroundColour = kBackground;
    if (!m_host->attach(toolkit::createNativeWindow(window), options)) return;
    m_host->setTitle(qText(text::kRegistrationTitle));
    // Closing hides the window; its requests and countdown end with it, and the owner
    // lets the object go at the next opening.
    m_host->bindClose([this](const toolkit::Event&) {
        m_closed = true;
        stopAll();
        return false;
    });
    build();
    m_host->show();
}

RegistrationWindow::~RegistrationWindow() {
    stopAll();
    if (m_host) m_host->destroyWindow();
}

bool RegistrationWindow::valid() const { return m_host && m_host->nativeWindow() != nullptr && m_submit != nullptr; }

bool RegistrationWindow::closed() const { return m_closed || !m_host || m_host->nativeWindow() == nullptr; }

void RegistrationWindow::stopAll() {
    m_scheduler.stopTimer(m_timerName);
    m_codeRequest.stop();
    m_registrations.stop();
}

void RegistrationWindow::build() {
    using toolkit::Button;
    using toolkit::Edit;
    using toolkit::Label;
    Label::create(*m_host, kPhoneLabel, {.text = qText(text::kPhoneLabel)});
    Label::create(*m_host, kCodeLabel, {.text = qText(text::kCodeLabel)});
    Label::create(*m_host, kPasswordLabel, {.text = qText(text::kPasswordLabel)});
    m_phone = Edit::create(*m_host, kPhoneBox);
    m_code = Edit::create(*m_host, kCodeBox);
    toolkit::EditOptions password;
    password.inputType = toolkit::input_type::kPassword;
    m_password = Edit::create(*m_host, kPasswordBox, password);
    m_sendCode = Button::create(*m_host, kSendCode, {.text = qText(text::kSendCode)});
    m_submit = Button::create(*m_host, kSubmit, {.text = qText(text::kSubmit)});
    if (!m_sendCode || !m_submit) return;
    m_submit->setDisabled(true);
    m_sendCode->bindClick([this](const toolkit::Event&) {
        requestCode();
        return false;
    });
    m_submit->bindClick([this](const toolkit::Event&) {
        submitRegistration();
        return false;
    });
}

void RegistrationWindow::showMessage(std::string_view title, std::string_view text, int width) {
    if (!m_message) return;
    toolkit::MessageRequest request;
    request.title = qText(title);
    request.text = qText(text);
    request.icon = toolkit::message_icon::kInformation;
    request.width = width;
    request.owner = m_host.get();
    (void)m_message(request);
}

void RegistrationWindow::requestCode() {
    const std::string phone = m_phone->text().toStdString();
    if (phone.empty()) return showMessage(net::kTitleError, text::kEnterPhone, kEmptyPhoneWidth);
    if (core::gbkByteLength(phone) != kPhoneBytes)
        return showMessage(net::kTitleError, text::kWrongPhone, kWrongInputWidth);
    m_sendCode->setDisabled(true);
    m_codeRequest.start(
        [context = m_context, phone](std::stop_token stop) {
            net::ServiceReply reply =
                net::callService(context, net::endpoint::kCodeRequest, {net::ParamValue::text(phone)}, stop);
            return Reply{reply.outcome, std::move(reply.refusalText)};
        },
        [this](Reply reply) { codeAnswered(std::move(reply)); });
}

void RegistrationWindow::codeAnswered(Reply reply) {
    if (reply.outcome == net::ServiceOutcome::Refused) {
        showMessage(net::kTitleError, reply.refusalText, kDefaultWidth);
        m_sendCode->setDisabled(false);
        return;
    }
    // No answer or no judgement: the button stays off, as the user sees nothing happen.
    if (reply.outcome != net::ServiceOutcome::Succeeded) return;
    showMessage(net::kTitleNotice, text::kCodeSent, kSuccessWidth);
    m_submit->setDisabled(false);
    m_remaining = kCountdownSeconds;
    m_scheduler.startTimer(m_timerName, kCountdownStep, [this] { countdownTick(); });
}

void RegistrationWindow::countdownTick() {
    --m_remaining;
    if (m_remaining > 0) {
        m_sendCode->setText(QString::number(m_remaining) + qText(text::kSeconds));
        return;
    }
    m_scheduler.stopTimer(m_timerName);
    m_sendCode->setText(qText(text::kSendCode));
    m_sendCode->setDisabled(false);
}

void RegistrationWindow::submitRegistration() {
    const std::string phone = m_phone->text().toStdString();
    const std::string code = m_code->text().toStdString();
    const std::string password = m_password->text().toStdString();
    if (core::gbkByteLength(phone) != kPhoneBytes)
        return showMessage(net::kTitleError, text::kWrongPhone, kWrongInputWidth);
    if (password.empty()) return showMessage(net::kTitleError, text::kEnterPassword, kWrongInputWidth);
    m_registrations.enqueue(
        [context = m_context, code, phone, password](std::stop_token stop) {
            net::ServiceReply reply = net::callService(
                context, net::endpoint::kRegister,
                {net::ParamValue::text(code), net::ParamValue::text(phone), net::ParamValue::text(password)}, stop);
            return Reply{reply.outcome, std::move(reply.refusalText)};
        },
        [this](Reply reply) { registrationAnswered(std::move(reply)); });
}

void RegistrationWindow::registrationAnswered(Reply reply) {
    if (reply.outcome == net::ServiceOutcome::Succeeded) {
        m_submit->setDisabled(true);
        m_phone->setText({});
        m_code->setText({});
        m_password->setText({});
        showMessage(net::kTitleNotice, text::kRegistered, kSuccessWidth);
    } else if (reply.outcome == net::ServiceOutcome::Refused) {
        // A new code must be asked for before the next attempt.
        m_submit->setDisabled(true);
        showMessage(net::kTitleError, reply.refusalText, kDefaultWidth);
    }
}

}  // namespace vamu::account
