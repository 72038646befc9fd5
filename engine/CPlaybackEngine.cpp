#include "engine/CPlaybackEngine.h"

#include "engine/CCdPlayback.h"
#include "engine/CDocGaplessPlaylist.h"
#include "engine/ICdTrackList.h"
#include "core/CMessageBox.h"
#include "engine/CStreamDecoder.h"
#include "core/IClock.h"
#include "engine/ICounterDisplay.h"
#include "engine/IEqualizer.h"
#include "engine/ILevelMeter.h"
#include "engine/IPlayOrder.h"
#include "engine/IPositionBar.h"
#include "engine/IScreenSaver.h"
#include "engine/IStatusText.h"
#include "engine/ITickPace.h"
#include "engine/ITimedPlayback.h"
#include "engine/IVisualHost.h"
#include "engine/IVolumeSlider.h"
#include "playlist/CPlayerDoc.h"
#include "playlist/CTextCompare.h"
#include "tags/CTrackInfo.h"

#include <algorithm>
#include <cstdlib>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

constexpr std::uint32_t kModuleBaseFlags = BASS_MUSIC_PT1MOD | BASS_MUSIC_POSRESET; // 0x120
constexpr DWORD kSpectrumMono = 0x80000002u;
constexpr DWORD kSpectrumStereo = 0x80000011u;
constexpr DWORD kWherever = 0xFFFFFFFFu; // BASS_MusicPlayEx: keep the position

bool IsDecodedType(std::int32_t type)
{
    return type >= kTypeOgg && type <= kTypeCdTrack;
}

bool FileReadable(const std::string &path)
{
    std::FILE *file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    std::fclose(file);
    return true;
}

} // namespace

CPlaybackEngine::CPlaybackEngine(const PlaybackEngineLinks &links, AudioInitFn initAudio)
    : m_links(links), m_pInitAudio(initAudio ? initAudio : &BASS_Init)
{
    m_nCounterFrequency = m_links.clock->Frequency();
    m_nLastCount = m_links.clock->Now();
    ComputeModuleFlags();
}

CPlaybackEngine::~CPlaybackEngine() = default;

void CPlaybackEngine::SetDisplays(ICounterDisplay &counter, IPositionBar &positionBar, ILevelMeter &meter,
                                  IVolumeSlider &volumeSlider, IStatusText &status)
{
    m_links.counter = &counter;
    m_links.positionBar = &positionBar;
    m_links.meter = &meter;
    m_links.volumeSlider = &volumeSlider;
    m_links.status = &status;
}

std::uint64_t CPlaybackEngine::Now()
{
    return m_links.clock->Now();
}

std::uint64_t CPlaybackEngine::CounterNow() const
{
    return m_links.clock->Now();
}

int CPlaybackEngine::VolumeSliderPosition() const
{
    return m_links.volumeSlider->Position();
}

void CPlaybackEngine::SetVolumeSliderPosition(int position)
{
    m_links.volumeSlider->SetPosition(position);
}

void CPlaybackEngine::ComputeModuleFlags()
{
    const CPlayerDoc &doc = *m_links.doc;
    auto surround = [](std::int32_t v) -> std::uint32_t {
        return v == 1 ? BASS_MUSIC_SURROUND : v == 2 ? BASS_MUSIC_SURROUND2 : 0;
    };
    auto ramping = [](std::int32_t v) -> std::uint32_t {
        return v == 1 ? BASS_MUSIC_RAMP : v == 2 ? BASS_MUSIC_RAMPS : 0;
    };
    m_nModuleSurround1 = surround(doc.surround1);
    m_nModuleSurround2 = surround(doc.surround2);
    m_nModuleRamping1 = ramping(doc.ramping1);
    m_nModuleRamping2 = ramping(doc.ramping2);
}

std::uint32_t CPlaybackEngine::ModulePlayFlags(std::int32_t type) const
{
    const bool first = type <= kTypeMod8;
    return (first ? m_nModuleSurround1 : m_nModuleSurround2) | (first ? m_nModuleRamping1 : m_nModuleRamping2) |
           kModuleBaseFlags;
}

// --- InitAudio ------------------------------------------------------------------------------------

