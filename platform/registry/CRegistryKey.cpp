#include "platform/registry/CRegistryKey.h"

CRegistryKey::~CRegistryKey() { Close(); }

bool CRegistryKey::Open(const CRegistry &registry, RegistryRoot root, std::string_view path)
{
    Close();
    auto normalized = CRegistryHive::NormalizePath(path);
    if (!normalized || normalized->empty())
        return false;
    CRegistryHive hive = registry.Load(root);
    if (!hive.HasKey(*normalized))
        return false;
    m_snapshot = std::move(hive);
    m_root = root;
    m_path = std::move(*normalized);
    m_writer = nullptr;
    m_open = true;
    return true;
}

bool CRegistryKey::Create(CRegistry &registry, RegistryRoot root, std::string_view path)
{
    Close();
    auto normalized = CRegistryHive::NormalizePath(path);
    if (!normalized || normalized->empty())
        return false;
    CRegistryHive current;
    const bool created = registry.Update(root, [&](CRegistryHive &hive) {
        if (hive.HasKey(*normalized)) {
            current = hive;
            return false; // exists: nothing to write
        }
        hive.CreateKey(*normalized);
        current = hive;
        return true;
    });
    if (!created && !current.HasKey(*normalized))
        return false;
    m_snapshot = std::move(current);
    m_root = root;
    m_path = std::move(*normalized);
    m_writer = &registry;
    m_open = true;
    return true;
}

const RegistryValue *CRegistryKey::QueryValue(std::string_view name) const
{
    return m_open ? m_snapshot.FindValue(m_path, name) : nullptr;
}

std::optional<std::uint32_t> CRegistryKey::QueryDword(std::string_view name) const
{
    const RegistryValue *value = QueryValue(name);
    if (!value || value->type != RegistryValue::Type::Dword)
        return std::nullopt;
    return value->dword;
}

std::optional<std::string> CRegistryKey::QueryString(std::string_view name) const
{
    const RegistryValue *value = QueryValue(name);
    if (!value || value->type != RegistryValue::Type::String)
        return std::nullopt;
    return value->text;
}

bool CRegistryKey::SetDword(std::string_view name, std::uint32_t value)
{
    if (!m_open || !m_writer)
        return false;
    RegistryValue stored{RegistryValue::Type::Dword, value, {}};
    if (!m_snapshot.SetValue(m_path, name, stored))
        return false;
    m_changes.push_back({std::string(name), std::move(stored)});
    return true;
}

bool CRegistryKey::SetString(std::string_view name, std::string_view text)
{
    if (!m_open || !m_writer)
        return false;
    RegistryValue stored{RegistryValue::Type::String, 0,
                         CRegistryHive::CutToCharacters(text, CRegistryHive::kMaxStringChars)};
    if (!m_snapshot.SetValue(m_path, name, stored))
        return false;
    m_changes.push_back({std::string(name), std::move(stored)});
    return true;
}

bool CRegistryKey::DeleteValue(std::string_view name)
{
    if (!m_open || !m_writer || !m_snapshot.DeleteValue(m_path, name))
        return false;
    m_changes.push_back({std::string(name), std::nullopt});
    return true;
}

std::vector<std::string> CRegistryKey::ValueNames() const
{
    return m_open ? m_snapshot.ValueNames(m_path) : std::vector<std::string>();
}

std::vector<std::string> CRegistryKey::SubKeyNames() const
{
    return m_open ? m_snapshot.SubKeyNames(m_path) : std::vector<std::string>();
}

bool CRegistryKey::Close()
{
    if (!m_open)
        return true;
    bool written = true;
    if (m_writer && !m_changes.empty()) {
        written = m_writer->Update(m_root, [this](CRegistryHive &hive) {
            // When another writer deleted the key since it was opened, it is created again so that
            // these writes are not lost.
            hive.CreateKey(m_path);
            for (const Change &change : m_changes) {
                if (change.value)
                    hive.SetValue(m_path, change.name, *change.value);
                else
                    hive.DeleteValue(m_path, change.name);
            }
            return true;
        });
    }
    m_changes.clear();
    m_snapshot = CRegistryHive();
    m_writer = nullptr;
    m_open = false;
    return written;
}
