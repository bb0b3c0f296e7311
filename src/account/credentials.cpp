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

std::string keyringSecret(std::string_view password, std::string_view cookie) {
    const nlohmann::json secret = {{"password", password}, {"cookie", cookie}};
    return secret.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::optional<KeyringSecret> readKeyringSecret(std::string_view text) {
    const nlohmann::json secret = nlohmann::json::parse(text, nullptr, false);
    if (!secret.is_object()) return std::nullopt;
    const auto password = secret.find("password");
    const auto cookie = secret.find("cookie");
    if (password == secret.end() || !password->is_string() || password->get_ref<const std::string&>().empty()) {
        return std::nullopt;
    }
    KeyringSecret read{password->get<std::string>(), {}};
    if (cookie != secret.end() && cookie->is_string()) read.cookie = cookie->get<std::string>();
    return read;
}

}  // namespace vamu::account
