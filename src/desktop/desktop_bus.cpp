#include "desktop/desktop_bus.h"
#include "toolkit/qt_text.h"

#include "desktop/cover_cache.h"
#include "desktop/mpris_adaptors.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QObject>
#include <QTimer>

#include <atomic>
#include <cstdio>
#include <unistd.h>

namespace vamu::desktop {
namespace {

constexpr std::string_view kPropertiesInterface = "org.freedesktop.DBus.Properties";
constexpr std::string_view kPlayerInterface = "org.mpris.MediaPlayer2.Player";
constexpr std::string_view kNotificationsService = "org.freedesktop.Notifications";
constexpr std::string_view kNotificationsPath = "/org/freedesktop/Notifications";
constexpr int kDefaultExpiry = -1;  // the server's own time

using toolkit::qText;

// Whole microseconds of a time in seconds; -1 while it is unknown.
std::int64_t micros(double seconds) { return seconds < 0 ? -1 : static_cast<std::int64_t>(seconds * 1e6); }

}  // namespace

struct DesktopBus::Private final : MediaTarget {
    Private(MediaHooks hooks, QDBusConnection connection, std::filesystem::path folder)
        : hooks(std::move(hooks)), connection(std::move(connection)), covers(std::move(folder)) {}

    // --- the snapshot ------------------------------------------------------------------

    playback::PlayerSnapshot playerNow() const { return hooks.player ? hooks.player() : playback::PlayerSnapshot{}; }

    MediaState snapshot() {
        const playback::PlayerSnapshot now = playerNow();
        MediaState state;
        state.status = playbackStatusOf(now.activity, now.starting);
        state.songId = now.song.id;
        state.title = now.song.name;
        state.uploader = now.song.uploader;
        state.lengthMicros = micros(now.lengthSeconds);
        if (!now.song.id.empty()) {
            if (now.cover != lastCover || now.song.id != lastCoverSong) {
                lastCover = now.cover;
                lastCoverSong = now.song.id;
                artUrl = covers.store(
                    now.song.id, std::string_view(now.cover.constData(), static_cast<std::size_t>(now.cover.size())));
            }
            state.artUrl = artUrl;
        }
        state.volume = now.volume;
        state.canSeek = state.lengthMicros >= 0 && now.activity != playback::ActivityState::Stopped;
        state.canGoPrevious = now.canGoPrevious;
        return state;
    }

    void publish() {
        if (stopped) return;
        MediaState next = snapshot();
        const std::vector<std::string_view> names = changedProperties(state, next);
        state = std::move(next);
        if (names.empty()) return;
        QVariantMap changed;
        for (const std::string_view name : names) changed.insert(qText(name), playerProperty(name, state));
        QDBusMessage signal = QDBusMessage::createSignal(qText(kObjectPath), qText(kPropertiesInterface),
                                                         QStringLiteral("PropertiesChanged"));
        signal << qText(kPlayerInterface) << changed << QStringList();
        connection.send(signal);
    }

    // --- MediaTarget -------------------------------------------------------------------

    const MediaState& currentState() override {
        publish();
        return state;
    }
    std::int64_t positionMicros() override {
        const std::int64_t position = micros(playerNow().positionSeconds);
        return position < 0 ? 0 : position;
    }
    void raise() override {
        if (!stopped && hooks.raise) hooks.raise();
    }
    void quit() override {
        if (stopped || !hooks.quit) return;
        // After this call's reply is on its way; the exit command leaves the bus.
        QTimer::singleShot(0, object.get(), [this] {
            if (!stopped && hooks.quit) hooks.quit();
        });
    }
    void nextSong() override {
        if (stopped || !hooks.nextSong) return;
        hooks.nextSong();
        publish();
    }
    void previousSong() override {
        if (stopped || !hooks.previousSong) return;
        hooks.previousSong();
        publish();
    }
    void play() override {
        if (currentState().status == PlaybackStatus::Paused) togglePause();
    }
    void pause() override {
        if (currentState().status == PlaybackStatus::Playing) togglePause();
    }
    void togglePause() override {
        if (stopped || !hooks.togglePause) return;
        hooks.togglePause();
        publish();
    }
    void seekBy(std::int64_t offsetMicros) override {
        if (stopped) return;
        const MediaState& now = currentState();
        if (!now.canSeek) return;
        const SeekTarget target = relativeSeek(positionMicros(), offsetMicros, now.lengthMicros);
        if (target.kind == SeekTarget::Kind::NextSong) nextSong();
        if (target.kind == SeekTarget::Kind::Position) seekAndAnnounce(target.micros);
    }
    void seekTo(const QDBusObjectPath& track, std::int64_t micros) override {
        if (stopped) return;
        const MediaState& now = currentState();
        // A request for a track that no longer plays is stale: ignored.
        if (!now.canSeek || track.path().toStdString() != trackObjectPath(now.songId)) return;
        if (positionAccepted(micros, now.lengthMicros)) seekAndAnnounce(micros);
    }
    void setVolume(double volume) override {
        if (stopped || !hooks.setVolume) return;
        if (const std::optional<int> slider = sliderFromVolume(volume)) {
            hooks.setVolume(*slider);
            publish();
        }
    }

