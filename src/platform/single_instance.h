#pragma once
// One running instance per settings folder. The first process to take the lock file
// becomes the primary instance and listens on a local socket; a later process finds
// the lock taken, hands its request (one text line, "raise" for a plain start) to the
// primary through the socket and ends. Keyed on the settings folder, so tests with
// their own XDG_CONFIG_HOME never meet a user's running program.
//
// UI thread only; requests reach the primary's handler on its UI thread.

#include <QString>

#include <chrono>
#include <functional>
#include <memory>

class QLocalServer;

namespace vamu::platform {

class SingleInstance {
public:
    // The request a plain second start sends.
    static constexpr const char* kRaiseRequest = "raise";

    enum class Role { Primary, Secondary };

    // Takes the lock for `key` (any text; it is hashed into the names). A Primary
    // listens at once; a Secondary only knows that another instance runs.
    explicit SingleInstance(const QString& key);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    [[nodiscard]] Role role() const { return m_role; }

    // Primary: each request line that arrives is given to the handler.
    void onRequest(std::function<void(const QString&)> handler) { m_handler = std::move(handler); }

    // Secondary: delivers the request to the primary; false when it could not be
    // delivered within the time (the primary may still be starting: connecting is
    // retried until then).
    bool sendToPrimary(const QString& request, std::chrono::milliseconds within) const;

    // The names derived from the key (for tests and diagnostics).
    [[nodiscard]] QString serverName() const { return m_serverName; }
    [[nodiscard]] QString lockPath() const { return m_lockPath; }

private:
    void listen();
    void acceptConnections();

    Role m_role = Role::Secondary;
    QString m_serverName;
    QString m_lockPath;
    int m_lockFd = -1;
    std::unique_ptr<QLocalServer> m_server;
    std::function<void(const QString&)> m_handler;
};

}  // namespace vamu::platform
