#include "ui/CTrayTimer.h"

CTrayTimer::CTrayTimer(std::function<void()> expired)
{
    m_timer.setSingleShot(true);
    QObject::connect(&m_timer, &QTimer::timeout, [fn = std::move(expired)] { fn(); });
}
