#pragma once
// The remembered login in its two stored forms. In the settings file ("userdata"):
// scramble(scramble(account) "," scramble(password)), every scramble with
// kCredentialKey. In the keyring: the secret text of the item, a JSON object with the
// account, the password and the session cookie. Qt-free.

#include <optional>
#include <string>
#include <string_view>

namespace vamu::account {

struct Credentials {
    std::string account;
    std::string password;
};

[[nodiscard]] std::string storeCredentials(const Credentials& credentials);
// nullopt when the text was made with another key or does not hold two parts.
[[nodiscard]] std::optional<Credentials> readCredentials(std::string_view userdata);

struct RememberedLogin {
    std::string account;
    std::string password;
    std::string cookie;  // may be empty: then there is nothing to resume at start
};

// {"account": ..., "password": ..., "cookie": ...}; bytes that are not UTF-8 are replaced.
[[nodiscard]] std::string keyringSecret(const RememberedLogin& login);
// nullopt unless the text is such an object with an account and a password (another
// program may have written an item under our attributes). The cookie may be missing.
[[nodiscard]] std::optional<RememberedLogin> readKeyringSecret(std::string_view text);

}  // namespace vamu::account
