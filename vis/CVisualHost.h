#pragma once
// The visual plug-in host: lists the plug-ins of the program's visuals/ folder (at most 32, in the
// order the folder returns them), starts and stops each on threads of its own (CVisThread), hands
// them the player's buffers, and restarts at the next start the ones that ran at exit.
//
// Listing loads each *.so once, asks QueryVisual for its name and frees it again; a file that does not
// load, lacks QueryVisual or answers an empty name is skipped without a word. A started plug-in whose
// start-up fails ends silently and its slot is free again.
//
// Threads: user-interface thread only. Each slot's running flag is written by its plug-in's window
// thread (cleared as that thread ends) and its keep-running flag by this host; both are polled by the
// other side. The host never waits for a plug-in except in StopAll (the program's exit).

#include "engine/IVisualHost.h"
#include "plugins/include/mv_visual.h"
#include "vis/VisualFeed.h"

#include <array>
#include <atomic>
#include <memory>
#include <string>
#include <vector>

class CVisThread;

class CVisualHost : public IVisualHost {
public:
    static constexpr int kMaxSlots = 32;
    static constexpr std::size_t kMaxNameLength = 128;
    static constexpr int kSampleBytes = 4096;
    static constexpr int kFftCount = 1024;

    // `folder`: the visuals folder; `mainWindow`: the runtime folder of the player's socket, where
    // plug-ins post key presses.
    CVisualHost(std::string folder, const VisualFeed &feed, std::string mainWindow);
    ~CVisualHost() override;
    CVisualHost(const CVisualHost &) = delete;
    CVisualHost &operator=(const CVisualHost &) = delete;

    // Lists the folder's plug-ins (once; the list is fixed afterwards). Returns how many were listed.
    int Discover();
    int Count() const { return m_nCount; }
    const std::string &Name(int slot) const { return m_slots[Index(slot)].name; }
    const std::string &FileName(int slot) const { return m_slots[Index(slot)].fileName; }
    bool IsRunning(int slot) const;

    // The start/stop command of a listed slot: starts it when it does not run, else asks it to end.
    void Toggle(int slot);
    // For each file name (stored at the last exit), starts the first listed plug-in of that file
    // name, ignoring case; names no longer listed are passed over.
    void Restart(const std::vector<std::string> &fileNames);
    // The file names of the running plug-ins in slot order: the list kept for the next start.
    std::vector<std::string> RunningFileNames() const;
    // The exit: asks every plug-in to end and waits, looking every 50 ms, until none runs.
    void StopAll();

    // IVisualHost
    bool AnyVisualActive() override;

private:
    struct Slot {
        std::atomic<int> running{0};
        std::atomic<int> keepRunning{0};
        std::string name;
        std::string fileName;
        std::unique_ptr<CVisThread> thread;
    };
    static std::size_t Index(int slot) { return static_cast<std::size_t>(slot); }
    void Start(Slot &slot);

    std::string m_folder;
    std::string m_mainWindow;
    VisInfo m_info{};
    std::array<Slot, kMaxSlots> m_slots;
    int m_nCount = 0;
    bool m_bDiscovered = false;
};
