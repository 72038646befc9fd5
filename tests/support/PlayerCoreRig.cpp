#include "tests/support/PlayerCoreRig.h"

#include "tests/support/ManualOutput.h"

PlayerCoreRig::PlayerCoreRig(const Options &rigOptions) : options(rigOptions)
{
    // Nothing of a test reaches the user's own data folder (cd.ini is written there).
    doc.SetDataFolder(dataDir.path().string());
    CPlayerCore::Services services;
    services.doc = &doc;
    services.messageBox = &messageBox;
    services.screenSaver = &screenSaver;
    services.identifier = &identifier;
    services.initAudio = options.manualOutput ? &ManualOutput::Init : nullptr;
    services.startMainTimer = false;
    services.wallClock = options.wallClock;
    services.clock = options.testClock ? &clock : nullptr;
    services.findCdDrives = false; // the machine's own drives are no part of a test
    core = std::make_unique<CPlayerCore>(services);
    CPlayerCore::Displays displays;
    displays.counter = &counter;
    displays.positionBar = &positionBar;
    displays.meter = &meter;
    displays.volumeSlider = &volumeSlider;
    displays.status = &status;
    core->AttachDisplays(displays);
    if (options.manualOutput) {
        doc.bassfreq = 1;   // 44100 Hz
        doc.bassbuffer = 0; // short buffers keep the rendered latency small
    }
}

PlayerCoreRig::~PlayerCoreRig()
{
    core->ShutDown();
    core->DetachDisplays();
}

bool PlayerCoreRig::Start(const CStartRequest &request)
{
    core->OpenOutput();
    core->ApplyStartRequest(request);
    return core->Begin(request);
}

void PlayerCoreRig::Tick()
{
    clock.AdvanceMs(20);
    if (options.manualOutput)
        ManualOutput::Render(renderBuffer, static_cast<std::uint32_t>(Engine().OutputFrequency() / 50));
    core->OnTick();
}

void PlayerCoreRig::Ticks(int count)
{
    for (int i = 0; i < count; ++i)
        Tick();
}
