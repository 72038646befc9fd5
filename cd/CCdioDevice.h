#pragma once
// A CD device on libcdio: a real drive (/dev/sr0, ...) or a CD image (CUE/BIN, cdrdao TOC) that
// libcdio reads as a disc. CD-Text comes as the drive's raw packs; for images, libcdio's parse of the
// sheet is turned back into packs so that both take the same path.
// One thread at a time (see ICdDevice).

#include "cd/ICdDevice.h"

#include <string>

typedef struct _CdIo CdIo_t;

class CCdioDevice : public ICdDevice {
public:
    // Null when the source cannot be opened.
    static std::unique_ptr<CCdioDevice> Open(const std::string &source, bool image);
    ~CCdioDevice() override;

    bool ReadToc(CCdToc &toc) override;
    bool ReadAudio(std::int32_t lba, std::uint32_t sectors, void *buffer) override;
    bool ReadCdTextPacks(std::vector<std::uint8_t> &reply) override;

    // Why the CD image `path` gives no disc, in words for the user ("names the data file ..., which
    // is missing"), for a caller whose Open or ReadToc failed.
    static std::string DescribeImageFailure(const std::string &path);

    // Why the CD image `path`, whose table of contents reaches `leadOutFrames` (MSF address in frames:
    // its lead-out, or a later track start), cannot be played to its end ("has a data file ... shorter than its table of contents"); empty when its
    // data file holds every sector.
    static std::string DescribeShortImage(const std::string &path, std::uint32_t leadOutFrames);

    // Keeps libcdio's warnings about images off standard error (the callers report failures).
    static void QuietLibrary();

private:
    CCdioDevice(CdIo_t *cdio, bool image) : m_pCdio(cdio), m_bImage(image) {}
    CdIo_t *m_pCdio;
    bool m_bImage;
};
