#pragma once
// The other side of the program's bus traffic in the desktop bus tests, each on a
// connection of its own as a separate process would be: a notification server that
// records what it is asked to show, and a media client that reads, sets and calls
// the player's interfaces and records the PropertiesChanged signals.

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

#include <chrono>
#include <optional>
#include <vector>

namespace vamu::test {

inline const QString kPlayer = QStringLiteral("org.mpris.MediaPlayer2.Player");

struct NotifyCall {
    QString appName;
    uint replacesId = 0;
    QString icon;
    QString summary;
    QString body;
    QVariantMap hints;
    uint answeredId = 0;
};

class FakeNotificationServer : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    // Registers org.freedesktop.Notifications on a new connection to the session bus.
    FakeNotificationServer();
    ~FakeNotificationServer() override;
    [[nodiscard]] bool registered() const { return m_registered; }

    std::vector<NotifyCall> calls;

public Q_SLOTS:
    uint Notify(const QString& app_name, uint replaces_id, const QString& app_icon, const QString& summary,
                const QString& body, const QStringList& actions, const QVariantMap& hints, int expire_timeout);
    QStringList GetCapabilities() { return {QStringLiteral("body")}; }

private:
    QDBusConnection m_connection;
    bool m_registered = false;
    uint m_lastId = 40;
};

class MediaClient : public QObject {
    Q_OBJECT

public:
    MediaClient();
    ~MediaClient() override;

    // A method of the player's object, waited for while the UI thread keeps pumping.
    QDBusMessage call(const QString& interface, const QString& method, const QVariantList& arguments = {});
    // Properties.Get of org.mpris.MediaPlayer2 (root) or its Player interface;
    // an invalid value when the call failed.
    QVariant root(const QString& name);
    QVariant player(const QString& name);
    QVariantMap metadata();
    bool setPlayer(const QString& name, const QVariant& value);
    // Whether the bus has an owner for `name` now.
    bool nameOwned(const QString& name);

    struct Change {
        QString interface;
        QVariantMap changed;
    };
    std::vector<Change> changes;
    // The newest announced value of a Player property, if any came.
    [[nodiscard]] std::optional<QVariant> lastChange(const QString& name) const;

public Q_SLOTS:
    void propertiesChanged(const QString& interface, const QVariantMap& changed, const QStringList& invalidated);

private:
    QVariant get(const QString& interface, const QString& name);

    QDBusConnection m_connection;
};

// A{sv} values arrive as QDBusArgument inside the variant.
QVariantMap toMap(const QVariant& value);

}  // namespace vamu::test
