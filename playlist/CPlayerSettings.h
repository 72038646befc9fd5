#pragma once
// The settings record of the player. CPlayerDoc derives from it, so every setting is a member of the
// document, named by its registry value name (bassdev, gapless, click1, ...), read and changed directly
// by the rest of the program.
//
// The record is filled once at start-up (defaults, then the registry key Software\Melvane of the current
// user, or - when the registry holds no settings - the read-only file melvane.ini, then the checks) and
// written back to the registry once at exit. melvane.ini is never written. Loading is tolerant: a value
// that is missing, of the wrong type or unreadable keeps its default; nothing here ever shows a message.
//
// The freedb e-mail address and server live in the registry only (they are read where they are used and
// written at once by the options page), as does the machine-wide freedb server list; helpers for them
// are at the end.
//
// UI thread only.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class CRegistry;

class CPlayerSettings {
public:
    static constexpr const char *kSettingsKey = "Software\\Melvane";
    static constexpr const char *kFreedbServersKey = "Software\\Melvane\\freedb";
    static constexpr const char *kSettingsFileName = "melvane.ini";
    static constexpr const char *kSettingsFileHeader = "#Melvane settings";
    static constexpr int kColumnIds = 13;     // playlist column ids 1 to 13
    static constexpr std::size_t kMaxVisuals = 32;
    static constexpr std::size_t kMaxCdImages = 4;
    static constexpr std::size_t kFreedbTextChars = 255;
    static constexpr std::size_t kMaxSettingsFileBytes = 1 << 20; // the rest of a longer file is ignored

    // defaultExtractDir: the user's music folder, the default of extractdir. When empty, the program's
    // folder + "My Music" is used instead.
    explicit CPlayerSettings(std::string defaultExtractDir = {});
    virtual ~CPlayerSettings() = default;
    CPlayerSettings(const CPlayerSettings &) = default;
    CPlayerSettings &operator=(const CPlayerSettings &) = default;

    // The whole start-up sequence: defaults, registry, settings file when the registry held no
    // settings, checks. Returns true when the registry held settings.
    bool LoadSettings(const CRegistry &registry, const std::string &settingsFile, int screenWidth,
                      int screenHeight);

    void SetDefaultSettings();
    void SetDefaultColumns();
    // Returns true only when the value display was read.
    bool LoadSettingsFromRegistry(const CRegistry &registry);
    // Reads melvane.ini (at most kMaxSettingsFileBytes); a missing file or another first line is ignored.
    void LoadSettingsFromFile(const std::string &path);
    void LoadSettingsFromText(std::string_view text);
    // Applies the range checks; the size of the primary screen in pixels is given by the caller.
    void ValidateSettings(int screenWidth, int screenHeight);
    // Writes every setting (not the freedb values). Returns false when the key could not be created or
    // the hive not written; callers at exit ignore that.
    bool SaveSettingsToRegistry(CRegistry &registry) const;

    // Number of columns in column before its terminating 0.
    int ColumnCount() const;

    // The settings file beside the registry hives: folder + "/melvane.ini".
    static std::string SettingsFilePath(const CRegistry &registry);
    // The fallback of extractdir: the folder of the running executable + "/My Music".
    static std::string ProgramFolderMusicDir();

    // freedb values. Missing values read as empty (the freedb client then uses its built-in defaults).
    static std::string ReadFreedbEmail(const CRegistry &registry);
    static std::string ReadFreedbServer(const CRegistry &registry);
    // Writes freedb_email and freedb_server (each cut to 255 characters), creating the key when missing.
    static bool WriteFreedbAccount(CRegistry &registry, std::string_view email, std::string_view server);
    // The machine-wide server list: values 0, 1, 2, ... up to the first missing or empty one.
    static std::vector<std::string> ReadFreedbServers(const CRegistry &registry);
    // Replaces the list (the key is deleted and created again; each entry cut to 255 characters).
    static bool WriteFreedbServers(CRegistry &registry, const std::vector<std::string> &servers);

