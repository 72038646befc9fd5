#pragma once
// Playlist files: the program's own .vpl format (read and written) and plain lists of file names
// (M3U, read only).
//
// A .vpl file is UTF-8 text. Its first line is exactly "#Melvane playlist"; every further line is
// one entry: the path, then fields each introduced by the byte 0x01, "KEY=value" with a four-letter
// key, in the order NAME ATST ALBM GENR YEAR TYPE RATE FREQ CHNL SIZE TIME PEAK PANN LOOP, each
// written only when it carries information. Lines end in CR LF when written; LF with an optional CR
// is accepted. A path below the playlist's own folder is stored relative to it, so a folder with
// its music and playlist can be moved as a whole. A file whose first line differs in any way is
// read as an M3U list: every non-empty line names a file, absolute or relative to the list's folder.
//
// Reading never trusts the file: a line longer than kMaxLineBytes, or holding a zero byte, is
// skipped, so memory per line is bounded and binary files cost nothing but the skipped lines.
//
// Writing goes to a temporary file beside the target which replaces the target by a rename only
// once it is completely written and flushed: a full disk, a failed write or a crash leaves the old
// playlist as it was.
//
// Any thread; the identifier passed in decides which thread (the document's is UI-only).

#include "core/CPlaylistEntry.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class CLineReader;
class IEntryIdentifier;

// One .vpl line as read: the entry with the line's fields, and the TYPE value apart, because a
// line without TYPE is identified from its file while a line with one keeps its fields.
struct PlaylistLine {
    CPlaylistEntry entry;
    bool hasType = false;
    std::int32_t type = 0;
};

class CPlaylistFile {
public:
    static constexpr std::string_view kHeader = "#Melvane playlist";
    static constexpr std::string_view kM3uHeader = "#EXTM3U";
    static constexpr int kMaxEntries = 10000;
    // Paths are at most 4096 bytes and text fields are cut to 2048 bytes when written, so a line with
    // every field stays below the reader's limit: what is saved is read back.
    static constexpr std::size_t kMaxLineBytes = 16384;
    static constexpr std::size_t kMaxPathBytes = 4096;
    static constexpr std::size_t kMaxFieldBytes = 2048;
    static constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    static constexpr std::int32_t kMaxChannels = 64;
    static constexpr char kFieldMark = '\x01';

    enum class Format { Unreadable, Vpl, M3u };

    explicit CPlaylistFile(IEntryIdentifier &identifier) : m_identifier(identifier) {}

    // Reads the playlist file at `path` and appends at most `room` entries to `out`; lines whose
    // file cannot be identified are skipped and counted in `unread` (non-empty lines that gave no
    // entry). Returns what the file was read as. A leading UTF-8 byte-order mark is ignored.
    Format Load(const std::string &path, int room, std::vector<CPlaylistEntry> &out, int *unread = nullptr);

    // Writes the first `count` entries (at most kMaxEntries) to `path`. False when the file could
    // not be written completely; the file at `path` is then untouched. Entries whose path cannot be
    // stored (CanStorePath) are left out and counted in `leftOut`.
    static bool Save(const std::string &path, const CPlaylistEntry *entries, int count, int *leftOut = nullptr);
    // False for a path the format cannot carry: empty, longer than kMaxPathBytes, or holding 0x01,
    // CR, LF or a zero byte.
    static bool CanStorePath(std::string_view path);

    // Splits one .vpl line (without its line end). False when the line names no path (empty, or
    // beginning with 0x01) or holds a zero byte. Relative paths are expanded against `folder`.
    static bool ParseLine(std::string_view line, const std::string &folder, PlaylistLine &out);
    // Appends the line of `entry` (without line end) to `out`. False, with nothing appended, when
    // the path holds a byte the format cannot carry (0x01, CR, LF).
    static bool FormatLine(const CPlaylistEntry &entry, const std::string &folder, std::string &out);

    // `text` as an absolute, lexically normal path: relative text is taken below `folder`.
    static std::string ResolvePath(std::string_view text, const std::string &folder);
    // The folder of `path` up to and including its last '/'; empty when there is none.
    static std::string FolderOf(const std::string &path);
    // Where a playlist opened from `path` is saved: the same path when it ends in ".vpl", otherwise
    // the extension replaced by ".vpl" (party.m3u -> party.vpl, list.VPL -> list.vpl), or ".vpl"
    // appended when the name has no extension.
    static std::string VplPath(const std::string &path);
    // The first line of a regular file (without line end or byte-order mark); false when it cannot
    // be read.
    static bool ReadFirstLine(const std::string &path, std::string &line);
    // Leading decimal number with an optional sign after optional blanks, saturated to 32 bits; text
    // that does not start with a number gives 0.
    static std::int64_t ParseNumber(std::string_view text);

    static void DropByteOrderMark(std::string &line);

private:
    void LoadVpl(CLineReader &reader, const std::string &folder, int room, std::vector<CPlaylistEntry> &out);
    void LoadM3u(const std::string &path, const std::string &folder, int room, std::vector<CPlaylistEntry> &out);

    IEntryIdentifier &m_identifier;
    int m_nUnread = 0;
};
