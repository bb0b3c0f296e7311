#include "account/keyring.h"

#include <libsecret/secret.h>

#include <memory>

namespace vamu::account {
namespace {

constexpr const char* kApplication = "vamu";
constexpr const char* kApplicationAttribute = "application";
constexpr const char* kAccountAttribute = "account";

// The schema's name is stored in the item (xdg:schema) but never searched for: a locked
// GNOME Keyring finds no item by it, so the lookup at start could not unlock the item.
const SecretSchema kSchema = {"org.vamu.Login",
                              SECRET_SCHEMA_DONT_MATCH_NAME,
                              {
                                  {kApplicationAttribute, SECRET_SCHEMA_ATTRIBUTE_STRING},
                                  {kAccountAttribute, SECRET_SCHEMA_ATTRIBUTE_STRING},
                                  {nullptr, SECRET_SCHEMA_ATTRIBUTE_STRING},
                              }};

struct ErrorFree {
    void operator()(GError* error) const { g_error_free(error); }
};
struct ObjectUnref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
struct ItemListFree {
    void operator()(GList* list) const { g_list_free_full(list, g_object_unref); }
};
struct ValueUnref {
    void operator()(SecretValue* value) const { secret_value_unref(value); }
};

// A GCancellable that a stop request cancels, for as long as it lives.
class Cancellation {
public:
    explicit Cancellation(std::stop_token stop)
        : m_cancellable(g_cancellable_new()), m_callback(std::move(stop), Cancel{m_cancellable.get()}) {}
    [[nodiscard]] GCancellable* get() const { return m_cancellable.get(); }

private:
    struct Cancel {
        GCancellable* cancellable = nullptr;
        void operator()() const noexcept { g_cancellable_cancel(cancellable); }
    };
    std::unique_ptr<GCancellable, ObjectUnref> m_cancellable;  // declared first: outlives the callback
    std::stop_callback<Cancel> m_callback;
};

KeyringResult unavailable(std::string reason) { return {KeyringStatus::Unavailable, std::move(reason), {}}; }

// Takes the error that a call left (which may be none) and says what it was.
KeyringResult failed(GError* raw, std::string_view otherwise) {
    const std::unique_ptr<GError, ErrorFree> error(raw);
    if (error && g_error_matches(error.get(), G_IO_ERROR, G_IO_ERROR_CANCELLED)) return unavailable("stopped");
    return unavailable(error ? std::string(error->message) : std::string(otherwise));
}

// Why no keyring can be there before libsecret is asked, or nullopt when a session bus is.
std::optional<KeyringResult> withoutSessionBus(GCancellable* cancellable) {
    GError* raw = nullptr;
    GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, cancellable, &raw);
    if (!bus) {
        KeyringResult result = failed(raw, "no session bus");
        if (result.reason != "stopped") result.reason = "no session bus: " + result.reason;
        return result;
    }
    // GLib ends the whole process when this connection closes; a session bus that goes
    // away costs the program its keyring, nothing more. libsecret shares this connection.
    g_dbus_connection_set_exit_on_close(bus, FALSE);
    g_object_unref(bus);
    return std::nullopt;
}

}  // namespace

std::string keyringLabel(std::string_view account) { return "vamu: " + std::string(account); }

KeyringResult rememberInKeyring(const RememberedLogin& login, std::stop_token stop) {
    // Attribute values travel on the bus as strings, which must be UTF-8.
    if (!g_utf8_validate(login.account.data(), static_cast<gssize>(login.account.size()), nullptr)) {
        return unavailable("the account name is not UTF-8");
    }
    const Cancellation cancellation(std::move(stop));
    if (auto missing = withoutSessionBus(cancellation.get())) return *missing;
    GError* raw = nullptr;
    // Another account's login would stay behind and could be read at the next start.
    secret_password_clear_sync(&kSchema, cancellation.get(), &raw, kApplicationAttribute, kApplication, nullptr);
    if (raw) return failed(raw, {});
    const std::string label = keyringLabel(login.account);
    const std::string secret = keyringSecret(login);
    const gboolean stored = secret_password_store_sync(&kSchema, SECRET_COLLECTION_DEFAULT, label.c_str(),
                                                       secret.c_str(), cancellation.get(), &raw, kApplicationAttribute,
                                                       kApplication, kAccountAttribute, login.account.c_str(), nullptr);
    if (!stored) return failed(raw, "the keyring refused the item");
    return {KeyringStatus::Done, {}, {}};
}

KeyringResult recallFromKeyring(std::stop_token stop) {
    const Cancellation cancellation(std::move(stop));
    if (auto missing = withoutSessionBus(cancellation.get())) return *missing;
    GError* raw = nullptr;
    const auto flags = static_cast<SecretSearchFlags>(SECRET_SEARCH_UNLOCK | SECRET_SEARCH_LOAD_SECRETS);
    const std::unique_ptr<GList, ItemListFree> items(secret_password_search_sync(
        &kSchema, flags, cancellation.get(), &raw, kApplicationAttribute, kApplication, nullptr));
    if (raw) return failed(raw, {});
    if (!items) return {KeyringStatus::Empty, {}, {}};

    auto* item = static_cast<SecretRetrievable*>(items->data);
    const std::unique_ptr<SecretValue, ValueUnref> value(
        secret_retrievable_retrieve_secret_sync(item, cancellation.get(), &raw));
    // An unlock the user refused leaves the item locked, and its secret out of reach.
    if (!value) return failed(raw, "the keyring stayed locked");
    // The account is read from the secret, not from the attributes: an item found while
    // locked keeps the attributes it showed then, and a locked GNOME Keyring shows none.
    gsize length = 0;
    const gchar* bytes = secret_value_get(value.get(), &length);
    auto login = readKeyringSecret(std::string_view(bytes, length));
    if (!login) return unavailable("the keyring's item holds no login");
    return {KeyringStatus::Done, {}, std::move(login)};
}

KeyringResult forgetInKeyring(std::stop_token stop) {
    const Cancellation cancellation(std::move(stop));
    if (auto missing = withoutSessionBus(cancellation.get())) return *missing;
    GError* raw = nullptr;
    // False with no error means there was nothing to delete.
    secret_password_clear_sync(&kSchema, cancellation.get(), &raw, kApplicationAttribute, kApplication, nullptr);
    if (raw) return failed(raw, {});
    return {KeyringStatus::Done, {}, {}};
}

void closeKeyring() { secret_service_disconnect(); }

}  // namespace vamu::account
