#include "desktop/CDbusScreenSaver.h"

#include <QDBusMessage>

namespace {

struct Candidate {
    const char *service;
    const char *path;
    const char *interface;
};

// KDE answers on /ScreenSaver as well as on the path of the freedesktop interface; older
// implementations only on one of them.
constexpr Candidate kCandidates[] = {
    {"org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver", "org.freedesktop.ScreenSaver"},
    {"org.freedesktop.ScreenSaver", "/ScreenSaver", "org.freedesktop.ScreenSaver"},
    {"org.gnome.ScreenSaver", "/org/gnome/ScreenSaver", "org.gnome.ScreenSaver"},
};

} // namespace

CDbusScreenSaver::CDbusScreenSaver(const QDBusConnection &bus, int timeoutMs) : m_bus(bus), m_timeoutMs(timeoutMs)
{
    if (!m_bus.isConnected())
        return;
    for (const Candidate &candidate : kCandidates) {
        bool active = false;
        const QString service = QString::fromLatin1(candidate.service);
        const QString path = QString::fromLatin1(candidate.path);
        const QString interface = QString::fromLatin1(candidate.interface);
        if (Ask(service, path, interface, active)) {
            m_service = service;
            m_bActive = active;
            m_bus.connect(service, path, interface, QStringLiteral("ActiveChanged"), this, SLOT(OnActiveChanged(bool)));
            m_watcher.setConnection(m_bus);
            m_watcher.setWatchMode(QDBusServiceWatcher::WatchForUnregistration);
            m_watcher.addWatchedService(service);
            connect(&m_watcher, &QDBusServiceWatcher::serviceUnregistered, this, [this] { m_bActive = false; });
            return;
        }
    }
}

bool CDbusScreenSaver::IsDetectable() { return !m_service.isEmpty(); }

bool CDbusScreenSaver::IsActive()
{
    return IsDetectable() && m_bActive;
}

void CDbusScreenSaver::OnActiveChanged(bool active)
{
    m_bActive = active;
}

bool CDbusScreenSaver::Ask(const QString &service, const QString &path, const QString &interface,
                           bool &active) const
{
    QDBusMessage call = QDBusMessage::createMethodCall(service, path, interface, QStringLiteral("GetActive"));
    call.setAutoStartService(false);
    const QDBusMessage reply = m_bus.call(call, QDBus::Block, m_timeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return false;
    const QVariant value = reply.arguments().constFirst();
    if (value.metaType().id() != QMetaType::Bool)
        return false;
    active = value.toBool();
    return true;
}
