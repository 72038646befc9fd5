// The main timer's pace and promptness with a real Qt event loop: ticks per second (20 ms sleep plus
// the handling: at most 50, close to it on an idle machine), how long StopMainTimer takes with a
// receiver that answers and with one that never does, and the ticks queued behind a receiver busy
// for 300 ms (at most one). Prints the figures; the tests check only what holds under any load.
#include "engine/CMainTimer.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>

#include <chrono>
#include <cstdio>
#include <functional>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

class TickReceiver : public QObject {
public:
    CMainTimer *timer = nullptr;
    std::function<void()> onTick;
    int ticks = 0;

    bool event(QEvent *e) override
    {
        if (e->type() != static_cast<QEvent::Type>(CMainTimer::kTickEventType))
            return QObject::event(e);
        ++ticks;
        if (onTick)
            onTick();
        if (timer)
            timer->TickDone();
        return true;
    }
};

class QueueCounter : public QObject {
public:
    int queued = 0;
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == static_cast<QEvent::Type>(CMainTimer::kTickEventType))
            ++queued;
        return false;
    }
};

void RunEventsFor(std::chrono::milliseconds span)
{
    const auto end = Clock::now() + span;
    while (Clock::now() < end) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

double MsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    {
        TickReceiver receiver;
        CMainTimer timer(receiver);
        receiver.timer = &timer;
        timer.StartMainTimer();
        RunEventsFor(std::chrono::milliseconds(2000));
        const auto before = Clock::now();
        timer.StopMainTimer();
        std::printf("ticks per second            %6.1f (at most 50)\n", receiver.ticks / 2.0);
        std::printf("stop, answering receiver    %6.1f ms\n", MsSince(before));
    }
    {
        TickReceiver receiver;
        CMainTimer timer(receiver);
        receiver.timer = &timer;
        bool blocked = false;
        receiver.onTick = [&] {
            if (!blocked) {
                blocked = true;
                std::this_thread::sleep_for(std::chrono::milliseconds(300));
            }
        };
        timer.StartMainTimer();
        RunEventsFor(std::chrono::milliseconds(100));
        QueueCounter counter;
        app.installEventFilter(&counter);
        QCoreApplication::sendPostedEvents(nullptr, 0);
        app.removeEventFilter(&counter);
        timer.StopMainTimer();
        std::printf("queued after a 300 ms tick  %6d (at most 1)\n", counter.queued);
    }
    {
        TickReceiver silent;
        CMainTimer timer(silent);
        timer.StartMainTimer();
        std::this_thread::sleep_for(std::chrono::milliseconds(100)); // no events processed: no TickDone
        const auto before = Clock::now();
        timer.StopMainTimer();
        std::printf("stop, silent receiver       %6.1f ms\n", MsSince(before));
        QCoreApplication::removePostedEvents(&silent);
    }
    return 0;
}
