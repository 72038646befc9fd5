#include "playlist/CFileAssociations.h"

#include "platform/registry/CRegistryKey.h"
#include "platform/shell/CDesktopEntry.h"
#include "platform/shell/CMimeAppsList.h"

#include <optional>

namespace {

using Row = CFileAssociations::RowInfo;

const std::vector<std::string_view> kMusicTypes = {
    "audio/x-mod", "audio/x-s3m", "audio/x-xm", "audio/x-it", "audio/mp2", "audio/mpeg",
    "audio/ogg", "audio/x-vorbis+ogg", "audio/flac", "audio/x-ms-wma", "audio/x-wav"};

const std::array<Row, CFileAssociations::kRowCount> &Rows()
{
    using A = CFileAssociations;
    static const std::array<Row, A::kRowCount> rows = {{
        {"MOD", "Sound/Noise/ProTracker", {"audio/x-mod"}, A::kPlayEntry},
        {"S3M", "ScreamTracker", {"audio/x-s3m"}, A::kPlayEntry},
        {"XM", "FastTracker", {"audio/x-xm"}, A::kPlayEntry},
        {"IT", "ImpulseTracker", {"audio/x-it"}, A::kPlayEntry},
        {"MP2", "MPEG Audio", {"audio/mp2"}, A::kPlayEntry},
        {"MP3", "MPEG Audio", {"audio/mpeg"}, A::kPlayEntry},
        {"OGG", "Ogg Vorbis", {"audio/ogg", "audio/x-vorbis+ogg"}, A::kPlayEntry},
        {"FLAC", "Free Lossless Audio Codec", {"audio/flac"}, A::kPlayEntry},
        {"WMA", "Windows Media Audio", {"audio/x-ms-wma"}, A::kPlayEntry},
        {"WAV", "Windows PCM/ACM", {"audio/x-wav"}, A::kPlayEntry},
        {"CD", "Audio CD", {"x-content/audio-cdda"}, A::kCdEntry},
        {"VPL", "Melvane Playlist", {"audio/x-melvane-playlist"}, A::kPlaylistEntry},
    }};
    return rows;
}

std::string JoinTypes(const std::vector<std::string_view> &types)
{
    std::string joined;
    for (std::string_view type : types)
        joined.append(type).append(";");
    return joined;
}

std::optional<std::string> ReadBackup(const CRegistry &registry, const std::string &key)
{
    CRegistryKey backup;
    if (!backup.Open(registry, RegistryRoot::CurrentUser, key))
        return std::nullopt;
    return backup.QueryString(CFileAssociations::kBackupValue);
}

} // namespace

CFileAssociations::Places CFileAssociations::UserPlaces()
{
    return {CDesktopEntry::UserApplicationsFolder(), CMimeAppsList::UserFile(), CDesktopEntry::ApplicationFolders(),
            CMimeAppsList::UserDesktopFiles()};
}

// The user's lists in lookup order, the desktop's own first and mimeapps.list last.
class CFileAssociations::Lists {
public:
    explicit Lists(const Places &places)
    {
        for (const std::string &path : places.desktopLists)
            m_lists.emplace_back(path);
        m_lists.emplace_back(places.mimeAppsList);
        m_changed.assign(m_lists.size(), false);
    }

    // Desktop lists that cannot be read are left out (and never written); false when mimeapps.list
    // cannot be read.
    bool Load()
    {
        for (std::size_t i = 0; i + 1 < m_lists.size(); ++i)
            m_readable.push_back(m_lists[i].Load());
        m_readable.push_back(m_lists.back().Load());
        return m_readable.back();
    }

    // The list whose default for `type` applies: the first one naming a default, else mimeapps.list.
    CMimeAppsList &For(std::string_view type, bool willChange)
    {
        std::size_t i = 0;
        while (i + 1 < m_lists.size() && !(m_readable[i] && m_lists[i].Default(type)))
            ++i;
        if (willChange)
            m_changed[i] = true;
        return m_lists[i];
    }

    bool Save() const
    {
        bool saved = true;
        for (std::size_t i = 0; i < m_lists.size(); ++i)
            if (m_changed[i])
                saved = m_lists[i].Save() && saved;
        return saved;
    }

private:
    std::vector<CMimeAppsList> m_lists;
    std::vector<bool> m_readable;
    std::vector<bool> m_changed;
};

CFileAssociations::CFileAssociations(CRegistry &registry, std::string program, Places places)
    : m_registry(registry), m_strProgram(std::move(program)), m_places(std::move(places))
{
}

