#include "engine/CWmaBinding.h"

#include <cstring>
#include <dlfcn.h>

namespace {

template <typename T>
bool Resolve(void *module, const char *name, T &out)
{
    out = reinterpret_cast<T>(dlsym(module, name));
    return out != nullptr;
}

} // namespace

CWmaBinding::~CWmaBinding()
{
    Free();
}

bool CWmaBinding::Load(const std::string &programFolder)
{
    Free();
    void *module = nullptr;
    if (!programFolder.empty()) {
        std::string path = programFolder;
        if (path.back() != '/')
            path += '/';
        module = dlopen((path + MV_ASFIN_LIBRARY_NAME).c_str(), RTLD_NOW | RTLD_LOCAL);
    }
    if (!module)
        module = dlopen(MV_ASFIN_LIBRARY_NAME, RTLD_NOW | RTLD_LOCAL);
    if (!module)
        return false;
    const bool complete = Resolve(module, "WMAInit", m_pInit) && Resolve(module, "WMAFree", m_pFree) &&
                          Resolve(module, "WMAOpen", m_pOpen) && Resolve(module, "WMAClose", m_pClose) &&
                          Resolve(module, "FillBuffer", m_pFillBuffer) && Resolve(module, "ReadInfo", m_pReadInfo) &&
                          Resolve(module, "WriteInfo", m_pWriteInfo);
    std::memset(&m_info, 0, sizeof m_info);
    if (!complete || m_pInit(&m_info) == 0) {
        dlclose(module);
        m_pInit = nullptr;
        m_pFree = nullptr;
        m_pOpen = nullptr;
        m_pClose = nullptr;
        m_pFillBuffer = nullptr;
        m_pReadInfo = nullptr;
        m_pWriteInfo = nullptr;
        return false;
    }
    m_hModule = module;
    return true;
}

void CWmaBinding::Free()
{
    if (!m_hModule)
        return;
    // WMAFree closes a file that is still open (writing its pending tags).
    m_pFree();
    dlclose(m_hModule);
    m_hModule = nullptr;
    m_bOpen = false;
}

bool CWmaBinding::Open(const std::string &path, int startSeconds)
{
    if (!m_hModule)
        return false;
    if (m_bOpen)
        Close();
    std::memset(&m_info, 0, sizeof m_info);
    // The path keeps its case: file names are case-sensitive here.
    m_bOpen = m_pOpen(path.c_str(), static_cast<std::uint32_t>(startSeconds < 0 ? 0 : startSeconds)) != 0;
    return m_bOpen;
}

void CWmaBinding::Close()
{
    if (m_hModule && m_bOpen)
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
    return m_hModule && m_pReadInfo(path.c_str(), &info) != 0;
}

bool CWmaBinding::WriteInfo(const std::string &path, WmaInfo &info)
{
    return m_hModule && m_pWriteInfo(path.c_str(), &info) != 0;
}
