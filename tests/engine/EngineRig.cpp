#include "tests/engine/EngineRig.h"

#include "tests/support/ManualOutput.h"
#include "tests/support/MediaFixtures.h"
#include "tests/support/ModuleWriter.h"
#include "tags/CTrackInfo.h"

#include <algorithm>
#include <cmath>

namespace engine_test {

namespace {

std::string Tone(const TempDir &dir, const std::string &name, double seconds, int rate, int channels)
{
    ToneSpec tone;
    tone.rate = rate;
    tone.channels = channels;
    tone.seconds = seconds;
    return MakeToneWav(dir, name, tone);
}

} // namespace

bool ReaderIdentifier::Identify(const std::string &path, CPlaylistEntry &entry)
{
    CTrackInfo info(path);
    if (info.Read(nullptr) == 0)
        return false;
    info.CopyToEntry(entry);
    return true;
}

bool FakePlayOrder::SelectNext()
{
    ++selectNextCalls;
    const int current = m_doc.State().m_nCurrent;
    if (!answerNext || current + 1 >= m_doc.EntryCount())
        return false;
    m_doc.UserFocused(current + 1);
    return true;
}

void FakePlayOrder::NextTrack()
{
    if (SelectNext() && transport && transport->IsPlaying())
        transport->Play();
}

EngineRig::EngineRig(bool manualOutput) : EngineRig(manualOutput ? &ManualOutput::Init : nullptr)
{
    manual = manualOutput;
}

EngineRig::EngineRig(CPlaybackEngine::AudioInitFn initAudio)
    : doc(identifier, messageBox), gapless(doc), decoder(&gapless, nullptr), playOrder(doc), manual(false)
{
    PlaybackEngineLinks links;
    links.doc = &doc;
    links.decoder = &decoder;
    links.messageBox = &messageBox;
    links.clock = &clock;
    links.counter = &counter;
    links.positionBar = &positionBar;
    links.meter = &meter;
    links.status = &status;
    links.volumeSlider = &volumeSlider;
    links.equalizer = &equalizer;
    links.screenSaver = &screenSaver;
    links.visuals = &visuals;
    links.gapless = &gapless;
    engine = std::make_unique<CPlaybackEngine>(links, initAudio);
    engine->SetPlayOrder(&playOrder);
    playOrder.transport = engine.get();
    doc.bassfreq = 1;
    doc.bassdev = 0; // the default output (SDL's dummy driver in tests)
    doc.bassbuffer = 0; // short buffers keep the rendered latency small
}

EngineRig::~EngineRig()
{
    engine->ShutDown();
}

int EngineRig::Add(const std::vector<std::string> &paths)
{
    return doc.AddFiles(paths);
}

void EngineRig::Start()
{
    engine->InitAudio();
    engine->SetInitialised(true);
}

float EngineRig::Render(std::uint32_t frames)
{
    return ManualOutput::Render(renderBuffer, frames);
}

void EngineRig::Tick()
{
    clock.AdvanceMs(20);
    if (manual)
        Render(static_cast<std::uint32_t>(engine->OutputFrequency() / 50));
    engine->OnTick();
}

void EngineRig::Ticks(int count)
{
    for (int i = 0; i < count; ++i)
        Tick();
}

std::string MakeWav(const TempDir &dir, const std::string &name, double seconds, int rate, int channels)
{
    return Tone(dir, name, seconds, rate, channels);
}

std::string MakeMp3(const TempDir &dir, const std::string &name, double seconds)
{
    return EncodeMp3(dir, name, Tone(dir, name + "-src", seconds, 44100, 2));
}

std::string MakeFlac(const TempDir &dir, const std::string &name, double seconds)
{
    return EncodeFlac(dir, name, Tone(dir, name + "-src", seconds, 44100, 2));
}

std::string MakeOgg(const TempDir &dir, const std::string &name, double seconds)
{
    return EncodeOgg(dir, name, Tone(dir, name + "-src", seconds, 44100, 2));
}

std::string MakeModule(const TempDir &dir, const std::string &name, int orders, bool loops, int volume, int channels)
{
    ModuleSong song;
    song.channels = channels;
    song.speed = 6;
    song.tempo = 125;
    ModuleSample sample = ModuleSample::Square(256, 32);
    sample.volume = static_cast<std::uint8_t>(volume);
    song.samples.push_back(sample);
    for (int p = 0; p < orders; ++p) {
        ModulePattern pattern(25, channels);
        for (int ch = 0; ch < channels; ++ch) {
            pattern.at(0, ch).note = static_cast<std::uint8_t>(49 + p);
            pattern.at(0, ch).instrument = 1;
        }
        if (loops && p == orders - 1) {
            pattern.at(24, 0).effect = 0xB; // jump back to order 0
            pattern.at(24, 0).param = 0;
        }
        song.patterns.push_back(pattern);
        song.orders.push_back(p);
    }
    const std::string path = dir.file(name + ".xm");
    return ModuleWriter::Save(path, ModuleWriter::Xm(song)) ? path : "";
}

} // namespace engine_test
