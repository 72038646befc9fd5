#pragma once
// The binding to the Windows Media decoder plug-in mv_asfin.so: loads it, resolves its
// seven exports by name, and decodes through it. Without the plug-in (or with one lacking an
// export) nothing here works and Windows Media files are simply not identified.
//
// Threads: Load, Free, Open, Close, ReadInfo and WriteInfo on the user-interface thread; Read on the
// audio library's update thread, never at the same time as Open/Close for the playing file.
// ReadInfo may also be called from the playlist's identifying workers while the user-interface
// thread waits for them; the calls take turns.

#include "platform/io/CDynamicLibrary.h"
#include "plugins/include/mv_asfin.h"
#include "tags/IWmaInfoReader.h"

#include <cstdint>
#include <mutex>
#include <string>

class CWmaBinding : public IWmaInfoReader {
public:
    CWmaBinding() = default;
    ~CWmaBinding() override;
    CWmaBinding(const CWmaBinding &) = delete;
    CWmaBinding &operator=(const CWmaBinding &) = delete;

    // Loads "mv_asfin.so" from `programFolder` (when not empty), else through the library search
    // path, resolves every export and calls WMAInit. False, with nothing kept loaded, on any failure.
    bool Load(const std::string &programFolder);
    // Makes the plug-in in `programFolder` available without loading it yet: it is loaded (as by
    // Load) the first time a file is opened, described or written through it, so a session without
    // Windows Media files never maps the plug-in and the decoding libraries behind it. True when
    // the plug-in file is there.
    bool LoadOnDemand(const std::string &programFolder);
    // Calls WMAFree and unloads the plug-in when it is loaded.
    void Free();
    bool IsLoaded() const { return m_library.IsLoaded(); }
    // Loaded, or there to be loaded on demand.
    bool IsAvailable() const { return m_library.IsLoaded() || !m_strPendingFolder.empty(); }

    // Opens `path` for playback at `startSeconds` (closing the previous file first); refuses a
    // protected file.
    bool Open(const std::string &path, int startSeconds);
    void Close();
    // 16-bit: the plug-in's bytes as they come. Float: the plug-in fills the first half of `buffer`
    // with 16-bit samples, which are widened in place to floats (sample / 32768); twice its count.
    std::uint32_t Read(void *buffer, std::uint32_t length, bool floatOutput);

    bool IsOpen() const { return m_bOpen; }
    int Rate() const { return static_cast<int>(m_info.sampleRate); }
    int Channels() const { return m_info.channels; }
    const WmaInfo &Info() const { return m_info; }

    // Tag and technical information of `path` through the plug-in; false when not loaded or not WMA.
    bool ReadInfo(const std::string &path, WmaInfo &info) override;
    bool WriteInfo(const std::string &path, WmaInfo &info);

private:
    CDynamicLibrary m_library;
    WMAInitProc m_pInit = nullptr;
    WMAFreeProc m_pFree = nullptr;
    WMAOpenProc m_pOpen = nullptr;
    WMACloseProc m_pClose = nullptr;
    FillBufferProc m_pFillBuffer = nullptr;
    ReadInfoProc m_pReadInfo = nullptr;
    WriteInfoProc m_pWriteInfo = nullptr;
    // Loads a plug-in made available on demand; false when it is not (or could not be) loaded.
    bool EnsureLoaded();

    bool m_bOpen = false;
    std::string m_strPendingFolder;
    std::recursive_mutex m_loadMutex; // Load, called under it, frees under it too
    WmaInfo m_info{}; // filled by the plug-in; must live until WMAFree
    std::mutex m_readInfoMutex;
};
