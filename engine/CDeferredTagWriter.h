#pragma once
// Saves the tags an information window edited, keeping them back while the decoder holds the file:
// an Ogg Vorbis, FLAC or Windows Media file that plays is written when the decoder closes it (another
// entry opens, playback stops, the player exits), MPEG audio and files that do not play at once.
// Until then Pending(path) gives the kept texts, so the window shows them when opened again.
//
// Threads: Save, Pending and Flush on the user-interface thread. FileClosed is the decoder's close
// hook and may run on the audio library's update thread during a change-over: there it only marks the
// kept write as due (an atomic store, no allocation, no lock), and the next Flush writes it. On the
// user-interface thread it writes at once. A slot's path is changed only while it is free and no
// FileClosed is scanning.

#include "tags/CTagFields.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <thread>

class CWmaBinding;
class ITransport;

class CDeferredTagWriter {
public:
    enum class Outcome { Written, Deferred, Failed };
    static constexpr int kSlots = 4;

    // `transport` tells which file plays; `wma` writes Windows Media attributes (may be null: WMA
    // files are then not written).
    CDeferredTagWriter(const ITransport &transport, CWmaBinding *wma);

    // Writes `fields` into `path` (playlist type `type`) or keeps them for when the file closes.
    // Failed: the file could not be written, the type has no tags, or the writer is full.
    Outcome Save(const std::string &path, std::int32_t type, const CTagFields &fields);
    // The texts kept back for `path`, if any.
    std::optional<CTagFields> Pending(const std::string &path) const;
    // The decoder closed `path` (any thread).
    void FileClosed(const std::string &path);
    // Writes every kept write whose file was closed or no longer plays.
    void Flush();

    // Writes `fields` into `path` at once, in the format of playlist type `type`: ID3v1, Vorbis
    // comments, or Windows Media attributes through `wma` (null or not loaded: not written).
    static bool Write(const std::string &path, std::int32_t type, const CTagFields &fields, CWmaBinding *wma);

    // How many writes are kept back.
    int PendingCount() const;

private:
    enum State : int { kFree, kPending, kClosed };
    struct Slot {
        std::string path;
        std::int32_t type = 0;
        CTagFields fields;
        std::atomic<int> state{kFree};
    };

    bool HeldByDecoder(const std::string &path) const;
    void WriteAndFree(Slot &slot);
    void WaitForScanners() const;

    const ITransport &m_transport;
    CWmaBinding *m_pWma;
    std::thread::id m_uiThread;
    std::array<Slot, kSlots> m_slots;
    mutable std::atomic<int> m_nScanners{0};
};
