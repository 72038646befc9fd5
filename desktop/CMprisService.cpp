#include "desktop/CMprisService.h"

#include "desktop/CMprisPlayerAdaptor.h"
#include "desktop/CMprisRootAdaptor.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QUrl>

#include <algorithm>
#include <utility>

CMprisService::CMprisService(IMprisPlayer &player, QObject *parent)
    : QObject(parent), m_player(player), m_bus(QString())
{
    // Adaptors are children of this object; the bus exports them together with it.
    new CMprisRootAdaptor(*this);
    new CMprisPlayerAdaptor(*this);
}

CMprisService::~CMprisService() { Unregister(); }

bool CMprisService::Register(const QDBusConnection &bus)
{
    Unregister();
    m_bus = bus;
    if (!m_bus.isConnected())
        return false;
    if (!m_bus.registerObject(QString::fromLatin1(kObjectPath), this, QDBusConnection::ExportAdaptors))
        return false;
    if (!m_bus.registerService(QString::fromLatin1(kServiceName))) {
        m_bus.unregisterObject(QString::fromLatin1(kObjectPath));
        return false;
    }
    m_bRegistered = true;
    m_reported = Reported();
    Update();
    return true;
}

void CMprisService::Unregister()
{
    if (!m_bRegistered)
        return;
    m_bus.unregisterService(QString::fromLatin1(kServiceName));
    m_bus.unregisterObject(QString::fromLatin1(kObjectPath));
    m_bRegistered = false;
}

QString CMprisService::PlaybackStatusText()
{
    switch (m_player.PlaybackStatus()) {
    case IMprisPlayer::Status::Playing:
        return QStringLiteral("Playing");
    case IMprisPlayer::Status::Paused:
        return QStringLiteral("Paused");
    case IMprisPlayer::Status::Stopped:
        break;
    }
    return QStringLiteral("Stopped");
}

QString CMprisService::TrackObjectPath(const IMprisPlayer::Track &track)
{
    if (!track.valid || track.row < 0)
        return QString::fromLatin1(kNoTrackPath);
    if (track.cdDrive > 0)
        return QStringLiteral("/org/mpris/MediaPlayer2/melvane/cd%1/track%2").arg(track.cdDrive).arg(track.row);
    return QStringLiteral("/org/mpris/MediaPlayer2/melvane/row%1").arg(track.row);
}

QVariantMap CMprisService::Metadata()
{
    return MetadataOf(m_player.CurrentTrack());
}

QVariantMap CMprisService::MetadataOf(const IMprisPlayer::Track &track)
{
    QVariantMap map;
    map.insert(QStringLiteral("mpris:trackid"), QVariant::fromValue(QDBusObjectPath(TrackObjectPath(track))));
    if (!track.valid)
        return map;
    if (track.lengthUs > 0)
        map.insert(QStringLiteral("mpris:length"), QVariant::fromValue(qlonglong(track.lengthUs)));
    if (!track.title.empty())
        map.insert(QStringLiteral("xesam:title"), QString::fromStdString(track.title));
    if (!track.artist.empty())
        map.insert(QStringLiteral("xesam:artist"), QStringList{QString::fromStdString(track.artist)});
    if (!track.album.empty())
        map.insert(QStringLiteral("xesam:album"), QString::fromStdString(track.album));
    if (!track.path.empty())
        map.insert(QStringLiteral("xesam:url"),
                   QUrl::fromLocalFile(QString::fromStdString(track.path)).toString(QUrl::FullyEncoded));
    return map;
}

QStringList CMprisService::SupportedMimeTypes()
{
    return {QStringLiteral("audio/mpeg"),      QStringLiteral("audio/x-wav"), QStringLiteral("audio/ogg"),
            QStringLiteral("audio/flac"),      QStringLiteral("audio/x-ms-wma"), QStringLiteral("audio/x-mod"),
            QStringLiteral("audio/x-s3m"),     QStringLiteral("audio/x-xm"),  QStringLiteral("audio/x-it"),
            QStringLiteral("audio/x-mpegurl"), QStringLiteral("audio/x-melvane-playlist")};
}

