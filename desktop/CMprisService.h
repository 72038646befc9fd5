#pragma once
// The player's media-player service on the session bus (MPRIS 2): desktops, panel applets and media keys
// find the player as org.mpris.MediaPlayer2.melvane, read what plays and send transport commands. The
// service owns the two interface adaptors, reads the state from an IMprisPlayer and turns incoming
// calls into its commands.
//
// Changes are pushed, not polled by clients: the owner calls Update() after anything that may change
// the status, the track, the volume or the capabilities (calling it on every tick is cheap); Update()
// compares with what was last reported and emits org.freedesktop.DBus.Properties.PropertiesChanged for
// the properties that differ. Position is never sent that way (clients extrapolate it); a jump in
// position is announced with NotifySeeked().
//
// Threads: user-interface thread only.

#include "engine/IMprisPlayer.h"

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>

class CMprisService : public QObject {
    Q_OBJECT
public:
    static constexpr const char *kServiceName = "org.mpris.MediaPlayer2.melvane";
    static constexpr const char *kObjectPath = "/org/mpris/MediaPlayer2";
    static constexpr const char *kRootInterface = "org.mpris.MediaPlayer2";
    static constexpr const char *kPlayerInterface = "org.mpris.MediaPlayer2.Player";
    static constexpr const char *kNoTrackPath = "/org/mpris/MediaPlayer2/TrackList/NoTrack";

    explicit CMprisService(IMprisPlayer &player, QObject *parent = nullptr);
    ~CMprisService() override;

    // Exports the object and takes the service name on `bus`. False when either fails (another
    // program owns the name); the player then simply runs without the service.
    bool Register(const QDBusConnection &bus);
    void Unregister();

    void Update();
    void NotifySeeked();

    // The state as the service reports it (used by the adaptors).
    IMprisPlayer &Player() { return m_player; }
    QString PlaybackStatusText();
    QVariantMap Metadata();
    static QVariantMap MetadataOf(const IMprisPlayer::Track &track);
    static QString TrackObjectPath(const IMprisPlayer::Track &track);
    static QStringList SupportedMimeTypes();

    // Commands arriving from the bus, after the checks the interface asks for.
    void Seek(qint64 offsetUs);
    void SetPosition(const QString &trackPath, qint64 positionUs);
    void SetVolume(double volume);
    void OpenUri(const QString &uri);

private:
    struct Reported {
        QString status;
        IMprisPlayer::Track track;
        QVariantMap metadata;
        double volume = -1.0;
        bool canGoNext = false;
        bool canGoPrevious = false;
        bool canPlay = false;
        bool canSeek = false;
    };

    void EmitPropertiesChanged(const QVariantMap &changed);

    IMprisPlayer &m_player;
    QDBusConnection m_bus;
    bool m_bRegistered = false;
    Reported m_reported;
};
