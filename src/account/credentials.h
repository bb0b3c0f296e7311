#pragma once
// The remembered login in its two stored forms. In the settings file ("userdata"):
// scramble(scramble(account) "," scramble(password)), every scramble with
// kCredentialKey. In the keyring: the secret text of the item, a JSON object with the
// password and the session cookie (the account is the item's attribute). Qt-free.

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

// {"password": ..., "cookie": ...}; texts that are not UTF-8 have their bad bytes replaced.
[[nodiscard]] std::string keyringSecret(std::string_view password, std::string_view cookie);
struct KeyringSecret {
    std::string password;
    std::string cookie;
};
// nullopt unless the text is such an object with a non-empty password (another program
// may have written an item under our attributes).
[[nodiscard]] std::optional<KeyringSecret> readKeyringSecret(std::string_view text);

}  // namespace vamu::account
