#include "cd/CCdReader.h"

#include "cd/CManualEvent.h"
#include "cd/CThreadPriority.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <new>
#include <system_error>

struct CCdReader::Stream {
    std::unique_ptr<std::uint8_t[]> buffers[3];
    std::atomic<std::uint32_t> counts[3] = {0, 0, 0};
    std::atomic<int> fill{-1};     // buffer the thread fills next, -1 none
    std::atomic<int> consumer{-1}; // buffer Read takes from, -1 none
    std::atomic<int> running{0};
    std::atomic<int> priority{4};
    std::atomic<pid_t> tid{0};
    CManualEvent dataReady;
    CManualEvent threadEnded;
    std::shared_ptr<ICdDevice> device;
    std::int32_t sector = 0; // written by the thread only while it runs
    std::int32_t end = 0;
};

CCdReader::CCdReader(const ICdDeviceOpener &drives) : m_drives(drives)
{
}

CCdReader::~CCdReader()
{
    Close();
}

bool CCdReader::OpenDrive(char letter)
{
    Close();
    std::unique_ptr<ICdDevice> device = m_drives.OpenDevice(letter);
    if (!device)
        return false;
    CCdToc toc;
    if (!device->ReadToc(toc) || toc.GetTrackCount() == 0)
        return false;
    m_pDevice = std::move(device);
    m_toc = toc;
    m_cDrive = letter;
    return true;
}

bool CCdReader::OpenTrack(char letter, int track)
{
    if (!OpenDrive(letter))
        return false;
    if (!m_toc.GetSectorRange(track, 0, m_nSector, m_nEndSector)) {
        Close();
        return false;
    }
    m_nTrackPosition = track - m_toc.FirstTrack + 1;
    return true;
}

std::uint32_t CCdReader::ReadSectors(void *buffer, std::uint32_t bytes)
{
    if (!m_pDevice || m_nSector >= m_nEndSector)
        return 0;
    std::uint32_t count = bytes / kSectorBytes;
    if (static_cast<std::int64_t>(m_nSector) + count > m_nEndSector)
        count = static_cast<std::uint32_t>(m_nEndSector - m_nSector);
    while (count > 0 && !m_pDevice->ReadAudio(m_nSector, count, buffer))
        --count;
    m_nSector += static_cast<std::int32_t>(count);
    return count * kSectorBytes;
}

void CCdReader::StopThread()
{
    if (!m_thread.joinable())
        return;
    if (m_pStream->running.load()) {
        m_pStream->running.store(0);
        if (!m_pStream->threadEnded.Wait(kCloseWaitMs)) {
            // Hung in a device read: it owns a reference to everything it touches.
            m_thread.detach();
            m_pStream.reset();
            return;
        }
    }
    m_thread.join();
}

void CCdReader::Close()
{
    StopThread();
    if (m_pStream)
        m_pStream->device.reset();
    m_pDevice.reset();
    m_toc = CCdToc();
    m_cDrive = 0;
    m_nTrackPosition = 0;
    m_nSector = m_nEndSector = 0;
}

bool CCdReader::Start(char letter, int track, int offsetSeconds, bool floatOutput)
{
    Close();
    m_bFloat = floatOutput;
    try {
        if (!m_pStream)
            m_pStream = std::make_shared<Stream>();
        for (auto &buffer : m_pStream->buffers)
            if (!buffer)
                buffer.reset(new std::uint8_t[kBufferBytes]);
    } catch (const std::bad_alloc &) {
        m_pStream.reset();
        return false;
    }
    if (!OpenDrive(letter))
        return false;
    std::int32_t start = 0, end = 0;
    if (!m_toc.GetSectorRange(track, offsetSeconds, start, end)) {
        Close();
        return false;
    }
    Stream &s = *m_pStream;
    s.device = m_pDevice;
    s.sector = start;
    s.end = end;
    for (auto &count : s.counts)
        count.store(0);
    s.fill.store(-1);
    s.consumer.store(-1);
    s.tid.store(0);
    s.priority.store(m_nPriority);
    m_nReadPos = 0;
    m_nCurrentCount = 0;
    m_bEnded = false;
    s.running.store(1);
    s.dataReady.Reset();
    s.threadEnded.Reset();
    try {
        m_thread = std::thread(&CCdReader::ThreadMain, m_pStream);
    } catch (const std::system_error &) {
        s.running.store(0);
        Close();
        return false;
    }
    if (!s.dataReady.Wait(kStartWaitMs) || s.counts[0].load() == 0) {
        Close();
        return false;
    }
    m_nCurrentCount = s.counts[0].load();
    m_nTrackPosition = track - m_toc.FirstTrack + 1;
    return true;
}

