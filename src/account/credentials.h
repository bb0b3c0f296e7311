#pragma once
// The remembered account and password as the settings file keeps them ("userdata"):
// scramble(scramble(account) "," scramble(password)), every scramble with
// kCredentialKey. Qt-free.

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

}  // namespace vamu::account
