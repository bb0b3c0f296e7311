#include "integration/bus_peers.h"

#include "desktop/desktop_bus.h"
#include "support/ui_driver.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>

#include <gtest/gtest.h>

namespace vamu::test {
namespace {

using namespace std::chrono_literals;

const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");
const QString kRoot = QStringLiteral("org.mpris.MediaPlayer2");

// Generous: the sanitizer builds run many times slower.
constexpr int kCallTimeoutMs = 20000;

QDBusMessage waitFor(QDBusPendingCall pending) {
    QDBusPendingCallWatcher watcher(pending);
    (void)UiDriver::pumpUntil([&] { return watcher.isFinished(); }, std::chrono::milliseconds(kCallTimeoutMs + 5000));
    if (watcher.isError())
        ADD_FAILURE() << watcher.error().name().toStdString() << ": " << watcher.error().message().toStdString();
    return watcher.reply();
}

int s_connections = 0;

}  // namespace

QVariantMap toMap(const QVariant& value) {
    if (value.canConvert<QDBusArgument>()) return qdbus_cast<QVariantMap>(value.value<QDBusArgument>());
    return value.toMap();
}

FakeNotificationServer::FakeNotificationServer()
    : m_connection(QDBusConnection::connectToBus(QDBusConnection::SessionBus,
                                                 QStringLiteral("fake-notifications-%1").arg(++s_connections))) {
    m_registered = m_connection.registerObject(QStringLiteral("/org/freedesktop/Notifications"), this,
                                               QDBusConnection::ExportAllSlots) &&
                   m_connection.registerService(QStringLiteral("org.freedesktop.Notifications"));
}

FakeNotificationServer::~FakeNotificationServer() {
    m_connection.unregisterService(QStringLiteral("org.freedesktop.Notifications"));
    m_connection.unregisterObject(QStringLiteral("/org/freedesktop/Notifications"));
    QDBusConnection::disconnectFromBus(m_connection.name());
}

uint FakeNotificationServer::Notify(const QString& app_name, uint replaces_id, const QString& app_icon,
                                    const QString& summary, const QString& body, const QStringList&,
                                    const QVariantMap& hints, int) {
    // As servers do: a known id is replaced in place, anything else gets a new one.
    const uint id = replaces_id != 0 && replaces_id <= m_lastId ? replaces_id : ++m_lastId;
    calls.push_back({app_name, replaces_id, app_icon, summary, body, hints, id});
    return id;
}

MediaClient::MediaClient()
    : m_connection(QDBusConnection::connectToBus(QDBusConnection::SessionBus,
                                                 QStringLiteral("media-client-%1").arg(++s_connections))) {
    m_connection.connect(QString(), qText(desktop::kObjectPath), kProperties, QStringLiteral("PropertiesChanged"), this,
                         SLOT(propertiesChanged(QString, QVariantMap, QStringList)));
}

MediaClient::~MediaClient() { QDBusConnection::disconnectFromBus(m_connection.name()); }

QDBusMessage MediaClient::call(const QString& interface, const QString& method, const QVariantList& arguments) {
    QDBusMessage message =
        QDBusMessage::createMethodCall(qText(desktop::kServiceName), qText(desktop::kObjectPath), interface, method);
    message.setArguments(arguments);
    return waitFor(m_connection.asyncCall(message, kCallTimeoutMs));
}

QVariant MediaClient::get(const QString& interface, const QString& name) {
    const QDBusMessage reply = call(kProperties, QStringLiteral("Get"), {interface, name});
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return {};
    return reply.arguments().first().value<QDBusVariant>().variant();
}

QVariant MediaClient::root(const QString& name) { return get(kRoot, name); }
QVariant MediaClient::player(const QString& name) { return get(kPlayer, name); }
QVariantMap MediaClient::metadata() { return toMap(player(QStringLiteral("Metadata"))); }

bool MediaClient::setPlayer(const QString& name, const QVariant& value) {
    const QDBusMessage reply =
        call(kProperties, QStringLiteral("Set"), {kPlayer, name, QVariant::fromValue(QDBusVariant(value))});
    return reply.type() == QDBusMessage::ReplyMessage;
}

bool MediaClient::nameOwned(const QString& name) {
    const QDBusMessage reply = waitFor(m_connection.asyncCall(
        QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                                       QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameHasOwner"))
        << name));
    return reply.type() == QDBusMessage::ReplyMessage && reply.arguments().value(0).toBool();
}

void MediaClient::propertiesChanged(const QString& interface, const QVariantMap& changed, const QStringList&) {
    changes.push_back({interface, changed});
}

std::optional<QVariant> MediaClient::lastChange(const QString& name) const {
    for (auto it = changes.rbegin(); it != changes.rend(); ++it) {
        if (it->interface == kPlayer && it->changed.contains(name)) return it->changed.value(name);
    }
    return std::nullopt;
}

}  // namespace vamu::test
