#pragma once
// Reads the header, order list and pattern data of a MOD, S3M, XM or IT file into a CModuleSong.
// Only the patterns the order list names are decoded. Each loader returns false when a read needed
// for the simulation returns fewer bytes than it asks for.

#include "tags/CModuleFile.h"
#include "tags/CModuleSong.h"

class CModuleLoader {
public:
    // channels: 4, 6 or 8, as the file's magic says.
    static bool LoadMod(CModuleFile &file, int channels, CModuleSong &song);
    static bool LoadS3m(CModuleFile &file, CModuleSong &song);
    static bool LoadXm(CModuleFile &file, CModuleSong &song);
    static bool LoadIt(CModuleFile &file, CModuleSong &song);
};