void CPlaybackEngine::InitAudio()
{
    CPlayerDoc &doc = *m_links.doc;
    static constexpr int kFrequencies[] = {22050, 44100, 48000};
    if (doc.bassfreq < 0 || doc.bassfreq > 2)
        doc.bassfreq = 1;
    m_nOutputFrequency = kFrequencies[doc.bassfreq];

    bool output = m_pInitAudio(doc.bassdev, static_cast<DWORD>(m_nOutputFrequency), BASS_DEVICE_DEFAULT_FLAGS,
                               m_links.window) != 0;
    if (!output) {
        output = m_pInitAudio(-1, 22050, BASS_DEVICE_DEFAULT_FLAGS, m_links.window) != 0;
        if (output) {
            // The chosen rate stays stored: the device may be back at the next start.
            m_nOutputFrequency = 22050;
        } else {
            m_links.messageBox->Show("Could not initialize BASS system.  ", CMessageBox::kOk,
                                     CMessageBox::kIconError);
            // Without any output the program still plays on the library's silent clock, so files
            // load, advance and end; a missing output must never look like a broken file.
            output = m_pInitAudio(BASS_DEVICE_NOSOUND, static_cast<DWORD>(m_nOutputFrequency),
                                  BASS_DEVICE_DEFAULT_FLAGS, m_links.window) != 0;
        }
    }
    m_bOutputOpen = output;
    if (output)
        BASS_Start();

    static constexpr float kBufferSeconds[] = {0.5f, 1.0f, 1.5f, 2.0f};
    if (doc.bassbuffer < 0 || doc.bassbuffer > 3)
        doc.bassbuffer = 3;
    BASS_SetBufferLength(kBufferSeconds[doc.bassbuffer]);

    if (!m_bDevicesListed) {
        m_bDevicesListed = true;
        for (int i = 0;; ++i) {
            const char *name = BASS_GetDeviceDescription(i);
            if (!name)
                break;
            m_aDevices.emplace_back(name);
        }
        BASS_INFO info{};
        info.size = sizeof(info);
        BASS_GetInfo(&info);
        m_nDsVersion = info.dsver;
    }

    const HSTREAM test = BASS_StreamCreate(static_cast<DWORD>(m_nOutputFrequency), BASS_SAMPLE_FLOAT, nullptr, nullptr);
    if (test == 0) {
        m_bFloatSupported = 0;
        doc.bassfloat = 0;
    } else {
        BASS_StreamFree(test);
        m_bFloatSupported = 1;
    }
    m_bFloatOutput = doc.bassfloat != 0 ? 1 : 0;
    m_links.decoder->m_bFloatOutput = m_bFloatOutput;

    m_bDx8Effects = EffectsUsable(m_nDsVersion, m_bFloatOutput != 0) ? 1 : 0;
    m_links.equalizer->SetAvailable(m_bDx8Effects != 0);
    if (!m_bDx8Effects)
        doc.eqshow = 0;

    if (output)
        BASS_SetVolume(static_cast<DWORD>(std::clamp(doc.volume, 0, 100)));
    int volume = BASS_GetVolume();
    if (volume < 0 || volume > 100) {
        volume = 100;
        if (output)
            BASS_SetVolume(100);
    }
    m_nVolume = volume;
    m_links.volumeSlider->SetPosition(volume);
    m_links.volumeSlider->UpdateTip();
}

// --- OpenEntry ------------------------------------------------------------------------------------

bool CPlaybackEngine::AskToRemove(const char *text)
{
    if (!m_bInitialised)
        return false;
    if (m_links.messageBox->Show(text, CMessageBox::kYesNo, CMessageBox::kIconQuestion) != CMessageBox::kAnswerYes)
        return false;
    CPlayerDoc &doc = *m_links.doc;
    const int row = doc.State().m_nCurrent;
    if (row < 0 || row >= doc.EntryCount())
        return false;
    doc.RemoveRow(row); // leaves the cursor on the row, or on the new last row
    m_links.status->UpdateStatusText();
    if (doc.EntryCount() == 0)
        m_CurrentEntry = CPlaylistEntry();
    return true;
}

void CPlaybackEngine::ShowEntry(const CPlaylistEntry &entry)
{
    if (m_bPlaying)
        return;
    m_CurrentEntry = entry;
    m_links.status->UpdateStatusText();
}

