#include "cd/CdQueries.h"

#include "cd/CCdTextPacks.h"
#include "cd/CDiscRecord.h"
#include "cd/ICdDevice.h"

bool ReadCdText(const ICdDeviceOpener &drives, CDiscRecord &record)
{
    if (!record.m_bCdText)
        return false;
    std::unique_ptr<ICdDevice> device = drives.OpenDevice(record.m_cDrive);
    std::vector<std::uint8_t> reply;
    if (!device || !device->ReadCdTextPacks(reply) || reply.size() < 4)
        return false;
    const int length = (reply[0] << 8 | reply[1]) - 2;
    if (length <= 0)
        return false;
    record.Clear(false);
    CCdTextPacks::Walk(reply.data(), reply.size(), record);
    return true;
}

std::uint32_t GetMediaIdentity(const ICdDeviceOpener &drives, char letter)
{
    std::unique_ptr<ICdDevice> device = drives.OpenDevice(letter);
    CCdToc toc;
    if (!device || !device->ReadToc(toc))
        return 0;
    return toc.ComputeMediaIdentity();
}
