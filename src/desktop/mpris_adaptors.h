#pragma once
// The two media-player interfaces as QtDBus adaptors of one object at kObjectPath:
// org.mpris.MediaPlayer2 (identity, raise, quit) and org.mpris.MediaPlayer2.Player
// (status, track, volume, position and the transport commands). They only translate:
// what they read and do goes to a MediaTarget. Calls arrive on the UI thread.

#include "desktop/media_state.h"

#include <QDBusAbstractAdaptor>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QStringList>
#include <QVariantMap>

#include <cstdint>
#include <string_view>

namespace vamu::desktop {

class MediaTarget {
public:
    virtual ~MediaTarget() = default;
    // The state as it is now (announcing whatever changed since the last look).
    virtual const MediaState& currentState() = 0;
    virtual std::int64_t positionMicros() = 0;  // 0 without a stream
    virtual void raise() = 0;
    virtual void quit() = 0;
    virtual void nextSong() = 0;
    virtual void previousSong() = 0;
    virtual void play() = 0;   // resumes a paused song
    virtual void pause() = 0;  // pauses a playing song
    virtual void togglePause() = 0;
    virtual void seekBy(std::int64_t offsetMicros) = 0;
    virtual void seekTo(const QDBusObjectPath& track, std::int64_t micros) = 0;
    virtual void setVolume(double volume) = 0;
};

// The Player interface's Metadata for a state: mpris:trackid always; title, artist,
// length and art URL when known.
[[nodiscard]] QVariantMap metadataOf(const MediaState& state);
// The value of one of the Player properties that changedProperties() names.
[[nodiscard]] QVariant playerProperty(std::string_view name, const MediaState& state);

class RootAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
    Q_PROPERTY(bool CanQuit READ canQuit)
    Q_PROPERTY(bool CanRaise READ canRaise)
    Q_PROPERTY(bool HasTrackList READ hasTrackList)
    Q_PROPERTY(QString Identity READ identity)
    Q_PROPERTY(QString DesktopEntry READ desktopEntry)
    Q_PROPERTY(QStringList SupportedUriSchemes READ supportedUriSchemes)
    Q_PROPERTY(QStringList SupportedMimeTypes READ supportedMimeTypes)

public:
    RootAdaptor(QObject* object, MediaTarget& target);

    [[nodiscard]] bool canQuit() const { return true; }
    [[nodiscard]] bool canRaise() const { return true; }
    [[nodiscard]] bool hasTrackList() const { return false; }
    [[nodiscard]] QString identity() const;
    [[nodiscard]] QString desktopEntry() const;
    // The player plays the service's songs only: it opens no address a client gives.
    [[nodiscard]] QStringList supportedUriSchemes() const { return {}; }
    [[nodiscard]] QStringList supportedMimeTypes() const { return {}; }

public Q_SLOTS:
    void Raise();
    void Quit();

private:
    MediaTarget& m_target;
};

class PlayerAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ playbackStatus)
    Q_PROPERTY(double Rate READ rate WRITE setRate)
    Q_PROPERTY(double MinimumRate READ rate)
    Q_PROPERTY(double MaximumRate READ rate)
    Q_PROPERTY(QVariantMap Metadata READ metadata)
    Q_PROPERTY(double Volume READ volume WRITE setVolume)
    Q_PROPERTY(qlonglong Position READ position)
    Q_PROPERTY(bool CanGoNext READ always)
    Q_PROPERTY(bool CanGoPrevious READ canGoPrevious)
    Q_PROPERTY(bool CanPlay READ always)
    Q_PROPERTY(bool CanPause READ always)
    Q_PROPERTY(bool CanSeek READ canSeek)
    Q_PROPERTY(bool CanControl READ always)

public:
    PlayerAdaptor(QObject* object, MediaTarget& target);

    [[nodiscard]] QString playbackStatus() const;
    [[nodiscard]] double rate() const { return 1.0; }
    void setRate(double) {}  // one speed only
    [[nodiscard]] QVariantMap metadata() const;
    [[nodiscard]] double volume() const;
    void setVolume(double volume);
    [[nodiscard]] qlonglong position() const;
    [[nodiscard]] bool always() const { return true; }
    [[nodiscard]] bool canSeek() const;
    [[nodiscard]] bool canGoPrevious() const;

public Q_SLOTS:
    void Next();
    void Previous();
    void Pause();
    void PlayPause();
    void Stop();
    void Play();
    void Seek(qlonglong Offset);
    void SetPosition(const QDBusObjectPath& TrackId, qlonglong Position);
    void OpenUri(const QString& Uri, const QDBusMessage& message);

Q_SIGNALS:
    void Seeked(qlonglong Position);

private:
    MediaTarget& m_target;
};

}  // namespace vamu::desktop
