#pragma once
// The xmcd entry of a disc as CDDB servers exchange it: reading a `cddb read` answer into a disc
// record, and building the submission body from one.
//
// Texts in the record are UTF-8. Entries in the wild are UTF-8 or Latin-1: each field is decoded
// once its continuation lines are joined (valid UTF-8 stays as it is, anything else is read as
// Latin-1), so a character split between two lines of the same key survives. See docs/cd.md.
//
// Plain functions of the text; any thread.

#include <string>
#include <string_view>

class CDiscRecord;

class CFreedbEntry {
public:
    static constexpr const char *kClientName = "Melvane";
    static constexpr const char *kClientVersion = "1.5";

    enum class Missing { None, DiscTitle, Year, Genre, TrackTitle };
    struct Built {
        Missing missing = Missing::None;
        int track = 0;    // the track whose title is missing
        std::string body; // lines end with CR LF
    };

    // Reads the lines of an entry (without the status line and the terminating ".") into the
    // record's texts, which are cleared first. Values of a repeated key are joined; `DTITLE` is split
    // into artist and title at its first " / " (without one the artist is the whole title).
    static void Parse(std::string_view entryText, CDiscRecord &record);

    // The submission body of the record, or which field is missing first.
    static Built BuildXmcdEntry(const CDiscRecord &record);

    // One field as lines of at most 80 characters: control characters dropped, backslashes doubled
    // unless `keepEscapes`, the value cut into pieces of 80 minus the key's length characters, each
    // "key=piece" CR LF; an empty value gives one line with the key alone.
    static std::string FormatField(std::string_view key, std::string_view value, bool keepEscapes);

    // Bytes that are valid UTF-8 stay as they are; anything else is read as Latin-1.
    static std::string DecodeText(std::string_view bytes);
    // Drops C0 controls, DEL and C1 controls (characters below 32 and from 127 to 159).
    static std::string DropControls(std::string_view utf8);
    // CDDB escapes of titles and genres: \t and \n become a blank, \\ one backslash.
    static std::string UnescapeToBlanks(std::string_view text);
};
