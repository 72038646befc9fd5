// Arbitrary hive text: parsing never fails hard, and what was kept writes out and reads back the same.

#include "platform/registry/CRegistryHive.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    CRegistryHive hive;
    hive.Parse(text);
    const std::string written = hive.Serialize();

    CRegistryHive reread;
    if (reread.Parse(written) != 0)
        std::abort(); // our own output must be wholly readable
    if (reread.Serialize() != written)
        std::abort();
    for (const std::string &top : reread.SubKeyNames(""))
        for (const std::string &name : reread.ValueNames(top)) {
            const RegistryValue *value = reread.FindValue(top, name);
            if (!value || CRegistryHive::CutToCharacters(value->text, CRegistryHive::kMaxStringChars) != value->text)
                std::abort();
        }
    return 0;
}
