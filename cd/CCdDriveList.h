#pragma once
// The machine's CD drives as the player sees them: real drives found through libcdio, then CD images
// (CUE/BIN or cdrdao TOC files) the user listed, lettered D, E, F, G in that order, at most four.
// Also opens a device by letter for the reader, the CD-Text query and the media identity, and reports
// a media token that changes when a disc goes in or out (or an image file changes), for polling.
//
// Built and read on the UI thread (MediaToken there only); OpenDevice may be called from any thread (the list is not changed
// while devices are open: rebuild it only with every reader closed).

#include "cd/ICdDevice.h"

#include <cstdint>
#include <string>
#include <vector>

class CCdDriveList : public ICdDeviceOpener {
public:
    static constexpr int kMaxDrives = 4;
    static constexpr char kFirstLetter = 'D';

    struct Drive {
        char letter = 0;
        std::string source; // device path or image file
        bool image = false;
        bool cdText = true; // CD-Text allowed
    };

    CCdDriveList() = default;
    // `devices` are device paths (real drives), `images` CUE or TOC files; letters in that order.
    CCdDriveList(const std::vector<std::string> &devices, const std::vector<std::string> &images);

    // The real drives libcdio finds (each device once, even under several names).
    static std::vector<std::string> FindDevices();
    // Real drives plus `images`.
    static CCdDriveList Enumerate(const std::vector<std::string> &images);

    const std::vector<Drive> &Drives() const { return m_drives; }
    int Count() const { return static_cast<int>(m_drives.size()); }
    // Index of the drive with `letter`, or -1.
    int IndexOf(char letter) const;
    // Index of the drive whose source is `path` (compared by canonical paths: a device under any of
    // its names, an image through links), or -1.
    int IndexOfSource(const std::string &path) const;

    std::unique_ptr<ICdDevice> OpenDevice(char letter) const override;

    // A number that changes when the media in drive `letter` changes: 0 without a disc (or without
    // the image file).
    std::uint64_t MediaToken(char letter) const;

private:
    std::vector<Drive> m_drives;
    mutable std::uint64_t m_generation[kMaxDrives] = {1, 1, 1, 1}; // media changes seen, per drive
};