bool CPlaybackEngine::OpenEntry(const CTrackInfo &info, bool askToRemove)
{
    const CPlayerDoc &doc = *m_links.doc;
    if (m_hMusic)
        BASS_MusicFree(m_hMusic);
    if (m_hStream)
        BASS_StreamFree(m_hStream);
    m_links.equalizer->ClearHandles();
    if (m_links.decoder->Type() != 0)
        m_links.decoder->Close();
    m_links.decoder->NewPlayback(); // whatever opens now (an MP3 too) is a new playback
    m_hMusic = 0;
    m_hStream = 0;
    m_nCurrentRate = 0;
    m_nModuleFade = 0;
    m_nFadeOut = 0;

    const std::int32_t type = info.GetType();
    const std::string &path = info.GetPath();
    if (type != kTypeCdTrack && !FileReadable(path)) {
        if (askToRemove)
            AskToRemove("File not found.\nRemove from playlist?  ");
        return false;
    }

    CPlaylistEntry entry;
    info.CopyToEntry(entry);
    if (IsModuleType(type)) {
        const std::uint32_t flags = (m_bFloatOutput ? BASS_MUSIC_FLOAT : 0u) | ModulePlayFlags(type);
        m_hMusic = BASS_MusicLoad(FALSE, path.c_str(), 0, 0, flags);
    } else if (IsDecodedType(type)) {
        m_hStream = m_links.decoder->CreateDecodedStream(entry, 0, type == kTypeCdTrack ? m_cCdDrive : 0);
        if (m_hStream)
            m_nCurrentRate = m_links.decoder->StreamRate();
    } else if (type == kTypeMpeg || type == kTypeWav) {
        m_hStream = BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, m_bFloatOutput ? BASS_SAMPLE_FLOAT : 0u);
        if (m_hStream)
            m_nCurrentRate = entry.m_nFrequency;
    }

    if (m_hMusic == 0 && m_hStream == 0) {
        // With no output open at all nothing can load; that says nothing about the file.
        if (type != kTypeCdTrack && askToRemove && m_bOutputOpen)
            AskToRemove("Unable to load music file.\nRemove from playlist?  ");
        return false;
    }

    m_CurrentEntry = std::move(entry);
    m_OrderTimes = info.GetOrderTimes();
    if (m_hMusic) {
        m_nCurrentRate = m_nOutputFrequency;
        const bool first = type <= kTypeMod8;
        const int mixing = first ? doc.mixing1 : doc.mixing2;
        const int panning = first ? doc.panning1 : doc.panning2;
        m_nModuleAmplify = mixing;
        m_nModulePanSep = panning;
        if (doc.modlevels != 0) {
            if (m_CurrentEntry.m_nMixing >= 1 && m_CurrentEntry.m_nMixing <= 101)
                m_nModuleAmplify = m_CurrentEntry.m_nMixing - 1;
            if (m_CurrentEntry.m_nPanning >= 1 && m_CurrentEntry.m_nPanning <= 101)
                m_nModulePanSep = m_CurrentEntry.m_nPanning - 1;
        }
        BASS_MusicSetAmplify(m_hMusic, static_cast<DWORD>(m_nModuleAmplify));
        BASS_MusicSetPanSep(m_hMusic, static_cast<DWORD>(m_nModulePanSep));
    }
    m_links.equalizer->AttachEffects(m_hMusic ? m_hMusic : m_hStream);
    return true;
}

// --- transport ------------------------------------------------------------------------------------

void CPlaybackEngine::SetChannelVolumes(int volume)
{
    if (m_hMusic)
        BASS_ChannelSetAttributes(m_hMusic, -1, volume, -101);
    if (m_hStream)
        BASS_ChannelSetAttributes(m_hStream, -1, volume, -101);
}

void CPlaybackEngine::ResetDisplays()
{
    m_nLevel = 0;
    m_links.meter->SetLevel(0);
    m_links.positionBar->Reset();
    m_links.counter->SetActive(m_bPlaying != 0);
}

void CPlaybackEngine::Play()
{
    m_nFadeOut = 0;
    m_nModuleFade = 0;
    if (m_bPaused) {
        m_bPaused = 0;
        BASS_Start();
        m_links.counter->Redraw(false);
        return;
    }

    CPlayerDoc &doc = *m_links.doc;
    ICdTrackList *cdTab = m_pPlayOrder ? m_pPlayOrder->CdTabOnShow() : nullptr;
    const int row = cdTab ? cdTab->FirstSelectedRow() : doc.State().m_nCurrent;
    CPlaylistEntry cdEntry;
    if (cdTab) {
        // On a CD tab the cursor row's track plays, named from the disc record.
        if (row < 0 || !m_links.cd || !m_links.cd->TrackEntry(cdTab->DriveLetter(), cdTab->TrackNumber(row), cdEntry))
            return;
        cdTab->SetPlayed(row, true);
        m_cCdDrive = cdTab->DriveLetter();
    } else if (row < 0 || row >= doc.EntryCount()) {
        return;
    }
    if (m_hMusic)
        BASS_ChannelStop(m_hMusic);
    if (m_hStream)
        BASS_ChannelStop(m_hStream);
    if (m_links.gapless)
        m_links.gapless->Refresh();

    // The entry's information is read again from its file: a module's order start times are not
    // kept in the playlist, and the file may have changed since it was added.
    CTrackInfo info;
    info.CopyFromEntry(cdTab ? cdEntry : doc.EntryAt(row));
    if (IsModuleType(info.GetType())) {
        info.ReadLength(0);
        if (info.GetLength() == 0) // a file that no longer scans keeps the length it was listed with
            info.ReadLength(static_cast<std::uint32_t>(std::max(doc.EntryAt(row).m_nDuration, 0)));
    }
    // The update thread may decode a short file to its end as soon as the stream exists, so the
    // gapless change-over must already know which row plays.
    if (!cdTab)
        doc.SetNextIndex(row);
    OpenEntry(info);

    if (m_hMusic || m_hStream) {
        if (m_nFadeIn > 0)
            SetChannelVolumes(100 - m_nFadeIn);
        if (m_hMusic) {
            std::uint32_t flags = ModulePlayFlags(m_CurrentEntry.m_nType);
            if (m_CurrentEntry.m_bLoops && doc.looping != 0)
                flags |= BASS_MUSIC_LOOP;
            BASS_MusicPlayEx(m_hMusic, 0, static_cast<int>(flags), TRUE);
        } else {
            BASS_StreamPlay(m_hStream, FALSE, 0);
        }
        m_nLastCount = Now();
        m_nElapsedCounts = 0;
        m_nElapsedMs = 0;
        m_nFileStartByte = 0;
        m_nFileStartMs = 0;
        m_bPlaying = 1;
        if (m_pTickPace)
            m_pTickPace->Hurry();
        m_nTrackLengthMs = m_CurrentEntry.m_nDuration * 1000;
        m_links.counter->Reset();
        m_links.counter->SetLength(static_cast<unsigned>(m_nTrackLengthMs));
        m_links.counter->SetActive(true);
        m_links.positionBar->Reset();
        m_links.positionBar->SetLength(static_cast<unsigned>(m_nTrackLengthMs));
        m_nLevel = 0;
        m_links.meter->SetLevel(0);

        if (cdTab) {
            if (doc.State().m_nPlaying >= 0)
                doc.MarkPlaying(-1); // a CD track plays, no playlist row
        } else {
            doc.MarkPlaying(doc.State().m_nCurrent);
            doc.SetNextIndex(doc.State().m_nPlaying);
        }
        if (m_pPlayOrder)
            m_pPlayOrder->RecordPlayed(m_CurrentEntry.m_strPath);
    } else if (m_bPlaying) {
        StopPlayback();
    }
}

