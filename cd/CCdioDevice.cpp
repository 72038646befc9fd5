#include "cd/CCdioDevice.h"

#include "cd/CCdTextPacks.h"

#include <cdio/cdio.h>
#include <cdio/cdtext.h>
#include <cdio/logging.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <regex>
#include <unistd.h>

void CCdioDevice::QuietLibrary()
{
    static std::once_flag once;
    std::call_once(once, [] { cdio_loglevel_default = CDIO_LOG_ERROR; });
}

static bool EndsWithNoCase(const std::string &text, const char *end)
{
    const std::size_t n = std::strlen(end);
    if (text.size() < n)
        return false;
    for (std::size_t i = 0; i < n; ++i)
        if (std::tolower(static_cast<unsigned char>(text[text.size() - n + i])) != end[i])
            return false;
    return true;
}

namespace {

// A CUE sheet or cdrdao TOC file with its data file names made absolute.
struct Sheet {
    bool toc = false;
    std::string text;              // the sheet with absolute names
    std::vector<std::string> data; // the distinct data files, in sheet order
};

enum class SheetResult { kOk, kUnreadable, kNotOurs };

SheetResult ReadSheet(const std::string &path, Sheet &sheet)
{
    sheet.toc = EndsWithNoCase(path, ".toc");
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return SheetResult::kUnreadable;
    std::string text;
    char chunk[4096];
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
        text.append(chunk, static_cast<std::size_t>(in.gcount()));
        if (text.size() > (1u << 20))
            return SheetResult::kNotOurs; // no sheet is this large
    }
    const std::string folder = std::filesystem::absolute(path).parent_path().string() + "/";
    if (folder.find('"') != std::string::npos)
        return SheetResult::kNotOurs;
    static const std::regex kTocFile(R"re(\b((?:AUDIO|DATA)?FILE)\s+"([^"]*)")re");
    static const std::regex kCueFile(R"re((^|\n)([ \t]*FILE[ \t]+)(?:"([^"\n]*)"|([^ \t\r\n"]+)))re",
                                     std::regex::icase);
    auto last = text.cbegin();
    for (std::sregex_iterator it(text.begin(), text.end(), sheet.toc ? kTocFile : kCueFile), end; it != end; ++it) {
        const std::smatch &m = *it;
        std::string name = sheet.toc ? m[2].str() : (m[3].matched ? m[3].str() : m[4].str());
        if (!name.empty() && name[0] != '/')
            name = folder + name;
        if (std::find(sheet.data.begin(), sheet.data.end(), name) == sheet.data.end())
            sheet.data.push_back(name);
        sheet.text.append(last, m[0].first);
        sheet.text += sheet.toc ? m[1].str() + " \"" + name + "\"" : m[1].str() + m[2].str() + "\"" + name + "\"";
        last = m[0].second;
    }
    sheet.text.append(last, text.cend());
    return sheet.data.empty() ? SheetResult::kNotOurs : SheetResult::kOk;
}

// libcdio reads CD images with quirks: its cdrdao reader opens the data files a TOC file names
// relative to the working folder (cdrdao means the TOC file's folder), its CUE reader insists on a
// BIN file named after the sheet whatever FILE says, and neither places the tracks of a second data
// file correctly. So a sheet with one data file is opened through a copy in a private temporary
// folder, with the name made absolute and, for a CUE sheet, a link "image.bin" to the data file;
// a sheet with several is refused. libcdio opens the data file while it parses, so the copy and
// the folder go at once; nothing is written beside the user's image.
CdIo_t *OpenSheet(const std::string &path)
{
    Sheet sheet;
    if (ReadSheet(path, sheet) != SheetResult::kOk || sheet.data.size() != 1)
        return nullptr;
    std::string folder = (std::filesystem::temp_directory_path() / "melvane-cd-XXXXXX").string();
    if (!::mkdtemp(folder.data()))
        return nullptr;
    const std::string copy = folder + (sheet.toc ? "/image.toc" : "/image.cue");
    const std::string link = folder + "/image.bin";
    CdIo_t *cdio = nullptr;
    {
        std::ofstream out(copy, std::ios::binary);
        out << sheet.text;
        out.close();
        const bool linked = sheet.toc || ::symlink(sheet.data[0].c_str(), link.c_str()) == 0;
        if (out && linked)
            cdio = cdio_open(copy.c_str(), sheet.toc ? DRIVER_CDRDAO : DRIVER_BINCUE);
    }
    ::unlink(link.c_str());
    ::unlink(copy.c_str());
    ::rmdir(folder.c_str());
    return cdio;
}

} // namespace

std::string CCdioDevice::DescribeImageFailure(const std::string &path)
{
    if (!EndsWithNoCase(path, ".cue") && !EndsWithNoCase(path, ".toc"))
        return "is not a CUE sheet or cdrdao TOC file";
    Sheet sheet;
    switch (ReadSheet(path, sheet)) {
    case SheetResult::kUnreadable:
        return "cannot be read";
    case SheetResult::kNotOurs:
        return "names no data file";
    case SheetResult::kOk:
        break;
    }
    if (sheet.data.size() > 1)
        return "names more than one data file, which is not supported (join them into one BIN file)";
    if (!std::filesystem::is_regular_file(sheet.data[0]))
        return "names the data file " + sheet.data[0] + ", which is missing";
    return "holds no readable audio track";
}

std::string CCdioDevice::DescribeShortImage(const std::string &path, std::uint32_t leadOutFrames)
{
    Sheet sheet;
    if (leadOutFrames <= 150 || ReadSheet(path, sheet) != SheetResult::kOk || sheet.data.size() != 1)
        return {};
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(sheet.data[0], error);
    const std::uintmax_t needed = static_cast<std::uintmax_t>(leadOutFrames - 150) * kSectorBytes;
    if (error || size >= needed)
        return {};
    return "has a data file (" + sheet.data[0] + ") shorter than its table of contents: the tracks end early";
}

std::unique_ptr<CCdioDevice> CCdioDevice::Open(const std::string &source, bool image)
{
    QuietLibrary();
    CdIo_t *cdio = nullptr;
    if (!image)
        cdio = cdio_open(source.c_str(), DRIVER_DEVICE);
    else if (EndsWithNoCase(source, ".toc") || EndsWithNoCase(source, ".cue"))
        cdio = OpenSheet(source);
    else
        cdio = cdio_open(source.c_str(), DRIVER_UNKNOWN);
    if (!cdio)
        return nullptr;
    return std::unique_ptr<CCdioDevice>(new CCdioDevice(cdio, image));
}

CCdioDevice::~CCdioDevice()
{
    cdio_destroy(m_pCdio);
}

bool CCdioDevice::ReadToc(CCdToc &toc)
{
    toc = CCdToc();
    const track_t first = cdio_get_first_track_num(m_pCdio);
    const track_t last = cdio_get_last_track_num(m_pCdio);
    if (first == CDIO_INVALID_TRACK || last == CDIO_INVALID_TRACK || first < 1 || last < first || last > 99)
        return false;
    toc.FirstTrack = first;
    toc.LastTrack = last;
    for (int t = first; t <= last + 1; ++t) {
        const track_t track = t == last + 1 ? static_cast<track_t>(CDIO_CDROM_LEADOUT_TRACK) : static_cast<track_t>(t);
        const lsn_t lsn = cdio_get_track_lsn(m_pCdio, track);
        if (lsn == CDIO_INVALID_LSN || lsn < 0)
            return false;
        std::uint8_t control = 0;
        if (track != CDIO_CDROM_LEADOUT_TRACK) {
            if (cdio_get_track_format(m_pCdio, track) != TRACK_FORMAT_AUDIO)
                control |= 4;
            if (cdio_get_track_copy_permit(m_pCdio, track) == CDIO_TRACK_FLAG_TRUE)
                control |= 2;
            if (cdio_get_track_preemphasis(m_pCdio, track) == CDIO_TRACK_FLAG_TRUE)
                control |= 1;
            if (cdio_get_track_channels(m_pCdio, track) == 4)
                control |= 8;
        }
        toc.SetEntry(t - first, t == last + 1 ? 0xAA : static_cast<std::uint8_t>(t),
                     static_cast<std::uint32_t>(lsn) + 150, control);
    }
    return true;
}

bool CCdioDevice::ReadAudio(std::int32_t lba, std::uint32_t sectors, void *buffer)
{
    if (sectors == 0 || lba < 0)
        return false;
    if (cdio_read_audio_sectors(m_pCdio, buffer, lba, sectors) != DRIVER_OP_SUCCESS)
        return false;
    if (m_bImage && sectors > 1) {
        // Image drivers report a read that runs past the end of the data file as a success and
        // leave the rest of the buffer unwritten; reading the last sector alone does fail there.
        auto *last = static_cast<std::uint8_t *>(buffer) + (sectors - 1) * kSectorBytes;
        if (cdio_read_audio_sectors(m_pCdio, last, lba + static_cast<std::int32_t>(sectors) - 1, 1) !=
            DRIVER_OP_SUCCESS)
            return false;
    }
    return true;
}

bool CCdioDevice::ReadCdTextPacks(std::vector<std::uint8_t> &reply)
{
    reply.clear();
    if (!m_bImage) {
        std::uint8_t *raw = cdio_get_cdtext_raw(m_pCdio);
        if (!raw)
            return false;
        const std::size_t size = (static_cast<std::size_t>(raw[0]) << 8 | raw[1]) + 2;
        reply.assign(raw, raw + size);
        cdio_free(raw);
        return true;
    }
    cdtext_t *text = cdio_get_cdtext(m_pCdio);
    if (!text)
        return false;
    CCdTextPacks::Texts texts;
    const track_t last = cdio_get_last_track_num(m_pCdio);
    texts.lastTrack = last == CDIO_INVALID_TRACK ? 0 : std::min<int>(last, 99);
    for (int t = 0; t <= texts.lastTrack; ++t) {
        if (const char *s = cdtext_get_const(text, CDTEXT_FIELD_TITLE, static_cast<track_t>(t)))
            texts.title[t] = s;
        if (const char *s = cdtext_get_const(text, CDTEXT_FIELD_PERFORMER, static_cast<track_t>(t)))
            texts.performer[t] = s;
    }
    reply = CCdTextPacks::Build(texts);
    return !reply.empty();
}
