#pragma once
// The visual plug-in host as the tick sees it: sample and spectrum data are gathered only while at
// least one visual plug-in runs. The buffers themselves belong to the engine (fixed arrays handed to
// the host once).
//
// Threads: user-interface thread only.

class IVisualHost {
public:
    virtual ~IVisualHost() = default;

    virtual bool AnyVisualActive() = 0;
};
