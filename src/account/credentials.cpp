#include "account/credentials.h"

#include "account/scramble.h"

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

}  // namespace vamu::account
