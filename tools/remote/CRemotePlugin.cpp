#include "tools/remote/CRemotePlugin.h"

bool CRemotePlugin::Load(const std::string &path, std::string &why)
{
    if (!m_library.Load(path)) {
        why = m_library.Error();
        return false;
    }
    if (!m_library.Resolve("WhatKeysDoYouWant", m_whatKeys) ||
        !m_library.Resolve("EnumerateProgrammableFunction", m_enumerate) ||
        !m_library.Resolve("Configure", m_configure) || !m_library.Resolve("AreYouInFocus", m_inFocus) ||
        !m_library.Resolve("HandleKey", m_handleKey)) {
        why = m_library.Error();
        m_library.Unload();
        return false;
    }
    return true;
}
