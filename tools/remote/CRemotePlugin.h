#pragma once
// The remote plug-in (mv_remote.so) loaded by its five exports, as a remote's host software loads it.
//
// Threads: the host's one thread.

#include "platform/io/CDynamicLibrary.h"
#include "plugins/include/mv_remote.h"

#include <string>

class CRemotePlugin {
public:
    // Loads `path`; false (with `why` set) when it cannot be loaded or lacks one of the exports.
    bool Load(const std::string &path, std::string &why);

    int WhatKeysDoYouWant() const { return m_whatKeys(); }
    const char *EnumerateProgrammableFunction(std::uint16_t index) const { return m_enumerate(index); }
    int Configure(std::uintptr_t parentWindow) const { return m_configure(parentWindow); }
    int AreYouInFocus() const { return m_inFocus(); }
    int HandleKey(bool programmable, std::uint16_t key, std::uint16_t eventType) const
    {
        return m_handleKey(programmable ? 1 : 0, key, eventType);
    }

private:
    CDynamicLibrary m_library;
    MvWhatKeysDoYouWantFn m_whatKeys = nullptr;
    MvEnumerateProgrammableFunctionFn m_enumerate = nullptr;
    MvRemoteConfigureFn m_configure = nullptr;
    MvAreYouInFocusFn m_inFocus = nullptr;
    MvHandleKeyFn m_handleKey = nullptr;
};
