#include "desktop/CDesktopServices.h"

#include "desktop/CMprisService.h"

#include <QDBusConnection>

CDesktopServices::CDesktopServices(IForwardTarget &target, IMprisPlayer &player, bool mediaService)
    : m_forward(target, m_clock)
{
    if (mediaService) {
        m_mpris = std::make_unique<CMprisService>(player);
        if (!m_mpris->Register(QDBusConnection::sessionBus()))
            m_mpris.reset();
    }
}

CDesktopServices::~CDesktopServices()
{
    if (m_mpris)
        m_mpris->Unregister();
}

void CDesktopServices::OnTick()
{
    if (m_mpris)
        m_mpris->Update();
}

bool CDesktopServices::OnCopyData(std::uint64_t dwData, std::span<const std::uint8_t> data)
{
    return m_forward.OnCopyData(dwData, data);
}
