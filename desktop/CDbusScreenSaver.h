#pragma once
// Asks the desktop's screen-saver service whether the screen saver runs: GetActive of
// org.freedesktop.ScreenSaver (KDE, Xfce, LXQt and others) or org.gnome.ScreenSaver (GNOME). The
// services are probed once, when the object is made; the first that answers is asked from then on.
//
// Each call waits at most a short timeout (200 ms by default) and never starts a service that is not
// running, so a main-timer tick cannot stall on a missing or hung service. A failed call counts as
// "not active".
//
// Threads: user-interface thread only.

#include "engine/IScreenSaver.h"

#include <QDBusConnection>
#include <QString>

class CDbusScreenSaver : public IScreenSaver {
public:
    explicit CDbusScreenSaver(const QDBusConnection &bus, int timeoutMs = 200);

    bool IsDetectable() override;
    bool IsActive() override;

    // The service that answered at start-up, empty when none did.
    const QString &ServiceName() const { return m_service; }

private:
    bool Ask(const QString &service, const QString &path, const QString &interface, bool &active) const;

    QDBusConnection m_bus;
    int m_timeoutMs;
    QString m_service;
    QString m_path;
    QString m_interface;
};
