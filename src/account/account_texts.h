#pragma once
// The account's fixed texts, written once.

#include <string_view>

namespace vamu::account::text {

inline constexpr std::string_view kEnterAccount = "请输入账号";
inline constexpr std::string_view kEnterPassword = "请输入密码";
inline constexpr std::string_view kEnterPhone = "请输入手机号码";
inline constexpr std::string_view kWrongPhone = "请输入正确的手机号";
inline constexpr std::string_view kCodeSent = "发送成功";
inline constexpr std::string_view kRegistered = "注册成功";
inline constexpr std::string_view kRegistrationTitle = "账号注册";
inline constexpr std::string_view kSendCode = "发送验证码";
inline constexpr std::string_view kSeconds = "秒";
inline constexpr std::string_view kSubmit = "提交注册";
inline constexpr std::string_view kPhoneLabel = "手机号:";
inline constexpr std::string_view kCodeLabel = "验证码:";
inline constexpr std::string_view kPasswordLabel = "密  码:";

}  // namespace vamu::account::text