void CPlaybackEngine::StopPlayback()
{
    m_nFadeIn = 0;
    m_nFadeOut = 0;
    m_nModuleFade = 0;
    m_links.doc->MarkPlaying(-1);
    m_bPlaying = 0;
    m_nElapsedCounts = 0;
    m_nElapsedMs = 0;
    m_links.counter->Reset();
    if (m_pPlayOrder)
        m_pPlayOrder->ClearStopAfterEntry();
    m_links.decoder->m_bStopAfterEntry = 0;
    m_links.decoder->NewPlayback(); // a change-over reported meanwhile is not taken over
    if (m_hMusic)
        BASS_ChannelStop(m_hMusic);
    if (m_hStream)
        BASS_ChannelStop(m_hStream);
    // Pausing pauses the whole output: start it again so that the next entry is heard.
    BASS_Start();
    m_bPaused = 0;
    ResetDisplays();
    // Visual plug-ins show silence, not the last frame, while nothing plays.
    m_aSamples.fill(0);
    m_aSpectrum.fill(0.0f);
}

void CPlaybackEngine::TogglePause()
{
    if (!m_bPlaying)
        return;
    if (!m_bPaused) {
        BASS_Pause();
        m_bPaused = 1;
        return;
    }
    if (m_nFadeOut > 0 || m_nModuleFade > 0) {
        m_nFadeOut = 0;
        m_nModuleFade = 0;
        SetChannelVolumes(100);
    }
    BASS_Start();
    m_bPaused = 0;
    m_links.counter->Redraw(false);
}

void CPlaybackEngine::ToggleFadeOut()
{
    if (m_nFadeOut == 0) {
        m_nFadeOut = kFadeTicks;
    } else {
        m_nFadeOut = 0;
        SetChannelVolumes(100);
    }
}

void CPlaybackEngine::ToggleMute()
{
    if (m_nSavedVolume == 0) {
        m_nSavedVolume = std::max(BASS_GetVolume(), 0);
        BASS_SetVolume(0);
    } else {
        BASS_SetVolume(static_cast<DWORD>(m_nVolume));
        m_nSavedVolume = 0;
    }
}

