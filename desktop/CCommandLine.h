#pragma once
// The command-line forms shared by the first instance and a forwarded command line: nothing, a file
// path, "-add" path, "-vpl" playlist path and "-cd" CD track path. Positions are byte positions in the
// UTF-8 text ("the text from the sixth character on" is Mid(text, 5)).

#include "core/CStartRequest.h"

#include <string>
#include <string_view>
#include <vector>

class CCommandLine {
public:
    struct CdTarget {
        char driveLetter = 0; // 0 when the text is at most 4 characters long
        int track = 0;        // 0 unless the text ends in ".CDA" and contains "TRACK"
        std::string image;    // "-cd IMAGE [TRACK]": a CUE or TOC file (then the letter is 0)
        std::string device;   // "-cd cdda://sr0/" or "-cd /dev/sr0": the drive's device (then the letter is 0)
    };

    // True for a path naming a CD image (ends in .cue or .toc, any letter case).
    static bool IsCdImagePath(std::string_view path);

    // The raw command line from the arguments after the program name: joined with single blanks, an
    // argument holding a blank or tab enclosed in double quotes so that quote removal gives it back.
    static std::string Join(const std::vector<std::string> &arguments);

    // The command lines of one start, in the single-line form above, each path made absolute against
    // `folder` (the process that reads a line may run elsewhere). Several files give a line each: the
    // first plays (or, after "-add", every one is added), the rest are appended. "-vpl" takes one
    // playlist; files after it are appended. "-cd" lines pass unchanged, but for a CD image's path made absolute. No arguments give one empty line.
    static std::vector<std::string> Lines(const std::vector<std::string> &arguments, const std::string &folder);

    // The first instance's request. `autoplay0` and `autoplay1` are the settings of those names.
    static CStartRequest Parse(std::string_view text, bool autoplay0, bool autoplay1);
    // The request for all the lines of a start: the first line as Parse gives it, the files of the
    // other lines appended after it.
    static CStartRequest Parse(const std::vector<std::string> &lines, bool autoplay0, bool autoplay1);

    // A text that starts with "-cd": upper-cased, quotes removed, drive letter at index 4, track number
    // after "TRACK" when the text ends in ".CDA". Or "-cd IMAGE [TRACK]" with a CD image's path (its
    // letter case kept, in double quotes when it holds blanks) and an optional track number. Or the
    // drive a desktop's autoplay names: its device path, or a "cdda://" address of the device's name.
    static CdTarget ParseCd(std::string_view text);

    static bool StartsWith(std::string_view text, std::string_view prefix);
    // The text from byte `first` on; empty when the text is shorter.
    static std::string Mid(std::string_view text, std::size_t first);
    static std::string RemoveQuotes(std::string_view text);

    // The longest prefix of `text` of at most `maxBytes` bytes that does not split a UTF-8 character.
    static std::string_view CutUtf8(std::string_view text, std::size_t maxBytes);
};