const CFileAssociations::RowInfo &CFileAssociations::Info(int row)
{
    return Rows().at(static_cast<std::size_t>(row));
}

const std::array<const char *, 4> &CFileAssociations::EntryIds()
{
    static const std::array<const char *, 4> ids = {kPlayEntry, kAddEntry, kPlaylistEntry, kCdEntry};
    return ids;
}

std::string CFileAssociations::EntryText(std::string_view id) const
{
    struct Entry {
        std::string_view id;
        const char *name;
        const char *comment;
        const char *arguments;
        std::string types;
    };
    const Entry entries[] = {
        {kPlayEntry, "Melvane", "Melvane music file", " %F", JoinTypes(kMusicTypes)},
        {kAddEntry, "Add to Melvane playlist", "Add to playlist", " -add %F", JoinTypes(kMusicTypes)},
        {kPlaylistEntry, "Melvane", "Melvane playlist file", " -vpl %f", JoinTypes(Info(kRowVpl).mimeTypes)},
        {kCdEntry, "Melvane", "CD Audio Track", " -cd %u", JoinTypes(Info(kRowCd).mimeTypes)},
    };
    for (const Entry &entry : entries) {
        if (entry.id != id)
            continue;
        return std::string("[Desktop Entry]\n"
                           "Type=Application\n"
                           "Version=1.0\n"
                           "Name=") +
               entry.name + "\nGenericName=Music Player\nComment=" + entry.comment +
               "\nIcon=melvane\n"
               "TryExec=" + CDesktopEntry::EscapeValue(m_strProgram) +
               "\nExec=" + CDesktopEntry::ExecArgument(m_strProgram) + entry.arguments +
               "\nTerminal=false\nNoDisplay=true\nCategories=AudioVideo;Audio;Player;\nMimeType=" + entry.types + "\n";
    }
    return {};
}

bool CFileAssociations::RegisterShellClasses()
{
    bool written = true;
    for (const char *id : EntryIds())
        written = CDesktopEntry::WriteIfChanged(m_places.applications, id, EntryText(id)) && written;
    return written;
}

std::string CFileAssociations::BackupKey(std::string_view mimeType) const
{
    return std::string(kBackupKeyPrefix) + std::string(mimeType);
}

bool CFileAssociations::IsAssociated(int row) const
{
    Lists lists(m_places);
    if (!lists.Load())
        return false;
    const RowInfo &info = Info(row);
    for (std::string_view type : info.mimeTypes) {
        if (lists.For(type, false).FirstDefault(type) != info.entry)
            return false;
    }
    return true;
}

bool CFileAssociations::Associate(int row)
{
    Lists lists(m_places);
    if (!lists.Load())
        return false;
    const RowInfo &info = Info(row);
    for (std::string_view type : info.mimeTypes) {
        CMimeAppsList &list = lists.For(type, true);
        const auto previous = list.Default(type);
        if (previous && !previous->empty() && list.FirstDefault(type) != info.entry) {
            // Without its backup the previous default could not come back: leave this type alone.
            CRegistryKey backup;
            if (!backup.Create(m_registry, RegistryRoot::CurrentUser, BackupKey(type)) ||
                !backup.SetString(kBackupValue, *previous) || !backup.Close())
                continue;
        }
        list.SetDefault(type, std::string(info.entry) + ";");
    }
    return lists.Save();
}

bool CFileAssociations::Dissociate(int row)
{
    Lists lists(m_places);
    if (!lists.Load())
        return false;
    const RowInfo &info = Info(row);
    std::vector<std::string> restored;
    for (std::string_view type : info.mimeTypes) {
        CMimeAppsList &list = lists.For(type, true);
        const std::string key = BackupKey(type);
        restored.push_back(key);
        if (list.FirstDefault(type) != info.entry)
            continue; // the user gave the type to another application since
        const std::string backup = ReadBackup(m_registry, key).value_or(std::string{});
        std::string kept;
        bool allInstalled = true;
        for (const std::string &id : CMimeAppsList::Entries(backup)) {
            if (CDesktopEntry::IsInstalled(id, m_places.entryFolders))
                kept += id + ";";
            else
                allInstalled = false;
        }
        if (kept.empty())
            list.RemoveDefault(type);
        else
            list.SetDefault(type, allInstalled ? backup : kept);
    }
    if (!lists.Save())
        return false;
    for (const std::string &key : restored) {
        CRegistryKey backup;
        if (ReadBackup(m_registry, key) && backup.Create(m_registry, RegistryRoot::CurrentUser, key)) {
            backup.DeleteValue(kBackupValue);
            backup.Close();
        }
    }
    return true;
}
