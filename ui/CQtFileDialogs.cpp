#include "ui/CQtFileDialogs.h"

#include <QFileDialog>

namespace {

QString StartPath(const std::string &folder, const std::string &name)
{
    std::string start = folder;
    if (!start.empty() && start.back() != '/' && !name.empty())
        start += '/';
    return QString::fromStdString(start + name);
}

std::string Chosen(QFileDialog &dialog)
{
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst().toStdString();
}

} // namespace

std::string CQtFileDialogs::OpenPlaylistFile(const std::string &folder, const std::string &name)
{
    QFileDialog dialog(m_pParent, QStringLiteral("Open Playlist"), StartPath(folder, name));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters({QStringLiteral("Melvane playlists (*.vpl)"), QStringLiteral("Winamp playlists (*.m3u)")});
    return Chosen(dialog);
}

std::string CQtFileDialogs::SavePlaylistFile(const std::string &folder, const std::string &name)
{
    QFileDialog dialog(m_pParent, QStringLiteral("Save Playlist"), StartPath(folder, name));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(QStringLiteral("Playlist files (*.vpl)"));
    dialog.setDefaultSuffix(QStringLiteral("vpl"));
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    return Chosen(dialog);
}
