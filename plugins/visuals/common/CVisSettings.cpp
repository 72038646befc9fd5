#include "plugins/visuals/common/CVisSettings.h"

#include "platform/registry/CRegistryKey.h"

#include <algorithm>
#include <cctype>

namespace {

// Value names compare without regard to letter case, as the registry does.
std::string Folded(std::string name)
{
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
    return name;
}

} // namespace

CVisSettings::CVisSettings(std::string keyName, std::filesystem::path folder)
    : m_key(keyName.empty() ? std::string("Software\\Melvane") : "Software\\Melvane\\" + std::move(keyName)),
      m_folder(folder.empty() ? CRegistry::DefaultFolder() : std::move(folder))
{
}

void CVisSettings::Load()
{
    m_values.clear();
    const CRegistry registry(m_folder);
    CRegistryKey key;
    if (!key.Open(registry, RegistryRoot::CurrentUser, m_key))
        return;
    for (const std::string &name : key.ValueNames())
        if (auto value = key.QueryDword(name))
            m_values[Folded(name)] = *value;
}

std::optional<std::uint32_t> CVisSettings::Value(const std::string &name) const
{
    const auto found = m_values.find(Folded(name));
    if (found == m_values.end())
        return std::nullopt;
    return found->second;
}

int CVisSettings::Ranged(const std::string &name, int low, int high, int fallback) const
{
    const auto value = Value(name);
    if (!value)
        return fallback;
    const auto signedValue = static_cast<std::int32_t>(*value);
    return signedValue >= low && signedValue <= high ? signedValue : fallback;
}

bool CVisSettings::Save(const Values &values) const
{
    CRegistry registry(m_folder);
    CRegistryKey key;
    if (!key.Create(registry, RegistryRoot::CurrentUser, m_key))
        return false;
    for (const auto &[name, value] : values)
        key.SetDword(name, value);
    return key.Close();
}
