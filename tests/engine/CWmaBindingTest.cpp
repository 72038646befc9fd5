// The Windows Media plug-in binding, against stand-in plug-ins built with the tests.
#include "tests/engine/DecoderFixtures.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <memory>

using namespace decoder_test;

namespace {

const std::string kPluginRoot = FAKE_ASFIN_DIR;

// The stand-in's own view of what happened (same module, so the same counters).
template <typename T>
T *FakeSymbol(const char *name)
{
    void *module = dlopen((kPluginRoot + "/complete/mv_asfin.so").c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (!module)
        return nullptr;
    void *symbol = dlsym(module, name);
    dlclose(module);
    return reinterpret_cast<T *>(symbol);
}

TEST(WmaBinding, LoadsOnlyACompletePluginThatInitialises)
{
    struct Case {
        const char *folder;
        bool loads;
    };
    const Case cases[] = {
        {"complete", true},
        {"noexport", false},   // WriteInfo missing
        {"initfails", false},  // WMAInit returns 0
        {"nonexistent", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.folder);
        auto decoder = std::make_unique<CStreamDecoder>(nullptr, nullptr, &RecordStreamCreate);
        EXPECT_EQ(decoder->LoadWmaPlugin(kPluginRoot + "/" + c.folder), c.loads);
        EXPECT_EQ(decoder->WmaBinding().IsLoaded(), c.loads);
        // Without the plug-in a Windows Media file neither identifies nor opens.
        WmaInfo info{};
        IWmaInfoReader &reader = decoder->WmaBinding(); // what the tag reader is given
        EXPECT_EQ(reader.ReadInfo("/music/song.wma", info), c.loads);
        EXPECT_EQ(info.length, c.loads ? 7u : 0u);
        EXPECT_FALSE(reader.ReadInfo("/music/song.mp3", info));
        EXPECT_EQ(decoder->Open("/music/song.wma", kTypeWma, 0, 0), c.loads ? kTypeWma : 0);
        decoder->FreeWmaPlugin();
        EXPECT_FALSE(decoder->WmaBinding().IsLoaded());
    }
}

// Offered on demand, the plug-in is mapped only when a file is first described through it.
TEST(WmaBinding, OnDemandLoadsAtTheFirstUse)
{
    CWmaBinding binding;
    EXPECT_FALSE(binding.LoadOnDemand(kPluginRoot + "/nonexistent/"));
    EXPECT_FALSE(binding.IsAvailable());
    ASSERT_TRUE(binding.LoadOnDemand(kPluginRoot + "/initfails/"));
    EXPECT_TRUE(binding.IsAvailable());
    EXPECT_FALSE(binding.IsLoaded());
    WmaInfo info{};
    EXPECT_FALSE(binding.ReadInfo("/m/stereo.wma", info)) << "a plug-in that does not initialise";
    EXPECT_FALSE(binding.IsAvailable()) << "and it is not tried again";

    ASSERT_TRUE(binding.LoadOnDemand(kPluginRoot + "/complete/"));
    EXPECT_FALSE(binding.IsLoaded());
    EXPECT_TRUE(binding.ReadInfo("/m/stereo.wma", info));
    EXPECT_TRUE(binding.IsLoaded());
    binding.Free();
}

TEST(WmaBinding, SixteenBitAndFloatDelivery)
{
    auto decoder = std::make_unique<CStreamDecoder>(nullptr, nullptr, &RecordStreamCreate);
    ASSERT_TRUE(decoder->LoadWmaPlugin(kPluginRoot + "/complete/"));
    auto *sample = FakeSymbol<std::int16_t(std::uint32_t)>("FakeAsfinSample");
    auto *lastFill = FakeSymbol<std::uint32_t>("FakeAsfinLastFillLength");
    auto *lastStart = FakeSymbol<std::uint32_t>("FakeAsfinLastStart");
    auto *closeCount = FakeSymbol<int>("FakeAsfinCloseCount");
    ASSERT_TRUE(sample && lastFill && lastStart && closeCount);

    struct Case {
        const char *path;
        int floatOutput, start;
        DWORD flags;
    };
    const Case cases[] = {
        {"/m/stereo.wma", 0, 0, 0x0},
        {"/m/stereo.wma", 1, 0, 0x100},
        {"/m/mono.wma", 1, 0, 0x102},
        {"/m/Stereo.wma", 0, 0, 0x0}, // keeps the path's case
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.path) + (c.floatOutput ? " float" : " 16-bit"));
        decoder->m_bFloatOutput = c.floatOutput;
        CPlaylistEntry entry;
        entry.m_strPath = c.path;
        entry.m_nType = kTypeWma;
        g_created = {};
        ASSERT_NE(decoder->CreateDecodedStream(entry, c.start), 0u);
        EXPECT_EQ(g_created.rate, 32000u);
        EXPECT_EQ(g_created.flags, c.flags);

        const std::uint32_t chunk = 4 * 1500;
        const Drained out = Drain(*decoder, chunk);
        EXPECT_EQ(*lastFill, c.floatOutput ? chunk / 2 : chunk); // float: the plug-in fills half
        if (c.floatOutput) {
            const std::vector<float> got = AsFloat(out.bytes);
            ASSERT_EQ(got.size(), 20000u); // twice the plug-in's bytes
            for (std::uint32_t i = 0; i < got.size(); ++i)
                ASSERT_EQ(got[i], sample(i) / 32768.0f) << i;
        } else {
            const std::vector<std::int16_t> got = AsInt16(out.bytes);
            ASSERT_EQ(got.size(), 20000u);
            for (std::uint32_t i = 0; i < got.size(); ++i)
                ASSERT_EQ(got[i], sample(i)) << i;
        }
        EXPECT_TRUE(out.changedRows.empty());
    }

    // A seek reopens with the start second; the open file is closed through the plug-in first.
    CPlaylistEntry entry;
    entry.m_strPath = "/m/stereo.wma";
    entry.m_nType = kTypeWma;
    const int closesBefore = *closeCount;
    ASSERT_NE(decoder->CreateDecodedStream(entry, 3), 0u);
    EXPECT_EQ(*lastStart, 3u);
    EXPECT_EQ(*closeCount, closesBefore + 1);
    EXPECT_TRUE(decoder->CanSeek());
    decoder->Close();
    EXPECT_EQ(*closeCount, closesBefore + 2);
    // Not a Windows Media file: the plug-in refuses and no stream is made.
    entry.m_strPath = "/m/song.mp3";
    g_created = {};
    EXPECT_EQ(decoder->CreateDecodedStream(entry, 0), 0u);
    EXPECT_EQ(g_created.calls, 0);
    // A protected file opens in the plug-in but is refused (and closed again) rather than played silent.
    entry.m_strPath = "/m/protected.wma";
    const int closesBeforeProtected = *closeCount;
    EXPECT_EQ(decoder->CreateDecodedStream(entry, 0), 0u);
    EXPECT_EQ(g_created.calls, 0);
    EXPECT_EQ(*closeCount, closesBeforeProtected + 1);
}

} // namespace
