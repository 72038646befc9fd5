// Arbitrary melvane.ini text: loading keeps the lists within their limits and the checks hold after
// validation.

#include "playlist/CPlayerSettings.h"

#include <algorithm>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    CPlayerSettings settings("/music");
    settings.LoadSettingsFromText(text);
    settings.ValidateSettings(1920, 1080);

    const int columns = settings.ColumnCount();
    if (columns < 1 || columns > CPlayerSettings::kColumnIds || settings.column[CPlayerSettings::kColumnIds] != 0)
        std::abort();
    for (int i = 0; i < columns; ++i) {
        const std::int32_t id = settings.column[i];
        if (id < 1 || id > CPlayerSettings::kColumnIds ||
            std::count(settings.column.begin(), settings.column.begin() + columns, id) != 1)
            std::abort();
        if (settings.columnwidth[id] < 16 || settings.columnwidth[id] >= 2048)
            std::abort();
    }
    if (settings.vis.size() > CPlayerSettings::kMaxVisuals)
        std::abort();
    if (settings.cdpriority < 1 || settings.cdpriority > 6 || settings.width < 516 || settings.width > 1920)
        std::abort();
    if (settings.xpos > 1920 - 32 || settings.ypos > 1080 - 32)
        std::abort();
    return 0;
}
