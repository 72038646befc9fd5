#pragma once
// Follows the desktop's screen-saver service: org.freedesktop.ScreenSaver (KDE, Xfce, LXQt and
// others) or org.gnome.ScreenSaver (GNOME). The services are probed once, when the object is made
// (GetActive, each call waiting at most a short timeout and never starting a service); the first
// that answers is followed from then on through its ActiveChanged signal, and counts as "not
// active" once it leaves the bus. IsActive therefore answers from memory: the main timer's tick
// never waits on the bus.
//
// Threads: user-interface thread only (signals arrive through its event loop).

#include "engine/IScreenSaver.h"

#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QObject>
#include <QString>

class CDbusScreenSaver : public QObject, public IScreenSaver {
    Q_OBJECT
public:
    explicit CDbusScreenSaver(const QDBusConnection &bus, int timeoutMs = 200);

    bool IsDetectable() override;
    bool IsActive() override;

    // The service that answered at start-up, empty when none did.
    const QString &ServiceName() const { return m_service; }

private slots:
    void OnActiveChanged(bool active);

private:
    bool Ask(const QString &service, const QString &path, const QString &interface, bool &active) const;

    QDBusConnection m_bus;
    int m_timeoutMs;
    QString m_service;
    QDBusServiceWatcher m_watcher;
    bool m_bActive = false;
};
