#include "info/CWavInfo.h"

#include "platform/formats/CByteReader.h"
#include "platform/formats/CMpegFrameHeader.h"
#include "platform/formats/CRiffChunkWalker.h"
#include "platform/io/CFileDescriptor.h"

#include <array>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::uint32_t kMpegLayer3Tag = 0x0055;

struct WaveFormat {
    std::uint32_t tag;
    std::string_view name;
};

constexpr std::array<WaveFormat, 93> kFormats = {{
    {0x0000, "Unknown Wave Format"},
    {0x0001, "Microsoft PCM"},
    {0x0002, "Microsoft ADPCM"},
    {0x0003, "IEEE Float"},
    {0x0004, "Compaq VSELP"},
    {0x0005, "IBM CVSD"},
    {0x0006, "Microsoft aLaw"},
    {0x0007, "Microsoft µLaw"},
    {0x0010, "OKI ADPCM"},
    {0x0011, "Intel DVI ADPCM"},
    {0x0012, "Videologic MediaSpace"},
    {0x0013, "Sierra ADPCM"},
    {0x0014, "G.723 ADPCM"},
    {0x0015, "DSP Solutions DIGISTD"},
    {0x0016, "DSP Solutions DIGIFIX"},
    {0x0017, "Dialogic OKI ADPCM"},
    {0x0018, "MediaVision ADPCM"},
    {0x0019, "Hewlett-Packard CU"},
    {0x0020, "Yamaha ADPCM"},
    {0x0021, "Sonarc Speech"},
    {0x0022, "DSP Group True Speech"},
    {0x0023, "Echo Speech EchoSC1"},
    {0x0024, "AudioFile AF36"},
    {0x0025, "APTX"},
    {0x0026, "AudioFile AF10"},
    {0x0027, "Prosody 1612"},
    {0x0028, "LRC"},
    {0x0030, "Dolby AC2"},
    {0x0031, "GSM610"},
    {0x0032, "MSNAudio"},
    {0x0033, "Antex ADPCME"},
    {0x0034, "Control Res VQLPC"},
    {0x0035, "Digireal"},
    {0x0036, "DigiADPCM"},
    {0x0037, "Control Res CR10"},
    {0x0038, "NMS VBXADPCM"},
    {0x0039, "Roland RDAC"},
    {0x003A, "EchoSC3"},
    {0x003B, "Rockwell ADPCM"},
    {0x003C, "Rockwell Digit LK"},
    {0x003D, "Xebec"},
    {0x0040, "Antex Electronics G.721"},
    {0x0041, "G.728 CELP"},
    {0x0042, "MSG723"},
    {0x0050, "MPEG"},
    {0x0052, "RT24"},
    {0x0053, "PAC"},
    {0x0055, "MPEG Layer 3"},
    {0x0059, "Lucent G.723"},
    {0x0060, "Cirrus"},
    {0x0061, "ESPCM"},
    {0x0063, "Canopus Atrac"},
    {0x0064, "G.726 ADPCM"},
    {0x0065, "G.722 ADPCM"},
    {0x0066, "DSAT"},
    {0x0067, "DSAT Display"},
    {0x0074, "Voxware MetaVoice"},
    {0x0075, "Voxware MetaSound"},
    {0x0080, "Softsound"},
    {0x0082, "MSRT24"},
    {0x0083, "G.729A"},
    {0x0084, "MVI MV12"},
    {0x0085, "DF G.726"},
    {0x0086, "DF GSM610"},
    {0x0088, "ISIAudio"},
    {0x0089, "Onlive"},
    {0x0091, "SBC24"},
    {0x0092, "Dolby AC3 SPDIF"},
    {0x0097, "ZyXEL ADPCM"},
    {0x0098, "Philips LPCBB"},
    {0x0099, "Packed"},
    {0x0100, "Rhetorex ADPCM"},
    {0x0101, "BeCubed IRAT"},
    {0x0111, "Vivo G.723"},
    {0x0112, "Vivo Siren"},
    {0x0123, "Digital G.723"},
    {0x0200, "Creative ADPCM"},
    {0x0202, "Creative FastSpeech8"},
    {0x0203, "Creative FastSpeech10"},
    {0x0220, "Quarterdeck"},
    {0x0300, "FM Towns Snd"},
    {0x0400, "BTV Digital"},
    {0x0680, "VME VMPCM"},
    {0x1000, "OLIGSM"},
    {0x1001, "OLIADPCM"},
    {0x1002, "OLICELP"},
    {0x1003, "OLISBC"},
    {0x1004, "OLIOPR"},
    {0x1100, "Lernout & Hauspie Codec"},
    {0x1400, "Norris"},
    {0x1401, "ISIAudio"},
    {0x1500, "Soundspace Music"},
    {0x2000, "DVM"},
}};

} // namespace

