#pragma once
// A D-Bus session bus of the test's own (dbus-daemon), and a way to run command-line clients on it
// while the Qt event loop keeps serving the objects the test exported.

#include <QDBusConnection>
#include <QProcess>
#include <QString>
#include <QStringList>

class PrivateBus {
public:
    PrivateBus();
    ~PrivateBus();

    bool IsRunning() const { return !m_address.isEmpty(); }
    const QString &Address() const { return m_address; }
    QDBusConnection Connect(const QString &name);

    struct Result {
        int exitCode = -1;
        QString out; // standard output, trimmed
    };
    Result Run(const QString &program, const QStringList &arguments, int timeoutMs = 10000);
    QProcessEnvironment Environment() const;

private:
    QProcess m_daemon;
    QString m_address;
    QStringList m_connections;
};
