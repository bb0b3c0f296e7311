#include "desktop/mpris_adaptors.h"
#include "toolkit/qt_text.h"

#include "desktop/desktop_bus.h"

#include <QDBusConnection>

namespace vamu::desktop {
namespace {

using toolkit::qText;

}  // namespace

QVariantMap metadataOf(const MediaState& state) {
    QVariantMap map;
    map.insert(QStringLiteral("mpris:trackid"),
               QVariant::fromValue(QDBusObjectPath(QString::fromStdString(trackObjectPath(state.songId)))));
    if (state.songId.empty()) return map;
    map.insert(QStringLiteral("xesam:title"), QString::fromStdString(state.title));
    if (!state.uploader.empty()) {
        map.insert(QStringLiteral("xesam:artist"), QStringList{QString::fromStdString(state.uploader)});
    }
    if (state.lengthMicros >= 0) map.insert(QStringLiteral("mpris:length"), qlonglong(state.lengthMicros));
    if (!state.artUrl.empty()) map.insert(QStringLiteral("mpris:artUrl"), QString::fromStdString(state.artUrl));
    return map;
}

QVariant playerProperty(std::string_view name, const MediaState& state) {
    if (name == "PlaybackStatus") return qText(statusText(state.status));
    if (name == "Metadata") return metadataOf(state);
    if (name == "Volume") return volumeFromSlider(state.volume);
    if (name == "CanSeek") return state.canSeek;
    if (name == "CanGoPrevious") return state.canGoPrevious;
    return {};
}

// --- org.mpris.MediaPlayer2 -----------------------------------------------------------

RootAdaptor::RootAdaptor(QObject* object, MediaTarget& target) : QDBusAbstractAdaptor(object), m_target(target) {}

QString RootAdaptor::identity() const { return qText(kIdentity); }
QString RootAdaptor::desktopEntry() const { return qText(kDesktopEntry); }
void RootAdaptor::Raise() { m_target.raise(); }
void RootAdaptor::Quit() { m_target.quit(); }

// --- org.mpris.MediaPlayer2.Player ----------------------------------------------------

PlayerAdaptor::PlayerAdaptor(QObject* object, MediaTarget& target) : QDBusAbstractAdaptor(object), m_target(target) {}

QString PlayerAdaptor::playbackStatus() const { return qText(statusText(m_target.currentState().status)); }
QVariantMap PlayerAdaptor::metadata() const { return metadataOf(m_target.currentState()); }
double PlayerAdaptor::volume() const { return volumeFromSlider(m_target.currentState().volume); }
void PlayerAdaptor::setVolume(double volume) { m_target.setVolume(volume); }
qlonglong PlayerAdaptor::position() const { return m_target.positionMicros(); }
bool PlayerAdaptor::canSeek() const { return m_target.currentState().canSeek; }

void PlayerAdaptor::Next() { m_target.nextSong(); }
void PlayerAdaptor::Previous() { m_target.previousSong(); }
bool PlayerAdaptor::canGoPrevious() const { return m_target.currentState().canGoPrevious; }
void PlayerAdaptor::Pause() { m_target.pause(); }
void PlayerAdaptor::PlayPause() { m_target.togglePause(); }
// The player has no stopped state that keeps its song: Stop holds the sound like Pause.
void PlayerAdaptor::Stop() { m_target.pause(); }
void PlayerAdaptor::Play() { m_target.play(); }
void PlayerAdaptor::Seek(qlonglong Offset) { m_target.seekBy(Offset); }
void PlayerAdaptor::SetPosition(const QDBusObjectPath& TrackId, qlonglong Position) {
    m_target.seekTo(TrackId, Position);
}

void PlayerAdaptor::OpenUri(const QString&, const QDBusMessage& message) {
    message.setDelayedReply(true);
    QDBusConnection::sessionBus().send(message.createErrorReply(
        QStringLiteral("org.freedesktop.DBus.Error.NotSupported"), QStringLiteral("vamu opens no addresses")));
}

}  // namespace vamu::desktop
