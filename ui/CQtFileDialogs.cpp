#include "ui/CQtFileDialogs.h"

#include <QFileDialog>
#include <QStringList>

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

std::string CQtFileDialogs::OpenCdImageFile(const std::string &folder)
{
    QFileDialog dialog(m_pParent, QStringLiteral("Open CD Image"), QString::fromStdString(folder));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters({QStringLiteral("CD images (*.cue *.toc)"), QStringLiteral("All files (*)")});
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

std::vector<std::string> CQtFileDialogs::OpenMusicFiles(const std::string &folder, const Filters &filters)
{
    // Each row shows its own name only; the patterns the dialog matches follow in a last pair of
    // parentheses, in both cases, because some dialogs match names case-sensitively and files come
    // from systems where ".MP3" is common.
    QStringList names;
    for (const auto &[name, pattern] : filters) {
        const QString lower = QString::fromStdString(pattern).toLower().replace(';', ' ');
        names << QString::fromStdString(name) + QStringLiteral(" (") + lower + ' ' + lower.toUpper() + ')';
    }
    const QStringList chosen = QFileDialog::getOpenFileNames(m_pParent, QStringLiteral("Add File(s)"),
                                                             QString::fromStdString(folder), names.join(QStringLiteral(";;")),
                                                             nullptr, QFileDialog::HideNameFilterDetails);
    std::vector<std::string> paths;
    for (const QString &path : chosen)
        paths.push_back(path.toStdString());
    return paths;
}

std::string CQtFileDialogs::ChooseFolder(const std::string &folder)
{
    return QFileDialog::getExistingDirectory(m_pParent, QStringLiteral("Choose a folder to add to the current playlist:"),
                                             QString::fromStdString(folder))
        .toStdString();
}