    void seekAndAnnounce(std::int64_t position) {
        if (!hooks.seekTo || !hooks.seekTo(static_cast<double>(position) / 1e6)) return;
        if (player) emit player->Seeked(position);
    }

    // --- notifications -----------------------------------------------------------------

    void send(const OutgoingNotification& outgoing) {
        QDBusMessage call = QDBusMessage::createMethodCall(qText(kNotificationsService), qText(kNotificationsPath),
                                                           qText(kNotificationsService), QStringLiteral("Notify"));
        QVariantMap hints;
        hints.insert(QStringLiteral("desktop-entry"), qText(kDesktopEntry));
        if (!outgoing.notification.imagePath.empty()) {
            hints.insert(QStringLiteral("image-path"), QString::fromStdString(outgoing.notification.imagePath));
        }
        call << qText(kIdentity) << uint(outgoing.replacesId) << qText(kIconName)
             << QString::fromStdString(outgoing.notification.summary)
             << QString::fromStdString(outgoing.notification.body) << QStringList() << hints << kDefaultExpiry;
        auto* watcher = new QDBusPendingCallWatcher(connection.asyncCall(call), object.get());
        QObject::connect(watcher, &QDBusPendingCallWatcher::finished, object.get(),
                         [this](QDBusPendingCallWatcher* finished) {
                             finished->deleteLater();
                             const QDBusPendingReply<uint> reply = *finished;
                             std::optional<std::uint32_t> id;
                             if (!reply.isError()) id = reply.value();
                             if (const auto next = notifications.answered(id); next && !stopped) send(*next);
                         });
    }

    MediaHooks hooks;
    QDBusConnection connection;
    CoverCache covers;
    std::unique_ptr<QObject> object = std::make_unique<QObject>();  // registered at kObjectPath
    PlayerAdaptor* player = nullptr;                                // owned by object
    QString serviceName;
    MediaState state;  // as announced last
    QByteArray lastCover;
    std::string lastCoverSong;
    std::string artUrl;
    NotificationSlot notifications;
    bool stopped = false;
};

std::unique_ptr<DesktopBus> DesktopBus::connectSession(MediaHooks hooks, std::filesystem::path coverFolder) {
    QDBusConnection connection = QDBusConnection::sessionBus();
    if (!connection.isConnected()) {
        static std::atomic<bool> said{false};
        if (!said.exchange(true)) {
            std::fprintf(stderr, "vamu: no session bus (%s): no media controls, no notifications\n",
                         qPrintable(connection.lastError().message()));
        }
        return nullptr;
    }
    auto d = std::make_unique<Private>(std::move(hooks), connection, std::move(coverFolder));
    new RootAdaptor(d->object.get(), *d);
    d->player = new PlayerAdaptor(d->object.get(), *d);
    d->state = d->snapshot();
    if (!connection.registerObject(qText(kObjectPath), d->object.get(), QDBusConnection::ExportAdaptors)) {
        std::fprintf(stderr, "vamu: %s is taken on the session bus\n", kObjectPath.data());
        return nullptr;
    }
    // A second program with its own settings folder may already hold the name.
    QString name = qText(kServiceName);
    if (!connection.registerService(name)) {
        name += QStringLiteral(".instance%1").arg(::getpid());
        if (!connection.registerService(name)) name.clear();
    }
    d->serviceName = name;
    return std::unique_ptr<DesktopBus>(new DesktopBus(std::move(d)));
}

DesktopBus::DesktopBus(std::unique_ptr<Private> d) : d(std::move(d)) {}

DesktopBus::~DesktopBus() { stop(); }

void DesktopBus::songStarting() { d->publish(); }

void DesktopBus::refresh() { d->publish(); }

void DesktopBus::notify(Notification notification) {
    if (d->stopped || !(d->hooks.notificationsOn && d->hooks.notificationsOn())) return;
    if (const auto outgoing = d->notifications.post(std::move(notification))) d->send(*outgoing);
}

void DesktopBus::notifySongStarted() {
    const playback::PlayerSnapshot now = d->playerNow();
    notify({now.song.name, now.song.uploader, {}});
}

void DesktopBus::notifyDownloadEnded(bool finished, const std::string& target) {
    notify({std::string(finished ? notification_text::kDownloadFinished : notification_text::kDownloadFailed),
            std::filesystem::path(target).filename().string(),
            {}});
}

void DesktopBus::stop() {
    if (d->stopped) return;
    d->stopped = true;
    if (!d->serviceName.isEmpty()) d->connection.unregisterService(d->serviceName);
    d->connection.unregisterObject(qText(kObjectPath));
}

QString DesktopBus::serviceName() const { return d->serviceName; }
const MediaState& DesktopBus::published() const { return d->state; }

}  // namespace vamu::desktop
