#include "engine/CWmaBinding.h"

#include <cstring>
#include <filesystem>
#include <mutex>
#include <utility>

CWmaBinding::~CWmaBinding()
{
    Free();
}

bool CWmaBinding::Load(const std::string &programFolder)
{
    Free();
    CDynamicLibrary module;
    if (!programFolder.empty()) {
        std::string path = programFolder;
        if (path.back() != '/')
            path += '/';
        module.Load(path + MV_ASFIN_LIBRARY_NAME);
    }
    if (!module.IsLoaded() && !module.Load(MV_ASFIN_LIBRARY_NAME))
        return false;
    const bool complete = module.Resolve("WMAInit", m_pInit) && module.Resolve("WMAFree", m_pFree) &&
                          module.Resolve("WMAOpen", m_pOpen) && module.Resolve("WMAClose", m_pClose) &&
                          module.Resolve("FillBuffer", m_pFillBuffer) && module.Resolve("ReadInfo", m_pReadInfo) &&
                          module.Resolve("WriteInfo", m_pWriteInfo);
    std::memset(&m_info, 0, sizeof m_info);
    if (!complete || m_pInit(&m_info) == 0) {
        m_pInit = nullptr;
        m_pFree = nullptr;
        m_pOpen = nullptr;
        m_pClose = nullptr;
        m_pFillBuffer = nullptr;
        m_pReadInfo = nullptr;
        m_pWriteInfo = nullptr;
        return false;
    }
    m_library = std::move(module);
    return true;
}

bool CWmaBinding::LoadOnDemand(const std::string &programFolder)
{
    Free();
    std::string path = programFolder;
    if (!path.empty() && path.back() != '/')
        path += '/';
    path += MV_ASFIN_LIBRARY_NAME;
    std::error_code error;
    if (programFolder.empty() || !std::filesystem::is_regular_file(path, error))
        return false;
    std::lock_guard lock(m_loadMutex);
    m_strPendingFolder = programFolder;
    return true;
}

bool CWmaBinding::EnsureLoaded()
{
    std::lock_guard lock(m_loadMutex);
    if (m_library.IsLoaded())
        return true;
    if (m_strPendingFolder.empty())
        return false;
    const std::string folder = std::exchange(m_strPendingFolder, std::string());
    return Load(folder);
}

void CWmaBinding::Free()
{
    {
        std::lock_guard lock(m_loadMutex);
        m_strPendingFolder.clear();
    }
    if (!m_library.IsLoaded())
        return;
    // WMAFree closes a file that is still open (writing its pending tags).
    m_pFree();
    m_library.Unload();
    m_bOpen = false;
}

bool CWmaBinding::Open(const std::string &path, int startSeconds)
{
    if (!EnsureLoaded())
        return false;
    if (m_bOpen)
        Close();
    std::memset(&m_info, 0, sizeof m_info);
    // The path keeps its case: file names are case-sensitive here.
    m_bOpen = m_pOpen(path.c_str(), static_cast<std::uint32_t>(startSeconds < 0 ? 0 : startSeconds)) != 0;
    // A protected file would decode to noise or nothing; refusing it lets the player say it cannot
    // be loaded instead of passing over it in silence.
    if (m_bOpen && m_info.isProtected != 0)
        Close();
    return m_bOpen;
}

void CWmaBinding::Close()
{
    if (m_library.IsLoaded() && m_bOpen)
        m_pClose();
    m_bOpen = false;
}

std::uint32_t CWmaBinding::Read(void *buffer, std::uint32_t length, bool floatOutput)
{
    if (!m_bOpen)
        return 0;
    if (!floatOutput) {
        const std::uint32_t n = m_pFillBuffer(buffer, length);
        return n > length ? length : n;
    }
    const std::uint32_t half = (length / 2) & ~1u;
    std::uint32_t n = m_pFillBuffer(buffer, half);
    if (n > half)
        n = half;
    n &= ~1u;
    // Backwards, so that each float (twice as wide) lands only on samples already converted.
    auto *bytes = static_cast<unsigned char *>(buffer);
    for (std::uint32_t i = n / 2; i-- > 0;) {
        std::int16_t sample;
        std::memcpy(&sample, bytes + 2 * i, sizeof sample);
        const float value = static_cast<float>(sample) / 32768.0f;
        std::memcpy(bytes + 4 * i, &value, sizeof value);
    }
    return n * 2;
}

bool CWmaBinding::ReadInfo(const std::string &path, WmaInfo &info)
{
    // The plug-in has one information context: readers on several threads take turns.
    std::lock_guard lock(m_readInfoMutex);
    return EnsureLoaded() && m_pReadInfo(path.c_str(), &info) != 0;
}

bool CWmaBinding::WriteInfo(const std::string &path, WmaInfo &info)
{
    return EnsureLoaded() && m_pWriteInfo(path.c_str(), &info) != 0;
}
