#include "ui/CQtFileInfoWindows.h"

#include "ui/CModuleInfoDialog.h"
#include "ui/CMpegInfoDialog.h"
#include "ui/CTagInfoDialog.h"
#include "ui/CWavInfoDialog.h"

std::optional<CTagFields> CQtFileInfoWindows::ShowMpeg(const std::string &path)
{
    CMpegInfoDialog dialog(path, m_doc, m_pParent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.Fields();
}

std::optional<CWavEdit> CQtFileInfoWindows::ShowWav(const std::string &path)
{
    CWavInfoDialog dialog(path, m_doc, m_pParent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return CWavEdit{dialog.Artist(), dialog.Title()};
}

std::optional<CTagFields> CQtFileInfoWindows::ShowTags(const std::string &path, CTagInfo::Format format,
                                                       const std::optional<CTagFields> &pending)
{
    CTagInfoDialog dialog(path, format, m_doc, m_pWma, pending, m_pParent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.Fields();
}

std::optional<CModuleEdit> CQtFileInfoWindows::ShowModule(const CPlaylistEntry &entry)
{
    CModuleInfoDialog dialog(entry, m_doc, m_pParent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.Edit();
}