void CPlaybackEngine::SetPosition(int seconds, int orderStep)
{
    if (seconds > m_CurrentEntry.m_nDuration || (m_hMusic == 0 && m_hStream == 0))
        return;
    seconds = std::max(seconds, 0);
    if (m_bPaused) {
        m_bPaused = 0;
        BASS_Start();
    }
    const CPlayerDoc &doc = *m_links.doc;
    const std::int32_t type = m_CurrentEntry.m_nType;

    if (m_hMusic && IsModuleType(type)) {
        const int length = static_cast<int>(BASS_MusicGetLength(m_hMusic, FALSE));
        int order = 0;
        if (orderStep != 0) {
            order = static_cast<int>(BASS_ChannelGetPosition(m_hMusic) & 0xFFFF) + orderStep;
            if (order < 0)
                order = 0;
            if (order >= length) {
                if (doc.repeattrack == 0) {
                    if (m_pPlayOrder)
                        m_pPlayOrder->NextTrack();
                    return;
                }
                order = 0;
            }
        } else {
            const auto limit = static_cast<std::uint32_t>(seconds);
            while (order < 255 && m_OrderTimes[static_cast<std::size_t>(order)] <= limit)
                ++order;
            if (m_OrderTimes[static_cast<std::size_t>(order)] > limit && order > 0)
                --order; // the walk ended on the first order that starts later
            while (order > 0 && m_OrderTimes[static_cast<std::size_t>(order)] == 0)
                --order;
        }
        if (order >= length)
            order = std::max(length - 1, 0);
        if (BASS_MusicPlayEx(m_hMusic, static_cast<DWORD>(order), -1, FALSE)) {
            const DWORD now = static_cast<DWORD>(BASS_ChannelGetPosition(m_hMusic) & 0xFFFF);
            if (now < 256) {
                const unsigned start = m_OrderTimes[now];
                m_nElapsedMs = start * 1000;
                m_nElapsedCounts = start * m_nCounterFrequency;
            }
        }
    } else if (m_hStream && (type == kTypeMpeg || type == kTypeWav)) {
        const QWORD bytes = BASS_ChannelSeconds2Bytes(m_hStream, static_cast<float>(seconds));
        if (!BASS_ChannelSetPosition(m_hStream, bytes)) {
            ResetDisplays();
            StopPlayback();
            return;
        }
        m_nElapsedCounts = static_cast<std::uint64_t>(seconds) * m_nCounterFrequency;
        m_nElapsedMs = static_cast<unsigned>(seconds) * 1000;
        if (BASS_ChannelIsActive(m_hStream) != BASS_ACTIVE_PLAYING)
            BASS_StreamPlay(m_hStream, FALSE, 0);
    } else if (m_hStream && IsDecodedType(type)) {
        CStreamDecoder &decoder = *m_links.decoder;
        if (decoder.Type() == 0 || !decoder.CanSeek())
            return;
        m_links.equalizer->RemoveEffects(m_hStream);
        BASS_ChannelStop(m_hStream);
        BASS_StreamFree(m_hStream);
        m_hStream = 0;
        m_nElapsedCounts = static_cast<std::uint64_t>(seconds) * m_nCounterFrequency;
        m_nElapsedMs = static_cast<unsigned>(seconds) * 1000;
        m_nFileStartByte = 0;
        m_nFileStartMs = m_nElapsedMs;
        decoder.NewPlayback();
        m_hStream = decoder.CreateDecodedStream(m_CurrentEntry, seconds);
        if (!m_hStream) {
            ResetDisplays();
            StopPlayback();
            return;
        }
        m_nCurrentRate = decoder.StreamRate();
        m_links.equalizer->AttachEffects(m_hStream);
        if (m_nFadeIn > 0)
            SetChannelVolumes(100 - m_nFadeIn);
        BASS_StreamPlay(m_hStream, FALSE, 0);
    } else {
        return;
    }

    m_links.counter->SetOffset(0);
    m_links.counter->SetTime(m_nElapsedMs);
    m_links.positionBar->SetPosition(m_nElapsedMs);
    m_nLastCount = Now();
    m_links.counter->UpdateTip();
    m_nClipGuard = 0;
}

void CPlaybackEngine::ApplyModuleSettings(const CPlaylistEntry &entry)
{
    if (!m_hMusic || !CTextCompare::EqualNoCase(entry.m_strPath, m_CurrentEntry.m_strPath))
        return;
    const CPlayerDoc &doc = *m_links.doc;
    const bool first = m_CurrentEntry.m_nType <= kTypeMod8;
    // An entry whose levels are not set (0) keeps the settings' levels instead of passing -1.
    m_nModuleAmplify = entry.m_nMixing >= 1 && entry.m_nMixing <= 101 ? entry.m_nMixing - 1
                                                                       : (first ? doc.mixing1 : doc.mixing2);
    m_nModulePanSep = entry.m_nPanning >= 1 && entry.m_nPanning <= 101 ? entry.m_nPanning - 1
                                                                        : (first ? doc.panning1 : doc.panning2);
    m_CurrentEntry.m_nMixing = entry.m_nMixing;
    m_CurrentEntry.m_nPanning = entry.m_nPanning;
    m_CurrentEntry.m_bLoops = entry.m_bLoops;
    BASS_MusicSetAmplify(m_hMusic, static_cast<DWORD>(m_nModuleAmplify));
    BASS_MusicSetPanSep(m_hMusic, static_cast<DWORD>(m_nModulePanSep));
    std::uint32_t flags = ModulePlayFlags(m_CurrentEntry.m_nType);
    if (m_CurrentEntry.m_bLoops && doc.looping != 0)
        flags |= BASS_MUSIC_LOOP;
    BASS_MusicPlayEx(m_hMusic, kWherever, static_cast<int>(flags), FALSE);
}

void CPlaybackEngine::EntryEdited(const CPlaylistEntry &entry)
{
    if (!m_bPlaying) {
        ShowEntry(entry);
        return;
    }
    if (entry.m_strPath != m_CurrentEntry.m_strPath)
        return;
    m_CurrentEntry.m_strTitle = entry.m_strTitle;
    m_CurrentEntry.m_strArtist = entry.m_strArtist;
    m_CurrentEntry.m_strAlbum = entry.m_strAlbum;
    m_CurrentEntry.m_strGenre = entry.m_strGenre;
    m_CurrentEntry.m_nYear = entry.m_nYear;
    ApplyModuleSettings(entry);
    m_links.status->UpdateStatusText();
}

