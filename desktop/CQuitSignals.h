#pragma once
// SIGTERM, SIGINT and SIGHUP end the program in order, as closing its window does (the playlist is
// saved, then the settings), instead of killing it with nothing saved. The handler only writes a
// byte to a pipe; the main loop reads it and calls the quit action.
//
// Threads: constructed, destroyed and its action run on the main thread; the handler runs on
// whichever thread the signal lands.

#include <QObject>

#include <functional>

class QSocketNotifier;

class CQuitSignals : public QObject {
public:
    explicit CQuitSignals(std::function<void()> quit);
    ~CQuitSignals() override;

    CQuitSignals(const CQuitSignals &) = delete;
    CQuitSignals &operator=(const CQuitSignals &) = delete;

private:
    void OnSignalled();

    std::function<void()> m_quit;
    QSocketNotifier *m_notifier = nullptr;
};
