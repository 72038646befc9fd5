#pragma once
// The file information windows as dialogs over `parent`, each run modally.
//
// Threads: user-interface thread only.

#include "ui/IFileInfoWindows.h"

class CPlayerDoc;
class IWmaInfoReader;
class QWidget;

class CQtFileInfoWindows : public IFileInfoWindows {
public:
    // `wma` reads Windows Media files (null until the decoder plug-in is loaded).
    CQtFileInfoWindows(CPlayerDoc &doc, QWidget *parent) : m_doc(doc), m_pParent(parent) {}
    void SetWmaReader(IWmaInfoReader *wma) { m_pWma = wma; }

    std::optional<CTagFields> ShowMpeg(const std::string &path) override;
    std::optional<CWavEdit> ShowWav(const std::string &path) override;
    std::optional<CTagFields> ShowTags(const std::string &path, CTagInfo::Format format,
                                       const std::optional<CTagFields> &pending) override;
    std::optional<CModuleEdit> ShowModule(const CPlaylistEntry &entry) override;

private:
    CPlayerDoc &m_doc;
    QWidget *m_pParent;
    IWmaInfoReader *m_pWma = nullptr;
};