void CCdReader::ThreadMain(std::shared_ptr<Stream> stream)
{
    Stream &s = *stream;
    s.tid.store(CThreadPriority::CurrentThreadId());
    for (int applied = -1; applied != s.priority.load();) {
        applied = s.priority.load();
        CThreadPriority::Apply(s.tid.load(), applied);
    }
    s.fill.store(0);
    for (;;) {
        if (!s.running.load()) {
            s.fill.store(-1);
            break;
        }
        const int fill = s.fill.load();
        if (s.consumer.load() == fill) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            continue;
        }
        std::uint8_t *buffer = s.buffers[fill].get();
        std::uint32_t sectors = 0, bytes = 0;
        while (sectors < kBufferSectors - kRunSectors + 1) {
            if (s.sector >= s.end)
                break;
            std::uint32_t count = kRunSectors;
            if (static_cast<std::int64_t>(s.sector) + count > s.end)
                count = static_cast<std::uint32_t>(s.end - s.sector);
            while (count > 0 && !s.device->ReadAudio(s.sector, count, buffer + sectors * kSectorBytes)) {
                if (!s.running.load()) {
                    count = 0;
                    break;
                }
                --count;
            }
            if (count == 0)
                break;
            bytes += count * kSectorBytes;
            s.sector += static_cast<std::int32_t>(count);
            sectors += count;
        }
        s.counts[fill].store(bytes);
        if (bytes == 0) {
            s.fill.store(-1);
            s.dataReady.Set();
            break;
        }
        int none = -1;
        s.consumer.compare_exchange_strong(none, 0);
        s.fill.store((fill + 1) % 3);
        s.dataReady.Set();
    }
    s.running.store(0);
    s.device.reset();
    s.threadEnded.Set();
}

std::uint32_t CCdReader::Read(void *destination, std::uint32_t bytes)
{
    if (!m_pStream || m_bEnded)
        return 0;
    Stream &s = *m_pStream;
    auto *out = static_cast<std::uint8_t *>(destination);
    std::uint32_t produced = 0;
    while (produced < bytes) {
        if (m_nReadPos >= m_nCurrentCount) {
            const int consumer = s.consumer.load();
            if (consumer < 0)
                break;
            // The next buffer is taken only once the thread has finished it. Were it taken while the
            // thread still had it to fill, a consumer faster than real time that came round to it
            // during the thread's 100 ms nap would wait for the thread while the thread waited for
            // it. Reset before looking, so that a buffer finished in between still wakes the wait.
            const int next = (consumer + 1) % 3;
            s.dataReady.Reset();
            if (s.fill.load() == next && (!s.dataReady.Wait(kReadWaitMs) || s.fill.load() == next))
                break; // a stall: the next call looks again
            s.consumer.store(next);
            m_nReadPos = 0;
            m_nCurrentCount = s.counts[next].load();
            if (m_nCurrentCount == 0) {
                m_bEnded = true;
                break;
            }
            continue;
        }
        const std::uint8_t *in = s.buffers[s.consumer.load()].get() + m_nReadPos;
        const std::uint32_t left = m_nCurrentCount - m_nReadPos;
        if (m_bFloat) {
            std::uint32_t samples = std::min(left / 2, (bytes - produced) / 4);
            if (samples == 0)
                break;
            for (std::uint32_t i = 0; i < samples; ++i) {
                const std::int16_t v = static_cast<std::int16_t>(in[2 * i] | in[2 * i + 1] << 8);
                const float value = static_cast<float>(v) / 32768.0f;
                std::memcpy(out + produced + 4 * i, &value, sizeof value);
            }
            m_nReadPos += samples * 2;
            produced += samples * 4;
        } else {
            const std::uint32_t n = std::min(left, bytes - produced);
            std::memcpy(out + produced, in, n);
            m_nReadPos += n;
            produced += n;
        }
    }
    return produced;
}

void CCdReader::SetPriority(int index)
{
    m_nPriority = CThreadPriority::Checked(index);
    if (!m_pStream)
        return;
    m_pStream->priority.store(m_nPriority);
    const pid_t tid = m_pStream->tid.load();
    if (m_pStream->running.load() && tid > 0)
        CThreadPriority::Apply(tid, m_nPriority);
}
