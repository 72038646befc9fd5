#pragma once
// One reader context of the plug-in: the playback context or the information context. It has at
// most one file open, fills the WmaInfo record it was given for that file, and for the playback
// context decodes it and holds a tag write for it until the file is closed (the file is never
// edited while it is being read).
//
// Threads: Open, Close and the tag calls on the host's user-interface thread; Fill on the audio
// library's update thread, never at the same time as Open or Close.

#include "plugins/asfin/CAsfDecoder.h"
#include "plugins/include/mv_asfin.h"

#include <string>

class CAsfReaderContext {
public:
    explicit CAsfReaderContext(bool forPlayback) : m_bPlayback(forPlayback) {}
    ~CAsfReaderContext() { Close(); }
    CAsfReaderContext(const CAsfReaderContext &) = delete;
    CAsfReaderContext &operator=(const CAsfReaderContext &) = delete;

    // Opens `path` (closing what was open), filling `record`, which must outlive the open file.
    // False when the file is not ASF, does not have exactly one stream, an audio one, or cannot be
    // read. A protected file opens (its record says so) but delivers no audio.
    bool Open(const std::string &path, WmaInfo *record);
    // Starts delivery at `seconds`; false when the file cannot be positioned there.
    bool SetStart(std::uint32_t seconds);
    // Writes pending tags after releasing the file.
    void Close();

    std::uint32_t Fill(void *buffer, std::uint32_t length);

    // True when exactly `path` (byte for byte) is open here.
    bool HasOpen(const char *path) const;
    const WmaInfo *Record() const { return m_pRecord; }
    // Takes the six texts and the year of `tags` into the open file's record and writes them into
    // the file when it closes.
    void DeferWrite(const WmaInfo &tags);

private:
    const bool m_bPlayback;
    CAsfDecoder m_decoder;
    WmaInfo *m_pRecord = nullptr;
    std::string m_strPath;
    bool m_bOpen = false;
    bool m_bProtected = false;
    bool m_bPendingWrite = false;
};
