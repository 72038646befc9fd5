#pragma once
// What the user chose in the options sheet, page by page, before it is applied to the settings.
// Each page fills its part from the settings when its dialog is initialised; a page that was never
// opened leaves its `opened` flag false and its values unused.

#include <cstdint>
#include <string>
#include <vector>

struct COptionsChoices {
    struct General {
        std::int32_t bassdev = 0;
        std::int32_t bassfreq = 1;   // 0 22050 Hz, 1 44100 Hz, 2 48000 Hz
        std::int32_t bassbuffer = 3; // 0.5 s steps from 0.5 s
        std::int32_t bassfloat = 0;
        std::int32_t gapless = 1;
        std::int32_t cdpriority = 4; // 1 to 6, as stored
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
    };
    struct FileType {
        int row = 0; // CFileAssociations::Row
        bool wasAssociated = false;
        bool checked = false;
    };
    struct Setup {
        bool opened = false;
        std::int32_t autoplay0 = 0;
        std::int32_t autoplay1 = 0;
        std::int32_t lastpos = 0;
        std::int32_t keyhook = 0;
        std::int32_t minimizetray = 0;
        std::int32_t minimizestart = 0;
        std::int32_t click[4] = {1, 5, 3, 4};
        std::vector<FileType> fileTypes; // only the rows the page offered
    };

    // The freedb account lives in the registry; its defaults are the freedb client's, and autoquery's
    // the settings record's. The page fills all of it from there, so nothing here has a default.
    struct Freedb {
        bool opened = false;
        std::string email;
        std::string server;
        bool autoquery{};
    };

    General general;
    Setup setup;
    Freedb freedb;
};
