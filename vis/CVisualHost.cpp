#include "vis/CVisualHost.h"

#include "platform/io/CDynamicLibrary.h"
#include "vis/CVisThread.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>
#include <thread>

namespace {

bool SameIgnoringCase(const std::string &a, const std::string &b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

// The menu name of the plug-in library `path`, empty when it is none.
std::string QueryName(const std::string &path)
{
    CDynamicLibrary library;
    MvQueryVisualFn query = nullptr;
    if (!library.Load(path) || !library.Resolve("QueryVisual", query))
        return {};
    const char *name = query();
    return name ? std::string(name) : std::string();
}

} // namespace

CVisualHost::CVisualHost(std::string folder, const VisualFeed &feed, std::string mainWindow)
    : m_folder(std::move(folder)), m_mainWindow(std::move(mainWindow))
{
    m_info.pszMainWindow = m_mainWindow.c_str();
    m_info.nSampleBytes = kSampleBytes;
    m_info.nFftCount = kFftCount;
    m_info.pLevel = feed.level;
    m_info.pSampleRate = feed.sampleRate;
    m_info.pSamples = feed.samples;
    m_info.pFft = feed.fft;
}

CVisualHost::~CVisualHost()
{
    StopAll();
}

int CVisualHost::Discover()
{
    if (m_bDiscovered)
        return m_nCount;
    m_bDiscovered = true;
    for (Slot &slot : m_slots)
        slot.running = 0;
    std::error_code error;
    std::filesystem::directory_iterator it(m_folder, error);
    for (; !error && it != std::filesystem::directory_iterator() && m_nCount < kMaxSlots; it.increment(error)) {
        const std::filesystem::path &path = it->path();
        if (path.extension() != ".so" || !it->is_regular_file(error))
            continue;
        std::string name = QueryName(path.string());
        if (name.empty())
            continue;
        if (name.size() > kMaxNameLength)
            name.resize(kMaxNameLength);
        Slot &slot = m_slots[Index(m_nCount++)];
        slot.name = std::move(name);
        slot.fileName = path.filename().string();
    }
    return m_nCount;
}

bool CVisualHost::IsRunning(int slot) const
{
    return slot >= 0 && slot < m_nCount && m_slots[Index(slot)].running.load() != 0;
}

void CVisualHost::Toggle(int slot)
{
    if (slot < 0 || slot >= m_nCount)
        return;
    Slot &s = m_slots[Index(slot)];
    if (s.running.load() == 0) {
        Start(s);
    } else if (s.keepRunning.exchange(0) != 0 && s.thread) {
        s.thread->Wake();
    }
}

void CVisualHost::Start(Slot &slot)
{
    slot.thread.reset(); // the thread of an earlier run has ended (its running flag is 0)
    slot.running = 1;
    slot.keepRunning = 1;
    std::string path = m_folder;
    if (!path.empty() && path.back() != '/')
        path += '/';
    slot.thread = std::make_unique<CVisThread>(slot.running, slot.keepRunning, path + slot.fileName, m_info);
    if (!slot.thread->Start())
        slot.thread.reset();
}

void CVisualHost::Restart(const std::vector<std::string> &fileNames)
{
    for (const std::string &fileName : fileNames) {
        for (int i = 0; i < m_nCount; ++i) {
            if (SameIgnoringCase(m_slots[Index(i)].fileName, fileName)) {
                if (!IsRunning(i))
                    Toggle(i);
                break;
            }
        }
    }
}

std::vector<std::string> CVisualHost::RunningFileNames() const
{
    std::vector<std::string> names;
    for (int i = 0; i < m_nCount; ++i) {
        if (IsRunning(i))
            names.push_back(m_slots[Index(i)].fileName);
    }
    return names;
}

void CVisualHost::StopAll()
{
    for (Slot &slot : m_slots) {
        if (slot.keepRunning.exchange(0) != 0 && slot.thread)
            slot.thread->Wake();
    }
    while (std::any_of(m_slots.begin(), m_slots.end(), [](const Slot &slot) { return slot.running.load() != 0; }))
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    for (Slot &slot : m_slots)
        slot.thread.reset();
}

bool CVisualHost::AnyVisualActive()
{
    return std::any_of(m_slots.begin(), m_slots.end(), [](const Slot &slot) { return slot.running.load() != 0; });
}
