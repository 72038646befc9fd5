#pragma once
// What the user chose in the options sheet before it is applied to the settings. The pages show and
// change a copy of the settings record, so every choice keeps the record's name and default; the
// Setup page also reports whether it was ever shown (a page never shown changes nothing) and the file
// types it offered.

#include "playlist/CPlayerSettings.h"

#include <string>
#include <vector>

struct COptionsChoices {
    struct FileType {
        int row = 0; // CFileAssociations::Row
        bool wasAssociated = false;
        bool checked = false;
    };

    // The freedb account lives in the registry; its defaults are the freedb client's, and autoquery's
    // the settings record's. The page fills all of it from there, so nothing here has a default.
    struct Freedb {
        bool opened = false;
        std::string email;
        std::string server;
        bool autoquery{};
    };

    CPlayerSettings settings;
    bool setupOpened = false;
    std::vector<FileType> fileTypes;
    Freedb freedb;
};