void CMprisService::Seek(qint64 offsetUs)
{
    if (!m_player.CanSeek())
        return;
    const IMprisPlayer::Track track = m_player.CurrentTrack();
    const qint64 target = std::max<qint64>(0, m_player.PositionUs() + offsetUs);
    // Seeking past the end moves on, as the interface asks of players.
    if (track.lengthUs > 0 && target >= track.lengthUs) {
        m_player.Next();
        Update();
        return;
    }
    m_player.SeekTo(target);
    NotifySeeked();
}

void CMprisService::SetPosition(const QString &trackPath, qint64 positionUs)
{
    if (!m_player.CanSeek())
        return;
    const IMprisPlayer::Track track = m_player.CurrentTrack();
    // A request for a track that is no longer current is stale and ignored.
    if (!track.valid || trackPath != TrackObjectPath(track))
        return;
    if (positionUs < 0 || (track.lengthUs > 0 && positionUs > track.lengthUs))
        return;
    m_player.SeekTo(positionUs);
    NotifySeeked();
}

void CMprisService::SetVolume(double volume)
{
    if (!(volume >= 0.0)) // also NaN
        volume = 0.0;
    m_player.SetVolume(std::min(volume, 1.0));
    Update();
}

void CMprisService::OpenUri(const QString &uri)
{
    const QUrl url(uri);
    if (!url.isLocalFile())
        return;
    m_player.OpenFile(url.toLocalFile().toStdString());
    Update();
}

void CMprisService::Update()
{
    if (!m_bRegistered)
        return;
    Reported now;
    now.status = PlaybackStatusText();
    // The map is built only when the track changed: this runs on every tick.
    now.track = m_player.CurrentTrack();
    const bool trackChanged = !(now.track == m_reported.track) || m_reported.metadata.isEmpty();
    now.metadata = trackChanged ? MetadataOf(now.track) : m_reported.metadata;
    now.volume = m_player.Volume();
    now.canGoNext = m_player.CanGoNext();
    now.canGoPrevious = m_player.CanGoPrevious();
    now.canPlay = m_player.CanPlay();
    now.canSeek = m_player.CanSeek();

    QVariantMap changed;
    if (now.status != m_reported.status)
        changed.insert(QStringLiteral("PlaybackStatus"), now.status);
    if (trackChanged && now.metadata != m_reported.metadata)
        changed.insert(QStringLiteral("Metadata"), now.metadata);
    if (now.volume != m_reported.volume)
        changed.insert(QStringLiteral("Volume"), now.volume);
    if (now.canGoNext != m_reported.canGoNext)
        changed.insert(QStringLiteral("CanGoNext"), now.canGoNext);
    if (now.canGoPrevious != m_reported.canGoPrevious)
        changed.insert(QStringLiteral("CanGoPrevious"), now.canGoPrevious);
    if (now.canPlay != m_reported.canPlay) {
        changed.insert(QStringLiteral("CanPlay"), now.canPlay);
        changed.insert(QStringLiteral("CanPause"), now.canPlay);
    }
    if (now.canSeek != m_reported.canSeek)
        changed.insert(QStringLiteral("CanSeek"), now.canSeek);
    m_reported = std::move(now);
    if (!changed.isEmpty())
        EmitPropertiesChanged(changed);
}

void CMprisService::NotifySeeked()
{
    if (!m_bRegistered)
        return;
    QDBusMessage signal = QDBusMessage::createSignal(QString::fromLatin1(kObjectPath),
                                                     QString::fromLatin1(kPlayerInterface), QStringLiteral("Seeked"));
    signal << qlonglong(m_player.PositionUs());
    m_bus.send(signal);
}

void CMprisService::EmitPropertiesChanged(const QVariantMap &changed)
{
    QDBusMessage signal = QDBusMessage::createSignal(QString::fromLatin1(kObjectPath),
                                                     QStringLiteral("org.freedesktop.DBus.Properties"),
                                                     QStringLiteral("PropertiesChanged"));
    signal << QString::fromLatin1(kPlayerInterface) << changed << QStringList();
    m_bus.send(signal);
}
