#include "desktop/CMprisPlayerAdaptor.h"

#include "desktop/CMprisService.h"

CMprisPlayerAdaptor::CMprisPlayerAdaptor(CMprisService &service)
    : QDBusAbstractAdaptor(&service), m_service(service)
{
}

QString CMprisPlayerAdaptor::PlaybackStatus() const { return m_service.PlaybackStatusText(); }

QVariantMap CMprisPlayerAdaptor::Metadata() const { return m_service.Metadata(); }

double CMprisPlayerAdaptor::Volume() const { return m_service.Player().Volume(); }

void CMprisPlayerAdaptor::SetVolume(double volume) { m_service.SetVolume(volume); }

qlonglong CMprisPlayerAdaptor::Position() const { return m_service.Player().PositionUs(); }

bool CMprisPlayerAdaptor::CanGoNext() const { return m_service.Player().CanGoNext(); }

bool CMprisPlayerAdaptor::CanGoPrevious() const { return m_service.Player().CanGoPrevious(); }

bool CMprisPlayerAdaptor::CanPlay() const { return m_service.Player().CanPlay(); }

// Whatever can be played can be paused once it plays; the player ignores Pause while stopped.
bool CMprisPlayerAdaptor::CanPause() const { return m_service.Player().CanPlay(); }

bool CMprisPlayerAdaptor::CanSeek() const { return m_service.Player().CanSeek(); }

void CMprisPlayerAdaptor::Next()
{
    m_service.Player().Next();
    m_service.Update();
}

void CMprisPlayerAdaptor::Previous()
{
    m_service.Player().Previous();
    m_service.Update();
}

void CMprisPlayerAdaptor::Pause()
{
    m_service.Player().Pause();
    m_service.Update();
}

void CMprisPlayerAdaptor::PlayPause()
{
    m_service.Player().PlayPause();
    m_service.Update();
}

void CMprisPlayerAdaptor::Stop()
{
    m_service.Player().Stop();
    m_service.Update();
}

void CMprisPlayerAdaptor::Play()
{
    m_service.Player().Play();
    m_service.Update();
}

void CMprisPlayerAdaptor::Seek(qlonglong offset) { m_service.Seek(offset); }

void CMprisPlayerAdaptor::SetPosition(const QDBusObjectPath &trackId, qlonglong position)
{
    m_service.SetPosition(trackId.path(), position);
}

void CMprisPlayerAdaptor::OpenUri(const QString &uri) { m_service.OpenUri(uri); }
