#pragma once
// One open CD device: a real drive or a CD image that libcdio reads as one. The few operations the
// player needs from the platform; everything else (TOC rules, sector ranges, CD-Text rules) is ours.
//
// Threads: a device is used by one thread at a time: its opener's thread, or the reader thread of
// the CCdReader it was handed to while that thread runs.

#include "cd/CCdToc.h"

#include <cstdint>
#include <memory>
#include <vector>

class ICdDevice {
public:
    static constexpr std::uint32_t kSectorBytes = 2352;

    virtual ~ICdDevice() = default;
    // The table of contents in MSF form. False when there is no readable disc.
    virtual bool ReadToc(CCdToc &toc) = 0;
    // Reads `sectors` raw CD-DA sectors (2352 bytes each) starting at `lba` into `buffer`; all or
    // nothing: false when any of them cannot be read.
    virtual bool ReadAudio(std::int32_t lba, std::uint32_t sectors, void *buffer) = 0;
    // The CD-Text reply as a drive gives it (READ TOC format 5): a 4-byte header whose first two bytes
    // are the big-endian length of what follows plus 2, then 18-byte packs. False when there is none.
    virtual bool ReadCdTextPacks(std::vector<std::uint8_t> &reply) = 0;
};

// Opens devices by drive letter; the drive list implements it, tests give their own.
class ICdDeviceOpener {
public:
    virtual ~ICdDeviceOpener() = default;
    // A fresh device for drive `letter`, or null when there is no such drive or it cannot be opened.
    // Any thread; each call opens its own handle.
    virtual std::unique_ptr<ICdDevice> OpenDevice(char letter) const = 0;
};
