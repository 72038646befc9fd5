// Writes each input to a temporary file and reads it as the player would.

#include "tags/CTrackInfo.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

// The input file, removed when the fuzzer exits.
struct TempFile {
    TempFile()
    {
        const int fd = mkstemp(path.data());
        if (fd < 0)
            std::abort();
        close(fd);
    }
    ~TempFile() { unlink(path.c_str()); }
    std::string path = "/tmp/fuzz_trackinfo-XXXXXX";
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const TempFile file;
    const std::string &path = file.path;
    std::FILE *out = std::fopen(path.c_str(), "wb");
    if (!out)
        return 0;
    if (size)
        std::fwrite(data, 1, size, out);
    std::fclose(out);
    CTrackInfo info(path);
    info.Read(nullptr);
    return 0;
}
