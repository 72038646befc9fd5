#include "tools/CdExtractCommand.h"

#include "cd/CCdDriveList.h"
#include "cd/CDiscRecord.h"
#include "cd/CEncoderHost.h"
#include "cd/CExtractWorker.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <strings.h>
#include <thread>

namespace {

std::atomic<int> g_interrupted{0};

extern "C" void OnInterrupt(int)
{
    g_interrupted.store(1);
}

class CStderrProgress : public IExtractProgress {
public:
    void OnStatus(const std::string &text) override { std::fprintf(stderr, "%s\n", text.c_str()); }
    void OnButton(const std::string &) override {}
    void OnTrackRange(std::uint32_t) override {}
    void OnTotalRange(std::uint32_t) override {}
    void OnProgress(std::uint32_t, std::uint32_t) override {}
    void OnTrackFinished(const std::string &path) override
    {
        std::printf("%s\n", path.c_str());
        std::fflush(stdout);
    }
    void OnFinished(bool) override {}
};

} // namespace

bool ParseTrackList(const std::string &list, CDiscRecord &record)
{
    record.m_bChecked.fill(0);
    std::size_t pos = 0;
    bool any = false;
    while (pos <= list.size()) {
        const std::size_t comma = list.find(',', pos);
        const std::string item = list.substr(pos, comma == std::string::npos ? std::string::npos : comma - pos);
        char *end = nullptr;
        const long first = std::strtol(item.c_str(), &end, 10);
        long last = first;
        if (end == item.c_str())
            return false;
        if (*end == '-') {
            const char *second = end + 1;
            last = std::strtol(second, &end, 10);
            if (end == second)
                return false;
        }
        if (*end != '\0' || first < 1 || last < first || last >= CDiscRecord::kSlots)
            return false;
        for (long t = first; t <= last; ++t)
            record.m_bChecked[static_cast<std::size_t>(t)] = 1;
        any = true;
        if (comma == std::string::npos)
            break;
        pos = comma + 1;
    }
    return any;
}

int RunCdExtract(const CCdDriveList &drives, CDiscRecord record, const std::string &folder,
                 const std::string &encoder, const std::string &tracks)
{
    if (!tracks.empty() && !ParseTrackList(tracks, record)) {
        std::fprintf(stderr, "melvane-cd: %s: not a track list (such as 1,3-5)\n", tracks.c_str());
        return 2;
    }
    if (record.m_nDiscId == 0) {
        std::fprintf(stderr, "melvane-cd: drive %c: no audio disc\n", record.m_cDrive);
        return 1;
    }
    if (CExtractWorker::NextTrack(record, 0) == 0) {
        std::fprintf(stderr, "melvane-cd: no audio track chosen\n");
        return 2;
    }
    CEncoderHost host;
    EncoderBinding binding;
    const bool wav = encoder.empty() || strcasecmp(encoder.c_str(), "wav") == 0 ||
                     strcasecmp(encoder.c_str(), "Windows PCM") == 0;
    if (!wav) {
        host.Discover(CEncoderHost::DefaultFolder());
        const int index = host.Find(encoder);
        if (index < 0) {
            std::fprintf(stderr, "melvane-cd: no encoder %s in %s\n", encoder.c_str(),
                         CEncoderHost::DefaultFolder().c_str());
            for (int i = 0; i < host.Count(); ++i)
                std::fprintf(stderr, "  %s (%s)\n", host.At(i).fileName.c_str(), host.At(i).name.c_str());
            return 2;
        }
        host.Bind(index, binding);
    }
    CStderrProgress progress;
    CExtractWorker worker(drives, progress);
    g_interrupted.store(0);
    std::signal(SIGINT, OnInterrupt);
    std::signal(SIGTERM, OnInterrupt);
    if (!worker.Start(record, folder, wav ? nullptr : &binding))
        return 1;
    while (worker.IsActive()) {
        if (g_interrupted.exchange(0))
            worker.Abort();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    worker.Wait();
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    switch (worker.Result()) {
    case CExtractWorker::Outcome::kDone: return 0;
    case CExtractWorker::Outcome::kAborted: return 130;
    default: return 1;
    }
}
