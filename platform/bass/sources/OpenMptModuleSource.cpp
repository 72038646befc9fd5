#include "platform/bass/sources/OpenMptModuleSource.h"

#include "platform/io/CFileDescriptor.h"
#include "platform/bass/bass.h"

#include <fcntl.h>
#include <libopenmpt/libopenmpt.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <string>

namespace melvane::bass {

namespace {

bool ReadFile(const char *path, std::vector<std::uint8_t> &data, int &error)
{
    CFileDescriptor fd(::open(path, O_RDONLY | O_CLOEXEC));
    struct stat st {};
    if (!fd.valid() || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        error = BASS_ERROR_FILEOPEN;
        return false;
    }
    if (st.st_size <= 0 || static_cast<std::uint64_t>(st.st_size) > OpenMptModuleSource::kMaxFileBytes) {
        error = BASS_ERROR_FILEFORM;
        return false;
    }
    data.resize(static_cast<std::size_t>(st.st_size));
    std::size_t got = 0;
    while (got < data.size()) {
        ssize_t n = ::read(fd.get(), data.data() + got, data.size() - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    data.resize(got);
    if (data.empty()) {
        error = BASS_ERROR_FILEFORM;
        return false;
    }
    return true;
}

bool IsSupportedType(openmpt_module *module)
{
    const char *type = openmpt_module_get_metadata(module, "type");
    if (!type)
        return false;
    const std::string name(type);
    openmpt_free_string(type);
    return name == "mod" || name == "s3m" || name == "xm" || name == "it";
}

} // namespace

OpenMptModuleSource::OpenMptModuleSource(int rate)
    : m_rate(rate), m_surround(rate), m_pcm16(2 * kChunkFrames)
{
}

std::unique_ptr<OpenMptModuleSource> OpenMptModuleSource::Open(const char *path, int &error, int outputRate)
{
    if (outputRate < 8000 || outputRate > 192000) {
        error = BASS_ERROR_ILLPARAM;
        return nullptr;
    }
    std::vector<std::uint8_t> data;
    if (!ReadFile(path, data, error))
        return nullptr;

    int openError = 0;
    openmpt_module *module = openmpt_module_create_from_memory2(data.data(), data.size(), openmpt_log_func_silent,
                                                                 nullptr, openmpt_error_func_ignore, nullptr,
                                                                 &openError, nullptr, nullptr);
    if (!module) {
        error = BASS_ERROR_FILEFORM;
        return nullptr;
    }
    std::unique_ptr<OpenMptModuleSource> source(new OpenMptModuleSource(outputRate));
    source->m_module = module;
    if (!IsSupportedType(module)) {
        error = BASS_ERROR_FILEFORM;
        return nullptr;
    }
    source->m_orderCount = openmpt_module_get_num_orders(module);
    if (source->m_orderCount <= 0) {
        error = BASS_ERROR_FORMAT;
        return nullptr;
    }
    // Stop exactly at the song's end (no fade), and quantise without dither so that the 16-bit mix
    // is deterministic.
    openmpt_module_ctl_set_text(module, "play.at_end", "stop");
    openmpt_module_ctl_set_integer(module, "dither", 0);
    source->m_length = static_cast<std::uint64_t>(std::llround(openmpt_module_get_duration_seconds(module) * outputRate));
    source->setFlags(0);
    source->setAmplify(50);
    source->setPanSeparation(50);
    source->updatePosition();
    error = BASS_OK;
    return source;
}

OpenMptModuleSource::~OpenMptModuleSource()
{
    if (m_module)
        openmpt_module_destroy(m_module);
}

std::int32_t OpenMptModuleSource::MasterGainMillibel(int amplify)
{
    amplify = std::clamp(amplify, 0, 100);
    if (amplify == 0)
        return -10000; // -100 dB: silent at any output depth.
    return static_cast<std::int32_t>(std::lround(2000.0 * std::log10(amplify / 50.0)));
}

std::int32_t OpenMptModuleSource::StereoSeparationPercent(int separation)
{
    return 2 * std::clamp(separation, 0, 100);
}

std::int32_t OpenMptModuleSource::RampingStrength(std::uint32_t flags)
{
    if (flags & BASS_MUSIC_RAMPS)
        return 5;
    if (flags & BASS_MUSIC_RAMP)
        return 2;
    return 0;
}

void OpenMptModuleSource::setFlags(std::uint32_t flags)
{
    openmpt_module_set_repeat_count(m_module, (flags & BASS_MUSIC_LOOP) ? -1 : 0);
    openmpt_module_set_render_param(m_module, OPENMPT_MODULE_RENDER_VOLUMERAMPING_STRENGTH, RampingStrength(flags));
    m_floatMixing = (flags & BASS_MUSIC_FLOAT) != 0;
    if (flags & BASS_MUSIC_SURROUND)
        m_surround.setMode(ModuleSurround::Mode::Matrix);
    else if (flags & BASS_MUSIC_SURROUND2)
        m_surround.setMode(ModuleSurround::Mode::Spread);
    else
        m_surround.setMode(ModuleSurround::Mode::Off);
}

void OpenMptModuleSource::setAmplify(int amplify)
{
    openmpt_module_set_render_param(m_module, OPENMPT_MODULE_RENDER_MASTERGAIN_MILLIBEL, MasterGainMillibel(amplify));
}

void OpenMptModuleSource::setPanSeparation(int separation)
{
    openmpt_module_set_render_param(m_module, OPENMPT_MODULE_RENDER_STEREOSEPARATION_PERCENT,
                                    StereoSeparationPercent(separation));
}

std::size_t OpenMptModuleSource::read(float *out, std::size_t frames)
{
    std::size_t done = 0;
    while (done < frames) {
        const std::size_t want = std::min(kChunkFrames, frames - done);
        float *dest = out + 2 * done;
        std::size_t got;
        if (m_floatMixing) {
            got = openmpt_module_read_interleaved_float_stereo(m_module, m_rate, want, dest);
        } else {
            got = openmpt_module_read_interleaved_stereo(m_module, m_rate, want, m_pcm16.data());
            for (std::size_t i = 0; i < 2 * got; ++i)
                dest[i] = m_pcm16[i] * (1.0f / 32768.0f);
        }
        m_surround.process(dest, got);
        done += got;
        if (got < want)
            break;
    }
    updatePosition();
    return done;
}

bool OpenMptModuleSource::seek(std::uint64_t frame)
{
    if (frame > m_length)
        return false;
    openmpt_module_set_position_seconds(m_module, static_cast<double>(frame) / m_rate);
    m_surround.reset();
    updatePosition();
    return true;
}

bool OpenMptModuleSource::setOrder(int order)
{
    if (order < 0 || order >= m_orderCount)
        return false;
    openmpt_module_set_position_order_row(m_module, order, 0);
    m_surround.reset();
    updatePosition();
    return true;
}

void OpenMptModuleSource::updatePosition()
{
    m_order.store(openmpt_module_get_current_order(m_module), std::memory_order_relaxed);
    m_row.store(openmpt_module_get_current_row(m_module), std::memory_order_relaxed);
}

} // namespace melvane::bass