char CPlaybackEngine::PlayingCdDrive() const
{
    return m_bPlaying && m_CurrentEntry.m_nType == kTypeCdTrack ? m_cCdDrive : 0;
}

int CPlaybackEngine::PlayingCdTrack() const
{
    return PlayingCdDrive() != 0 ? std::atoi(m_CurrentEntry.m_strPath.c_str()) : 0;
}

void CPlaybackEngine::CloseChannel()
{
    if (m_hMusic)
        BASS_MusicFree(m_hMusic);
    if (m_hStream)
        BASS_StreamFree(m_hStream);
    m_hMusic = 0;
    m_hStream = 0;
    m_links.equalizer->ClearHandles();
    if (m_links.decoder->Type() != 0)
        m_links.decoder->Close();
    m_links.decoder->NewPlayback();
}

void CPlaybackEngine::ShutDown()
{
    if (m_hMusic) {
        BASS_ChannelStop(m_hMusic);
        BASS_MusicFree(m_hMusic);
    }
    if (m_hStream) {
        BASS_ChannelStop(m_hStream);
        BASS_StreamFree(m_hStream);
    }
    m_hMusic = 0;
    m_hStream = 0;
    m_links.equalizer->ClearHandles();
    if (m_links.decoder->Type() != 0)
        m_links.decoder->Close();
    m_bPlaying = 0;
    m_bPaused = 0;
    if (m_nSavedVolume != 0) {
        BASS_SetVolume(static_cast<DWORD>(m_nSavedVolume));
        m_nSavedVolume = 0;
    }
    // The slider, not the library: it holds the volume from before a mute, and a move the timer has
    // not applied yet.
    m_links.doc->volume = std::clamp(m_links.volumeSlider->Position(), 0, 100);
    BASS_Free();
}

void CPlaybackEngine::RestartOutput()
{
    if (m_bPlaying)
        StopPlayback();
    ShutDown();
    InitAudio();
}

// --- the tick -------------------------------------------------------------------------------------

ETickPace CPlaybackEngine::NeededPace() const
{
    if (IsIdle())
        return ETickPace::Idle;
    // A change-over waiting to be heard is taken over (or stopped at) within a fast tick of its start.
    if (m_nFadeIn > 0 || m_nFadeOut > 0 || m_nModuleFade > 0 || m_links.visuals->AnyVisualActive() ||
        m_links.meter->WantsEveryTick() || m_links.decoder->ChangePending())
        return ETickPace::Fast;
    return ETickPace::Steady;
}

