#include "account/credentials.h"

#include "account/scramble.h"

#include <nlohmann/json.hpp>

namespace vamu::account {

std::string storeCredentials(const Credentials& credentials) {
    return scrambleText(
        scrambleText(credentials.account, kCredentialKey) + "," + scrambleText(credentials.password, kCredentialKey),
        kCredentialKey);
}

std::optional<Credentials> readCredentials(std::string_view userdata) {
    const std::string inner = unscrambleText(userdata, kCredentialKey);
    const std::size_t comma = inner.find(',');
    // A hand-edited text without two parts: no login is tried with half of it.
    if (comma == std::string::npos) return std::nullopt;
    Credentials credentials{unscrambleText(std::string_view(inner).substr(0, comma), kCredentialKey),
                            unscrambleText(std::string_view(inner).substr(comma + 1), kCredentialKey)};
    if (credentials.account.empty() && credentials.password.empty()) return std::nullopt;
    return credentials;
}

std::string keyringSecret(const RememberedLogin& login) {
    const nlohmann::json secret = {{"account", login.account}, {"password", login.password}, {"cookie", login.cookie}};
    return secret.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::optional<RememberedLogin> readKeyringSecret(std::string_view text) {
    const nlohmann::json secret = nlohmann::json::parse(text, nullptr, false);
    if (!secret.is_object()) return std::nullopt;
    const auto member = [&](const char* name) {
        const auto found = secret.find(name);
        return found != secret.end() && found->is_string() ? found->get<std::string>() : std::string();
    };
    RememberedLogin login{member("account"), member("password"), member("cookie")};
    if (login.account.empty() || login.password.empty()) return std::nullopt;
    return login;
}

}  // namespace vamu::account