std::string_view CWavInfo::FormatName(std::uint32_t tag)
{
    for (const WaveFormat &format : kFormats)
        if (format.tag == tag)
            return format.name;
    return kFormats[0].name;
}

std::uint32_t CWavInfo::MpegBitrate(std::uint32_t header)
{
    const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(header >> 24), static_cast<std::uint8_t>(header >> 16),
                                   static_cast<std::uint8_t>(header >> 8), static_cast<std::uint8_t>(header)};
    const auto parsed = CMpegFrameHeader::Parse(bytes);
    return parsed ? parsed->Bitrate() / 1000 : 0;
}

CWavInfo CWavInfo::Read(const std::string &path)
{
    CWavInfo info;
    // Non-blocking, and only a regular file is read, so a FIFO cannot hang the window.
    CFileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat st {};
    if (file.get() < 0 || ::fstat(file.get(), &st) != 0 || !S_ISREG(st.st_mode))
        return info;
    info.opened = true;
    info.fileSize = static_cast<std::uint64_t>(st.st_size);
    const CByteReader reader = CByteReader::FromFd(file.get(), info.fileSize);
    const auto layout = CRiffChunkWalker::Walk(reader);
    if (!layout)
        return info;
    info.formatTag = layout->format.tag;
    info.channels = layout->format.channels;
    info.sampleRate = layout->format.sampleRate;
    info.bytesPerSecond = layout->format.bytesPerSecond;
    info.bitsPerSample = layout->format.bitsPerSample;
    info.dataSize = static_cast<std::uint32_t>(layout->DataInFile(info.fileSize));
    std::uint8_t frame[4];
    if (info.formatTag == kMpegLayer3Tag && reader.ReadAt(layout->dataAt, frame, sizeof frame) == sizeof frame)
        info.mpegHeader = std::uint32_t{frame[0]} << 24 | std::uint32_t{frame[1]} << 16 | std::uint32_t{frame[2]} << 8 | frame[3];
    return info;
}

std::string CWavInfo::Text() const
{
    std::string out = "Length:\t";
    if (bytesPerSecond == 0) {
        out += "<unknown>\nFilesize:\t";
    } else if (dataSize / bytesPerSecond >= 60) {
        const std::uint32_t seconds = dataSize / bytesPerSecond;
        out += std::to_string(seconds / 60) + " min " + std::to_string(seconds % 60) + " secs\nFilesize:\t";
    } else {
        const std::uint64_t hundredths = static_cast<std::uint64_t>(dataSize) * 100 / bytesPerSecond;
        const std::string cents = std::to_string(100 + hundredths % 100).substr(1);
        out += std::to_string(hundredths / 100) + "." + cents + " sec\nFilesize:\t";
    }
    out += std::to_string(fileSize) + " bytes\nFormat:\t" + std::to_string(sampleRate) + " Hz, ";
    if (bitsPerSample != 0)
        out += std::to_string(bitsPerSample) + " bit, ";
    out += channels == 1 ? "Mono" : "Stereo";
    out += "\nType:\t";
    const std::uint32_t kbps = mpegHeader != 0 ? MpegBitrate(mpegHeader) : 0;
    if (kbps != 0)
        out += "MPEG Layer 3 [" + std::to_string(kbps) + "kbps]";
    else
        out += FormatName(formatTag);
    return out;
}