void CPlaybackEngine::OnTick(int elapsedTicks)
{
    CPlayerDoc &doc = *m_links.doc;
    if (m_links.gapless)
        m_links.gapless->Refresh();
    if (m_pPlayOrder)
        m_links.decoder->m_bStopAfterEntry = m_pPlayOrder->StopAfterEntry() ? 1 : 0;

    // 1, 2: timed playback twice a second; once a second the slower checks.
    const unsigned before = m_nTickCounter;
    m_nTickCounter += static_cast<unsigned>(std::max(elapsedTicks, 1));
    if (m_nTickCounter / 25 != before / 25 && m_links.timed)
        m_links.timed->TimedCheck();
    if (m_nTickCounter > 50) {
        m_nTickCounter = 0;
        m_nClipGuard = 0;
        m_links.counter->EndHoverIfLeft();
        m_links.meter->EndHoverIfLeft();
        m_links.positionBar->EndHoverIfLeft();
        if (m_bPaused)
            m_links.counter->Redraw(true);
        CheckSaverStart();
        const bool lost = m_bOutputOpen && BASS_IsOutputLost() != FALSE;
        if (lost != m_bOutputLost) {
            m_bOutputLost = lost;
            m_links.status->UpdateStatusText();
        }
    }

    // 3, 4: level and visual data of what is heard now.
    const DWORD handle = m_hMusic ? m_hMusic : m_hStream;
    const bool active = handle != 0 && BASS_ChannelIsActive(handle) == BASS_ACTIVE_PLAYING;
    if (active) {
        if (m_links.visuals->AnyVisualActive()) {
            if (!m_bFloatOutput) {
                BASS_ChannelGetData(handle, m_aSamples.data(), kSampleBytes);
            } else {
                BASS_ChannelGetData(handle, m_aFloatSamples.data(), kSampleBytes * 2);
                for (std::size_t i = 0; i < m_aSamples.size(); ++i) {
                    const float scaled = m_aFloatSamples[i] * 32768.0f;
                    const float clamped = std::clamp(scaled, -32768.0f, 32767.0f);
                    m_aSamples[i] = static_cast<std::int16_t>(clamped);
                }
            }
            const bool mono = !IsModuleType(m_CurrentEntry.m_nType) && m_CurrentEntry.m_nChannels == 1;
            if (mono) {
                BASS_ChannelGetData(handle, m_aSpectrum.data(), kSpectrumMono);
                for (std::size_t i = 0; i + 1 < m_aSpectrum.size(); i += 2)
                    m_aSpectrum[i + 1] = m_aSpectrum[i];
            } else {
                BASS_ChannelGetData(handle, m_aSpectrum.data(), kSpectrumStereo);
            }
            // What is heard has been mixed at the output rate, whatever the file's own rate.
            m_nVisualRate = m_nOutputFrequency;
        }
        m_nLevel = BASS_ChannelGetLevel(handle);
        if (m_nLevel == 0xFFFFFFFFu)
            m_nLevel = 0;
    } else {
        m_nLevel = 0;
    }
    m_links.meter->SetLevel(m_nLevel);

    // 5: a gapless change-over, once its first frame is heard.
    if (!TakeOverHeardChanges())
        return;

    // 6: every second tick (every tick that stands for two or more), the counter, clip correction
    // and the end of the channel.
    m_bHalfTick = m_bHalfTick || elapsedTicks > 1 ? 0 : 1;
    if (m_bHalfTick == 0) {
        if (active && !m_bPaused) {
            const std::uint64_t now = Now();
            if (now < m_nLastCount)
                m_nLastCount = now;
            m_nElapsedCounts += now - m_nLastCount;
            m_nLastCount = now;
            unsigned heardMs = 0;
            if (HeardElapsedMs(heardMs))
                m_nElapsedCounts = static_cast<std::uint64_t>(heardMs) * m_nCounterFrequency / 1000u;
            m_nElapsedMs = static_cast<unsigned>(m_nElapsedCounts / m_nCounterFrequency) * 1000u;
            m_links.counter->SetTime(m_nElapsedMs);
            m_links.positionBar->SetPosition(m_nElapsedMs);
        }
        if (m_hMusic && doc.autocorrect != 0 && m_nClipGuard == 0 &&
            ((m_nLevel & 0xFFFF) > 127 || (m_nLevel >> 16) > 127) && m_nModuleAmplify > 0) {
            --m_nModuleAmplify;
            BASS_MusicSetAmplify(m_hMusic, static_cast<DWORD>(m_nModuleAmplify));
            m_nClipGuard = kClipGuardTicks;
            m_CurrentEntry.m_nMixing = m_nModuleAmplify + 1;
            doc.SetEntryMixing(doc.State().m_nPlaying, m_CurrentEntry.m_strPath, m_nModuleAmplify + 1);
        }
        if (m_bPaused)
            m_nLastCount = Now();
        else if (m_bPlaying && handle != 0 && !active)
            EndOfChannel();
        else if (m_bPlaying && handle == 0)
            StopPlayback();
    }

    // 7: fade-in.
    if (m_nFadeIn > 0) {
        --m_nFadeIn;
        SetChannelVolumes(100 - m_nFadeIn);
    }

    // 8: a looping module plays on for 3 s past its length, then fades out.
    if (m_nModuleFade == 0 && m_hMusic && doc.looping == 2 && BASS_ChannelIsActive(m_hMusic) == BASS_ACTIVE_PLAYING &&
        static_cast<long long>(m_nElapsedMs) > static_cast<long long>(m_nTrackLengthMs) + 3000)
        m_nModuleFade = kFadeTicks;
    if (m_nModuleFade > 0) {
        --m_nModuleFade;
        if (m_hMusic)
            BASS_ChannelSetAttributes(m_hMusic, -1, m_nModuleFade / 5, -101);
        if (m_nModuleFade == 0 && m_hMusic)
            BASS_ChannelStop(m_hMusic);
    }

    // 9: fade-out.
    if (m_nFadeOut > 0) {
        --m_nFadeOut;
        SetChannelVolumes(m_nFadeOut / 5);
        if (m_nFadeOut == 0)
            StopPlayback();
    }

    // 10: the end of a screen saver that started playback.
    if (m_bSaverRunning)
        CheckSaverEnd();

    // 11: the volume slider.
    const int slider = m_links.volumeSlider->Position();
    if (slider != m_nVolume) {
        m_links.volumeSlider->UpdateTip();
        m_nVolume = slider;
        BASS_SetVolume(static_cast<DWORD>(std::clamp(m_nVolume, 0, 100)));
        m_nSavedVolume = 0;
    }

    // 12.
    if (m_nClipGuard > 0)
        m_nClipGuard = std::max(0, m_nClipGuard - std::max(elapsedTicks, 1));
}

void CPlaybackEngine::EndOfChannel()
{
    m_links.counter->Reset();
    if (m_pPlayOrder && m_pPlayOrder->StopAfterEntry()) {
        StopPlayback();
    } else if (m_links.doc->repeattrack != 0) {
        SetPosition(0, 0);
    } else if (m_pPlayOrder && m_pPlayOrder->SelectNext()) {
        Play();
    } else {
        StopPlayback();
    }
}

