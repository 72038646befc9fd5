#pragma once
// What is in one CD drive: the disc id, track lengths and addresses, which tracks are selected and in
// which order they play, and the disc and track texts; plus the local CD database: the user's cd.ini
// (read and written), the program's cd.ini (read only) and the old CD player's cdplayer.ini (read
// only, keyed by the media identity).
//
// cd.ini sections look like this (keys are the disc id in upper-case hexadecimal without leading
// zeros; track keys are 0-based):
//     <7A0B5C09>
//     artist=...   title=...   genre=...   year=...   extd=...
//     extt0=...    (extended text of track 1, only when it has one)
//     0=...        (title of track 1)   1=...   2=...
//     order=0 2    (tracks 1 and 3 selected, in that order; track 2 follows unselected)
//     (empty line)
//
// A value type, copied between the document, dialogs and workers. It has no threads and no locks:
// each copy belongs to the thread that holds it (the UI thread for the document's records).

#include <array>
#include <cstdint>
#include <string>

class ICdDeviceOpener;

class CDiscRecord {
public:
    static constexpr int kSlots = 101; // by track number 1..100 (index 0 unused), offsets by TOC entry

    enum Source { kCdPlayerIni = 0, kUserCdIni = 1, kProgramCdIni = 2 };

    // Folders end with '/'. The user folder's cd.ini is the first source and the only one written;
    // the program folder's cd.ini is the second; the system folder's cdplayer.ini the last.
    std::string m_strProgramFolder;
    std::string m_strUserFolder;
    std::string m_strSystemFolder;
    char m_cDrive = 0;
    std::int32_t m_bCdText = 1;

    std::uint32_t m_nDiscId = 0;    // 0 when there is no audio disc
    std::int32_t m_nDiscLength = 0; // seconds of audio
    std::int32_t m_nFirstTrack = 0;
    std::int32_t m_nAudioTracks = 0;
    std::int32_t m_nTocTracks = 0;  // LastTrack - FirstTrack + 1, or 0 without audio
    std::array<std::int32_t, kSlots> m_nOrder{};   // track numbers in play order, then 0
    std::array<std::int32_t, kSlots> m_bChecked{}; // by track number
    std::array<std::int32_t, kSlots> m_nLength{};  // seconds, by track number; 0 = no audio track
    std::array<std::int32_t, kSlots> m_nOffset{};  // frames, by TOC entry index (lead-out last)
    std::array<std::string, kSlots> m_strTitle;    // by track number
    std::array<std::string, kSlots> m_strExtt;     // by track number
    std::string m_strArtist, m_strDiscTitle, m_strGenre, m_strYear, m_strExtd;

    // Empties every text; with `all` also the numbers and arrays (folders, drive and CD-Text flag stay).
    void Clear(bool all);

    // Rewrites \\ to \, \n to CR LF and \t to TAB; any other backslash pair stays as it is.
    static void Unescape(std::string &text);
    // The stored form of an edited extended text, the reverse of Unescape: backslashes doubled, each
    // line break (CR LF, or LF alone as text editors give it) as \n, each TAB as \t.
    static std::string Escape(const std::string &text);

    // Frames of audio track `track` (1/75 s): from its address to the next entry's, the disc's
    // first track counted from frame 150. 0 for a track the disc does not have.
    std::int32_t TrackFrames(int track) const;
    // MM:SS.FF (minutes with a leading 0 below 10, seconds and frames with two digits).
    static std::string DurationText(std::int32_t frames);

    // Fills the texts from one source. Sources 0 and 2 may open the drive through `drives` (the media
    // identity, CD-Text); with no opener those parts fail. True once the disc's section was found,
    // whatever it held (for source 2: or when the CD-Text fallback succeeded).
    bool Lookup(int source, const ICdDeviceOpener *drives);
    // Writes this disc's section into the user cd.ini, keeping every other section. Nothing happens
    // for disc id 0. The new file replaces the old one by a rename, so a crash leaves either.
    // False when nothing could be written.
    bool Save() const;

    // Applies an `order` value (0-based track numbers separated by single spaces).
    void ParseOrder(const std::string &value);
    // The `order` value Save writes: the checked tracks in play order.
    std::string OrderString() const;

    // The section key of a number: upper-case hexadecimal without leading zeros (0x0A0B0C03: A0B0C03).
    static std::string SectionKey(std::uint32_t number);

    // Reads the section named `key` between `open` and `close` brackets from the text of a database
    // file into the record. False when the text has no such section.
    bool ReadSection(const std::string &fileText, char open, char close, const std::string &key);
    // The file text Save writes: this disc's section followed by every other section of `oldText`.
    std::string SaveText(const std::string &oldText) const;

private:
    void ApplyValue(const std::string &key, const std::string &value);
};
