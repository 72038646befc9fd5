#pragma once
// Devices for the CD tests: a table of contents built by hand, and a wrapper around a real image device
// that fails chosen sectors or notes on which thread and at which priority it is read.

#include "cd/CCdDriveList.h"
#include "cd/CDiscRecord.h"
#include "cd/ICdDevice.h"

#include <atomic>
#include <functional>
#include <map>
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

// Disc 0x0A0B0C03: three audio tracks at frames 150, 20000 and 40000, lead-out 60000, no texts.
inline CDiscRecord ThreeTrackDisc()
{
    CDiscRecord r;
    r.m_nDiscId = 0x0A0B0C03;
    r.m_nTocTracks = r.m_nAudioTracks = 3;
    r.m_nOffset = {150, 20000, 40000, 60000};
    for (int t = 1; t <= 3; ++t)
        r.m_nLength[t] = 200;
    return r;
}

// A TOC from track start addresses in frames (the lead-out last) and control nibbles.
inline CCdToc MakeToc(int firstTrack, const std::vector<std::uint32_t> &frames, const std::vector<int> &controls = {})
{
    CCdToc toc;
    toc.FirstTrack = static_cast<std::uint8_t>(firstTrack);
    toc.LastTrack = static_cast<std::uint8_t>(firstTrack + frames.size() - 2);
    for (std::size_t i = 0; i < frames.size(); ++i)
        toc.SetEntry(static_cast<int>(i), static_cast<std::uint8_t>(firstTrack + i), frames[i],
                     i < controls.size() ? static_cast<std::uint8_t>(controls[i]) : 0);
    return toc;
}

class WrappedDevice : public ICdDevice {
public:
    struct Hooks {
        std::int32_t failFrom = -1;      // sectors from here on cannot be read
        std::atomic<int> *policy = nullptr;
        std::atomic<int> *nice = nullptr;
        std::atomic<int> *reads = nullptr;
    };
    WrappedDevice(std::unique_ptr<ICdDevice> inner, const Hooks &hooks) : m_inner(std::move(inner)), m_hooks(hooks) {}
    bool ReadToc(CCdToc &toc) override { return m_inner->ReadToc(toc); }
    bool ReadAudio(std::int32_t lba, std::uint32_t sectors, void *buffer) override
    {
        if (m_hooks.policy)
            m_hooks.policy->store(sched_getscheduler(0));
        if (m_hooks.nice)
            m_hooks.nice->store(getpriority(PRIO_PROCESS, static_cast<id_t>(::syscall(SYS_gettid))));
        if (m_hooks.reads)
            ++*m_hooks.reads;
        if (m_hooks.failFrom >= 0 && lba + static_cast<std::int32_t>(sectors) > m_hooks.failFrom)
            return false;
        return m_inner->ReadAudio(lba, sectors, buffer);
    }
    bool ReadCdTextPacks(std::vector<std::uint8_t> &reply) override { return m_inner->ReadCdTextPacks(reply); }

private:
    std::unique_ptr<ICdDevice> m_inner;
    const Hooks &m_hooks;
};

// A drive list whose devices are wrapped.
class WrappingOpener : public ICdDeviceOpener {
public:
    WrappingOpener(const CCdDriveList &drives, const WrappedDevice::Hooks &hooks) : m_drives(drives), m_hooks(hooks) {}
    std::unique_ptr<ICdDevice> OpenDevice(char letter) const override
    {
        std::unique_ptr<ICdDevice> inner = m_drives.OpenDevice(letter);
        return inner ? std::make_unique<WrappedDevice>(std::move(inner), m_hooks) : nullptr;
    }

private:
    const CCdDriveList &m_drives;
    const WrappedDevice::Hooks &m_hooks;
};