bool CPlaybackEngine::HeardElapsedMs(unsigned &ms) const
{
    if (!m_hStream)
        return false;
    const QWORD heard = BASS_ChannelGetPosition(m_hStream);
    if (heard == static_cast<QWORD>(-1))
        return false;
    const QWORD played = heard > m_nFileStartByte ? heard - m_nFileStartByte : 0;
    const float seconds = BASS_ChannelBytes2Seconds(m_hStream, played);
    if (!(seconds >= 0))
        return false;
    ms = m_nFileStartMs + static_cast<unsigned>(seconds * 1000.0f);
    return true;
}

bool CPlaybackEngine::TakeOverHeardChanges()
{
    CStreamDecoder &decoder = *m_links.decoder;
    if (!decoder.ChangePending())
        return true;
    const QWORD heard = m_hStream ? BASS_ChannelGetPosition(m_hStream) : static_cast<QWORD>(-1);
    std::uint64_t startByte = 0;
    int row = -1;
    while (heard != static_cast<QWORD>(-1) && (row = decoder.TakeHeardChange(heard, startByte)) >= 0) {
        // Stop at Track End or Repeat Track chosen after the decoder had already gone on: the
        // entry on show ends here as if the decoder had stopped at its end.
        if ((m_pPlayOrder && m_pPlayOrder->StopAfterEntry()) || m_links.doc->repeattrack != 0) {
            EndOfChannel();
            return false;
        }
        TakeOverChangedRow(row, startByte);
    }
    return true;
}

void CPlaybackEngine::TakeOverChangedRow(int row, std::uint64_t startByte)
{
    CPlayerDoc &doc = *m_links.doc;
    if (CStreamDecoder::IsCdReport(row)) {
        if (!TakeOverCdTrack(CStreamDecoder::ReportDrive(row), CStreamDecoder::ReportTrack(row)))
            return;
    } else {
        if (!doc.GetEntry(row, m_CurrentEntry))
            return;
        doc.MarkPlaying(row);
        doc.SelectOnly(row);
        if (m_pPlayOrder)
            m_pPlayOrder->RecordPlayed(m_CurrentEntry.m_strPath);
    }
    m_OrderTimes.fill(0);
    m_nFileStartByte = startByte;
    m_nFileStartMs = 0;
    m_nElapsedCounts = 0;
    m_nElapsedMs = 0;
    m_nLastCount = Now();
    m_links.counter->Reset();
    m_links.counter->SetOffset(0);
    m_nTrackLengthMs = m_CurrentEntry.m_nDuration * 1000;
    m_links.counter->SetLength(static_cast<unsigned>(m_nTrackLengthMs));
    m_links.positionBar->SetLength(static_cast<unsigned>(m_nTrackLengthMs));
    m_links.status->UpdateStatusText();
}

bool CPlaybackEngine::TakeOverCdTrack(char letter, int track)
{
    if (!m_links.cd || !m_links.cd->TrackEntry(letter, track, m_CurrentEntry))
        return false;
    m_cCdDrive = letter;
    // The track's row is the cursor on its own tab; another tab on show keeps its cursor.
    ICdTrackList *cdTab = m_pPlayOrder ? m_pPlayOrder->CdTabOnShow() : nullptr;
    if (cdTab && cdTab->DriveLetter() == letter) {
        for (int r = 0; r < cdTab->RowCount(); ++r) {
            if (cdTab->TrackNumber(r) == track) {
                cdTab->SelectAndFocus(r);
                cdTab->SetPlayed(r, true);
                break;
            }
        }
        m_pPlayOrder->RecordPlayed(m_CurrentEntry.m_strPath);
    }
    return true;
}

void CPlaybackEngine::CheckSaverStart()
{
    if (m_bSaverRunning || !m_links.screenSaver->IsDetectable())
        return;
    m_bSaverRunning = m_links.screenSaver->IsActive() ? 1 : 0;
    CPlayerDoc &doc = *m_links.doc;
    if (!m_bSaverRunning || (m_bPlaying && !m_bPaused) || doc.EntryCount() == 0 || doc.scrsave == 0)
        return;
    if (doc.random != 0 && doc.EntryCount() > 1 && m_pPlayOrder)
        m_pPlayOrder->NextTrack();
    Play();
    m_bSaverStarted = 1;
}

void CPlaybackEngine::CheckSaverEnd()
{
    if (m_links.screenSaver->IsActive())
        return;
    m_bSaverRunning = 0;
    if (m_bSaverStarted && m_bPlaying) {
        if (m_links.doc->scrsave == 2 && !m_bPaused)
            TogglePause();
        else if (m_links.doc->scrsave == 3)
            StopPlayback();
    }
    m_bSaverStarted = 0;
}
