#include "cd/CCdDriveList.h"

#include "cd/CCdioDevice.h"

#include <cdio/cdio.h>

#include <fcntl.h>
#include <filesystem>
#include <linux/cdrom.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

static std::string Canonical(const std::string &path)
{
    std::error_code ec;
    const std::filesystem::path p = std::filesystem::weakly_canonical(path, ec);
    return ec ? path : p.string();
}

CCdDriveList::CCdDriveList(const std::vector<std::string> &devices, const std::vector<std::string> &images)
{
    auto add = [this](const std::string &source, bool image) {
        if (static_cast<int>(m_drives.size()) >= kMaxDrives || source.empty())
            return;
        Drive drive;
        drive.source = image ? Canonical(source) : source;
        if (IndexOfSource(drive.source) >= 0)
            return;
        drive.letter = static_cast<char>(kFirstLetter + m_drives.size());
        drive.image = image;
        m_drives.push_back(drive);
    };
    for (const std::string &device : devices)
        add(device, false);
    for (const std::string &image : images)
        add(image, true);
}

std::vector<std::string> CCdDriveList::FindDevices()
{
    CCdioDevice::QuietLibrary();
    std::vector<std::string> out, seen;
    char **devices = cdio_get_devices(DRIVER_DEVICE);
    if (!devices)
        return out;
    for (char **d = devices; *d; ++d) {
        const std::string real = Canonical(*d);
        bool dup = false;
        for (const std::string &s : seen)
            dup = dup || s == real;
        if (dup)
            continue;
        seen.push_back(real);
        out.push_back(*d);
    }
    cdio_free_device_list(devices);
    return out;
}

CCdDriveList CCdDriveList::Enumerate(const std::vector<std::string> &images)
{
    return CCdDriveList(FindDevices(), images);
}

int CCdDriveList::IndexOf(char letter) const
{
    for (int i = 0; i < Count(); ++i)
        if (m_drives[i].letter == letter)
            return i;
    return -1;
}

int CCdDriveList::IndexOfSource(const std::string &path) const
{
    const std::string canonical = Canonical(path);
    for (int i = 0; i < Count(); ++i)
        if (m_drives[i].source == path || Canonical(m_drives[i].source) == canonical)
            return i;
    return -1;
}

std::unique_ptr<ICdDevice> CCdDriveList::OpenDevice(char letter) const
{
    const int i = IndexOf(letter);
    if (i < 0)
        return nullptr;
    return CCdioDevice::Open(m_drives[i].source, m_drives[i].image);
}

std::uint64_t CCdDriveList::MediaToken(char letter) const
{
    const int i = IndexOf(letter);
    if (i < 0)
        return 0;
    const Drive &drive = m_drives[i];
    if (drive.image) {
        struct stat st {};
        if (::stat(drive.source.c_str(), &st) != 0)
            return 0;
        return (static_cast<std::uint64_t>(st.st_mtim.tv_sec) * 1000000007ull) ^
               static_cast<std::uint64_t>(st.st_mtim.tv_nsec) ^ (static_cast<std::uint64_t>(st.st_size) << 20) ^ 1;
    }
    const int fd = ::open(drive.source.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return 0;
    const int status = ::ioctl(fd, CDROM_DRIVE_STATUS, CDSL_CURRENT);
    std::uint64_t token = 0;
    if (status == CDS_DISC_OK) {
        // The kernel counts media changes per drive; an eject and reload between two polls changes it.
        const int changed = ::ioctl(fd, CDROM_MEDIA_CHANGED, CDSL_CURRENT);
        if (changed > 0)
            ++m_generation[i];
        token = m_generation[i] << 1 | 1;
    }
    ::close(fd);
    return token;
}
