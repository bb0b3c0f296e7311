#include "platform/single_instance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace vamu::platform {
namespace {

// Lines longer than this are not requests; the connection is dropped.
constexpr qint64 kMaxRequestBytes = 4096;

QString runtimeFolder() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty()) folder = QDir::tempPath();
    return folder;
}

}  // namespace

SingleInstance::SingleInstance(const QString& key) {
    const QByteArray digest = QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    const QString base = QStringLiteral("vamu-%1-%2").arg(getuid()).arg(QString::fromLatin1(digest));
    m_serverName = base;
    m_lockPath = runtimeFolder() + QLatin1Char('/') + base + QStringLiteral(".lock");

    // The lock, not the socket, decides: a socket file left by a crashed instance
    // must not keep the next start from becoming the primary, and two starts at the
    // same moment must not both remove and recreate the socket.
    m_lockFd = ::open(QFile::encodeName(m_lockPath).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (m_lockFd >= 0 && ::flock(m_lockFd, LOCK_EX | LOCK_NB) == 0) {
        m_role = Role::Primary;
        listen();
    } else if (m_lockFd < 0) {
        // No lock file can be made (no writable runtime folder): run alone rather
        // than refuse to start.
        m_role = Role::Primary;
        listen();
    }
}

SingleInstance::~SingleInstance() {
    if (m_server) m_server->close();
    if (m_lockFd >= 0) ::close(m_lockFd);  // releases the lock
}

void SingleInstance::listen() {
    QLocalServer::removeServer(m_serverName);  // a stale socket of an ended primary
    m_server = std::make_unique<QLocalServer>();
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_serverName)) {
        m_server.reset();
        return;
    }
    QObject::connect(m_server.get(), &QLocalServer::newConnection, m_server.get(), [this] { acceptConnections(); });
}

void SingleInstance::acceptConnections() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        QObject::connect(socket, &QLocalSocket::readyRead, socket, [this, socket] {
            while (socket->canReadLine()) {
                const QString line = QString::fromUtf8(socket->readLine()).trimmed();
                socket->write("ok\n");
                socket->flush();
                if (m_handler) m_handler(line);
            }
            if (socket->bytesAvailable() > kMaxRequestBytes) socket->abort();
        });
    }
}

bool SingleInstance::sendToPrimary(const QString& request, std::chrono::milliseconds within) const {
    QElapsedTimer clock;
    clock.start();
    const auto left = [&] { return static_cast<int>(std::max<qint64>(0, within.count() - clock.elapsed())); };
    while (true) {
        QLocalSocket socket;
        socket.connectToServer(m_serverName);
        if (socket.waitForConnected(std::max(1, left()))) {
            socket.write(request.toUtf8() + '\n');
            if (!socket.waitForBytesWritten(std::max(1, left()))) return false;
            // The answer only says the line arrived; the raise itself is the primary's.
            while (!socket.canReadLine()) {
                if (left() == 0 || !socket.waitForReadyRead(std::max(1, left()))) return false;
            }
            return socket.readLine().startsWith("ok");
        }
        if (left() == 0) return false;
        QThread::msleep(50);  // the primary holds the lock but is not listening yet
    }
}

}  // namespace vamu::platform
