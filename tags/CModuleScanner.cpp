#include "tags/CModuleScanner.h"

#include "tags/CModuleFile.h"
#include "tags/CModuleLoader.h"
#include "tags/CModuleSimulator.h"

ModuleScanResult CModuleScanner::Scan(const std::string &path, std::int32_t type)
{
    CModuleFile file(path);
    if (!file.IsOpen())
        return {};
    CModuleSong song;
    bool loaded = false;
    switch (type) {
    case 1: loaded = CModuleLoader::LoadMod(file, 4, song); break;
    case 2: loaded = CModuleLoader::LoadMod(file, 6, song); break;
    case 3: loaded = CModuleLoader::LoadMod(file, 8, song); break;
    case 4: loaded = CModuleLoader::LoadS3m(file, song); break;
    case 5: loaded = CModuleLoader::LoadXm(file, song); break;
    case 6: loaded = CModuleLoader::LoadIt(file, song); break;
    default: break;
    }
    if (!loaded)
        return {};
    return CModuleSimulator::Run(song);
}
