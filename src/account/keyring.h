#pragma once
// The remembered login in the desktop's keyring: the Secret Service on the session bus
// (GNOME Keyring, KWallet, KeePassXC), reached through libsecret. One item in the
// default collection, labelled "vamu: ACCOUNT", with the attributes application "vamu"
// and account ACCOUNT; its secret is keyringSecret() of the login (credentials.h). Qt-free.
//
// Every call blocks its thread: the keyring may first ask the user to unlock it, which
// can take minutes. Call them on a worker; a stop request ends the wait at once (the
// result is then Unavailable). Any thread; calls from several threads are safe.

#include "account/credentials.h"

#include <optional>
#include <stop_token>
#include <string>
#include <string_view>

namespace vamu::account {

inline constexpr std::string_view kKeyringApplication = "vamu";

enum class KeyringStatus {
    Done,         // stored, found or deleted
    Empty,        // a lookup found no login of ours
    Unavailable,  // no session bus, no keyring on it, left locked, stopped, or another error
};

struct KeyringResult {
    KeyringStatus status = KeyringStatus::Unavailable;
    std::string reason;                    // Unavailable: why, in a few words for the log
    std::optional<RememberedLogin> login;  // a lookup that is Done
};

// Replaces every login of ours in the keyring with `login`.
[[nodiscard]] KeyringResult rememberInKeyring(const RememberedLogin& login, std::stop_token stop);
// The login of ours, unlocking the keyring when it is locked.
[[nodiscard]] KeyringResult recallFromKeyring(std::stop_token stop);
// Deletes every login of ours.
[[nodiscard]] KeyringResult forgetInKeyring(std::stop_token stop);

// Lets go of the keyring's connection and session, which libsecret keeps for the
// process; the next call makes new ones. For the program's end; calls still running
// keep what they use.
void closeKeyring();

// "vamu: ACCOUNT".
[[nodiscard]] std::string keyringLabel(std::string_view account);

}  // namespace vamu::account
