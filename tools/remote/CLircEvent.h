#pragma once
// One button event as lircd broadcasts it to its clients, a line "code repeat button remote": the
// code and the repeat count in hexadecimal (the count is 0 for a press and rises while the button is
// held), then the button's and the remote's names. Scripts may also write just "button" or
// "button repeat" (the count in decimal).
//
// Threads: any.

#include <optional>
#include <string>
#include <string_view>

struct CLircEvent {
    std::string button;
    std::string remote; // empty for the short form
    unsigned repeat = 0;

    // The event in `line` (without its newline); nothing for anything else: lircd's command replies
    // ("BEGIN" ... "END"), a line with control characters or too many fields, a count that is no
    // number.
    static std::optional<CLircEvent> Parse(std::string_view line, bool allowShortForm);
};
