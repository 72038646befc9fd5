#include "engine/COptionsApply.h"

#include "core/CMessageBox.h"
#include "engine/CPlayerCore.h"
#include "playlist/CFileAssociations.h"
#include "playlist/CPlayerDoc.h"
#include "playlist/CPlayerSettings.h"

COptionsApply::COptionsApply(CPlayerCore &core, CMessageBox &messageBox, CFileAssociations *associations,
                             std::function<void()> trayChanged)
    : m_core(core), m_messageBox(messageBox), m_pAssociations(associations), m_trayChanged(std::move(trayChanged))
{
}

COptionsChoices COptionsApply::Current() const
{
    COptionsChoices choices;
    choices.settings = m_core.Doc();
    choices.freedb.autoquery = m_core.Doc().autoquery != 0;
    return choices;
}

COptionsApply::Result COptionsApply::Apply(const COptionsChoices &choices)
{
    CPlayerDoc &doc = m_core.Doc();
    Result result;
    const CPlayerSettings &chosen = choices.settings;
    doc.autocorrect = chosen.autocorrect != 0 ? 1 : 0;
    doc.modlevels = chosen.modlevels != 0 ? 1 : 0;
    doc.mixing1 = chosen.mixing1;
    doc.mixing2 = chosen.mixing2;
    doc.panning1 = chosen.panning1;
    doc.panning2 = chosen.panning2;
    doc.surround1 = chosen.surround1;
    doc.surround2 = chosen.surround2;
    doc.ramping1 = chosen.ramping1;
    doc.ramping2 = chosen.ramping2;
    doc.looping = chosen.looping;
    doc.gapless = chosen.gapless != 0 ? 1 : 0;

    bool trayChanged = false;
    if (choices.setupOpened) {
        for (const COptionsChoices::FileType &type : choices.fileTypes) {
            if (!m_pAssociations || type.checked == type.wasAssociated)
                continue;
            if (type.checked)
                m_pAssociations->Associate(type.row);
            else
                m_pAssociations->Dissociate(type.row);
        }
        doc.autoplay0 = chosen.autoplay0 != 0 ? 1 : 0;
        doc.autoplay1 = chosen.autoplay1 != 0 ? 1 : 0;
        doc.lastpos = chosen.lastpos != 0 ? 1 : 0;
        doc.minimizestart = chosen.minimizestart != 0 ? 1 : 0;
        const std::int32_t tray = chosen.minimizetray != 0 ? 1 : 0;
        trayChanged = tray != doc.minimizetray;
        doc.minimizetray = tray;
        doc.click1 = chosen.click1;
        doc.click2 = chosen.click2;
        doc.click3 = chosen.click3;
        doc.click4 = chosen.click4;
        const std::int32_t keyhook = chosen.keyhook != 0 ? 1 : 0;
        if (keyhook != (doc.keyhook != 0 ? 1 : 0))
            m_messageBox.Show(kKeyHookRestartMessage, CMessageBox::kOk, CMessageBox::kIconInformation);
        doc.keyhook = keyhook;
    }

    const COptionsChoices::Freedb &f = choices.freedb;
    if (f.opened) {
        if (m_pRegistry)
            CPlayerSettings::WriteFreedbAccount(*m_pRegistry, f.email, f.server); // failures are ignored
        doc.autoquery = f.autoquery ? 1 : 0;
        m_core.Cd().SetAutoQueryEnabled(f.autoquery);
    }

    CPlaybackEngine &engine = m_core.Engine();
    engine.ComputeModuleFlags();
    engine.ApplyModuleSettings(CPlaylistEntry(engine.CurrentEntry()));

    if (chosen.cdpriority != doc.cdpriority)
        doc.cdpriority = chosen.cdpriority; // the CD reader takes it at its next start

    if (chosen.bassbuffer != doc.bassbuffer || chosen.bassdev != doc.bassdev || chosen.bassfreq != doc.bassfreq ||
        (chosen.bassfloat != 0) != (doc.bassfloat != 0)) {
        doc.bassbuffer = chosen.bassbuffer;
        doc.bassdev = chosen.bassdev;
        doc.bassfreq = chosen.bassfreq;
        doc.bassfloat = chosen.bassfloat != 0 ? 1 : 0;
        m_core.RestartOutput();
        result.outputRestarted = true;
    }

    if (trayChanged && m_trayChanged)
        m_trayChanged();
    result.trayChanged = trayChanged;
    return result;
}