    // Numeric settings, in the order in which they are written. Colours are 0x00BBGGRR.
    std::int32_t display = 0;
    std::int32_t fontsize = 22;
    std::int32_t fontbold = 1;
    std::int32_t fontitalic = 0;
    std::int32_t vplsize = 8;
    std::int32_t vplbold = 0;
    std::int32_t vplitalic = 0;
    std::uint32_t colour = 0x00FF00;
    std::uint32_t vplcolour = 0x00FF00;
    std::uint32_t vplback = 0x000000;
    std::uint32_t meter1 = 0x00FF00;
    std::uint32_t meter2 = 0x0000FF;
    std::int32_t autoplay0 = 0;
    std::int32_t autoplay1 = 0;
    std::int32_t gapless = 1;
    std::int32_t keyhook = 0;
    std::int32_t minimizestart = 0;
    std::int32_t minimizetray = 0;
    std::int32_t scrsave = 0;
    std::int32_t timer = 0;
    std::int32_t timeroff = 0;
    std::int32_t cdpriority = 4;
    std::int32_t click1 = 1;
    std::int32_t click2 = 5;
    std::int32_t click3 = 3;
    std::int32_t click4 = 4;
    std::int32_t bassdev = 0;
    std::int32_t bassfreq = 44100; // replaced by 1 by the playback engine unless 0, 1 or 2
    std::int32_t bassbuffer = 3;
    std::int32_t bassfloat = 0;
    std::int32_t autocorrect = 1;
    std::int32_t modlevels = 1;
    std::int32_t mixing1 = 50;
    std::int32_t mixing2 = 50;
    std::int32_t panning1 = 50;
    std::int32_t panning2 = 50;
    std::int32_t surround1 = 2;
    std::int32_t surround2 = 0;
    std::int32_t ramping1 = 2;
    std::int32_t ramping2 = 2;
    std::int32_t looping = 0;
    std::int32_t xpos = 0;
    std::int32_t ypos = 0;
    std::int32_t width = 516;
    std::int32_t height = 360;
    std::int32_t maximize = 0;
    std::int32_t xinfo = 0;
    std::int32_t yinfo = 0;
    std::int32_t xjump = 0;
    std::int32_t yjump = 0;
    std::int32_t enablemeter = 1;
    std::int32_t repeattrack = 0;
    std::int32_t repeatlist = 0;
    std::int32_t random = 0;
    std::int32_t cdcolumn0 = 64;
    std::int32_t cdcolumn1 = 320;
    std::int32_t cdcolumn2 = 80;
    std::int32_t eqenable = 0;
    std::int32_t eqshow = 0;
    std::int32_t eqxpos = 0;
    std::int32_t eqypos = 0;
    std::array<std::int32_t, 9> eq{}; // eq0 to eq8: band gains in dB
    std::int32_t lastpos = 0;
    std::int32_t lasttab = 0;
    std::uint32_t lastdisc = 0;
    std::int32_t lastindex = 0;
    std::int32_t lastduration = 0;
    std::int32_t autoquery = 0;
    std::int32_t extractadd = 1;
    std::int32_t volume = 100; // the output volume, kept across runs

    // Text settings, written after the numbers in this order.
    std::string font = "Arial";
    std::string vplfont = "MS Sans Serif";
    std::string lastdir;
    std::string lastvpldir; // with a trailing '/'
    std::string lastvpl;
    std::string browsedir;
    std::string extractdir;
    std::string extractenc;

    // Playlist columns: ids 1 to 13 in display order, ended by 0 (registry values columncount, column0,
    // column1, ...), and the width of each column id (index 0 unused).
    std::array<std::int32_t, kColumnIds + 1> column{};
    std::array<std::int32_t, kColumnIds + 1> columnwidth{};
    // File names of the visual plug-ins open at exit, at most 32 (visualcount, vis0, vis1, ...).
    std::vector<std::string> vis;
    // CD image files (CUE or cdrdao TOC) the player shows as drives, after the real ones.
    std::vector<std::string> cdimages;

private:
    std::string m_strDefaultExtractDir;
};
