#pragma once
// What the tag reader needs from the WMA decoder binding: the plug-in's information query. The binding
// that loads the decoder plug-in implements it; without one, WMA files are not identified.

#include <string>

#include "plugins/include/mv_asfin.h"

class IWmaInfoReader {
public:
    virtual ~IWmaInfoReader() = default;

    // Fills `info` (already cleared by the caller) for the file at `path`; false when the plug-in does
    // not accept the file or is not loaded.
    virtual bool ReadInfo(const std::string &path, WmaInfo &info) = 0;
};
