#include "desktop/CInstanceGuard.h"

#include "desktop/CCommandLine.h"
#include "platform/ipc/CIpcClient.h"
#include "platform/ipc/CRuntimeDir.h"

#include <algorithm>

CInstanceGuard::CInstanceGuard(std::string runtimeDir, std::chrono::milliseconds sendTimeout)
    : m_runtimeDir(std::move(runtimeDir)), m_sendTimeout(sendTimeout), m_lock(m_runtimeDir, MV_INSTANCE_ATOM_NAME)
{
}

bool CInstanceGuard::CheckSingleInstance(const std::vector<std::string> &commandLines)
{
    m_delivered = false;
    if (!CRuntimeDir(m_runtimeDir).Prepare()) {
        m_outcome = Outcome::Unguarded;
        return true;
    }
    const CIpcClient window(m_runtimeDir, MV_WINDOW_CLASS_NAME);
    if (window.Exists())
        return Forward(commandLines);

    switch (m_lock.TryAcquire()) {
    case CInstanceLock::Result::HeldElsewhere:
        m_outcome = Outcome::Starting;
        return false;
    case CInstanceLock::Result::Failed:
        m_outcome = Outcome::Unguarded;
        return true;
    case CInstanceLock::Result::Acquired:
        break;
    }
    // The running instance may have created its window and dropped the lock between the two looks.
    if (window.Exists()) {
        m_lock.Release();
        return Forward(commandLines);
    }
    m_outcome = Outcome::GoOn;
    return true;
}

bool CInstanceGuard::Forward(const std::vector<std::string> &commandLines)
{
    m_outcome = Outcome::Forwarded;
    const CIpcClient window(m_runtimeDir, MV_WINDOW_CLASS_NAME);
    CIpcRecord raise;
    raise.message = MV_WM_PLAYER_RAISE;
    window.Send(raise, m_sendTimeout);

    m_delivered = true;
    for (const std::string &commandLine : commandLines) {
        const Block block = MakeForwardBlock(commandLine);
        CIpcRecord copy;
        copy.message = MV_WM_COPYDATA;
        copy.dwData = MV_COPYDATA_COMMAND_LINE;
        copy.data.assign(block.begin(), block.end());
        m_delivered = window.Send(copy, m_sendTimeout).has_value() && m_delivered;
    }
    return false;
}

CInstanceGuard::Block CInstanceGuard::MakeForwardBlock(std::string_view commandLine)
{
    Block block{};
    const std::string_view text = CCommandLine::CutUtf8(commandLine, block.size() - 1);
    std::copy(text.begin(), text.end(), block.begin());
    return block;
}
