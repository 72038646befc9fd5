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
    const CPlayerDoc &doc = m_core.Doc();
    COptionsChoices choices;
    COptionsChoices::General &g = choices.general;
    g.bassdev = doc.bassdev;
    g.bassfreq = doc.bassfreq;
    g.bassbuffer = doc.bassbuffer;
    g.bassfloat = doc.bassfloat;
    g.gapless = doc.gapless;
    g.cdpriority = doc.cdpriority;
    g.autocorrect = doc.autocorrect;
    g.modlevels = doc.modlevels;
    g.mixing1 = doc.mixing1;
    g.mixing2 = doc.mixing2;
    g.panning1 = doc.panning1;
    g.panning2 = doc.panning2;
    g.surround1 = doc.surround1;
    g.surround2 = doc.surround2;
    g.ramping1 = doc.ramping1;
    g.ramping2 = doc.ramping2;
    g.looping = doc.looping;
    COptionsChoices::Setup &s = choices.setup;
    s.autoplay0 = doc.autoplay0;
    s.autoplay1 = doc.autoplay1;
    s.lastpos = doc.lastpos;
    s.keyhook = doc.keyhook;
    s.minimizetray = doc.minimizetray;
    s.minimizestart = doc.minimizestart;
    s.click[0] = doc.click1;
    s.click[1] = doc.click2;
    s.click[2] = doc.click3;
    s.click[3] = doc.click4;
    choices.freedb.autoquery = doc.autoquery != 0;
    return choices;
}

COptionsApply::Result COptionsApply::Apply(const COptionsChoices &choices)
{
    CPlayerDoc &doc = m_core.Doc();
    Result result;
    const COptionsChoices::General &g = choices.general;
    doc.autocorrect = g.autocorrect != 0 ? 1 : 0;
    doc.modlevels = g.modlevels != 0 ? 1 : 0;
    doc.mixing1 = g.mixing1;
    doc.mixing2 = g.mixing2;
    doc.panning1 = g.panning1;
    doc.panning2 = g.panning2;
    doc.surround1 = g.surround1;
    doc.surround2 = g.surround2;
    doc.ramping1 = g.ramping1;
    doc.ramping2 = g.ramping2;
    doc.looping = g.looping;
    doc.gapless = g.gapless != 0 ? 1 : 0;

    bool trayChanged = false;
    const COptionsChoices::Setup &s = choices.setup;
    if (s.opened) {
        for (const COptionsChoices::FileType &type : s.fileTypes) {
            if (!m_pAssociations || type.checked == type.wasAssociated)
                continue;
            if (type.checked)
                m_pAssociations->Associate(type.row);
            else
                m_pAssociations->Dissociate(type.row);
        }
        doc.autoplay0 = s.autoplay0 != 0 ? 1 : 0;
        doc.autoplay1 = s.autoplay1 != 0 ? 1 : 0;
        doc.lastpos = s.lastpos != 0 ? 1 : 0;
        doc.minimizestart = s.minimizestart != 0 ? 1 : 0;
        const std::int32_t tray = s.minimizetray != 0 ? 1 : 0;
        trayChanged = tray != doc.minimizetray;
        doc.minimizetray = tray;
        doc.click1 = s.click[0];
        doc.click2 = s.click[1];
        doc.click3 = s.click[2];
        doc.click4 = s.click[3];
        const std::int32_t keyhook = s.keyhook != 0 ? 1 : 0;
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

    if (g.cdpriority != doc.cdpriority)
        doc.cdpriority = g.cdpriority; // the CD reader takes it at its next start

    if (g.bassbuffer != doc.bassbuffer || g.bassdev != doc.bassdev || g.bassfreq != doc.bassfreq ||
        (g.bassfloat != 0) != (doc.bassfloat != 0)) {
        doc.bassbuffer = g.bassbuffer;
        doc.bassdev = g.bassdev;
        doc.bassfreq = g.bassfreq;
        doc.bassfloat = g.bassfloat != 0 ? 1 : 0;
        m_core.RestartOutput();
        result.outputRestarted = true;
    }

    if (trayChanged && m_trayChanged)
        m_trayChanged();
    result.trayChanged = trayChanged;
    return result;
}
